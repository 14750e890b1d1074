// Turning a drive's reported identity into the record's model, serial, firmware, bus word and
// media class.
#pragma once

#include <cstdint>
#include <string>

#include "drives/device_access.h"
#include "drives/drive_info.h"

namespace corvanite {

// Bus codes (STORAGE_BUS_TYPE values) the rules name; the Linux layer reports the same codes.
constexpr uint32_t BUS_SCSI = 1;
constexpr uint32_t BUS_ATA = 3;
constexpr uint32_t BUS_USB = 7;
constexpr uint32_t BUS_SAS = 10;
constexpr uint32_t BUS_SATA = 11;
constexpr uint32_t BUS_VIRTIO = 14;               // BusTypeVirtual: virtio disks on Linux
constexpr uint32_t BUS_FILE_BACKED_VIRTUAL = 15;  // an attached VHD / VHDX
constexpr uint32_t BUS_SPACES = 16;               // a Storage Spaces disk
constexpr uint32_t BUS_NVME = 17;

// Sets model ("vendor product", or the product alone), serial, firmware, busName and
// mediaType. Texts are cut to their field and trailing blanks removed; leading blanks stay.
void ApplyDriveIdentity(const DriveIdentity& identity, DriveInfo& drive);

// The bus word ("SATA", "USB", "SAS", "NVMe", "Virtual", "Spaces", or "Bus%02X") and the media
// class by bus code alone; for ATA/SATA codes the model decides between SSD and HDD.
std::u16string BusWord(uint32_t busType);
MediaType MediaClass(uint32_t busType, std::u16string_view model);

// True when the upper-cased model contains "SSD" or "SOLID".
bool LooksSolidState(std::u16string_view model);

// Identity, bus, media class and capacity of an open drive. False when the descriptor query
// failed: then the record keeps its start values and no capacity query is made.
bool QueryStorageDescriptor(DriveHandle handle, DriveInfo& drive);
// The same, also giving the bus code (left alone when the query failed).
bool QueryStorageDescriptor(DriveHandle handle, DriveInfo& drive, uint32_t& busType);

// False for a file-backed virtual disk: it has no NVMe controller to ask for a health log.
bool AsksForNvmeLog(uint32_t busType);

}  // namespace corvanite
