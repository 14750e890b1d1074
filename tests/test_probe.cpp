// Fixed scans through the device fake against golden files (the JSON report, whose format scripts
// rely on, the text report and every device request in order), and corvanite-report over a fixed
// drive list. Regenerate the goldens after an intended change with CORVANITE_UPDATE_GOLDEN=1.
#include <gtest/gtest.h>

#include <fstream>

#include "drives/probe.h"
#include "fake_device.h"
#include "fake_host.h"
#include "report/json_report.h"
#include "report/report_file.h"
#include "report/text_report.h"
#include "report_tool.h"
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
    d.identity = {vendor, product, u"", u"", bus};
    d.sizeBytes = sizeBytes;
    d.identify = test::RealPage(capture, "identify");  // zeros when there is no capture
    d.smartData = test::RealPage(capture, "data");
    d.smartThresholds = test::RealPage(capture, "thresholds");
    d.smartDataAnswers = d.smartThresholdsAnswer = direct;
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
    Drive(0, 11, u"ATA     ", u"SAMSUNG HD501LJ", 500107862016, samsung, true).identity = {
        u"ATA     ", u"SAMSUNG HD501LJ", u"S0MUJ1NQ110060", u"CR100-12", 11};
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
    const std::vector<std::string>& real = test::REAL_DRIVES;
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
    Drive(9, 11, u"", u"X", 1, real[4], true).identityAnswers = false;
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

const HealthStatus GRADES[] = {HEALTH_GOOD, HEALTH_WARN, HEALTH_CRIT, HEALTH_UNKNOWN};
std::vector<DriveInfo> drives;
std::string out, err;
bool outFails = false;

int RunTool(const std::vector<std::u16string>& args, std::string_view lineEnd = "\n") {
    out.clear();
    err.clear();
    return RunReportTool(
        args, {[] { return drives; }, [](std::string_view b) { return out.append(b), !outFails; },
               [](std::string_view b) { return err.append(b), true; }, WriteReportFile, lineEnd});
}

std::string Escaped(std::string_view text) {
    std::string e;
    for (const char c : text.substr(0, 70)) {
        e += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    }
    return e + (text.size() > 70 ? "...(" + std::to_string(text.size()) + ")" : "");
}

// "GRADES | ARGS | FLAGS": grades G W C U or 9 (an out-of-range value), one drive each; args
// ('' an empty one); flags crlf, filefail, outfail. Gives the exit status, standard output and
// error, and the file written.
TEST(ReportTool, Cases) {
    test::CheckTable("cases/report-tool.txt", [](const std::string& input) {
        const std::vector<std::string> f = test::Words(input + "|", '|');
        drives.clear();
        for (const char g : f.at(0)) {
            drives.push_back(StartDriveRecord(static_cast<int>(drives.size())));
            const size_t grade = std::string_view("GWCU").find(g);
            drives.back().health = grade < 4 ? GRADES[grade] : 9;
        }
        std::vector<std::u16string> args;
        for (const std::string& a : test::Words(f.at(1))) {
            args.push_back(a == "''" ? u"" : Utf8ToUtf16(a));
        }
        test::ResetHost();
        test::ReportFile().fail = f.at(2).find("filefail") != std::string::npos;
        outFails = f[2].find("outfail") != std::string::npos;
        const int status = RunTool(args, f[2].find("crlf") != std::string::npos ? "\r\n" : "\n");
        if (f[1].find("--json") != std::string::npos && status == 1) {  // for the schema test
            std::ofstream(CORVANITE_JSON_OUTPUT "/report-tool.json", std::ios::binary)
                << (out.rfind('{', 0) == 0 ? out : test::ReportFile().bytes);
        }
        return std::to_string(status) + " | " + Escaped(out) + " | " + Escaped(err) + " | " +
               Utf16ToUtf8(test::ReportFile().path) + " " + Escaped(test::ReportFile().bytes);
    });
}

// Records the probe does not give: temperature 0, an unknown grade, a long row name, texts in
// several scripts; written by the tool as it writes standard output.
TEST(ReportTool, UnusualRecordsMatchTheGolden) {
    drives = {StartDriveRecord(3), StartDriveRecord(4)};
    drives[0].model.Set(u"Disque \u00E9t\u00E9 \u65E5\u672C \U0001F4BE");
    drives[0].temperatureC = 0;
    drives[0].health = 77;
    drives[0].errorText.Set(u"cannot open the drive (error 5): run as administrator");
    drives[0].attributes = {{0xBB, {}, 5, 255, 0, {1, 2, 3, 4, 5, 6}, 0, false, true, false}};
    drives[0].attributes[0].name.Set(u"A name that is longer than thirty-two units");
    drives[1].temperatureC = 66;
    outFails = false;
    EXPECT_EQ(RunTool({}), 3);
    test::CheckGolden("report-unusual.txt", out + Utf16ToUtf8(ReportText({})));
}

}  // namespace
}  // namespace corvanite
