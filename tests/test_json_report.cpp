// The JSON report of a fixed scan (fake devices, real drives' pages, some behind USB bridges)
// compared whole with the golden file, so that no key changes unnoticed. Regenerate it with
//   CORVANITE_UPDATE_GOLDEN=1 build/linux/tests/corvanite_tests --gtest_filter='ReportJson.*'
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

    // Behind the bridge, the drive gives the rows it gives when asked directly.
    ASSERT_EQ(drives.size(), 7u);
    const std::string direct = ReportJson({drives[0]}, ""), bridged = ReportJson({drives[2]}, "");
    EXPECT_EQ(bridged.substr(bridged.find("\"attributes")),
              direct.substr(direct.find("\"attributes")));
    // The 12-byte form only after the 16-byte one was refused, then for every command.
    const std::vector<std::string>& calls = Machine().calls;
    const std::vector<std::string> order = {"ata16 3 EC", "ata12 3 EC", "ata12 3 D0", "ata12 3 D1"};
    EXPECT_NE(std::search(calls.begin(), calls.end(), order.begin(), order.end()), calls.end());
}

}  // namespace
}  // namespace corvanite
