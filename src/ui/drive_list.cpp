#include "ui/drive_list.h"

#include <algorithm>

#include "state/app_state.h"
#include "text/surrogates.h"
#include "text/text_format.h"
#include "ui/buttons.h"
#include "ui/primitives.h"

namespace corvanite {

std::u16string ShortenModel(std::u16string_view model) {
    if (model.size() <= DRIVE_CARD_MODEL_MAX) {
        return std::u16string(model);
    }
    size_t keep = DRIVE_CARD_MODEL_KEEP;
    // Never leave the first half of a surrogate pair alone at the cut.
    if (IsHighSurrogate(model[keep - 1])) {
        --keep;
    }
    std::u16string shown(model.substr(0, keep));
    shown += u"..";
    return shown;
}

std::u16string_view DriveCardHealthWord(HealthStatus health) {
    if (health == HEALTH_UNKNOWN) {
        return u"-- N/A --";
    }
    return HealthWord(health);
}

DriveListLayout ComputeDriveListLayout(Rect panel, size_t driveCount) {
    DriveListLayout layout;
    layout.listTop = panel.top + DRIVE_LIST_HEADER_HEIGHT;
    layout.listBottom = std::max(layout.listTop, panel.bottom - DRIVE_LIST_BOTTOM_GAP);
    layout.pageRows = std::max(1, (layout.listBottom - layout.listTop) / DRIVE_CARD_HEIGHT);
    const auto count = static_cast<int32_t>(std::min<size_t>(driveCount, 1024));
    layout.scrollMax = std::max(0, count - layout.pageRows);
    layout.track = Rect{panel.right - 8, layout.listTop, panel.right - 1, layout.listBottom};
    return layout;
}

namespace {

constexpr size_t EMPTY_NOTICE_LINE = 22;  // characters that fit the panel's width
// The texts, the notices and the refresh button keep this far from the panel's sides.
constexpr int32_t INSET = 10;
// The card's lines: the number at 8, the model at 24, the size and bus, then the grade (or how
// long the drive has been answering) in the card's last row above its separator. A line's cell
// is 13 1/3 units high whatever the face (the renderers size it so), so no two lines touch.
constexpr int32_t SIZE_LINE_TOP = 39;
constexpr int32_t LAST_LINE_TOP = 53;

void DrawDriveCard(DisplayList& dc, Rect panel, int32_t y, const DriveInfo& drive, bool selected,
                   bool hovered, std::u16string& scratch) {
    const int32_t left = panel.left;
    const int32_t right = panel.right;
    const Color health = HealthColor(drive.health);

    if (selected) {
        FillSolidRect(dc, Rect{left, y, right, y + DRIVE_CARD_HEIGHT}, COLOR_ROW_SELECTED);
        FillSolidRect(dc, Rect{left, y, left + 3, y + DRIVE_CARD_HEIGHT}, COLOR_ACCENT);
    } else {
        FillSolidRect(dc, Rect{left, y, right, y + DRIVE_CARD_HEIGHT},
                      hovered ? COLOR_ROW_HOVER : COLOR_SURFACE);
    }
    FillSolidRect(dc, Rect{left + 8, y + DRIVE_CARD_HEIGHT - 1, right - 8, y + DRIVE_CARD_HEIGHT},
                  COLOR_SEPARATOR);
    FillSolidRect(dc, Rect{left + 12, y + 10, left + 20, y + 18}, health);

    scratch.clear();
    scratch.push_back(u'[');
    AppendSigned(scratch, drive.driveNumber);
    scratch += u']';
    DrawTextAt(dc, left + 24, y + 8, scratch, COLOR_ACCENT);

    const Rect badge{right - 46, y + 6, right - 6, y + 22};
    DrawBorderedRect(dc, badge, COLOR_BUTTON_BG, COLOR_BORDER);
    DrawTextInRect(dc, badge, MediaWord(drive.mediaType), COLOR_TEXT_SECONDARY, FONT_MAIN,
                   ALIGN_CENTER);

    DrawTextAt(dc, left + INSET, y + 24, ShortenModel(drive.model.view()), COLOR_TEXT);

    scratch.clear();
    scratch += FormatCapacity(drive.sizeBytes);
    scratch += u"  ";
    scratch += drive.busName.view();
    DrawTextAt(dc, left + INSET, y + SIZE_LINE_TOP, scratch, COLOR_TEXT_SECONDARY);

    if (drive.answering) {
        scratch = u"still answering  ";
        AppendUnsigned(scratch, (appState.tickCount - appState.scanStartTick) / 20);
        scratch += u" s";
        DrawTextInRect(dc,
                       Rect{left + INSET, y + LAST_LINE_TOP, right - INSET, y + LAST_LINE_TOP + 14},
                       scratch, COLOR_TEXT_SECONDARY, FONT_MAIN, ALIGN_LEFT);
        return;
    }
    const Rect lastLine{left + INSET, y + LAST_LINE_TOP, right - INSET, y + LAST_LINE_TOP + 14};
    DrawTextInRect(dc, lastLine, DriveCardHealthWord(drive.health), health, FONT_MAIN, ALIGN_LEFT);
    // A self-test running in the drive, and how far it is, as the drive last told it.
    if (drive.selfTest.running) {
        scratch = u"TEST ";
        AppendUnsigned(scratch, static_cast<uint64_t>(drive.selfTest.percentDone));
        scratch += u'%';
        DrawTextInRect(dc, lastLine, scratch, COLOR_ACCENT, FONT_MAIN, ALIGN_RIGHT);
    }
}

}  // namespace

const DriveInfo* ShownDriveOrNotice(DisplayList& dc, Rect content) {
    const DriveInfo* shown = SelectedDrive();
    if (shown == nullptr) {
        DrawTextInRect(dc, content, appState.scanning ? SCANNING_TEXT : u"No drives detected.",
                       COLOR_TEXT_DIM, FONT_LARGE, ALIGN_CENTER);
    }
    return shown;
}

void DrawDriveList(DisplayList& dc, FrameOutput& out, Rect panel) {
    const int32_t left = panel.left;
    const int32_t top = panel.top;
    const int32_t right = panel.right;

    FillSolidRect(dc, Rect{left, top, right, top + DRIVE_LIST_HEADER_HEIGHT}, COLOR_PANEL_BG);
    const int32_t rule = top + DRIVE_LIST_HEADER_HEIGHT - 1;  // the header's last row
    DrawLine(dc, Point{left, rule}, Point{right, rule}, COLOR_ACCENT_ALT);
    DrawTextInRect(dc, Rect{left + INSET, top, right, top + DRIVE_LIST_HEADER_HEIGHT}, u"[DRIVES]",
                   COLOR_ACCENT_ALT, FONT_MAIN, ALIGN_LEFT);

    const std::vector<DriveInfo>& drives = appState.drives;
    // An empty list's notice: one line, or the reason wrapped under it.
    const int32_t noticeTop = top + 48;
    // "No drives found" only once a scan has found none.
    if (drives.empty() && (appState.scanning || appState.skippedDrivesText.empty())) {
        DrawTextInRect(dc, Rect{left + INSET, noticeTop, right - INSET, noticeTop + 40},
                       appState.scanning ? SCANNING_TEXT : u"No drives found", COLOR_TEXT_DIM,
                       FONT_MAIN, ALIGN_TOP_CENTER);
    } else if (drives.empty()) {
        const std::u16string notice =
            WrapAtBlanks(u"No drives found: " + appState.skippedDrivesText, EMPTY_NOTICE_LINE);
        DrawTextInRect(dc, Rect{left + INSET, noticeTop, right - INSET, noticeTop + 140}, notice,
                       COLOR_TEXT_DIM, FONT_MAIN, ALIGN_TOP_CENTER);
    }

    // The cards that fit above the refresh button; the rest are reached by scrolling, and a
    // card cut by the list's bottom edge is clipped there.
    const DriveListLayout layout = ComputeDriveListLayout(panel, drives.size());
    const int32_t scroll = std::max(0, std::min(appState.driveScroll, layout.scrollMax));
    out.driveListArea = panel;
    out.driveScrollMax = layout.scrollMax;
    out.driveScroll = scroll;
    out.drivePageRows = layout.pageRows;
    Rect cards = panel;
    if (layout.scrollMax > 0) {
        cards.right = layout.track.left - 1;
        out.scrollBars[SCROLLER_DRIVES] =
            DrawScrollBar(dc, layout.track, layout.pageRows, static_cast<int32_t>(drives.size()),
                          scroll, layout.scrollMax);
    }

    const int32_t selected = appState.selectedDrive.load();
    std::u16string scratch;
    PushClip(dc, Rect{left, layout.listTop, right, layout.listBottom});
    int32_t y = layout.listTop;
    for (size_t i = static_cast<size_t>(scroll); i < drives.size() && y < layout.listBottom;
         ++i, y += DRIVE_CARD_HEIGHT) {
        const auto row = static_cast<int32_t>(i);
        DrawDriveCard(dc, cards, y, drives[i], row == selected, row == appState.hoverDriveRow,
                      scratch);
        // A click anywhere in the card's visible part, the panel's divider column included.
        out.driveRows.push_back(DriveRowEntry{
            row, Rect{left, y, right + 1, std::min(y + DRIVE_CARD_HEIGHT, layout.listBottom)}});
    }
    PopClip(dc);

    const bool scanning = appState.scanning.load();
    const Rect button{left + INSET, panel.bottom - REFRESH_BUTTON_TOP_GAP, right - INSET,
                      panel.bottom - REFRESH_BUTTON_BOTTOM_GAP};
    DrawButton(dc, button, scanning ? u"[SCANNING...]" : u"[REFRESH]", BTN_REFRESH, COLOR_ACCENT,
               !scanning);
    RegisterButton(out, BTN_REFRESH, button);
}

}  // namespace corvanite
