// Sample drives for the screenshots, the window tests and the end-to-end build: a machine given
// as a device access table, so that the real probe reads it. The captured pages of real drives
// (tests/data/ata-smart) answer IDENTIFY and SMART as drives /dev/sda onwards, then a made-up
// NVMe drive answers its health log and a USB enclosure refuses every SMART request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drives/device_access.h"
#include "drives/drive_info.h"
#include "drives/volumes.h"

namespace corvanite::sample {

using Page = uint8_t[SMART_PAGE_SIZE];

// One 512-byte page of a capture: `what` is "identify", "data" or "thresholds".
bool ReadCapturePage(const std::string& folder, const std::string& capture, const char* what,
                     Page& page);

// The sample machine, its captures read from folder now: six ATA drives (numbers 0 to 5), an
// NVMe drive whose health log reports spare below threshold and read-only media (6) and a USB
// enclosure that passes no health data through (7). ok is false when a capture could not be read
// (that drive is then absent). Its error codes are errno values.
const DeviceAccess& SampleDeviceAccess(const std::string& folder, bool& ok);

// The sample machine's drives as a scan gives them (the probe over SampleDeviceAccess, the table
// installed before is put back).
std::vector<DriveInfo> SampleDrives(const std::string& folder, bool& ok);

// The sample machine's volumes: C: and D: on its first two disks, F: on the NVMe drive and E: on
// the USB enclosure.
const VolumeAccess& SampleVolumeAccess();

}  // namespace corvanite::sample
