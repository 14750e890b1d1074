// The drive's overall verdict from its graded rows and its temperature.
#pragma once

#include <cstdint>

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

// Temperatures above these limits (whole degrees Celsius) are critical or a warning.
constexpr int32_t TEMPERATURE_CRITICAL_ABOVE = 65;
constexpr int32_t TEMPERATURE_WARNING_ABOVE = 55;

// Sets health and healthDetails: N/A without data; CRIT for a failing row or above 65 C;
// WARN for a warning row or above 55 C; otherwise GOOD.
void AssessHealth(DriveInfo& drive);

}  // namespace corvanite
