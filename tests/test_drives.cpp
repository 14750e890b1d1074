// The drive record and the requests' byte layouts: real drives' pages against their independent
// decoding, then the tables under tests/data/cases, one runner per kind of row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <span>

#include "drives/ata_passthrough.h"
#include "drives/ata_smart.h"
#include "drives/device_error.h"
#include "drives/health.h"
#include "drives/identity.h"
#include "drives/linux_layout.h"
#include "drives/nvme_health.h"
#include "drives/win32_layout.h"
#include "test_data.h"
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
    for (const auto u : units) {
        char h[8];
        using Unsigned = std::make_unsigned_t<std::remove_cvref_t<decltype(u)>>;
        std::snprintf(h, sizeof h, "%0*X%s", static_cast<int>(2 * sizeof u), unsigned{Unsigned(u)},
                      sep);
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

std::string Graded(bool parsed, DriveInfo& d) {
    AssessHealth(d);
    std::string out = (parsed ? "read " : "none ") + U8(SourceLabel(d.smartSource)) + " t" +
                      std::to_string(d.temperatureC) + " life" + std::to_string(d.lifeRemaining) +
                      " " + U8(HealthWord(d.health));
    for (const SmartAttribute& a : d.attributes) {
        out += " " + std::to_string(a.id) + ":" + std::to_string(a.current) + "/" +
               std::to_string(a.threshold) + "/" + std::to_string(AttributeRawValue(a)) + "/" +
               U8(AttributeStatusWord(a));
    }
    return out;
}

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

std::string Page(bool ok, const uint8_t (&page)[512]) {
    return (ok ? "page " : "refused ") + Hex(std::span(page, 4)) + Hex(std::span(page + 166, 4)) +
           Hex(std::span(page + 508, 4));
}

// A driver answering the NVMe health log query at the levels the row names (49: the adapter,
// 50: the device), with the log after a 48-byte descriptor.
std::string answering, sent;
bool Driver(DriveHandle, const uint8_t* query, size_t querySize, uint8_t* reply, size_t size) {
    sent += std::to_string(query[0]) + "/" + std::to_string(querySize) + " ";
    const bool ok = answering.find(std::to_string(query[0])) != std::string::npos && size >= 560;
    if (ok) {
        reply[24] = 40;  // ProtocolDataOffset
        reply[48 + 167] = 0x99;
    }
    return ok;
}

// One row of a table, by its first word.
std::string RunRow(const Row& r) {
    const std::string& k = r.w.at(0);
    uint8_t page[512];
    std::fill_n(page, 512, 0xEE);
    DriveInfo d = StartDriveRecord(0);
    d.attributes.resize(3);  // an earlier list is replaced
    std::string out;
    if (k == "ata") {  // id/current/threshold/raw ... ("nothr": no thresholds page)
        const test::Page data = test::AtaPage(r.input, false), thr = test::AtaPage(r.input, true);
        const bool noThresholds = r.input.find("nothr") != std::string::npos;
        out = Graded(ParseSmartPages(data.data(), noThresholds ? nullptr : thr.data(), d), d);
    } else if (k == "nvme") {
        out = Graded(ParseNvmeHealthLog(test::PageOf(r.input).data(), d), d);
    } else if (k == "identity") {  // bus|vendor|product|serial|revision
        const std::vector<std::string> f = test::Words(r.input.substr(9) + "||||", '|');
        out = Identity({Utf8ToUtf16(f[1]), Utf8ToUtf16(f[2]), Utf8ToUtf16(f[3]), Utf8ToUtf16(f[4]),
                        static_cast<uint32_t>(std::stoul(f[0], nullptr, 0))});
    } else if (k == "identify") {  // a real drive's page
        test::Page bytes = test::RealPage(r.w.at(1), "identify");
        auto& identify = *reinterpret_cast<uint8_t(*)[512]>(bytes.data());
        DriveIdentity identity{u"stale", {}, {}, {}};
        ata::IdentityFromIdentifyPage(identify, identity);
        const bool intact = ata::IdentifyPageIntact(identify);
        identify[100] ^= 1;  // every capture carries the checksum signature
        identity.busType = BUS_SATA;
        out = Identity(identity) + "|" + U8(identity.vendor) +
              (intact && !ata::IdentifyPageIntact(identify) ? "" : "|checksum not checked");
    } else if (k == "capacity") {
        out = U8(FormatCapacity(r.n<uint64_t>(1)));
    } else if (k == "failure") {
        out = U8(DeviceFailureText(r.n<int32_t>(1), r.n<int32_t>(2), r.n<int32_t>(3)));
    } else if (k == "skipped") {
        out = U8(SkippedDrivesText({r.n<int32_t>(1), r.n<uint32_t>(2)}, r.n<int32_t>(3)));
    } else if (k == "words") {
        const auto v = r.n<int32_t>(1);
        out = U8(HealthWord(v)) + " " + U8(MediaWord(v)) + " " + U8(SourceLabel(v));
    } else if (k == "names") {
        for (int id = 1; id < 256; ++id) {
            const std::u16string_view name = SmartAttributeName(static_cast<uint8_t>(id));
            out += name == u"Unknown Attribute" ? "" : std::to_string(id) + "=" + U8(name) + ";";
        }
    } else if (k == "warning") {
        out = U8(CriticalWarningText(r.n<int>(1)));
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
    } else if (k == "health-log") {
        answering = r.input;
        sent.clear();
        out = QueryNvmeHealthLog(Driver, 0, page) ? sent + "page " + Hex(std::span(page + 167, 1))
                                                  : sent + "refused";
    } else if (k == "descriptor-query") {
        out = Hex(DescriptorQuery());
    } else if (k == "smart-command") {
        out = Hex(SmartCommand(r.n<int>(1), r.n<uint8_t>(2)));
    } else if (k == "nvme-query") {
        out = Hex(r.w[1] == "identify" ? NvmeIdentifyControllerQuery()
                                       : NvmeHealthQuery(r.n<uint32_t>(1)));
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
    } else if (k == "geometry") {
        out = std::to_string(GeometryDiskSize(r.Fixed<GEOMETRY_REPLY_SIZE>()));
    } else if (k == "smart-reply") {
        out = Page(SmartReplyPage(r.Fixed<SMART_PAGE_REPLY_SIZE>(), page), page);
    } else if (k == "nvme-reply") {
        out = Page(LocateNvmeLogPage(r.Fixed<NVME_REPLY_SIZE>(), page), page);
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
    } else if (k == "vpd") {  // LENGTH TOKENS
        out = "[" + std::string(UnitSerialFromVpd(r.Fixed<64>(), r.n(1))) + "]";
    } else if (k == "dword10") {
        out = std::to_string(NvmeGetLogPageDword10(r.n<uint8_t>(1), r.n<uint32_t>(2)));
    }
    return out;
}

TEST(Drives, RealDrivesMatchTheirIndependentDecoding) {
    for (const std::string& name : test::REAL_DRIVES) {
        SCOPED_TRACE(name);
        const test::Page data = test::RealPage(name, "data");
        const test::Page thresholds = test::RealPage(name, "thresholds");
        DriveInfo d = StartDriveRecord(0);
        ASSERT_TRUE(ParseSmartPages(data.data(), thresholds.data(), d));
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
        EXPECT_EQ(got + "\n", test::ReadTestText("ata-smart/" + name + ".expected.txt"));
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

}  // namespace
}  // namespace corvanite
