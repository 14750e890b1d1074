// ATA SMART attributes: the attribute catalogue, the page parse with row grading and the
// temperature pick, and the reader over the device layer.
#pragma once

#include <cstdint>
#include <string_view>

#include "drives/device_access.h"
#include "drives/drive_info.h"

namespace corvanite {

constexpr int SMART_TABLE_ENTRIES = 30;
constexpr size_t SMART_ENTRY_SIZE = 12;
constexpr size_t SMART_TABLE_OFFSET = 2;

// The display name of an attribute id ("Unknown Attribute" when it is not catalogued).
std::u16string_view SmartAttributeName(uint8_t id);

// Grades one row: failing at or below a non-zero threshold; otherwise a warning for a hot or
// near-threshold temperature row (190, 194) or a non-zero sector count (5, 196, 197, 198).
void GradeSmartAttribute(SmartAttribute& attribute);

// Builds the rows from a 512-byte SMART READ DATA page and, when not null, the 512-byte READ
// THRESHOLDS page. Replaces the attribute list, sets smartSource to ATA, smartAvailable to
// whether any row was produced, and temperatureC from the first plausible temperature row
// while it is still negative. Returns smartAvailable.
bool ParseSmartPages(const uint8_t* dataPage, const uint8_t* thresholdPage, DriveInfo& drive);

// Enables SMART, reads both pages and parses them (ParseSmartPages); a threshold page that
// cannot be read leaves every threshold 0. False with the record unchanged when the data page
// cannot be read (the device's reason in LastDeviceError); false with smartSource ATA when the
// page was read but held no attribute.
bool ReadAtaSmart(DriveHandle handle, int driveNumber, DriveInfo& drive);

}  // namespace corvanite
