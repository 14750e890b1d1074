// Drive access on Linux, the system's DeviceAccess table: whole disks from /sys/block, identity
// from IDENTIFY DEVICE or sysfs, the size from BLKGETSIZE64, SMART through SG_IO ATA PASS-THROUGH
// (16) and the NVMe health log through the NVMe admin ioctl. Command blocks and replies are read by
// linux_layout.h and sat.h.
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/nvme_ioctl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "drives/ata_identify.h"
#include "drives/device_access.h"
#include "drives/device_error.h"
#include "drives/device_linux_testing.h"
#include "drives/drive_info.h"
#include "drives/files_linux.h"
#include "drives/identity.h"
#include "drives/linux_layout.h"
#include "drives/sat.h"
#include "drives/self_test.h"
#include "drives/trace.h"
#include "text/utf.h"

namespace corvanite {
namespace {

constexpr unsigned PASS_THROUGH_TIMEOUT_MS = DEVICE_REQUEST_TIMEOUT_SECONDS * 1000;

// The error of the last failed request on this thread (each drive is asked from its own worker).
thread_local int32_t lastDeviceError = 0;
constexpr size_t SYSFS_READ_LIMIT = 4096;

struct LinuxDrives {
    std::mutex lock;
    std::string sysBlock = "/sys/block";
    std::string devDir = "/dev";
    std::vector<std::string> names;                 // drive number -> name in /sys/block
    std::vector<std::pair<int, std::string>> open;  // fd -> name
};

LinuxDrives& State() {
    static LinuxDrives state;
    return state;
}

std::string NameOf(DriveHandle handle) {
    LinuxDrives& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    for (const auto& [fd, name] : s.open) {
        if (fd == handle) {
            return name;
        }
    }
    return {};
}

int Fd(DriveHandle handle) {
    return static_cast<int>(handle);
}

std::u16string SysfsText(const std::string& path) {
    std::string bytes;
    if (!ReadBoundedFile(path, bytes, SYSFS_READ_LIMIT)) {
        return {};
    }
    return Utf8ToUtf16(linux_layout::SysfsValue(bytes));
}

std::string SysfsDir(const std::string& name) {
    LinuxDrives& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.sysBlock + "/" + name;
}

// Sends one SCSI command block through SG_IO; data, when given, is read from the device.
ata::PassThroughOutcome SendCommand(int fd, const uint8_t* cdb, size_t cdbLength, uint8_t* data,
                                    size_t dataSize, uint8_t (&sense)[ata::SENSE_BUFFER_SIZE]) {
    std::memset(sense, 0, sizeof sense);
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.cmd_len = static_cast<unsigned char>(cdbLength);
    io.cmdp = const_cast<unsigned char*>(cdb);
    io.dxfer_direction = data != nullptr ? SG_DXFER_FROM_DEV : SG_DXFER_NONE;
    io.dxferp = data;
    io.dxfer_len = static_cast<unsigned>(data != nullptr ? dataSize : 0);
    io.sbp = sense;
    io.mx_sb_len = sizeof sense;
    io.timeout = PASS_THROUGH_TIMEOUT_MS;
    ata::PassThroughOutcome outcome;
    outcome.ioctlSucceeded = ioctl(fd, SG_IO, &io) == 0;
    if (!outcome.ioctlSucceeded) {
        lastDeviceError = errno;
    }
    outcome.scsiStatus = io.status;
    outcome.hostStatus = io.host_status;
    outcome.driverStatus = io.driver_status;
    outcome.residual = io.resid;
    outcome.sense = sense;
    outcome.senseLength = io.sb_len_wr < sizeof sense ? io.sb_len_wr : sizeof sense;
    return outcome;
}

// One command block through SG_IO, its outcome read as an ATA PASS-THROUGH's.
bool SendCdb(DriveHandle handle, const uint8_t* cdb, size_t cdbLength, uint8_t* data,
             size_t dataSize) {
    uint8_t sense[ata::SENSE_BUFFER_SIZE];
    const ata::PassThroughOutcome outcome =
        SendCommand(Fd(handle), cdb, cdbLength, data, dataSize, sense);
    if (ata::PassThroughSucceeded(outcome)) {
        return true;
    }
    if (outcome.ioctlSucceeded) {
        const int32_t transport = linux_layout::TransportErrno(outcome);
        lastDeviceError = transport != 0 ? transport : DEVICE_ERROR_STATUS;
    }
    return false;
}

// An ATA command as ATA PASS-THROUGH (16); data-in when data is given.
bool PassThrough(DriveHandle handle, const ata::AtaRegisters& registers, uint8_t* data,
                 size_t dataSize) {
    const ata::CommandBlock cdb = ata::AtaPassThroughCdb(registers, data != nullptr, ata::CDB16);
    return SendCdb(handle, cdb.bytes.data(), cdb.length, data, dataSize);
}

// The unit serial number: the kernel's copy of VPD page 80h when it keeps one, otherwise asked
// of the device (USB bridges, for one, are not asked by the kernel).
std::u16string UnitSerial(int fd, const std::string& dir) {
    std::string vpd;
    if (ReadBoundedFile(dir + "/device/vpd_pg80", vpd, SYSFS_READ_LIMIT)) {
        return Utf8ToUtf16(linux_layout::UnitSerialFromVpd(
            reinterpret_cast<const uint8_t*>(vpd.data()), vpd.size()));
    }
    uint8_t page[255] = {};
    uint8_t sense[ata::SENSE_BUFFER_SIZE];
    const auto cdb = linux_layout::InquiryVpdCdb(linux_layout::VPD_UNIT_SERIAL_NUMBER, sizeof page);
    const ata::PassThroughOutcome outcome =
        SendCommand(fd, cdb.data(), cdb.size(), page, sizeof page, sense);
    if (!linux_layout::ScsiCommandSucceeded(outcome) ||
        static_cast<size_t>(outcome.residual) >= sizeof page) {
        return {};
    }
    return Utf8ToUtf16(
        linux_layout::UnitSerialFromVpd(page, sizeof page - static_cast<size_t>(outcome.residual)));
}

std::u16string ResolvedDevicePath(const std::string& name) {
    char resolved[PATH_MAX];
    if (realpath(SysfsDir(name).c_str(), resolved) == nullptr) {
        return {};
    }
    return Utf8ToUtf16(resolved);
}

int32_t LastError() {
    return lastDeviceError;
}

void BeginScan() {
    LinuxDrives& s = State();
    std::string sysBlock;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        sysBlock = s.sysBlock;
    }
    std::vector<std::string> names = ListProbedDisks(sysBlock);
    std::lock_guard<std::mutex> guard(s.lock);
    s.names = std::move(names);
}

std::u16string DevicePath(int driveNumber) {
    LinuxDrives& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (driveNumber < 0 || static_cast<size_t>(driveNumber) >= s.names.size()) {
        return {};
    }
    return Utf8ToUtf16(s.devDir + "/" + s.names[static_cast<size_t>(driveNumber)]);
}

// Opens drive number N's node with these flags and keeps its name for the handle.
bool OpenNode(int driveNumber, int flags, DriveHandle& handle, uint32_t& errorCode) {
    LinuxDrives& s = State();
    std::string name;
    std::string path;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (driveNumber < 0 || static_cast<size_t>(driveNumber) >= s.names.size()) {
            errorCode = ENODEV;
            return false;
        }
        name = s.names[static_cast<size_t>(driveNumber)];
        path = s.devDir + "/" + name;
    }
    const int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        lastDeviceError = errno;
        errorCode = static_cast<uint32_t>(errno);
        return false;
    }
    std::lock_guard<std::mutex> guard(s.lock);
    s.open.emplace_back(fd, name);
    handle = fd;
    return true;
}

// Read-only, so that closing the node makes udev re-read nothing: a process with CAP_SYS_RAWIO
// may send any SCSI command (ATA PASS-THROUGH included) through SG_IO on such a descriptor, and
// one with CAP_SYS_ADMIN any NVMe admin command. No waiting for removable media.
bool Open(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    return OpenNode(driveNumber, O_RDONLY | O_NONBLOCK, handle, errorCode);
}

// A path handle: opening one needs no right on the node itself, and no request reaches the
// drive through it (the identity and size come from sysfs).
bool OpenLimited(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    return OpenNode(driveNumber, O_PATH, handle, errorCode);
}

int NumberLimit() {
    LinuxDrives& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    return static_cast<int>(s.names.size());
}

// Root, or the two capabilities the requests need (SG_IO's ATA PASS-THROUGH, the NVMe admin
// command).
bool Privileged() {
    return geteuid() == 0;
}

void Close(DriveHandle handle) {
    LinuxDrives& s = State();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.open.erase(std::remove_if(s.open.begin(), s.open.end(),
                                    [&](const auto& entry) { return entry.first == handle; }),
                     s.open.end());
    }
    close(Fd(handle));
}

bool QueryIdentity(DriveHandle handle, DriveIdentity& identity) {
    const std::string name = NameOf(handle);
    if (name.empty()) {
        return false;
    }
    const std::string dir = SysfsDir(name);
    identity = DriveIdentity();
    identity.busType = linux_layout::BusCodeFromSysfsPath(Utf16ToUtf8(ResolvedDevicePath(name)));

    if (identity.busType == BUS_NVME) {
        identity.product = SysfsText(dir + "/device/model");
        identity.serial = SysfsText(dir + "/device/serial");
        identity.revision = SysfsText(dir + "/device/firmware_rev");
        return true;
    }
    // ATA disks, and bridges that pass ATA commands through, tell their full identity.
    if (identity.busType != BUS_VIRTIO) {
        uint8_t page[ata::IDENTIFY_PAGE_SIZE] = {};
        if (PassThrough(handle, ata::IdentifyRegisters(ata::PASS_THROUGH_DRIVE), page,
                        sizeof page) &&
            ata::IdentifyPageIntact(page)) {
            ata::IdentityFromIdentifyPage(page, identity);
            return true;
        }
    }
    if (identity.busType == BUS_VIRTIO) {
        identity.serial = SysfsText(dir + "/serial");
        return true;
    }
    identity.vendor = SysfsText(dir + "/device/vendor");
    identity.product = SysfsText(dir + "/device/model");
    identity.revision = SysfsText(dir + "/device/rev");
    identity.serial = UnitSerial(Fd(handle), dir);
    return true;
}

bool QuerySize(DriveHandle handle, uint64_t& sizeBytes) {
    uint64_t size = 0;
    if (ioctl(Fd(handle), BLKGETSIZE64, &size) == 0) {
        sizeBytes = size;
        return true;
    }
    // A path handle takes no ioctl: sysfs counts the disk in 512-byte sectors.
    const std::string name = NameOf(handle);
    std::string text;
    if (name.empty() || !ReadBoundedFile(SysfsDir(name) + "/size", text, SYSFS_READ_LIMIT)) {
        return false;
    }
    const std::string_view digits = linux_layout::SysfsValue(text);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return false;
    }
    sizeBytes = std::strtoull(std::string(digits).c_str(), nullptr, 10) * 512;
    return true;
}

void SmartEnable(DriveHandle handle, int /*driveNumber*/) {
    PassThrough(handle,
                ata::SmartRegisters(ata::PASS_THROUGH_DRIVE, SMART_FEATURE_ENABLE_OPERATIONS),
                nullptr, 0);
}

bool SmartPage(DriveHandle handle, int /*driveNumber*/, uint8_t feature,
               uint8_t (&page)[SMART_PAGE_SIZE]) {
    std::memset(page, 0, SMART_PAGE_SIZE);
    return PassThrough(handle, ata::SmartRegisters(ata::PASS_THROUGH_DRIVE, feature), page,
                       SMART_PAGE_SIZE);
}

// One NVMe admin command with data from the controller (none when size is 0).
bool NvmeAdmin(DriveHandle handle, uint8_t opcode, uint32_t nsid, uint32_t cdw10, uint8_t* data,
               size_t size) {
    if (data != nullptr) {
        std::memset(data, 0, size);
    }
    nvme_admin_cmd command{};
    command.opcode = opcode;
    command.nsid = nsid;
    command.addr = reinterpret_cast<uintptr_t>(data);
    command.data_len = static_cast<uint32_t>(size);
    command.cdw10 = cdw10;
    command.timeout_ms = PASS_THROUGH_TIMEOUT_MS;
    // 0: completed; above 0: the controller's status code; below 0: the kernel refused.
    const auto started = std::chrono::steady_clock::now();
    const int result = ioctl(Fd(handle), NVME_IOCTL_ADMIN_CMD, &command);
    if (result != 0) {
        const int error = errno;
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - started);
        lastDeviceError =
            linux_layout::NvmeAdminError(result, error, elapsed.count(), PASS_THROUGH_TIMEOUT_MS);
        return false;
    }
    return true;
}

bool NvmeLog(DriveHandle handle, uint8_t logId, uint8_t* data, size_t size) {
    return NvmeAdmin(
        handle, linux_layout::NVME_ADMIN_GET_LOG_PAGE, linux_layout::NVME_ALL_NAMESPACES,
        linux_layout::NvmeGetLogPageDword10(logId, static_cast<uint32_t>(size)), data, size);
}

bool NvmeLogPage(DriveHandle handle, uint8_t (&page)[NVME_LOG_PAGE_SIZE]) {
    return NvmeLog(handle, linux_layout::NVME_LOG_HEALTH_INFORMATION, page, NVME_LOG_PAGE_SIZE);
}

// SMART commands go as ATA PASS-THROUGH, which addresses its device itself (no device bit).
bool SmartCommand(DriveHandle handle, int /*driveNumber*/, const ata::AtaRegisters& registers,
                  uint8_t* data) {
    ata::AtaRegisters r = registers;
    r.driveHead = ata::AtaDriveHead(ata::PASS_THROUGH_DRIVE);
    if (data != nullptr) {
        std::memset(data, 0, SMART_PAGE_SIZE);
    }
    return PassThrough(handle, r, data, data != nullptr ? SMART_PAGE_SIZE : 0);
}

constexpr DeviceAccess LINUX_DEVICES{
    .errorKind = ERRORS_POSIX,
    .beginDriveScan = BeginScan,
    .driveDevicePath = DevicePath,
    .openDrive = Open,
    .closeDrive = Close,
    .openDriveLimited = OpenLimited,
    .driveNumberLimit = NumberLimit,
    .processPrivileged = Privileged,
    .queryDriveIdentity = QueryIdentity,
    .queryDriveSize = QuerySize,
    .sendSmartEnable = SmartEnable,
    .readSmartPage = SmartPage,
    .sendAtaPassThrough = SendCdb,
    .readNvmeLogPage = NvmeLogPage,
    .sendSmartCommand = SmartCommand,
    .readNvmeIdentify =
        [](DriveHandle handle, uint8_t* data) {
            return NvmeAdmin(handle, linux_layout::NVME_ADMIN_IDENTIFY, 0,
                             linux_layout::NVME_IDENTIFY_CNS_CONTROLLER, data,
                             nvme::IDENTIFY_CONTROLLER_SIZE);
        },
    .readNvmeLog = NvmeLog,
    .sendNvmeSelfTest =
        [](DriveHandle handle, uint8_t code) {
            return NvmeAdmin(handle, nvme::ADMIN_DEVICE_SELF_TEST,
                             linux_layout::NVME_ALL_NAMESPACES, code, nullptr, 0);
        },
    .lastDeviceError = LastError,
};

}  // namespace

const DeviceAccess& SystemDeviceAccess() {
    return LINUX_DEVICES;
}

std::u16string SystemErrorMessage(int32_t error) {
    if (error == DEVICE_ERROR_STATUS) {
        return u"the drive reported a failed command status";
    }
    char text[256] = {};
    // The GNU strerror_r: the words may be its own static text rather than the buffer.
    return Utf8ToUtf16(strerror_r(error, text, sizeof text));
}

std::string SystemVersionText() {
    utsname names{};
    if (uname(&names) != 0) {
        return "Linux";
    }
    return std::string(names.sysname) + " " + names.release + " " + names.machine;
}

void SetLinuxDriveRoots(const std::string& sysBlock, const std::string& devDir) {
    LinuxDrives& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    s.sysBlock = sysBlock;
    s.devDir = devDir;
}

std::vector<std::string> ListProbedDisks(const std::string& sysBlock) {
    std::vector<std::string> names;
    DIR* dir = opendir(sysBlock.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = readdir(dir)) {
        if (linux_layout::IsProbedDiskName(entry->d_name)) {
            names.emplace_back(entry->d_name);
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return linux_layout::DiskNameLess(a, b);
    });
    if (names.size() > static_cast<size_t>(MAX_LINUX_DRIVES)) {
        names.resize(MAX_LINUX_DRIVES);
    }
    return names;
}

}  // namespace corvanite
