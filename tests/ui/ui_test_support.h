// Shared by the display tests: a fixture that puts appState back to its start values, queries
// over a display list, and a reference rasteriser of its fills, lines and outlines.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "state/app_state.h"
#include "drives/drive_info.h"
#include "ui/display_list.h"
#include "ui/buttons.h"
#include "ui/frame.h"
#include "ui/frame_output.h"

namespace corvanite::test {

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override { ResetAppState(); }
    void TearDown() override { ResetAppState(); }

    DisplayList list;
    FrameOutput out;
};

// The first text operation showing exactly this text, or null.
inline const DrawOp* FindText(const DisplayList& list, std::u16string_view text) {
    for (const DrawOp& op : list.ops) {
        if ((op.kind == DrawKind::TEXT_AT || op.kind == DrawKind::TEXT_IN_RECT) &&
            list.TextOf(op) == text) {
            return &op;
        }
    }
    return nullptr;
}

inline size_t CountText(const DisplayList& list, std::u16string_view text) {
    size_t count = 0;
    for (const DrawOp& op : list.ops) {
        if ((op.kind == DrawKind::TEXT_AT || op.kind == DrawKind::TEXT_IN_RECT) &&
            list.TextOf(op) == text) {
            ++count;
        }
    }
    return count;
}

// Every text drawn, in drawing order.
inline std::vector<std::u16string> Texts(const DisplayList& list) {
    std::vector<std::u16string> texts;
    for (const DrawOp& op : list.ops) {
        if (op.kind == DrawKind::TEXT_AT || op.kind == DrawKind::TEXT_IN_RECT) {
            texts.emplace_back(list.TextOf(op));
        }
    }
    return texts;
}

// Index of the first operation of that kind, rectangle and colour, or -1.
inline int FindOp(const DisplayList& list, DrawKind kind, Rect rect, Color color) {
    for (size_t i = 0; i < list.ops.size(); ++i) {
        const DrawOp& op = list.ops[i];
        if (op.kind == kind && op.rect == rect && op.color == color) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

inline bool HasFill(const DisplayList& list, Rect rect, Color color) {
    return FindOp(list, DrawKind::FILL, rect, color) >= 0;
}

// The rectangle of the first clip pushed, or an empty rect.
inline Rect PushClipRect(const DisplayList& list) {
    for (const DrawOp& op : list.ops) {
        if (op.kind == DrawKind::CLIP_PUSH) {
            return op.rect;
        }
    }
    return Rect{};
}

// The button the window's hit test finds at p once this frame's output is the last frame's.
inline int32_t HitTest(const FrameOutput& out, Point p) {
    CommitFrame(out);
    return HitTestButtons(p);
}

inline std::vector<int32_t> RegisteredIds(const FrameOutput& out) {
    std::vector<int32_t> ids;
    for (const ButtonEntry& entry : out.buttons) {
        ids.push_back(entry.id);
    }
    return ids;
}

inline Rect RegisteredRect(const FrameOutput& out, int32_t id) {
    for (const ButtonEntry& entry : out.buttons) {
        if (entry.id == id) {
            return entry.rect;
        }
    }
    return Rect{-1, -1, -1, -1};
}

// The colour a pixel ends with when the list's fills, lines and outlines are replayed with
// GDI's rules (texts are ignored): later operations paint over earlier ones; clips nest.
inline Color PixelAt(const DisplayList& list, int32_t x, int32_t y, Color background = 0) {
    Color color = background;
    std::vector<Rect> clips;
    auto clipped = [&] {
        for (const Rect& clip : clips) {
            if (!clip.Contains(Point{x, y})) {
                return true;
            }
        }
        return false;
    };
    for (const DrawOp& op : list.ops) {
        const Rect& r = op.rect;
        bool hit = false;
        switch (op.kind) {
            case DrawKind::FILL:
                hit = r.Contains(Point{x, y});
                break;
            case DrawKind::LINE:
                // Axis-aligned only; the end point is excluded.
                if (r.top == r.bottom && y == r.top) {
                    hit = r.left <= r.right ? (x >= r.left && x < r.right)
                                            : (x <= r.left && x > r.right);
                } else if (r.left == r.right && x == r.left) {
                    hit = r.top <= r.bottom ? (y >= r.top && y < r.bottom)
                                            : (y <= r.top && y > r.bottom);
                }
                break;
            case DrawKind::OUTLINE:
                hit = r.Contains(Point{x, y}) &&
                      (x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1);
                break;
            case DrawKind::CLIP_PUSH:
                clips.push_back(r);
                break;
            case DrawKind::CLIP_POP:
                if (!clips.empty()) {
                    clips.pop_back();
                }
                break;
            default:
                break;
        }
        if (hit && !clipped()) {
            color = op.color;
        }
    }
    return color;
}

// A drive with n OK attributes (ids 1..n) and plain identity texts.
inline DriveInfo DriveWithAttributes(int n) {
    DriveInfo drive = StartDriveRecord(0);
    drive.model.Set(u"TEST MODEL");
    drive.serial.Set(u"SN123");
    drive.firmware.Set(u"FW1");
    drive.busName.Set(u"SATA");
    drive.mediaType = MEDIA_HDD;
    drive.sizeBytes = 500107862016ull;
    drive.health = HEALTH_GOOD;
    drive.smartSource = SOURCE_ATA;
    drive.smartAvailable = n > 0;
    for (int i = 0; i < n; ++i) {
        SmartAttribute a;
        a.id = static_cast<uint8_t>(i + 1);
        a.name.Set(u"Attribute");
        a.current = 100;
        a.worst = 100;
        a.threshold = 10;
        drive.attributes.push_back(a);
    }
    return drive;
}

}  // namespace corvanite::test
