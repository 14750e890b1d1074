// One pixel suite on this platform's renderer (Cairo natively, GDI under Wine), at 96 dpi and at
// 125, 150 and 200 %: shapes against a reference rasteriser, texts by where their ink lands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "render_pixels.h"
#include "ui/display_scale.h"
#include "ui/primitives.h"

namespace corvanite::test {
namespace {

// The colour GDI's rules give unit cell (x, y) of the list's fills, level and upright lines and
// outlines: later operations over earlier ones, clips nested, corners in any order (a fill's
// swapped sides cover from the smaller plus one up to the larger), lines without their end.
uint32_t Reference(const DisplayList& list, int32_t x, int32_t y) {
    auto fill = [&](int32_t l, int32_t t, int32_t r, int32_t b) {
        return (l <= r ? x >= l && x < r : x <= l && x > r) &&
               (t <= b ? y >= t && y < b : y <= t && y > b);
    };
    uint32_t color = 0;
    std::vector<Rect> clips;
    for (const DrawOp& op : list.ops) {
        const auto [l, t, r, b] = op.rect;
        const Rect n{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
        bool hit =
            (op.kind == DrawKind::FILL && fill(l, t, r, b)) ||
            (op.kind == DrawKind::LINE && t == b && fill(l, t, r, t + 1)) ||
            (op.kind == DrawKind::LINE && l == r && fill(l, t, l + 1, b)) ||
            (op.kind == DrawKind::OUTLINE && n.Contains({x, y}) && n.Width() * n.Height() > 1 &&
             (x == n.left || x == n.right - 1 || y == n.top || y == n.bottom - 1));
        if (op.kind == DrawKind::CLIP_PUSH) {
            clips.push_back(n);
        } else if (op.kind == DrawKind::CLIP_POP && !clips.empty()) {
            clips.pop_back();
        }
        for (const Rect& clip : clips) {
            hit = hit && clip.Contains({x, y});
        }
        color = hit ? op.color : color;
    }
    return color;
}

constexpr std::u16string_view H4 = u"HHHH", H10 = u"HHHHHHHHHH";
// What to draw, and for texts (and a sloped line) the ink's box at 96 dpi, to within 3 pixels.
// clang-format off
const std::tuple<const char*, void (*)(DisplayList&), Rect> CASES[] = {
    {"fills: empty, one pixel, swapped sides", [](DisplayList& l) {
        FillSolidRect(l, {10, 20, 30, 25}, 0xFF2244); FillSolidRect(l, {40, 5, 40, 30}, 0x00FF88); FillSolidRect(l, {41, 5, 42, 6}, 0x123456);
        FillSolidRect(l, {54, 40, 50, 44}, 0x00EEFF); FillSolidRect(l, {44, 43, 47, 40}, 0xFFAA00); }, {}},
    {"lines in four directions, none of no length", [](DisplayList& l) {
        DrawLine(l, {5, 5}, {15, 5}, 0x00EEFF); DrawLine(l, {15, 8}, {5, 8}, 0xFF00CC); DrawLine(l, {20, 2}, {20, 12}, 0x22223A);
        DrawLine(l, {25, 12}, {25, 2}, 0xE0E8FF); DrawLine(l, {30, 30}, {30, 30}, 0xFFAA00); }, {}},
    {"outlines over a fill, 1 x 1, 1 wide, swapped, empty ones", [](DisplayList& l) {
        FillSolidRect(l, {8, 8, 24, 20}, COLOR_SURFACE); DrawOutlineRect(l, {10, 10, 20, 16}, COLOR_ACCENT); DrawOutlineRect(l, {30, 4, 31, 5}, COLOR_WARN);
        DrawOutlineRect(l, {34, 2, 35, 7}, COLOR_GOOD); DrawOutlineRect(l, {36, 28, 26, 22}, COLOR_CRIT);
        DrawOutlineRect(l, {38, 2, 38, 9}, COLOR_WARN); DrawOutlineRect(l, {40, 2, 46, 2}, COLOR_WARN); }, {}},
    {"bar gauges at -5, 0, 1, 50, 100 and 250 %", [](DisplayList& l) {
        int32_t y = 0;
        for (int32_t percent : {-5, 0, 1, 50, 100, 250}) { DrawBarGauge(l, 10, y += 12, percent, COLOR_GOOD); } }, {}},
    {"bordered boxes with their rings, one gap apart", [](DisplayList& l) {
        DrawBorderedRect(l, {20, 10, 40, 24}, COLOR_PANEL_BG, COLOR_BORDER); DrawBorderedRect(l, {50, 10, 60, 24}, COLOR_PANEL_BG, COLOR_ACCENT);
        DrawBorderedRect(l, {61, 10, 70, 24}, COLOR_PANEL_BG, COLOR_BORDER); }, {}},
    {"a stray pop, nested clips, swapped clip, after the pop, one left pushed", [](DisplayList& l) {
        PopClip(l); PushClip(l, {10, 10, 30, 20}); FillSolidRect(l, {0, 0, 40, 40}, 0xFF2244); PopClip(l);
        PushClip(l, {10, 25, 30, 35}); PushClip(l, {20, 0, 40, 32}); FillSolidRect(l, {0, 22, 40, 40}, 0x00FF88); PopClip(l);
        FillSolidRect(l, {0, 34, 40, 40}, 0x0000FF); PopClip(l); FillSolidRect(l, {0, 38, 40, 40}, 0xFFFFFF);
        PushClip(l, {4, 4, 1, 1}); FillSolidRect(l, {0, 0, 40, 40}, 0xE0E8FF); PopClip(l); PushClip(l, {0, 0, 1, 1}); }, {}},
    {"left", [](DisplayList& l) { DrawTextInRect(l, {20, 10, 220, 40}, H4, COLOR_TEXT, FONT_MAIN, ALIGN_LEFT); }, {21, 20, 51, 30}},
    {"center", [](DisplayList& l) { DrawTextInRect(l, {20, 10, 220, 40}, H4, COLOR_TEXT, FONT_MAIN, ALIGN_CENTER); }, {105, 20, 135, 30}},
    {"right", [](DisplayList& l) { DrawTextInRect(l, {20, 10, 220, 40}, H4, COLOR_TEXT, FONT_MAIN, ALIGN_RIGHT); }, {189, 20, 219, 30}},
    {"top-center", [](DisplayList& l) { DrawTextInRect(l, {20, 10, 220, 40}, H4, COLOR_TEXT, FONT_MAIN, ALIGN_TOP_CENTER); }, {105, 13, 135, 23}},
    {"cut at its rectangle", [](DisplayList& l) { DrawTextInRect(l, {10, 10, 70, 30}, std::u16string(30, u'H'), COLOR_TEXT, FONT_MAIN, ALIGN_CENTER); }, {10, 15, 70, 25}},
    {"one line despite line feeds", [](DisplayList& l) { DrawTextInRect(l, {0, 0, 200, 60}, u"HH\nHH\r\nHH", COLOR_TEXT); }, {0, 25, 71, 34}},
    {"top-center breaks at line feeds", [](DisplayList& l) { DrawTextInRect(l, {0, 0, 200, 60}, u"HH\r\nHHHHHH", COLOR_TEXT, FONT_MAIN, ALIGN_TOP_CENTER); }, {76, 2, 123, 24}},
    {"at a point, clipped", [](DisplayList& l) { PushClip(l, {10, 0, 50, 60}); DrawTextAt(l, 12, 20, std::u16string(30, u'H'), COLOR_TEXT); PopClip(l); }, {13, 23, 50, 33}},
    {"at a point, after the pop", [](DisplayList& l) { PushClip(l, {10, 0, 50, 60}); PopClip(l); DrawTextAt(l, 30, 20, H10, COLOR_TEXT); }, {31, 23, 109, 33}},
    {"large font", [](DisplayList& l) { DrawTextAt(l, 30, 20, H10, COLOR_TEXT, FONT_LARGE); }, {31, 24, 127, 36}},
    {"sloped line: the pen between its scaled ends", [](DisplayList& l) { DrawLine(l, {200, 50}, {4, 10}, COLOR_TEXT); }, {5, 10, 201, 51}},
    {"ampersand as it is", [](DisplayList& l) { DrawTextInRect(l, {30, 20, 230, 40}, u"H&H", COLOR_TEXT); }, {31, 25, 53, 35}},
};
// clang-format on

// A shape's device pixels show what their unit cells show (fills meet, outlines stay closed and
// one scaled line wide); an ink's box scales, with room for fonts that grow by whole pixels.
TEST(RenderPixels, ShapesAndInkAtEachResolution) {
    for (const int dpi : {96, 120, 144, 192}) {
        for (const auto& [name, draw, box] : CASES) {
            DisplayList list;
            draw(list);
            const Rect all =
                ScaleRect(box.right == 0 ? Rect{0, 0, 160, 80} : Rect{0, 0, 240, 60}, dpi);
            const std::vector<uint32_t> image = RenderForTest(list, all.right, all.bottom, dpi);
            Rect ink{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
            for (int32_t i = 0; i < static_cast<int32_t>(image.size()); ++i) {
                const int32_t x = i % all.right, y = i / all.right;
                const uint32_t pixel = image[static_cast<size_t>(i)];
                if (box.right == 0) {
                    ASSERT_EQ(pixel, Reference(list, UnitAtPixel(x, dpi), UnitAtPixel(y, dpi)))
                        << name << " at " << dpi << " dpi, " << x << "," << y;
                } else if (pixel != 0) {
                    ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                           std::max(ink.bottom, y + 1)};
                }
            }
            const Rect want = ScaleRect(box, dpi);
            const int32_t slack = 3 + (dpi == 96 ? 0 : want.Width() / 16);
            EXPECT_TRUE(box.right == 0 || (std::abs(ink.left - want.left) <= slack &&
                                           std::abs(ink.top - want.top) <= slack &&
                                           std::abs(ink.right - want.right) <= slack &&
                                           std::abs(ink.bottom - want.bottom) <= slack))
                << name << " at " << dpi << ": " << ink.left << " " << ink.top << " " << ink.right
                << " " << ink.bottom;
        }
    }
}

// A drive card's size line and the grade under it, as the list places them, each drawn alone:
// at every resolution the first one's ink ends above the second one's, whatever face the system
// gives (one whose cell has leading above the letters pushed its lines onto the next).
TEST(RenderPixels, CardLinesNeverTouch) {
    const auto inkRows = [](void (*draw)(DisplayList&), int dpi) {
        DisplayList list;
        draw(list);
        const Rect all = ScaleRect(Rect{0, 0, 220, 80}, dpi);
        const std::vector<uint32_t> image = RenderForTest(list, all.right, all.bottom, dpi);
        int32_t top = INT32_MAX, bottom = INT32_MIN;
        for (size_t i = 0; i < image.size(); ++i) {
            const auto y = static_cast<int32_t>(i) / all.right;
            if (image[i] != 0) {
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
        }
        return std::pair{top, bottom};
    };
    for (const int dpi : {96, 120, 144, 192}) {
        const auto size = inkRows(
            [](DisplayList& l) { DrawTextAt(l, 10, 39, u"500.1 GB  SATA gy", COLOR_TEXT); }, dpi);
        const auto grade = inkRows(
            [](DisplayList& l) {
                DrawTextInRect(l, {10, 53, 210, 67}, u"WARN |[", COLOR_TEXT, FONT_MAIN, ALIGN_LEFT);
            },
            dpi);
        EXPECT_LE(size.second, grade.first)
            << "at " << dpi << " dpi: " << size.first << "-" << size.second << " over "
            << grade.first << "-" << grade.second;
        EXPECT_LE(grade.second, ScaleRect(Rect{0, 0, 0, 67}, dpi).bottom) << "at " << dpi << " dpi";
    }
}

}  // namespace
}  // namespace corvanite::test
