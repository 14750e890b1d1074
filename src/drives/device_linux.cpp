// Drive access on Linux. Not wired to the kernel's block, SCSI-generic and NVMe interfaces yet:
// every open fails, so a scan finds no drive.
#include <cerrno>

#include "drives/device_access.h"

namespace corvanite {

bool OpenDrive(int /*driveNumber*/, DriveHandle& /*handle*/, uint32_t& errorCode) {
    errorCode = ENODEV;
    return false;
}

void CloseDrive(DriveHandle /*handle*/) {}

bool QueryDriveIdentity(DriveHandle /*handle*/, DriveIdentity& /*identity*/) { return false; }

bool QueryDriveSize(DriveHandle /*handle*/, uint64_t& /*sizeBytes*/) { return false; }

void SendSmartEnable(DriveHandle /*handle*/, int /*driveNumber*/) {}

bool ReadSmartPage(DriveHandle /*handle*/, int /*driveNumber*/, uint8_t /*feature*/,
                   uint8_t (&/*page*/)[SMART_PAGE_SIZE]) {
    return false;
}

bool ReadNvmeLogPage(DriveHandle /*handle*/, uint8_t (&/*page*/)[NVME_LOG_PAGE_SIZE]) {
    return false;
}

}  // namespace corvanite
