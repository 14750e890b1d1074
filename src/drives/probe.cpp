#include "drives/probe.h"

#include "drives/ata_smart.h"
#include "drives/device_access.h"
#include "drives/health.h"
#include "drives/identity.h"
#include "drives/nvme_health.h"
#include "text/text_format.h"

namespace corvanite {
namespace {

void ReadAttributes(DriveHandle handle, DriveInfo& drive) {
    if (drive.mediaType == MEDIA_NVME) {
        if (!ReadNvmeHealth(handle, drive)) {
            ReadAtaSmart(handle, drive.driveNumber, drive);
        }
    } else if (!ReadAtaSmart(handle, drive.driveNumber, drive)) {
        ReadNvmeHealth(handle, drive);
    }
}

}  // namespace

std::vector<DriveInfo> ProbeAllDrives() {
    std::vector<DriveInfo> drives;
    BeginDriveScan();
    for (int number = 0; number < MAX_DRIVES; ++number) {
        DriveHandle handle = 0;
        uint32_t error = 0;
        // The existence test: a number that cannot be opened has no drive for us.
        if (!OpenDrive(number, handle, error)) {
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
            std::u16string text = u"Cannot open device (error ";
            AppendUnsigned(text, error);
            text.push_back(u')');
            drive.errorText.Set(text);
        }
        // Without data (including a drive we could not open a second time) this grades N/A.
        AssessHealth(drive);
        drives.push_back(std::move(drive));
    }
    return drives;
}

}  // namespace corvanite
