// The drive's overall verdict from its graded rows and its temperature.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drives/drive_info.h"

namespace corvanite {

// A row with a threshold (not 0) fails at or below it.
constexpr bool FailsThreshold(uint8_t current, uint8_t threshold) {
    return threshold != 0 && current <= threshold;
}

// A row within this many points above its threshold is near it.
constexpr uint8_t NEAR_THRESHOLD_MARGIN = 10;

// current below threshold + NEAR_THRESHOLD_MARGIN, the sum taken modulo 256 as the drives'
// 8-bit values hold it.
constexpr bool NearThreshold(uint8_t current, uint8_t threshold) {
    return current < static_cast<uint8_t>(threshold + NEAR_THRESHOLD_MARGIN);
}

// A temperature attribute whose raw degrees (its low byte) are above this warns.
constexpr uint8_t HOT_RAW_TEMPERATURE = 65;

// Temperatures above these limits (whole degrees Celsius) are critical or a warning.
constexpr int32_t TEMPERATURE_CRITICAL_ABOVE = 65;
constexpr int32_t TEMPERATURE_WARNING_ABOVE = 55;

// Sets health and healthDetails: N/A without data; CRIT for a failing row or above 65 C;
// WARN for a warning row or above 55 C; otherwise GOOD.
void AssessHealth(DriveInfo& drive);

// One condition behind a drive's grade, in words: what it is (an attribute's id and name with its
// value and limit, the temperature, an NVMe warning bit) and what it makes of the grade. A row
// whose worst value once reached its threshold, now above it, is named as failed in the past; it
// does not lower the grade (the drive recovered or reallocated), but a technician should know.
enum ReasonKind : uint8_t { REASON_CRITICAL, REASON_WARNING, REASON_FAILED_IN_THE_PAST };
struct GradeReason {
    ReasonKind kind;
    int32_t attributeId;  // -1 for the drive's temperature
    std::u16string text;
};

// The reasons in that order: critical ones, then warnings, then rows failed in the past, each in
// table order. None for a drive without data or a GOOD one without a past failure.
std::vector<GradeReason> GradeReasons(const DriveInfo& drive);

// Attribute 9 (power-on time): its low 32 bits (drives keep other counts in the top bytes), read
// as hours unless that is more than any drive has run (30 years), as with drives that count
// minutes or seconds there; then it is only the drive's own count. NVMe drives report hours.
struct PowerOnTime {
    bool known = false;  // the drive has the row
    bool hours = false;  // value is in hours; otherwise a count of the drive's own unit
    uint64_t value = 0;
};
constexpr uint64_t MOST_POWER_ON_HOURS = 30 * 8766;
PowerOnTime DrivePowerOnTime(const DriveInfo& drive);

// "7326 hours (305 days)" below two years, "52013 hours (5.9 years)" from two years (8766 hours a
// year, tenths cut), or the bare count with a word that it cannot be hours.
std::u16string PowerOnText(const PowerOnTime& on);

}  // namespace corvanite
