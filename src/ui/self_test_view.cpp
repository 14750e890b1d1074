#include "ui/self_test_view.h"

#include <string>

#include "drives/self_test.h"
#include "drives/self_test_device.h"
#include "state/app_state.h"
#include "text/text_format.h"
#include "ui/buttons.h"
#include "ui/drive_list.h"
#include "ui/primitives.h"

namespace corvanite {
namespace {

constexpr int32_t MARGIN = 12;
constexpr int32_t LINE_HEIGHT = 20;
constexpr int32_t TEXT_INSET = 8;
constexpr int32_t VALUE_AT = 132;  // the values' column from the sheet's left edge
constexpr int32_t BUTTON_WIDTH = 170;
constexpr int32_t BUTTON_HEIGHT = 28;
// The log table's columns from the sheet's left edge: #, test, result, hours, LBA, status.
constexpr int32_t COLUMNS[] = {8, 40, 136, 224, 304, 448};

void Strip(DisplayList& dc, Rect content, int32_t& y, std::u16string_view title) {
    const int32_t left = content.left + MARGIN;
    const int32_t right = content.right - MARGIN;
    FillSolidRect(dc, Rect{left, y, right, y + LINE_HEIGHT}, COLOR_PANEL_BG);
    DrawLine(dc, Point{left, y + LINE_HEIGHT}, Point{right, y + LINE_HEIGHT}, COLOR_ACCENT);
    DrawTextAt(dc, left + TEXT_INSET, y + 2, title, COLOR_ACCENT);
    y += LINE_HEIGHT + 4;
}

void Row(DisplayList& dc, Rect content, int32_t& y, std::u16string_view label,
         std::u16string_view value, Color color) {
    const int32_t left = content.left + MARGIN;
    DrawTextAt(dc, left + TEXT_INSET, y + 2, label, COLOR_TEXT_DIM);
    DrawTextInRect(dc, Rect{left + VALUE_AT, y, content.right - MARGIN, y + LINE_HEIGHT}, value,
                   color, FONT_MAIN, ALIGN_LEFT);
    y += LINE_HEIGHT + 2;
}

Color OutcomeColor(SelfTestOutcome outcome) {
    return outcome == SELF_TEST_PASSED   ? COLOR_GOOD
           : outcome == SELF_TEST_FAILED ? COLOR_CRIT
                                         : COLOR_WARN;
}

std::u16string Durations(const SelfTestState& state) {
    std::u16string text;
    const auto add = [&text](std::u16string_view test, int32_t minutes) {
        text.append(test);
        if (minutes > 0) {  // 0: the drive does not say
            text.append(u" (about ");
            AppendUnsigned(text, static_cast<uint64_t>(minutes));
            text.append(u" min)");
        }
    };
    add(u"short", state.shortMinutes);
    add(u" and extended", state.extendedMinutes);
    return text;
}

}  // namespace

std::u16string SelfTestProgressOf(const DriveInfo& drive) {
    const bool ours = appState.selfTestStartedPath == drive.devicePath.view();
    return SelfTestProgressText(
        drive.selfTest, ours ? appState.selfTestStartedKind : SELF_TEST_NONE,
        ours ? static_cast<int64_t>((appState.tickCount - appState.selfTestStartedTick) / 20)
             : int64_t{-1});
}

void DrawSelfTestView(DisplayList& dc, FrameOutput& out, Rect content) {
    const DriveInfo* shown = ShownDriveOrNotice(dc, content);
    if (shown == nullptr) {
        return;
    }
    const SelfTestState& state = shown->selfTest;
    int32_t y = content.top + MARGIN;
    Strip(dc, content, y, u">> DRIVE SELF-TEST");
    Row(dc, content, y, u"Drive", shown->model.view(), COLOR_TEXT);
    if (!state.supported) {
        Row(dc, content, y, u"Self-test", u"not available", COLOR_TEXT_DIM);
        Row(dc, content, y, u"Why", state.unsupported, COLOR_TEXT_DIM);
    } else {
        Row(dc, content, y, u"Tests", Durations(state), COLOR_TEXT);
        if (state.running) {
            Row(dc, content, y, u"Now", SelfTestProgressOf(*shown), COLOR_ACCENT);
            DrawBarGauge(dc, content.left + MARGIN + VALUE_AT, y + 2, state.percentDone,
                         COLOR_ACCENT);
            y += BAR_GAUGE_HEIGHT + 8;
        } else {
            Row(dc, content, y, u"Now", u"no test running", COLOR_TEXT_SECONDARY);
        }
        const std::u16string result = SelfTestResultText(state);
        Row(dc, content, y, u"Last result", result.empty() ? u"-" : std::u16string_view(result),
            state.log.empty() ? COLOR_TEXT_DIM : OutcomeColor(state.log.front().outcome));
    }

    // Starting needs a drive with a self-test and none running; only a running one is aborted.
    const bool idle = state.supported && !state.running && !appState.selfTestBusy;
    y += 6;
    const int32_t left = content.left + MARGIN;
    const Rect shortTest{left, y, left + BUTTON_WIDTH, y + BUTTON_HEIGHT};
    const Rect extended{shortTest.right + 10, y, shortTest.right + 10 + BUTTON_WIDTH,
                        y + BUTTON_HEIGHT};
    const Rect abort{extended.right + 10, y, extended.right + 10 + BUTTON_WIDTH, y + BUTTON_HEIGHT};
    DrawButton(dc, shortTest, u"[SHORT TEST]", BTN_SELF_TEST_SHORT, COLOR_ACCENT, idle);
    DrawButton(dc, extended, u"[EXTENDED TEST]", BTN_SELF_TEST_EXTENDED, COLOR_WARN, idle);
    DrawButton(dc, abort, u"[ABORT TEST]", BTN_SELF_TEST_ABORT, COLOR_CRIT,
               state.running && !appState.selfTestBusy);
    RegisterButton(out, BTN_SELF_TEST_SHORT, shortTest);
    RegisterButton(out, BTN_SELF_TEST_EXTENDED, extended);
    RegisterButton(out, BTN_SELF_TEST_ABORT, abort);
    y += BUTTON_HEIGHT + 12;

    if (!state.supported) {
        return;
    }
    Strip(dc, content, y,
          state.logRead ? u">> SELF-TEST LOG (newest first)"
                        : u">> SELF-TEST LOG (could not be read)");
    constexpr std::u16string_view HEADINGS[] = {u"#",     u"TEST",        u"RESULT",
                                                u"HOURS", u"FAILING LBA", u"STATUS"};
    for (size_t c = 0; c < std::size(COLUMNS); ++c) {
        DrawTextAt(dc, left + COLUMNS[c], y, HEADINGS[c], COLOR_TEXT_DIM);
    }
    y += LINE_HEIGHT;
    std::u16string cell;
    for (size_t i = 0; i < state.log.size() && y + LINE_HEIGHT <= content.bottom; ++i) {
        const SelfTestLogEntry& entry = state.log[i];
        cell.clear();
        AppendUnsigned(cell, i + 1);
        DrawTextAt(dc, left + COLUMNS[0], y, cell, COLOR_TEXT_SECONDARY);
        DrawTextAt(dc, left + COLUMNS[1], y, SelfTestKindWord(entry.kind), COLOR_TEXT);
        DrawTextAt(dc, left + COLUMNS[2], y, SelfTestOutcomeWord(entry.outcome),
                   OutcomeColor(entry.outcome));
        cell.clear();
        AppendUnsigned(cell, entry.powerOnHours);
        DrawTextAt(dc, left + COLUMNS[3], y, cell, COLOR_TEXT);
        cell.clear();
        if (entry.lbaValid) {
            AppendUnsigned(cell, entry.failingLba);
        }
        DrawTextAt(dc, left + COLUMNS[4], y, entry.lbaValid ? std::u16string_view(cell) : u"-",
                   entry.lbaValid ? COLOR_CRIT : COLOR_TEXT_DIM);
        DrawTextAt(dc, left + COLUMNS[5], y, SelfTestStatusWords(entry, state.nvme),
                   COLOR_TEXT_SECONDARY);
        y += LINE_HEIGHT;
    }
    if (state.log.empty()) {
        DrawTextAt(dc, left + COLUMNS[1], y, u"(no test logged)", COLOR_TEXT_DIM);
    }
}

}  // namespace corvanite
