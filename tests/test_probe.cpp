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
    Sata(1, u"Next").smartDataAnswers = true;
    Machine().drives[1].smartData = test::DataPage({{9, 100, 100, 1}});
    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].errorText, u"cannot open the drive (error 32): in use by another program");
    EXPECT_EQ(drives[0].model, u"PhysicalDrive0");
    EXPECT_EQ(CountCalls("identity 0"), 0u);
    EXPECT_EQ(CountCalls("enable 0 00"), 0u);
    // A drive we could not read is never reported as healthy.
    EXPECT_EQ(drives[0].health, HEALTH_UNKNOWN);
    EXPECT_EQ(drives[0].healthDetails, u"SMART data unavailable");
    EXPECT_EQ(drives[1].model, u"Next");
    EXPECT_TRUE(drives[1].errorText.empty());
}

TEST_F(ProbeTest, DrivesWithoutDataSayWhichRequestFailedAndWhy) {
    Sata(0, u"Behind a bridge");  // SMART refused with 50; the NVMe fallback too
    Nvme(1).requestError = 1;     // NVMe log refused with 1, then the ATA fallback
    Sata(2, u"Empty page").smartDataAnswers = true;  // read, but no attribute in it
    test::FakeDrive& ok = Sata(3, u"Fine");
    ok.smartDataAnswers = true;
    ok.smartData = test::DataPage({{9, 100, 100, 1}});
    Machine().drives[4].present = true;  // an attached VHD: no NVMe log asked for
    Machine().drives[4].identity.busType = 15;
    Sata(5, u"Locked").openRefused = true;  // cannot be opened at all: skipped
    Sata(6, u"Locked too").openRefused = true;

    ProbeSkipped skipped;
    const std::vector<DriveInfo> drives = ProbeAllDrives(skipped);
    ASSERT_EQ(drives.size(), 5u);
    EXPECT_EQ(drives[0].errorText,
              u"SMART read refused by the driver (error 50): behind a USB bridge or RAID "
              u"controller");
    EXPECT_EQ(drives[1].errorText, u"NVMe health log refused by the driver (error 1)");
    EXPECT_EQ(drives[2].errorText, u"SMART read returned no attributes");
    EXPECT_TRUE(drives[3].errorText.empty());
    EXPECT_EQ(drives[4].busName, u"Virtual");
    EXPECT_EQ(CountCalls("nvme 4"), 0u);
    EXPECT_EQ(CountCalls("smart 4 D0"), 1u);
    // Absent numbers (7 to 15) are not counted.
    EXPECT_EQ(skipped.count, 2);
    EXPECT_EQ(skipped.firstError, 5u);
    EXPECT_EQ(SkippedDrivesText(skipped, ERRORS_WIN32),
              u"2 disks could not be opened (access denied), run as administrator");
}

TEST(DeviceFailureText, RequestAndCodeInWords) {
    struct Case {
        DeviceRequest request;
        int32_t error;
        SystemErrorKind kind;
        const char16_t* text;
    };
    const Case cases[] = {
        {REQUEST_OPEN, 5, ERRORS_WIN32, u"cannot open the drive (error 5): run as administrator"},
        {REQUEST_SMART_READ, 1, ERRORS_WIN32,
         u"SMART read refused by the driver (error 1): behind a USB bridge or RAID controller"},
        {REQUEST_NVME_LOG, 87, ERRORS_WIN32, u"NVMe health log refused by the driver (error 87)"},
        {REQUEST_SMART_READ, 1117, ERRORS_WIN32,
         u"SMART read failed (error 1117): I/O error, check the cable and the drive"},
        {REQUEST_SMART_READ, 21, ERRORS_WIN32, u"SMART read failed (error 21): drive not ready"},
        {REQUEST_SMART_READ, 9999, ERRORS_WIN32, u"SMART read failed (error 9999)"},
        {REQUEST_NVME_LOG, DEVICE_ERROR_STATUS, ERRORS_WIN32,
         u"NVMe health log rejected by the drive (failed command status)"},
        // errno: 1 and 5 mean other things than on Windows.
        {REQUEST_OPEN, 13, ERRORS_POSIX, u"cannot open the drive (error 13): run as root"},
        {REQUEST_SMART_READ, 1, ERRORS_POSIX, u"SMART read denied (error 1): run as root"},
        {REQUEST_SMART_READ, 5, ERRORS_POSIX,
         u"SMART read failed (error 5): I/O error, check the cable and the drive"},
        {REQUEST_SMART_READ, 25, ERRORS_POSIX,
         u"SMART read refused by the driver (error 25): behind a USB bridge or RAID controller"},
        {REQUEST_NVME_LOG, 22, ERRORS_POSIX, u"NVMe health log refused by the driver (error 22)"},
        {REQUEST_SMART_READ, 19, ERRORS_POSIX,
         u"SMART read failed (error 19): no such device, the drive is gone"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DeviceFailureText(c.request, c.error, c.kind), c.text) << c.error;
    }
    EXPECT_EQ(SkippedDrivesText({1, 13}, ERRORS_POSIX),
              u"1 disk could not be opened (permission denied), run as root");
    EXPECT_EQ(SkippedDrivesText({3, 4242}, ERRORS_WIN32),
              u"3 disks could not be opened (error 4242)");
    EXPECT_EQ(SkippedDrivesText({}, ERRORS_WIN32), u"");
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
