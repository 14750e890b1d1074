// The NVMe SMART / Health Information log (log page 02h): the drive's key figures and the
// pseudo-attribute rows that let the views, the report and the grading treat it like ATA.
#pragma once

#include <cstdint>
#include <string_view>

#include "drives/device_access.h"
#include "drives/drive_info.h"

namespace corvanite {

// Pseudo-attribute ids.
constexpr uint8_t NVME_ID_TEMPERATURE = 194;
constexpr uint8_t NVME_ID_AVAILABLE_SPARE = 190;
constexpr uint8_t NVME_ID_PERCENTAGE_USED = 231;
constexpr uint8_t NVME_ID_CRITICAL_WARNING = 187;
constexpr uint8_t NVME_ID_POWER_ON_HOURS = 9;
constexpr uint8_t NVME_ID_MEDIA_ERRORS = 198;

// The last log byte read (media and data integrity errors end at byte 167).
constexpr size_t NVME_LOG_BYTES_READ = 168;

// Builds a row with the threshold rule (failing at or below a non-zero threshold, warning
// below threshold + 10) and appends it. Only the low 48 bits of raw are kept.
void AppendNvmeAttribute(DriveInfo& drive, uint8_t id, std::u16string_view name, uint8_t current,
                         uint8_t threshold, uint64_t raw);

// Steps after the log was read: temperature, spare, percentage used, critical warning, life
// remaining and the five or six pseudo-attributes. Always returns true.
bool ParseNvmeHealthLog(const uint8_t* logPage, DriveInfo& drive);

// The critical-warning bit texts (bits 0 to 4; bits 5 to 7 have none, an empty view).
std::u16string_view CriticalWarningText(int bit);

// Reads the log and parses it. False, with the record unchanged, when the query failed.
bool ReadNvmeHealth(DriveHandle handle, DriveInfo& drive);

}  // namespace corvanite
