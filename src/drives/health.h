// The drive's overall verdict from its graded rows and its temperature.
#pragma once

#include "drives/drive_info.h"

namespace corvanite {

// Temperatures above these limits (whole degrees Celsius) are critical or a warning.
constexpr int32_t TEMPERATURE_CRITICAL_ABOVE = 65;
constexpr int32_t TEMPERATURE_WARNING_ABOVE = 55;

// Sets health and healthDetails: N/A without data; CRIT for a failing row or above 65 C;
// WARN for a warning row or above 55 C; otherwise GOOD.
void AssessHealth(DriveInfo& drive);

}  // namespace corvanite
