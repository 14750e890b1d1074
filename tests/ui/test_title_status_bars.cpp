#include "ui/buttons.h"
#include "ui/status_bar.h"
#include "ui/title_bar.h"
#include "ui_test_support.h"

namespace corvanite::test {
namespace {

using TitleBarTest = DisplayTest;
using StatusBarTest = DisplayTest;

const Rect TITLE_1200{1, 1, 1199, 37};

TEST_F(TitleBarTest, WindowButtonsAreRegisteredCloseMaximiseMinimiseAtTheRightEnd) {
    DrawTitleBar(list, out, TITLE_1200);
    ASSERT_EQ(RegisteredIds(out), (std::vector<int32_t>{BTN_CLOSE, BTN_MAXIMIZE, BTN_MINIMIZE}));
    EXPECT_EQ(RegisteredRect(out, BTN_CLOSE), (Rect{1163, 1, 1199, 35}));
    EXPECT_EQ(RegisteredRect(out, BTN_MAXIMIZE), (Rect{1127, 1, 1163, 35}));
    EXPECT_EQ(RegisteredRect(out, BTN_MINIMIZE), (Rect{1091, 1, 1127, 35}));
    // Together they cover columns width-109 to width-2 and rows 1 to 34; the gradient stays.
    EXPECT_EQ(HitTest(out, Point{1090, 10}), BTN_NONE);
    EXPECT_EQ(HitTest(out, Point{1091, 34}), BTN_MINIMIZE);
    EXPECT_EQ(HitTest(out, Point{1198, 1}), BTN_CLOSE);
    EXPECT_EQ(HitTest(out, Point{1198, 35}), BTN_NONE);

    ASSERT_NE(FindText(list, u"X"), nullptr);
    EXPECT_EQ(FindText(list, u"X")->rect, (Rect{1163, 1, 1199, 35}));
    EXPECT_EQ(FindText(list, u"O")->rect, (Rect{1127, 1, 1163, 35}));
    EXPECT_EQ(FindText(list, u"-")->rect, (Rect{1091, 1, 1127, 35}));
    EXPECT_EQ(FindText(list, u"#"), nullptr);
    EXPECT_EQ(FindText(list, u"X")->color, COLOR_TEXT_DIM);
    EXPECT_EQ(PixelAt(list, 1180, 20), COLOR_TITLE_BG);
}

TEST_F(TitleBarTest, MaximisedGlyphAndHoverLooks) {
    appState.maximized = true;
    appState.hoverButton = BTN_CLOSE;
    DrawTitleBar(list, out, TITLE_1200);
    EXPECT_EQ(FindText(list, u"O"), nullptr);
    ASSERT_NE(FindText(list, u"#"), nullptr);
    EXPECT_EQ(PixelAt(list, 1180, 20), COLOR_CRIT);
    EXPECT_EQ(FindText(list, u"X")->color, COLOR_TEXT);
    EXPECT_EQ(FindText(list, u"#")->color, COLOR_TEXT_DIM);

    // A pressed window button looks like a hovered one.
    list.Clear();
    out.buttons.clear();
    appState.hoverButton = BTN_MINIMIZE;
    appState.pressedButton = BTN_MINIMIZE;
    DrawTitleBar(list, out, TITLE_1200);
    EXPECT_EQ(PixelAt(list, 1100, 20), COLOR_BUTTON_HOVER);
    EXPECT_EQ(PixelAt(list, 1180, 20), COLOR_TITLE_BG);
    EXPECT_EQ(FindText(list, u"-")->color, COLOR_TEXT);
}

TEST_F(TitleBarTest, GradientRuleRunsFromCyanToMagentaAlongTheBottomTwoRows) {
    DrawTitleBar(list, out, TITLE_1200);
    for (int32_t y : {35, 36}) {
        EXPECT_EQ(PixelAt(list, 1, y), 0x00EEFFu);
        EXPECT_EQ(PixelAt(list, 1198, y), 0xFE00CCu);
    }
    EXPECT_EQ(PixelAt(list, 600, 34), COLOR_TITLE_BG);
    // Halfway: t = 599 / 1198 = 0.5.
    EXPECT_EQ(PixelAt(list, 600, 36), 0x7F77E5u);
    EXPECT_EQ(TitleGradientColor(0, 0, 4), COLOR_ACCENT);
}

TEST_F(TitleBarTest, ProductTextsAtTheirPositionsAndColours) {
    DrawTitleBar(list, out, Rect{1, 1, 799, 37});
    struct Expected {
        std::u16string_view text;
        int32_t x;
        Color color;
    };
    for (const Expected& e :
         {Expected{u"[*]", 15, COLOR_ACCENT}, Expected{u"CORVANITE", 39, COLOR_TEXT},
          Expected{u"//", 121, COLOR_TEXT_DIM},
          Expected{u"STORAGE ANALYSIS MATRIX v1.0", 139, COLOR_TEXT_DIM}}) {
        const DrawOp* op = FindText(list, e.text);
        ASSERT_NE(op, nullptr);
        EXPECT_EQ(op->kind, DrawKind::TEXT_AT);
        EXPECT_EQ(op->rect.left, e.x);
        EXPECT_EQ(op->rect.top, 10);
        EXPECT_EQ(op->color, e.color);
        EXPECT_EQ(op->font, FONT_MAIN);
    }
}

TEST_F(StatusBarTest, StatusTextAndDriveCountShareOneBox) {
    const Rect bar{1, 721, 1199, 749};
    SetStatusText(u"Scanning drives...");
    DrawStatusBar(list, bar);
    const DrawOp* status = FindText(list, u"Scanning drives...");
    const DrawOp* count = FindText(list, u"[0 drives]");
    ASSERT_NE(status, nullptr);
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(status->rect, (Rect{11, 721, 1189, 749}));
    EXPECT_EQ(status->align, ALIGN_LEFT);
    EXPECT_EQ(status->color, COLOR_TEXT_SECONDARY);
    EXPECT_EQ(count->rect, (Rect{11, 721, 1189, 749}));
    EXPECT_EQ(count->align, ALIGN_RIGHT);
    EXPECT_EQ(count->color, COLOR_TEXT_DIM);
    EXPECT_LT(status, count);  // the count is drawn over a long status text
    EXPECT_EQ(PixelAt(list, 1, 721), COLOR_BORDER);
    EXPECT_EQ(PixelAt(list, 1198, 721), COLOR_BORDER);
    EXPECT_EQ(PixelAt(list, 600, 722), COLOR_PANEL_BG);
    EXPECT_EQ(PixelAt(list, 600, 748), COLOR_PANEL_BG);
    EXPECT_EQ(PixelAt(list, 600, 749), 0u);

    // The word stays plural.
    for (size_t n : {1u, 12u}) {
        list.Clear();
        appState.drives.assign(n, DriveInfo{});
        DrawStatusBar(list, bar);
        const std::u16string expected = n == 1 ? u"[1 drives]" : u"[12 drives]";
        EXPECT_NE(FindText(list, expected), nullptr);
    }
}

}  // namespace
}  // namespace corvanite::test
