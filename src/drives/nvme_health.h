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
// remaining and the five or six pseudo-attributes; smartAvailable set, smartSource NVMe.
void ParseNvmeHealthLog(const uint8_t* logPage, DriveInfo& drive);

// The bits of the critical warning byte that have a meaning (bits 5 to 7 have none), in bit
// order: what the disk information view shows and the JSON report's key for each.
struct CriticalWarningBit {
    uint8_t mask;
    std::u16string_view text;
    std::string_view jsonKey;
    bool critical;  // false: the drive needs attention (its media went read-only)
};
inline constexpr CriticalWarningBit CRITICAL_WARNING_BITS[] = {
    {0x01, u"Available spare below threshold", "available_spare_below_threshold", true},
    {0x02, u"Temperature exceeded threshold", "temperature_threshold_exceeded", true},
    {0x04, u"Reliability degraded", "reliability_degraded", true},
    {0x08, u"Media in read-only mode", "media_read_only", false},
    {0x10, u"Volatile memory backup failed", "volatile_memory_backup_failed", true},
};

// Reads the log and parses it. False, with the record unchanged, when the query failed.
bool ReadNvmeHealth(DriveHandle handle, DriveInfo& drive);

}  // namespace corvanite
