#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/input.h"
#include "fake_device.h"
#include "fake_host.h"
#include "fake_report_file.h"
#include "report/text_report.h"
#include "state/app_state.h"
#include "state/host.h"
#include "ui/buttons.h"
#include "ui/frame.h"
#include "volume_check/fake_child.h"

namespace corvanite {
namespace {

constexpr Point RIGHT{600, 300};  // the wheel over the tab views

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetHost();
        test::ResetMachine();
        AttachMessageWindow(1);
        ResetAppState();
        for (int n = 0; n < 3; ++n) {
            DriveInfo d = StartDriveRecord(n);
            d.model.Set(n == 1 ? u"Samsung SSD 860" : u"Disk");
            d.smartSource = n == 1 ? SOURCE_NVME : SOURCE_NONE;
            d.attributes.resize(static_cast<size_t>(n * 3));
            appState.drives.push_back(d);
        }
        // The drive rows and the drag zone of a real frame; the tabs and buttons as each test sets.
        DisplayList list;
        FrameOutput out;
        BuildFrame(list, out, 1200, 750);
        CommitFrame(out);
        appState.buttons.clear();
        appState.tabRects[0] = Rect{228, 37, 400, 69};
        appState.tabRects[1] = Rect{400, 37, 560, 69};
        appState.tabRects[2] = Rect{560, 37, 740, 69};
        SetStatusText(u"start");
    }
    void TearDown() override {
        AttachMessageWindow(0);
        ResetAppState();
    }
    static int Repaints() { return test::Host().repaints; }
    static void Register(int32_t id, Rect rect) {
        appState.buttons.push_back(ButtonEntry{id, rect});
    }

    // Waits (bounded) until the volume-check worker has posted its final event: only then has it
    // stopped touching the shared state.
    static void WaitForCheckEnd() {
        const PostedMessage done{MSG_CHKDSK_EVENT, CHKDSK_EVENT_DONE};
        for (int i = 0; i < 2000; ++i) {
            const auto posted = test::PostedSoFar();
            if (std::find(posted.begin(), posted.end(), done) != posted.end()) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        FAIL() << "the volume check did not end";
    }
};

TEST_F(InputTest, DriveRowUnderAPoint) {
    EXPECT_EQ(DriveRowAt({1, 65}), 0);
    EXPECT_EQ(DriveRowAt({221, 65 + 67}), 0);
    EXPECT_EQ(DriveRowAt({100, 65 + 68}), 1);
    EXPECT_EQ(DriveRowAt({100, 65 + 2 * 68 + 67}), 2);
    EXPECT_EQ(DriveRowAt({100, 65 + 3 * 68}), -1);  // below the last drive
    EXPECT_EQ(DriveRowAt({0, 100}), -1);
    EXPECT_EQ(DriveRowAt({222, 100}), -1);
    EXPECT_EQ(DriveRowAt({100, 64}), -1);
    appState.drives.clear();
    EXPECT_EQ(DriveRowAt({100, 70}), -1);
}

TEST_F(InputTest, SelectingADriveTellsItAndResetsTheTable) {
    appState.smartScroll = 7;
    appState.activeTab = TAB_DISK_INFO;
    OnLeftButtonDown({50, 65 + 68 + 10});
    EXPECT_TRUE(test::Host().captured);
    EXPECT_EQ(appState.selectedDrive, 1);
    EXPECT_EQ(appState.smartScroll, 0);
    EXPECT_EQ(appState.activeTab, TAB_DISK_INFO);
    EXPECT_EQ(appState.statusText,
              u"Selected: \\\\.\\PhysicalDrive1  Samsung SSD 860  NVMe  3 attrs");
    OnLeftButtonUp({50, 65 + 68 + 10});
    EXPECT_FALSE(test::Host().captured);

    OnLeftButtonDown({50, 65 + 2 * 68});
    EXPECT_EQ(appState.statusText, u"Selected: \\\\.\\PhysicalDrive2  Disk  N/A  6 attrs");
    // Below the last row: nothing selected, the status line unchanged.
    OnLeftButtonDown({50, 65 + 3 * 68 + 5});
    EXPECT_EQ(appState.selectedDrive, 2);
    EXPECT_EQ(appState.statusText, u"Selected: \\\\.\\PhysicalDrive2  Disk  N/A  6 attrs");
}

TEST_F(InputTest, TabsSwitchOnPress) {
    OnLeftButtonDown({450, 50});
    EXPECT_EQ(appState.activeTab, TAB_DISK_INFO);
    OnLeftButtonDown({739, 68});
    EXPECT_EQ(appState.activeTab, TAB_SCAN_REPAIR);
    OnLeftButtonDown({740, 50});  // right edge is outside
    EXPECT_EQ(appState.activeTab, TAB_SCAN_REPAIR);
}

TEST_F(InputTest, ButtonPressAndReleaseActOnlyOnTheSameButton) {
    Register(BTN_MINIMIZE, Rect{1000, 1, 1036, 35});
    Register(BTN_CLOSE, Rect{1100, 1, 1136, 35});
    OnLeftButtonDown({1010, 10});
    EXPECT_EQ(appState.pressedButton, BTN_MINIMIZE);
    OnLeftButtonUp({1110, 10});  // released over another button
    EXPECT_EQ(appState.pressedButton, BTN_NONE);
    EXPECT_EQ(test::Host().minimized, 0);
    EXPECT_EQ(test::Host().closed, 0);
    OnLeftButtonDown({1010, 10});
    OnLeftButtonUp({1200, 300});  // released off any button
    EXPECT_EQ(test::Host().minimized, 0);
    OnLeftButtonDown({1010, 10});
    OnLeftButtonUp({1035, 34});
    EXPECT_EQ(test::Host().minimized, 1);
    // A second release without a press (the second click of a double click) does nothing.
    OnLeftButtonUp({1035, 34});
    EXPECT_EQ(test::Host().minimized, 1);
    OnLeftButtonDown({1100, 1});
    OnLeftButtonUp({1100, 1});
    EXPECT_EQ(test::Host().closed, 1);
}

TEST_F(InputTest, TitleBarDragMovesTheWindow) {
    Register(BTN_CLOSE, Rect{1163, 1, 1199, 35});
    OnLeftButtonDown({1170, 10});  // over a button: pressed, no drag
    EXPECT_FALSE(appState.dragging);
    OnLeftButtonUp({1170, 10});
    OnLeftButtonDown({300, 20});
    ASSERT_TRUE(appState.dragging);
    EXPECT_EQ(appState.dragStartCursor, (Point{400, 70}));
    EXPECT_EQ(appState.dragStartWindowRect, (Rect{100, 50, 1300, 800}));
    OnMouseMove({340, 5}, true);
    EXPECT_EQ(test::Host().bounds, (Rect{140, 35, 1340, 785}));
    OnLeftButtonUp({340, 5});
    EXPECT_FALSE(appState.dragging);
    // No drag from the strip of the window buttons (minimise starts at 1200 - 1 - 3 * 36).
    OnLeftButtonDown({1200 - 109, 20});
    EXPECT_FALSE(appState.dragging);
    OnLeftButtonUp({1200 - 109, 20});
    OnLeftButtonDown({1200 - 110, 20});
    EXPECT_TRUE(appState.dragging);
    OnLeftButtonUp({1200 - 110, 20});
    OnLeftButtonDown({1199, 20});
    EXPECT_FALSE(appState.dragging);
    OnLeftButtonDown({300, 37});
    EXPECT_FALSE(appState.dragging);
    // The zone ends at the window buttons of this window, not of the screen (1920 wide here).
    DisplayList list;
    FrameOutput out;
    BuildFrame(list, out, 800, 580);
    EXPECT_EQ(out.dragZone.right, 800 - 109);
}

// The capture taken at a press can be lost (Alt+Tab, a consent prompt): the drag and the press
// end. A release reports the capture's end from within ReleaseMouse, as Windows does; the click
// it ends still acts.
TEST_F(InputTest, ALostCaptureEndsTheDragAndThePress) {
    Register(BTN_MINIMIZE, Rect{1000, 1, 1036, 35});
    OnLeftButtonDown({300, 20});
    ASSERT_TRUE(appState.dragging);
    OnCaptureLost();
    EXPECT_FALSE(appState.dragging);
    OnMouseMove({340, 25}, true);
    EXPECT_TRUE(test::Host().placements.empty());
    OnLeftButtonDown({1010, 10});
    OnCaptureLost();
    EXPECT_EQ(appState.pressedButton, BTN_NONE);
    OnLeftButtonUp({1010, 10});
    EXPECT_EQ(test::Host().minimized, 0);

    test::Host().onRelease = OnCaptureLost;
    OnLeftButtonDown({1010, 10});
    OnLeftButtonUp({1010, 10});
    EXPECT_EQ(test::Host().minimized, 1);
}

TEST_F(InputTest, MaximiseToTheWorkAreaAndRestore) {
    Register(BTN_MAXIMIZE, Rect{1127, 1, 1163, 35});
    OnLeftButtonDown({1130, 5});
    OnLeftButtonUp({1130, 5});
    EXPECT_TRUE(appState.maximized);
    EXPECT_EQ(test::Host().bounds, (Rect{0, 0, 1920, 1040}));
    EXPECT_EQ(appState.restoreRect, (Rect{100, 50, 1300, 800}));
    OnLeftButtonDown({1130, 5});
    OnLeftButtonUp({1130, 5});
    EXPECT_FALSE(appState.maximized);
    EXPECT_EQ(test::Host().bounds, (Rect{100, 50, 1300, 800}));
}

TEST_F(InputTest, HoverAndLeave) {
    Register(BTN_REFRESH, Rect{10, 680, 210, 706});
    const int before = Repaints();
    OnMouseMove({20, 690}, false);
    EXPECT_EQ(appState.hoverButton, BTN_REFRESH);
    EXPECT_EQ(Repaints(), before + 1);
    OnMouseMove({21, 691}, false);  // nothing changed: no repaint
    EXPECT_EQ(Repaints(), before + 1);
    OnMouseMove({20, 70}, false);
    EXPECT_EQ(appState.hoverButton, BTN_NONE);
    EXPECT_EQ(appState.hoverDriveRow, 0);
    EXPECT_EQ(test::Host().leaveRequests, 3);  // asked on every move
    OnMouseLeave();
    EXPECT_EQ(appState.hoverDriveRow, -1);
    EXPECT_EQ(appState.hoverButton, BTN_NONE);
}

TEST_F(InputTest, KeysF5AndVolumeLetters) {
    OnKeyDown('D');  // not on the SCAN/REPAIR tab
    EXPECT_EQ(appState.targetVolume, u"C:");
    appState.activeTab = TAB_SCAN_REPAIR;
    OnKeyDown('D');
    EXPECT_EQ(appState.targetVolume, u"D:");
    OnKeyDown('Z');
    EXPECT_EQ(appState.targetVolume, u"Z:");
    for (uint32_t key :
         {uint32_t{'0'}, uint32_t{'a'}, uint32_t{0x40}, uint32_t{0x5B}, uint32_t{112}}) {
        OnKeyDown(key);
        EXPECT_EQ(appState.targetVolume, u"Z:") << key;
    }
    appState.scanning = true;  // F5 while a scan runs does nothing
    OnKeyDown(KEY_F5);
    EXPECT_EQ(test::Host().threadsStarted, 0);
    appState.scanning = false;
    test::HoldScan(false);
    OnKeyDown(KEY_F5);
    EXPECT_EQ(test::Host().threadsStarted, 1);
    EXPECT_EQ(appState.statusText, u"Scanning drives...");
    test::WaitForMessage(MSG_SCAN_DONE);
}

TEST_F(InputTest, WheelScrollsWholeStepsWithinTheTabsRange) {
    appState.smartScrollMax = 5;
    OnMouseWheel(RIGHT, -120 * 3);
    EXPECT_EQ(appState.smartScroll, 3);
    OnMouseWheel(RIGHT, -120 * 9);
    EXPECT_EQ(appState.smartScroll, 5);
    OnMouseWheel(RIGHT, 119);  // less than a notch
    EXPECT_EQ(appState.smartScroll, 5);
    OnMouseWheel(RIGHT, -239);  // truncates toward zero: one step
    EXPECT_EQ(appState.smartScroll, 5);
    OnMouseWheel(RIGHT, 240);
    EXPECT_EQ(appState.smartScroll, 3);
    OnMouseWheel(RIGHT, 120 * 10);
    EXPECT_EQ(appState.smartScroll, 0);
    appState.activeTab = TAB_SCAN_REPAIR;
    appState.chkdskScrollMax = 100;
    OnMouseWheel(RIGHT, -120);
    EXPECT_EQ(appState.chkdskScroll, 1);
    EXPECT_EQ(appState.smartScroll, 0);
    appState.activeTab = TAB_DISK_INFO;
    const int before = Repaints();
    OnMouseWheel(RIGHT, -120);
    EXPECT_EQ(appState.chkdskScroll, 1);
    EXPECT_EQ(Repaints(), before + 1);
}

// Sixteen drives in the smallest window: six cards fit whole. The wheel over the list, a click on
// the last card, Down from the first drive to the last and Up back, each against what the frame
// registered.
TEST_F(InputTest, SixteenDrivesAtTheMinimumSize) {
    const DriveInfo first = appState.drives[0];
    appState.drives.resize(16, first);
    DisplayList list;
    FrameOutput out;
    const auto paint = [&] {
        BuildFrame(list, out, 800, 580);
        CommitFrame(out);
    };
    const auto cardShownWhole = [&](int32_t drive) {
        for (const DriveRowEntry& row : appState.driveRows) {
            if (row.drive == drive) {
                return row.rect.Height() == 68;
            }
        }
        return false;
    };
    paint();
    EXPECT_EQ(appState.driveScrollMax, 10);
    EXPECT_EQ(appState.drivePageRows, 6);
    const struct {
        int32_t delta;
        int32_t scroll;
    } wheel[] = {{-360, 3}, {-120 * 20, 10}, {240, 8}, {120 * 20, 0}, {-120 * 10, 10}};
    for (const auto& step : wheel) {
        OnMouseWheel({100, 300}, step.delta);
        paint();
        EXPECT_EQ(appState.driveScroll, step.scroll) << step.delta;
        EXPECT_EQ(appState.smartScroll, 0);
    }
    OnLeftButtonDown({100, 65 + 5 * 68 + 30});
    EXPECT_EQ(appState.selectedDrive, 15);
    EXPECT_EQ(appState.statusText, u"Selected: \\\\.\\PhysicalDrive0  Disk  N/A  0 attrs");

    appState.selectedDrive = 0;
    OnKeyDown(KEY_UP);  // nothing before the first
    paint();
    EXPECT_EQ(appState.selectedDrive, 0);
    for (int32_t drive = 1; drive < 16; ++drive) {
        appState.smartScroll = 4;
        OnKeyDown(KEY_DOWN);
        paint();
        ASSERT_EQ(appState.selectedDrive, drive);
        EXPECT_EQ(appState.smartScroll, 0);
        EXPECT_TRUE(cardShownWhole(drive)) << drive;
    }
    EXPECT_EQ(appState.driveScroll, 10);
    OnKeyDown(KEY_DOWN);
    EXPECT_EQ(appState.selectedDrive, 15);
    for (int32_t drive = 14; drive >= 0; --drive) {
        OnKeyDown(KEY_UP);
        paint();
        ASSERT_EQ(appState.selectedDrive, drive);
        EXPECT_TRUE(cardShownWhole(drive)) << drive;
    }
    EXPECT_EQ(appState.driveScroll, 0);
}

TEST_F(InputTest, PageKeysEscapeAndCtrlE) {
    appState.smartScrollMax = 30;
    appState.smartPageRows = 14;
    appState.chkdskScrollMax = 100;
    appState.chkdskPageLines = 17;
    const struct {
        int32_t tab;
        uint32_t key;
        int32_t smart;
        int32_t chkdsk;
    } steps[] = {
        {TAB_SMART, KEY_PAGE_DOWN, 14, 0},
        {TAB_SMART, KEY_PAGE_DOWN, 28, 0},
        {TAB_SMART, KEY_PAGE_DOWN, 30, 0},
        {TAB_SMART, KEY_PAGE_UP, 16, 0},
        {TAB_SMART, KEY_HOME, 0, 0},
        {TAB_SMART, KEY_END, 30, 0},
        {TAB_SCAN_REPAIR, KEY_PAGE_DOWN, 30, 17},
        {TAB_SCAN_REPAIR, KEY_END, 30, 100},
        {TAB_SCAN_REPAIR, KEY_PAGE_UP, 30, 83},
        {TAB_DISK_INFO, KEY_HOME, 30, 83},
        {TAB_SCAN_REPAIR, KEY_HOME, 30, 0},
    };
    for (const auto& step : steps) {
        appState.activeTab = step.tab;
        OnKeyDown(step.key);
        EXPECT_EQ(appState.smartScroll, step.smart) << step.key;
        EXPECT_EQ(appState.chkdskScroll, step.chkdsk) << step.key;
    }
    // Ctrl+letter is no volume letter; Ctrl+E exports.
    OnKeyDown('D', true);
    EXPECT_EQ(appState.targetVolume, u"C:");
    EXPECT_EQ(test::Host().saveDialogs, 0);
    OnKeyDown('E', true);
    EXPECT_EQ(test::Host().saveDialogs, 1);
    EXPECT_EQ(appState.targetVolume, u"C:");
    // Escape: as [CANCEL], only while a check runs.
    OnKeyDown(KEY_ESCAPE);
    EXPECT_FALSE(appState.chkdskCancel);
    appState.chkdskRunning = true;
    OnKeyDown(KEY_ESCAPE);
    EXPECT_TRUE(appState.chkdskCancel);
    EXPECT_EQ(appState.statusText, u"Cancelling...");
    appState.chkdskRunning = false;
}

TEST_F(InputTest, TimerRepaintsOnlyWhileACheckRuns) {
    appState.tickCount = 0xFFFFFFFF;
    const int before = Repaints();
    OnTimerTick();
    EXPECT_EQ(appState.tickCount, 0u);
    EXPECT_EQ(Repaints(), before);
    appState.chkdskRunning = true;
    OnTimerTick();
    EXPECT_EQ(Repaints(), before + 1);
    appState.chkdskRunning = false;
}

TEST_F(InputTest, VolumeCheckEventsOnTheStatusLine) {
    {
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        appState.chkdskResultText = u"No errors found";
    }
    OnChkdskEvent(CHKDSK_EVENT_LINE);
    EXPECT_EQ(appState.statusText, u"start");
    appState.chkdskLines = std::vector<std::u16string>(40, u"line");
    appState.chkdskScroll = 3;
    OnChkdskEvent(CHKDSK_EVENT_DONE);
    EXPECT_EQ(appState.statusText, u"chkdsk: No errors found");
    EXPECT_EQ(appState.chkdskScroll, 40);  // the end; the next paint holds it to the range
    appState.chkdskLines.clear();
    appState.chkdskScroll = 0;
    {
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        appState.chkdskResultText = u"Failed to start chkdsk.exe";
    }
    OnChkdskEvent(CHKDSK_EVENT_FAILED);
    EXPECT_EQ(appState.statusText, u"chkdsk: Failed to start chkdsk.exe");
}

TEST_F(InputTest, CancelAndFixNeedTheirConditions) {
    Register(BTN_CANCEL, Rect{300, 300, 400, 330});
    Register(BTN_SCAN_FIX, Rect{500, 300, 600, 330});
    OnLeftButtonDown({310, 310});
    OnLeftButtonUp({310, 310});  // no check running: nothing
    EXPECT_FALSE(appState.chkdskCancel);
    EXPECT_EQ(appState.statusText, u"start");

    appState.chkdskRunning = true;
    OnLeftButtonDown({510, 310});
    OnLeftButtonUp({510, 310});  // a check runs: no question asked
    EXPECT_TRUE(test::Host().questions.empty());
    OnLeftButtonDown({310, 310});
    OnLeftButtonUp({310, 310});
    EXPECT_TRUE(appState.chkdskCancel);
    EXPECT_EQ(appState.statusText, u"Cancelling...");
    appState.chkdskRunning = false;
    appState.chkdskCancel = false;

    test::Host().answerYes = false;  // declined: nothing but a repaint
    OnLeftButtonDown({510, 310});
    OnLeftButtonUp({510, 310});
    ASSERT_EQ(test::Host().questions.size(), 1u);
    EXPECT_EQ(test::Host().questions[0],
              u"Confirm|Fix disk errors?\nVolume may be forcibly dismounted.");
    EXPECT_EQ(appState.statusText, u"Cancelling...");
    EXPECT_FALSE(appState.chkdskRunning);
}

}  // namespace
}  // namespace corvanite

namespace corvanite {
namespace {

class InputActionsTest : public InputTest {};

TEST_F(InputActionsTest, ReadOnlyCheckStartsWithItsStatusAndEmptiedLines) {
    appState.activeTab = TAB_SCAN_REPAIR;
    OnKeyDown('E');
    {
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        appState.chkdskLines = {u"old output"};
    }
    test::FakeChildScript script;
    script.reads = {"line\r\n"};
    script.exitCode = 0;
    test::SetFakeChild(script);
    Register(BTN_SCAN_READONLY, Rect{300, 300, 400, 330});
    OnLeftButtonDown({310, 310});
    OnLeftButtonUp({310, 310});
    EXPECT_EQ(appState.statusText, u"Running chkdsk E: (read-only)...");
    WaitForCheckEnd();
    ASSERT_FALSE(appState.chkdskRunning);
    const test::FakeChildRecord child = test::FakeChildSoFar();
    EXPECT_EQ(child.starts, 1);
    EXPECT_EQ(child.volume, u"E:");
    EXPECT_TRUE(child.readOnly);
    std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
    EXPECT_EQ(appState.chkdskLines, std::vector<std::u16string>{u"line"});
}

TEST_F(InputActionsTest, FixModeRunsOnlyAfterYes) {
    test::Host().answerYes = true;
    test::FakeChildScript script;
    test::SetFakeChild(script);
    Register(BTN_SCAN_FIX, Rect{500, 300, 600, 330});
    OnLeftButtonDown({510, 310});
    OnLeftButtonUp({510, 310});
    EXPECT_EQ(appState.statusText, u"Running chkdsk C: (fix mode)...");
    WaitForCheckEnd();
    EXPECT_FALSE(test::FakeChildSoFar().readOnly);
    EXPECT_EQ(test::FakeChildSoFar().starts, 1);
}

TEST_F(InputActionsTest, ExportWritesTheReportOrTellsTheFailure) {
    Register(BTN_EXPORT, Rect{900, 700, 1000, 720});
    test::ReportFile() = test::FakeReportFile();
    // Cancelled dialog: nothing written, status unchanged.
    OnLeftButtonDown({910, 710});
    OnLeftButtonUp({910, 710});
    EXPECT_EQ(test::Host().saveDialogs, 1);
    EXPECT_EQ(test::ReportFile().writes, 0);
    EXPECT_EQ(appState.statusText, u"start");

    test::Host().saveChosen = true;
    test::Host().savePath = u"C:\\Reports\\Corvanite_Report.txt";
    OnLeftButtonDown({910, 710});
    OnLeftButtonUp({910, 710});
    EXPECT_EQ(test::ReportFile().path, u"C:\\Reports\\Corvanite_Report.txt");
    EXPECT_EQ(test::ReportFile().bytes, ReportFileBytes(appState.drives));
    EXPECT_EQ(appState.statusText, u"Report exported: C:\\Reports\\Corvanite_Report.txt");

    test::ReportFile().fail = true;
    OnLeftButtonDown({910, 710});
    OnLeftButtonUp({910, 710});
    EXPECT_EQ(
        appState.statusText,
        u"Report export failed: C:\\Reports\\Corvanite_Report.txt (Access is denied, error 5)");

    test::Host().saveChosen = false;
    test::Host().saveDialogError = 0x3003;  // FNERR_BUFFERTOOSMALL
    OnLeftButtonDown({910, 710});
    OnLeftButtonUp({910, 710});
    EXPECT_EQ(appState.statusText, u"Report export failed: the save dialog reported error 0x3003");
}

// A start that cannot happen says why instead of leaving "Running chkdsk ..." up.
TEST_F(InputActionsTest, ACheckThatCannotStartSaysWhy) {
    Register(BTN_SCAN_READONLY, Rect{300, 300, 400, 330});
    const struct {
        bool checkerAlive;
        bool refuseThreads;
        const char16_t* status;
    } cases[] = {
        {true, false,
         u"chkdsk: the last check's chkdsk.exe is still running; a new check can start once it "
         u"has ended"},
        {false, true, u"chkdsk: the volume check could not be started (no thread)"},
    };
    for (const auto& c : cases) {
        appState.chkdskCheckerAlive = c.checkerAlive;
        test::Host().refuseThreads = c.refuseThreads;
        OnLeftButtonDown({310, 310});
        OnLeftButtonUp({310, 310});
        EXPECT_EQ(appState.statusText, c.status);
        EXPECT_FALSE(appState.chkdskRunning);
        EXPECT_EQ(test::Host().threadsStarted, 0);
    }
}

}  // namespace
}  // namespace corvanite
