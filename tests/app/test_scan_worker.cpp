// The drive scan's worker over the fake drive layer and host: one worker at a time, the list
// handed over on the UI thread, and the status line and selection it leaves.
#include <gtest/gtest.h>

#include "app/scan_worker.h"
#include "fake_device.h"
#include "fake_host.h"
#include "state/app_state.h"
#include "state/host.h"

namespace corvanite {
namespace {

// Drives 0 .. count-1 present with `rows` attributes each, the refused ones not to be opened.
void Fresh(int count, int rows, const std::vector<int>& refused = {}) {
    test::ResetMachine();
    test::ResetHost();
    AttachMessageWindow(1);
    ResetAppState();
    for (int n = 0; n < count; ++n) {
        test::FakeDrive& d = test::Machine().drives[static_cast<size_t>(n)];
        d.present = d.smartDataAnswers = true;
        d.openRefused = std::count(refused.begin(), refused.end(), n) > 0;
        for (size_t i = 0; i < static_cast<size_t>(rows); ++i) {
            d.smartData[2 + 12 * i] = static_cast<uint8_t>(i + 1);
        }
    }
}

TEST(ScanWorker, StatusAndSelectionAfterAScan) {
    const std::u16string skipped =
        u" disks could not be opened (access denied), run as administrator";
    const struct {
        int count, rows;
        std::vector<int> refused;
        int32_t selected, selectedAfter;
        std::u16string status;
    } cases[] = {
        {0, 0, {}, 0, 0, u"No drives found"},
        {2, 3, {}, 1, 1, u"READY  //  \\\\.\\PhysicalDrive1  //  3 attrs"},
        {2, 2, {}, 2, 0, u"READY  //  \\\\.\\PhysicalDrive0  //  2 attrs"},
        {3, 2, {0, 2}, 0, 0, u"READY  //  \\\\.\\PhysicalDrive1  //  2 attrs  //  2" + skipped},
        {3, 2, {0, 1, 2}, 0, 0, u"No drives found: 3" + skipped},
    };
    for (const auto& c : cases) {
        Fresh(c.count, c.rows, c.refused);
        appState.skippedDrivesText = u"left from an earlier scan";
        appState.selectedDrive = c.selected;
        StartDriveScan();
        EXPECT_EQ(test::WaitForMessage(MSG_SCAN_DONE).back(), (PostedMessage{MSG_SCAN_DONE, 0}));
        EXPECT_TRUE(appState.drives.empty());  // taken over only on the UI thread
        HandleScanDone();
        EXPECT_EQ(appState.statusText, c.status);
        EXPECT_EQ(appState.selectedDrive, c.selectedAfter);
        EXPECT_EQ(appState.drives.size(), static_cast<size_t>(c.count) - c.refused.size());
        EXPECT_EQ(appState.skippedDrivesText.empty(), c.refused.empty());
    }
}

TEST(ScanWorker, OneWorkerAtATimeAndAThreadThatCannotStart) {
    Fresh(1, 30);
    test::Host().refuseThreads = true;
    StartDriveScan();
    EXPECT_EQ(appState.statusText, u"Drive scan could not be started");
    test::Host().refuseThreads = false;
    test::HoldScan(true);
    StartDriveScan();  // a later request may try again
    EXPECT_EQ(appState.statusText, u"Scanning drives...");
    SetStatusText(u"something else");
    StartDriveScan();  // refused silently: no second worker, the status line unchanged
    EXPECT_EQ(test::Host().threadsStarted, 1);
    EXPECT_EQ(appState.statusText, u"something else");
    test::HoldScan(false);
    EXPECT_EQ(test::WaitForMessage(MSG_SCAN_DONE).size(), 1u);
    EXPECT_FALSE(appState.scanning);
    HandleScanDone();
    EXPECT_EQ(appState.statusText, u"READY  //  \\\\.\\PhysicalDrive0  //  30 attrs");
    EXPECT_GE(test::Host().repaints, 4);
    SetStatusText(std::u16string(600, u'x'));
    EXPECT_EQ(appState.statusText.size(), 511u);
    AttachMessageWindow(0);
    ResetAppState();
}

}  // namespace
}  // namespace corvanite
