#include "state/app_state.h"

namespace corvanite {

AppState appState;

void ResetAppState() {
    AppState& s = appState;
    s.statusText.Set(u"Initializing...");
    s.hoverButton = BTN_NONE;
    s.pressedButton = BTN_NONE;
    s.targetVolume.Set(u"C:");
    s.chkdskVolume.Set(u"");
    s.chkdskFixMode = false;
    s.hoverDriveRow = -1;
    s.chkdskResultReady = false;
    s.chkdskExitNonZero = false;
    s.chkdskFixed = false;
    s.chkdskResultText.clear();
    s.chkdskCancel = false;
    s.chkdskRunning = false;
    s.chkdskLineEventPending = false;
    s.chkdskCheckerAlive = false;
    s.buttons.clear();
    s.drives.clear();
    s.skippedDrivesText.clear();
    s.volumes = VolumeList{};
    s.chkdskLines.clear();
    s.chkdskPartialLine.clear();
    s.chkdskScrollMax = 0;
    s.smartScrollMax = 0;
    s.activeTab = TAB_SMART;
    s.dragging = false;
    s.thumbHeld = -1;
    s.wheelPending = 0;
    for (ScrollBarPlace& bar : s.scrollBars) {
        bar = ScrollBarPlace{};
    }
    s.maximized = false;
    s.scanning = false;
    s.selfTestBusy = false;
    s.selfTestStartedPath.Set(u"");
    s.selfTestStartedKind = SELF_TEST_NONE;
    s.selfTestStartedTick = 0;
    s.smartScroll = 0;
    s.chkdskScroll = 0;
    s.smartPageRows = 0;
    s.chkdskPageLines = 0;
    s.driveScroll = 0;
    s.driveScrollMax = 0;
    s.drivePageRows = 0;
    s.dragStartCursor = Point{};
    s.restoreRect = Rect{};
    for (Rect& tab : s.tabRects) {
        tab = Rect{};
    }
    s.driveRows.clear();
    s.driveListArea = Rect{};
    s.dragZone = Rect{};
    s.selectedDrive = 0;
    s.tickCount = 0;
    s.dragStartWindowRect = Rect{};
}

void SetStatusText(std::u16string_view text) {
    appState.statusText.Set(text);
}

const DriveInfo* SelectedDrive() {
    if (appState.drives.empty()) {
        return nullptr;
    }
    // A negative number converts to one past any list's end.
    const auto selected = static_cast<size_t>(appState.selectedDrive.load());
    return &appState.drives[selected < appState.drives.size() ? selected : 0];
}

}  // namespace corvanite
