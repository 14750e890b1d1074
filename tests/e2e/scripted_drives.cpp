// A scripted drive layer for the end-to-end window tests: it stands in for the platform's device
// layer (device_linux.cpp, device_win32.cpp) when linked into corvanite_e2e_gui, so the real
// window shows known drives on a machine (or under Wine) whose own drives cannot be opened or
// give no SMART data. The drives, in drive-number order:
//
//   0  /dev/sda      Maxtor 96147H8, SATA, 30 SMART rows, CRIT
//   1  /dev/sdb      SAMSUNG HD501LJ, SATA, WARN
//   2  /dev/sdc      INTEL SSDSA2CW120G3, SATA, GOOD
//   3  /dev/nvme0n1  an NVMe drive whose health log reports critical warnings, CRIT
//   4  /dev/sdd      a USB enclosure that passes no health data through, N/A
//
// The ATA drives answer with the pages captured from real drives in tests/data/ata-smart
// (IDENTIFY DEVICE for the identity and size, SMART READ DATA and READ THRESHOLDS). A drive whose
// pages cannot be read does not exist, so a missing file shows as a missing card.
//
// While the file named by CORVANITE_E2E_HOLD exists, a scan waits at its start (at most 30 s),
// so the test can look at the window while a scan runs.
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "drives/ata_passthrough.h"
#include "drives/device_access.h"
#include "drives/device_error.h"
#include "drives/linux_layout.h"
#include "sample_drives.h"

namespace corvanite {
namespace {

using sample::Page;

enum class Kind { Ata, Nvme, NoData };

struct ScriptedDrive {
    Kind kind;
    const char16_t* devicePath;
    const char* capture;  // base name of the pages in the data folder (ATA drives)
    uint32_t busType;
};

constexpr std::array<ScriptedDrive, 5> SCRIPTED = {{
    {Kind::Ata, u"/dev/sda", "Maxtor_96147H8--BAC51KJ0--2", 11},
    {Kind::Ata, u"/dev/sdb", "SAMSUNG_HD501LJ--CR100-12", 11},
    {Kind::Ata, u"/dev/sdc", "INTEL_SSDSA2CW120G3--4PC10302", 11},
    {Kind::Nvme, u"/dev/nvme0n1", nullptr, 17},
    {Kind::NoData, u"/dev/sdd", nullptr, 7},
}};

bool ReadPage(const char* capture, const char* what, sample::Page& page) {
    return sample::ReadCapturePage(CORVANITE_E2E_DATA, capture, what, page);
}

const ScriptedDrive* DriveOf(DriveHandle handle) {
    return handle >= 0 && static_cast<size_t>(handle) < SCRIPTED.size()
               ? &SCRIPTED[static_cast<size_t>(handle)]
               : nullptr;
}

void WaitWhileHeld() {
    const char* hold = std::getenv("CORVANITE_E2E_HOLD");
    if (hold == nullptr) {
        return;
    }
    for (int waited = 0; waited < 3000; ++waited) {
        std::FILE* file = std::fopen(hold, "rb");
        if (file == nullptr) {
            return;
        }
        std::fclose(file);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

void BeginDriveScan() {
    WaitWhileHeld();
}

std::u16string DriveDevicePath(int driveNumber) {
    const ScriptedDrive* drive = DriveOf(driveNumber);
    return drive != nullptr ? std::u16string(drive->devicePath) : std::u16string();
}

bool OpenDrive(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    const ScriptedDrive* drive = DriveOf(driveNumber);
    Page page = {};
    if (drive == nullptr ||
        (drive->kind == Kind::Ata && !ReadPage(drive->capture, "identify", page))) {
        errorCode = 2;  // ENOENT
        return false;
    }
    handle = driveNumber;
    return true;
}

void CloseDrive(DriveHandle) {}

bool QueryDriveIdentity(DriveHandle handle, DriveIdentity& identity) {
    const ScriptedDrive* drive = DriveOf(handle);
    if (drive == nullptr) {
        return false;
    }
    identity = DriveIdentity();
    if (drive->kind == Kind::Ata) {
        Page page = {};
        if (!ReadPage(drive->capture, "identify", page)) {
            return false;
        }
        ata::IdentityFromIdentifyPage(page, identity);
    } else {
        identity = drive->kind == Kind::Nvme ? sample::NvmeIdentity() : sample::UsbIdentity();
    }
    identity.busType = drive->busType;
    return true;
}

bool QueryDriveSize(DriveHandle handle, uint64_t& sizeBytes) {
    const ScriptedDrive* drive = DriveOf(handle);
    if (drive == nullptr) {
        return false;
    }
    if (drive->kind == Kind::Ata) {
        Page page = {};
        if (!ReadPage(drive->capture, "identify", page)) {
            return false;
        }
        sizeBytes = sample::IdentifySectors(page) * 512;
    } else {
        sizeBytes = drive->kind == Kind::Nvme ? sample::NVME_SIZE_BYTES : sample::USB_SIZE_BYTES;
    }
    return true;
}

// A request the scripted drive does not answer fails as through a USB bridge without ATA
// pass-through: the command came back with a failed status.
int32_t LastDeviceError() {
    return DEVICE_ERROR_STATUS;
}

SystemErrorKind DeviceErrorKind() {
    return ERRORS_POSIX;
}

void SendSmartEnable(DriveHandle, int) {}

bool ReadSmartPage(DriveHandle handle, int, uint8_t feature, uint8_t (&page)[SMART_PAGE_SIZE]) {
    const ScriptedDrive* drive = DriveOf(handle);
    if (drive == nullptr || drive->kind != Kind::Ata) {
        return false;
    }
    return ReadPage(drive->capture,
                    feature == SMART_FEATURE_READ_THRESHOLDS ? "thresholds" : "data", page);
}

bool ReadNvmeLogPage(DriveHandle handle, uint8_t (&page)[NVME_LOG_PAGE_SIZE]) {
    const ScriptedDrive* drive = DriveOf(handle);
    if (drive == nullptr || drive->kind != Kind::Nvme) {
        return false;
    }
    sample::NvmeHealthLog(page);
    return true;
}

// The USB enclosure passes no ATA command through either.
bool SendAtaPassThrough(DriveHandle, const uint8_t*, size_t, uint8_t*, size_t) {
    return false;
}

}  // namespace corvanite
