#include "report/json_report.h"

#include <charconv>
#include <utility>

#include "drives/health.h"
#include "drives/nvme_health.h"
#include "report/exit_status.h"
#include "text/utf.h"

namespace corvanite {
namespace {

// One member of an object: its key and its value, already written as JSON.
using Member = std::pair<std::string_view, std::string>;

constexpr std::string_view NULL_VALUE = "null";

// A JSON string: the text in UTF-8 (a lone surrogate becomes U+FFFD), with quotes, backslashes
// and control characters escaped.
std::string String(std::u16string_view text) {
    const std::string utf8 = Utf16ToUtf8(text);
    std::string out;
    out.push_back('"');
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte < 0x20) {
            constexpr char HEX[] = "0123456789abcdef";
            out.append("\\u00");
            out.push_back(HEX[byte >> 4]);
            out.push_back(HEX[byte & 0x0F]);
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
    return out;
}

// An empty text is a value the drive did not give.
std::string TextOrNull(std::u16string_view text) {
    return text.empty() ? std::string(NULL_VALUE) : String(text);
}

template <typename Integer>
std::string Number(Integer value) {
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, end.ptr);
}

std::string Bool(bool value) {
    return value ? "true" : "false";
}

// Twelve upper-case hexadecimal digits: the 48-bit raw value.
std::string RawHex(uint64_t raw) {
    constexpr char HEX[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (int shift = 44; shift >= 0; shift -= 4) {
        out.push_back(HEX[(raw >> shift) & 0x0F]);
    }
    out.push_back('"');
    return out;
}

void Indent(std::string& out, int depth) {
    out.append(static_cast<size_t>(depth) * 2, ' ');
}

// An object over several lines; its closing brace at the indentation of depth.
std::string Object(const std::vector<Member>& members, int depth) {
    std::string out = "{\n";
    for (size_t i = 0; i < members.size(); ++i) {
        Indent(out, depth + 1);
        out.append("\"").append(members[i].first).append("\": ").append(members[i].second);
        out.append(i + 1 < members.size() ? ",\n" : "\n");
    }
    Indent(out, depth);
    out.push_back('}');
    return out;
}

// An object on one line.
std::string InlineObject(const std::vector<Member>& members) {
    std::string out = "{";
    for (size_t i = 0; i < members.size(); ++i) {
        out.append(i == 0 ? "\"" : ", \"").append(members[i].first).append("\": ");
        out.append(members[i].second);
    }
    out.push_back('}');
    return out;
}

std::string Array(const std::vector<std::string>& items, int depth) {
    if (items.empty()) {
        return "[]";
    }
    std::string out = "[\n";
    for (size_t i = 0; i < items.size(); ++i) {
        Indent(out, depth + 1);
        out.append(items[i]).append(i + 1 < items.size() ? ",\n" : "\n");
    }
    Indent(out, depth);
    out.push_back(']');
    return out;
}

std::string Attribute(const SmartAttribute& row, bool fromAta) {
    const auto valueOrNull = [](uint8_t value) {
        return value != 0 ? Number(value) : std::string(NULL_VALUE);
    };
    const uint64_t raw = AttributeRawValue(row);
    return InlineObject({
        {"id", Number(row.id)},
        {"name", String(row.name)},
        {"current", valueOrNull(row.current)},
        {"worst", valueOrNull(row.worst)},
        {"threshold", Number(row.threshold)},
        {"raw", Number(raw)},
        {"raw_hex", RawHex(raw)},
        {"flags", fromAta ? Number(row.flags) : std::string(NULL_VALUE)},
        {"pre_failure", fromAta ? Bool(row.preFailure) : std::string(NULL_VALUE)},
        {"status", String(AttributeStatusWord(row))},
    });
}

std::string NvmeFigures(const DriveInfo& drive, int depth) {
    std::vector<Member> bits;
    for (const CriticalWarningBit& bit : CRITICAL_WARNING_BITS) {
        bits.emplace_back(bit.jsonKey, Bool((drive.nvmeCriticalWarning & bit.mask) != 0));
    }
    return Object(
        {
            {"available_spare_percent", Number(drive.nvmeAvailableSpare)},
            {"available_spare_threshold_percent", Number(drive.nvmeSpareThreshold)},
            {"percent_used", Number(drive.nvmePercentageUsed)},
            {"critical_warning", Number(drive.nvmeCriticalWarning)},
            {"critical_warning_bits", InlineObject(bits)},
        },
        depth);
}

std::string Reasons(const DriveInfo& drive, int depth) {
    std::vector<std::string> items;
    for (const GradeReason& reason : GradeReasons(drive)) {
        items.push_back(InlineObject({
            {"kind", reason.kind == REASON_CRITICAL  ? "\"critical\""
                     : reason.kind == REASON_WARNING ? "\"warning\""
                                                     : "\"failed_in_the_past\""},
            {"attribute_id",
             reason.attributeId >= 0 ? Number(reason.attributeId) : std::string(NULL_VALUE)},
            {"text", String(reason.text)},
        }));
    }
    return Array(items, depth);
}

// What the drive tells of its self-test, and its log newest first.
std::string SelfTest(const SelfTestState& state, int depth) {
    const auto minutes = [](int32_t value) {
        return value > 0 ? Number(value) : std::string(NULL_VALUE);
    };
    std::vector<std::string> log;
    for (const SelfTestLogEntry& entry : state.log) {
        log.push_back(InlineObject({
            {"test", String(SelfTestKindWord(entry.kind))},
            {"code", Number(entry.code)},
            {"result", entry.outcome == SELF_TEST_PASSED    ? "\"passed\""
                       : entry.outcome == SELF_TEST_FAILED  ? "\"failed\""
                       : entry.outcome == SELF_TEST_ABORTED ? "\"aborted\""
                                                            : "\"running\""},
            {"status", String(SelfTestStatusWords(entry, state.nvme))},
            {"power_on_hours", Number(entry.powerOnHours)},
            {"segment",
             entry.segment > 0 && state.nvme ? Number(entry.segment) : std::string(NULL_VALUE)},
            {"failing_lba", entry.lbaValid ? Number(entry.failingLba) : std::string(NULL_VALUE)},
        }));
    }
    return Object(
        {
            {"supported", Bool(state.supported)},
            {"unsupported_reason",
             state.supported ? std::string(NULL_VALUE) : String(state.unsupported)},
            {"running", Bool(state.running)},
            {"percent_done", state.running ? Number(state.percentDone) : std::string(NULL_VALUE)},
            {"short_minutes", minutes(state.shortMinutes)},
            {"extended_minutes", minutes(state.extendedMinutes)},
            {"log_read", Bool(state.logRead)},
            {"log", Array(log, depth + 1)},
        },
        depth);
}

std::string Drive(const DriveInfo& drive, int depth) {
    const bool hasData = drive.smartAvailable;
    const bool fromAta = hasData && drive.smartSource == SOURCE_ATA;
    const bool fromNvme = hasData && drive.smartSource == SOURCE_NVME;
    const PowerOnTime powerOn = DrivePowerOnTime(drive);
    std::vector<std::string> attributes;
    for (const SmartAttribute& row : drive.attributes) {
        attributes.push_back(Attribute(row, !fromNvme));
    }
    return Object(
        {
            {"number", Number(drive.driveNumber)},
            {"device_path", TextOrNull(drive.devicePath)},
            {"model", TextOrNull(drive.model)},
            {"serial", TextOrNull(drive.serial)},
            {"firmware", TextOrNull(drive.firmware)},
            {"bus", TextOrNull(drive.busName)},
            {"media", String(MediaWord(drive.mediaType))},
            {"size_bytes",
             drive.sizeBytes != 0 ? Number(drive.sizeBytes) : std::string(NULL_VALUE)},
            {"health", String(HealthWord(drive.health))},
            {"health_exit_status", Number(HealthExitStatus(drive.health))},
            {"health_details", String(drive.healthDetails)},
            {"error_text", hasData ? std::string(NULL_VALUE) : TextOrNull(drive.errorText)},
            {"access", drive.access == ACCESS_LIMITED ? "\"limited\""
                       : drive.access == ACCESS_NONE  ? "\"none\""
                                                      : "\"full\""},
            {"data_source", fromAta    ? "\"ata\""
                            : fromNvme ? "\"nvme\""
                                       : "\"none\""},
            {"temperature_c",
             drive.temperatureC >= 0 ? Number(drive.temperatureC) : std::string(NULL_VALUE)},
            {"life_remaining_percent",
             drive.lifeRemaining >= 0 ? Number(drive.lifeRemaining) : std::string(NULL_VALUE)},
            {"grade_reasons", Reasons(drive, depth + 1)},
            {"power_on_hours",
             powerOn.known && powerOn.hours ? Number(powerOn.value) : std::string(NULL_VALUE)},
            {"nvme", fromNvme ? NvmeFigures(drive, depth + 1) : std::string(NULL_VALUE)},
            {"attributes", Array(attributes, depth + 1)},
            {"self_test", SelfTest(drive.selfTest, depth + 1)},
        },
        depth);
}

}  // namespace

std::string ReportJson(const std::vector<DriveInfo>& drives, std::string_view programVersion) {
    std::vector<std::string> items;
    for (const DriveInfo& drive : drives) {
        items.push_back(Drive(drive, 2));
    }
    std::string out = Object(
        {
            {"format_version", Number(REPORT_JSON_FORMAT_VERSION)},
            {"program", "\"corvanite-report\""},
            {"program_version", String(Utf8ToUtf16(programVersion))},
            {"drives", Array(items, 1)},
        },
        0);
    out.push_back('\n');
    return out;
}

}  // namespace corvanite
