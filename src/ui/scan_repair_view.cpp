#include "ui/scan_repair_view.h"

#include <algorithm>
#include <iterator>
#include <mutex>

#include "state/app_state.h"
#include "text/text_format.h"
#include "ui/buttons.h"
#include "ui/primitives.h"
#include "volume_check/child_process.h"

namespace corvanite {

Color OutputLineColor(std::u16string_view line) {
    // One pass notes which keywords occur anywhere in the line (bit k for the k-th tested);
    // then the first keyword in the testing order decides.
    constexpr std::u16string_view KEYWORDS[] = {u"error",   u"Error",     u"warning",
                                                u"Warning", u"corrected", u"fixed"};
    constexpr Color COLORS[] = {COLOR_CRIT, COLOR_CRIT, COLOR_WARN,
                                COLOR_WARN, COLOR_GOOD, COLOR_GOOD};
    constexpr std::u16string_view FIRST_LETTERS = u"eEwWcf";
    unsigned found = 0;
    for (size_t i = 0; i < line.size() && (found & 1u) == 0; ++i) {
        const size_t k = FIRST_LETTERS.find(line[i]);
        if (k != std::u16string_view::npos && line.substr(i).starts_with(KEYWORDS[k])) {
            found |= 1u << k;
        }
    }
    for (size_t k = 0; k < std::size(COLORS); ++k) {
        if ((found & (1u << k)) != 0) {
            return COLORS[k];
        }
    }
    return COLOR_TEXT_SECONDARY;
}

namespace {

// The view's measures, from the content rectangle's edges.
constexpr int32_t MARGIN = 12;      // the card, the buttons and the output panel from the sides
constexpr int32_t CARD_INSET = 10;  // the card's title and volume box from its left edge
constexpr int32_t BUTTONS_TOP = 74;
constexpr int32_t BUTTON_HEIGHT = 30;
constexpr int32_t SCAN_BUTTON_WIDTH = 160;  // [SCAN READ-ONLY] and [SCAN + FIX], 10 apart
constexpr int32_t CANCEL_BUTTON_WIDTH = 120;
constexpr int32_t OUTPUT_TOP = 112;  // the output panel, down to MARGIN above the bottom
constexpr int32_t OUTPUT_HEADER_HEIGHT = 22;
constexpr int32_t OUTPUT_TEXT_INSET = 8;  // the header's title and the lines from its left edge
// The output area lies this far inside the panel's sides and bottom, and the first line this far
// below the header.
constexpr int32_t OUTPUT_PADDING = 2;
constexpr int32_t OUTPUT_SCROLL_BAR_WIDTH = 8;  // as the drive list's
constexpr int32_t RESULT_STRIP_HEIGHT = 20;     // at the output area's bottom
constexpr int32_t CHARACTER_WIDTH = 8;          // one character of the fixed-pitch face
constexpr int32_t LARGE_CHARACTER_WIDTH = 10;   // and of its large size
constexpr int32_t VOLUME_CHIP_WIDTH = 40;       // a button with a volume's letter

Rect OutputPanel(Rect content) {
    return Rect{content.left + MARGIN, content.top + OUTPUT_TOP, content.right - MARGIN,
                content.bottom - MARGIN};
}

// Where the output lines go: all are clipped to `area`; the first one's top is firstLineTop, and
// a line is drawn only when it ends at linesBottom or above it (above the result strip while it
// is shown).
struct OutputArea {
    Rect area;
    int32_t firstLineTop;
    int32_t linesBottom;
};

OutputArea OutputAreaOf(Rect content, bool resultShown) {
    const Rect panel = OutputPanel(content);
    const Rect area{panel.left + OUTPUT_PADDING, panel.top + OUTPUT_HEADER_HEIGHT,
                    panel.right - OUTPUT_PADDING, panel.bottom - OUTPUT_PADDING};
    return OutputArea{area, area.top + OUTPUT_PADDING,
                      area.bottom - (resultShown ? RESULT_STRIP_HEIGHT : 0)};
}

// Beside the volume box: what the volume is, or that there is none; above it, the selected
// drive's volumes as buttons, so that a failing disk's volumes are one click or key away. Where
// the system was not asked for its volumes, only how to change the letter.
void DrawTargetVolume(DisplayList& dc, FrameOutput& out, Rect card, Rect volumeBox) {
    const VolumeList& list = appState.volumes;
    const int32_t besideBox = volumeBox.right + 8;
    if (!list.known) {
        DrawTextAt(dc, besideBox, volumeBox.top + 4, u"<- Press A-Z to change volume letter",
                   COLOR_TEXT_DIM);
        return;
    }
    const std::u16string_view target = appState.targetVolume.view();
    const VolumeInfo* volume = FindVolume(list, target);
    if (volume == nullptr) {
        DrawTextAt(dc, besideBox, volumeBox.top + 4,
                   u"No volume is mounted at " + std::u16string(target), COLOR_CRIT);
    } else {
        std::u16string about = VolumeSummary(*volume);
        if (!list.letters) {  // a Linux filesystem: where it is mounted, if anywhere
            about.append(about.empty() ? u"" : u"  ")
                .append(volume->mountPoint.empty() ? u"not mounted"
                                                   : u"mounted at " + volume->mountPoint);
        }
        if (!volume->checkerFound) {
            about.append(u"  (no checker installed)");
        }
        DrawTextAt(dc, besideBox, volumeBox.top + 4, about.empty() ? u"(no label)" : about,
                   volume->checkerFound ? COLOR_TEXT : COLOR_WARN);
    }
    DrawTextInRect(
        dc, Rect{besideBox, volumeBox.top, card.right - CARD_INSET, volumeBox.bottom},
        list.letters ? u"A-Z, Left/Right: another volume" : u"Left/Right: another filesystem",
        COLOR_TEXT_DIM, FONT_MAIN, ALIGN_RIGHT);

    const DriveInfo* drive = SelectedDrive();
    if (drive == nullptr) {
        return;
    }
    std::u16string title = u"On ";
    title.append(drive->devicePath.view()).append(u":");
    const auto onDrive = VolumesOnDisk(list, drive->devicePath.view());
    if (onDrive.empty()) {
        title.append(list.letters ? u" no volume with a letter" : u" no filesystem");
    }
    DrawTextAt(dc, besideBox, card.top + 6, title, COLOR_TEXT_DIM);
    int32_t left = besideBox + static_cast<int32_t>(title.size()) * CHARACTER_WIDTH + 8;
    for (size_t i = 0; i < onDrive.size() && i < static_cast<size_t>(BTN_VOLUME_COUNT); ++i) {
        const auto width =
            std::max(VOLUME_CHIP_WIDTH,
                     static_cast<int32_t>(onDrive[i]->name.size()) * CHARACTER_WIDTH + 12);
        const Rect chip{left, card.top + 3, left + width, card.top + 21};
        if (chip.right > card.right - CARD_INSET) {
            break;
        }
        const int32_t id = BTN_VOLUME_FIRST + static_cast<int32_t>(i);
        DrawButton(dc, chip, onDrive[i]->name, id, COLOR_ACCENT, true);
        RegisterButton(out, id, chip);
        left = chip.right + 6;
    }
}

}  // namespace

int32_t OutputLinesThatFit(int32_t contentHeight, bool resultShown) {
    Rect content;
    content.bottom = contentHeight;
    const OutputArea output = OutputAreaOf(content, resultShown);
    return (output.linesBottom - output.firstLineTop) / OUTPUT_LINE_HEIGHT;
}

void DrawScanRepairView(DisplayList& dc, FrameOutput& out, Rect content) {
    const int32_t l = content.left;
    const int32_t t = content.top;
    const int32_t r = content.right;

    const Rect card{l + MARGIN, t + MARGIN, r - MARGIN, t + 66};
    DrawBorderedRect(dc, card, COLOR_PANEL_BG, COLOR_BORDER);
    DrawTextAt(dc, card.left + CARD_INSET, card.top + 6, u"TARGET VOLUME", COLOR_TEXT_DIM);
    // Wide enough for a device path ("/dev/nvme0n1p2") in the large face.
    const int32_t boxWidth = std::max<int32_t>(
        110,
        static_cast<int32_t>(appState.targetVolume.view().size()) * LARGE_CHARACTER_WIDTH + 20);
    const Rect volumeBox{card.left + CARD_INSET, card.top + 24, card.left + CARD_INSET + boxWidth,
                         card.top + 44};
    DrawBorderedRect(dc, volumeBox, COLOR_BUTTON_BG, COLOR_ACCENT);
    DrawTextInRect(dc, volumeBox, appState.targetVolume.view(), COLOR_ACCENT, FONT_LARGE,
                   ALIGN_CENTER);
    DrawTargetVolume(dc, out, card, volumeBox);

    // One reading of the flag for the whole paint.
    const bool running = appState.chkdskRunning.load();

    const int32_t buttonsTop = t + BUTTONS_TOP;
    const int32_t buttonsBottom = buttonsTop + BUTTON_HEIGHT;
    const Rect readOnly{l + MARGIN, buttonsTop, l + MARGIN + SCAN_BUTTON_WIDTH, buttonsBottom};
    const Rect fix{readOnly.right + 10, buttonsTop, readOnly.right + 10 + SCAN_BUTTON_WIDTH,
                   buttonsBottom};
    const Rect cancel{r - MARGIN - CANCEL_BUTTON_WIDTH, buttonsTop, r - MARGIN, buttonsBottom};
    DrawButton(dc, readOnly, u"[SCAN READ-ONLY]", BTN_SCAN_READONLY, COLOR_ACCENT, !running);
    DrawButton(dc, fix, u"[SCAN + FIX]", BTN_SCAN_FIX, COLOR_WARN, !running);
    DrawButton(dc, cancel, u"[CANCEL]", BTN_CANCEL, COLOR_CRIT, running);
    // Registered enabled or not; the window decides whether a click acts.
    RegisterButton(out, BTN_SCAN_READONLY, readOnly);
    RegisterButton(out, BTN_SCAN_FIX, fix);
    RegisterButton(out, BTN_CANCEL, cancel);

    const Rect panel = OutputPanel(content);
    DrawBorderedRect(dc, panel, COLOR_PANEL_BG, COLOR_SEPARATOR);
    FillSolidRect(dc, Rect{panel.left, panel.top, panel.right, panel.top + OUTPUT_HEADER_HEIGHT},
                  COLOR_SURFACE);
    const int32_t textLeft = panel.left + OUTPUT_TEXT_INSET;
    std::u16string title = u">> ";
    for (const char16_t c : CheckerName()) {
        title.push_back(AsciiUpper(c));
    }
    DrawTextAt(dc, textLeft, panel.top + 4, title + u" OUTPUT", COLOR_TEXT_DIM);
    if (running) {
        DrawTextAt(dc, panel.right - 22, panel.top + 4,
                   SPINNER_FRAMES[(appState.tickCount / 3) % 4], COLOR_ACCENT);
    }

    std::lock_guard<std::mutex> lock(appState.chkdskLinesLock);
    const std::vector<std::u16string>& lines = appState.chkdskLines;
    // The line the checker is writing comes last, as the console shows it.
    const std::u16string& partial = appState.chkdskPartialLine;
    const auto count = static_cast<int32_t>(lines.size() + (partial.empty() ? 0 : 1));
    // The lines end above the result strip when it is shown, and the scroll range reaches the
    // last line all the same: a checker's last lines are its summary.
    const bool showResult = !running && appState.chkdskResultReady;
    const int32_t fit = OutputLinesThatFit(content.Height(), showResult);
    const int32_t maxScroll = count - fit > 0 ? count - fit : 0;
    // While a check runs the view always shows the newest lines.
    const int32_t scroll =
        running ? maxScroll : std::max(0, std::min(appState.chkdskScroll, maxScroll));
    out.chkdskScrolled = true;
    out.chkdskScrollMax = maxScroll;
    out.chkdskScroll = scroll;
    out.chkdskPageLines = fit;

    // Only the lines that fit whole above the area's bottom, or above the result strip, are drawn.
    const OutputArea output = OutputAreaOf(content, showResult);
    PushClip(dc, output.area);
    for (int32_t i = scroll; i < count; ++i) {
        const int32_t top = output.firstLineTop + OUTPUT_LINE_HEIGHT * (i - scroll);
        if (top + OUTPUT_LINE_HEIGHT > output.linesBottom) {
            break;
        }
        const auto index = static_cast<size_t>(i);
        const std::u16string& line = index < lines.size() ? lines[index] : partial;
        DrawTextAt(dc, textLeft, top, line, OutputLineColor(line));
    }
    PopClip(dc);
    // The scroll bar at the lines' right, over what a long line draws there.
    const Rect track{output.area.right - OUTPUT_SCROLL_BAR_WIDTH - 2, output.firstLineTop,
                     output.area.right - 2, output.firstLineTop + fit * OUTPUT_LINE_HEIGHT};
    out.scrollBars[SCROLLER_OUTPUT] = DrawScrollBar(dc, track, fit, count, scroll, maxScroll);

    if (showResult) {
        const Rect strip{output.area.left, output.area.bottom - RESULT_STRIP_HEIGHT,
                         output.area.right, output.area.bottom};
        FillSolidRect(dc, strip, COLOR_SURFACE);
        const Color color = !appState.chkdskExitNonZero ? COLOR_GOOD
                            : appState.chkdskFixed      ? COLOR_WARN
                                                        : COLOR_CRIT;
        DrawTextInRect(dc, strip, appState.chkdskResultText, color, FONT_MAIN, ALIGN_LEFT);
    }
}

}  // namespace corvanite
