// The drive record's rules: real drives' pages against their independent decoding, then tables
// of cases under tests/data/cases for what real pages seldom show.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "drives/ata_passthrough.h"
#include "drives/ata_smart.h"
#include "drives/device_error.h"
#include "drives/health.h"
#include "drives/identity.h"
#include "drives/nvme_health.h"
#include "test_data.h"
#include "text/utf.h"

namespace corvanite {
namespace {

std::string U8(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

TEST(Drives, RealDrivesMatchTheirIndependentDecoding) {
    for (const char* name : test::REAL_DRIVES) {
        SCOPED_TRACE(name);
        const test::Page data = test::RealPage(name, "data");
        const test::Page thresholds = test::RealPage(name, "thresholds");
        DriveInfo d = StartDriveRecord(0);
        ASSERT_TRUE(ParseSmartPages(data.data(), thresholds.data(), d));
        AssessHealth(d);
        // Rows "ID CUR WORST THR RAW48 FLAGS GRADE", then "TEMP t" and "VERDICT word".
        std::ostringstream got;
        for (const SmartAttribute& a : d.attributes) {
            got << int(a.id) << ' ' << int(a.current) << ' ' << int(a.worst) << ' '
                << int(a.threshold) << ' ' << AttributeRawValue(a) << " 0x" << std::hex
                << std::uppercase << std::setw(4) << std::setfill('0') << a.flags << std::dec << ' '
                << (a.failing   ? "FAIL"
                    : a.warning ? "WARN"
                                : "OK")
                << '\n';
            EXPECT_EQ(a.preFailure, (a.flags & 1) != 0);
        }
        got << "TEMP " << d.temperatureC << "\nVERDICT " << U8(HealthWord(d.health)) << '\n';
        EXPECT_EQ(got.str(),
                  test::ReadTestText(std::string("ata-smart/") + name + ".expected.txt"));
    }
    // IDENTIFY DEVICE of the same drives: model, serial, firmware as the peer skdump reads them.
    test::CheckTable("cases/identify.txt", [](const std::string& name) {
        test::Page page = test::RealPage(name, "identify");
        auto& bytes = *reinterpret_cast<uint8_t(*)[512]>(page.data());
        DriveIdentity identity;
        identity.vendor = u"stale";
        ata::IdentityFromIdentifyPage(bytes, identity);
        const bool intact = ata::IdentifyPageIntact(bytes);
        bytes[100] ^= 1;  // every capture carries the checksum signature
        identity.busType = BUS_SATA;
        DriveInfo d = StartDriveRecord(0);
        ApplyDriveIdentity(identity, d);
        return U8(d.model.view()) + "|" + U8(d.serial.view()) + "|" + U8(d.firmware.view()) + "|" +
               U8(MediaWord(d.mediaType)) + "|" + U8(identity.vendor) +
               (intact && !ata::IdentifyPageIntact(bytes) ? "" : "|checksum not checked");
    });
}

// "ata id/current/threshold/raw..." ("nothr": no thresholds page) or "nvme BYTES" (a log page
// by test::Bytes tokens): parsed, temperature, life, verdict, and each row.
TEST(Drives, PageCases) {
    test::CheckTable("cases/pages.txt", [](const std::string& input) {
        DriveInfo d = StartDriveRecord(0);
        d.attributes.resize(3);  // an earlier list is replaced
        bool parsed = false;
        if (input.rfind("ata ", 0) == 0) {
            const test::Page data = test::AtaPage(input, false);
            const test::Page thr = test::AtaPage(input, true);
            const bool noThresholds = input.find("nothr") != std::string::npos;
            parsed = ParseSmartPages(data.data(), noThresholds ? nullptr : thr.data(), d);
        } else {
            parsed = ParseNvmeHealthLog(test::PageOf(input.substr(5)).data(), d);
        }
        AssessHealth(d);
        std::ostringstream out;
        out << (parsed ? "read" : "none") << ' ' << U8(SourceLabel(d.smartSource)) << " t"
            << d.temperatureC << " life" << d.lifeRemaining << ' ' << U8(HealthWord(d.health));
        for (const SmartAttribute& a : d.attributes) {
            out << ' ' << int(a.id) << ':' << int(a.current) << '/' << int(a.threshold) << '/'
                << AttributeRawValue(a) << '/' << U8(AttributeStatusWord(a));
        }
        return out.str();
    });
}

// "bus|vendor|product|serial|revision": model|serial|firmware|bus word|media class.
TEST(Drives, IdentityCases) {
    test::CheckTable("cases/identity.txt", [](const std::string& input) {
        const std::vector<std::string> f = test::Words(input + "|", '|');
        DriveIdentity id;
        id.busType = static_cast<uint32_t>(std::stoul(f.at(0), nullptr, 0));
        std::u16string* texts[] = {&id.vendor, &id.product, &id.serial, &id.revision};
        for (size_t i = 0; i < 4; ++i) {
            *texts[i] = Utf8ToUtf16(f.size() > i + 1 ? f[i + 1] : "");
        }
        DriveInfo d = StartDriveRecord(0);
        ApplyDriveIdentity(id, d);
        return U8(d.model.view()) + "|" + U8(d.serial.view()) + "|" + U8(d.firmware.view()) + "|" +
               U8(d.busName.view()) + "|" + U8(MediaWord(d.mediaType));
    });
}

// Words the record and the report use: capacities, failures, names, UTF conversions, fields;
// then every scalar value of the first plane, and two beyond it, through UTF-8 and back.
TEST(Drives, TextCases) {
    test::CheckTable("cases/texts.txt", [](const std::string& input) {
        const std::vector<std::string> w = test::Words(input);
        const auto n = [&](size_t i) { return std::stoll(w.at(i), nullptr, 0); };
        std::string out;
        if (w[0] == "capacity") {
            out = U8(FormatCapacity(static_cast<uint64_t>(std::stoull(w[1], nullptr, 0))));
        } else if (w[0] == "failure") {
            out = U8(DeviceFailureText(static_cast<DeviceRequest>(n(1)), static_cast<int32_t>(n(2)),
                                       static_cast<SystemErrorKind>(n(3))));
        } else if (w[0] == "skipped") {
            out = U8(SkippedDrivesText({static_cast<int32_t>(n(1)), static_cast<uint32_t>(n(2))},
                                       static_cast<SystemErrorKind>(n(3))));
        } else if (w[0] == "words") {
            const auto v = static_cast<int32_t>(n(1));
            out = U8(HealthWord(v)) + " " + U8(MediaWord(v)) + " " + U8(SourceLabel(v));
        } else if (w[0] == "names") {
            for (int id = 1; id < 256; ++id) {
                const std::u16string_view name = SmartAttributeName(static_cast<uint8_t>(id));
                out +=
                    name == u"Unknown Attribute" ? "" : std::to_string(id) + "=" + U8(name) + ";";
            }
        } else if (w[0] == "warning") {
            out = U8(CriticalWarningText(static_cast<int>(n(1))));
        } else if (w[0] == "utf16" || w[0] == "utf8") {  // hex units, converted, in hex
            std::u16string units;
            std::string bytes;
            for (size_t i = 1; i < w.size(); ++i) {
                units.push_back(static_cast<char16_t>(std::stoul(w[i], nullptr, 16)));
                bytes.push_back(static_cast<char>(units.back()));
            }
            char hex[8];
            for (const char16_t u : w[0] == "utf8" ? Utf8ToUtf16(bytes) : u"") {
                std::snprintf(hex, sizeof hex, "%04X ", unsigned{u});
                out += hex;
            }
            for (const char c : w[0] == "utf16" ? Utf16ToUtf8(units) : "") {
                std::snprintf(hex, sizeof hex, "%02X ", unsigned{static_cast<uint8_t>(c)});
                out += hex;
            }
        } else if (w[0] == "firmware") {  // cut to the field, never inside a surrogate pair
            DriveInfo d;
            d.firmware.Set(Utf8ToUtf16(input.substr(9)));
            out = U8(d.firmware.view()) + (d.busName.empty() ? "" : " bus touched");
        }
        return out;
    });
    std::u16string all;
    for (char32_t c = 1; c < 0x10000; ++c) {
        all.push_back(c < 0xD800 || c > 0xDFFF ? static_cast<char16_t>(c) : u'x');
    }
    all += u"\U00010000\U0010FFFF";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(all)), all);
}

}  // namespace
}  // namespace corvanite
