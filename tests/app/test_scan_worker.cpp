#include <gtest/gtest.h>

#include "state/app_state.h"
#include "state/host.h"
#include "app/scan_worker.h"
#include "fake_device.h"
#include "fake_host.h"
#include "smart_pages.h"

namespace corvanite {
namespace {

class ScanWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetMachine();
        test::ResetHost();
        AttachMessageWindow(1);
        ResetAppState();
    }
    void TearDown() override {
        test::HoldScan(false);
        if (appState.scanning) {
            test::WaitForMessage(MSG_SCAN_DONE);
        }
        AttachMessageWindow(0);
        ResetAppState();
    }

    static void Present(int count, int attributes = 0) {
        for (int n = 0; n < count; ++n) {
            test::FakeDrive& d = test::Machine().drives[static_cast<size_t>(n)];
            d.present = true;
            d.identity.product = u"Disk";
            d.identity.busType = 11;
            if (attributes > 0) {
                d.smartDataAnswers = true;
                test::Page page = {};
                for (int i = 0; i < attributes; ++i) {
                    page[2 + 12 * static_cast<size_t>(i)] = static_cast<uint8_t>(i + 1);
                    page[2 + 12 * static_cast<size_t>(i) + 3] = 100;
                }
                d.smartData = page;
            }
        }
    }

    // Runs one scan to its end and lets the UI side take it over.
    static void Scan() {
        StartDriveScan();
        const auto posted = test::WaitForMessage(MSG_SCAN_DONE);
        ASSERT_EQ(posted.back(), (PostedMessage{MSG_SCAN_DONE, 0}));
        HandleScanDone();
    }
};

TEST_F(ScanWorkerTest, OneWorkerAtATimeAndTheTextsInOrder) {
    Present(1, 30);
    test::HoldScan(true);
    StartDriveScan();
    EXPECT_TRUE(appState.scanning);
    EXPECT_EQ(appState.statusText, u"Scanning drives...");
    SetStatusText(u"something else");
    StartDriveScan();  // refused silently: no second worker, the status line unchanged
    EXPECT_EQ(test::Host().threadsStarted, 1);
    EXPECT_EQ(appState.statusText, u"something else");
    EXPECT_TRUE(appState.drives.empty());

    test::HoldScan(false);
    const auto posted = test::WaitForMessage(MSG_SCAN_DONE);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_FALSE(appState.scanning);
    EXPECT_TRUE(appState.drives.empty());  // taken over only on the UI thread
    HandleScanDone();
    ASSERT_EQ(appState.drives.size(), 1u);
    EXPECT_EQ(appState.statusText, u"READY  //  \\\\.\\PhysicalDrive0  //  30 attrs");
    EXPECT_GE(test::Host().repaints, 2);
}

TEST_F(ScanWorkerTest, SelectionIsBroughtIntoRangeOfTheNewList) {
    Present(2, 3);
    appState.selectedDrive = 3;
    Scan();
    EXPECT_EQ(appState.selectedDrive, 0);
    EXPECT_EQ(appState.statusText, u"READY  //  \\\\.\\PhysicalDrive0  //  3 attrs");

    test::Machine().drives[1].smartData[2] = 0;  // drive 1 now has two rows
    appState.selectedDrive = 1;
    test::ResetHost();
    Scan();
    EXPECT_EQ(appState.selectedDrive, 1);
    EXPECT_EQ(appState.statusText, u"READY  //  \\\\.\\PhysicalDrive1  //  2 attrs");
}

TEST_F(ScanWorkerTest, NoDriveFound) {
    Scan();
    EXPECT_TRUE(appState.drives.empty());
    EXPECT_EQ(appState.selectedDrive, 0);
    EXPECT_EQ(appState.statusText, u"No drives found");
}

TEST_F(ScanWorkerTest, DrivesThatCannotBeOpenedAreToldAfterTheUsualText) {
    Present(3, 2);
    test::Machine().drives[0].openRefused = true;
    test::Machine().drives[2].openRefused = true;
    Scan();
    EXPECT_EQ(appState.statusText,
              u"READY  //  \\\\.\\PhysicalDrive1  //  2 attrs  //  2 disks "
              u"could not be opened (access denied), run as administrator");
    test::Machine().drives[1].openRefused = true;
    test::ResetHost();
    Scan();
    EXPECT_EQ(appState.statusText,
              u"No drives found: 3 disks could not be opened (access "
              u"denied), run as administrator");
    test::ResetMachine();
    test::ResetHost();
    Scan();
    EXPECT_EQ(appState.statusText, u"No drives found");
    EXPECT_TRUE(appState.skippedDrivesText.empty());
}

TEST_F(ScanWorkerTest, AThreadThatCannotStartIsTold) {
    test::Host().refuseThreads = true;
    StartDriveScan();
    EXPECT_FALSE(appState.scanning);
    EXPECT_EQ(appState.statusText, u"Drive scan could not be started");
    EXPECT_TRUE(test::PostedSoFar().empty());
    // A later request may try again.
    test::Host().refuseThreads = false;
    Scan();
    EXPECT_EQ(appState.statusText, u"No drives found");
}

TEST_F(ScanWorkerTest, StatusTextIsCutAt511) {
    SetStatusText(std::u16string(600, u'x'));
    EXPECT_EQ(appState.statusText.size(), 511u);
}

}  // namespace
}  // namespace corvanite
