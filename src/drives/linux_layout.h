// The rules of the Linux drive layer that need no system call: which block devices are drives,
// their order and bus, plain SCSI commands, the unit-serial VPD page and the NVMe Get Log Page
// command. The ATA PASS-THROUGH blocks and their outcome are sat.h's.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "drives/sat.h"

namespace corvanite::linux_layout {

// A whole disk of /sys/block worth probing: not a loop, ram, zram, device-mapper, md, optical,
// floppy or network block device.
bool IsProbedDiskName(std::string_view name);

// The kernel's name order, with numbers compared by value (nvme2n1 before nvme10n1) and, for
// letter suffixes, shorter first (sdz before sdaa).
bool DiskNameLess(std::string_view a, std::string_view b);

// The bus code (a STORAGE_BUS_TYPE value) of a disk from its resolved sysfs device path:
// USB 7, NVMe 17, virtio 14, ATA 11, SAS 10, anything else 1.
uint32_t BusCodeFromSysfsPath(std::string_view path);

// A plain SCSI command (no ATA registers): the ioctl succeeded, nothing is reported by the
// transport or the driver and the status is GOOD. A short transfer is allowed.
bool ScsiCommandSucceeded(const ata::PassThroughOutcome& outcome);

// What an SG_IO reply's transport failure stands for, as the Linux errno the drive layer keeps
// for it; 0 when neither the transport nor the driver reports one (the command reached the drive,
// whatever its status). The device gone (DID_NO_CONNECT, DID_BAD_TARGET: a deleted or offlined
// SCSI device, a USB disk pulled): ENXIO; the command timed out and was aborted (DID_TIME_OUT, or
// an older kernel's DRIVER_TIMEOUT): ETIMEDOUT; anything else (a bus reset, a transport error):
// EIO.
int32_t TransportErrno(const ata::PassThroughOutcome& outcome);

// The error an NVMe admin ioctl's return stands for: 0 when it returned 0, DEVICE_ERROR_STATUS
// for the controller's own failure status, otherwise a Linux errno. The driver answers a
// controller that is gone or not live with Host Pathing Error (ENODEV here). A command it
// cancelled (EINTR, or Command Aborted By Host) timed out when it ran the whole timeout
// (ETIMEDOUT: the driver aborts it by resetting the controller), else it was cancelled by a reset
// or a removal (EINTR).
int32_t NvmeAdminError(int result, int error, int64_t elapsedMs, int64_t timeoutMs);

// INQUIRY of a vital product data page (EVPD).
constexpr uint8_t VPD_UNIT_SERIAL_NUMBER = 0x80;
std::array<uint8_t, 6> InquiryVpdCdb(uint8_t page, uint8_t allocationLength);

// The product serial number of a unit-serial-number VPD page (80h), or empty.
std::string_view UnitSerialFromVpd(const uint8_t* page, size_t length);

// A sysfs attribute's text without its final line end.
std::string_view SysfsValue(std::string_view text);

// NVMe Get Log Page: command dword 10 (NUMDL and LID) for a page of the given byte count.
constexpr uint8_t NVME_ADMIN_GET_LOG_PAGE = 0x02;
constexpr uint32_t NVME_ALL_NAMESPACES = 0xFFFFFFFF;
constexpr uint8_t NVME_LOG_HEALTH_INFORMATION = 0x02;
constexpr uint8_t NVME_ADMIN_IDENTIFY = 0x06;
constexpr uint32_t NVME_IDENTIFY_CNS_CONTROLLER = 0x01;
uint32_t NvmeGetLogPageDword10(uint8_t logId, uint32_t bytes);

// The filesystem a block device starts with, from its first FILESYSTEM_PROBE_BYTES (fewer when
// the device is smaller): its type as fsck names its checkers ("ext4", "vfat", "exfat", "ntfs",
// "xfs", "btrfs") and its label (empty where the type keeps it elsewhere or has none). An empty
// type: none of these (a partition table, swap, nothing).
constexpr size_t FILESYSTEM_PROBE_BYTES = 0x10000 + 0x1000;  // btrfs keeps its at 64 KiB
struct FilesystemProbe {
    std::string type;
    std::string label;
};
FilesystemProbe ProbeFilesystem(const uint8_t* start, size_t length);

// The same from a udev database entry (/run/udev/data/b<major>:<minor>), which every user may
// read: its ID_FS_TYPE and ID_FS_LABEL, "\xHH" escapes undone.
FilesystemProbe FilesystemFromUdev(std::string_view entry);

// Where /proc/self/mountinfo mounts the block device major:minor ("8:17"): the first mount
// point, octal escapes ("\040" for a blank) undone, or empty when it is not mounted.
std::string MountPointOf(std::string_view mountinfo, std::string_view majorMinor);

}  // namespace corvanite::linux_layout
