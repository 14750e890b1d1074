// Sample drives for the screenshots, the window tests and the end-to-end build: a machine given
// as a trace (tests/data/traces/sample-machine.jsonl, text to edit), replayed so that the real
// probe reads it. Six real drives' captured pages (tests/data/ata-smart) answer IDENTIFY and
// SMART as /dev/sda to /dev/sdf, a made-up NVMe drive (/dev/nvme0n1) answers a health log with
// spare below threshold and read-only media, and a USB enclosure (/dev/sdh) refuses every SMART
// request.
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

// Reads the sample machine's trace (or another) as the replayed machine (ReplayDeviceAccess);
// false with why in problem.
bool LoadSampleMachine(const std::string& trace, std::string& problem);

// The trace's drives as a scan gives them (the probe over the replay, the table installed before
// is put back). ok is false (and said on standard error) when the trace cannot be read.
std::vector<DriveInfo> SampleDrives(const std::string& trace, bool& ok);

// The sample machine's volumes: C: and D: on its first two disks, F: on the NVMe drive and E: on
// the USB enclosure.
const VolumeAccess& SampleVolumeAccess();

}  // namespace corvanite::sample
