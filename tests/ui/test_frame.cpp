#include "ui/buttons.h"
#include "ui/frame.h"
#include "ui_test_support.h"

namespace corvanite::test {
namespace {

using FrameTest = DisplayTest;

TEST_F(FrameTest, LayoutFollowsTheClientSize) {
    const FrameLayout small = ComputeFrameLayout(800, 580);
    EXPECT_EQ(small.titleBar, (Rect{1, 1, 799, 37}));
    EXPECT_EQ(small.driveList, (Rect{1, 37, 221, 551}));
    EXPECT_EQ(small.tabBar, (Rect{222, 37, 799, 73}));
    EXPECT_EQ(small.content, (Rect{228, 79, 793, 545}));
    EXPECT_EQ(small.statusBar, (Rect{1, 551, 799, 579}));
    const FrameLayout large = ComputeFrameLayout(1920, 1080);
    EXPECT_EQ(large.content, (Rect{228, 79, 1913, 1045}));
    EXPECT_EQ(large.statusBar, (Rect{1, 1051, 1919, 1079}));
}

TEST_F(FrameTest, RegionsPaintInOrderWithTheBackgroundShowingInTheGaps) {
    BuildFrame(list, out, 1200, 750);
    ASSERT_FALSE(list.ops.empty());
    EXPECT_EQ(list.ops[0].kind, DrawKind::FILL);
    EXPECT_EQ(list.ops[0].rect, (Rect{0, 0, 1200, 750}));
    EXPECT_EQ(list.ops[0].color, COLOR_WINDOW_BG);
    EXPECT_EQ(list.ops[1].kind, DrawKind::OUTLINE);
    EXPECT_EQ(list.ops[1].rect, (Rect{0, 0, 1200, 750}));
    EXPECT_EQ(list.ops[1].color, COLOR_ACCENT);

    // Window outline on all four edges.
    for (Point p : {Point{0, 0}, Point{1199, 0}, Point{0, 749}, Point{1199, 749}, Point{600, 0},
                    Point{600, 749}, Point{0, 400}, Point{1199, 400}}) {
        EXPECT_EQ(PixelAt(list, p.x, p.y), COLOR_ACCENT) << p.x << "," << p.y;
    }
    // Divider at x = 221 between the list and the content, kept by the panel fill.
    EXPECT_EQ(PixelAt(list, 221, 37), COLOR_BORDER);
    EXPECT_EQ(PixelAt(list, 221, 720), COLOR_BORDER);
    EXPECT_EQ(PixelAt(list, 220, 300), COLOR_SURFACE);
    // 6-pixel gaps around the content rectangle.
    for (Point p : {Point{222, 300}, Point{227, 300}, Point{600, 73}, Point{600, 78},
                    Point{1193, 300}, Point{1198, 300}, Point{600, 715}, Point{600, 720}}) {
        EXPECT_EQ(PixelAt(list, p.x, p.y), COLOR_WINDOW_BG) << p.x << "," << p.y;
    }
    // Status bar over everything below the content; its rule at H - 29.
    EXPECT_EQ(PixelAt(list, 100, 721), COLOR_BORDER);
    EXPECT_EQ(PixelAt(list, 100, 748), COLOR_PANEL_BG);
    EXPECT_EQ(Texts(list).back(), u"[0 drives]");
    EXPECT_EQ(Texts(list)[Texts(list).size() - 2], u"Initializing...");
    EXPECT_EQ(out.tabRects[TAB_SCAN_REPAIR], (Rect{872, 37, 1197, 73}));
}

TEST_F(FrameTest, RegistryHoldsExactlyTheButtonsOfTheShownTab) {
    out.buttons.push_back(ButtonEntry{BTN_CANCEL, Rect{0, 0, 2000, 2000}});
    appState.drives.push_back(DriveWithAttributes(30));

    BuildFrame(list, out, 1200, 750);
    EXPECT_EQ(RegisteredIds(out), (std::vector<int32_t>{BTN_CLOSE, BTN_MAXIMIZE, BTN_MINIMIZE,
                                                     BTN_REFRESH, BTN_EXPORT}));
    EXPECT_EQ(HitTest(out, Point{1100, 690}), BTN_EXPORT);
    EXPECT_EQ(HitTest(out, Point{300, 160}), BTN_NONE);

    appState.activeTab = TAB_DISK_INFO;
    BuildFrame(list, out, 1200, 750);
    EXPECT_EQ(RegisteredIds(out),
              (std::vector<int32_t>{BTN_CLOSE, BTN_MAXIMIZE, BTN_MINIMIZE, BTN_REFRESH}));

    appState.activeTab = TAB_SCAN_REPAIR;
    BuildFrame(list, out, 800, 580);
    EXPECT_EQ(RegisteredIds(out),
              (std::vector<int32_t>{BTN_CLOSE, BTN_MAXIMIZE, BTN_MINIMIZE, BTN_REFRESH,
                                    BTN_SCAN_READONLY, BTN_SCAN_FIX, BTN_CANCEL}));
    EXPECT_EQ(RegisteredRect(out, BTN_CLOSE), (Rect{763, 1, 799, 35}));
    EXPECT_EQ(RegisteredRect(out, BTN_REFRESH), (Rect{11, 511, 211, 541}));
    EXPECT_EQ(RegisteredRect(out, BTN_CANCEL), (Rect{661, 153, 781, 183}));
    EXPECT_EQ(HitTest(out, Point{1100, 690}), BTN_NONE);
}

TEST_F(FrameTest, EachFrameStartsFromAnEmptyList) {
    appState.drives.push_back(DriveWithAttributes(30));
    BuildFrame(list, out, 1200, 750);
    const size_t ops = list.ops.size();
    const size_t text = list.text.size();
    BuildFrame(list, out, 1200, 750);
    EXPECT_EQ(list.ops.size(), ops);
    EXPECT_EQ(list.text.size(), text);
    // The SMART view ran for this frame: its scroll limit is set.
    EXPECT_EQ(out.smartScrollMax, 8);
}

}  // namespace
}  // namespace corvanite::test
