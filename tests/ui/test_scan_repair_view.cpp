
#include "ui/buttons.h"
#include "ui/scan_repair_view.h"
#include "ui_test_support.h"

namespace corvanite::test {
namespace {

using ScanRepairViewTest = DisplayTest;

const Rect CONTENT_1200x750{228, 79, 1193, 715};
const Rect CONTENT_800x580{228, 79, 793, 545};

void SetLines(int count) {
    std::lock_guard<std::mutex> lock(appState.chkdskLinesLock);
    appState.chkdskLines.clear();
    for (int i = 0; i < count; ++i) {
        std::u16string line = u"line ";
        line += static_cast<char16_t>(u'A' + i % 26);
        line += static_cast<char16_t>(u'a' + i / 26);
        appState.chkdskLines.push_back(line);
    }
}

// Output lines drawn (texts at x = L + 20 below the header strip), in order.
std::vector<const DrawOp*> OutputLines(const DisplayList& list, int32_t left, int32_t top) {
    std::vector<const DrawOp*> lines;
    for (const DrawOp& op : list.ops) {
        if (op.kind == DrawKind::TEXT_AT && op.rect.left == left + 20 && op.rect.top >= top + 136) {
            lines.push_back(&op);
        }
    }
    return lines;
}

TEST_F(ScanRepairViewTest, TargetCardButtonsAndOutputPanelGeometry) {
    appState.targetVolume.Set(u"D:");
    DrawScanRepairView(list, out, CONTENT_1200x750);

    EXPECT_GE(FindOp(list, DrawKind::OUTLINE, Rect{240, 91, 1181, 145}, COLOR_BORDER), 0);
    EXPECT_TRUE(HasFill(list, Rect{240, 91, 1181, 145}, COLOR_PANEL_BG));
    const DrawOp* label = FindText(list, u"TARGET VOLUME");
    EXPECT_EQ((Point{label->rect.left, label->rect.top}), (Point{250, 97}));
    EXPECT_EQ(label->color, COLOR_TEXT_DIM);
    const DrawOp* volume = FindText(list, u"D:");
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->rect, (Rect{250, 115, 360, 135}));
    EXPECT_EQ(volume->font, FONT_LARGE);
    EXPECT_EQ(volume->align, ALIGN_CENTER);
    EXPECT_EQ(volume->color, COLOR_ACCENT);
    EXPECT_EQ(PixelAt(list, 250, 115), COLOR_ACCENT);
    EXPECT_EQ(PixelAt(list, 300, 125), COLOR_BUTTON_BG);
    const DrawOp* hint = FindText(list, u"<- Press A-Z to change volume letter");
    EXPECT_EQ((Point{hint->rect.left, hint->rect.top}), (Point{368, 119}));
    EXPECT_EQ(hint->color, COLOR_TEXT_DIM);

    ASSERT_EQ(RegisteredIds(out), (std::vector<int32_t>{BTN_SCAN_READONLY, BTN_SCAN_FIX, BTN_CANCEL}));
    EXPECT_EQ(RegisteredRect(out, BTN_SCAN_READONLY), (Rect{240, 153, 400, 183}));
    EXPECT_EQ(RegisteredRect(out, BTN_SCAN_FIX), (Rect{410, 153, 570, 183}));
    EXPECT_EQ(RegisteredRect(out, BTN_CANCEL), (Rect{1061, 153, 1181, 183}));
    EXPECT_EQ(FindText(list, u"[SCAN READ-ONLY]")->rect, (Rect{240, 153, 400, 183}));

    // Output panel, header strip and title.
    EXPECT_GE(FindOp(list, DrawKind::OUTLINE, Rect{240, 191, 1181, 703}, COLOR_SEPARATOR), 0);
    EXPECT_EQ(PixelAt(list, 600, 191), COLOR_SURFACE);  // the strip covers the top border
    EXPECT_EQ(PixelAt(list, 600, 212), COLOR_SURFACE);
    EXPECT_EQ(PixelAt(list, 600, 213), COLOR_PANEL_BG);
    EXPECT_EQ(PixelAt(list, 240, 400), COLOR_SEPARATOR);
    const DrawOp* title = FindText(list, u">> CHKDSK OUTPUT");
    EXPECT_EQ((Point{title->rect.left, title->rect.top}), (Point{248, 195}));
    EXPECT_EQ(title->color, COLOR_TEXT_DIM);
    EXPECT_EQ(PushClipRect(list), (Rect{242, 213, 1179, 701}));
}

TEST_F(ScanRepairViewTest, ButtonLooksIdleAndRunning) {
    DrawScanRepairView(list, out, CONTENT_1200x750);
    EXPECT_EQ(FindText(list, u"[SCAN READ-ONLY]")->color, COLOR_ACCENT);
    EXPECT_EQ(FindText(list, u"[SCAN + FIX]")->color, COLOR_WARN);
    EXPECT_EQ(FindText(list, u"[CANCEL]")->color, COLOR_TEXT_DIM);
    EXPECT_EQ(PixelAt(list, 410, 160), COLOR_WARN);
    EXPECT_EQ(PixelAt(list, 1061, 160), COLOR_TEXT_DIM);
    for (const char16_t* spinner : {u"|", u"/", u"-", u"\\"}) {
        EXPECT_EQ(FindText(list, spinner), nullptr);
    }

    list.Clear();
    out.buttons.clear();
    appState.chkdskRunning = true;
    appState.hoverButton = BTN_CANCEL;
    DrawScanRepairView(list, out, CONTENT_1200x750);
    EXPECT_EQ(FindText(list, u"[SCAN READ-ONLY]")->color, COLOR_TEXT_DIM);
    EXPECT_EQ(FindText(list, u"[SCAN + FIX]")->color, COLOR_TEXT_DIM);
    EXPECT_EQ(FindText(list, u"[CANCEL]")->color, COLOR_TEXT);
    EXPECT_EQ(PixelAt(list, 1061, 160), COLOR_CRIT);
    EXPECT_EQ(PixelAt(list, 1100, 170), COLOR_BUTTON_HOVER);
    EXPECT_EQ(RegisteredIds(out), (std::vector<int32_t>{BTN_SCAN_READONLY, BTN_SCAN_FIX, BTN_CANCEL}));
}

TEST_F(ScanRepairViewTest, SpinnerFrameChangesEveryThreeTicks) {
    appState.chkdskRunning = true;
    const std::pair<uint32_t, std::u16string_view> frames[] = {
        {0, u"|"}, {2, u"|"}, {3, u"/"}, {6, u"-"}, {9, u"\\"}, {12, u"|"}, {4294967295u, u"/"}};
    for (const auto& [tick, frame] : frames) {
        list.Clear();
        appState.tickCount = tick;
        DrawScanRepairView(list, out, CONTENT_1200x750);
        const DrawOp* spinner = FindText(list, frame);
        ASSERT_NE(spinner, nullptr) << tick;
        EXPECT_EQ((Point{spinner->rect.left, spinner->rect.top}), (Point{1159, 195}));
        EXPECT_EQ(spinner->color, COLOR_ACCENT);
    }
}

TEST_F(ScanRepairViewTest, MinimumWindowFitsSeventeenLines) {
    EXPECT_EQ(OutputLinesThatFit(466), 17);
    EXPECT_EQ(OutputLinesThatFit(636), 27);

    SetLines(40);
    DrawScanRepairView(list, out, CONTENT_800x580);
    EXPECT_EQ(out.chkdskScrollMax, 23);
    EXPECT_EQ(out.chkdskScroll, 0);
    const std::vector<const DrawOp*> lines = OutputLines(list, 228, 79);
    ASSERT_EQ(lines.size(), 17u);
    for (size_t k = 0; k < lines.size(); ++k) {
        EXPECT_EQ(lines[k]->rect.top, 79 + 136 + 18 * static_cast<int32_t>(k));
        EXPECT_EQ(list.TextOf(*lines[k]), appState.chkdskLines[k]);
    }
    // The last line ends above the clip bottom.
    EXPECT_LE(lines.back()->rect.top + 18, 545 - 14);

    // Scrolled by hand while idle: stays; beyond the maximum: pulled back.
    list.Clear();
    appState.chkdskScroll = 10;
    DrawScanRepairView(list, out, CONTENT_800x580);
    EXPECT_EQ(out.chkdskScroll, 10);
    EXPECT_EQ(list.TextOf(*OutputLines(list, 228, 79).front()), appState.chkdskLines[10]);
    list.Clear();
    appState.chkdskScroll = 99;
    DrawScanRepairView(list, out, CONTENT_800x580);
    EXPECT_EQ(out.chkdskScroll, 23);
    EXPECT_EQ(list.TextOf(*OutputLines(list, 228, 79).back()), appState.chkdskLines[39]);

    // A taller window lowers the maximum and pulls the scroll down to it.
    list.Clear();
    DrawScanRepairView(list, out, CONTENT_1200x750);
    EXPECT_EQ(out.chkdskScrollMax, 13);
    EXPECT_EQ(out.chkdskScroll, 13);
}

TEST_F(ScanRepairViewTest, FinishedCheckCanShowItsLastLinesAboveTheResult) {
    EXPECT_EQ(OutputLinesThatFit(466, true), 16);
    SetLines(40);
    {
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        appState.chkdskResultReady = true;
        appState.chkdskResultText = u"No errors found";
    }
    appState.chkdskScroll = 99;  // at the end, as a finished check leaves it
    DrawScanRepairView(list, out, CONTENT_800x580);
    EXPECT_EQ(out.chkdskScrollMax, 24);
    EXPECT_EQ(out.chkdskScroll, 24);
    const std::vector<const DrawOp*> lines = OutputLines(list, 228, 79);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(list.TextOf(*lines.back()), appState.chkdskLines[39]);
    // The last line ends above the strip (545 - 34).
    EXPECT_LE(lines.back()->rect.top + 18, 545 - 34);
}

TEST_F(ScanRepairViewTest, RunningCheckFollowsTheNewestLines) {
    SetLines(40);
    appState.chkdskRunning = true;
    appState.chkdskScroll = 2;  // a wheel step while running is undone
    DrawScanRepairView(list, out, CONTENT_800x580);
    EXPECT_EQ(out.chkdskScroll, 23);
    const std::vector<const DrawOp*> lines = OutputLines(list, 228, 79);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(list.TextOf(*lines.back()), appState.chkdskLines[39]);

    // Fewer lines than fit: nothing to scroll.
    list.Clear();
    SetLines(5);
    DrawScanRepairView(list, out, CONTENT_800x580);
    EXPECT_EQ(out.chkdskScrollMax, 0);
    EXPECT_EQ(out.chkdskScroll, 0);
    EXPECT_EQ(OutputLines(list, 228, 79).size(), 5u);

    list.Clear();
    SetLines(0);
    appState.chkdskRunning = false;
    appState.chkdskScroll = 4;
    DrawScanRepairView(list, out, CONTENT_800x580);
    EXPECT_EQ(out.chkdskScrollMax, 0);
    EXPECT_EQ(out.chkdskScroll, 0);
    EXPECT_TRUE(OutputLines(list, 228, 79).empty());
    // The lock is free again after the paint.
    std::unique_lock<std::mutex> lock(appState.chkdskLinesLock, std::try_to_lock);
    EXPECT_TRUE(lock.owns_lock());
}

TEST_F(ScanRepairViewTest, KeywordColours) {
    struct Case {
        std::u16string_view line;
        Color color;
    };
    for (const Case& c :
         {Case{u"Errors found on the volume.", COLOR_CRIT}, Case{u"an error occurred", COLOR_CRIT},
          Case{u"ERROR IN CAPITALS", COLOR_TEXT_SECONDARY},
          Case{u"a warning: 3 files fixed", COLOR_WARN}, Case{u"Warning! Index entry", COLOR_WARN},
          Case{u"error corrected", COLOR_CRIT},
          Case{u"Cleaning up 3 unused index entries. corrected", COLOR_GOOD},
          Case{u"Windows has fixed the file system.", COLOR_GOOD},
          Case{u"Stage 1: Examining basic file system structure ...", COLOR_TEXT_SECONDARY},
          Case{u"", COLOR_TEXT_SECONDARY}}) {
        EXPECT_EQ(OutputLineColor(c.line), c.color) << std::string(c.line.begin(), c.line.end());
    }

    {
        std::lock_guard<std::mutex> lock(appState.chkdskLinesLock);
        appState.chkdskLines = {u"Errors found.", u"plain", u"Warning: x", u"fixed"};
    }
    DrawScanRepairView(list, out, CONTENT_1200x750);
    const std::vector<const DrawOp*> lines = OutputLines(list, 228, 79);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0]->color, COLOR_CRIT);
    EXPECT_EQ(lines[1]->color, COLOR_TEXT_SECONDARY);
    EXPECT_EQ(lines[2]->color, COLOR_WARN);
    EXPECT_EQ(lines[3]->color, COLOR_GOOD);
}

TEST_F(ScanRepairViewTest, ResultStripAfterAFinishedCheckOnly) {
    struct Case {
        bool nonZero;
        bool fixed;
        Color color;
    };
    for (const Case& c : {Case{false, false, COLOR_GOOD}, Case{true, true, COLOR_WARN},
                          Case{true, false, COLOR_CRIT}}) {
        list.Clear();
        {
            std::lock_guard<std::mutex> lock(appState.chkdskLinesLock);
            appState.chkdskResultReady = true;
            appState.chkdskExitNonZero = c.nonZero;
            appState.chkdskFixed = c.fixed;
            appState.chkdskResultText = u"Result sentence";
        }
        SetLines(40);
        DrawScanRepairView(list, out, CONTENT_1200x750);
        const DrawOp* result = FindText(list, u"Result sentence");
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(result->rect, (Rect{242, 681, 1179, 701}));
        EXPECT_EQ(result->align, ALIGN_LEFT);
        EXPECT_EQ(result->color, c.color);
        // The strip is drawn after the clip is removed, over the bottom of the output area;
        // the lines stop above it (25 of the 27 that fit), none is left half under it, and the
        // scroll range grows by the two hidden lines so the last line can still be reached.
        EXPECT_EQ(PixelAt(list, 600, 690), COLOR_SURFACE);
        const std::vector<const DrawOp*> lines = OutputLines(list, 228, 79);
        ASSERT_EQ(lines.size(), 25u);
        EXPECT_GT(result, lines.back());
        EXPECT_LE(lines.back()->rect.top + 18, 681);
        EXPECT_EQ(out.chkdskScrollMax, 15);
    }

    // Minimum window: 16 whole lines above the strip; the last one at 79 + 136 + 15 x 18.
    list.Clear();
    DrawScanRepairView(list, out, CONTENT_800x580);
    ASSERT_EQ(OutputLines(list, 228, 79).size(), 16u);
    EXPECT_EQ(OutputLines(list, 228, 79).back()->rect.top, 485);
    EXPECT_EQ(out.chkdskScrollMax, 24);

    // Hidden while a check runs, and after a cancelled one.
    list.Clear();
    appState.chkdskRunning = true;
    DrawScanRepairView(list, out, CONTENT_1200x750);
    EXPECT_EQ(FindText(list, u"Result sentence"), nullptr);
    list.Clear();
    appState.chkdskRunning = false;
    appState.chkdskResultReady = false;
    DrawScanRepairView(list, out, CONTENT_1200x750);
    EXPECT_EQ(FindText(list, u"Result sentence"), nullptr);
    EXPECT_EQ(OutputLines(list, 228, 79).size(), 27u);
}

}  // namespace
}  // namespace corvanite::test
