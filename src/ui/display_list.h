// The "device context" the drawers paint into: a list of basic drawing operations that a
// renderer of the platform (GDI, Cairo) replays into the frame's off-screen bitmap.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "state/geometry.h"
#include "ui/palette.h"

namespace corvanite {

// The two fonts: fixed pitch, sized in points at the screen's resolution.
enum FontId : uint8_t {
    FONT_MAIN = 0,   // FONT_MAIN_POINTS: every text but the few below
    FONT_LARGE = 1,  // FONT_LARGE_POINTS: the volume letter, an empty view's notice
};
constexpr int FONT_MAIN_POINTS = 10;
constexpr int FONT_LARGE_POINTS = 12;

// Alignment of a text in a rectangle.
enum TextAlign : uint8_t {
    ALIGN_CENTER = 0,      // one line, centred both ways
    ALIGN_LEFT = 1,        // one line, vertically centred, at the left edge
    ALIGN_RIGHT = 2,       // one line, vertically centred, at the right edge
    ALIGN_TOP_CENTER = 3,  // top aligned, horizontally centred, not single-line
};

enum class DrawKind : uint8_t {
    FILL,          // rect filled with color
    LINE,          // from (rect.left, rect.top) to (rect.right, rect.bottom), end point excluded
    OUTLINE,       // 1-pixel outline: columns left and right-1, rows top and bottom-1
    TEXT_AT,       // text with its top-left at (rect.left, rect.top), not clipped
    TEXT_IN_RECT,  // text in rect with align, clipped to rect
    CLIP_PUSH,     // further drawing restricted to rect (within any clip already set)
    CLIP_POP,      // the clip before the matching push is restored
};

struct DrawOp {
    DrawKind kind = DrawKind::FILL;
    FontId font = FONT_MAIN;
    TextAlign align = ALIGN_LEFT;
    Color color = 0;
    Rect rect;
    uint32_t textStart = 0;  // into DisplayList::text
    uint32_t textLength = 0;
};

struct DisplayList {
    std::vector<DrawOp> ops;
    std::u16string text;  // every text of the frame, one after the other

    void Clear() {
        ops.clear();
        text.clear();
    }
    std::u16string_view TextOf(const DrawOp& op) const {
        return std::u16string_view(text).substr(op.textStart, op.textLength);
    }
};

}  // namespace corvanite
