#include "drives/health.h"

#include "drives/nvme_health.h"
#include "text/text_format.h"

namespace corvanite {

void AssessHealth(DriveInfo& drive) {
    if (!drive.smartAvailable) {
        drive.health = HEALTH_UNKNOWN;
        drive.healthDetails.Set(u"SMART data unavailable");
        return;
    }
    bool anyFailing = false;
    bool anyWarning = false;
    for (const SmartAttribute& row : drive.attributes) {
        anyFailing = anyFailing || row.failing;
        anyWarning = anyWarning || row.warning;
    }
    if (drive.temperatureC > TEMPERATURE_CRITICAL_ABOVE || anyFailing) {
        drive.health = HEALTH_CRIT;
        drive.healthDetails.Set(u"CRITICAL -- Drive failure imminent");
    } else if (drive.temperatureC > TEMPERATURE_WARNING_ABOVE || anyWarning) {
        drive.health = HEALTH_WARN;
        drive.healthDetails.Set(u"WARNING -- Monitor this drive closely");
    } else {
        drive.health = HEALTH_GOOD;
        drive.healthDetails.Set(u"GOOD -- No issues detected");
    }
}

namespace {

constexpr uint8_t POWER_ON_ID = 9;

// "0A Spin Retry Count: " as the table shows the row.
std::u16string RowLead(const SmartAttribute& row) {
    std::u16string text;
    AppendHex(text, row.id, 2);
    text.append(u" ").append(row.name.view()).append(u": ");
    return text;
}

std::u16string Value(uint64_t value) {
    std::u16string text;
    AppendUnsigned(text, value);
    return text;
}

void AddRowReasons(const DriveInfo& drive, const SmartAttribute& row, ReasonKind kind,
                   std::vector<GradeReason>& out) {
    const std::u16string lead = RowLead(row);
    switch (row.cause) {
        case CAUSE_WARNING_BITS:
            for (const CriticalWarningBit& bit : CRITICAL_WARNING_BITS) {
                if ((drive.nvmeCriticalWarning & bit.mask) != 0) {
                    out.push_back(
                        {kind, row.id, u"NVMe critical warning: " + std::u16string(bit.text)});
                }
            }
            return;
        case CAUSE_RAW_NOT_ZERO:
            out.push_back({kind, row.id, lead + Value(AttributeRawValue(row)) + u", should be 0"});
            return;
        case CAUSE_HOT:
            out.push_back(
                {kind, row.id,
                 lead + Value(row.raw[0]) + u" C, above " + Value(HOT_RAW_TEMPERATURE) + u" C"});
            return;
        case CAUSE_NEAR_THRESHOLD:
            out.push_back({kind, row.id,
                           lead + Value(row.current) + u", within " + Value(NEAR_THRESHOLD_MARGIN) +
                               u" of its threshold " + Value(row.threshold)});
            return;
        default:
            out.push_back({kind, row.id,
                           lead + Value(row.current) + u", at or below its threshold " +
                               Value(row.threshold)});
            return;
    }
}

void AddTemperature(const DriveInfo& drive, ReasonKind kind, int32_t limit,
                    std::vector<GradeReason>& out) {
    out.push_back({kind, -1,
                   u"Temperature " + Value(static_cast<uint64_t>(drive.temperatureC)) +
                       u" C, above " + Value(static_cast<uint64_t>(limit)) + u" C"});
}

}  // namespace

std::vector<GradeReason> GradeReasons(const DriveInfo& drive) {
    std::vector<GradeReason> out;
    if (!drive.smartAvailable) {
        return out;
    }
    if (drive.temperatureC > TEMPERATURE_CRITICAL_ABOVE) {
        AddTemperature(drive, REASON_CRITICAL, TEMPERATURE_CRITICAL_ABOVE, out);
    }
    for (const SmartAttribute& row : drive.attributes) {
        if (row.failing) {
            AddRowReasons(drive, row, REASON_CRITICAL, out);
        }
    }
    if (drive.temperatureC > TEMPERATURE_WARNING_ABOVE &&
        drive.temperatureC <= TEMPERATURE_CRITICAL_ABOVE) {
        AddTemperature(drive, REASON_WARNING, TEMPERATURE_WARNING_ABOVE, out);
    }
    for (const SmartAttribute& row : drive.attributes) {
        if (row.warning) {
            AddRowReasons(drive, row, REASON_WARNING, out);
        }
    }
    for (const SmartAttribute& row : drive.attributes) {
        if (!row.failing && row.worst != 0 && FailsThreshold(row.worst, row.threshold)) {
            out.push_back({REASON_FAILED_IN_THE_PAST, row.id,
                           RowLead(row) + u"worst value " + Value(row.worst) +
                               u" reached its threshold " + Value(row.threshold) +
                               u": failed in the past"});
        }
    }
    return out;
}

PowerOnTime DrivePowerOnTime(const DriveInfo& drive) {
    for (const SmartAttribute& row : drive.attributes) {
        if (row.id == POWER_ON_ID) {
            const uint64_t count = AttributeRawValue(row) & 0xFFFFFFFFu;
            return PowerOnTime{true, count <= MOST_POWER_ON_HOURS, count};
        }
    }
    return PowerOnTime{};
}

std::u16string PowerOnText(const PowerOnTime& on) {
    std::u16string text;
    AppendUnsigned(text, on.value);
    if (!on.hours) {
        return text + u" (the drive's own count; too large for hours)";
    }
    text += u" hours (";
    if (on.value < 2 * 8766) {
        AppendUnsigned(text, on.value / 24);
        return text + u" days)";
    }
    const uint64_t tenths = on.value * 10 / 8766;
    AppendUnsigned(text, tenths / 10);
    text += u'.';
    AppendUnsigned(text, tenths % 10);
    return text + u" years)";
}

}  // namespace corvanite
