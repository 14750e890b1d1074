// The JSON report of a fixed scan, compared whole with the committed golden file, so that no key
// changes unnoticed. After a deliberate change of the format, regenerate the file with
//   CORVANITE_UPDATE_GOLDEN=1 build/linux/tests/corvanite_tests --gtest_filter='ReportJson.*'
// The scan runs on the fake device layer with real drives' pages, some of them behind USB
// bridges that answer only through ATA PASS-THROUGH.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "drives/probe.h"
#include "fake_device.h"
#include "report/json_report.h"
#include "smart_pages.h"
#include "test_data.h"

namespace corvanite {
namespace {

using test::Machine;

std::array<uint8_t, SMART_PAGE_SIZE> Capture(const std::string& name, const char* what) {
    const std::vector<uint8_t> bytes =
        test::ReadTestFile("ata-smart/" + name + "." + what + ".bin");
    std::array<uint8_t, SMART_PAGE_SIZE> page = {};
    EXPECT_EQ(bytes.size(), page.size()) << name << " " << what;
    std::copy_n(bytes.begin(), std::min(bytes.size(), page.size()), page.begin());
    return page;
}

// A drive on the given bus whose descriptor tells vendor and product; its pages are a capture's.
test::FakeDrive& Drive(int n, uint32_t bus, const char16_t* vendor, const char16_t* product,
                       uint64_t sizeBytes, const std::string& capture = "") {
    test::FakeDrive& d = Machine().drives[static_cast<size_t>(n)];
    d.present = true;
    d.identity.vendor = vendor;
    d.identity.product = product;
    d.identity.busType = bus;
    d.sizeBytes = sizeBytes;
    if (!capture.empty()) {
        d.identify = Capture(capture, "identify");
        d.smartData = Capture(capture, "data");
        d.smartThresholds = Capture(capture, "thresholds");
    }
    return d;
}

TEST(ReportJson, FixedScanMatchesTheGoldenFile) {
    test::ResetMachine();
    const std::string samsung = "SAMSUNG_HD501LJ--CR100-12";
    test::FakeDrive& sata = Drive(0, 11, u"ATA     ", u"SAMSUNG HD501LJ", 500107862016, samsung);
    sata.identity.serial = u"S0MUJ1NQ110060";
    sata.identity.revision = u"CR100-12";
    sata.smartDataAnswers = sata.smartThresholdsAnswer = true;
    test::FakeDrive& nvme = Drive(1, 17, u"", u"NVMe Disk", 1000204886016);
    nvme.identity.serial = u"NV-0001";
    nvme.nvmeAnswers = true;
    const test::Page log = test::NvmeLogPage({0x09, 318, 7, 10, 93, 12084, 0, 12, 0});
    std::copy(log.begin(), log.end(), nvme.nvmeLog.begin());
    // The same Samsung drive in a USB dock that takes ATA PASS-THROUGH (16), an SSD in one that
    // takes only the 12-byte form, and a dock that takes neither.
    Drive(2, 7, u"Generic", u"External USB 3.0", 500107862016, samsung).takes16 = true;
    Drive(3, 7, u"JMicron", u"Tech", 120034123776, "INTEL_SSDSA2CW120G3--4PC10302").takes12 = true;
    Drive(4, 7, u"Generic", u"External USB 3.0", 2000398934016);
    // Texts that need escaping (a lone surrogate becomes U+FFFD), on a drive without data.
    Drive(5, 1, u"Q\"uote\\", u"caf\u00E9 \x01\t\xD800", 0);
    Drive(6, 11, u"", u"", 0).secondOpenFails = true;

    const std::vector<DriveInfo> drives = ProbeAllDrives();
    const std::string json = ReportJson(drives, "0.1.0");
    if (std::getenv("CORVANITE_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(std::string(CORVANITE_TEST_DATA) + "/report-golden.json", std::ios::binary)
            << json;
    }
    EXPECT_EQ(json, test::ReadTestText("report-golden.json"));

    // Behind the bridge, the drive's rows are those it gives when asked directly.
    ASSERT_EQ(drives.size(), 7u);
    const auto rows = [](const DriveInfo& d) {
        const std::string one = ReportJson({d}, "");
        return one.substr(one.find("\"attributes\""));
    };
    EXPECT_EQ(rows(drives[2]), rows(drives[0]));
    // The 12-byte form only after the 16-byte one was refused, then for every command.
    const std::vector<std::string>& calls = Machine().calls;
    const std::vector<std::string> order = {"ata16 3 EC", "ata12 3 EC", "ata12 3 D0", "ata12 3 D1"};
    EXPECT_NE(std::search(calls.begin(), calls.end(), order.begin(), order.end()), calls.end());
}

}  // namespace
}  // namespace corvanite
