// The device layer of the fuzz targets: no drive exists, so no input can reach one.
#include "drives/device_access.h"
#include "drives/device_error.h"

namespace corvanite {

bool OpenDrive(int, DriveHandle&, uint32_t& errorCode) {
    return errorCode = 2, false;
}
void CloseDrive(DriveHandle) {}
int32_t LastDeviceError() {
    return 0;
}
SystemErrorKind DeviceErrorKind() {
    return ERRORS_POSIX;
}
bool QueryDriveIdentity(DriveHandle, DriveIdentity&) {
    return false;
}
bool QueryDriveSize(DriveHandle, uint64_t&) {
    return false;
}
void SendSmartEnable(DriveHandle, int) {}
bool ReadSmartPage(DriveHandle, int, uint8_t, uint8_t (&)[SMART_PAGE_SIZE]) {
    return false;
}
bool ReadNvmeLogPage(DriveHandle, uint8_t (&)[NVME_LOG_PAGE_SIZE]) {
    return false;
}
bool SendAtaPassThrough(DriveHandle, const uint8_t*, size_t, uint8_t*, size_t) {
    return false;
}

}  // namespace corvanite
