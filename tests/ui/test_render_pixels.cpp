// Pixels of the platform renderer (Cairo or GDI, through RenderForTest): exact extents of fills,
// lines and outlines, the composite primitives' colours, clipping, and where text lands.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "render_pixels.h"
#include "ui/display_scale.h"
#include "ui/palette.h"
#include "ui/primitives.h"

namespace corvanite::test {
namespace {

constexpr uint32_t BLACK = 0x000000;

// Bounding box of the pixels that are not black within an area of the image.
struct Box {
    int32_t minX = INT32_MAX;
    int32_t minY = INT32_MAX;
    int32_t maxX = INT32_MIN;
    int32_t maxY = INT32_MIN;
    int32_t count = 0;
    bool Empty() const { return count == 0; }
    int32_t Width() const { return maxX - minX + 1; }
    int32_t Height() const { return maxY - minY + 1; }
};

Box InkBox(const RenderedImage& image, Rect area) {
    Box box;
    for (int32_t y = std::max(area.top, 0); y < std::min(area.bottom, image.height); ++y) {
        for (int32_t x = std::max(area.left, 0); x < std::min(area.right, image.width); ++x) {
            if (image.At(x, y) != BLACK) {
                box.minX = std::min(box.minX, x);
                box.minY = std::min(box.minY, y);
                box.maxX = std::max(box.maxX, x);
                box.maxY = std::max(box.maxY, y);
                ++box.count;
            }
        }
    }
    return box;
}

Box InkBox(const RenderedImage& image) {
    return InkBox(image, Rect{0, 0, image.width, image.height});
}

// Every pixel of the image against the colour the function expects there; reports the first
// few differences.
template <typename Expected>
void ExpectPixels(const RenderedImage& image, Expected expected) {
    int failures = 0;
    for (int32_t y = 0; y < image.height && failures < 5; ++y) {
        for (int32_t x = 0; x < image.width && failures < 5; ++x) {
            const uint32_t want = expected(x, y);
            if (image.At(x, y) != want) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                              << image.At(x, y) << ", expected " << want;
                ++failures;
            }
        }
    }
}

TEST(RenderPixels, FillCoversColumnsLeftToRightMinusOneAndRowsTopToBottomMinusOne) {
    DisplayList list;
    FillSolidRect(list, Rect{10, 20, 30, 25}, 0xFF2244);
    FillSolidRect(list, Rect{40, 5, 40, 30}, 0x00FF88);  // empty: no pixel
    FillSolidRect(list, Rect{41, 5, 42, 6}, 0x123456);   // exactly one pixel
    // Inverted sides, as FillRect takes them: columns 51..54 (right+1 up to left), rows 41..43.
    FillSolidRect(list, Rect{54, 40, 50, 44}, 0x00EEFF);
    FillSolidRect(list, Rect{44, 43, 47, 40}, 0xFFAA00);
    const RenderedImage image = RenderForTest(list, 64, 48);
    ExpectPixels(image, [](int32_t x, int32_t y) -> uint32_t {
        if (x >= 10 && x < 30 && y >= 20 && y < 25) {
            return 0xFF2244;
        }
        if (x >= 51 && x <= 54 && y >= 40 && y < 44) {
            return 0x00EEFF;
        }
        if (x >= 44 && x < 47 && y >= 41 && y <= 43) {
            return 0xFFAA00;
        }
        return x == 41 && y == 5 ? 0x123456 : BLACK;
    });
}

TEST(RenderPixels, LinePaintsFromItsStartAndNotItsEndInEveryDirection) {
    DisplayList list;
    DrawLine(list, Point{5, 5}, Point{15, 5}, 0x00EEFF);     // right: x 5..14
    DrawLine(list, Point{15, 8}, Point{5, 8}, 0xFF00CC);     // left: x 15 down to 6
    DrawLine(list, Point{20, 2}, Point{20, 12}, 0x22223A);   // down: y 2..11
    DrawLine(list, Point{25, 12}, Point{25, 2}, 0xE0E8FF);   // up: y 12 down to 3
    DrawLine(list, Point{30, 30}, Point{30, 30}, 0xFFAA00);  // no length: nothing
    // A slope (the program draws none, but a list may hold one): pairs of pixels per row.
    DrawLine(list, Point{30, 20}, Point{37, 23}, 0x00FF88);
    const RenderedImage image = RenderForTest(list, 40, 40);
    ExpectPixels(image, [](int32_t x, int32_t y) -> uint32_t {
        if (x >= 30 && x <= 36 && y == 20 + (x - 30) / 2) {
            return 0x00FF88;
        }
        if (y == 5 && x >= 5 && x <= 14) {
            return 0x00EEFF;
        }
        if (y == 8 && x >= 6 && x <= 15) {
            return 0xFF00CC;
        }
        if (x == 20 && y >= 2 && y <= 11) {
            return 0x22223A;
        }
        if (x == 25 && y >= 3 && y <= 12) {
            return 0xE0E8FF;
        }
        return BLACK;
    });
}

TEST(RenderPixels, OutlinePaintsItsFourEdgesAndLeavesTheInside) {
    DisplayList list;
    FillSolidRect(list, Rect{8, 8, 24, 20}, COLOR_SURFACE);
    DrawOutlineRect(list, Rect{10, 10, 20, 16}, COLOR_ACCENT);
    DrawOutlineRect(list, Rect{30, 4, 31, 5}, COLOR_WARN);    // 1 x 1: the path has no length
    DrawOutlineRect(list, Rect{34, 2, 35, 7}, COLOR_GOOD);    // 1 wide: one column, rows 2..6
    DrawOutlineRect(list, Rect{36, 28, 26, 22}, COLOR_CRIT);  // corners in any order
    const RenderedImage image = RenderForTest(list, 40, 30);
    ExpectPixels(image, [](int32_t x, int32_t y) -> uint32_t {
        const bool inRect = x >= 10 && x < 20 && y >= 10 && y < 16;
        if (inRect && (x == 10 || x == 19 || y == 10 || y == 15)) {
            return COLOR_ACCENT;
        }
        if (x >= 8 && x < 24 && y >= 8 && y < 20) {
            return COLOR_SURFACE;
        }
        const bool inSwapped = x >= 26 && x < 36 && y >= 22 && y < 28;
        if (inSwapped && (x == 26 || x == 35 || y == 22 || y == 27)) {
            return COLOR_CRIT;
        }
        return x == 34 && y >= 2 && y <= 6 ? COLOR_GOOD : BLACK;
    });
}

TEST(RenderPixels, BarGaugeTrackDimFillAndBrightEdgeAtEachPercent) {
    struct Case {
        int32_t percent;
        int32_t filled;  // columns of the dim fill
    };
    const Case cases[] = {{-5, 0}, {0, 0}, {1, 1}, {50, 70}, {100, 140}, {250, 140}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percent);
        DisplayList list;
        DrawBarGauge(list, 10, 6, c.percent, COLOR_GOOD);
        const RenderedImage image = RenderForTest(list, 160, 22);
        ExpectPixels(image, [&](int32_t x, int32_t y) -> uint32_t {
            const int32_t dx = x - 10;
            const int32_t dy = y - 6;
            if (dx < 0 || dx >= 140 || dy < 0 || dy >= 10) {
                return BLACK;
            }
            if (c.filled > 0 && dx < 2) {
                return COLOR_GOOD;  // the bright edge is 2 pixels wide even at 1 %
            }
            if (dx < c.filled) {
                return 0x006636;  // COLOR_GOOD x 0.4, truncated
            }
            if (dx == 0 || dx == 139 || dy == 0 || dy == 9) {
                return COLOR_BORDER;
            }
            return COLOR_SURFACE;
        });
    }
}

TEST(RenderPixels, BorderedBoxHasItsOwnBorderAndADimRingOutside) {
    DisplayList list;
    DrawBorderedRect(list, Rect{20, 10, 40, 24}, COLOR_PANEL_BG, COLOR_BORDER);
    // Two boxes with a 1-pixel gap: their rings meet in the gap (the later one's ring on top).
    DrawBorderedRect(list, Rect{50, 10, 60, 24}, COLOR_PANEL_BG, COLOR_ACCENT);
    DrawBorderedRect(list, Rect{61, 10, 70, 24}, COLOR_PANEL_BG, COLOR_BORDER);
    const RenderedImage image = RenderForTest(list, 80, 32);
    EXPECT_EQ(image.At(19, 9), 0x06060Bu);   // COLOR_BORDER x 0.2
    EXPECT_EQ(image.At(40, 24), 0x06060Bu);  // one pixel outside right and bottom
    EXPECT_EQ(image.At(30, 9), 0x06060Bu);
    EXPECT_EQ(image.At(19, 17), 0x06060Bu);
    EXPECT_EQ(image.At(18, 17), BLACK);
    EXPECT_EQ(image.At(30, 25), BLACK);
    EXPECT_EQ(image.At(20, 10), COLOR_BORDER);
    EXPECT_EQ(image.At(39, 23), COLOR_BORDER);
    EXPECT_EQ(image.At(21, 11), COLOR_PANEL_BG);
    EXPECT_EQ(image.At(38, 22), COLOR_PANEL_BG);
    EXPECT_EQ(image.At(60, 15), 0x06060Bu);  // the gap: the second box's ring
    EXPECT_EQ(image.At(59, 15), COLOR_ACCENT);
    EXPECT_EQ(image.At(49, 15), 0x002F33u);  // COLOR_ACCENT x 0.2
}

TEST(RenderPixels, ClipRestrictsFillsAndTextUntilItsPop) {
    DisplayList list;
    PushClip(list, Rect{10, 10, 30, 20});
    FillSolidRect(list, Rect{0, 0, 40, 40}, 0xFF2244);
    PopClip(list);
    // Nested clips intersect: (10, 25, 30, 35) within (20, 0, 40, 32) leaves (20, 25, 30, 32).
    PushClip(list, Rect{10, 25, 30, 35});
    PushClip(list, Rect{20, 0, 40, 32});
    FillSolidRect(list, Rect{0, 22, 40, 40}, 0x00FF88);
    PopClip(list);
    FillSolidRect(list, Rect{0, 34, 40, 40}, 0x0000FF);  // the outer clip again: rows 34
    PopClip(list);
    FillSolidRect(list, Rect{0, 38, 40, 40}, 0xFFFFFF);  // no clip: whole rows 38..39
    PushClip(list, Rect{4, 4, 1, 1});  // corners in any order: columns and rows 1..3
    FillSolidRect(list, Rect{0, 0, 40, 40}, 0xE0E8FF);
    PopClip(list);
    const RenderedImage image = RenderForTest(list, 40, 40);
    ExpectPixels(image, [](int32_t x, int32_t y) -> uint32_t {
        if (y >= 38) {
            return 0xFFFFFF;
        }
        if (x >= 1 && x < 4 && y >= 1 && y < 4) {
            return 0xE0E8FF;
        }
        if (x >= 10 && x < 30 && y >= 10 && y < 20) {
            return 0xFF2244;
        }
        if (x >= 10 && x < 30 && y == 34) {
            return 0x0000FF;
        }
        if (x >= 20 && x < 30 && y >= 25 && y < 32) {
            return 0x00FF88;
        }
        return BLACK;
    });

    // Text under a clip is cut at the clip's edge, whether at a point or in a rectangle.
    DisplayList text;
    PushClip(text, Rect{10, 0, 50, 60});
    DrawTextAt(text, 12, 5, u"HHHHHHHHHHHHHHHHHHHH", COLOR_TEXT);
    DrawTextInRect(text, Rect{0, 30, 120, 50}, u"HHHHHHHHHHHHHHHHHHHH", COLOR_TEXT);
    PopClip(text);
    DrawTextAt(text, 12, 70, u"HHHHHHHHHHHHHHHHHHHH", COLOR_TEXT);
    const RenderedImage cut = RenderForTest(text, 200, 100);
    const Box atPoint = InkBox(cut, Rect{0, 0, 200, 25});
    const Box inRect = InkBox(cut, Rect{0, 25, 200, 55});
    const Box unclipped = InkBox(cut, Rect{0, 60, 200, 100});
    ASSERT_FALSE(atPoint.Empty());
    ASSERT_FALSE(inRect.Empty());
    EXPECT_GE(atPoint.minX, 12);
    EXPECT_LE(atPoint.maxX, 49);
    EXPECT_GE(atPoint.maxX, 45);  // glyphs run up to the clip's edge
    EXPECT_EQ(inRect.minX, 10);   // the glyph stems cut at x = 10
    EXPECT_LE(inRect.maxX, 49);
    EXPECT_GT(unclipped.maxX, 140);  // after the pop the same text runs its whole length
}

TEST(RenderPixels, TextInRectStaysInsideItsRectangleOnOneLine) {
    DisplayList list;
    const Rect rect{10, 10, 70, 30};
    for (TextAlign align : {ALIGN_LEFT, ALIGN_CENTER, ALIGN_RIGHT, ALIGN_TOP_CENTER}) {
        SCOPED_TRACE(static_cast<int>(align));
        list.Clear();
        DrawTextInRect(list, rect, u"HHHHHHHHHHHHHHHHHHHHHHHHHHHHHH", COLOR_TEXT, FONT_MAIN, align);
        const RenderedImage image = RenderForTest(list, 100, 60);
        const Box all = InkBox(image);
        const Box inside = InkBox(image, rect);
        ASSERT_FALSE(all.Empty());
        EXPECT_EQ(all.count, inside.count);  // nothing outside the rectangle
        EXPECT_GT(inside.count, 100);        // and a good many glyph pixels inside it
        // The text is wider than the rectangle and does not wrap: cut at the right edge (and
        // at the left one unless left-aligned), on one line of glyphs.
        EXPECT_GE(inside.maxX, 66);
        EXPECT_LE(inside.minX, align == ALIGN_LEFT ? 12 : 13);
        EXPECT_LE(inside.Height(), 13);
    }
    // A single-line alignment does not break at a line feed either: one row of glyphs in a
    // rectangle high enough for three lines.
    list.Clear();
    DrawTextInRect(list, Rect{0, 0, 100, 60}, u"HH\nHH\r\nHH", COLOR_TEXT);
    const Box oneLine = InkBox(RenderForTest(list, 100, 60));
    ASSERT_FALSE(oneLine.Empty());
    EXPECT_LE(oneLine.Height(), 13);
    EXPECT_GE(oneLine.Width(), 6 * 7);
}

// The four alignments, by the glyph pixels' bounding box of the same text in the same rectangle.
TEST(RenderPixels, AlignmentsPlaceTheTextAsDrawTextDoes) {
    const Rect rect{20, 10, 220, 40};
    Box boxes[4];
    for (int a = 0; a < 4; ++a) {
        DisplayList list;
        DrawTextInRect(list, rect, u"HHHH", COLOR_TEXT, FONT_MAIN, static_cast<TextAlign>(a));
        boxes[a] = InkBox(RenderForTest(list, 240, 60));
        ASSERT_FALSE(boxes[a].Empty()) << a;
    }
    // The same text at the rectangle's top-left corner, and left-aligned in a rectangle 20
    // pixels higher.
    DisplayList list;
    DrawTextAt(list, rect.left, rect.top, u"HHHH", COLOR_TEXT);
    const Box atCorner = InkBox(RenderForTest(list, 240, 80));
    list.Clear();
    DrawTextInRect(list, Rect{rect.left, rect.top, rect.right, rect.bottom + 20}, u"HHHH",
                   COLOR_TEXT);
    const Box taller = InkBox(RenderForTest(list, 240, 80));
    const Box& center = boxes[ALIGN_CENTER];
    const Box& left = boxes[ALIGN_LEFT];
    const Box& right = boxes[ALIGN_RIGHT];
    const Box& top = boxes[ALIGN_TOP_CENTER];
    // Same glyphs: same ink size whatever the alignment.
    for (const Box& box : boxes) {
        EXPECT_EQ(box.Width(), left.Width());
        EXPECT_EQ(box.Height(), left.Height());
    }
    EXPECT_GE(left.minX - rect.left, 0);
    EXPECT_LE(left.minX - rect.left, 2);
    EXPECT_GE(rect.right - 1 - right.maxX, 0);
    EXPECT_LE(rect.right - 1 - right.maxX, 3);
    // Centred: half the way of right-aligned, to the pixel.
    EXPECT_NEAR(2 * (center.minX - left.minX), right.minX - left.minX, 1);
    EXPECT_NEAR((center.minX + center.maxX) / 2, (rect.left + rect.right) / 2, 3);
    // The single-line ones share their rows, centred on the rectangle's height.
    EXPECT_EQ(center.minY, left.minY);
    EXPECT_EQ(right.minY, left.minY);
    EXPECT_NEAR((left.minY + left.maxY) / 2.0, (rect.top + rect.bottom) / 2.0, 3.0);
    // Centred on a line 13 to 17 pixels high: (30 - height) / 2 below the top, and 10 rows
    // further in a rectangle 20 rows higher.
    EXPECT_EQ(left.minX, atCorner.minX);
    EXPECT_GE(left.minY - atCorner.minY, 6);
    EXPECT_LE(left.minY - atCorner.minY, 8);
    EXPECT_EQ(taller.minY - left.minY, 10);
    // Top-centred: the same columns as centred, at the top.
    EXPECT_EQ(top.minX, center.minX);
    EXPECT_GE(top.minY - rect.top, 0);
    EXPECT_LE(top.minY - rect.top, 5);
    EXPECT_LT(top.minY, center.minY);
}

TEST(RenderPixels, TopCentredTextBreaksOnlyAtLineBreaks) {
    DisplayList list;
    DrawTextInRect(list, Rect{0, 0, 200, 80}, u"HH\nHHHHHH", COLOR_TEXT, FONT_MAIN,
                   ALIGN_TOP_CENTER);
    const RenderedImage image = RenderForTest(list, 200, 80);
    const Box all = InkBox(image);
    ASSERT_FALSE(all.Empty());
    // Two lines of glyphs with blank rows between them.
    int32_t blankRow = -1;
    for (int32_t y = all.minY; y <= all.maxY && blankRow < 0; ++y) {
        if (InkBox(image, Rect{0, y, 200, y + 1}).Empty()) {
            blankRow = y;
        }
    }
    ASSERT_GT(blankRow, 0);
    const Box first = InkBox(image, Rect{0, 0, 200, blankRow});
    const Box second = InkBox(image, Rect{0, blankRow, 200, 80});
    ASSERT_FALSE(second.Empty());
    // One line height of the 10-point font: 13 pixels and the face's leading (17 in all).
    EXPECT_GE(second.minY - first.minY, 13);
    EXPECT_LE(second.minY - first.minY, 17);
    EXPECT_NEAR(second.Width(), 3 * first.Width(), 10);
    EXPECT_NEAR(first.minX + first.maxX, second.minX + second.maxX, 2);  // each line centred
    EXPECT_NEAR(first.minX + first.maxX, 200, 3);
}

TEST(RenderPixels, TextAtAPointStartsThereAndShowsAmpersandsAsTheyAre) {
    DisplayList list;
    DrawTextAt(list, 30, 20, u"HHHHHHHHHH", COLOR_TEXT);
    DrawTextAt(list, 30, 50, u"HHHHHHHHHH", COLOR_TEXT, FONT_LARGE);
    DrawTextInRect(list, Rect{30, 80, 230, 100}, u"H&H", COLOR_TEXT);
    DrawTextInRect(list, Rect{30, 100, 230, 120}, u"HHH", COLOR_TEXT);
    const RenderedImage image = RenderForTest(list, 240, 130);
    const Box main = InkBox(image, Rect{0, 0, 240, 45});
    const Box large = InkBox(image, Rect{0, 45, 240, 80});
    ASSERT_FALSE(main.Empty());
    ASSERT_FALSE(large.Empty());
    EXPECT_GE(main.minX, 30);
    EXPECT_LE(main.minX, 32);
    EXPECT_GE(main.minY, 20);
    EXPECT_LE(main.minY, 25);
    // Ten cells of a 13-pixel fixed-pitch face (about 8 pixels each), and of a 16-pixel one
    // (about 10): sized in pixels at 96 dpi, not in points.
    EXPECT_NEAR(main.Width(), 78, 8);
    EXPECT_NEAR(large.Width(), 96, 8);
    EXPECT_GT(large.Height(), main.Height());
    // "H&H" is three characters wide, not "H" and an underlined "H".
    const Box ampersand = InkBox(image, Rect{0, 80, 240, 100});
    const Box threeH = InkBox(image, Rect{0, 100, 240, 120});
    EXPECT_NEAR(ampersand.Width(), threeH.Width(), 2);
}

// At 125, 150 and 200 %: every device pixel of fills, lines and outlines shows what its unit
// cell shows at 96 dpi, so neighbouring fills meet with no gap or overlap and an outline stays
// closed and one scaled unit wide; a text stays inside its scaled rectangle at its scaled size.
TEST(RenderPixels, ScaledListCoversTheUnitCellsAndKeepsTextInItsBox) {
    DisplayList shapes;
    FillSolidRect(shapes, Rect{2, 2, 13, 9}, COLOR_WARN);
    FillSolidRect(shapes, Rect{13, 2, 21, 9}, COLOR_GOOD);  // meets the first at x = 13
    FillSolidRect(shapes, Rect{2, 9, 21, 12}, COLOR_CRIT);  // and both from below
    DrawOutlineRect(shapes, Rect{24, 2, 37, 15}, COLOR_ACCENT);
    DrawBorderedRect(shapes, Rect{41, 3, 50, 12}, COLOR_PANEL_BG, COLOR_BORDER);
    DrawLine(shapes, Point{2, 14}, Point{21, 14}, COLOR_TEXT);
    DrawLine(shapes, Point{22, 19}, Point{22, 2}, COLOR_ACCENT_ALT);
    const RenderedImage units = RenderForTest(shapes, 53, 20);
    const Rect box{5, 5, 85, 25};
    DisplayList text;
    DrawTextInRect(text, box, u"HHHHHHHH", COLOR_TEXT, FONT_MAIN, ALIGN_CENTER);
    DrawTextAt(text, 5, 30, u"HHHHHHHH", COLOR_TEXT, FONT_LARGE);
    const RenderedImage text96 = RenderForTest(text, 90, 55);
    const Box inBox96 = InkBox(text96, Rect{0, 0, 90, 28});
    const Box atPoint96 = InkBox(text96, Rect{0, 28, 90, 55});
    for (int dpi : {120, 144, 192}) {
        SCOPED_TRACE(dpi);
        const RenderedImage image =
            RenderForTest(shapes, ScaleEdge(53, dpi), ScaleEdge(20, dpi), dpi);
        ExpectPixels(image, [&](int32_t x, int32_t y) {
            return units.At(UnitAtPixel(x, dpi), UnitAtPixel(y, dpi));
        });
        const double scale = dpi / 96.0;
        const RenderedImage scaled =
            RenderForTest(text, ScaleEdge(90, dpi), ScaleEdge(55, dpi), dpi);
        const Box inBox = InkBox(scaled, Rect{0, 0, scaled.width, ScaleEdge(28, dpi)});
        EXPECT_EQ(inBox.count, InkBox(scaled, ScaleRect(box, dpi)).count);
        EXPECT_NEAR(inBox.Width(), inBox96.Width() * scale, 2 + 0.06 * inBox96.Width() * scale);
        EXPECT_NEAR(inBox.Height(), inBox96.Height() * scale, 2);
        const Box atPoint =
            InkBox(scaled, Rect{0, ScaleEdge(28, dpi), scaled.width, scaled.height});
        EXPECT_NEAR(atPoint.minX, atPoint96.minX * scale, 2);
        EXPECT_NEAR(atPoint.minY, atPoint96.minY * scale, 2);
        EXPECT_NEAR(atPoint.Width(), atPoint96.Width() * scale,
                    2 + 0.06 * atPoint96.Width() * scale);
    }
}

}  // namespace
}  // namespace corvanite::test
