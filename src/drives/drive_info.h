// The drive record: everything known about one physical drive after a scan, and the shared
// words and number rules every view and the report use.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "drives/self_test.h"
#include "text/fixed_text.h"

namespace corvanite {

constexpr int MAX_DRIVES = 16;  // drive numbers 0 to 15 (Windows' PhysicalDrive numbers)
// Linux lists every whole disk, up to this many (a sanity bound, not a limit of the list).
constexpr int MAX_LINUX_DRIVES = 256;

using HealthStatus = int32_t;
constexpr HealthStatus HEALTH_GOOD = 0;
constexpr HealthStatus HEALTH_WARN = 1;
constexpr HealthStatus HEALTH_CRIT = 2;
constexpr HealthStatus HEALTH_UNKNOWN = 3;

using MediaType = int32_t;
constexpr MediaType MEDIA_UNKNOWN = 0;
constexpr MediaType MEDIA_HDD = 1;
constexpr MediaType MEDIA_SSD = 2;
constexpr MediaType MEDIA_NVME = 3;

using SmartSource = int32_t;
constexpr SmartSource SOURCE_NONE = 0;
constexpr SmartSource SOURCE_ATA = 1;
constexpr SmartSource SOURCE_NVME = 2;

// One row of the attribute table: an ATA SMART attribute or an NVMe pseudo-attribute.
// What made a row fail or warn, set where it is graded.
enum GradeCause : uint8_t {
    CAUSE_NONE = 0,
    CAUSE_AT_THRESHOLD,    // the value at or below the drive's threshold
    CAUSE_NEAR_THRESHOLD,  // the value within the near-threshold margin above it
    CAUSE_RAW_NOT_ZERO,    // a count that should be 0 (sectors reallocated, pending, media errors)
    CAUSE_HOT,             // a temperature row's raw degrees above the hot limit
    CAUSE_WARNING_BITS,    // the NVMe critical warning byte: its set bits
};

struct SmartAttribute {
    uint8_t id = 0;  // never 0 in a list
    FixedText<80> name;
    uint8_t current = 0;              // 0 counts as no value
    uint8_t worst = 0;                // 0 counts as no value
    uint8_t threshold = 0;            // 0: no threshold
    std::array<uint8_t, 6> raw = {};  // least significant byte first
    uint16_t flags = 0;
    bool preFailure = false;
    bool failing = false;
    bool warning = false;  // never together with failing
    GradeCause cause = CAUSE_NONE;
};

// How far the scan could open the drive: for its health data; only for what needs no access
// rights (its identity, size and, on Windows, the NVMe health log); not at all (what the system
// tells without a handle, Linux's sysfs).
using DriveAccess = int32_t;
constexpr DriveAccess ACCESS_FULL = 0;
constexpr DriveAccess ACCESS_LIMITED = 1;
constexpr DriveAccess ACCESS_NONE = 2;

struct DriveInfo {
    int32_t driveNumber = 0;
    DriveAccess access = ACCESS_FULL;
    FixedText<32> devicePath;
    FixedText<64> model;
    FixedText<40> serial;
    FixedText<16> firmware;
    FixedText<16> busName;  // the bus word, for the views and the report only
    uint32_t busType = 0;   // the bus code the word was made from: decisions read this
    uint64_t sizeBytes = 0;
    MediaType mediaType = MEDIA_UNKNOWN;
    HealthStatus health = HEALTH_UNKNOWN;  // until graded (AssessHealth)
    std::vector<SmartAttribute> attributes;
    SmartSource smartSource = SOURCE_NONE;
    bool smartAvailable = false;
    int32_t temperatureC = -1;
    int32_t lifeRemaining = -1;
    FixedText<256> healthDetails;
    FixedText<256> errorText;
    int32_t nvmeAvailableSpare = 0;
    int32_t nvmeSpareThreshold = 0;
    int32_t nvmePercentageUsed = 0;
    uint8_t nvmeCriticalWarning = 0;
    // The drive's own self-test: whether it has one, a test running, its log.
    SelfTestState selfTest;
    // The window's record of a drive found by a scan that has not answered yet.
    bool answering = false;
};

// The record of drive N before any query: path "\\.\PhysicalDrive<N>", model "PhysicalDrive<N>",
// no temperature, no life figure, no data.
DriveInfo StartDriveRecord(int driveNumber);

// The name a drive goes by when it tells no model: its device path's last part ("sda",
// "PhysicalDrive0").
std::u16string DeviceName(std::u16string_view devicePath);

// The device path of drive N on Windows ("\\.\PhysicalDrive<N>").
std::u16string PhysicalDrivePath(int driveNumber);

// Decimal capacity text: "%.2f TB" from 1e12 bytes, "%.0f MB" below 1e9 bytes, else "%.1f GB",
// always with a decimal point whatever the process locale.
std::u16string FormatCapacity(uint64_t sizeBytes);

// The six raw bytes as an unsigned 48-bit little-endian number.
uint64_t AttributeRawValue(const SmartAttribute& attribute);

// Display words.
std::u16string_view HealthWord(HealthStatus health);  // "GOOD", "WARN", "CRIT", else "N/A"
std::u16string_view MediaWord(MediaType media);       // "HDD", "SSD", "NVMe", else "UNK"
std::u16string_view SourceLabel(SmartSource source);  // "ATA", "NVMe", else "N/A"
std::u16string_view AttributeStatusWord(const SmartAttribute& attribute);  // "FAIL", "WARN", "OK"

}  // namespace corvanite
