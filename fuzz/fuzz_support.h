// Shared checks of the fuzz targets: a broken invariant prints what broke and aborts, so that
// libFuzzer records the input as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "drives/drive_info.h"
#include "report/text_report.h"
#include "text/fixed_text.h"
#include "text/utf.h"

namespace corvanite::fuzz {

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "corvanite fuzz: invariant broken: %s\n", what);
    std::abort();
}

inline void Check(bool holds, const char* what) {
    if (!holds) {
        Fail(what);
    }
}

inline uint32_t Read32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Little-endian UTF-16 units from raw bytes, any value (lone surrogates and NULs included).
inline std::u16string UnitsFromBytes(const uint8_t* bytes, size_t count) {
    std::u16string units;
    units.reserve(count / 2);
    for (size_t i = 0; i + 1 < count; i += 2) {
        units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return units;
}

// The terminator is in place, so the text ends inside its field.
template <size_t Capacity>
void CheckFits(const FixedText<Capacity>& text, const char* what) {
    Check(text.units[Capacity - 1] == 0, what);
    Check(text.size() <= Capacity - 1, what);
}

inline void CheckRecordFields(const DriveInfo& drive) {
    CheckFits(drive.devicePath, "devicePath beyond its capacity");
    CheckFits(drive.model, "model beyond its capacity");
    CheckFits(drive.serial, "serial beyond its capacity");
    CheckFits(drive.firmware, "firmware beyond its capacity");
    CheckFits(drive.busName, "busName beyond its capacity");
    CheckFits(drive.healthDetails, "healthDetails beyond its capacity");
    CheckFits(drive.errorText, "errorText beyond its capacity");
}

inline void CheckRows(const DriveInfo& drive) {
    for (const SmartAttribute& row : drive.attributes) {
        Check(row.id != 0, "a row with id 0");
        Check(!(row.failing && row.warning), "a row both failing and warning");
        Check(row.failing == (row.threshold != 0 && row.current <= row.threshold),
              "failing does not follow the threshold rule");
        CheckFits(row.name, "attribute name beyond its capacity");
        Check(!row.name.empty(), "attribute without a name");
    }
}

inline void CheckVerdict(const DriveInfo& drive) {
    if (!drive.smartAvailable) {
        Check(drive.health == HEALTH_UNKNOWN, "no data but a verdict");
        return;
    }
    bool anyFailing = false;
    bool anyWarning = false;
    for (const SmartAttribute& row : drive.attributes) {
        anyFailing = anyFailing || row.failing;
        anyWarning = anyWarning || row.warning;
    }
    Check(drive.health >= HEALTH_GOOD && drive.health <= HEALTH_CRIT, "verdict out of range");
    Check(!anyFailing || drive.health == HEALTH_CRIT, "failing row without CRIT");
    Check(!anyWarning || drive.health != HEALTH_GOOD, "warning row graded GOOD");
    Check(drive.health == HEALTH_GOOD || anyFailing || anyWarning || drive.temperatureC > 55,
          "WARN or CRIT without a reason");
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, nothing truncated.
inline bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        size_t length = 0;
        uint32_t cp = 0;
        uint32_t minimum = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            length = 2, cp = b & 0x1Fu, minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3, cp = b & 0x0Fu, minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4, cp = b & 0x07u, minimum = 0x10000;
        } else {
            return false;
        }
        if (i + length > bytes.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto c = static_cast<uint8_t>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (c & 0x3Fu);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

// The text as the report file must carry it: every unpaired surrogate replaced by U+FFFD.
inline std::u16string WithLoneSurrogatesReplaced(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        const bool high = u >= 0xD800 && u <= 0xDBFF;
        const bool low = u >= 0xDC00 && u <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out.push_back(u);
            out.push_back(text[i + 1]);
            ++i;
        } else if (high || low) {
            out.push_back(u'\uFFFD');
        } else {
            out.push_back(u);
        }
    }
    return out;
}

// The report of one drive: the title, one line per attribute row under the table heading with
// the row's id and status word, and the file bytes as strict UTF-8 of the same text.
inline void CheckReport(const DriveInfo& drive) {
    const std::vector<DriveInfo> drives = {drive};
    const std::u16string text = ReportText(drives);
    constexpr std::u16string_view title = u"Corvanite Report\r\n================\r\n\r\n";
    Check(text.substr(0, title.size()) == title, "report does not open with its title");
    Check(text.size() >= 2 && text.substr(text.size() - 2) == u"\r\n",
          "report does not end with CR LF");

    // The last heading is the table's: what follows comes from the rows only, never from the
    // drive's own texts.
    constexpr std::u16string_view heading =
        u"  ID   Name                          CUR  WST  THR  RAW VALUE         STATUS\r\n";
    const size_t headingAt = text.rfind(heading);
    Check(headingAt != std::u16string::npos, "report without the attribute heading");
    std::u16string_view rest = std::u16string_view(text).substr(headingAt + heading.size());
    for (const SmartAttribute& row : drive.attributes) {
        const size_t end = rest.find(u"\r\n");
        Check(end != std::u16string_view::npos, "fewer report lines than rows");
        const std::u16string_view line = rest.substr(0, end);
        constexpr char16_t hex[] = u"0123456789ABCDEF";
        Check(line.size() > 4 && line[0] == u' ' && line[1] == u' ' &&
                  line[2] == hex[row.id >> 4] && line[3] == hex[row.id & 15],
              "report row does not start with its id");
        const std::u16string_view word = AttributeStatusWord(row);
        Check(line.size() >= word.size() && line.substr(line.size() - word.size()) == word,
              "report row does not end with its status word");
        rest.remove_prefix(end + 2);
    }
    Check(rest == u"\r\n", "report lines after the last row");

    const std::string bytes = ReportFileBytes(drives);
    Check(bytes.substr(0, 3) == "\xEF\xBB\xBF", "report file without its byte-order mark");
    const std::string_view body = std::string_view(bytes).substr(3);
    Check(IsValidUtf8(body), "report file is not valid UTF-8");
    Check(Utf8ToUtf16(body) == WithLoneSurrogatesReplaced(text),
          "report file does not carry the report text");
}

// Puts arbitrary UTF-16 units into the record's texts, so that the report meets what a device
// may report: lone surrogates, control characters, texts cut at the field's end.
inline void SetTextsFromUnits(std::u16string_view units, DriveInfo& drive) {
    if (units.empty()) {
        return;
    }
    drive.model.Set(units);
    drive.serial.Set(units.substr(units.size() / 3));
    drive.firmware.Set(units.substr(units.size() / 2));
    drive.busName.Set(units.substr(units.size() * 2 / 3));
}

}  // namespace corvanite::fuzz
