// The drive record and the requests' byte layouts (real drives' pages against their independent
// decoding, then the tables under tests/data/cases, one runner per kind of row), fixed scans
// through the device fake against golden files (the JSON report, whose format scripts rely on,
// the text report and every device request in order), and corvanite-report over fixed drives.
// Regenerate tables and goldens after an intended change with CORVANITE_UPDATE_GOLDEN=1.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <span>
#include <sstream>
#include <thread>

#include "cli/report_tool.h"
#include "cli/standard_streams.h"
#include "drives/ata_identify.h"
#include "drives/ata_smart.h"
#include "drives/device_error.h"
#include "drives/health.h"
#include "drives/identity.h"
#include "drives/linux_layout.h"
#include "drives/nvme_health.h"
#include "drives/probe.h"
#include "drives/sat.h"
#include "drives/self_test.h"
#include "drives/self_test_device.h"
#include "drives/trace.h"
#include "drives/win32_layout.h"
#include "fake_device.h"
#include "fake_host.h"
#include "report/exit_status.h"
#include "report/json_report.h"
#include "report/report_file.h"
#include "report/text_report.h"
#include "test_data.h"
#include "text/text_format.h"
#include "text/utf.h"

namespace corvanite {
namespace {

using namespace win32;
using namespace linux_layout;

std::string U8(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

// Each unit in hex (two digits a byte), followed by sep.
template <typename T>
std::string Hex(const T& units, const char* sep = "") {
    std::string hex;
    char h[8];
    for (auto u : units) {
        std::snprintf(h, sizeof h, sizeof u == 1 ? "%02X%s" : "%04X%s",
                      unsigned{std::make_unsigned_t<decltype(u)>(u)}, sep);
        hex += h;
    }
    return hex;
}

// A row of a table: its words, numbers among them, and its byte tokens (test::Bytes) as the
// fixed-size buffer a parser takes.
struct Row {
    std::string input;
    std::vector<std::string> w = test::Words(input);
    mutable std::vector<uint8_t> bytes = {};
    template <typename T = size_t>
    T n(size_t i) const {
        return static_cast<T>(std::stoull(w.at(i), nullptr, 0));
    }
    template <size_t N>
    auto Fixed() const -> const uint8_t (&)[N] {
        bytes = test::Bytes(input, N);
        return *reinterpret_cast<const uint8_t(*)[N]>(bytes.data());
    }
};

std::string Identity(const DriveIdentity& identity) {
    DriveInfo d = StartDriveRecord(0);
    ApplyDriveIdentity(identity, d);
    return U8(d.model.view()) + "|" + U8(d.serial.view()) + "|" + U8(d.firmware.view()) + "|" +
           U8(d.busName.view()) + "|" + U8(MediaWord(d.mediaType));
}

std::string Texts(const DescriptorTexts& t) {
    return std::string(t.vendor) + "|" + std::string(t.product) + "|" + std::string(t.serial) +
           "|" + std::string(t.revision) + "|" + std::to_string(t.busType);
}

// One row of a table, by its first word.
std::string RunRow(const Row& r) {
    const std::string& k = r.w.at(0);
    if (k == "why") {  // a page row as below: the grade, its reasons, the power-on time
        const Row page{r.input.substr(4)};
        DriveInfo d = StartDriveRecord(0);
        if (page.w.at(0) == "nvme") {
            ParseNvmeHealthLog(test::PageOf(page.input).data(), d);
        } else {
            const test::Page data = test::AtaPage(page.input, false),
                             thr = test::AtaPage(page.input, true);
            ParseSmartPages(data.data(), thr.data(), d);
        }
        AssessHealth(d);
        std::string out = U8(HealthWord(d.health));
        for (const GradeReason& reason : GradeReasons(d)) {
            // The kind, the attribute it names (@id; none for the temperature or warning bits).
            out += " | " + std::string(1, "CWP"[reason.kind]) +
                   (reason.attributeId < 0 ? "" : "@" + std::to_string(reason.attributeId)) + " " +
                   U8(reason.text);
        }
        const PowerOnTime on = DrivePowerOnTime(d);
        return out + " | on " +
               (on.known ? (on.hours ? "h" : "count ") + std::to_string(on.value) : "-");
    }
    uint8_t buffer[1024];  // a page, then bytes that no reply may reach
    std::fill_n(buffer, 1024, 0xEE);
    auto& page = *reinterpret_cast<uint8_t(*)[512]>(buffer);
    DriveInfo d = StartDriveRecord(0);
    d.attributes.resize(3);  // an earlier list is replaced
    std::string out;
    if (k == "ata" || k == "nvme") {  // id/current/threshold/raw ... ("nothr": none), or BYTES
        const test::Page data = test::AtaPage(r.input, false), thr = test::AtaPage(r.input, true);
        const bool parsed = k == "nvme"
                                ? (ParseNvmeHealthLog(test::PageOf(r.input).data(), d), true)
                            : r.input.find("nothr") != std::string::npos
                                ? ParseSmartPages(data.data(), nullptr, d)
                                : ParseSmartPages(data.data(), thr.data(), d);
        AssessHealth(d);
        out = (parsed ? "read " : "none ") + U8(SourceLabel(d.smartSource)) + " t" +
              std::to_string(d.temperatureC) + " life" + std::to_string(d.lifeRemaining) + " " +
              U8(HealthWord(d.health));
        for (const SmartAttribute& a : d.attributes) {
            out += " " + std::to_string(a.id) + ":" + std::to_string(a.current) + "/" +
                   std::to_string(a.threshold) + "/" + std::to_string(AttributeRawValue(a)) + "/" +
                   U8(AttributeStatusWord(a));
        }
        for (const GradeReason& reason : GradeReasons(d)) {
            out += " | " + U8(reason.text);
        }
    } else if (k == "identity") {  // bus|vendor|product|serial|revision, ^@ ^[ ^? controls
        std::string fields = r.input.substr(9) + "||||";
        for (size_t at = fields.find('^'); at < fields.size() - 1; at = fields.find('^', at)) {
            fields.replace(at, 2, 1, static_cast<char>(fields[at + 1] ^ 0x40));
        }
        const std::vector<std::string> f = test::Words(fields, '|');
        out = Identity({Utf8ToUtf16(f[1]), Utf8ToUtf16(f[2]), Utf8ToUtf16(f[3]), Utf8ToUtf16(f[4]),
                        static_cast<uint32_t>(std::stoul(f[0], nullptr, 0))});
    } else if (k == "identify") {  // a real drive's page
        test::Page bytes = test::RealPage(r.w.at(1), "identify");
        bytes[510] = r.w.size() > 2 ? 0 : bytes[510];  // "unsigned": no checksum signature
        auto& identify = *reinterpret_cast<uint8_t(*)[512]>(bytes.data());
        DriveIdentity identity{u"stale", {}, {}, {}};
        ata::IdentityFromIdentifyPage(identify, identity);
        const bool intact = ata::IdentifyPageIntact(identify);
        identify[100] ^= 1;  // every capture carries the checksum signature
        identity.busType = BUS_SATA;
        out = Identity(identity) + "|" + U8(identity.vendor) + (intact ? "" : "|damaged") +
              (intact == ata::IdentifyPageIntact(identify) ? "|checksum not checked" : "");
    } else if (k == "poweron") {  // COUNT HOURS(1/0)
        out = U8(PowerOnText(PowerOnTime{true, r.n(2) != 0, r.n<uint64_t>(1)}));
    } else if (k == "signed") {
        std::u16string text;
        AppendSigned(text, r.n<int64_t>(1));
        out = U8(text);
    } else if (k == "capacity") {
        out = U8(FormatCapacity(r.n<uint64_t>(1)));
    } else if (k == "wrap") {  // WIDTH TEXT: the lines, '|' between them
        std::string wrapped = Utf16ToUtf8(
            WrapAtBlanks(Utf8ToUtf16(r.input.substr(r.input.find(' ', 5) + 1)), r.n(1)));
        std::replace(wrapped.begin(), wrapped.end(), '\n', '|');
        out = "[" + wrapped + "]";
    } else if (k == "stop") {  // KIND ERROR: 0 none, 1 timed out, 2 gone
        out = std::to_string(DriveStopAfter(r.n<int32_t>(2), r.n<int32_t>(1)));
    } else if (k == "failure") {
        out = U8(DeviceFailureText(r.n<int32_t>(1), r.n<int32_t>(2), r.n<int32_t>(3)));
    } else if (k == "skipped") {
        out = U8(SkippedDrivesText({r.n<int32_t>(1), r.n<uint32_t>(2)}, r.n<int32_t>(3)));
    } else if (k == "words") {
        out = U8(HealthWord(r.n<int32_t>(1))) + " " + U8(MediaWord(r.n<int32_t>(1))) + " " +
              U8(SourceLabel(r.n<int32_t>(1))) + " exit " +
              std::to_string(HealthExitStatus(r.n<int32_t>(1)));
    } else if (k == "upper") {
        for (const char16_t c : Utf8ToUtf16(r.input.substr(6))) {
            out += U8(std::u16string(1, AsciiUpper(c)));
        }
    } else if (k == "names") {
        for (int id = 1; id < 256; ++id) {
            const std::u16string_view name = SmartAttributeName(static_cast<uint8_t>(id));
            out += name == u"Unknown Attribute" ? "" : std::to_string(id) + "=" + U8(name) + ";";
        }
    } else if (k == "warning") {  // the table's text for the byte's bit, if it has one
        for (const CriticalWarningBit& bit : CRITICAL_WARNING_BITS) {
            out += bit.mask == 1u << r.n<int>(1) ? U8(bit.text) : "";
        }
    } else if (k == "utf16" || k == "utf8") {  // hex units, converted, in hex
        std::u16string units;
        std::string bytes;
        for (size_t i = 1; i < r.w.size(); ++i) {
            units.push_back(static_cast<char16_t>(std::stoul(r.w[i], nullptr, 16)));
            bytes.push_back(static_cast<char>(units.back()));
        }
        out = k == "utf8" ? Hex(Utf8ToUtf16(bytes), " ") : Hex(Utf16ToUtf8(units), " ");
    } else if (k == "firmware") {  // cut to the field, never inside a surrogate pair
        d.firmware.Set(Utf8ToUtf16(r.input.substr(9)));
        out = U8(d.firmware.view()) + (d.busName.empty() ? "" : " bus touched");
    } else if (k == "health-log") {  // the queries in the order they are sent, by property
        for (const auto& query : NvmeHealthQueries()) {
            out += (out.empty() ? "" : " ") + std::to_string(query[0]) +
                   (query == NvmeHealthQuery(query[0]) ? "" : "?");
        }
    } else if (k == "descriptor-query") {
        out = Hex(DescriptorQuery());
    } else if (k == "smart-command") {
        out = Hex(SmartCommand(r.n<int>(1), r.n<uint8_t>(2)));
    } else if (k == "nvme-query") {
        out = Hex(r.w[1] == "identify"    ? NvmeIdentifyControllerQuery()
                  : r.w[1] == "self-test" ? NvmeLogQuery(nvme::LOG_DEVICE_SELF_TEST, 564)
                                          : NvmeHealthQuery(r.n<uint32_t>(1)));
    } else if (k == "self-test-command") {  // an NVMe Device Self-test, the kind's word
        const SelfTestKind kind = r.w[1] == "short"   ? SELF_TEST_SHORT
                                  : r.w[1] == "abort" ? SELF_TEST_ABORT
                                                      : SELF_TEST_EXTENDED;
        out = Hex(NvmeSelfTestCommand(nvme::SelfTestCode(kind)));
    } else if (k == "progress") {  // short|extended|none PERCENT SECONDS (short: 2 min)
        SelfTestState state;
        state.percentDone = r.n<int32_t>(2);
        state.shortMinutes = 2;
        const SelfTestKind kind = r.w[1] == "short"      ? SELF_TEST_SHORT
                                  : r.w[1] == "extended" ? SELF_TEST_EXTENDED
                                                         : SELF_TEST_NONE;
        out = Utf16ToUtf8(SelfTestProgressText(state, kind, r.n<int64_t>(3)));
    } else if (k == "smart-self-test") {  // DRIVE start KIND | log
        const SelfTestKind kind = r.w.back() == "short" ? SELF_TEST_SHORT : SELF_TEST_ABORT;
        out = Hex(SmartCommandFor(
            r.n<int>(1),
            r.w[2] == "log"
                ? ata::ReadLogRegisters(r.n<int>(1), ata::SELF_TEST_LOG_ADDRESS)
                : ata::ExecuteOfflineRegisters(r.n<int>(1), ata::OfflineSubcommand(kind))));
    } else if (k == "protocol-data") {  // REPLYSIZE WANTED TOKENS: the first 8 bytes located
        std::vector<uint8_t> data(r.n(2) + 8, 0);
        out = LocateProtocolData(r.Fixed<600>(), r.n(1), data.data(), r.n(2))
                  ? Hex(std::vector<uint8_t>(data.begin(), data.begin() + 8))
                  : "none";
    } else if (k == "spt-request") {  // READ DATA of drive 1 in a CDB of the given length
        const ata::CommandBlock cdb =
            ata::AtaPassThroughCdb(ata::SmartRegisters(1, SMART_FEATURE_READ_DATA), true, r.n(1));
        const ScsiPassThroughBuffer b = ScsiPassThroughRequest(cdb.bytes.data(), r.n(1), r.n(2));
        out = Hex(std::span(b.data(), SPT_HEADER_SIZE)) + " " + std::to_string(b.size());
    } else if (k == "spt-reply") {  // DATASIZE TOKENS
        const ScsiPassThroughBuffer b = std::to_array(r.Fixed<SPT_BUFFER_SIZE>());
        const ata::PassThroughOutcome o = ScsiPassThroughOutcome(b, true, r.n(1));
        out = std::to_string(o.scsiStatus) + " residual " + std::to_string(o.residual) + " sense " +
              Hex(std::span(o.sense, o.senseLength)) +
              (ata::PassThroughSucceeded(o) ? " ok" : " failed");
    } else if (k == "descriptor") {  // SIZE RETURNED TOKENS
        const std::vector<uint8_t> b = test::Bytes(r.input, r.n(1));
        out = Texts(ParseDescriptorReply(b.data(), b.size(), r.n<uint32_t>(2)));
    } else if (k == "extents") {  // SIZE TOKENS: a VOLUME_DISK_EXTENTS reply of SIZE bytes
        const std::vector<uint8_t> b = test::Bytes(r.input, r.n(1));
        for (const uint32_t disk : ParseVolumeDiskExtents(b.data(), b.size())) {
            out += std::to_string(disk) + " ";
        }
    } else if (k == "fs") {  // SIZE TOKENS: a device's first SIZE bytes
        const std::vector<uint8_t> b = test::Bytes(r.input, r.n(1));
        const FilesystemProbe p = ProbeFilesystem(b.data(), b.size());
        out = "[" + p.type + "] [" + p.label + "]";
    } else if (k == "geometry") {
        out = std::to_string(GeometryDiskSize(r.Fixed<GEOMETRY_REPLY_SIZE>()));
    } else if (k == "smart-reply" || k == "nvme-reply") {
        out = (k == "smart-reply" ? SmartReplyPage(r.Fixed<SMART_PAGE_REPLY_SIZE>(), page)
                                  : LocateNvmeLogPage(r.Fixed<NVME_REPLY_SIZE>(), page))
                  ? "page "
                  : "refused ";
        out +=
            Hex(std::span(page, 4)) + Hex(std::span(page + 166, 4)) + Hex(std::span(page + 508, 4));
        out += std::all_of(buffer + 512, buffer + 1024, [](uint8_t b) { return b == 0xEE; })
                   ? ""
                   : " and past it";
    } else if (k == "identify-reply") {  // over a descriptor's texts
        DescriptorTexts t{"NVMe", "desc product", "desc serial", "desc rev", 17};
        const bool ok = ApplyIdentifyControllerReply(r.Fixed<NVME_IDENTIFY_REPLY_SIZE>(), t);
        out = (ok ? "applied " : "kept ") + Texts(t);
    } else if (k == "probed") {
        for (size_t i = 1; i < r.w.size(); ++i) {
            out += IsProbedDiskName(r.w[i] == "''" ? "" : r.w[i]) ? "yes " : "no ";
        }
    } else if (k == "order") {
        std::vector<std::string> names(r.w.begin() + 1, r.w.end());
        std::sort(names.begin(), names.end(), DiskNameLess);
        for (const std::string& name : names) {
            out += name + " ";
        }
        out += DiskNameLess(r.w[1], r.w[1]) ? "self-less" : "";
    } else if (k == "bus") {
        out = std::to_string(BusCodeFromSysfsPath(r.w.size() > 1 ? r.w[1] : ""));
    } else if (k == "mount" || k == "udev") {  // [MAJOR:MINOR] then the file's lines, " | " apart
        std::string file = r.input.substr(r.input.find(' ', k == "mount" ? 6 : 0) + 1);
        for (size_t at; (at = file.find(" | ")) != std::string::npos;) {
            file.replace(at, 3, "\n");
        }
        const FilesystemProbe p = FilesystemFromUdev(file);
        out = k == "mount" ? "[" + MountPointOf(file, r.w[1]) + "]"
                           : "[" + p.type + "] [" + p.label + "]";
    } else if (k == "cdb") {  // smart DRIVE FEATURE | identify DRIVE, then in/none, LENGTH
        const bool smart = r.w[1] == "smart";
        const ata::CommandBlock cdb =
            ata::AtaPassThroughCdb(smart ? ata::SmartRegisters(r.n<int>(2), r.n<uint8_t>(3))
                                         : ata::IdentifyRegisters(r.n<int>(2)),
                                   r.w.at(smart ? 4 : 3) == "in", r.n(smart ? 5 : 4));
        out = Hex(cdb.bytes) + " " + std::to_string(cdb.length);
    } else if (k == "inquiry") {
        out = Hex(InquiryVpdCdb(r.n<uint8_t>(1), r.n<uint8_t>(2)));
    } else if (k == "sense") {  // LENGTH TOKENS
        out = std::to_string(ata::AtaStatusFromSense(r.Fixed<32>(), r.n(1)));
    } else if (k == "outcome") {  // IOCTL SCSI HOST DRIVER RESIDUAL SENSELENGTH TOKENS
        const ata::PassThroughOutcome o{
            r.n(1) != 0,   r.n<uint8_t>(2), r.n<uint16_t>(3), r.n<uint16_t>(4), r.n<int32_t>(5),
            r.Fixed<32>(), r.n(6)};
        out = std::string(ata::PassThroughSucceeded(o) ? "ata ok" : "ata failed") +
              (ScsiCommandSucceeded(o) ? ", scsi ok" : ", scsi failed");
    } else if (k == "transport") {  // IOCTL HOST DRIVER
        ata::PassThroughOutcome o;
        o.ioctlSucceeded = r.n(1) != 0;
        o.hostStatus = r.n<uint16_t>(2);
        o.driverStatus = r.n<uint16_t>(3);
        out = std::to_string(TransportErrno(o));
    } else if (k == "nvme-admin") {  // RESULT ERRNO ELAPSED-MS TIMEOUT-MS
        out = std::to_string(
            NvmeAdminError(r.n<int>(1), r.n<int>(2), r.n<int64_t>(3), r.n<int64_t>(4)));
    } else if (k == "vpd") {  // LENGTH TOKENS
        out = "[" + std::string(UnitSerialFromVpd(r.Fixed<512>(), r.n(1))) + "]";
    } else if (k == "dword10") {
        out = std::to_string(NvmeGetLogPageDword10(r.n<uint8_t>(1), r.n<uint32_t>(2)));
    }
    return out;
}

TEST(Drives, RealDrivesMatchTheirIndependentDecoding) {
    for (const std::string& name : test::REAL_DRIVES) {
        SCOPED_TRACE(name);
        const test::Page data = test::RealPage(name, "data"),
                         thr = test::RealPage(name, "thresholds");
        DriveInfo d = StartDriveRecord(0);
        ASSERT_TRUE(ParseSmartPages(data.data(), thr.data(), d));
        AssessHealth(d);
        // Rows "ID CUR WORST THR RAW48 FLAGS GRADE", then "TEMP t" and "VERDICT word".
        std::string got;
        for (const SmartAttribute& a : d.attributes) {
            char row[96];
            std::snprintf(row, sizeof row, "%d %d %d %d %llu 0x%04X %s\n", a.id, a.current, a.worst,
                          a.threshold, static_cast<unsigned long long>(AttributeRawValue(a)),
                          unsigned{a.flags}, U8(AttributeStatusWord(a)).c_str());
            got += row;
            EXPECT_EQ(a.preFailure, (a.flags & 1) != 0);
        }
        got += "TEMP " + std::to_string(d.temperatureC) + "\nVERDICT " + U8(HealthWord(d.health));
        const std::string expected = test::ReadTestText("ata-smart/" + name + ".expected.txt");
        EXPECT_EQ(got + "\n", expected);

        // The grade's reasons name exactly the rows the independent decoding grades FAIL (C) and
        // WARN (W), and those whose worst value reached the threshold while the current one is
        // above it (P); attribute 9 is hours unless more than 30 years of them.
        std::string critical, warning, past, named, power = "none";
        std::istringstream rows(expected);
        for (std::string line; std::getline(rows, line);) {
            std::istringstream f(line);
            unsigned long long id = 0, cur = 0, worst = 0, thr = 0, raw = 0;
            std::string flags, grade;
            if (!(f >> id >> cur >> worst >> thr >> raw >> flags >> grade)) {
                continue;
            }
            const std::string tag = std::to_string(id) + " ";
            critical += grade == "FAIL" ? "C" + tag : "";
            warning += grade == "WARN" ? "W" + tag : "";
            past += grade != "FAIL" && thr != 0 && worst != 0 && worst <= thr ? "P" + tag : "";
            power =
                id == 9 ? (raw % (1ull << 32) <= 262980 ? "h" : "n") + std::to_string(raw) : power;
        }
        for (const GradeReason& reason : GradeReasons(d)) {
            named += "CWP"[reason.kind] + std::to_string(reason.attributeId) + " ";
        }
        const PowerOnTime on = DrivePowerOnTime(d);
        EXPECT_EQ(named, critical + warning + past);
        EXPECT_EQ(on.known ? (on.hours ? "h" : "n") + std::to_string(on.value) : "none", power);
    }
}

TEST(Drives, Cases) {
    for (const char* table :
         {"pages", "identity", "identify", "texts", "win32-layout", "linux-layout"}) {
        test::CheckTable("cases/" + std::string(table) + ".txt",
                         [](const std::string& input) { return RunRow(Row{input}); });
    }
    std::u16string all;  // every scalar value of the first plane, and two beyond it
    for (char32_t c = 1; c < 0x10000; ++c) {
        all.push_back(c < 0xD800 || c > 0xDFFF ? static_cast<char16_t>(c) : u'x');
    }
    all += u"\U00010000\U0010FFFF";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(all)), all);
}

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

// The RAID bus: a RAID volume says the controller keeps its drives' data; an NVMe drive behind
// Intel VMD / RST (its descriptor names NVMe) is asked the NVMe query first and read.
TEST(Probe, RaidVolumeAndNvmeBehindVmd) {
    test::ResetMachine();
    Drive(0, 8, u"", u"Intel Raid 0 Volume", 1).requestError = 1;
    test::FakeDrive& vmd = Drive(1, 8, u"NVMe", u"Samsung SSD 970 EVO", 1);
    vmd.nvmeAnswers = true;
    vmd.nvmeLog = test::PageOf("0/003E01640A03");
    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].busName, u"RAID");
    EXPECT_FALSE(drives[0].smartAvailable);
    EXPECT_EQ(drives[0].errorText.view().substr(0, 12), u"RAID volume:");
    EXPECT_EQ(drives[1].smartSource, SOURCE_NVME);
    EXPECT_EQ(drives[1].mediaType, MEDIA_NVME);
    const std::string& calls = Machine().driveCalls[1];
    ASSERT_NE(calls.find("nvme 1"), std::string::npos) << calls;
    EXPECT_LT(calls.find("nvme 1"), calls.find("smart 1")) << calls;
}

// A trace kept in memory; it cannot be written once `room` lines are in it.
struct MemoryTrace {
    std::string text;
    size_t room = SIZE_MAX;
    int attempts = 0;
};
bool AppendLine(void* context, std::string_view line) {
    auto& trace = *static_cast<MemoryTrace*>(context);
    ++trace.attempts;
    if (trace.room == 0) {
        return false;
    }
    --trace.room;
    trace.text.append(line);
    return true;
}
// A trace's requests line by line for each drive (drives answer side by side, so their lines
// interleave in any order), its header left out.
std::map<std::string, std::string> PerDrive(const std::string& trace) {
    std::map<std::string, std::string> lines;
    std::istringstream in(trace.substr(trace.find('\n') + 1));
    for (std::string line; std::getline(in, line);) {
        lines[line.substr(0, line.find(','))] += line + "\n";
    }
    return lines;
}

// The installed machine scanned again while a trace records it (into a trace that fails after a
// few lines too), then the trace replayed and recorded: each scan gives the drives given, and
// the replay asks and answers what the machine was asked and answered.
void ExpectTheTraceReplaysTheScan(const std::vector<DriveInfo>& scanned,
                                  const std::string& golden) {
    const std::string json = ReportJson(scanned, "");
    MemoryTrace recorded, replayed, broken{.text = {}, .room = 3};
    const DeviceAccess* machine = InstallDeviceAccess(nullptr);
    std::string problem;
    for (MemoryTrace* trace : {&broken, &recorded, &replayed}) {
        const DeviceAccess& inner = trace == &replayed ? ReplayDeviceAccess() : *machine;
        InstallDeviceAccess(
            &StartDeviceTrace(inner, {}, {.context = trace, .writeLine = AppendLine}));
        for (test::FakeDrive& drive : Machine().drives) {
            drive.opens = drive.closes = 0;  // as at the first scan
        }
        EXPECT_TRUE(ReportJson(ProbeAllDrives(), "") == json);
        StopDeviceTrace();
        if (trace == &recorded) {
            ASSERT_TRUE(LoadDeviceReplay(recorded.text, problem)) << problem;
        }
    }
    InstallDeviceAccess(machine);
    // The lines as written, drive by drive (the system's words differ between platforms).
    std::string lines;
    for (const auto& [drive, text] : PerDrive(recorded.text)) {
        lines += text;
    }
    std::string masked;
    for (size_t at = 0;;) {
        const size_t words = lines.find("\"words\":\"", at);
        if (words == std::string::npos) {
            masked.append(lines, at);
            break;
        }
        masked.append(lines, at, words + 9 - at).push_back('*');
        at = lines.find('"', words + 9);
    }
    test::CheckGolden(golden, masked);
    EXPECT_EQ(broken.attempts, 4);  // once refused, the trace is not written again
    EXPECT_EQ(PerDrive(replayed.text), PerDrive(recorded.text));
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
    // It has a Device Self-test (30 min extended), an extended one 40 % done; its log: a short
    // test that failed in segment 1 at LBA 4660, an older one that passed.
    nvme.nvmeIdentifyAnswers = nvme.nvmeSelfTestLogAnswers = true;
    nvme.nvmeIdentify = test::PageOf("256/1000 316/1E00");
    for (const auto& [at, value] : {std::pair{0, 0x02},
                                    {1, 40},
                                    {4, 0x17},
                                    {5, 1},
                                    {6, 0x02},
                                    {8, 0x34},
                                    {9, 0x2F},
                                    {20, 0x34},
                                    {21, 0x12},
                                    {32, 0x10}}) {
        nvme.nvmeSelfTestLog[static_cast<size_t>(at)] = static_cast<uint8_t>(value);
    }
    // The same Samsung drive in a USB dock that takes ATA PASS-THROUGH (16), an SSD in one that
    // takes only the 12-byte form, and a dock that takes neither.
    test::FakeDrive& docked = Drive(2, 7, u"Generic", u"External USB 3.0", 500107862016, samsung);
    docked.takes16 = docked.smartLogAnswers = true;  // a short test passed at 7320 hours
    docked.smartLog = test::PageOf("0/0100 2/0100981C 508/01");
    Drive(3, 7, u"JMicron", u"Tech", 120034123776, "INTEL_SSDSA2CW120G3--4PC10302").takes12 = true;
    Drive(4, 7, u"Generic", u"External USB 3.0", 2000398934016);
    // Texts that need escaping (a lone surrogate becomes U+FFFD, as does a drive's control
    // character; a device path keeps its own), on a drive without data.
    Drive(5, 1, u"Q\"uote\\", u"caf\u00E9 \x01\t\xD800", 0).devicePath = u"/dev/\x01\t";
    Drive(6, 11, u"", u"", 0).secondOpenFails = true;

    const std::vector<DriveInfo> drives = ProbeAllDrives();
    test::CheckGolden("report-golden.json", ReportJson(drives, "0.1.0"));
    test::CheckGolden("probe-golden-1.txt", Utf16ToUtf8(ReportText(drives)) + test::MachineCalls());
    // Behind the bridge, the drive gives the rows it gives when asked directly.
    ASSERT_EQ(drives.size(), 7u);
    const std::string direct = ReportJson({drives[0]}, ""), bridged = ReportJson({drives[2]}, "");
    const auto rows = [](const std::string& json) {
        const size_t from = json.find("\"attributes");
        return json.substr(from, json.find("\"self_test") - from);
    };
    EXPECT_EQ(rows(bridged), rows(direct));
    ExpectTheTraceReplaysTheScan(drives, "traces/fixed-scan-1.lines");
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
    test::FakeDrive& unsized = Drive(10, 11, u"", u"No size, empty page", 1);
    unsized.sizeAnswers = false;
    unsized.smartDataAnswers = true;  // read, yet it holds no attribute
    Drive(11, 17, u"", u"NVMe refusing\x7F", 1).requestError = 1;
    test::FakeDrive& empty = Drive(12, 11, u"", u"Empty page, NVMe log", 1);
    empty.smartDataAnswers = empty.nvmeAnswers = true;
    empty.nvmeLog = test::PageOf("0/043601640A00");
    Drive(13, 15, u"Msft", u"Virtual Disk", 1);
    // Refused drives keep their card: one that takes no handle at all, and an NVMe drive whose
    // handle with no access answers its descriptor, size and health log (as Windows' do).
    Drive(14, 11, u"", u"Locked", 1).openRefused = true;
    test::FakeDrive& limited = Drive(15, 17, u"", u"Locked NVMe", 1000204886016);
    limited.openRefused = limited.limitedOpens = limited.nvmeAnswers = true;
    limited.nvmeLog = test::PageOf("0/00360164");

    ProbeSkipped skipped;
    const std::vector<DriveInfo> drives = ProbeAllDrives(skipped);
    ASSERT_EQ(drives.size(), 16u);
    EXPECT_EQ(drives[14].access + drives[15].access * 10, ACCESS_NONE + ACCESS_LIMITED * 10);
    EXPECT_EQ(drives[0].devicePath, u"/dev/sda");
    EXPECT_EQ(drives[1].devicePath, u"\\\\.\\PhysicalDrive1");
    EXPECT_LE(Machine().maxOpenHandles, 14);
    EXPECT_EQ(Machine().openHandles, 0);
    test::CheckGolden("probe-golden-2.txt", ReportFileBytes(drives) +
                                                Utf16ToUtf8(SkippedDrivesText(skipped, 0)) + "\n" +
                                                test::MachineCalls());
    ExpectTheTraceReplaysTheScan(drives, "traces/fixed-scan-2.lines");
    // A privileged process is told the system's refusal, not to get rights it has.
    Machine().privileged = true;
    const std::vector<DriveInfo> again = ProbeAllDrives(skipped);
    EXPECT_EQ(again.at(14).errorText, u"cannot open the drive (error 5): access denied");
    EXPECT_EQ(SkippedDrivesText(skipped, 0), u"2 disks could not be opened (access denied)");
}

// Drives that answer slowly, time out, vanish or fail, scanned side by side: each record says
// why, a stopped drive is asked nothing more, and the answers come as the drives give them.
TEST(Probe, FailingDrivesHoldUpNoneAndStopAfterATimeoutOrDisconnect) {
    test::ResetMachine();
    const std::string sample = test::REAL_DRIVES[4];
    struct Case {
        int32_t error;         // of the SMART read (0: answers)
        int waitsFor;          // answers only after this drive (-1: at once)
        const char* expected;  // the record's reason, then the drive's calls
    };
    const Case cases[] = {
        // slow: answers after the last drive has
        {0, 5,
         "|open 0\nclose 0\nopen 0\nidentity 0\nsize 0\nenable 0 00\nsmart 0 D0\n"
         "smart 0 D1\nsmartlog 0 06\nclose 0\n"},
        // hung past the request's timeout: no NVMe try after it
        {121, -1,
         "did not answer the SMART read within 60 s|open 1\nclose 1\nopen 1\n"
         "identity 1\nsize 1\nenable 1 01\nsmart 1 D0\nclose 1\n"},
        // vanished mid-scan
        {1167, -1,
         "disconnected during the scan|open 2\nclose 2\nopen 2\nidentity 2\nsize 2\n"
         "enable 2 02\nsmart 2 D0\nclose 2\n"},
        // an I/O error: the NVMe log is still tried
        {1117, -1,
         "SMART read failed (error 1117): I/O error, the driver may not support the request (RAID "
         "drivers answer so); if the drive also fails to read, check its cable|"
         "open 3\nclose 3\nopen 3\nidentity 3\nsize 3\nenable 3 03\nsmart 3 D0\n"
         "nvme 3\nclose 3\n"},
        // refused by the driver
        {50, -1,
         "SMART read refused by the driver (error 50): behind a USB bridge or RAID "
         "controller|open 4\nclose 4\nopen 4\nidentity 4\nsize 4\nenable 4 04\n"
         "smart 4 D0\nnvme 4\nclose 4\n"},
        {0, -1,
         "|open 5\nclose 5\nopen 5\nidentity 5\nsize 5\nenable 5 05\nsmart 5 D0\n"
         "smart 5 D1\nsmartlog 5 06\nclose 5\n"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        test::FakeDrive& d = Drive(static_cast<int>(i), 11, u"", u"Disk", 1, sample, true);
        d.smartDataAnswers = d.smartThresholdsAnswer = cases[i].error == 0;
        d.requestError = cases[i].error;
        d.waitsFor = cases[i].waitsFor;
    }
    struct Seen {
        std::vector<size_t> found, answered;
    } seen;
    ProbeListener listener;
    listener.context = &seen;
    listener.found = [](void* c, const std::vector<DriveInfo>& drives) {
        for (const DriveInfo& drive : drives) {
            static_cast<Seen*>(c)->found.push_back(static_cast<size_t>(drive.driveNumber));
        }
    };
    listener.answered = [](void* c, size_t index, const DriveInfo&) {
        static_cast<Seen*>(c)->answered.push_back(index);
    };
    ProbeSkipped skipped;
    const std::vector<DriveInfo> drives = ProbeAllDrives(skipped, listener);
    ASSERT_EQ(drives.size(), std::size(cases));
    EXPECT_EQ(seen.found, (std::vector<size_t>{0, 1, 2, 3, 4, 5}));
    ASSERT_EQ(seen.answered.size(), std::size(cases));
    // The slow drive answered after drive 5, which was asked after it: it held up none.
    const auto at = [&seen](size_t index) {
        return std::find(seen.answered.begin(), seen.answered.end(), index) - seen.answered.begin();
    };
    EXPECT_GT(at(0), at(5));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(drives[i].driveNumber, static_cast<int32_t>(i));
        EXPECT_EQ(Utf16ToUtf8(drives[i].errorText.view()) + "|" + Machine().driveCalls[i],
                  cases[i].expected);
        EXPECT_EQ(drives[i].health == HEALTH_UNKNOWN, cases[i].error != 0);
    }
    EXPECT_EQ(Machine().openHandles, 0);
}

// Without a thread for its workers the scan asks each drive in turn on its own thread.
TEST(Probe, WithoutWorkersTheDrivesAreAskedInTurn) {
    test::ResetMachine();
    test::ResetHost();
    test::Host().refuseThreads = true;
    Drive(0, 11, u"", u"A", 1);
    Drive(2, 11, u"", u"B", 1);
    const std::vector<DriveInfo> drives = ProbeAllDrives();
    test::Host().refuseThreads = false;
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[1].driveNumber, 2);
    EXPECT_EQ(Machine().maxOpenHandles, 1);
    EXPECT_EQ(Machine().openHandles, 0);
}

std::string out, err;
bool outFails = false;
int pausedMs = 0;
StandardStreams streams{[](std::string_view b) { return out.append(b), !outFails; },
                        [](std::string_view b) { return err.append(b), true; }, "\n",
                        [](int ms) { pausedMs += ms; }};

int RunTool(const std::vector<std::u16string>& args, std::string_view lineEnd) {
    out.clear();
    err.clear();
    streams.lineEnd = lineEnd;
    InstallStandardStreams(&streams);
    return RunReportTool(args);
}

std::string Escaped(std::string_view text, size_t limit = 70) {
    std::string e;
    for (const char c : text.substr(0, limit)) {
        e += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    }
    return e + (text.size() > limit ? "...(" + std::to_string(text.size()) + ")" : "");
}

// "GRADES | ARGS | FLAGS": one drive each of the grades G W C U (a row of power-on hours, a
// reallocated sector, a row at its threshold, no SMART answer) or of the letters below; args (''
// an empty one); flags crlf, filefail, outfail. Gives the exit status, standard output and error,
// and the file written.
TEST(ReportTool, Cases) {
    test::CheckTable("cases/report-tool.txt", [](const std::string& input) {
        const std::vector<std::string> f = test::Words(input + "|", '|');
        test::ResetMachine();
        // G W C U, and R: a drive that refuses to be opened (access denied). Good drives with a
        // self-test (short 1 min, extended 90): S passes its test (at 1234 hours), F fails it
        // with a read failure at LBA 0x123456, B is running one (50 % to go), X refuses it, Q
        // stops showing one running and logs none, Z does not say how long its tests take, V is
        // unplugged once its test started.
        const char* const rows[] = {"9/100/0/1", "5/100/10/8", "5/5/10/0", "", ""};
        for (size_t n = 0; n < f.at(0).size(); ++n) {
            const char letter = f[0][n];
            const size_t kind = std::string_view("GWCUR").find(letter);
            const std::string row = kind != std::string_view::npos ? rows[kind] : rows[0];
            test::FakeDrive& d = Drive(static_cast<int>(n), 11, u"", u"", 0);
            d.openRefused = letter == 'R';
            d.smartDataAnswers = d.smartThresholdsAnswer = !row.empty();
            d.smartData = test::AtaPage(row, false);
            d.smartThresholds = test::AtaPage(row, true);
            if (kind == std::string_view::npos) {
                for (const auto& [at, value] : {std::pair{363, letter == 'B' ? 0xF5 : 0x00},
                                                {367, 0x1B},
                                                {372, letter == 'Z' ? 0 : 1},
                                                {373, 0xFF},
                                                {375, 90}}) {
                    d.smartData[at] = static_cast<uint8_t>(value);
                }
                d.smartLogAnswers = true;
                d.smartLog = test::PageOf("0/0100 2/0100D2040000000000 508/01");
                d.smartLogAfterStart = test::PageOf(
                    letter == 'F' ? "0/0100 2/0100D2040000000000 26/0274D204005634120000 508/02"
                                  : "0/0100 2/0100D2040000000000 26/0100D4040000000000 508/02");
                d.statusAfterStart = {0xF9, 0xF4, 0x00};
                if (letter == 'Q' || letter == 'N') {  // N: never shows one running either
                    d.statusAfterStart = {static_cast<uint8_t>(letter == 'Q' ? 0xF9 : 0x00), 0x00};
                    d.smartLogAfterStart = {};
                }
                d.selfTestRefused = letter == 'X';
                d.goneAfterStart = letter == 'V';
            }
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
        const bool selfTest = f[1].find("--self-test") != std::string::npos;
        const size_t limit = selfTest ? 400 : 70;  // whole
        // A waited self-test: how long it paused between its looks at the drive.
        const std::string paused =
            selfTest ? " (paused " + std::to_string(pausedMs / 1000) + " s)" : "";
        pausedMs = 0;
        return std::to_string(status) + paused + " | " + Escaped(out, limit) + " | " +
               Escaped(err, limit) + " | " + Utf16ToUtf8(test::ReportFile().path) + " " +
               Escaped(test::ReportFile().bytes);
    });
}

// Self-test pages laid out as the standards define them (ATA8-ACS: the SMART data page's bytes
// 363-376 and the self-test log; NVMe 1.4: Identify Controller's OACS and EDSTT, the Device
// Self-test log): "KIND TOKENS" gives what is read of them.
TEST(SelfTest, PagesCases) {
    test::CheckTable("cases/self-test.txt", [](const std::string& input) {
        const std::string kind = input.substr(0, input.find(' '));
        const std::vector<uint8_t> page = test::Bytes(input.substr(kind.size()), 4096);
        SelfTestState state;
        if (kind == "ata-data") {
            state = ata::SelfTestFromDataPage(page.data());
        } else if (kind == "ata-log") {
            state.logRead = ata::ParseSelfTestLog(page.data(), state.log);
        } else if (kind == "nvme-identify") {
            state = nvme::SelfTestFromIdentify(page.data());
        } else {
            state.nvme = true;
            nvme::ParseSelfTestLog(page.data(), state);
        }
        std::string seen = state.supported ? "supported" : Utf16ToUtf8(state.unsupported);
        seen += " | running " + std::to_string(state.running) + " " +
                Utf16ToUtf8(SelfTestKindWord(state.runningKind)) + " " +
                std::to_string(state.percentDone) + "% | minutes " +
                std::to_string(state.shortMinutes) + " " + std::to_string(state.extendedMinutes) +
                " | log " + std::to_string(state.logRead);
        for (const SelfTestLogEntry& e : state.log) {
            seen += " | " + Utf16ToUtf8(SelfTestKindWord(e.kind)) + " " +
                    Utf16ToUtf8(SelfTestOutcomeWord(e.outcome)) + " " +
                    Utf16ToUtf8(SelfTestStatusWords(e, state.nvme)) + " " +
                    std::to_string(e.powerOnHours) + "h" +
                    (e.lbaValid ? " LBA " + std::to_string(e.failingLba) : "");
        }
        return seen;
    });
}

// The machines whose traces are under traces/ (recorded with the reports beside them): their
// replays give those reports byte for byte, whichever platform recorded them. A malformed trace
// names its line; a trace that cannot be written is said once and the report still comes.
TEST(ReportTool, ReplaysTheRecordedMachinesAndSaysWhatFails) {
    // Replayed from copies: a fault that writes where it should read spoils no test data.
    const std::string data = CORVANITE_JSON_OUTPUT "/replayed";
    std::filesystem::remove_all(data);
    std::filesystem::create_directories(data + "/cases");
    std::filesystem::copy(CORVANITE_TEST_DATA "/traces", data + "/traces");
    std::filesystem::copy(CORVANITE_TEST_DATA "/cases/trace-reader.txt",
                          data + "/cases/trace-reader.txt");
    for (const std::string name : {"wine", "qemu-guest"}) {
        for (const std::string kind : {"text", "json"}) {
            const std::string trace = data + "/traces/" + name + "." + kind + ".jsonl";
            std::vector<std::u16string> args = {u"--replay", Utf8ToUtf16(trace), u"report"};
            if (kind == "json") {
                args.insert(args.begin(), u"--json");
            }
            test::ResetHost();
            RunTool(args, "\n");
            EXPECT_EQ(test::ReportFile().bytes, test::ReadTestText("traces/" + name + ".report." +
                                                                   (kind == "text" ? "txt" : kind)))
                << trace;
        }
    }
    EXPECT_EQ(RunTool({u"--replay", Utf8ToUtf16(data + "/cases/trace-reader.txt")}, "\n"),
              REPORT_EXIT_BAD_TRACE);
    EXPECT_TRUE(err.ends_with("trace-reader.txt: line 1: not a JSON object\n")) << err;
    test::ResetMachine();
    Drive(0, 11, u"", u"Disk", 1);
    EXPECT_EQ(RunTool({u"--trace", Utf8ToUtf16(data + "/no-such-folder/t.jsonl")}, "\n"),
              REPORT_EXIT_NO_DATA);
    EXPECT_TRUE(err.starts_with("corvanite-report: cannot write the trace ") &&
                err.find("the report goes on without it\n") == err.find('\n') - 29)
        << err;
    EXPECT_TRUE(out.starts_with("Corvanite Report\n")) << out;
    if (std::filesystem::exists("/dev/full")) {  // opens, then fails every write: said once
        EXPECT_EQ(RunTool({u"--trace", u"/dev/full"}, "\n"), REPORT_EXIT_NO_DATA);
        EXPECT_EQ(err,
                  "corvanite-report: cannot write the trace /dev/full; the report goes on "
                  "without it\n");
    }
}

// On Windows each DeviceIoControl is noted before the request it belongs to: its code, the bytes
// sent and returned, its outcome; on the scanning thread, before any drive's request, no drive.
TEST(Trace, DeviceControlNotes) {
    MemoryTrace trace;
    const DeviceAccess* before = InstallDeviceAccess(&StartDeviceTrace(
        test::FakeDeviceAccess(), {}, {.context = &trace, .writeLine = AppendLine}));
    const uint8_t in[] = {0x00, 0x2A}, out[] = {0x28};
    std::thread fresh([&] {  // a thread that has asked no drive yet
        TraceDeviceControl(0x002D1400, in, sizeof in, out, sizeof out, true, 0);
        TraceDeviceControl(0x0007C088, in, 1, nullptr, 0, false, 50);
        uint64_t size = 0;
        QueryDriveSize(3, size);  // a handle the trace did not see opened: no drive, no access
        SendSmartCommand(3, 3, ata::ExecuteOfflineRegisters(3, 1), nullptr);  // no data: length 0
        StopDeviceTrace();
        TraceDeviceControl(0x0007C088, in, 1, nullptr, 0, false, 50);  // no trace: not written
    });
    fresh.join();
    InstallDeviceAccess(before);
    EXPECT_NE(trace.text.find("\"platform\":\"windows\",\"errors\":\"windows\""),
              std::string::npos);
    const std::string lines = trace.text.substr(trace.text.find('\n') + 1);
    EXPECT_EQ(lines.substr(0, lines.find("\"words\"")),
              "{\"request\":\"ioctl\",\"code\":\"0x002d1400\",\"input\":\"002a\",\"output\":\"28\","
              "\"ok\":true,\"error\":0}\n{\"request\":\"ioctl\",\"code\":\"0x0007c088\",\"input\":"
              "\"00\",\"output\":\"\",\"ok\":false,\"error\":50,");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 4);
    EXPECT_NE(lines.find("\"registers\":\"d400014fc2b0b0\",\"length\":0,"), std::string::npos)
        << lines;
    EXPECT_NE(lines.find("\n{\"request\":\"size\",\"ok\":"), std::string::npos) << lines;
}

// Commands without data (a self-test's start through a USB bridge) replay as they were recorded.
TEST(Trace, CommandsWithoutDataReplay) {
    test::ResetMachine();
    Drive(0, 7, u"JMicron", u"Tech", 1, "INTEL_SSDSA2CW120G3--4PC10302").takes16 = true;
    MemoryTrace trace;
    const DeviceAccess* machine = InstallDeviceAccess(&StartDeviceTrace(
        test::FakeDeviceAccess(), {}, {.context = &trace, .writeLine = AppendLine}));
    std::string sent, problem;
    for (const bool replayed : {false, true}) {
        const std::vector<DriveInfo> drives = ProbeAllDrives();
        DriveHandle handle = 0;
        uint32_t error = 0;
        ASSERT_TRUE(OpenDrive(0, handle, error));
        for (const SelfTestKind kind : {SELF_TEST_SHORT, SELF_TEST_ABORT}) {
            sent += SendSelfTest(handle, drives.at(0), kind) ? "sent " : "not sent ";
        }
        CloseDrive(handle);
        StopDeviceTrace();
        ASSERT_TRUE(replayed || LoadDeviceReplay(trace.text, problem)) << problem;
        InstallDeviceAccess(&ReplayDeviceAccess());
    }
    InstallDeviceAccess(machine);
    EXPECT_EQ(sent, "sent sent sent sent ");
}

// The header's time, against Python's datetime.utcfromtimestamp: a leap day, the last second of
// a century's year.
TEST(Trace, TimesInUtc) {
    EXPECT_EQ(UtcTimeText(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(UtcTimeText(951782400), "2000-02-29T00:00:00Z");
    EXPECT_EQ(UtcTimeText(1765195185), "2025-12-08T11:59:45Z");
    EXPECT_EQ(UtcTimeText(4102444799), "2099-12-31T23:59:59Z");
}

// A trace ('|' between its lines, HEADER the usual first line) gives the reader's fault, or
// what the replayed scan found: each drive's path, model, serial, size, grade and reason.
TEST(Trace, ReaderCases) {
    test::CheckTable("cases/trace-reader.txt", [](const std::string& input) {
        std::string trace;
        for (const std::string& line : test::Words(input, '|')) {
            trace
                .append(line.find("HEADER") != std::string::npos
                            ? R"({"trace":"corvanite","format":1,"errors":"errno"})"
                            : line)
                .push_back('\n');
        }
        std::string problem;
        if (!LoadDeviceReplay(trace, problem)) {
            return problem;
        }
        const DeviceAccess* before = InstallDeviceAccess(&ReplayDeviceAccess());
        std::string found = "ok";
        for (const DriveInfo& d : ProbeAllDrives()) {
            found.append(" | ").append(Utf16ToUtf8(d.devicePath.view()));
            for (const std::u16string_view field :
                 {d.model.view(), d.serial.view(), HealthWord(d.health), d.errorText.view()}) {
                found.append(" ").append(Utf16ToUtf8(field));
                if (field.data() == d.serial.view().data()) {
                    found.append(" ").append(std::to_string(d.sizeBytes));
                }
            }
        }
        InstallDeviceAccess(before);
        return found;
    });
}

// Records the probe does not give: temperature 0, an unknown grade, one never graded (N/A, not
// GOOD), a long row name, texts in several scripts; with the line ends of standard output.
TEST(ReportTool, UnusualRecordsMatchTheGolden) {
    std::vector<DriveInfo> drives = {StartDriveRecord(3), StartDriveRecord(4)};
    drives[0].model.Set(u"Disque \u00E9t\u00E9 \u65E5\u672C \U0001F4BE");
    drives[0].temperatureC = 0;
    drives[0].health = 77;
    drives[0].errorText.Set(u"cannot open the drive (error 5): run as administrator");
    drives[0].attributes = {{0xBB, {}, 5, 255, 0, {1, 2, 3, 4, 5, 6}, 0, false, true, false}};
    drives[0].attributes[0].name.Set(u"A name that is longer than thirty-two units");
    drives[1].temperatureC = 66;
    // A sensor at 1 C, no life left, and a power-on count in minutes (not hours): the JSON gives
    // the first two and leaves the count out.
    drives.push_back(StartDriveRecord(5));
    drives[2].temperatureC = 1;
    drives[2].lifeRemaining = 0;
    drives[2].attributes = {
        {9, {}, 100, 100, 0, {0x45, 0x03, 0x04, 0, 0, 0}, 0, false, true, false}};
    const std::string json = ReportJson({drives[2]}, "");
    EXPECT_NE(json.find("\"temperature_c\": 1,"), std::string::npos);
    EXPECT_NE(json.find("\"life_remaining_percent\": 0,"), std::string::npos);
    EXPECT_NE(json.find("\"power_on_hours\": null,"), std::string::npos) << json;
    EXPECT_EQ(ReportExitStatus(drives), REPORT_EXIT_NO_DATA);
    std::string text = Utf16ToUtf8(ReportText(drives));
    for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) {
        text.erase(at, 1);
    }
    test::CheckGolden("report-unusual.txt", text + Utf16ToUtf8(ReportText({})));
}

// Only a full path of 260 characters or more takes the extended form, a share's with UNC; one
// in that form already, a device's or one that is not full stays as it is.
TEST(ReportFile, LongPathsInTheirExtendedForm) {
    const auto of = [](size_t length, std::u16string_view start) {
        return std::u16string(start) + std::u16string(length - start.size(), u'x');
    };
    const std::u16string shortest = of(260, u"C:\\d\\"), share = of(260, u"\\\\srv\\s\\");
    EXPECT_EQ(ExtendedLengthPath(of(259, u"C:\\d\\")), of(259, u"C:\\d\\"));
    EXPECT_EQ(ExtendedLengthPath(shortest), u"\\\\?\\" + shortest);
    EXPECT_EQ(ExtendedLengthPath(share), u"\\\\?\\UNC\\" + share.substr(2));
    for (const std::u16string_view start : {u"\\\\?\\C:\\", u"\\\\.\\pipe\\", u"d\\", u"C:d\\"}) {
        EXPECT_EQ(ExtendedLengthPath(of(300, start)), of(300, start));
    }
}

}  // namespace
}  // namespace corvanite
