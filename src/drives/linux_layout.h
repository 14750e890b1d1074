// The rules of the Linux drive layer that need no system call: which block devices are drives,
// their order and bus, the ATA PASS-THROUGH (16) command blocks and the reading of their sense
// data, IDENTIFY DEVICE strings, the unit-serial VPD page and the NVMe Get Log Page command.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "drives/device_access.h"

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

constexpr uint8_t ATA_COMMAND_SMART = 0xB0;
constexpr uint8_t ATA_COMMAND_IDENTIFY_DEVICE = 0xEC;
constexpr size_t SENSE_BUFFER_SIZE = 32;

// ATA PASS-THROUGH (16) with 28-bit registers: PIO data-in of one 512-byte sector, or non-data.
struct AtaRegisters {
    uint8_t command = 0;
    uint8_t feature = 0;
    uint8_t count = 0;
    uint8_t sectorNumber = 0;
    uint8_t cylinderLow = 0;
    uint8_t cylinderHigh = 0;
    uint8_t driveHead = 0;
};
std::array<uint8_t, 16> AtaPassThroughCdb(const AtaRegisters& registers, bool dataIn);

// SMART ENABLE OPERATIONS (non-data), READ DATA and READ THRESHOLDS (data-in) for drive N.
std::array<uint8_t, 16> SmartCdb(int driveNumber, uint8_t feature);
std::array<uint8_t, 16> IdentifyCdb(int driveNumber);

// What an SG_IO request returned.
struct PassThroughOutcome {
    bool ioctlSucceeded = false;
    uint8_t scsiStatus = 0;   // SCSI status byte
    uint16_t hostStatus = 0;  // transport
    uint16_t driverStatus = 0;
    int32_t residual = 0;  // bytes of the data transfer not done
    const uint8_t* sense = nullptr;
    size_t senseLength = 0;  // bytes of sense data written
};

// True only when the ioctl succeeded, the transport and driver report nothing, the SCSI status
// is GOOD (or CHECK CONDITION carrying nothing worse than ATA return information), any ATA status
// in the sense data has neither ERR, DF nor BSY set, and the whole transfer was done.
bool PassThroughSucceeded(const PassThroughOutcome& outcome);

// A plain SCSI command (no ATA registers): the ioctl succeeded, nothing is reported by the
// transport or the driver and the status is GOOD. A short transfer is allowed.
bool ScsiCommandSucceeded(const PassThroughOutcome& outcome);

// INQUIRY of a vital product data page (EVPD).
constexpr uint8_t VPD_UNIT_SERIAL_NUMBER = 0x80;
std::array<uint8_t, 6> InquiryVpdCdb(uint8_t page, uint8_t allocationLength);

// The ATA status register found in sense data (descriptor or fixed format), or -1.
int AtaStatusFromSense(const uint8_t* sense, size_t length);

// IDENTIFY DEVICE: false when the page carries the integrity signature (A5h in byte 510) and
// its checksum does not add up.
bool IdentifyPageIntact(const uint8_t (&page)[512]);

// An ATA string of IDENTIFY DEVICE: words firstWord to lastWord, each word's two bytes swapped,
// ending at a NUL if one comes first. Bytes are taken as Latin-1.
std::u16string AtaString(const uint8_t (&page)[512], int firstWord, int lastWord);

// Model (words 27-46) as the product, no vendor; serial (words 10-19); firmware (words 23-26).
void IdentityFromIdentifyPage(const uint8_t (&page)[512], DriveIdentity& identity);

// The product serial number of a unit-serial-number VPD page (80h), or empty.
std::string_view UnitSerialFromVpd(const uint8_t* page, size_t length);

// A sysfs attribute's text without its final line end.
std::string_view SysfsValue(std::string_view text);

// NVMe Get Log Page: command dword 10 (NUMDL and LID) for a page of the given byte count.
constexpr uint8_t NVME_ADMIN_GET_LOG_PAGE = 0x02;
constexpr uint32_t NVME_ALL_NAMESPACES = 0xFFFFFFFF;
constexpr uint8_t NVME_LOG_HEALTH_INFORMATION = 0x02;
uint32_t NvmeGetLogPageDword10(uint8_t logId, uint32_t bytes);

}  // namespace corvanite::linux_layout
