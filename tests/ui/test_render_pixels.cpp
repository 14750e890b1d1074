// One set of pixel checks run on this platform's renderer (Cairo on Linux, GDI under Wine):
// shapes pixel by pixel against a reference rasteriser, texts by where their ink lands, and a
// whole frame by a few probes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "render_pixels.h"
#include "state/app_state.h"
#include "ui/display_scale.h"
#include "ui/frame.h"
#include "ui/primitives.h"

namespace corvanite::test {
namespace {

// The colour GDI's rules give a pixel of the list's fills, lines and outlines: later operations
// over earlier ones, clips nested, corners in any order (a fill's swapped sides cover from the
// smaller plus one up to the larger); end points of lines excluded.
uint32_t Reference(const DisplayList& list, int32_t x, int32_t y) {
    uint32_t color = 0;
    std::vector<Rect> clips;
    for (const DrawOp& op : list.ops) {
        const Rect& r = op.rect;
        const Rect n{std::min(r.left, r.right), std::min(r.top, r.bottom),
                     std::max(r.left, r.right), std::max(r.top, r.bottom)};
        auto span = [](int32_t v, int32_t from, int32_t to) {
            return from <= to ? v >= from && v < to : v <= from && v > to;
        };
        bool hit = false;
        if (op.kind == DrawKind::FILL) {
            hit = span(x, r.left, r.right) && span(y, r.top, r.bottom);
        } else if (op.kind == DrawKind::LINE) {
            hit = (r.top == r.bottom && y == r.top && span(x, r.left, r.right)) ||
                  (r.left == r.right && x == r.left && span(y, r.top, r.bottom));
        } else if (op.kind == DrawKind::OUTLINE) {
            hit = n.Contains(Point{x, y}) && n.Width() * n.Height() > 1 &&
                  (x == n.left || x == n.right - 1 || y == n.top || y == n.bottom - 1);
        } else if (op.kind == DrawKind::CLIP_PUSH) {
            clips.push_back(n);
        } else if (op.kind == DrawKind::CLIP_POP) {
            clips.pop_back();
        }
        if (hit && std::all_of(clips.begin(), clips.end(), [&](const Rect& c) {
                return c.Contains(Point{x, y});
            })) {
            color = op.color;
        }
    }
    return color;
}

struct Shapes {
    const char* name;
    void (*draw)(DisplayList&);
};
// clang-format off
const Shapes SHAPES[] = {
    {"fills: empty, one pixel, swapped sides", [](DisplayList& l) {
        FillSolidRect(l, {10, 20, 30, 25}, 0xFF2244); FillSolidRect(l, {40, 5, 40, 30}, 0x00FF88);
        FillSolidRect(l, {41, 5, 42, 6}, 0x123456); FillSolidRect(l, {54, 40, 50, 44}, 0x00EEFF);
        FillSolidRect(l, {44, 43, 47, 40}, 0xFFAA00); }},
    {"lines in four directions, none of no length", [](DisplayList& l) {
        DrawLine(l, {5, 5}, {15, 5}, 0x00EEFF); DrawLine(l, {15, 8}, {5, 8}, 0xFF00CC);
        DrawLine(l, {20, 2}, {20, 12}, 0x22223A); DrawLine(l, {25, 12}, {25, 2}, 0xE0E8FF);
        DrawLine(l, {30, 30}, {30, 30}, 0xFFAA00); }},
    {"outlines over a fill, 1 x 1, 1 wide, swapped, empty ones", [](DisplayList& l) {
        FillSolidRect(l, {8, 8, 24, 20}, COLOR_SURFACE); DrawOutlineRect(l, {10, 10, 20, 16}, COLOR_ACCENT);
        DrawOutlineRect(l, {30, 4, 31, 5}, COLOR_WARN); DrawOutlineRect(l, {34, 2, 35, 7}, COLOR_GOOD);
        DrawOutlineRect(l, {36, 28, 26, 22}, COLOR_CRIT); DrawOutlineRect(l, {38, 2, 38, 9}, COLOR_WARN); DrawOutlineRect(l, {40, 2, 46, 2}, COLOR_WARN); }},
    {"bar gauges at -5, 0, 1, 50, 100 and 250 %", [](DisplayList& l) {
        int32_t y = 0;
        for (int32_t percent : {-5, 0, 1, 50, 100, 250}) { DrawBarGauge(l, 10, y += 12, percent, COLOR_GOOD); } }},
    {"bordered boxes with their rings, one gap apart", [](DisplayList& l) {
        DrawBorderedRect(l, {20, 10, 40, 24}, COLOR_PANEL_BG, COLOR_BORDER);
        DrawBorderedRect(l, {50, 10, 60, 24}, COLOR_PANEL_BG, COLOR_ACCENT);
        DrawBorderedRect(l, {61, 10, 70, 24}, COLOR_PANEL_BG, COLOR_BORDER); }},
    {"nested clips, swapped clip, after the pop", [](DisplayList& l) {
        PushClip(l, {10, 10, 30, 20}); FillSolidRect(l, {0, 0, 40, 40}, 0xFF2244); PopClip(l);
        PushClip(l, {10, 25, 30, 35}); PushClip(l, {20, 0, 40, 32});
        FillSolidRect(l, {0, 22, 40, 40}, 0x00FF88); PopClip(l);
        FillSolidRect(l, {0, 34, 40, 40}, 0x0000FF); PopClip(l);
        FillSolidRect(l, {0, 38, 40, 40}, 0xFFFFFF);
        PushClip(l, {4, 4, 1, 1}); FillSolidRect(l, {0, 0, 40, 40}, 0xE0E8FF); PopClip(l); }},
};
// clang-format on

TEST(RenderPixels, ShapesMatchTheReferencePixelByPixel) {
    for (const Shapes& shapes : SHAPES) {
        SCOPED_TRACE(shapes.name);
        DisplayList list;
        shapes.draw(list);
        const RenderedImage image = RenderForTest(list, 160, 80);
        for (size_t i = 0; i < image.pixels.size(); ++i) {
            const auto x = static_cast<int32_t>(i % 160), y = static_cast<int32_t>(i / 160);
            ASSERT_EQ(image.pixels[i], Reference(list, x, y)) << x << "," << y;
        }
    }
}

// The bounding box of the pixels within an area that are not the background.
Rect Ink(const RenderedImage& image, Rect area, uint32_t background = 0) {
    Rect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int32_t y = area.top; y < area.bottom; ++y) {
        for (int32_t x = area.left; x < area.right; ++x) {
            if (image.At(x, y) != background) {
                box = Rect{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                           std::max(box.bottom, y + 1)};
            }
        }
    }
    return box;
}

constexpr std::u16string_view H4 = u"HHHH", H10 = u"HHHHHHHHHH",
                              H30 = u"HHHHHHHHHHHHHHHHHHHHHHHHHHHHHH";
struct Text {
    const char* name;
    void (*draw)(DisplayList&);
    Rect ink;  // its expected bounding box, to within 3 pixels on each side
};
// clang-format off
const Text TEXTS[] = {
    {"left", [](DisplayList& l) { DrawTextInRect(l, {20, 10, 220, 40}, H4, COLOR_TEXT, FONT_MAIN, ALIGN_LEFT); }, {21, 20, 51, 30}},
    {"center", [](DisplayList& l) { DrawTextInRect(l, {20, 10, 220, 40}, H4, COLOR_TEXT, FONT_MAIN, ALIGN_CENTER); }, {105, 20, 135, 30}},
    {"right", [](DisplayList& l) { DrawTextInRect(l, {20, 10, 220, 40}, H4, COLOR_TEXT, FONT_MAIN, ALIGN_RIGHT); }, {189, 20, 219, 30}},
    {"top-center", [](DisplayList& l) { DrawTextInRect(l, {20, 10, 220, 40}, H4, COLOR_TEXT, FONT_MAIN, ALIGN_TOP_CENTER); }, {105, 13, 135, 23}},
    {"taller rectangle", [](DisplayList& l) { DrawTextInRect(l, {20, 10, 220, 60}, H4, COLOR_TEXT); }, {21, 30, 51, 40}},
    {"cut at its rectangle", [](DisplayList& l) { DrawTextInRect(l, {10, 10, 70, 30}, H30, COLOR_TEXT, FONT_MAIN, ALIGN_CENTER); }, {10, 15, 70, 25}},
    {"one line despite line feeds", [](DisplayList& l) { DrawTextInRect(l, {0, 0, 200, 60}, u"HH\nHH\r\nHH", COLOR_TEXT); }, {0, 25, 71, 34}},
    {"top-center breaks at line feeds", [](DisplayList& l) { DrawTextInRect(l, {0, 0, 200, 60}, u"HH\nHHHHHH", COLOR_TEXT, FONT_MAIN, ALIGN_TOP_CENTER); }, {76, 2, 123, 24}},
    {"at a point, clipped", [](DisplayList& l) { PushClip(l, {10, 0, 50, 60}); DrawTextAt(l, 12, 20, H30, COLOR_TEXT); PopClip(l); }, {13, 23, 50, 33}},
    {"at a point, after the pop", [](DisplayList& l) { PushClip(l, {10, 0, 50, 60}); PopClip(l); DrawTextAt(l, 30, 20, H10, COLOR_TEXT); }, {31, 23, 109, 33}},
    {"large font", [](DisplayList& l) { DrawTextAt(l, 30, 20, H10, COLOR_TEXT, FONT_LARGE); }, {31, 24, 127, 36}},
    {"ampersand as it is", [](DisplayList& l) { DrawTextInRect(l, {30, 20, 230, 40}, u"H&H", COLOR_TEXT); }, {31, 25, 53, 35}},
};
// clang-format on

TEST(RenderPixels, TextInkLandsWhereItsAlignmentAndClipPutIt) {
    for (const Text& text : TEXTS) {
        DisplayList list;
        text.draw(list);
        const Rect ink = Ink(RenderForTest(list, 240, 60), Rect{0, 0, 240, 60});
        EXPECT_TRUE(std::abs(ink.left - text.ink.left) <= 3 &&
                    std::abs(ink.top - text.ink.top) <= 3 &&
                    std::abs(ink.right - text.ink.right) <= 3 &&
                    std::abs(ink.bottom - text.ink.bottom) <= 3)
            << text.name << ": ink " << ink.left << " " << ink.top << " " << ink.right << " "
            << ink.bottom;
    }
}

// At 125, 150 and 200 %: every device pixel shows what its unit cell shows at 96 dpi (fills meet,
// outlines stay closed and one scaled line wide), and text lands in its scaled box.
TEST(RenderPixels, ScaledListsCoverTheirUnitCells) {
    for (const int dpi : {120, 144, 192}) {
        for (const Shapes& shapes : SHAPES) {
            SCOPED_TRACE(shapes.name);
            DisplayList list;
            shapes.draw(list);
            const RenderedImage image =
                RenderForTest(list, ScaleEdge(160, dpi), ScaleEdge(80, dpi), dpi);
            for (int32_t y = 0; y < image.height; ++y) {
                for (int32_t x = 0; x < image.width; ++x) {
                    ASSERT_EQ(image.At(x, y),
                              Reference(list, UnitAtPixel(x, dpi), UnitAtPixel(y, dpi)))
                        << dpi << " dpi at " << x << "," << y;
                }
            }
        }
        for (const Text& text : TEXTS) {
            DisplayList list;
            text.draw(list);
            const Rect ink = Ink(RenderForTest(list, ScaleEdge(240, dpi), ScaleEdge(60, dpi), dpi),
                                 Rect{0, 0, ScaleEdge(240, dpi), ScaleEdge(60, dpi)});
            const int32_t slack = 3 + text.ink.Width() * dpi / 96 / 16;
            for (const auto& [got, unit] : {std::pair{ink.left, text.ink.left},
                                            {ink.top, text.ink.top},
                                            {ink.right, text.ink.right},
                                            {ink.bottom, text.ink.bottom}}) {
                EXPECT_NEAR(got, ScaleEdge(unit, dpi), slack) << text.name << " at " << dpi;
            }
        }
    }
}

TEST(RenderPixels, WholeFrameProbes) {
    ResetAppState();
    appState.activeTab = TAB_SCAN_REPAIR;
    appState.chkdskLines.assign(40, std::u16string(200, u'W'));
    DisplayList list;
    FrameOutput out;
    BuildFrame(list, out, 1200, 750);
    ResetAppState();
    const RenderedImage image = RenderForTest(list, 1200, 750);
    // clang-format off
    const std::pair<Point, uint32_t> probes[] = {
        {{0, 0}, COLOR_ACCENT}, {{1199, 749}, COLOR_ACCENT}, {{1, 36}, 0x00EEFF}, {{1198, 35}, 0xFE00CC},
        {{600, 36}, 0x7F77E5}, {{600, 34}, COLOR_TITLE_BG}, {{221, 300}, COLOR_BORDER}, {{225, 300}, COLOR_WINDOW_BG},
        {{1179, 300}, COLOR_PANEL_BG}, {{1180, 300}, COLOR_SEPARATOR}, {{700, 700}, COLOR_PANEL_BG}};
    // clang-format on
    for (const auto& [at, color] : probes) {
        EXPECT_EQ(image.At(at.x, at.y), color) << at.x << "," << at.y;
    }
    // The product name's ink from x = 39, and the output lines' up to the clip's edge.
    const Rect name = Ink(image, {39, 5, 119, 30}, COLOR_TITLE_BG);
    EXPECT_LE(name.left, 40);
    EXPECT_NEAR(name.right, 110, 3);
    EXPECT_GE(Ink(image, {1100, 213, 1179, 700}, COLOR_PANEL_BG).right, 1176);
}

}  // namespace
}  // namespace corvanite::test
