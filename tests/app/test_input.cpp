// The window's input handling over a real frame's buttons, tabs and drive rows at 1200 x 750
// (each case a fresh start, a few events, and what the state and the host show afterwards); the
// window's place on real work areas and its resize edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/input.h"
#include "app/scan_worker.h"
#include "app/window_frame.h"
#include "drives/self_test.h"
#include "fake_device.h"
#include "fake_host.h"
#include "host/host.h"
#include "report/text_report.h"
#include "state/app_state.h"
#include "test_data.h"
#include "ui/buttons.h"
#include "ui/display_scale.h"
#include "ui/frame.h"
#include "volume_check/fake_child.h"

namespace corvanite {
namespace {

using test::Host;

using Act = void (*)(Point);
struct Event {
    Act act;
    int32_t x = 0;
    int32_t y = 0;
};
constexpr Act DOWN = OnLeftButtonDown, UP = OnLeftButtonUp;
constexpr Act CLICK = [](Point p) { OnLeftButtonDown(p), OnLeftButtonUp(p); };
constexpr Act MOVE = [](Point p) { OnMouseMove(p, false); };
constexpr Act DRAG = [](Point p) { OnMouseMove(p, true); };
constexpr Act LEAVE = [](Point) { OnMouseLeave(); };
// x: the wheel's delta over the view (WHEEL) or the drive list (LIST_WHEEL); the key, with Ctrl
// (y bit 0) and Shift (y bit 1).
constexpr Act WHEEL = [](Point p) { OnMouseWheel(Point{600, 300}, p.x); };
constexpr Act LIST_WHEEL = [](Point p) { OnMouseWheel(Point{100, 300}, p.x); };
constexpr Act KEY = [](Point p) {
    OnKeyDown(static_cast<uint32_t>(p.x), (p.y & 1) != 0, (p.y & 2) != 0);
};
constexpr Act LOST_CAPTURE = [](Point) { OnCaptureLost(); };
// A repaint of a width x height window, as after any change the window shows.
constexpr Act FRAME = [](Point size) {
    DisplayList list;
    FrameOutput out;
    BuildFrame(list, out, size.x, size.y);
    CommitFrame(out);
};
// The card of drive n as the last frame placed it (an empty rectangle when none).
Rect CardOf(int32_t n) {
    const auto& rows = appState.driveRows;
    const auto row = std::find_if(rows.begin(), rows.end(), [&](auto& r) { return r.drive == n; });
    return row == rows.end() ? Rect{} : row->rect;
}
// A click in the middle of drive x's card.
constexpr Act CLICK_CARD = [](Point p) {
    CLICK(Point{(CardOf(p.x).left + CardOf(p.x).right) / 2,
                (CardOf(p.x).top + CardOf(p.x).bottom) / 2});
};
// The key x pressed y times at 800 x 580, each followed by a repaint that shows the selected card
// whole (the card just past the page included).
constexpr Act KEYS_AT_MIN = [](Point p) {
    for (int i = 0; i < p.y; ++i) {
        OnKeyDown(static_cast<uint32_t>(p.x));
        FRAME(Point{800, 580});
        EXPECT_EQ(CardOf(appState.selectedDrive).Height(), 68) << appState.selectedDrive;
    }
};
// Sixteen drives, as a workstation with card readers and docks has them.
void SixteenDrives() {
    appState.drives.resize(MAX_DRIVES, appState.drives[0]);
    for (int n = 0; n < MAX_DRIVES; ++n) {
        appState.drives[static_cast<size_t>(n)].driveNumber = n;
    }
}
// The thumb of scroll bar x taken in its middle and moved y down (up when negative).
constexpr Act THUMB = [](Point p) {
    const Rect thumb = appState.scrollBars[p.x].thumb;
    ASSERT_GT(thumb.Height(), 0) << "no thumb " << p.x;
    const Point grip{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    OnLeftButtonDown(grip);
    OnMouseMove(Point{grip.x, grip.y + p.y}, true);
};
constexpr Act TICK = [](Point) { OnTimerTick(); };
constexpr Act CHKDSK = [](Point p) { OnChkdskEvent(static_cast<uintptr_t>(p.x)); };
// The scan's end, its list taken over on the UI thread only.
constexpr Act SCAN_ENDED = [](Point) {
    for (int waited = 0; appState.scanning && waited < 10000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    test::WaitForMessage(MSG_SCAN_DONE);
    EXPECT_EQ(appState.drives.size(), 3u);
    HandleScanDone();
};
// The scan's cards so far, once the volumes, the list and one answer have been posted.
constexpr Act SCAN_HALF = [](Point) {
    for (int waited = 0; waited < 10000; ++waited) {
        const std::vector<PostedMessage> posted = test::PostedSoFar();
        if (std::count_if(posted.begin(), posted.end(),
                          [](const PostedMessage& m) { return m.message == MSG_SCAN_DONE; }) >= 3) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    HandleScanDone();
};
// x drives present with y attributes each; those in the mask (drive n: 1 << n) cannot be opened.
void Drives(int count, int rows, int refused = 0) {
    for (int n = 0; n < count; ++n) {
        test::FakeDrive& d = test::Machine().drives[static_cast<size_t>(n)];
        d.present = d.smartDataAnswers = true;
        d.openRefused = (refused >> n & 1) != 0;
        for (size_t i = 0; i < static_cast<size_t>(rows); ++i) {
            d.smartData[2 + 12 * i] = static_cast<uint8_t>(i + 1);
        }
    }
}
// Drive 0 with a self-test (short 1 min) whose status after a start goes 10 %, 60 %, done, and
// whose log gains the test's entry (a pass at 1236 hours).
void SelfTestDrive() {
    test::FakeDrive& d = test::Machine().drives[0];
    d.present = d.smartDataAnswers = d.smartLogAnswers = true;
    d.smartData[367] = 0x11;
    d.smartData[372] = 1;
    d.statusAfterStart = {0xF9, 0xF4, 0x00};
    d.smartLog = test::PageOf("0/0100 2/0100D2040000000000 508/01");
    d.smartLogAfterStart = test::PageOf("0/0100 2/0100D2040000000000 26/0100D4040000000000 508/02");
    appState.drives[0].selfTest = ata::SelfTestFromDataPage(d.smartData.data());
    appState.tickCount = 12300;  // the window has been open a while
}
// A click in the middle of button x as the last frame registered it.
constexpr Act CLICK_BUTTON = [](Point p) {
    for (const ButtonEntry& b : appState.buttons) {
        if (b.id == p.x) {
            return CLICK(Point{(b.rect.left + b.rect.right) / 2, (b.rect.top + b.rect.bottom) / 2});
        }
    }
    ADD_FAILURE() << "no button " << p.x;
};
// A press and release on scroll bar x's track just below its thumb.
constexpr Act BELOW_THUMB = [](Point p) {
    const Rect thumb = appState.scrollBars[p.x].thumb;
    CLICK(Point{(thumb.left + thumb.right) / 2, thumb.bottom + 2});
};
// A self-test request's answer, taken in on the UI thread; x ticks first (the look every 5 s).
constexpr Act SELF_TEST_ANSWER = [](Point p) {
    for (int i = 0; i < p.x; ++i) {
        OnTimerTick();
    }
    for (int waited = 0; appState.selfTestBusy && waited < 10000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    test::WaitForMessage(MSG_SELF_TEST);
    OnSelfTestAnswer();
};
const std::u16string SKIPPED = u" disks could not be opened (access denied), run as administrator";
// The volume-check worker's final event: only then has it let go of the state.
constexpr Act CHECK_ENDED = [](Point) {
    const PostedMessage done{MSG_CHKDSK_EVENT, CHKDSK_EVENT_DONE};
    for (std::vector<PostedMessage> posted; std::count(posted.begin(), posted.end(), done) == 0;
         posted = test::PostedSoFar()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
};

// The machine lists C: on drive 0, and D: and G: on drive 1 (E: and the rest have no volume).
void Volumes() {
    VolumeList& list = appState.volumes;
    list.known = true;
    list.letters = true;
    const auto on = [](std::u16string name, std::u16string label, std::u16string type,
                       uint64_t size, std::vector<std::u16string> disks) {
        return VolumeInfo{.name = name,
                          .label = label,
                          .fileSystem = type,
                          .sizeBytes = size,
                          .diskPaths = disks};
    };
    list.volumes = {on(u"C:", u"System", u"NTFS", 250059350016, {PhysicalDrivePath(0)}),
                    on(u"D:", u"Data", u"NTFS", 400085716992, {PhysicalDrivePath(1)}),
                    on(u"G:", u"", u"exFAT", 0, {PhysicalDrivePath(1), PhysicalDrivePath(2)})};
}
// Linux's filesystems: the root on drive 0, one mounted and one not on drive 1, one without a
// checker.
void Filesystems() {
    VolumeList& list = appState.volumes;
    list.known = true;
    list.volumes = {
        {.name = u"/dev/sda2",
         .fileSystem = u"ext4",
         .diskPaths = {PhysicalDrivePath(0)},
         .mountPoint = u"/"},
        {.name = u"/dev/sdb1",
         .fileSystem = u"ext4",
         .diskPaths = {PhysicalDrivePath(1)},
         .mountPoint = u"/mnt/my data"},
        {.name = u"/dev/sdb2", .fileSystem = u"vfat", .diskPaths = {PhysicalDrivePath(1)}},
        {.name = u"/dev/sdc",
         .fileSystem = u"exfat",
         .diskPaths = {PhysicalDrivePath(2)},
         .checkerFound = false}};
    appState.targetVolume.Set(u"/dev/sdb2");
}
// The i-th volume button of the last frame's SCAN/REPAIR view, as it was drawn; false: none.
bool ClickVolumeButton(int32_t i) {
    for (const ButtonEntry& b : appState.buttons) {
        if (b.id == BTN_VOLUME_FIRST + i) {
            return CLICK(Point{b.rect.left + 2, b.rect.top + 2}), true;
        }
    }
    return false;
}
// The i-th volume button of a fresh frame.
constexpr Act VOLUME_BUTTON = [](Point p) {
    EXPECT_TRUE((FRAME(Point{1200, 750}), ClickVolumeButton(p.x)));
};
const std::u16string NO_VOLUME_AT_E =
    u"No volume is mounted at E: (F5 lists the volumes again after a drive is plugged in)";

// Window buttons, refresh, export and the SCAN/REPAIR buttons as the frame places them.
constexpr Event CLOSE{CLICK, 1180, 10}, MAXIMIZE{CLICK, 1140, 10}, MINIMIZE{CLICK, 1100, 10},
    REFRESH{CLICK, 100, 700}, EXPORT{CLICK, 1100, 690}, READ_ONLY{CLICK, 300, 170},
    FIX{CLICK, 500, 170}, CANCEL{CLICK, 1100, 170};
const std::u16string SAVED = u"C:\\Reports\\Corvanite_Report.txt";

struct Case {
    const char* name;
    int32_t tab;
    void (*setup)();
    std::vector<Event> events;
    void (*check)();
};
// clang-format off
const Case CASES[] = {
    {"close", TAB_SMART, [] {}, {CLOSE}, [] { EXPECT_EQ(Host().closed, 1); EXPECT_FALSE(Host().captured); }},
    {"press held while released elsewhere", TAB_SMART, [] {}, {{DOWN, 1100, 10}, {UP, 1180, 10}, {DOWN, 1100, 10}, {UP, 600, 300}, {UP, 1100, 10}},
     [] { EXPECT_EQ(Host().minimized + Host().closed, 0); EXPECT_EQ(appState.pressedButton, BTN_NONE); }},
    {"press shown until the release", TAB_SMART, [] {}, {{DOWN, 1091, 34}}, [] { EXPECT_EQ(appState.pressedButton, BTN_MINIMIZE); EXPECT_TRUE(Host().captured); }},
    {"minimise, and a second release", TAB_SMART, [] {}, {MINIMIZE, {UP, 1100, 10}}, [] { EXPECT_EQ(Host().minimized, 1); }},
    {"maximise", TAB_SMART, [] {}, {MAXIMIZE}, [] {
        EXPECT_TRUE(appState.maximized); EXPECT_EQ(Host().bounds, Host().workArea); EXPECT_EQ(appState.restoreRect, (Rect{100, 50, 1300, 800})); }},
    {"maximise and restore", TAB_SMART, [] {}, {MAXIMIZE, MAXIMIZE}, [] { EXPECT_FALSE(appState.maximized); EXPECT_EQ(Host().bounds, (Rect{100, 50, 1300, 800})); }},
    // The system maximises (Win+Up): [MAXIMIZE] shows it and puts the window back; a window the
    // program maximised keeps its old place.
    {"system maximise, then the button", TAB_SMART, [] { NoteWindowMaximized(true, Rect{300, 200, 1500, 950}); }, {MAXIMIZE},
     [] { EXPECT_FALSE(appState.maximized); EXPECT_EQ(Host().bounds, (Rect{300, 200, 1500, 950})); }},
    {"the button, then the system", TAB_SMART, [] {}, {MAXIMIZE}, [] {
        NoteWindowMaximized(true, Host().workArea); EXPECT_EQ(appState.restoreRect, (Rect{100, 50, 1300, 800}));
        NoteWindowMaximized(false, Rect{}); EXPECT_FALSE(appState.maximized); }},
    {"drag by the title", TAB_SMART, [] {}, {{DOWN, 1090, 20}, {DRAG, 1130, 5}, {UP, 1130, 5}, {DRAG, 0, 0}},
     [] { EXPECT_EQ(Host().placements, std::vector<Rect>{(Rect{140, 35, 1340, 785})}); EXPECT_FALSE(appState.dragging); }},
    {"no drag below the title", TAB_SMART, [] {}, {{DOWN, 300, 37}, {DRAG, 340, 5}}, [] { EXPECT_TRUE(Host().placements.empty()); }},
    {"select a drive", TAB_DISK_INFO, [] { appState.smartScroll = 7; }, {{DOWN, 221, 65 + 68}},
     [] { EXPECT_EQ(appState.selectedDrive, 1); EXPECT_EQ(appState.smartScroll, 0); EXPECT_EQ(appState.activeTab, TAB_DISK_INFO);
          EXPECT_EQ(appState.statusText, u"Selected: \\\\.\\PhysicalDrive1  Samsung SSD 860  NVMe  3 attrs"); }},
    {"select the first drive", TAB_SMART, [] { appState.selectedDrive = 2; }, {{DOWN, 110, 65}}, [] { EXPECT_EQ(appState.selectedDrive, 0); }},
    {"below the last drive", TAB_SMART, [] {}, {{DOWN, 1, 65 + 3 * 68 - 1}, {DOWN, 1, 65 + 3 * 68}},
     [] { EXPECT_EQ(appState.selectedDrive, 2); EXPECT_EQ(appState.statusText, u"Selected: \\\\.\\PhysicalDrive2  Disk  N/A  0 attrs"); }},
    {"the first tab", TAB_DISK_INFO, [] {}, {{DOWN, 300, 50}}, [] { EXPECT_EQ(appState.activeTab, TAB_SMART); }},
    {"a card of a list shortened since the frame", TAB_SMART, [] { appState.drives.resize(2); }, {{DOWN, 100, 65 + 2 * 68 + 5}}, [] { EXPECT_EQ(appState.selectedDrive, 0); }},
    {"tabs on press", TAB_SMART, [] {}, {{DOWN, 547, 37}, {DOWN, 1196, 72}, {DOWN, 1197, 50}}, [] { EXPECT_EQ(appState.activeTab, TAB_SELF_TEST); }},
    {"hover a button, then a drive", TAB_SMART, [] {}, {{MOVE, 20, 690}, {MOVE, 21, 691}},
     [] { EXPECT_EQ(appState.hoverButton, BTN_REFRESH); EXPECT_EQ(Host().repaints, 1); EXPECT_EQ(Host().leaveRequests, 2); }},
    {"hover a drive, then leave", TAB_SMART, [] {}, {{MOVE, 50, 70}, {LEAVE}}, [] { EXPECT_EQ(appState.hoverDriveRow, -1); EXPECT_EQ(Host().repaints, 2); }},
    {"hover a drive", TAB_SMART, [] {}, {{MOVE, 50, 65 + 2 * 68}}, [] { EXPECT_EQ(appState.hoverDriveRow, 2); EXPECT_EQ(appState.hoverButton, BTN_NONE); }},
    {"wheel within the table's range", TAB_SMART, [] {}, {{WHEEL, -360}, {WHEEL, -1080}, {WHEEL, 119}, {WHEEL, 240}, {WHEEL, -239}},
     [] { EXPECT_EQ(appState.smartScroll, 7); EXPECT_EQ(Host().repaints, 5); }},
    {"touchpad deltas of 40: three make a row, a turn back starts anew", TAB_SMART, [] {}, {{WHEEL, -40}, {WHEEL, -40}, {WHEEL, -40}, {WHEEL, -40}, {WHEEL, -40}, {WHEEL, 40}, {WHEEL, -40}},
     [] { EXPECT_EQ(appState.smartScroll, 1); EXPECT_EQ(appState.wheelPending, -40); }},
    {"a sideways move (0) between touchpad deltas keeps their part", TAB_SMART, [] { appState.smartScroll = 3; },
     {{WHEEL, 40}, {WHEEL, 40}, {WHEEL, 0}, {WHEEL, 40}, {WHEEL, -40}, {WHEEL, 0}, {WHEEL, -40}, {WHEEL, -40}},
     [] { EXPECT_EQ(appState.smartScroll, 3); EXPECT_EQ(appState.wheelPending, 0); }},
    {"wheel back to the top", TAB_SMART, [] { appState.smartScroll = 3; }, {{WHEEL, 1200}}, [] { EXPECT_EQ(appState.smartScroll, 0); }},
    {"wheel on the output", TAB_SCAN_REPAIR, [] { appState.chkdskScrollMax = 100; }, {{WHEEL, -120}}, [] { EXPECT_EQ(appState.chkdskScroll, 1); EXPECT_EQ(appState.smartScroll, 0); }},
    {"wheel on DISK INFO", TAB_DISK_INFO, [] {}, {{WHEEL, -120}}, [] { EXPECT_EQ(appState.smartScroll + appState.chkdskScroll, 0); EXPECT_EQ(Host().repaints, 1); }},
    {"volume A:", TAB_SCAN_REPAIR, [] {}, {{KEY, 'A'}}, [] { EXPECT_EQ(appState.targetVolume, u"A:"); }},
    {"volume letters", TAB_SCAN_REPAIR, [] {}, {{KEY, 'D'}, {KEY, 'Z'}, {KEY, '0'}, {KEY, 'a'}, {KEY, 0x40}, {KEY, 0x5B}, {KEY, 112}},
     [] { EXPECT_EQ(appState.targetVolume, u"Z:"); }},
    {"no letters elsewhere", TAB_SMART, [] {}, {{KEY, 'D'}}, [] { EXPECT_EQ(appState.targetVolume, u"C:"); }},
    {"F5 while a scan runs", TAB_SMART, [] { appState.scanning = true; }, {{KEY, KEY_F5}, REFRESH}, [] { EXPECT_EQ(Host().threadsStarted, 0);
        EXPECT_EQ(appState.statusText, u"Still scanning: a drive still answering is not asked again; F5 once the scan has ended"); }},
    {"F5, one scan at a time", TAB_SMART, [] { test::HoldScan(true); }, {{KEY, KEY_F5}},
     [] { EXPECT_EQ(Host().threadsStarted, 1); test::WaitForMessage(MSG_SCAN_DONE); HandleScanDone();  // the volumes alone: no count yet
          EXPECT_EQ(appState.statusText, u"Scanning drives..."); KEY(Point{KEY_F5, 0}); EXPECT_EQ(Host().threadsStarted, 1);
          test::HoldScan(false); SCAN_ENDED({}); }},
    {"refresh, no drives", TAB_SMART, [] { appState.skippedDrivesText = u"old"; }, {REFRESH, {SCAN_ENDED}},
     [] { EXPECT_EQ(Host().threadsStarted, 1); EXPECT_EQ(appState.statusText, u"No drives found"); EXPECT_TRUE(appState.skippedDrivesText.empty()); }},
    {"scan keeps the selection", TAB_SMART, [] { Drives(2, 3); appState.selectedDrive = 1; }, {REFRESH, {SCAN_ENDED}},
     [] { EXPECT_EQ(appState.statusText, u"READY  //  \\\\.\\PhysicalDrive1  //  3 attrs"); EXPECT_EQ(appState.selectedDrive, 1); }},
    {"scan, selection gone", TAB_SMART, [] { Drives(2, 2); appState.selectedDrive = 2; }, {REFRESH, {SCAN_ENDED}},
     [] { EXPECT_EQ(appState.statusText, u"READY  //  \\\\.\\PhysicalDrive0  //  2 attrs"); EXPECT_EQ(appState.selectedDrive, 0); }},
    {"a drive still answering: the others shown, the list kept, then its answer", TAB_SMART,
     [] { Drives(2, 3); test::Machine().drives[1].slow = true; test::HoldSlowDrives(true); appState.tickCount = 7; },
     {REFRESH, {SCAN_HALF}},
     [] { EXPECT_EQ(appState.statusText, u"Scanning drives...  //  1 of 2 answered"); ASSERT_EQ(appState.drives.size(), 2u);
          EXPECT_EQ(appState.scanStartTick, 7u); EXPECT_FALSE(appState.drives[0].answering); EXPECT_EQ(appState.drives[0].attributes.size(), 3u);
          EXPECT_TRUE(appState.drives[1].answering); EXPECT_EQ(appState.drives[1].errorText, u"still answering");
          const int repaints = Host().repaints;
          for (int i = 0; i < 19; ++i) { OnTimerTick(); }  // one a second of the scan's own, while it runs
          EXPECT_EQ(Host().repaints, repaints); OnTimerTick(); EXPECT_EQ(Host().repaints, repaints + 1);
          appState.selectedDrive = 1; test::HoldSlowDrives(false);
          for (int waited = 0; appState.scanning && waited < 10000; ++waited) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
          HandleScanDone(); EXPECT_FALSE(appState.drives[1].answering); EXPECT_EQ(appState.statusText, u"READY  //  \\\\.\\PhysicalDrive1  //  3 attrs"); }},
    {"scan, drives refused", TAB_SMART, [] { Drives(3, 2, 0b101); }, {REFRESH, {SCAN_ENDED}},
     [] { EXPECT_EQ(appState.statusText, u"READY  //  \\\\.\\PhysicalDrive0  //  0 attrs  //  2" + SKIPPED); EXPECT_EQ(appState.drives.size(), 3u);
          EXPECT_EQ(appState.drives[0].errorText, u"cannot open the drive (error 5): run as administrator"); EXPECT_EQ(appState.drives[1].attributes.size(), 2u); }},
    {"scan, all refused", TAB_SMART, [] { Drives(3, 2, 0b111); }, {REFRESH, {SCAN_ENDED}},
     [] { EXPECT_EQ(appState.statusText, u"READY  //  \\\\.\\PhysicalDrive0  //  0 attrs  //  3" + SKIPPED); EXPECT_EQ(appState.drives.size(), 3u); }},
    {"scan without a thread, a long status", TAB_SMART, [] { Host().refuseThreads = true; }, {REFRESH},
     [] { EXPECT_EQ(appState.statusText, u"Drive scan could not be started"); EXPECT_FALSE(appState.scanning); SetStatusText(std::u16string(600, u'x')); EXPECT_EQ(appState.statusText.size(), 511u); }},
    {"timer", TAB_SMART, [] { appState.tickCount = 0xFFFFFFFF; }, {{TICK}}, [] { EXPECT_EQ(appState.tickCount, 0u); EXPECT_EQ(Host().repaints, 0); }},
    {"timer while a check runs", TAB_SMART, [] { appState.chkdskRunning = true; }, {{TICK}}, [] { EXPECT_EQ(Host().repaints, 1); }},
    {"check line", TAB_SCAN_REPAIR, [] { appState.chkdskResultText = std::u16string(u"x"); appState.chkdskLineEventPending = true; }, {{CHKDSK, CHKDSK_EVENT_LINE}},
     [] { EXPECT_EQ(appState.statusText, u"start"); EXPECT_FALSE(appState.chkdskLineEventPending); }},
    {"check done", TAB_SCAN_REPAIR, [] { appState.chkdskResultText = std::u16string(u"No errors found"); appState.chkdskLines.assign(40, u"l"); },
     {{CHKDSK, CHKDSK_EVENT_DONE}}, [] { EXPECT_EQ(appState.statusText, u"chkdsk: No errors found"); EXPECT_EQ(appState.chkdskScroll, 40); }},
    {"check failed", TAB_SCAN_REPAIR, [] { appState.chkdskResultText = std::u16string(u"Failed to start chkdsk.exe"); }, {{CHKDSK, CHKDSK_EVENT_FAILED}},
     [] { EXPECT_EQ(appState.statusText, u"chkdsk: Failed to start chkdsk.exe"); }},
    {"cancel with no check", TAB_SCAN_REPAIR, [] {}, {CANCEL}, [] { EXPECT_FALSE(appState.chkdskCancel); EXPECT_EQ(appState.statusText, u"start"); }},
    {"cancel", TAB_SCAN_REPAIR, [] { appState.chkdskRunning = true; }, {CANCEL, FIX, READ_ONLY},
     [] { EXPECT_TRUE(appState.chkdskCancel); EXPECT_EQ(appState.statusText, u"Cancelling..."); EXPECT_TRUE(Host().questions.empty()); EXPECT_EQ(test::FakeChildSoFar().starts, 0); }},
    {"fix declined", TAB_SCAN_REPAIR, [] {}, {FIX}, [] {
        EXPECT_EQ(Host().questions, std::vector<std::u16string>{u"Confirm|Fix disk errors on C:?\nVolume may be forcibly dismounted."});
        EXPECT_EQ(test::FakeChildSoFar().starts, 0); EXPECT_EQ(appState.statusText, u"start"); }},
    {"fix", TAB_SCAN_REPAIR, [] { Host().answerYes = true; }, {FIX, {CHECK_ENDED}, {KEY, 'E'}},
     [] { EXPECT_EQ(appState.statusText, u"Running chkdsk C: (fix mode)..."); EXPECT_FALSE(test::FakeChildSoFar().readOnly); EXPECT_EQ(test::FakeChildSoFar().starts, 1);
          EXPECT_TRUE(appState.chkdskFixMode); EXPECT_EQ(appState.chkdskVolume, u"C:"); }},
    {"a repair is stopped only once asked, naming its volume", TAB_SCAN_REPAIR, [] { appState.chkdskRunning = appState.chkdskFixMode = true; appState.chkdskVolume.Set(u"E:"); },
     {CANCEL, {KEY, KEY_ESCAPE}}, [] {
        EXPECT_EQ(Host().questions.size(), 2u); EXPECT_EQ(Host().questions[1].rfind(u"Confirm|Stop the repair of E:?\n", 0), 0u);
        EXPECT_FALSE(appState.chkdskCancel); EXPECT_EQ(appState.statusText, u"start");
        Host().answerYes = true; KEY(Point{KEY_ESCAPE, 0}); EXPECT_TRUE(appState.chkdskCancel); EXPECT_EQ(appState.statusText, u"Cancelling..."); }},
    {"a repair that ended while the question was open", TAB_SCAN_REPAIR, [] { appState.chkdskRunning = appState.chkdskFixMode = true;
        Host().answerYes = true; Host().beforeAnswer = [] { appState.chkdskRunning = false; }; }, {CANCEL},
     [] { EXPECT_FALSE(appState.chkdskCancel); EXPECT_EQ(appState.statusText, u"start"); }},
    {"volumes listed: a letter with none behind it refused, one with a volume taken", TAB_SCAN_REPAIR, Volumes, {{KEY, 'E'}},
     [] { EXPECT_EQ(appState.targetVolume, u"C:"); EXPECT_EQ(appState.statusText, NO_VOLUME_AT_E); KEY(Point{'G', 0}); EXPECT_EQ(appState.targetVolume, u"G:"); }},
    {"a target with no volume: both checks refused before any question", TAB_SCAN_REPAIR, [] { Volumes(); appState.targetVolume.Set(u"E:"); Host().answerYes = true; },
     {FIX, READ_ONLY}, [] { EXPECT_TRUE(Host().questions.empty()); EXPECT_EQ(test::FakeChildSoFar().starts, 0); EXPECT_EQ(appState.statusText, NO_VOLUME_AT_E); }},
    {"the selected drive's volumes as buttons; the question names the volume", TAB_SCAN_REPAIR, [] { Volumes(); appState.selectedDrive = 1; },
     {{VOLUME_BUTTON, 1}, FIX}, [] { EXPECT_EQ(appState.targetVolume, u"G:");
        EXPECT_EQ(Host().questions, std::vector<std::u16string>{u"Confirm|Fix disk errors on G: (exFAT)?\nVolume may be forcibly dismounted."});
        appState.selectedDrive = 0; VOLUME_BUTTON(Point{0, 0}); EXPECT_EQ(appState.targetVolume, u"C:");
        // A button of the last frame whose volume a scan has since taken away picks nothing.
        appState.selectedDrive = 1; FRAME(Point{1200, 750}); appState.volumes.volumes.resize(2); ClickVolumeButton(1);
        EXPECT_EQ(appState.targetVolume, u"C:"); }},
    {"filesystems without letters: letters ignored, Left and Right step round the list", TAB_SCAN_REPAIR, Filesystems,
     {{KEY, 'D'}, {KEY, KEY_RIGHT}}, [] { EXPECT_EQ(appState.targetVolume, u"/dev/sdc"); EXPECT_EQ(appState.statusText, u"start");
        KEY(Point{KEY_RIGHT, 0}); EXPECT_EQ(appState.targetVolume, u"/dev/sda2"); KEY(Point{KEY_LEFT, 0}); KEY(Point{KEY_LEFT, 0});
        EXPECT_EQ(appState.targetVolume, u"/dev/sdb2"); appState.targetVolume.Set(u"/dev/gone"); KEY(Point{KEY_LEFT, 0});
        EXPECT_EQ(appState.targetVolume, u"/dev/sdc"); }},
    {"a mounted filesystem and the root: repairs refused before any question, read-only checks run", TAB_SCAN_REPAIR,
     [] { Filesystems(); appState.targetVolume.Set(u"/dev/sdb1"); Host().answerYes = true; }, {FIX}, [] {
        EXPECT_EQ(appState.statusText, u"chkdsk: /dev/sdb1 is mounted at /mnt/my data: unmount it first (umount /mnt/my data), then SCAN + FIX");
        appState.targetVolume.Set(u"/dev/sda2"); FIX.act(Point{FIX.x, FIX.y});
        EXPECT_EQ(appState.statusText, u"chkdsk: the root filesystem is never repaired while the system runs from it; a read-only check can run");
        EXPECT_TRUE(Host().questions.empty()); EXPECT_EQ(test::FakeChildSoFar().starts, 0);
        READ_ONLY.act(Point{READ_ONLY.x, READ_ONLY.y}); CHECK_ENDED(Point{}); EXPECT_EQ(test::FakeChildSoFar().volume, u"/dev/sda2"); }},
    {"a filesystem without a checker: refused in either mode", TAB_SCAN_REPAIR, [] { Filesystems(); appState.targetVolume.Set(u"/dev/sdc"); },
     {READ_ONLY}, [] { EXPECT_EQ(appState.statusText, u"chkdsk: no checker for exfat filesystems is installed (fsck.exfat)"); EXPECT_EQ(test::FakeChildSoFar().starts, 0); }},
    {"a scan's volumes: a target without one becomes the first there is", TAB_SCAN_REPAIR,
     [] { Drives(1, 1); test::Machine().volumes = {true, true, {{.name = u"D:"}, {.name = u"X:"}}}; appState.targetVolume.Set(u"Q:"); },
     {REFRESH, {SCAN_ENDED}}, [] { EXPECT_EQ(appState.targetVolume, u"D:"); EXPECT_EQ(appState.volumes.volumes.size(), 2u); }},
    {"close during a read-only check: asked; No keeps the window and the check", TAB_SCAN_REPAIR,
     [] { appState.chkdskRunning = true; appState.chkdskVolume.Set(u"D:"); }, {CLOSE}, [] {
        EXPECT_EQ(Host().questions, std::vector<std::u16string>{u"Confirm|A read-only check of D: is running.\nClosing stops it; nothing on the volume has been changed.\nClose and stop the check?"});
        EXPECT_EQ(Host().closed, 0); EXPECT_FALSE(appState.chkdskCancel); }},
    {"close during a repair: asked, Yes stops it and closes", TAB_SCAN_REPAIR,
     [] { appState.chkdskRunning = appState.chkdskFixMode = true; appState.chkdskVolume.Set(u"C:"); Host().answerYes = true; }, {CLOSE}, [] {
        ASSERT_EQ(Host().questions.size(), 1u); EXPECT_EQ(Host().questions[0].rfind(u"Confirm|chkdsk is repairing C:.\nClosing stops the repair midway", 0), 0u);
        EXPECT_EQ(Host().closed, 1); EXPECT_TRUE(appState.chkdskCancel); }},
    {"close with no check: no question", TAB_SCAN_REPAIR, [] {}, {CLOSE}, [] { EXPECT_TRUE(Host().questions.empty()); EXPECT_EQ(Host().closed, 1); }},
    {"read-only on E:", TAB_SCAN_REPAIR, [] { appState.chkdskLines = {u"old output"}; }, {{KEY, 'E'}, READ_ONLY, {CHECK_ENDED}}, [] {
        EXPECT_EQ(appState.statusText, u"Running chkdsk E: (read-only)..."); EXPECT_EQ(appState.chkdskLines, std::vector<std::u16string>{u"line"});
        EXPECT_EQ(test::FakeChildSoFar().volume, u"E:"); EXPECT_TRUE(test::FakeChildSoFar().readOnly); }},
    {"export cancelled", TAB_SMART, [] {}, {EXPORT}, [] { EXPECT_EQ(Host().saveDialogs, 1); EXPECT_EQ(test::ReportFile().writes, 0); EXPECT_EQ(appState.statusText, u"start"); }},
    {"export", TAB_SMART, [] { Host().saveChosen = true; Host().savePath = SAVED; }, {EXPORT}, [] {
        EXPECT_EQ(test::ReportFile().path, SAVED); EXPECT_EQ(test::ReportFile().bytes, ReportFileBytes(appState.drives));
        EXPECT_EQ(appState.statusText, u"Report exported: " + SAVED); }},
    {"export failed", TAB_SMART, [] { Host().saveChosen = true; Host().savePath = SAVED; test::ReportFile().fail = true; }, {EXPORT},
     [] { EXPECT_EQ(appState.statusText, u"Report export failed: " + SAVED + u" (Access is denied, error 5)"); }},
    {"save dialog error", TAB_SMART, [] { Host().saveDialogError = 0x3003; }, {{KEY, 'E', 1}},
     [] { EXPECT_EQ(appState.statusText, u"Report export failed: the save dialog reported error 0x3003"); }},
    {"Ctrl+E exports, Ctrl+letter sets no volume", TAB_SCAN_REPAIR, [] { Host().saveChosen = true; Host().savePath = SAVED; }, {{KEY, 'E', 1}, {KEY, 'D', 1}},
     [] { EXPECT_EQ(test::ReportFile().path, SAVED); EXPECT_EQ(appState.targetVolume, u"C:"); }},
    {"Ctrl+Tab round the tabs, Ctrl+Shift+Tab back, Tab alone nothing", TAB_SMART, [] {}, {{KEY, KEY_TAB, 1}, {KEY, KEY_TAB, 1}, {KEY, KEY_TAB, 1}, {KEY, KEY_TAB, 3}, {KEY, KEY_TAB}},
     [] { EXPECT_EQ(appState.activeTab, TAB_SCAN_REPAIR); EXPECT_EQ(Host().repaints, 4); KEY(Point{KEY_TAB, 3}); EXPECT_EQ(appState.activeTab, TAB_DISK_INFO); }},
    {"Ctrl+1 to Ctrl+4 by place, Ctrl+0 and Ctrl+5 nothing", TAB_DISK_INFO, [] {}, {{KEY, '3', 1}, {KEY, '1', 1}, {KEY, '5', 1}, {KEY, '0', 1}, {KEY, '2'}},
     [] { EXPECT_EQ(appState.activeTab, TAB_SMART); KEY(Point{'4', 1}); EXPECT_EQ(appState.activeTab, TAB_SELF_TEST); }},
    {"SELF-TEST: S on a drive without one says why, A with none running too", TAB_SELF_TEST,
     [] { appState.drives[0].selfTest = SelfTestUnsupported(u"its SMART data says so"); }, {{KEY, 'S'}}, [] {
        EXPECT_EQ(appState.statusText, u"Self-test: PhysicalDrive0 has none: its SMART data says so"); EXPECT_FALSE(appState.selfTestBusy);
        appState.drives[0].selfTest.supported = true; KEY(Point{'A', 0});
        EXPECT_EQ(appState.statusText, u"Self-test: no test is running on PhysicalDrive0"); }},
    {"SELF-TEST: E asks first, how long and what it does; No starts nothing", TAB_SELF_TEST,
     [] { appState.drives[0].selfTest.supported = true; appState.drives[0].selfTest.extendedMinutes = 149; }, {{KEY, 'E'}}, [] {
        ASSERT_EQ(Host().questions.size(), 1u); EXPECT_NE(Host().questions[0].find(u"about 149 minutes"), std::u16string::npos);
        EXPECT_NE(Host().questions[0].find(u"nothing on it is changed"), std::u16string::npos); EXPECT_FALSE(appState.selfTestBusy);
        appState.drives[0].selfTest.extendedMinutes = 0; KEY(Point{'E', 0});  // a drive that does not say how long
        ASSERT_EQ(Host().questions.size(), 2u); EXPECT_EQ(Host().questions[1].find(u"says it takes"), std::u16string::npos); }},
    {"SELF-TEST: S starts a short test; each look every 5 s shows its progress, then its end", TAB_SELF_TEST, SelfTestDrive,
     {{KEY, 'S'}, {SELF_TEST_ANSWER}}, [] {
        EXPECT_EQ(appState.statusText, u"Self-test on PhysicalDrive0: short self-test: 10 % done, 0:00 so far, about 1 min");
        EXPECT_TRUE(appState.drives[0].selfTest.running); EXPECT_EQ(test::Machine().drives[0].selfTestsSent, 1);
        const int started = Host().threadsStarted;
        for (int i = 0; i < 99; ++i) { OnTimerTick(); }
        EXPECT_EQ(Host().threadsStarted, started);  // the look comes at 5 s, not before
        SELF_TEST_ANSWER(Point{1, 0});
        EXPECT_EQ(appState.statusText, u"Self-test on PhysicalDrive0: short self-test: 60 % done, 0:05 so far, about 1 min");
        SELF_TEST_ANSWER(Point{100, 0});
        EXPECT_EQ(appState.statusText, u"Self-test on PhysicalDrive0 ended: short self-test passed at 1236 hours");
        EXPECT_FALSE(appState.drives[0].selfTest.running); }},
    {"SELF-TEST: A says it is aborting until the drive answers", TAB_SELF_TEST,
     [] { SelfTestDrive(); appState.drives[0].selfTest.running = true; }, {{CLICK_BUTTON, BTN_SELF_TEST_ABORT}}, [] {
        EXPECT_EQ(appState.statusText.view().substr(0, 26), u"Aborting the self-test on "); SELF_TEST_ANSWER(Point{0, 0}); }},
    {"SELF-TEST: S without a thread for the request says so and holds nothing back", TAB_SELF_TEST,
     [] { SelfTestDrive(); Host().refuseThreads = true; }, {{KEY, 'S'}}, [] {
        EXPECT_EQ(appState.statusText, u"Self-test: the request could not be started"); EXPECT_FALSE(appState.selfTestBusy); }},
    {"SELF-TEST: a start the drive refuses says so; F5 waits while a request is with a drive", TAB_SELF_TEST,
     [] { SelfTestDrive(); test::Machine().drives[0].selfTestRefused = true; }, {{KEY, 'S'}, {SELF_TEST_ANSWER}}, [] {
        EXPECT_EQ(appState.statusText, u"Self-test: PhysicalDrive0 or the system refused it: self-test request refused by the driver (error 50)");
        appState.selfTestBusy = true; KEY(Point{KEY_F5, 0}); appState.selfTestBusy = false;
        EXPECT_EQ(appState.statusText, u"A self-test request is with a drive: F5 in a moment"); EXPECT_FALSE(appState.scanning); }},
    {"SELF-TEST: A aborts a running test; a look at no running test asks nothing", TAB_SELF_TEST,
     [] { SelfTestDrive(); appState.drives[0].selfTest.running = true; }, {{CLICK_BUTTON, BTN_SELF_TEST_ABORT}, {SELF_TEST_ANSWER}}, [] {
        EXPECT_EQ(appState.statusText, u"Self-test on PhysicalDrive0 aborted");
        EXPECT_EQ(test::Machine().driveCalls[0].find("selftest 0 7F"), test::Machine().driveCalls[0].rfind("selftest"));
        const int started = Host().threadsStarted; appState.drives[0].selfTest.running = false;
        for (int i = 0; i < 200; ++i) { OnTimerTick(); }
        EXPECT_EQ(Host().threadsStarted, started); }},
    {"SELF-TEST: S while a test runs or a scan runs is refused", TAB_SELF_TEST,
     [] { appState.drives[0].selfTest.supported = appState.drives[0].selfTest.running = true; }, {{KEY, 'S'}}, [] {
        EXPECT_EQ(appState.statusText, u"Self-test: PhysicalDrive0 is running one already; abort it first");
        appState.scanning = true; KEY(Point{'A', 0}); appState.scanning = false;
        EXPECT_EQ(appState.statusText, u"Self-test: wait for the drive scan to end"); }},
    {"Ctrl+C copies the selected drive's block as the report has it", TAB_SCAN_REPAIR, [] { appState.selectedDrive = 1; }, {{KEY, 'C', 1}}, [] {
        EXPECT_EQ(Host().clipboard.rfind(u"Drive 1: Samsung SSD 860\r\n", 0), 0u);
        EXPECT_NE(ReportText(appState.drives).find(Host().clipboard + u"Drive 2: "), std::u16string::npos);
        EXPECT_EQ(appState.statusText, u"Copied to the clipboard: Drive 1 report"); EXPECT_EQ(appState.targetVolume, u"C:"); }},
    {"Ctrl+C refused, or with no drive", TAB_SMART, [] { Host().refuseClipboard = true; }, {{KEY, 'C', 1}}, [] {
        EXPECT_EQ(appState.statusText, u"Copy failed: the clipboard is in use by another program"); EXPECT_TRUE(Host().clipboard.empty());
        appState.drives.clear(); SetStatusText(u"start"); KEY(Point{'C', 1}); EXPECT_EQ(appState.statusText, u"start"); }},
    {"End and Page Up on the table", TAB_SMART, [] {}, {{KEY, KEY_PAGE_DOWN}, {KEY, KEY_END}},
     [] { EXPECT_EQ(appState.smartScroll, appState.smartScrollMax); EXPECT_GT(appState.smartScrollMax, 0); KEY(Point{KEY_PAGE_UP, 0});
          EXPECT_EQ(appState.smartScroll, 0); }},
    {"page keys on the output", TAB_SCAN_REPAIR, [] { appState.chkdskLines.assign(100, u"l"); }, {{FRAME, 1200, 750}, {KEY, KEY_PAGE_DOWN}, {KEY, KEY_PAGE_DOWN}, {KEY, KEY_HOME}, {KEY, KEY_PAGE_DOWN}},
     [] { EXPECT_EQ(appState.chkdskScroll, appState.chkdskPageLines); EXPECT_GT(appState.chkdskPageLines, 0); }},
    {"Escape cancels a check", TAB_SMART, [] { appState.chkdskRunning = true; }, {{KEY, KEY_ESCAPE}}, [] { EXPECT_TRUE(appState.chkdskCancel); }},
    {"a lost capture ends the drag and the press", TAB_SMART, [] {}, {{DOWN, 1090, 20}, {LOST_CAPTURE}, {DRAG, 1130, 5}, {DOWN, 1100, 10}, {LOST_CAPTURE}, {UP, 1100, 10}},
     [] { EXPECT_TRUE(Host().placements.empty()); EXPECT_FALSE(appState.dragging); EXPECT_EQ(Host().minimized, 0); }},
    {"a check without a thread says so", TAB_SCAN_REPAIR, [] { Host().refuseThreads = true; }, {READ_ONLY},
     [] { EXPECT_EQ(appState.statusText, u"chkdsk: the volume check could not be started (no thread)"); }},
    {"no check while the last checker lives", TAB_SCAN_REPAIR, [] { appState.chkdskCheckerAlive = true; appState.chkdskLines = {u"kept"}; }, {READ_ONLY}, [] {
        EXPECT_EQ(appState.statusText, u"chkdsk: the last check's chkdsk is still running; a new check can start once it has ended");
        EXPECT_EQ(test::FakeChildSoFar().starts, 0); EXPECT_EQ(appState.chkdskLines.size(), 1u); }},
    {"sixteen drives at 800 x 580: the wheel over the list, the last card", TAB_SMART, SixteenDrives,
     {{FRAME, 800, 580}, {LIST_WHEEL, -120 * 20}, {FRAME, 800, 580}, {CLICK_CARD, 15}},
     [] { EXPECT_EQ(appState.selectedDrive, 15); EXPECT_GT(appState.driveScroll, 0); EXPECT_EQ(appState.driveScroll, appState.driveScrollMax); }},
    {"the table's thumb dragged to the end and part way back, then let go", TAB_SMART, [] {}, {{THUMB, SCROLLER_SMART, 1000}, {UP, 0, 0}, {FRAME, 1200, 750}},
     [] { EXPECT_EQ(appState.smartScroll, appState.smartScrollMax); EXPECT_GT(appState.smartScrollMax, 0); EXPECT_EQ(appState.selectedDrive, 0);
          const Rect bar = appState.scrollBars[SCROLLER_SMART].track; const Rect thumb = appState.scrollBars[SCROLLER_SMART].thumb;
          THUMB(Point{SCROLLER_SMART, -(thumb.top - bar.top) / 2}); EXPECT_EQ(appState.smartScroll, (appState.smartScrollMax + 1) / 2);
          LOST_CAPTURE({}); DRAG(Point{0, 0}); EXPECT_EQ(appState.smartScroll, (appState.smartScrollMax + 1) / 2); }},
    {"a press on the table's track pages, above or below the thumb", TAB_SMART, [] {}, {{FRAME, 1200, 750}},
     [] { const Rect bar = appState.scrollBars[SCROLLER_SMART].track; CLICK(Point{bar.left + 2, bar.bottom - 1});
          EXPECT_EQ(appState.smartScroll, std::min(appState.smartPageRows, appState.smartScrollMax));
          FRAME(Point{1200, 750}); CLICK(Point{bar.left + 2, bar.top});
          EXPECT_EQ(appState.smartScroll, 0); EXPECT_EQ(appState.selectedDrive, 0); }},
    {"a track press before the view's page is known moves a row", TAB_SMART, [] { appState.smartPageRows = 0; }, {{BELOW_THUMB, SCROLLER_SMART}},
     [] { EXPECT_EQ(appState.smartScroll, 1); }},
    {"a thumb's travel to the nearest row; one pixel of it; none", TAB_SMART, [] {}, {{FRAME, 1200, 750}}, [] {
        ScrollBarPlace& bar = appState.scrollBars[SCROLLER_SMART]; appState.smartScrollMax = 3; bar.track.bottom = bar.track.top + 110;
        bar.thumb = Rect{bar.track.left, bar.track.top, bar.track.right, bar.track.top + 10};
        THUMB(Point{SCROLLER_SMART, 20}); EXPECT_EQ(appState.smartScroll, 1); UP(Point{0, 0});  // 0.6 of a row
        bar.thumb.bottom = bar.track.bottom - 1; THUMB(Point{SCROLLER_SMART, 1}); EXPECT_EQ(appState.smartScroll, 3); UP(Point{0, 0});
        appState.smartScroll = 0; bar.thumb = bar.track; THUMB(Point{SCROLLER_SMART, 40}); EXPECT_EQ(appState.smartScroll, 0); }},
    {"a lost capture lets go of the list's thumb", TAB_SMART, SixteenDrives, {{FRAME, 800, 580}, {THUMB, SCROLLER_DRIVES, 40}, {LOST_CAPTURE}},
     [] { EXPECT_EQ(appState.thumbHeld, -1); }},
    {"the list's thumb at 800 x 580 dragged to the end selects nothing", TAB_SMART, SixteenDrives, {{FRAME, 800, 580}, {THUMB, SCROLLER_DRIVES, 600}, {UP, 0, 0}},
     [] { EXPECT_EQ(appState.driveScroll, appState.driveScrollMax); EXPECT_GT(appState.driveScroll, 0); EXPECT_EQ(appState.selectedDrive, 0); }},
    {"the output's thumb moves the output once the check ended", TAB_SCAN_REPAIR, [] { appState.chkdskLines.assign(10000, u"l"); }, {{FRAME, 1200, 750}, {THUMB, SCROLLER_OUTPUT, -2000}},
     [] { EXPECT_EQ(appState.chkdskScroll, 0); EXPECT_GT(appState.chkdskScrollMax, 0); THUMB(Point{SCROLLER_OUTPUT, 2000}); EXPECT_EQ(appState.chkdskScroll, appState.chkdskScrollMax); }},
    {"sixteen drives: Down to the last, Up back", TAB_SMART, [] { SixteenDrives(); appState.smartScroll = 5; },
     {{FRAME, 800, 580}, {KEYS_AT_MIN, KEY_DOWN, 20}},
     [] { EXPECT_EQ(appState.selectedDrive, 15); EXPECT_EQ(appState.smartScroll, 0);
          KEYS_AT_MIN(Point{KEY_UP, 1}); EXPECT_EQ(appState.driveScroll, appState.driveScrollMax);  // Up within the page: no scroll
          KEYS_AT_MIN(Point{KEY_UP, 19}); EXPECT_EQ(appState.selectedDrive, 0); EXPECT_EQ(appState.driveScroll, 0); }},
};
// clang-format on

TEST(Input, EventsOverARealFrame) {
    for (const Case& c : CASES) {
        SCOPED_TRACE(c.name);
        test::ResetHost();
        test::ResetMachine();
        test::FakeChildScript script;
        script.reads = {"line\r\n"};
        test::SetFakeChild(script);
        AttachMessageWindow(1);
        ResetAppState();
        for (int n = 0; n < 3; ++n) {
            DriveInfo d = StartDriveRecord(n);
            d.model.Set(n == 1 ? u"Samsung SSD 860" : u"Disk");
            d.smartSource = n == 0 ? SOURCE_ATA : n == 1 ? SOURCE_NVME : SOURCE_NONE;
            d.smartAvailable = n < 2;
            d.attributes.resize(n == 0 ? 30 : n == 1 ? 3 : 0);
            appState.drives.push_back(d);
        }
        appState.activeTab = c.tab;
        DisplayList list;
        FrameOutput out;
        BuildFrame(list, out, 1200, 750);
        CommitFrame(out);
        SetStatusText(u"start");
        c.setup();
        for (const Event& e : c.events) {
            e.act(Point{e.x, e.y});
        }
        c.check();
    }
    AttachMessageWindow(0);
    ResetAppState();
}

TEST(WindowFrame, PlacementHitsAndUnits) {
    test::CheckTable("cases/window-frame.txt", [](const std::string& input) {
        const std::vector<std::string> w = test::Words(input);
        const auto n = [&](size_t i) { return static_cast<int32_t>(std::stol(w.at(i))); };
        if (w[0] == "hit") {
            return std::to_string(FrameHitAt(Point{n(1), n(2)}, 1200, 750, 5, n(3) != 0));
        }
        if (w[0] == "dpi") {
            return std::to_string(ClampDpi(n(1)));
        }
        if (w[0] == "maxsize") {
            const Point size =
                MaximizedSize(Point{n(1), n(2)}, Point{n(3), n(4)}, Point{n(5), n(6)});
            return std::to_string(size.x) + " " + std::to_string(size.y);
        }
        if (w[0] == "moved") {
            const Rect r = MaximizedPlace(Rect{n(1), n(2), n(3), n(4)},
                                          Rect{n(5), n(6), n(7), n(8)}, n(9) != 0);
            return std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                   std::to_string(r.right) + " " + std::to_string(r.bottom);
        }
        if (w[0] == "edge") {
            return std::to_string(ScaleEdge(n(1), n(2)));
        }
        if (w[0] == "units" || w[0] == "unit") {
            return std::to_string(w[0] == "unit" ? UnitAtPixel(n(1), n(2))
                                                 : UnitsCovering(n(1), n(2)));
        }
        const Rect r =
            PlaceWindow(Rect{n(1), n(2), n(3), n(4)}, ScaleEdge(INITIAL_WINDOW_WIDTH, n(5)),
                        ScaleEdge(INITIAL_WINDOW_HEIGHT, n(5)), ScaleEdge(MIN_WINDOW_WIDTH, n(5)),
                        ScaleEdge(MIN_WINDOW_HEIGHT, n(5)));
        return std::to_string(r.left) + " " + std::to_string(r.top) + " " +
               std::to_string(r.right) + " " + std::to_string(r.bottom);
    });
}

}  // namespace
}  // namespace corvanite
