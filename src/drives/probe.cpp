#include "drives/probe.h"

#include <condition_variable>
#include <mutex>
#include <utility>

#include "drives/ata_smart.h"
#include "drives/bridge.h"
#include "drives/health.h"
#include "drives/identity.h"
#include "drives/nvme_health.h"
#include "drives/self_test_device.h"
#include "host/host.h"

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

// A drive that timed out or went away is asked nothing more; its reason says which.
bool StoppedAfter(DeviceRequest request, int32_t error, DriveInfo& drive) {
    const DriveStop stop = DriveStopAfter(error, DeviceErrorKind());
    if (stop == STOP_NONE) {
        return false;
    }
    drive.errorText.Set(DriveStopText(stop, request));
    return true;
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
        if (StoppedAfter(failed, error, drive)) {
            return;
        }
        if (ReadAta(handle, drive)) {
            return;
        }
    } else {
        if (ReadAta(handle, drive)) {
            return;
        }
        // A page that was read but held no attribute is not a failed request.
        error = drive.smartSource == SOURCE_ATA ? 0 : LastDeviceError();
        if (StoppedAfter(failed, error, drive)) {
            return;
        }
        if (nvmeAllowed && ReadNvmeHealth(handle, drive)) {
            return;
        }
    }
    // A reader that knows more (a bridge that refused every form) has said so already.
    if (drive.errorText.empty()) {
        // A RAID volume is many drives to the system: the controller keeps their health data.
        drive.errorText.Set(
            drive.busType == BUS_RAID && drive.mediaType != MEDIA_NVME
                ? std::u16string(u"RAID volume: the RAID controller keeps its "
                                 u"drives' health data; its own tool shows it")
                : DeviceFailureText(failed, error, DeviceErrorKind(), ProcessPrivileged()));
    }
}

}  // namespace

std::vector<DriveInfo> ProbeAllDrives() {
    ProbeSkipped skipped;
    return ProbeAllDrives(skipped);
}

std::vector<DriveInfo> ProbeAllDrives(ProbeSkipped& skipped) {
    return ProbeAllDrives(skipped, ProbeListener());
}

namespace {

// The drives of one scan while their workers answer; the scanning thread waits on it.
struct ScanInProgress {
    std::mutex lock;
    std::condition_variable answered;
    std::vector<DriveInfo> drives;
    std::vector<uint32_t> openErrors;  // per drive: why the existence test could not open it, or 0
    size_t remaining = 0;
    ProbeListener listener;
};

struct DriveJob {
    ScanInProgress* scan;
    size_t index;
};

// A drive that could not be opened for its health data (error: why) still tells what needs no
// rights: its identity and size, and where the system answers it so (Windows), the NVMe health
// log. Without health data the reason is the refused open.
void ProbeWithoutRights(DriveInfo& drive, uint32_t error) {
    DriveHandle handle = 0;
    uint32_t limitedError{};  // unused: the reason stays the refused open's
    drive.access = ACCESS_NONE;
    if (OpenDriveLimited(drive.driveNumber, handle, limitedError)) {
        drive.access = ACCESS_LIMITED;
        QueryStorageDescriptor(handle, drive);
        ReadAttributes(handle, drive);
        CloseDrive(handle);
    }
    if (!drive.smartAvailable) {
        drive.errorText.Set(DeviceFailureText(REQUEST_OPEN, static_cast<int32_t>(error),
                                              DeviceErrorKind(), ProcessPrivileged()));
    }
}

// One drive's requests, on its own worker: the only requests in flight to this drive.
void ProbeOneDrive(void* parameter) {
    const DriveJob job = *static_cast<DriveJob*>(parameter);
    delete static_cast<DriveJob*>(parameter);
    ScanInProgress& scan = *job.scan;
    DriveInfo drive;
    uint32_t error = 0;
    {
        std::lock_guard<std::mutex> guard(scan.lock);
        drive = scan.drives[job.index];
        error = scan.openErrors[job.index];
    }
    DriveHandle handle = 0;
    if (error == 0 && OpenDrive(drive.driveNumber, handle, error)) {
        QueryStorageDescriptor(handle, drive);
        ReadAttributes(handle, drive);
        // A drive busy with a self-test still answers the above: its state and log come after.
        ReadSelfTest(handle, drive);
        CloseDrive(handle);
    } else {
        ProbeWithoutRights(drive, error);
        ReadSelfTest(handle, drive);  // only says why a drive opened without rights is not tested
    }
    // Without data (including a drive we could not open a second time) this grades N/A.
    AssessHealth(drive);
    std::lock_guard<std::mutex> guard(scan.lock);
    scan.drives[job.index] = std::move(drive);
    if (scan.listener.answered != nullptr) {
        scan.listener.answered(scan.listener.context, job.index, scan.drives[job.index]);
    }
    --scan.remaining;
    scan.answered.notify_all();
}

}  // namespace

std::vector<DriveInfo> ProbeAllDrives(ProbeSkipped& skipped, const ProbeListener& listener) {
    ScanInProgress scan;
    scan.listener = listener;
    skipped = ProbeSkipped();
    skipped.privileged = ProcessPrivileged();
    BeginDriveScan();
    // The existence test, one number after another: a number whose drive is absent has none for
    // us; one that cannot be opened for another reason is a drive we cannot read, which still
    // gets its record (and is counted).
    const int numbers = DriveNumberLimit();
    for (int number = 0; number < numbers; ++number) {
        DriveHandle handle = 0;
        uint32_t error = 0;
        if (OpenDrive(number, handle, error)) {
            CloseDrive(handle);
            error = 0;
        } else if (IsAbsentDriveError(error, DeviceErrorKind())) {
            continue;
        } else if (skipped.count++ == 0) {
            skipped.firstError = error;
        }
        DriveInfo drive = StartDriveRecord(number);
        drive.devicePath.Set(DriveDevicePath(number));
        drive.model.Set(DeviceName(drive.devicePath.view()));
        scan.drives.push_back(std::move(drive));
        scan.openErrors.push_back(error);
    }
    if (listener.found != nullptr) {
        listener.found(listener.context, scan.drives);
    }
    // Every drive gets its own worker at once, so a slow or silent drive holds up none of the
    // others; a worker that cannot be started is done on this thread instead.
    std::unique_lock<std::mutex> guard(scan.lock);
    scan.remaining = scan.drives.size();
    for (size_t index = 0; index < scan.drives.size(); ++index) {
        auto* job = new DriveJob{&scan, index};
        guard.unlock();
        if (!StartDetachedThread(ProbeOneDrive, job)) {
            ProbeOneDrive(job);
        }
        guard.lock();
    }
    scan.answered.wait(guard, [&scan] { return scan.remaining == 0; });
    return std::move(scan.drives);
}

bool QueryStorageDescriptor(DriveHandle handle, DriveInfo& drive) {
    DriveIdentity identity;
    if (!QueryDriveIdentity(handle, identity)) {
        return false;
    }
    ApplyDriveIdentity(identity, drive);
    QueryDriveSize(handle, drive.sizeBytes);  // a size not told stays unknown (0)
    return true;
}

}  // namespace corvanite
