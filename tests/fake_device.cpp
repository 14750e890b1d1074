#include "fake_device.h"

#include "drives/device_error.h"
#include "drives/drive_info.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace corvanite {
namespace {

test::FakeMachine machine;
int32_t lastError = 0;
std::atomic<bool> held{false};

test::FakeDrive& Drive(DriveHandle handle) {
    return machine.drives[static_cast<size_t>(handle)];
}

void Log(const char* what, DriveHandle handle, int extra = -1) {
    char line[64];
    if (extra >= 0) {
        std::snprintf(line, sizeof line, "%s %ld %02X", what, static_cast<long>(handle), extra);
    } else {
        std::snprintf(line, sizeof line, "%s %ld", what, static_cast<long>(handle));
    }
    machine.calls.emplace_back(line);
}

}  // namespace

namespace test {
FakeMachine& Machine() {
    return machine;
}
void ResetMachine() {
    machine = FakeMachine();
    held = false;
    lastError = 0;
}
bool StorageQuery(DriveHandle handle, const uint8_t* query, size_t querySize, uint8_t* reply,
                  size_t replySize) {
    const uint32_t property = querySize >= 4 ? query[0] : 0;
    Log("query", handle, static_cast<int>(property));
    const FakeDrive& drive = Drive(handle);
    const bool refused = property == 50 && drive.nvmeDeviceQueryRefused;
    if (refused || !drive.nvmeAnswers || replySize < 48 + NVME_LOG_PAGE_SIZE) {
        lastError = 1;  // ERROR_INVALID_FUNCTION
        return false;
    }
    reply[24] = 40;  // ProtocolDataOffset
    std::memcpy(reply + 48, drive.nvmeLog.data(), NVME_LOG_PAGE_SIZE);
    return true;
}
void HoldScan(bool hold) {
    held = hold;
}
}  // namespace test

int32_t LastDeviceError() {
    return lastError;
}

SystemErrorKind DeviceErrorKind() {
    return machine.errorKind;
}

void BeginDriveScan() {
    machine.calls.emplace_back("begin");
}

std::u16string DriveDevicePath(int driveNumber) {
    return machine.drives[static_cast<size_t>(driveNumber)].devicePath.empty()
               ? PhysicalDrivePath(driveNumber)
               : machine.drives[static_cast<size_t>(driveNumber)].devicePath;
}

bool OpenDrive(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    for (int waited = 0; held && waited < 10000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Log("open", driveNumber);
    test::FakeDrive& drive = machine.drives[static_cast<size_t>(driveNumber)];
    const int attempt = ++machine.opens[static_cast<size_t>(driveNumber)];
    if (!drive.present) {
        errorCode = machine.errorKind == ERRORS_POSIX ? 19 : 2;  // ENODEV, ERROR_FILE_NOT_FOUND
        lastError = static_cast<int32_t>(errorCode);
        return false;
    }
    if (drive.openRefused || (attempt == 2 && drive.secondOpenFails)) {
        errorCode = drive.openError;
        lastError = static_cast<int32_t>(errorCode);
        return false;
    }
    handle = driveNumber;
    machine.maxOpenHandles = std::max(machine.maxOpenHandles, ++machine.openHandles);
    return true;
}

void CloseDrive(DriveHandle handle) {
    Log("close", handle);
    --machine.openHandles;
}

bool QueryDriveIdentity(DriveHandle handle, DriveIdentity& identity) {
    Log("identity", handle);
    if (!Drive(handle).identityAnswers) {
        return false;
    }
    identity = Drive(handle).identity;
    return true;
}

bool QueryDriveSize(DriveHandle handle, uint64_t& sizeBytes) {
    Log("size", handle);
    if (!Drive(handle).sizeAnswers) {
        return false;
    }
    sizeBytes = Drive(handle).sizeBytes;
    return true;
}

void SendSmartEnable(DriveHandle handle, int driveNumber) {
    Log("enable", handle, driveNumber);
}

bool ReadSmartPage(DriveHandle handle, int driveNumber, uint8_t feature,
                   uint8_t (&page)[SMART_PAGE_SIZE]) {
    Log(driveNumber == handle ? "smart" : "smart-wrong-drive", handle, feature);
    const test::FakeDrive& drive = Drive(handle);
    if (feature == SMART_FEATURE_READ_DATA && drive.smartDataAnswers) {
        std::memcpy(page, drive.smartData.data(), SMART_PAGE_SIZE);
        return true;
    }
    if (feature == SMART_FEATURE_READ_THRESHOLDS && drive.smartThresholdsAnswer) {
        std::memcpy(page, drive.smartThresholds.data(), SMART_PAGE_SIZE);
        return true;
    }
    std::memset(page, 0xEE, SMART_PAGE_SIZE);  // a failed read leaves garbage behind
    lastError = drive.requestError;
    return false;
}

bool ReadNvmeLogPage(DriveHandle handle, uint8_t (&page)[NVME_LOG_PAGE_SIZE]) {
    Log("nvme", handle);
    const test::FakeDrive& drive = Drive(handle);
    if (!drive.nvmeAnswers) {
        std::memset(page, 0xEE, NVME_LOG_PAGE_SIZE);
        lastError = drive.requestError;
        return false;
    }
    std::memcpy(page, drive.nvmeLog.data(), NVME_LOG_PAGE_SIZE);
    return true;
}

// Reads the registers where SAT puts them in each form, as a bridge would; logged as
// "ata16 N EC" / "ata12 N D0" (IDENTIFY, or the SMART feature).
bool SendAtaPassThrough(DriveHandle handle, const uint8_t* cdb, size_t length, uint8_t* data,
                        size_t dataSize) {
    const bool is16 = length == 16 && cdb[0] == 0x85;
    const uint8_t command = cdb[is16 ? 14 : 9];
    const uint8_t feature = cdb[is16 ? 4 : 3];
    Log(is16                             ? "ata16"
        : length == 12 && cdb[0] == 0xA1 ? "ata12"
                                         : "ata-bad",
        handle, command == 0xB0 ? feature : command);
    const test::FakeDrive& drive = Drive(handle);
    const bool smartSignature = cdb[is16 ? 10 : 6] == 0x4F && cdb[is16 ? 12 : 7] == 0xC2;
    const std::array<uint8_t, SMART_PAGE_SIZE>* page =
        command == 0xEC                            ? &drive.identify
        : command != 0xB0 || !smartSignature       ? nullptr
        : feature == SMART_FEATURE_READ_DATA       ? &drive.smartData
        : feature == SMART_FEATURE_READ_THRESHOLDS ? &drive.smartThresholds
                                                   : nullptr;
    const bool pioIn = cdb[1] == 0x08 && cdb[2] == 0x0E;
    if (!(is16 ? drive.takes16 : drive.takes12) || page == nullptr || !pioIn || data == nullptr ||
        dataSize != SMART_PAGE_SIZE) {
        lastError = drive.refusalError;
        return false;
    }
    std::memcpy(data, page->data(), SMART_PAGE_SIZE);
    return true;
}

}  // namespace corvanite
