// The program's one lasting state record, shared by the window, the drawers and the workers.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "drives/drive_info.h"
#include "drives/volumes.h"
#include "state/button_entry.h"
#include "state/geometry.h"
#include "text/fixed_text.h"

namespace corvanite {

constexpr int32_t TAB_SMART = 0;
constexpr int32_t TAB_DISK_INFO = 1;
constexpr int32_t TAB_SCAN_REPAIR = 2;
constexpr int32_t TAB_SELF_TEST = 3;
constexpr int32_t TAB_COUNT = 4;

// What the status line, the empty list and the empty views say while a scan runs.
constexpr std::u16string_view SCANNING_TEXT = u"Scanning drives...";

// Private window messages (WM_USER + 100 and + 101) and the volume-check event codes.
constexpr uint32_t MSG_CHKDSK_EVENT = 0x0400 + 100;
constexpr uint32_t MSG_SCAN_DONE = 0x0400 + 101;
constexpr uint32_t MSG_SELF_TEST = 0x0400 + 102;
constexpr uintptr_t CHKDSK_EVENT_FAILED = 0;
constexpr uintptr_t CHKDSK_EVENT_LINE = 1;
constexpr uintptr_t CHKDSK_EVENT_DONE = 2;

// The three scrolled things: the drive list, the SMART table, the volume check's output.
enum Scroller : int32_t { SCROLLER_DRIVES, SCROLLER_SMART, SCROLLER_OUTPUT, SCROLLER_COUNT };

struct AppState {
    // The status line; always written whole, cut at 511 characters.
    FixedText<512> statusText = Initial(u"Initializing...");
    int32_t hoverButton = BTN_NONE;
    int32_t pressedButton = BTN_NONE;
    // The volume the check runs on: a letter and a colon, or a device path ("/dev/nvme0n1p2").
    FixedText<64> targetVolume = InitialVolume(u"C:");
    // The volume and mode of the running or last check, as the UI thread started it (the letter
    // box may show another volume by now). UI thread only.
    FixedText<64> chkdskVolume;
    bool chkdskFixMode = false;
    int32_t hoverDriveRow = -1;
    // Result of the last volume check: guarded by chkdskLinesLock.
    bool chkdskResultReady = false;
    bool chkdskExitNonZero = false;
    bool chkdskFixed = false;
    std::u16string chkdskResultText;
    std::atomic<bool> chkdskCancel{false};
    std::atomic<bool> chkdskRunning{false};
    // A line event is on its way to the window: the worker posts the next one only once the
    // window has handled it (the window reads every line there is when it comes).
    std::atomic<bool> chkdskLineEventPending{false};
    // The last run's checker outlived the wait for its end; no new run starts until it is gone.
    std::atomic<bool> chkdskCheckerAlive{false};
    std::mutex chkdskLinesLock;
    ButtonRegistry buttons;
    // The last completed scan, in probe order; replaced as a whole on the UI thread.
    std::vector<DriveInfo> drives;
    // The volumes the checker can be given, as that scan listed them; replaced on the UI thread.
    VolumeList volumes;
    // What that scan could not open ("2 disks could not be opened (...)"); empty when nothing.
    std::u16string skippedDrivesText;
    // Output lines of the current or last volume check, and the line the checker is writing
    // (no line end yet: a progress line redrawn in place, a question): guarded by
    // chkdskLinesLock.
    std::vector<std::u16string> chkdskLines;
    std::u16string chkdskPartialLine;
    int32_t chkdskScrollMax = 0;
    int32_t smartScrollMax = 0;
    int32_t activeTab = TAB_SMART;
    bool dragging = false;
    bool maximized = false;
    std::atomic<bool> scanning{false};
    // A self-test request (a start, an abort or a look at a running test) is with a drive.
    std::atomic<bool> selfTestBusy{false};
    // The test this window started last: on which drive (its path), which (ATA drives do not
    // tell), and the tick it started at ("so far" counts from it). UI thread only.
    FixedText<32> selfTestStartedPath;
    SelfTestKind selfTestStartedKind = SELF_TEST_NONE;
    uint32_t selfTestStartedTick = 0;
    int32_t smartScroll = 0;
    int32_t chkdskScroll = 0;
    // Rows a page moves, as the last frame of each view could show them whole.
    int32_t smartPageRows = 0;
    int32_t chkdskPageLines = 0;
    // The drive list: first shown card, its largest value and the cards shown whole.
    int32_t driveScroll = 0;
    int32_t driveScrollMax = 0;
    int32_t drivePageRows = 0;
    Point dragStartCursor;
    Rect restoreRect;
    Rect tabRects[TAB_COUNT];
    // The last frame's click rectangles of the drive cards it showed, the drive list's panel (where
    // the wheel scrolls the list) and the part of the title bar that drags the window.
    std::vector<DriveRowEntry> driveRows;
    Rect driveListArea;
    Rect dragZone;
    std::atomic<int32_t> selectedDrive{0};
    uint32_t tickCount = 0;
    // The tick the running scan started at: its drives' seconds so far are counted from it.
    uint32_t scanStartTick = 0;
    Rect dragStartWindowRect;
    // The scroll bars of the last frame (an empty thumb where none was shown), and the one whose
    // thumb the pointer holds (-1: none) with the pointer's height over the thumb's top.
    ScrollBarPlace scrollBars[SCROLLER_COUNT];
    int32_t thumbHeld = -1;
    int32_t thumbGrip = 0;
    // Wheel delta received and not yet a whole notch (touchpads send parts of one).
    int32_t wheelPending = 0;

private:
    static FixedText<512> Initial(std::u16string_view text) {
        FixedText<512> field;
        field.Set(text);
        return field;
    }
    static FixedText<64> InitialVolume(std::u16string_view text) {
        FixedText<64> field;
        field.Set(text);
        return field;
    }
};

extern AppState appState;

// Puts every field back to its start value (no worker may be running): a test's fresh start.
void ResetAppState();

// Writes the status line whole; a text of more than 511 characters is cut.
void SetStatusText(std::u16string_view text);

// The drive the views show: drives[selectedDrive], drive 0 should the index be out of range, or
// null when the list is empty. UI thread only.
const DriveInfo* SelectedDrive();

}  // namespace corvanite
