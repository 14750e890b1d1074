// The end-to-end window's drive layer, linked before the libraries in place of the platform's.
// Drives 0-2 (/dev/sda-sdc: Maxtor 96147H8 CRIT, SAMSUNG HD501LJ WARN, INTEL SSDSA2CW120G3 GOOD)
// answer with their captured pages in tests/data/ata-smart, 3 (/dev/nvme0n1) is an NVMe drive
// with critical warnings, 4 (/dev/sdd) a USB enclosure without health data. A scan waits at its
// start (at most 30 s) while the file named by CORVANITE_E2E_HOLD exists.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "drives/ata_passthrough.h"
#include "drives/device_access.h"
#include "drives/device_error.h"
#include "sample_drives.h"

namespace corvanite {
namespace {

constexpr DriveHandle NVME = 3, USB = 4;
constexpr const char* CAPTURES[] = {"Maxtor_96147H8--BAC51KJ0--2", "SAMSUNG_HD501LJ--CR100-12",
                                    "INTEL_SSDSA2CW120G3--4PC10302"};
constexpr const char16_t* PATHS[] = {u"/dev/sda", u"/dev/sdb", u"/dev/sdc", u"/dev/nvme0n1",
                                     u"/dev/sdd"};

bool ReadPage(DriveHandle drive, const char* what, sample::Page& page) {
    return drive >= 0 && drive < NVME &&
           sample::ReadCapturePage(CORVANITE_E2E_DATA, CAPTURES[drive], what, page);
}

}  // namespace

void BeginDriveScan() {
    const char* hold = std::getenv("CORVANITE_E2E_HOLD");
    for (int waited = 0; hold != nullptr && waited < 3000; ++waited) {
        std::FILE* file = std::fopen(hold, "rb");
        if (file == nullptr) {
            return;
        }
        std::fclose(file);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::u16string DriveDevicePath(int drive) {
    return drive >= 0 && drive <= USB ? PATHS[drive] : u"";
}

bool OpenDrive(int drive, DriveHandle& handle, uint32_t& errorCode) {
    sample::Page page = {};
    handle = drive;
    errorCode = 2;  // ENOENT: past the last drive
    return drive == NVME || drive == USB || ReadPage(drive, "identify", page);
}

void CloseDrive(DriveHandle) {}

bool QueryDriveIdentity(DriveHandle drive, DriveIdentity& identity) {
    sample::Page page = {};
    identity = drive == NVME ? sample::NvmeIdentity() : sample::UsbIdentity();
    if (drive < NVME) {
        identity = DriveIdentity();
        if (!ReadPage(drive, "identify", page)) {
            return false;
        }
        ata::IdentityFromIdentifyPage(page, identity);
    }
    identity.busType = drive == NVME ? 17 : drive == USB ? 7 : 11;  // NVMe, USB, SATA
    return true;
}

bool QueryDriveSize(DriveHandle drive, uint64_t& sizeBytes) {
    sample::Page page = {};
    if (drive < NVME && !ReadPage(drive, "identify", page)) {
        return false;
    }
    sizeBytes = drive == NVME  ? sample::NVME_SIZE_BYTES
                : drive == USB ? sample::USB_SIZE_BYTES
                               : sample::IdentifySectors(page) * 512;
    return true;
}

// A request a drive does not answer fails as through a USB bridge without ATA pass-through.
int32_t LastDeviceError() {
    return DEVICE_ERROR_STATUS;
}

SystemErrorKind DeviceErrorKind() {
    return ERRORS_POSIX;
}

void SendSmartEnable(DriveHandle, int) {}

bool ReadSmartPage(DriveHandle drive, int, uint8_t feature, uint8_t (&page)[SMART_PAGE_SIZE]) {
    return ReadPage(drive, feature == SMART_FEATURE_READ_THRESHOLDS ? "thresholds" : "data", page);
}

bool ReadNvmeLogPage(DriveHandle drive, uint8_t (&page)[NVME_LOG_PAGE_SIZE]) {
    if (drive == NVME) {
        sample::NvmeHealthLog(page);
    }
    return drive == NVME;
}

bool SendAtaPassThrough(DriveHandle, const uint8_t*, size_t, uint8_t*, size_t) {
    return false;
}

}  // namespace corvanite
