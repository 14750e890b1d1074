// A drive's identity as the device reports it, and the rules that turn it into the record's
// model, serial, firmware, bus code and word, and media class. Pure: no device is asked here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "drives/drive_info.h"

namespace corvanite {

// Bus codes (STORAGE_BUS_TYPE values) the rules name; the Linux layer reports the same codes.
constexpr uint32_t BUS_SCSI = 1;
constexpr uint32_t BUS_ATA = 3;
constexpr uint32_t BUS_USB = 7;
constexpr uint32_t BUS_RAID = 8;  // a RAID volume, or a drive behind a RAID / VMD driver
constexpr uint32_t BUS_SAS = 10;
constexpr uint32_t BUS_SATA = 11;
constexpr uint32_t BUS_SD = 12;
constexpr uint32_t BUS_MMC = 13;
constexpr uint32_t BUS_VIRTIO = 14;               // BusTypeVirtual: virtio disks on Linux
constexpr uint32_t BUS_FILE_BACKED_VIRTUAL = 15;  // an attached VHD / VHDX
constexpr uint32_t BUS_SPACES = 16;               // a Storage Spaces disk
constexpr uint32_t BUS_NVME = 17;

// The identity texts and bus code of a drive as the device reports them, untrimmed. A text
// the device does not report is empty.
struct DriveIdentity {
    std::u16string vendor;
    std::u16string product;
    std::u16string serial;
    std::u16string revision;
    uint32_t busType = 0;  // a STORAGE_BUS_TYPE code
};

// Sets model ("vendor product", or the product alone), serial, firmware, busType, busName and
// mediaType. Texts lose the blanks they are padded with at either end and are cut to their field.
void ApplyDriveIdentity(const DriveIdentity& identity, DriveInfo& drive);

// The bus word ("SATA", "USB", "SAS", "RAID", "SD", "MMC", "NVMe", "Virtual", "Spaces", or
// "Bus%02X") and the media class by bus code alone (SD and MMC cards are flash); for ATA/SATA
// codes the model decides between SSD and HDD, for the RAID code whether it names NVMe (a drive
// behind Intel VMD / RST) or is a RAID volume.
std::u16string BusWord(uint32_t busType);
MediaType MediaClass(uint32_t busType, std::u16string_view model);

// True when the upper-cased model contains "SSD" or "SOLID".
bool LooksSolidState(std::u16string_view model);

// False for a file-backed virtual disk: it has no NVMe controller to ask for a health log.
bool AsksForNvmeLog(uint32_t busType);

}  // namespace corvanite
