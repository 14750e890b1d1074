#include <gtest/gtest.h>

#include <algorithm>

#include "drives/probe.h"
#include "fake_device.h"
#include "smart_pages.h"

namespace corvanite {
namespace {

using test::Machine;

class ProbeTest : public ::testing::Test {
protected:
    void SetUp() override { test::ResetMachine(); }

    static test::FakeDrive& Sata(int n, const char16_t* product) {
        test::FakeDrive& d = Machine().drives[static_cast<size_t>(n)];
        d.present = true;
        d.identity.vendor = u"";
        d.identity.product = product;
        d.identity.serial = u"  SN123   ";
        d.identity.revision = u"FW01";
        d.identity.busType = 11;
        d.sizeBytes = 500107862016;
        return d;
    }

    static test::FakeDrive& Nvme(int n) {
        test::FakeDrive& d = Machine().drives[static_cast<size_t>(n)];
        d.present = true;
        d.identity.product = u"NVMe Disk";
        d.identity.busType = 17;
        d.sizeBytes = 1000204886016;
        return d;
    }

    static size_t CountCalls(const std::string& call) {
        size_t n = 0;
        for (const std::string& c : Machine().calls) {
            n += c == call ? 1 : 0;
        }
        return n;
    }
};

TEST_F(ProbeTest, GapsInDriveNumbersAreSkippedAndEveryNumberTried) {
    Sata(0, u"A");
    Sata(1, u"B");
    Sata(3, u"C");
    Sata(15, u"D");
    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_EQ(drives.size(), 4u);
    EXPECT_EQ(drives[0].driveNumber, 0);
    EXPECT_EQ(drives[1].driveNumber, 1);
    EXPECT_EQ(drives[2].driveNumber, 3);
    EXPECT_EQ(drives[3].driveNumber, 15);
    EXPECT_EQ(drives[2].devicePath, u"\\\\.\\PhysicalDrive3");
    EXPECT_EQ(drives[3].devicePath, u"\\\\.\\PhysicalDrive15");
    for (int n = 0; n < 16; ++n) {
        EXPECT_GE(Machine().opens[static_cast<size_t>(n)], 1) << "drive number " << n;
    }
    EXPECT_EQ(Machine().maxOpenHandles, 1);
    EXPECT_EQ(Machine().openHandles, 0);
}

TEST_F(ProbeTest, DevicePathIsThePlatformsPath) {
    Sata(0, u"A").devicePath = u"/dev/sda";
    Sata(1, u"B").devicePath = u"/dev/nvme0n1";
    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].devicePath, u"/dev/sda");
    EXPECT_EQ(drives[1].devicePath, u"/dev/nvme0n1");
    EXPECT_EQ(drives[0].model, u"A");
}

TEST_F(ProbeTest, NoDriveGivesAnEmptyList) {
    EXPECT_TRUE(ProbeAllDrives().empty());
    EXPECT_EQ(Machine().calls.size(), 17u);  // the scan's start and sixteen opens
}

TEST_F(ProbeTest, SataDriveIsQueriedInOrderAndGraded) {
    test::FakeDrive& d = Sata(0, u"Samsung SSD 860 EVO 500GB ");
    d.smartDataAnswers = true;
    d.smartData = test::DataPage({{9, 99, 99, 1234}, {194, 70, 60, 35}});
    d.smartThresholdsAnswer = true;
    d.smartThresholds = test::ThresholdPage({{9, 0}, {194, 0}});
    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_EQ(drives.size(), 1u);
    const std::vector<std::string> expected = {"begin",      "open 0", "close 0",     "open 0",
                                               "identity 0", "size 0", "enable 0 00", "smart 0 D0",
                                               "smart 0 D1", "close 0"};
    const std::vector<std::string> first(Machine().calls.begin(), Machine().calls.begin() + 10);
    EXPECT_EQ(first, expected);

    const DriveInfo& drive = drives[0];
    EXPECT_EQ(drive.model, u"Samsung SSD 860 EVO 500GB");
    EXPECT_EQ(drive.serial, u"  SN123");
    EXPECT_EQ(drive.firmware, u"FW01");
    EXPECT_EQ(drive.busName, u"SATA");
    EXPECT_EQ(drive.mediaType, MEDIA_SSD);
    EXPECT_EQ(drive.sizeBytes, 500107862016u);
    EXPECT_EQ(drive.smartSource, SOURCE_ATA);
    EXPECT_TRUE(drive.smartAvailable);
    ASSERT_EQ(drive.attributes.size(), 2u);
    EXPECT_EQ(drive.temperatureC, 35);
    EXPECT_EQ(drive.health, HEALTH_GOOD);
    EXPECT_EQ(drive.healthDetails, u"GOOD -- No issues detected");
    EXPECT_TRUE(drive.errorText.empty());
}

TEST_F(ProbeTest, OddDriveNumberReachesTheSmartRequests) {
    Sata(1, u"Disk").smartDataAnswers = true;
    Machine().drives[1].smartData = test::DataPage({{9, 100, 100, 1}});
    ProbeAllDrives();
    EXPECT_EQ(CountCalls("enable 1 01"), 1u);
    EXPECT_EQ(CountCalls("smart 1 D0"), 1u);
    EXPECT_EQ(CountCalls("smart 1 D1"), 1u);
}

TEST_F(ProbeTest, ReaderOrderFollowsTheMediaClass) {
    // NVMe first for an NVMe drive; ATA as its fallback.
    test::FakeDrive& nvme = Nvme(0);
    nvme.smartDataAnswers = true;
    nvme.smartData = test::DataPage({{5, 100, 100, 0}});
    // ATA first for a SATA drive; NVMe as its fallback.
    test::FakeDrive& sata = Sata(1, u"Disk");
    sata.nvmeAnswers = true;
    sata.nvmeLog = test::NvmeLogPage({.kelvin = 318});
    // An NVMe drive that answers its own query: no ATA request at all.
    Nvme(2).nvmeAnswers = true;
    Machine().drives[2].nvmeLog = test::NvmeLogPage({.kelvin = 300});

    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_EQ(drives.size(), 3u);
    const auto& calls = Machine().calls;
    const auto at = [&](const std::string& c) {
        return std::find(calls.begin(), calls.end(), c) - calls.begin();
    };
    EXPECT_LT(at("nvme 0"), at("smart 0 D0"));
    EXPECT_LT(at("smart 1 D0"), at("nvme 1"));
    EXPECT_EQ(CountCalls("smart 2 D0"), 0u);
    EXPECT_EQ(CountCalls("enable 2 02"), 0u);

    EXPECT_EQ(drives[0].smartSource, SOURCE_ATA);
    EXPECT_EQ(drives[0].mediaType, MEDIA_NVME);
    EXPECT_EQ(drives[0].busName, u"NVMe");
    EXPECT_EQ(drives[1].smartSource, SOURCE_NVME);
    EXPECT_EQ(drives[1].temperatureC, 45);
    EXPECT_EQ(drives[2].smartSource, SOURCE_NVME);
    EXPECT_EQ(drives[2].temperatureC, 27);
}

TEST_F(ProbeTest, EachFailingRequestLeavesTheRecordItsStartValues) {
    // Descriptor fails: identity and size keep their start values, no size query, readers run.
    test::FakeDrive& noDescriptor = Sata(0, u"X");
    noDescriptor.identityAnswers = false;
    noDescriptor.smartDataAnswers = true;
    noDescriptor.smartData = test::DataPage({{9, 100, 100, 5}});
    // Size fails: size 0, identity kept.
    Sata(1, u"Y").sizeAnswers = false;
    // Thresholds fail: rows with threshold 0, so a low current does not fail.
    test::FakeDrive& noThresholds = Sata(2, u"Z");
    noThresholds.smartDataAnswers = true;
    noThresholds.smartData = test::DataPage({{1, 5, 5, 0}});
    // Nothing answers: N/A.
    Sata(3, u"W");

    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_EQ(drives.size(), 4u);
    EXPECT_EQ(CountCalls("size 0"), 0u);
    EXPECT_EQ(drives[0].model, u"PhysicalDrive0");
    EXPECT_TRUE(drives[0].serial.empty());
    EXPECT_TRUE(drives[0].busName.empty());
    EXPECT_EQ(drives[0].mediaType, MEDIA_UNKNOWN);
    EXPECT_EQ(drives[0].sizeBytes, 0u);
    EXPECT_EQ(drives[0].smartSource, SOURCE_ATA);
    EXPECT_EQ(drives[0].health, HEALTH_GOOD);

    EXPECT_EQ(drives[1].model, u"Y");
    EXPECT_EQ(drives[1].sizeBytes, 0u);

    ASSERT_EQ(drives[2].attributes.size(), 1u);
    EXPECT_EQ(drives[2].attributes[0].threshold, 0);
    EXPECT_FALSE(drives[2].attributes[0].failing);
    EXPECT_EQ(drives[2].health, HEALTH_GOOD);

    EXPECT_FALSE(drives[3].smartAvailable);
    EXPECT_EQ(drives[3].smartSource, SOURCE_NONE);
    EXPECT_TRUE(drives[3].attributes.empty());
    EXPECT_EQ(drives[3].temperatureC, -1);
    EXPECT_EQ(drives[3].health, HEALTH_UNKNOWN);
    EXPECT_EQ(drives[3].healthDetails, u"SMART data unavailable");
}

TEST_F(ProbeTest, SecondOpenFailureIsListedWithItsErrorAndGradedWithoutData) {
    test::FakeDrive& d = Sata(0, u"Busy");
    d.secondOpenFails = true;
    d.openError = 32;
    Sata(1, u"Next");
    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].errorText, u"Cannot open device (error 32)");
    EXPECT_EQ(drives[0].model, u"PhysicalDrive0");
    EXPECT_EQ(CountCalls("identity 0"), 0u);
    EXPECT_EQ(CountCalls("enable 0 00"), 0u);
    // A drive we could not read is never reported as healthy.
    EXPECT_EQ(drives[0].health, HEALTH_UNKNOWN);
    EXPECT_EQ(drives[0].healthDetails, u"SMART data unavailable");
    EXPECT_EQ(drives[1].model, u"Next");
    EXPECT_TRUE(drives[1].errorText.empty());
}

TEST_F(ProbeTest, AtaPageWithoutEntriesFallsBackToNvme) {
    test::FakeDrive& d = Sata(0, u"Bridge");
    d.smartDataAnswers = true;  // all ids 0
    d.nvmeAnswers = true;
    d.nvmeLog = test::NvmeLogPage({.criticalWarning = 0x04, .kelvin = 310});
    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].smartSource, SOURCE_NVME);
    EXPECT_EQ(drives[0].attributes.size(), 6u);
    EXPECT_EQ(drives[0].health, HEALTH_CRIT);
}

}  // namespace
}  // namespace corvanite
