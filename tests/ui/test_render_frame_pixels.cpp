// Whole frames from BuildFrame through this platform's renderer: the pixels the window shows.

#include <gtest/gtest.h>

#include <string>

#include "render_pixels.h"
#include "ui/frame.h"
#include "ui_test_support.h"

namespace corvanite::test {
namespace {

using RenderFrame = DisplayTest;

TEST_F(RenderFrame, TitleGradientRunsFromCyanToMagentaInsideTheWindowOutline) {
    BuildFrame(list, out, 1200, 750);
    const RenderedImage image = RenderForTest(list, 1200, 750);
    // The gradient rule: rows 35 and 36 from the first column (x = 1) to the last (x = 1198).
    for (int32_t y : {35, 36}) {
        EXPECT_EQ(image.At(1, y), 0x00EEFFu) << y;
        EXPECT_EQ(image.At(1198, y), 0xFE00CCu) << y;
        EXPECT_EQ(image.At(600, y), 0x7F77E5u) << y;  // t = 599 / 1198 = 0.5: 127, 119, 229
    }
    EXPECT_EQ(image.At(600, 34), COLOR_TITLE_BG);
    // The window outline around it all, and the background in the gaps around the content.
    for (Point p : {Point{0, 0}, Point{1199, 0}, Point{0, 749}, Point{1199, 749}, Point{0, 36},
                    Point{1199, 36}, Point{600, 749}}) {
        EXPECT_EQ(image.At(p.x, p.y), COLOR_ACCENT) << p.x << "," << p.y;
    }
    EXPECT_EQ(image.At(221, 300), COLOR_BORDER);
    EXPECT_EQ(image.At(220, 300), COLOR_SURFACE);
    EXPECT_EQ(image.At(225, 300), COLOR_WINDOW_BG);
    EXPECT_EQ(image.At(600, 76), COLOR_WINDOW_BG);
    // The title's product name is drawn in its colour at (39, 10) onwards.
    int32_t textPixels = 0;
    for (int32_t y = 10; y < 30; ++y) {
        for (int32_t x = 39; x < 115; ++x) {
            textPixels += image.At(x, y) != COLOR_TITLE_BG ? 1 : 0;
        }
    }
    EXPECT_GT(textPixels, 80);
}

TEST_F(RenderFrame, OutputLinesAreCutAtTheOutputBoxClip) {
    appState.activeTab = TAB_SCAN_REPAIR;
    appState.chkdskLines.assign(40, std::u16string(200, u'W'));
    BuildFrame(list, out, 1200, 750);
    const RenderedImage image = RenderForTest(list, 1200, 750);
    // CONTENT_RECT (228, 79, 1193, 715): the output box's inside is (241, 192, 1180, 702) and
    // the lines' clip (242, 213, 1179, 701). The lines reach the clip's right edge and stop.
    int32_t inkNearEdge = 0;
    for (int32_t y = 213; y < 701; ++y) {
        ASSERT_EQ(image.At(1179, y), COLOR_PANEL_BG) << y;
        ASSERT_EQ(image.At(1180, y), COLOR_SEPARATOR) << y;
        for (int32_t x = 1170; x < 1179; ++x) {
            inkNearEdge += image.At(x, y) != COLOR_PANEL_BG ? 1 : 0;
        }
    }
    EXPECT_GT(inkNearEdge, 100);
    // Below the last whole line (the 27th, from y = 683) nothing of a 28th shows.
    for (int32_t x = 242; x < 1179; ++x) {
        ASSERT_EQ(image.At(x, 700), COLOR_PANEL_BG) << x;
    }
}

}  // namespace
}  // namespace corvanite::test
