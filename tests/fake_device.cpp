#include "fake_device.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "drives/device_error.h"
#include "drives/drive_info.h"

namespace corvanite {
namespace {

test::FakeMachine machine;
// Each drive is asked from its own worker: the log and the handle counts are shared.
std::mutex machineLock;
thread_local int32_t lastError = 0;
std::atomic<bool> held{false};
std::atomic<bool> slowHeld{false};

test::FakeDrive& Drive(DriveHandle handle) {
    return machine.drives[static_cast<size_t>(handle)];
}

// Logs "what N" or "what N XX" (hex); fails with the error when it is not 0.
bool Log(const char* what, DriveHandle handle, int extra = -1, int32_t error = 0) {
    char line[64];
    std::snprintf(line, sizeof line, extra >= 0 ? "%s %ld %02X" : "%s %ld", what,
                  static_cast<long>(handle), extra);
    {
        std::lock_guard<std::mutex> guard(machineLock);
        machine.driveCalls[static_cast<size_t>(handle)] += line + std::string("\n");
    }
    lastError = error != 0 ? error : lastError;
    return error == 0;
}

// Copies the page when the drive answers; a failed read leaves garbage behind.
bool Copy(bool answers, const test::Page& from, uint8_t* to, int32_t error) {
    std::memset(to, 0xEE, SMART_PAGE_SIZE);
    if (answers) {
        std::memcpy(to, from.data(), SMART_PAGE_SIZE);
    }
    lastError = answers ? lastError : error;
    return answers;
}

int32_t LastError() {
    return lastError;
}
void BeginScan() {
    machine.calls += "begin\n";
}
std::u16string DevicePath(int driveNumber) {
    const std::u16string& path = Drive(driveNumber).devicePath;
    return path.empty() ? PhysicalDrivePath(driveNumber) : path;
}

bool Open(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    for (int waited = 0; held && waited < 10000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    test::FakeDrive& drive = Drive(driveNumber);
    errorCode = !drive.present || (drive.goneAfterStart && drive.selfTestsSent > 0)  ? 2  // absent
                : drive.openRefused || (++drive.opens == 2 && drive.secondOpenFails) ? 5  // denied
                                                                                     : 0;
    handle = driveNumber;
    {
        std::lock_guard<std::mutex> guard(machineLock);
        machine.openHandles += errorCode == 0 ? 1 : 0;
        machine.maxOpenHandles = std::max(machine.maxOpenHandles, machine.openHandles);
    }
    return Log("open", driveNumber, -1, static_cast<int32_t>(errorCode));
}

bool OpenLimited(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    test::FakeDrive& drive = Drive(driveNumber);
    errorCode = drive.present && drive.limitedOpens ? 0 : 5;
    handle = driveNumber;
    if (errorCode == 0) {
        std::lock_guard<std::mutex> guard(machineLock);
        ++machine.openHandles;
    }
    return Log("open-limited", driveNumber, -1, static_cast<int32_t>(errorCode));
}

bool Privileged() {
    std::lock_guard<std::mutex> guard(machineLock);
    return machine.privileged;
}

void Close(DriveHandle handle) {
    Log("close", handle);
    std::lock_guard<std::mutex> guard(machineLock);
    --machine.openHandles;
    ++Drive(handle).closes;
}

bool QueryIdentity(DriveHandle handle, DriveIdentity& identity) {
    for (int waited = 0; Drive(handle).slow && slowHeld && waited < 10000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const int other = Drive(handle).waitsFor;
    for (int waited = 0; other >= 0 && waited < 10000; ++waited) {
        {
            std::lock_guard<std::mutex> guard(machineLock);
            if (Drive(other).closes >= 2) {
                break;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Log("identity", handle);
    identity = Drive(handle).identityAnswers ? Drive(handle).identity : identity;
    return Drive(handle).identityAnswers;
}

bool QuerySize(DriveHandle handle, uint64_t& sizeBytes) {
    Log("size", handle);
    sizeBytes = Drive(handle).sizeAnswers ? Drive(handle).sizeBytes : sizeBytes;
    return Drive(handle).sizeAnswers;
}

void SmartEnable(DriveHandle handle, int driveNumber) {
    Log("enable", handle, driveNumber);
}

bool SmartPage(DriveHandle handle, int driveNumber, uint8_t feature,
               uint8_t (&page)[SMART_PAGE_SIZE]) {
    Log(driveNumber == handle ? "smart" : "smart-wrong-drive", handle, feature);
    test::FakeDrive& d = Drive(handle);
    const bool data = feature == SMART_FEATURE_READ_DATA;
    const bool read =
        Copy(data ? d.smartDataAnswers
                  : feature == SMART_FEATURE_READ_THRESHOLDS && d.smartThresholdsAnswer,
             data ? d.smartData : d.smartThresholds, page, d.requestError);
    if (read && data && d.selfTestsSent > 0 && !d.statusAfterStart.empty()) {
        page[363] = d.statusAfterStart[std::min(d.statusReads++, d.statusAfterStart.size() - 1)];
    }
    return read;
}

// A self-test start or abort, or a read of the self-test log (the one sector a command reads).
bool SelfTestCommand(DriveHandle handle, uint8_t feature, uint8_t sector, uint8_t* data) {
    test::FakeDrive& d = Drive(handle);
    if (feature == SMART_FEATURE_READ_DATA) {  // a look at a running test
        uint8_t page[SMART_PAGE_SIZE];
        const bool read = SmartPage(handle, static_cast<int>(handle), feature, page);
        std::memcpy(data, page, SMART_PAGE_SIZE);
        return read;
    }
    if (feature == 0xD5) {  // SMART READ LOG
        Log("smartlog", handle, sector);
        const bool after = d.selfTestsSent > 0 && d.smartLogAfterStart[508] != 0;
        return Copy(d.smartLogAnswers && sector == 0x06, after ? d.smartLogAfterStart : d.smartLog,
                    data, d.requestError);
    }
    Log("selftest", handle, sector, feature == 0xD4 && !d.selfTestRefused ? 0 : d.requestError);
    d.selfTestsSent += d.selfTestRefused ? 0 : 1;
    d.statusReads = 0;
    return !d.selfTestRefused && data == nullptr;
}

bool NvmeLogPage(DriveHandle handle, uint8_t (&page)[NVME_LOG_PAGE_SIZE]) {
    Log("nvme", handle);
    return Copy(Drive(handle).nvmeAnswers, Drive(handle).nvmeLog, page, Drive(handle).requestError);
}

// A bridge reads the registers where SAT puts them in each form; logged as "ata N CDB".
bool PassThrough(DriveHandle handle, const uint8_t* cdb, size_t length, uint8_t* data,
                 size_t dataSize) {
    std::string line = "ata " + std::to_string(handle) + " ";
    for (size_t i = 0; i < length; ++i) {
        line += {"0123456789ABCDEF"[cdb[i] >> 4], "0123456789ABCDEF"[cdb[i] & 15]};
    }
    {
        std::lock_guard<std::mutex> guard(machineLock);
        machine.driveCalls[static_cast<size_t>(handle)] += line + "\n";
    }
    const test::FakeDrive& drive = Drive(handle);
    const bool is16 = length == 16;
    const uint8_t command = cdb[is16 ? 14 : 9], feature = cdb[is16 ? 4 : 3];
    if ((is16 ? drive.takes16 : drive.takes12) && (feature == 0xD4 || feature == 0xD5)) {
        return SelfTestCommand(handle, feature, cdb[is16 ? 8 : 5], data);
    }
    if (!(is16 ? drive.takes16 : drive.takes12) || dataSize != SMART_PAGE_SIZE) {
        lastError = 1;  // ERROR_INVALID_FUNCTION
        return false;
    }
    const test::Page& page = command == 0xEC                      ? drive.identify  // IDENTIFY
                             : feature == SMART_FEATURE_READ_DATA ? drive.smartData
                                                                  : drive.smartThresholds;
    std::memcpy(data, page.data(), SMART_PAGE_SIZE);
    return true;
}

constexpr DeviceAccess FAKE_DEVICES{
    .errorKind = ERRORS_WIN32,
    .beginDriveScan = BeginScan,
    .driveDevicePath = DevicePath,
    .openDrive = Open,
    .closeDrive = Close,
    .openDriveLimited = OpenLimited,
    .driveNumberLimit = [] { return MAX_DRIVES; },
    .processPrivileged = Privileged,
    .queryDriveIdentity = QueryIdentity,
    .queryDriveSize = QuerySize,
    .sendSmartEnable = SmartEnable,
    .readSmartPage = SmartPage,
    .sendAtaPassThrough = PassThrough,
    .readNvmeLogPage = NvmeLogPage,
    .sendSmartCommand =
        [](DriveHandle handle, int, const ata::AtaRegisters& registers, uint8_t* data) {
            return SelfTestCommand(handle, registers.feature, registers.sectorNumber, data);
        },
    .readNvmeIdentify =
        [](DriveHandle handle, uint8_t* data) {
            Log("nvme-identify", handle);
            std::memset(data, 0, 4096);
            return Copy(Drive(handle).nvmeIdentifyAnswers, Drive(handle).nvmeIdentify, data,
                        Drive(handle).requestError);
        },
    .readNvmeLog =
        [](DriveHandle handle, uint8_t logId, uint8_t* data, size_t size) {
            Log("nvme-log", handle, logId);
            test::FakeDrive& d = Drive(handle);
            const bool answers = d.nvmeSelfTestLogAnswers && logId == 0x06 && size == 564;
            if (answers) {
                std::memcpy(data, d.nvmeSelfTestLog.data(), size);
            }
            lastError = answers ? lastError : d.requestError;
            return answers;
        },
    .sendNvmeSelfTest =
        [](DriveHandle handle, uint8_t code) {
            test::FakeDrive& d = Drive(handle);
            d.selfTestsSent += d.selfTestRefused ? 0 : 1;
            return Log("nvme-selftest", handle, code, d.selfTestRefused ? d.requestError : 0);
        },
    .lastDeviceError = LastError,
};

}  // namespace

namespace test {
const DeviceAccess& FakeDeviceAccess() {
    return FAKE_DEVICES;
}
FakeMachine& Machine() {
    return machine;
}
const VolumeAccess& FakeVolumeAccess() {
    static constexpr VolumeAccess TABLE{.listVolumes = [] {
        std::lock_guard<std::mutex> guard(machineLock);
        return machine.volumes;
    }};
    return TABLE;
}

void ResetMachine() {
    machine = FakeMachine();
    held = false;
    slowHeld = false;
    lastError = 0;
}
std::string MachineCalls() {
    std::lock_guard<std::mutex> guard(machineLock);
    std::string all = machine.calls;
    for (const std::string& drive : machine.driveCalls) {
        all += drive;
    }
    return all;
}
void HoldSlowDrives(bool hold) {
    slowHeld = hold;
}
void HoldScan(bool hold) {
    held = hold;
}
}  // namespace test

}  // namespace corvanite
