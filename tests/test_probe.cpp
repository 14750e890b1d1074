// Two fixed scans through the device fake, compared whole with golden files: the JSON report
// (whose format scripts rely on), the text report and every device request in order.
// Regenerate them after an intended change with
//   CORVANITE_UPDATE_GOLDEN=1 build/linux/tests/corvanite_tests --gtest_filter='Probe*'
// and review the diff.
#include <gtest/gtest.h>

#include "drives/probe.h"
#include "fake_device.h"
#include "report/json_report.h"
#include "report/text_report.h"
#include "test_data.h"
#include "text/utf.h"

namespace corvanite {
namespace {

using test::Machine;

// Drive n on the given bus, its descriptor telling vendor and product; a real drive's pages
// when capture names one (answered to SMART requests when direct, else to pass-through forms).
test::FakeDrive& Drive(int n, uint32_t bus, const char16_t* vendor, const char16_t* product,
                       uint64_t sizeBytes, const std::string& capture = "", bool direct = false) {
    test::FakeDrive& d = Machine().drives[static_cast<size_t>(n)];
    d.present = true;
    d.identity.vendor = vendor;
    d.identity.product = product;
    d.identity.busType = bus;
    d.sizeBytes = sizeBytes;
    if (!capture.empty()) {
        d.identify = test::RealPage(capture, "identify");
        d.smartData = test::RealPage(capture, "data");
        d.smartThresholds = test::RealPage(capture, "thresholds");
        d.smartDataAnswers = d.smartThresholdsAnswer = direct;
    }
    return d;
}

std::string Calls() {
    std::string calls;
    for (const std::string& call : Machine().calls) {
        calls += call + "\n";
    }
    return calls;
}

TEST(Probe, FixedScanMatchesTheJsonGolden) {
    test::ResetMachine();
    const std::string samsung = "SAMSUNG_HD501LJ--CR100-12";
    test::FakeDrive& sata =
        Drive(0, 11, u"ATA     ", u"SAMSUNG HD501LJ", 500107862016, samsung, true);
    sata.identity.serial = u"S0MUJ1NQ110060";
    sata.identity.revision = u"CR100-12";
    test::FakeDrive& nvme = Drive(1, 17, u"", u"NVMe Disk", 1000204886016);
    nvme.identity.serial = u"NV-0001";
    nvme.nvmeAnswers = true;
    nvme.nvmeLog = test::PageOf("0/093E01070A5D 128#12084 160#12");
    // The same Samsung drive in a USB dock that takes ATA PASS-THROUGH (16), an SSD in one that
    // takes only the 12-byte form, and a dock that takes neither.
    Drive(2, 7, u"Generic", u"External USB 3.0", 500107862016, samsung).takes16 = true;
    Drive(3, 7, u"JMicron", u"Tech", 120034123776, "INTEL_SSDSA2CW120G3--4PC10302").takes12 = true;
    Drive(4, 7, u"Generic", u"External USB 3.0", 2000398934016);
    // Texts that need escaping (a lone surrogate becomes U+FFFD), on a drive without data.
    Drive(5, 1, u"Q\"uote\\", u"caf\u00E9 \x01\t\xD800", 0);
    Drive(6, 11, u"", u"", 0).secondOpenFails = true;

    const std::vector<DriveInfo> drives = ProbeAllDrives();
    test::CheckGolden("report-golden.json", ReportJson(drives, "0.1.0"));
    test::CheckGolden("probe-golden-1.txt", Utf16ToUtf8(ReportText(drives)) + Calls());
    // Behind the bridge, the drive gives the rows it gives when asked directly.
    ASSERT_EQ(drives.size(), 7u);
    const std::string direct = ReportJson({drives[0]}, ""), bridged = ReportJson({drives[2]}, "");
    EXPECT_EQ(bridged.substr(bridged.find("\"attributes")),
              direct.substr(direct.find("\"attributes")));
}

// The real drives on various buses and through bridges, then one drive per device failure.
TEST(Probe, RealDrivesAndDeviceFailuresMatchTheTextGolden) {
    test::ResetMachine();
    const char* const* real = test::REAL_DRIVES;
    Drive(0, 3, u"", u"FUJITSU MHY2120BH", 120034123776, real[0], true).devicePath = u"/dev/sda";
    Drive(1, 11, u"", u"FUJITSU MHY2250BH", 250059350016, real[1], true);
    Drive(2, 11, u"ATA     ", u"INTEL SSDSA2CW120G3", 120034123776, real[2], true);
    Drive(3, 10, u"ATA", u"Maxtor 96147H8", 61492838400, real[3]).takes16 = true;
    Drive(4, 11, u"", u"SAMSUNG HD501LJ", 500107862016, real[4], true);
    Drive(5, 11, u"", u"SAMSUNG MMCQE28G8MUP-0VA", 128035676160, real[5], true);
    Drive(6, 3, u"", u"ST320410A", 20020396032, real[6], true);
    Drive(7, 7, u"TOSHIBA", u"MK1651GSY", 160041885696, real[7]).takes12 = true;
    Drive(8, 11, u"", u"WDC WD2500JS-75NCB3", 250059350016, real[8], true).smartThresholdsAnswer =
        false;
    // The descriptor fails (no size asked), yet the pages are read.
    test::FakeDrive& noDescriptor = Drive(9, 11, u"", u"X", 1, real[4], true);
    noDescriptor.identityAnswers = false;
    Drive(10, 11, u"", u"No size, no SMART", 1).sizeAnswers = false;
    Drive(11, 17, u"", u"NVMe refusing", 1).requestError = 1;
    test::FakeDrive& empty = Drive(12, 11, u"", u"Empty page, NVMe log", 1);
    empty.smartDataAnswers = empty.nvmeAnswers = true;
    empty.nvmeLog = test::PageOf("0/043601640A00");
    Drive(13, 15, u"Msft", u"Virtual Disk", 1);
    Drive(14, 11, u"", u"Locked", 1).openRefused = true;

    ProbeSkipped skipped;
    const std::vector<DriveInfo> drives = ProbeAllDrives(skipped);
    ASSERT_EQ(drives.size(), 14u);
    EXPECT_EQ(drives[0].devicePath, u"/dev/sda");
    EXPECT_EQ(drives[1].devicePath, u"\\\\.\\PhysicalDrive1");
    EXPECT_EQ(Machine().maxOpenHandles, 1);
    EXPECT_EQ(Machine().openHandles, 0);
    test::CheckGolden(
        "probe-golden-2.txt",
        ReportFileBytes(drives) + Utf16ToUtf8(SkippedDrivesText(skipped, 0)) + "\n" + Calls());
}

}  // namespace
}  // namespace corvanite
