// Sample drives for the screenshots and the end-to-end window tests: the captured pages of real
// drives (tests/data/ata-smart), and an NVMe drive and a USB enclosure made up around them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drives/device_access.h"
#include "drives/drive_info.h"
#include "drives/identity.h"

namespace corvanite::sample {

using Page = uint8_t[SMART_PAGE_SIZE];

// One 512-byte page of a capture: `what` is "identify", "data" or "thresholds".
bool ReadCapturePage(const std::string& folder, const std::string& capture, const char* what,
                     Page& page);

// The drive's size in sectors from IDENTIFY DEVICE: words 100-103 (48-bit), else words 60-61.
uint64_t IdentifySectors(const Page& identify);

// An NVMe drive whose health log reports spare below threshold and read-only media (critical
// warning 0x09), 45 C, 93 % used, 12 media errors.
DriveIdentity NvmeIdentity();
constexpr uint64_t NVME_SIZE_BYTES = 1000204886016ull;
void NvmeHealthLog(uint8_t (&page)[NVME_LOG_PAGE_SIZE]);

// A USB enclosure that passes no health data through.
DriveIdentity UsbIdentity();
constexpr uint64_t USB_SIZE_BYTES = 2000398934016ull;

// The captured ATA drives (as /dev/sda onwards, parsed and graded as a scan does), then the NVMe
// drive and the USB enclosure. ok is false when a capture could not be read (its drive is left
// out).
std::vector<DriveInfo> SampleDrives(const std::string& folder, bool& ok);

}  // namespace corvanite::sample
