#include "app/input.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "app/export.h"
#include "app/scan_worker.h"
#include "app/self_test_worker.h"
#include "app/window_host.h"
#include "state/app_state.h"
#include "text/text_format.h"
#include "ui/buttons.h"
#include "volume_check/child_process.h"
#include "volume_check/chkdsk_command.h"
#include "volume_check/chkdsk_worker.h"

namespace corvanite {
namespace {

void SelectDrive(int32_t row) {
    appState.selectedDrive = row;
    appState.smartScroll = 0;
    const DriveInfo& drive = appState.drives[static_cast<size_t>(row)];
    std::u16string text = u"Selected: ";
    text.append(drive.devicePath.view()).append(u"  ").append(drive.model.view()).append(u"  ");
    text.append(SourceLabel(drive.smartSource)).append(u"  ");
    AppendUnsigned(text, drive.attributes.size());
    text.append(u" attrs");
    SetStatusText(text);
    RequestRepaint();
}

// Moves the drive list so that the card of `row` is shown whole.
void ScrollDriveIntoView(int32_t row) {
    const int32_t page = std::max(1, appState.drivePageRows);
    int32_t scroll = appState.driveScroll;
    if (row < scroll) {
        scroll = row;
    } else if (row >= scroll + page) {
        scroll = row - page + 1;
    }
    appState.driveScroll = std::max(0, std::min(scroll, appState.driveScrollMax));
}

std::u16string Checker() {
    return std::u16string(CheckerName());
}

std::u16string NoVolumeText(std::u16string_view name) {
    return u"No volume is mounted at " + std::u16string(name) +
           u" (F5 lists the volumes again after a drive is plugged in)";
}

// Why no check (or, with `repair`, no repair) may run on the target: a volume the system did not
// list at the last scan, a file system without a checker, a filesystem in use. Empty when it
// may. Without a list from the system nothing is refused: the checker says what it finds there.
std::u16string TargetRefusal(bool repair) {
    const std::u16string name(appState.targetVolume.view());
    if (!appState.volumes.known) {
        return {};
    }
    const VolumeInfo* volume = FindVolume(appState.volumes, name);
    if (volume == nullptr) {
        return NoVolumeText(name);
    }
    std::u16string why = CheckRefusal(*volume);
    if (why.empty() && repair) {
        why = RepairRefusal(*volume);
    }
    return why.empty() ? why : Checker() + u": " + why;
}

// "D: (Data  NTFS  931.5 GB)", or the bare name when the system did not describe it.
std::u16string TargetDescription() {
    std::u16string text(appState.targetVolume.view());
    const VolumeInfo* volume = FindVolume(appState.volumes, text);
    const std::u16string summary = volume != nullptr ? VolumeSummary(*volume) : u"";
    if (!summary.empty()) {
        text.append(u" (").append(summary).append(u")");
    }
    return text;
}

// A volume the system has: the check's new target. Any other is refused with words.
void SetTargetVolume(std::u16string_view name) {
    if (appState.volumes.known && FindVolume(appState.volumes, name) == nullptr) {
        SetStatusText(NoVolumeText(name));
    } else {
        appState.targetVolume.Set(name);
    }
    RequestRepaint();
}

// The i-th volume of the selected drive, as the view's buttons show them.
void PickDriveVolume(int32_t index) {
    const DriveInfo* drive = SelectedDrive();
    if (drive == nullptr) {
        return;
    }
    const auto volumes = VolumesOnDisk(appState.volumes, drive->devicePath.view());
    if (index >= 0 && static_cast<size_t>(index) < volumes.size()) {
        SetTargetVolume(volumes[static_cast<size_t>(index)]->name);
    }
}

// Left and Right: the volume before or after the target in the system's list, at its ends the
// last or first one (the way to pick where volumes have no letter).
void StepTargetVolume(int32_t step) {
    const std::vector<VolumeInfo>& all = appState.volumes.volumes;
    if (all.empty()) {
        return;
    }
    const auto count = static_cast<int32_t>(all.size());
    const VolumeInfo* current = FindVolume(appState.volumes, appState.targetVolume.view());
    const int32_t at =
        current != nullptr ? static_cast<int32_t>(current - all.data()) : (step > 0 ? -1 : count);
    SetTargetVolume(all[static_cast<size_t>(((at + step) % count + count) % count)].name);
}

void StartVolumeCheck(bool readOnly) {
    const std::u16string refusal = TargetRefusal(!readOnly);
    if (!refusal.empty()) {
        SetStatusText(refusal);
        return;
    }
    // The checker of the last check, cancelled but not yet ended, may still hold the volume
    // (StartChkdsk refuses then too): a new check waits for its end.
    bool checkerAlive = appState.chkdskCheckerAlive;
    if (!checkerAlive) {
        std::u16string text = u"Running " + Checker() + u" ";
        text.append(appState.targetVolume.view());
        text.append(readOnly ? u" (read-only)..." : u" (fix mode)...");
        SetStatusText(text);
        {
            std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
            appState.chkdskLines.clear();
            appState.chkdskPartialLine.clear();
        }
        if (StartChkdsk(std::u16string(appState.targetVolume.view()), readOnly)) {
            appState.chkdskVolume.Set(appState.targetVolume.view());
            appState.chkdskFixMode = !readOnly;
            return;
        }
        checkerAlive = appState.chkdskCheckerAlive;
    }
    SetStatusText(Checker() + (checkerAlive ? u": the last check's " + Checker() +
                                                  u" is still running; a new check can start "
                                                  u"once it has ended"
                                            : u": the volume check could not be started (no "
                                              u"thread)"));
}

// A read-only check stops at once; a repair only once the user has said so, knowing what a
// repair stopped midway leaves (the check may end by itself while the question is open).
void CancelVolumeCheck() {
    if (!appState.chkdskRunning) {
        return;
    }
    if (appState.chkdskFixMode) {
        const std::u16string volume(appState.chkdskVolume.view());
        if (!AskYesNo(u"Stop the repair of " + volume + u"?\n" + Checker() +
                          u" is changing the volume now: stopped midway, its file "
                          u"system may be left with errors until a full check has run.",
                      u"Confirm") ||
            !appState.chkdskRunning) {
            return;
        }
    }
    appState.chkdskCancel = true;
    SetStatusText(u"Cancelling...");
}

// Moves a scroll position by `step` rows, or to an end, within 0 to `most`.
void ScrollBy(int32_t& scroll, int32_t most, int32_t step) {
    scroll = std::max(0, std::min(scroll + step, most));
}

// The position a scroll bar moves and its largest value.
struct ScrollTarget {
    int32_t* scroll;
    int32_t most;
    int32_t page;
};
ScrollTarget TargetOf(int32_t scroller) {
    switch (scroller) {
        case SCROLLER_DRIVES:
            return {&appState.driveScroll, appState.driveScrollMax, appState.drivePageRows};
        case SCROLLER_SMART:
            return {&appState.smartScroll, appState.smartScrollMax, appState.smartPageRows};
        default:
            return {&appState.chkdskScroll, appState.chkdskScrollMax, appState.chkdskPageLines};
    }
}

// A press on a scroll bar: on the thumb it takes hold of it; above or below it, a page up or
// down, as system scroll bars do. False when the point is on no scroll bar.
bool PressScrollBar(Point client) {
    for (int32_t s = 0; s < SCROLLER_COUNT; ++s) {
        const ScrollBarPlace& bar = appState.scrollBars[s];
        if (bar.thumb.Height() <= 0 || !bar.track.Contains(client)) {
            continue;
        }
        if (bar.thumb.Contains(client)) {
            appState.thumbHeld = s;
            appState.thumbGrip = client.y - bar.thumb.top;
        } else {
            const ScrollTarget target = TargetOf(s);
            ScrollBy(*target.scroll, target.most,
                     (client.y < bar.thumb.top ? -1 : 1) * std::max(1, target.page));
            RequestRepaint();
        }
        return true;
    }
    return false;
}

// The held thumb follows the pointer: its top where the pointer holds it, the position in the
// same share of the range as the thumb's top is of the track's free length.
void DragThumb(Point client) {
    const ScrollBarPlace& bar = appState.scrollBars[appState.thumbHeld];
    const ScrollTarget target = TargetOf(appState.thumbHeld);
    const int32_t travel = bar.track.Height() - bar.thumb.Height();
    const int32_t top =
        std::clamp(client.y - appState.thumbGrip - bar.track.top, 0, std::max(travel, 0));
    const int32_t scroll = travel > 0 ? (top * target.most + travel / 2) / travel : 0;
    if (scroll != *target.scroll) {
        *target.scroll = scroll;
        RequestRepaint();
    }
}

void ShowTab(int32_t tab) {
    appState.activeTab = tab;
    RequestRepaint();
}

void PageKey(uint32_t key) {
    if (appState.activeTab != TAB_SMART && appState.activeTab != TAB_SCAN_REPAIR) {
        return;
    }
    const ScrollTarget target =
        TargetOf(appState.activeTab == TAB_SMART ? SCROLLER_SMART : SCROLLER_OUTPUT);
    const int32_t page = std::max(1, target.page);
    if (key == KEY_PAGE_UP) {
        ScrollBy(*target.scroll, target.most, -page);
    } else if (key == KEY_PAGE_DOWN) {
        ScrollBy(*target.scroll, target.most, page);
    } else {
        *target.scroll = key == KEY_HOME ? 0 : target.most;
    }
    RequestRepaint();
}

void ToggleMaximized() {
    if (appState.maximized) {
        appState.maximized = false;
        PlaceMainWindow(appState.restoreRect);
    } else {
        appState.restoreRect = MainWindowBounds();
        appState.maximized = true;
        PlaceMainWindow(MonitorWorkArea());
    }
}

void ButtonAction(int32_t id) {
    switch (id) {
        case BTN_REFRESH:
            StartDriveScan();
            break;
        case BTN_SCAN_READONLY:
            if (!appState.chkdskRunning) {
                StartVolumeCheck(true);
            }
            break;
        case BTN_SCAN_FIX:
            if (appState.chkdskRunning) {
                break;
            }
            // A volume that may not be repaired is refused before any question; the question
            // names the volume.
            if (!TargetRefusal(true).empty() ||
                AskYesNo(u"Fix disk errors on " + TargetDescription() +
                             u"?\nVolume may be forcibly dismounted.",
                         u"Confirm")) {
                StartVolumeCheck(false);
            }
            break;
        case BTN_CANCEL:
            CancelVolumeCheck();
            break;
        case BTN_EXPORT:
            ExportReport();
            break;
        case BTN_CLOSE:
            if (MayCloseWindow()) {
                CloseMainWindow();
            }
            break;
        case BTN_MAXIMIZE:
            ToggleMaximized();
            break;
        case BTN_MINIMIZE:
            MinimizeMainWindow();
            break;
        case BTN_SELF_TEST_SHORT:
            RequestSelfTest(SELF_TEST_SHORT);
            break;
        case BTN_SELF_TEST_EXTENDED:
            RequestSelfTest(SELF_TEST_EXTENDED);
            break;
        case BTN_SELF_TEST_ABORT:
            RequestSelfTest(SELF_TEST_ABORT);
            break;
        default:
            if (id >= BTN_VOLUME_FIRST && id < BTN_VOLUME_FIRST + BTN_VOLUME_COUNT) {
                PickDriveVolume(id - BTN_VOLUME_FIRST);
            }
            break;
    }
}

}  // namespace

bool MayCloseWindow() {
    if (!appState.chkdskRunning) {
        return true;
    }
    const std::u16string volume(appState.chkdskVolume.view());
    const std::u16string question =
        appState.chkdskFixMode
            ? Checker() + u" is repairing " + volume +
                  u".\nClosing stops the repair midway: the file system may be left with errors "
                  u"until a full check has run.\nClose and stop the repair?"
            : u"A read-only check of " + volume +
                  u" is running.\nClosing stops it; nothing on the volume has been changed.\n"
                  u"Close and stop the check?";
    if (!AskYesNo(question, u"Confirm")) {
        return false;
    }
    appState.chkdskCancel = true;
    return true;
}

int32_t DriveRowAt(Point client) {
    for (const DriveRowEntry& row : appState.driveRows) {
        if (row.rect.Contains(client) && row.drive >= 0 &&
            static_cast<size_t>(row.drive) < appState.drives.size()) {
            return row.drive;
        }
    }
    return -1;
}

void OnKeyDown(uint32_t virtualKey, bool control, bool shift) {
    if (virtualKey == KEY_F5) {
        StartDriveScan();
        return;
    }
    if (virtualKey == KEY_UP || virtualKey == KEY_DOWN) {
        const auto count = static_cast<int32_t>(appState.drives.size());
        const int32_t row = appState.selectedDrive + (virtualKey == KEY_UP ? -1 : 1);
        if (row >= 0 && row < count) {
            ScrollDriveIntoView(row);
            SelectDrive(row);
        }
        return;
    }
    if (virtualKey == KEY_PAGE_UP || virtualKey == KEY_PAGE_DOWN || virtualKey == KEY_HOME ||
        virtualKey == KEY_END) {
        PageKey(virtualKey);
        return;
    }
    if (virtualKey == KEY_ESCAPE) {
        CancelVolumeCheck();
        RequestRepaint();
        return;
    }
    if (control) {
        if (virtualKey == 'E') {
            ExportReport();
        } else if (virtualKey == 'C') {
            CopySelectedDrive();
        } else if (virtualKey == KEY_TAB) {
            ShowTab((appState.activeTab + (shift ? TAB_COUNT - 1 : 1)) % TAB_COUNT);
        } else if (virtualKey >= '1' && virtualKey < '1' + TAB_COUNT) {
            ShowTab(static_cast<int32_t>(virtualKey - '1'));
        }
        return;
    }
    // On SELF-TEST: S a short test, E an extended one (asked first), A aborts the running one.
    if (appState.activeTab == TAB_SELF_TEST &&
        (virtualKey == 'S' || virtualKey == 'E' || virtualKey == 'A')) {
        RequestSelfTest(virtualKey == 'S'   ? SELF_TEST_SHORT
                        : virtualKey == 'E' ? SELF_TEST_EXTENDED
                                            : SELF_TEST_ABORT);
        return;
    }
    if (appState.activeTab == TAB_SCAN_REPAIR &&
        (virtualKey == KEY_LEFT || virtualKey == KEY_RIGHT)) {
        StepTargetVolume(virtualKey == KEY_LEFT ? -1 : 1);
        return;
    }
    // Letters name volumes where the system names them so, or where it was not asked.
    const bool letters = appState.volumes.letters || !appState.volumes.known;
    if (appState.activeTab == TAB_SCAN_REPAIR && letters && virtualKey >= 'A' &&
        virtualKey <= 'Z') {
        const char16_t volume[] = {static_cast<char16_t>(virtualKey), u':'};
        SetTargetVolume(std::u16string_view(volume, 2));
    }
}

void OnMouseMove(Point client, bool leftButtonDown) {
    if (appState.thumbHeld >= 0 && leftButtonDown) {
        DragThumb(client);
        return;
    }
    if (appState.dragging && leftButtonDown) {
        const Point screen = ClientToScreen(client);
        MoveMainWindow(appState.dragStartWindowRect.left + (screen.x - appState.dragStartCursor.x),
                       appState.dragStartWindowRect.top + (screen.y - appState.dragStartCursor.y));
        return;
    }
    const int32_t button = HitTestButtons(client);
    const int32_t row = DriveRowAt(client);
    bool changed = false;
    if (button != appState.hoverButton) {
        appState.hoverButton = button;
        changed = true;
    }
    if (row != appState.hoverDriveRow) {
        appState.hoverDriveRow = row;
        changed = true;
    }
    if (changed) {
        RequestRepaint();
    }
    TrackMouseLeave();
}

void OnMouseLeave() {
    appState.hoverButton = BTN_NONE;
    appState.hoverDriveRow = -1;
    RequestRepaint();
}

void OnLeftButtonDown(Point client) {
    CaptureMouse();
    const int32_t button = HitTestButtons(client);
    if (button != BTN_NONE) {
        appState.pressedButton = button;
        RequestRepaint();
        return;
    }
    if (PressScrollBar(client)) {
        return;
    }
    if (appState.dragZone.Contains(client)) {
        appState.dragging = true;
        appState.dragStartCursor = ClientToScreen(client);
        appState.dragStartWindowRect = MainWindowBounds();
        return;
    }
    const int32_t row = DriveRowAt(client);
    if (row >= 0) {
        SelectDrive(row);
    }
    for (int32_t tab = 0; tab < TAB_COUNT; ++tab) {
        if (appState.tabRects[tab].Contains(client)) {
            ShowTab(tab);
        }
    }
}

void OnLeftButtonUp(Point client) {
    // Taken before the capture goes: releasing it reports the capture's end (OnCaptureLost),
    // which must find this press already over.
    const bool dragging = appState.dragging || appState.thumbHeld >= 0;
    const int32_t pressed = appState.pressedButton;
    appState.dragging = false;
    appState.thumbHeld = -1;
    appState.pressedButton = BTN_NONE;
    ReleaseMouse();
    if (dragging) {
        return;
    }
    const int32_t button = HitTestButtons(client);
    if (button != BTN_NONE && button == pressed) {
        ButtonAction(button);
    }
    RequestRepaint();
}

void OnCaptureLost() {
    if (!appState.dragging && appState.pressedButton == BTN_NONE && appState.thumbHeld < 0) {
        return;
    }
    appState.dragging = false;
    appState.thumbHeld = -1;
    appState.pressedButton = BTN_NONE;
    RequestRepaint();
}

void OnMouseWheel(Point client, int32_t delta) {
    // Precision touchpads and high-resolution wheels send parts of a notch: they add up until a
    // notch is reached, and what is left waits for the next (a turn the other way starts anew).
    int32_t& pending = appState.wheelPending;
    if (static_cast<int64_t>(pending) * delta < 0) {  // signs opposite
        pending = 0;
    }
    pending += delta;
    const int32_t steps = pending / WHEEL_STEP;
    pending -= steps * WHEEL_STEP;
    if (appState.driveListArea.Contains(client)) {
        ScrollBy(appState.driveScroll, appState.driveScrollMax, -steps);
    } else if (appState.activeTab == TAB_SMART) {
        ScrollBy(appState.smartScroll, appState.smartScrollMax, -steps);
    } else if (appState.activeTab == TAB_SCAN_REPAIR) {
        ScrollBy(appState.chkdskScroll, appState.chkdskScrollMax, -steps);
    }
    RequestRepaint();
}

void OnTimerTick() {
    ++appState.tickCount;
    PollSelfTests();
    // A scan's cards count their seconds: one repaint a second is enough for them.
    const bool secondPassed = (appState.tickCount - appState.scanStartTick) % 20 == 0;
    if (appState.chkdskRunning || (appState.scanning && secondPassed)) {
        RequestRepaint();
    }
}

void OnSelfTestAnswer() {
    HandleSelfTestAnswer();
}

void OnChkdskEvent(uintptr_t code) {
    if (code == CHKDSK_EVENT_LINE) {
        // The paint shows every line there is; the worker may post the next event.
        appState.chkdskLineEventPending = false;
    }
    if (code == CHKDSK_EVENT_DONE || code == CHKDSK_EVENT_FAILED) {
        // A check that could not start is told as plainly as one that ended.
        std::u16string text = Checker() + u": ";
        {
            std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
            text.append(appState.chkdskResultText);
            // The view followed the newest lines while the check ran; it stays at the end now that
            // the result strip takes room (the next paint holds the value to the scroll range).
            appState.chkdskScroll = static_cast<int32_t>(appState.chkdskLines.size());
        }
        SetStatusText(text);
    }
    RequestRepaint();
}

}  // namespace corvanite
