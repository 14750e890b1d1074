// What the drive probe asks of the platform, per drive: one table of functions (DeviceAccess).
// Each platform's device layer gives the system's (device_win32.cpp, device_linux.cpp); a test
// or the end-to-end build installs its own (a scripted machine, the sample drives). The free
// functions below go through the installed table, so callers read as plain calls.
// Every call blocks until the driver answers. All texts are already converted to UTF-16; the
// rules applied to them (trimming, joining, bus table) are portable and live in identity.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "drives/device_error.h"
#include "drives/identity.h"
#include "drives/sat.h"
#include "host/installed_table.h"

namespace corvanite {

constexpr size_t NVME_LOG_PAGE_SIZE = 512;

// An open drive, as the platform layer knows it (a HANDLE or a file descriptor).
using DriveHandle = intptr_t;

struct DeviceAccess {
    // Whose error codes the table reports (Windows system error codes or errno values).
    SystemErrorKind errorKind;

    // Takes a fresh look at which drives the machine has, before drive numbers 0 to 15 are
    // tried (Linux lists its block devices here; on Windows the numbers are the system's own).
    void (*beginDriveScan)();

    // The path drive number N is opened by: "\\.\PhysicalDrive<N>" on Windows, the /dev node on
    // Linux; empty when the scan saw no drive with that number.
    std::u16string (*driveDevicePath)(int driveNumber);

    // Opens drive number N (0 to 15) for querying, with read and write access. On failure
    // returns false and sets errorCode to the system's reason.
    bool (*openDrive)(int driveNumber, DriveHandle& handle, uint32_t& errorCode);
    void (*closeDrive)(DriveHandle handle);

    // For a drive openDrive refuses: a handle for what needs no access rights, closed by
    // closeDrive. Windows: a handle with no access, which answers the storage descriptor, the
    // size and the NVMe health query; Linux: a path handle (O_PATH), for which the identity and
    // size come from sysfs and every other request fails. False when even that fails.
    bool (*openDriveLimited)(int driveNumber, DriveHandle& handle, uint32_t& errorCode);

    // How many drive numbers a scan tries (0 to this less one): Windows' PhysicalDrive0 to 15,
    // Linux's every whole disk the scan's listing found. Valid after beginDriveScan.
    int (*driveNumberLimit)();

    // Whether this process has the rights a drive's health data needs (an administrator's
    // elevated token, root): a refusal then is the system's own, and no words ask for rights.
    bool (*processPrivileged)();

    // The storage descriptor: identity texts and bus code. False when the query failed.
    bool (*queryDriveIdentity)(DriveHandle handle, DriveIdentity& identity);

    // The capacity in bytes. False when the query failed, sizeBytes then left as it was.
    bool (*queryDriveSize)(DriveHandle handle, uint64_t& sizeBytes);

    // SMART ENABLE OPERATIONS; the outcome is of no interest to the caller.
    void (*sendSmartEnable)(DriveHandle handle, int driveNumber);

    // SMART READ DATA (feature 0xD0) or READ THRESHOLDS (0xD1): the drive's 512-byte page. True
    // only when the request succeeded and the driver reported no error.
    bool (*readSmartPage)(DriveHandle handle, int driveNumber, uint8_t feature,
                          uint8_t (&page)[SMART_PAGE_SIZE]);

    // One ATA command in a SCSI command block (ATA PASS-THROUGH (16) or (12), sat.h) through the
    // system's SCSI pass-through; when data is not null, dataSize bytes are read from the device
    // into it. Sends exactly the block given, once. True only when the command completed
    // (ata::PassThroughSucceeded); otherwise lastDeviceError tells why.
    bool (*sendAtaPassThrough)(DriveHandle handle, const uint8_t* cdb, size_t cdbLength,
                               uint8_t* data, size_t dataSize);

    // The NVMe SMART / Health Information log (log page 02h, all namespaces). Bytes the device
    // did not return are zero. True when the query succeeded and the page lay inside the reply.
    bool (*readNvmeLogPage)(DriveHandle handle, uint8_t (&page)[NVME_LOG_PAGE_SIZE]);

    // A SMART command with these registers (a self-test's start, SMART READ LOG): non-data when
    // data is null, else one 512-byte sector read into data. Windows: SMART_SEND_DRIVE_COMMAND or
    // SMART_RCV_DRIVE_DATA; Linux: ATA PASS-THROUGH (16). True when the drive took it.
    bool (*sendSmartCommand)(DriveHandle handle, int driveNumber,
                             const ata::AtaRegisters& registers, uint8_t* data);

    // NVMe Identify Controller: its 4096 bytes. True when the query succeeded.
    bool (*readNvmeIdentify)(DriveHandle handle, uint8_t* data);

    // An NVMe log page (all namespaces): size bytes of it; bytes the device did not return are
    // zero. True when the query succeeded.
    bool (*readNvmeLog)(DriveHandle handle, uint8_t logId, uint8_t* data, size_t size);

    // NVMe Device Self-test (admin 14h) with its code (short, extended, abort), all namespaces.
    bool (*sendNvmeSelfTest)(DriveHandle handle, uint8_t code);

    // The system's error code of the last failed device request on this thread (GetLastError
    // on Windows, errno on Linux; DEVICE_ERROR_STATUS when the request came back but the drive
    // or bridge reported a failed command status). 0 when none.
    int32_t (*lastDeviceError)();
};

// The system's table (defined by the platform's device layer).
const DeviceAccess& SystemDeviceAccess();
// Installs a table (null: the system's again); returns the one installed before.
inline const DeviceAccess* InstallDeviceAccess(const DeviceAccess* table) {
    return InstallTable(table);
}
inline const DeviceAccess& InstalledDeviceAccess() {
    return InstalledTableOr(SystemDeviceAccess());
}

// The calls of the installed table.
inline SystemErrorKind DeviceErrorKind() {
    return InstalledDeviceAccess().errorKind;
}
inline void BeginDriveScan() {
    InstalledDeviceAccess().beginDriveScan();
}
inline std::u16string DriveDevicePath(int driveNumber) {
    return InstalledDeviceAccess().driveDevicePath(driveNumber);
}
inline bool OpenDrive(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    return InstalledDeviceAccess().openDrive(driveNumber, handle, errorCode);
}
inline bool OpenDriveLimited(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    return InstalledDeviceAccess().openDriveLimited(driveNumber, handle, errorCode);
}
inline int DriveNumberLimit() {
    return InstalledDeviceAccess().driveNumberLimit();
}
inline bool ProcessPrivileged() {
    return InstalledDeviceAccess().processPrivileged();
}
inline void CloseDrive(DriveHandle handle) {
    InstalledDeviceAccess().closeDrive(handle);
}
inline bool QueryDriveIdentity(DriveHandle handle, DriveIdentity& identity) {
    return InstalledDeviceAccess().queryDriveIdentity(handle, identity);
}
inline bool QueryDriveSize(DriveHandle handle, uint64_t& sizeBytes) {
    return InstalledDeviceAccess().queryDriveSize(handle, sizeBytes);
}
inline void SendSmartEnable(DriveHandle handle, int driveNumber) {
    InstalledDeviceAccess().sendSmartEnable(handle, driveNumber);
}
inline bool ReadSmartPage(DriveHandle handle, int driveNumber, uint8_t feature,
                          uint8_t (&page)[SMART_PAGE_SIZE]) {
    return InstalledDeviceAccess().readSmartPage(handle, driveNumber, feature, page);
}
inline bool SendAtaPassThrough(DriveHandle handle, const uint8_t* cdb, size_t cdbLength,
                               uint8_t* data, size_t dataSize) {
    return InstalledDeviceAccess().sendAtaPassThrough(handle, cdb, cdbLength, data, dataSize);
}
inline bool ReadNvmeLogPage(DriveHandle handle, uint8_t (&page)[NVME_LOG_PAGE_SIZE]) {
    return InstalledDeviceAccess().readNvmeLogPage(handle, page);
}
inline bool SendSmartCommand(DriveHandle handle, int driveNumber,
                             const ata::AtaRegisters& registers, uint8_t* data) {
    return InstalledDeviceAccess().sendSmartCommand(handle, driveNumber, registers, data);
}
inline bool ReadNvmeIdentify(DriveHandle handle, uint8_t* data) {
    return InstalledDeviceAccess().readNvmeIdentify(handle, data);
}
inline bool ReadNvmeLog(DriveHandle handle, uint8_t logId, uint8_t* data, size_t size) {
    return InstalledDeviceAccess().readNvmeLog(handle, logId, data, size);
}
inline bool SendNvmeSelfTest(DriveHandle handle, uint8_t code) {
    return InstalledDeviceAccess().sendNvmeSelfTest(handle, code);
}
inline int32_t LastDeviceError() {
    return InstalledDeviceAccess().lastDeviceError();
}

}  // namespace corvanite
