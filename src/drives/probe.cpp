#include "drives/probe.h"

#include "drives/ata_smart.h"
#include "drives/device_access.h"
#include "drives/device_error.h"
#include "drives/health.h"
#include "drives/identity.h"
#include "drives/nvme_health.h"

namespace corvanite {
namespace {

// Reads the attributes in the order the media class suggests, the other reader as fallback.
// When neither gives data, the reason names the first reader's failed request.
void ReadAttributes(DriveHandle handle, DriveInfo& drive, uint32_t busType) {
    const bool nvmeFirst = drive.mediaType == MEDIA_NVME;
    const bool nvmeAllowed = AsksForNvmeLog(busType);
    DeviceRequest failed = REQUEST_SMART_READ;
    int32_t error = 0;
    if (nvmeFirst) {
        if (ReadNvmeHealth(handle, drive)) {
            return;
        }
        failed = REQUEST_NVME_LOG;
        error = LastDeviceError();
        if (ReadAtaSmart(handle, drive.driveNumber, drive)) {
            return;
        }
    } else {
        if (ReadAtaSmart(handle, drive.driveNumber, drive)) {
            return;
        }
        // A page that was read but held no attribute is not a failed request.
        error = drive.smartSource == SOURCE_ATA ? 0 : LastDeviceError();
        if (nvmeAllowed && ReadNvmeHealth(handle, drive)) {
            return;
        }
    }
    // A reader that knows more (a bridge that refused every form) has said so already.
    if (drive.errorText.empty()) {
        drive.errorText.Set(DeviceFailureText(failed, error, DeviceErrorKind()));
    }
}

}  // namespace

std::vector<DriveInfo> ProbeAllDrives() {
    ProbeSkipped skipped;
    return ProbeAllDrives(skipped);
}

std::vector<DriveInfo> ProbeAllDrives(ProbeSkipped& skipped) {
    std::vector<DriveInfo> drives;
    skipped = ProbeSkipped();
    BeginDriveScan();
    for (int number = 0; number < MAX_DRIVES; ++number) {
        DriveHandle handle = 0;
        uint32_t error = 0;
        // The existence test: a number that cannot be opened has no drive for us.
        if (!OpenDrive(number, handle, error)) {
            if (!IsAbsentDriveError(error, DeviceErrorKind())) {
                if (skipped.count++ == 0) {
                    skipped.firstError = error;
                }
            }
            continue;
        }
        CloseDrive(handle);

        DriveInfo drive = StartDriveRecord(number);
        drive.devicePath.Set(DriveDevicePath(number));
        if (OpenDrive(number, handle, error)) {
            uint32_t busType = 0;
            QueryStorageDescriptor(handle, drive, busType);
            ReadAttributes(handle, drive, busType);
            CloseDrive(handle);
        } else {
            drive.errorText.Set(
                DeviceFailureText(REQUEST_OPEN, static_cast<int32_t>(error), DeviceErrorKind()));
        }
        // Without data (including a drive we could not open a second time) this grades N/A.
        AssessHealth(drive);
        drives.push_back(std::move(drive));
    }
    return drives;
}

}  // namespace corvanite
