#include "ui/tab_bar.h"
#include "ui_test_support.h"

namespace corvanite::test {
namespace {

using TabBarTest = DisplayTest;

const Rect BAR_1200{222, 37, 1199, 73};

TEST_F(TabBarTest, ThreeEqualTabsAtWidth1200AreRecordedInTabRects) {
    DrawTabBar(list, out, BAR_1200);
    EXPECT_EQ(out.tabRects[TAB_SMART], (Rect{222, 37, 547, 73}));
    EXPECT_EQ(out.tabRects[TAB_DISK_INFO], (Rect{547, 37, 872, 73}));
    EXPECT_EQ(out.tabRects[TAB_SCAN_REPAIR], (Rect{872, 37, 1197, 73}));
    EXPECT_TRUE(out.buttons.empty());
    // Columns 1197 and 1198 belong to no tab and keep the bar's background.
    EXPECT_EQ(PixelAt(list, 1197, 50), COLOR_PANEL_BG);
    EXPECT_EQ(PixelAt(list, 1198, 50), COLOR_PANEL_BG);

    EXPECT_EQ(Texts(list),
              (std::vector<std::u16string>{u"SMART DATA", u"DISK INFO", u"SCAN/REPAIR"}));
    for (int32_t i = 0; i < TAB_COUNT; ++i) {
        const DrawOp* caption = FindText(list, TAB_CAPTIONS[i]);
        EXPECT_EQ(caption->rect, out.tabRects[i]);
        EXPECT_EQ(caption->align, ALIGN_CENTER);
    }
}

TEST_F(TabBarTest, OnlyTheActiveTabIsLitAndTheBorderRuleCoversTheUnderlinesLastRow) {
    appState.activeTab = TAB_DISK_INFO;
    DrawTabBar(list, out, BAR_1200);
    EXPECT_EQ(FindText(list, u"DISK INFO")->color, COLOR_ACCENT);
    EXPECT_EQ(FindText(list, u"SMART DATA")->color, COLOR_TEXT_DIM);
    EXPECT_EQ(FindText(list, u"SCAN/REPAIR")->color, COLOR_TEXT_DIM);

    EXPECT_EQ(PixelAt(list, 700, 50), COLOR_SURFACE);
    EXPECT_EQ(PixelAt(list, 300, 50), COLOR_PANEL_BG);
    EXPECT_EQ(PixelAt(list, 1000, 50), COLOR_PANEL_BG);
    // Underline: 1 pixel of cyan shows above the border rule.
    EXPECT_EQ(PixelAt(list, 700, 70), COLOR_SURFACE);
    EXPECT_EQ(PixelAt(list, 700, 71), COLOR_ACCENT);
    EXPECT_EQ(PixelAt(list, 700, 72), COLOR_BORDER);
    EXPECT_EQ(PixelAt(list, 300, 71), COLOR_PANEL_BG);
    EXPECT_EQ(PixelAt(list, 222, 72), COLOR_BORDER);
    EXPECT_EQ(PixelAt(list, 1198, 72), COLOR_BORDER);
}

TEST_F(TabBarTest, DividersInTheFirstColumnOfTheSecondAndThirdTabs) {
    for (int32_t active : {TAB_SMART, TAB_DISK_INFO, TAB_SCAN_REPAIR}) {
        list.Clear();
        appState.activeTab = active;
        DrawTabBar(list, out, BAR_1200);
        for (int32_t x : {547, 872}) {
            EXPECT_EQ(PixelAt(list, x, 41), COLOR_SEPARATOR) << active;
            EXPECT_EQ(PixelAt(list, x, 68), COLOR_SEPARATOR) << active;
            EXPECT_NE(PixelAt(list, x, 40), COLOR_SEPARATOR) << active;
            EXPECT_NE(PixelAt(list, x, 69), COLOR_SEPARATOR) << active;
        }
        EXPECT_NE(PixelAt(list, 1197, 50), COLOR_SEPARATOR);
        EXPECT_NE(PixelAt(list, 1196, 50), COLOR_SEPARATOR);
    }
}

TEST_F(TabBarTest, MinimumWindowTabs) {
    DrawTabBar(list, out, Rect{222, 37, 799, 73});
    EXPECT_EQ(out.tabRects[TAB_SCAN_REPAIR], (Rect{606, 37, 798, 73}));
}

}  // namespace
}  // namespace corvanite::test
