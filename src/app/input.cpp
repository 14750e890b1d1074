#include "app/input.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "state/app_state.h"
#include "app/window_host.h"
#include "app/scan_worker.h"
#include "app/export.h"
#include "text/text_format.h"
#include "ui/buttons.h"
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

void StartVolumeCheck(bool readOnly) {
    std::u16string text = u"Running chkdsk ";
    text.append(appState.targetVolume.view());
    text.append(readOnly ? u" (read-only)..." : u" (fix mode)...");
    SetStatusText(text);
    {
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        appState.chkdskLines.clear();
    }
    StartChkdsk(std::u16string(appState.targetVolume.view()), readOnly);
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
            if (!appState.chkdskRunning &&
                AskYesNo(u"Fix disk errors?\nVolume may be forcibly dismounted.", u"Confirm")) {
                StartVolumeCheck(false);
            }
            break;
        case BTN_CANCEL:
            if (appState.chkdskRunning) {
                appState.chkdskCancel = true;
                SetStatusText(u"Cancelling...");
            }
            break;
        case BTN_EXPORT:
            ExportReport();
            break;
        case BTN_CLOSE:
            CloseMainWindow();
            break;
        case BTN_MAXIMIZE:
            ToggleMaximized();
            break;
        case BTN_MINIMIZE:
            MinimizeMainWindow();
            break;
        default:
            break;
    }
}

}  // namespace

int32_t DriveRowAt(Point client) {
    const size_t rows = std::min(appState.driveRows.size(), appState.drives.size());
    for (size_t row = 0; row < rows; ++row) {
        if (appState.driveRows[row].Contains(client)) {
            return static_cast<int32_t>(row);
        }
    }
    return -1;
}

void OnKeyDown(uint32_t virtualKey) {
    if (virtualKey == KEY_F5) {
        StartDriveScan();
        return;
    }
    if (appState.activeTab == TAB_SCAN_REPAIR && virtualKey >= 'A' && virtualKey <= 'Z') {
        const char16_t volume[] = {static_cast<char16_t>(virtualKey), u':'};
        appState.targetVolume.Set(std::u16string_view(volume, 2));
        RequestRepaint();
    }
}

void OnMouseMove(Point client, bool leftButtonDown) {
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
            appState.activeTab = tab;
            RequestRepaint();
        }
    }
}

void OnLeftButtonUp(Point client) {
    ReleaseMouse();
    if (appState.dragging) {
        appState.dragging = false;
        return;
    }
    const int32_t button = HitTestButtons(client);
    const int32_t pressed = appState.pressedButton;
    appState.pressedButton = BTN_NONE;
    if (button != BTN_NONE && button == pressed) {
        ButtonAction(button);
    }
    RequestRepaint();
}

void OnMouseWheel(int32_t delta) {
    const int32_t steps = delta / WHEEL_STEP;
    if (appState.activeTab == TAB_SMART) {
        appState.smartScroll =
            std::max(0, std::min(appState.smartScroll - steps, appState.smartScrollMax));
    } else if (appState.activeTab == TAB_SCAN_REPAIR) {
        appState.chkdskScroll =
            std::max(0, std::min(appState.chkdskScroll - steps, appState.chkdskScrollMax));
    }
    RequestRepaint();
}

void OnTimerTick() {
    ++appState.tickCount;
    if (appState.chkdskRunning) {
        RequestRepaint();
    }
}

void OnChkdskEvent(uintptr_t code) {
    if (code == CHKDSK_EVENT_DONE || code == CHKDSK_EVENT_FAILED) {
        // A check that could not start is told as plainly as one that ended.
        std::u16string text = u"chkdsk: ";
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
