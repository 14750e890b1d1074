#include "ui/scan_repair_view.h"

#include <algorithm>
#include <mutex>

#include "state/app_state.h"
#include "ui/buttons.h"
#include "ui/primitives.h"

namespace corvanite {

Color OutputLineColor(std::u16string_view line) {
    // One pass notes which keywords occur anywhere in the line (bit k for the k-th tested);
    // then the first keyword in the testing order decides.
    constexpr std::u16string_view KEYWORDS[] = {u"error",   u"Error",     u"warning",
                                                u"Warning", u"corrected", u"fixed"};
    constexpr Color COLORS[] = {COLOR_CRIT, COLOR_CRIT, COLOR_WARN,
                                COLOR_WARN, COLOR_GOOD, COLOR_GOOD};
    unsigned found = 0;
    for (size_t i = 0; i < line.size() && (found & 1u) == 0; ++i) {
        int k = -1;
        switch (line[i]) {
            case u'e':
                k = 0;
                break;
            case u'E':
                k = 1;
                break;
            case u'w':
                k = 2;
                break;
            case u'W':
                k = 3;
                break;
            case u'c':
                k = 4;
                break;
            case u'f':
                k = 5;
                break;
            default:
                continue;
        }
        if (line.substr(i).starts_with(KEYWORDS[k])) {
            found |= 1u << k;
        }
    }
    for (unsigned k = 0; k < 6; ++k) {
        if ((found & (1u << k)) != 0) {
            return COLORS[k];
        }
    }
    return COLOR_TEXT_SECONDARY;
}

int32_t OutputLinesThatFit(int32_t contentHeight, bool resultShown) {
    // The result strip takes the bottom 20 pixels of the output area.
    return (contentHeight - (resultShown ? 170 : 150)) / OUTPUT_LINE_HEIGHT;
}

void DrawScanRepairView(DisplayList& dc, FrameOutput& out, Rect content) {
    const int32_t l = content.left;
    const int32_t t = content.top;
    const int32_t r = content.right;
    const int32_t b = content.bottom;

    DrawBorderedRect(dc, Rect{l + 12, t + 12, r - 12, t + 66}, COLOR_PANEL_BG, COLOR_BORDER);
    DrawTextAt(dc, l + 22, t + 18, u"TARGET VOLUME", COLOR_TEXT_DIM);
    const Rect volumeBox{l + 22, t + 36, l + 132, t + 56};
    DrawBorderedRect(dc, volumeBox, COLOR_BUTTON_BG, COLOR_ACCENT);
    DrawTextInRect(dc, volumeBox, appState.targetVolume.view(), COLOR_ACCENT, FONT_LARGE,
                   ALIGN_CENTER);
    DrawTextAt(dc, l + 140, t + 40, u"<- Press A-Z to change volume letter", COLOR_TEXT_DIM);

    // One reading of the flag for the whole paint.
    const bool running = appState.chkdskRunning.load();

    const Rect readOnly{l + 12, t + 74, l + 172, t + 104};
    const Rect fix{l + 182, t + 74, l + 342, t + 104};
    const Rect cancel{r - 132, t + 74, r - 12, t + 104};
    DrawButton(dc, readOnly, u"[SCAN READ-ONLY]", BTN_SCAN_READONLY, COLOR_ACCENT, !running);
    DrawButton(dc, fix, u"[SCAN + FIX]", BTN_SCAN_FIX, COLOR_WARN, !running);
    DrawButton(dc, cancel, u"[CANCEL]", BTN_CANCEL, COLOR_CRIT, running);
    // Registered enabled or not; the window decides whether a click acts.
    RegisterButton(out, BTN_SCAN_READONLY, readOnly);
    RegisterButton(out, BTN_SCAN_FIX, fix);
    RegisterButton(out, BTN_CANCEL, cancel);

    DrawBorderedRect(dc, Rect{l + 12, t + 112, r - 12, b - 12}, COLOR_PANEL_BG, COLOR_SEPARATOR);
    FillSolidRect(dc, Rect{l + 12, t + 112, r - 12, t + 134}, COLOR_SURFACE);
    DrawTextAt(dc, l + 20, t + 116, u">> CHKDSK OUTPUT", COLOR_TEXT_DIM);
    if (running) {
        DrawTextAt(dc, r - 34, t + 116, SPINNER_FRAMES[(appState.tickCount / 3) % 4], COLOR_ACCENT);
    }

    std::lock_guard<std::mutex> lock(appState.chkdskLinesLock);
    const std::vector<std::u16string>& lines = appState.chkdskLines;
    const auto count = static_cast<int32_t>(lines.size());
    // The lines end above the result strip when it is shown, and the scroll range reaches the
    // last line all the same: a checker's last lines are its summary.
    const bool showResult = !running && appState.chkdskResultReady;
    const int32_t fit = OutputLinesThatFit(b - t, showResult);
    const int32_t maxScroll = count - fit > 0 ? count - fit : 0;
    // While a check runs the view always shows the newest lines.
    const int32_t scroll =
        running ? maxScroll : std::max(0, std::min(appState.chkdskScroll, maxScroll));
    out.chkdskScrolled = true;
    out.chkdskScrollMax = maxScroll;
    out.chkdskScroll = scroll;
    out.chkdskPageLines = fit;

    // Only the lines that fit whole above the clip bottom, or above the result strip, are drawn.
    const int32_t linesBottom = showResult ? b - 34 : b - 14;
    PushClip(dc, Rect{l + 14, t + 134, r - 14, b - 14});
    for (int32_t i = scroll; i < count; ++i) {
        const int32_t k = i - scroll;
        if (t + 154 + OUTPUT_LINE_HEIGHT * k > linesBottom) {
            break;
        }
        const std::u16string& line = lines[static_cast<size_t>(i)];
        DrawTextAt(dc, l + 20, t + 136 + OUTPUT_LINE_HEIGHT * k, line, OutputLineColor(line));
    }
    PopClip(dc);

    if (showResult) {
        const Rect strip{l + 14, b - 34, r - 14, b - 14};
        FillSolidRect(dc, strip, COLOR_SURFACE);
        const Color color = !appState.chkdskExitNonZero ? COLOR_GOOD
                            : appState.chkdskFixed      ? COLOR_WARN
                                                        : COLOR_CRIT;
        DrawTextInRect(dc, strip, appState.chkdskResultText, color, FONT_MAIN, ALIGN_LEFT);
    }
}

}  // namespace corvanite
