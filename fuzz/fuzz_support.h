// Checks shared by the fuzz targets: a broken invariant prints what broke and aborts, so that
// libFuzzer keeps the input as a crash.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "drives/byte_order.h"
#include "drives/health.h"
#include "report/text_report.h"
#include "text/utf.h"

namespace corvanite::fuzz {

inline void Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "corvanite fuzz: invariant broken: %s\n", what);
        std::abort();
    }
}

// The input's bytes from `from` in a heap block of exactly `exact` bytes (zeros past the
// input's end), so that ASan sees a read past the block.
inline std::unique_ptr<uint8_t[]> HeapCopy(const uint8_t* data, size_t size, size_t from,
                                           size_t exact) {
    std::unique_ptr<uint8_t[]> block(new uint8_t[exact == 0 ? 1 : exact]());
    if (size > from) {
        std::memcpy(block.get(), data + from, std::min(size - from, exact));
    }
    return block;
}

template <size_t Capacity>
bool Fits(const FixedText<Capacity>& text) {
    return text.units[Capacity - 1] == 0 && text.size() < Capacity;
}

// Texts end inside their fields; rows have an id and a name, fail by the threshold rule and are
// never both failing and warning.
inline void CheckRecord(const DriveInfo& d) {
    Check(Fits(d.devicePath) && Fits(d.model) && Fits(d.serial) && Fits(d.firmware) &&
              Fits(d.busName) && Fits(d.healthDetails) && Fits(d.errorText),
          "a text beyond its field");
    for (const SmartAttribute& row : d.attributes) {
        Check(row.id != 0 && !row.name.empty() && Fits(row.name), "a row without id or name");
        Check(!(row.failing && row.warning), "a row both failing and warning");
        Check(row.failing == (row.threshold != 0 && row.current <= row.threshold),
              "failing does not follow the threshold rule");
    }
}

// Grades the record, puts the input's remaining bytes (little-endian UTF-16 units, lone
// surrogates and NULs included) into its texts, and checks the verdict against the rows and the
// report: its heading there, its file well-formed UTF-8 of its text.
inline void CheckGradeAndReport(DriveInfo& drive, const uint8_t* bytes, size_t count) {
    AssessHealth(drive);
    bool failing = false, warning = false;
    for (const SmartAttribute& row : drive.attributes) {
        failing = failing || row.failing;
        warning = warning || row.warning;
    }
    Check(drive.smartAvailable
              ? (failing   ? drive.health == HEALTH_CRIT
                 : warning ? drive.health != HEALTH_GOOD
                           : drive.health != HEALTH_CRIT || drive.temperatureC > 65)
              : drive.health == HEALTH_UNKNOWN,
          "verdict does not follow the rows");
    std::u16string units;
    for (size_t i = 0; i + 1 < count; i += 2) {
        units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    drive.model.Set(units);
    drive.serial.Set(units.substr(units.size() / 3));
    drive.firmware.Set(units.substr(units.size() / 2));
    CheckRecord(drive);
    const std::u16string text = ReportText({drive});
    Check(text.rfind(u"STATUS\r\n") != std::u16string::npos, "no attribute heading");
    const std::string body = ReportFileBytes({drive}).substr(3);
    Check(Utf16ToUtf8(Utf8ToUtf16(body)) == body && Utf8ToUtf16(body).size() == text.size(),
          "report file is not well-formed UTF-8 of the report");
}

}  // namespace corvanite::fuzz
