#include "drives/probe.h"

#include "drives/ata_smart.h"
#include "drives/bridge.h"
#include "drives/health.h"
#include "drives/identity.h"
#include "drives/nvme_health.h"

namespace corvanite {
namespace {

// The SMART reader; a drive that took no SMART request of its own (its data page was not read)
// and may sit behind a bridge is read through ATA PASS-THROUGH instead, which may replace its
// identity and sets errorText when the bridge refuses that too.
bool ReadAta(DriveHandle handle, DriveInfo& drive) {
    if (ReadAtaSmart(handle, drive.driveNumber, drive)) {
        return true;
    }
    const bool pageRead = drive.smartSource == SOURCE_ATA;
    return !pageRead && ata::MayBeBehindBridge(drive) && ata::ReadAtaBehindBridge(handle, drive);
}

// Reads the attributes in the order the media class suggests, the other reader as fallback.
// When neither gives data, the reason names the first reader's failed request.
void ReadAttributes(DriveHandle handle, DriveInfo& drive) {
    const bool nvmeFirst = drive.mediaType == MEDIA_NVME;
    const bool nvmeAllowed = AsksForNvmeLog(drive.busType);
    DeviceRequest failed = REQUEST_SMART_READ;
    int32_t error = 0;
    if (nvmeFirst) {
        if (ReadNvmeHealth(handle, drive)) {
            return;
        }
        failed = REQUEST_NVME_LOG;
        error = LastDeviceError();
        if (ReadAta(handle, drive)) {
            return;
        }
    } else {
        if (ReadAta(handle, drive)) {
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
        // A RAID volume is many drives to the system: the controller keeps their health data.
        drive.errorText.Set(drive.busType == BUS_RAID && drive.mediaType != MEDIA_NVME
                                ? std::u16string(u"RAID volume: the RAID controller keeps its "
                                                 u"drives' health data; its own tool shows it")
                                : DeviceFailureText(failed, error, DeviceErrorKind()));
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
            QueryStorageDescriptor(handle, drive);
            ReadAttributes(handle, drive);
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

bool QueryStorageDescriptor(DriveHandle handle, DriveInfo& drive) {
    DriveIdentity identity;
    if (!QueryDriveIdentity(handle, identity)) {
        return false;
    }
    ApplyDriveIdentity(identity, drive);
    uint64_t size = 0;
    if (QueryDriveSize(handle, size)) {
        drive.sizeBytes = size;
    }
    return true;
}

}  // namespace corvanite
