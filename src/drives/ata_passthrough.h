// ATA commands carried in SCSI commands (SAT): the ATA PASS-THROUGH (16) and (12) command blocks,
// the reading of what a pass-through request returned, IDENTIFY DEVICE strings, and the reading
// of an ATA drive behind a bridge (a USB enclosure, a SCSI or SAS adapter). Both platforms'
// device layers send these blocks; which form is tried when is decided here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "drives/device_access.h"
#include "drives/drive_info.h"

namespace corvanite::ata {

constexpr uint8_t ATA_COMMAND_SMART = 0xB0;
constexpr uint8_t ATA_COMMAND_IDENTIFY_DEVICE = 0xEC;
constexpr size_t SENSE_BUFFER_SIZE = 32;
constexpr size_t IDENTIFY_PAGE_SIZE = 512;

// ATA PASS-THROUGH (16), opcode 85h, and its 12-byte form, opcode A1h, for bridges that do not
// know the 16-byte one.
constexpr size_t CDB16 = 16;
constexpr size_t CDB12 = 12;

// 28-bit ATA registers: PIO data-in of one 512-byte sector, or non-data.
struct AtaRegisters {
    uint8_t command = 0;
    uint8_t feature = 0;
    uint8_t count = 0;
    uint8_t sectorNumber = 0;
    uint8_t cylinderLow = 0;
    uint8_t cylinderHigh = 0;
    uint8_t driveHead = 0;
};

struct CommandBlock {
    std::array<uint8_t, 16> bytes = {};
    size_t length = 0;  // CDB16 or CDB12; bytes past it are zero
};

// length is CDB16 or CDB12 (anything else gives the 16-byte form).
CommandBlock AtaPassThroughCdb(const AtaRegisters& registers, bool dataIn, size_t length);

// SMART ENABLE OPERATIONS (non-data), READ DATA and READ THRESHOLDS (data-in), and IDENTIFY
// DEVICE, for drive N (its drive/head register: 0xA0, bit 4 from bit 0 of N).
AtaRegisters SmartRegisters(int driveNumber, uint8_t feature);
AtaRegisters IdentifyRegisters(int driveNumber);

// What a SCSI pass-through request returned (SG_IO on Linux, IOCTL_SCSI_PASS_THROUGH on
// Windows, which has no transport or driver status of its own).
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

// The ATA status register found in sense data (descriptor or fixed format), or -1.
int AtaStatusFromSense(const uint8_t* sense, size_t length);

// IDENTIFY DEVICE: false when the page carries the integrity signature (A5h in byte 510) and
// its checksum does not add up.
bool IdentifyPageIntact(const uint8_t (&page)[IDENTIFY_PAGE_SIZE]);

// An ATA string of IDENTIFY DEVICE: words firstWord to lastWord, each word's two bytes swapped,
// ending at a NUL if one comes first. Bytes are taken as Latin-1.
std::u16string AtaString(const uint8_t (&page)[IDENTIFY_PAGE_SIZE], int firstWord, int lastWord);

// Model (words 27-46) as the product, no vendor; serial (words 10-19); firmware (words 23-26).
void IdentityFromIdentifyPage(const uint8_t (&page)[IDENTIFY_PAGE_SIZE], DriveIdentity& identity);

// A drive that may be an ATA drive behind a bridge: on the USB bus, or on a SCSI or SAS bus
// with the vendor text "ATA" (the model then begins with "ATA ").
bool MayBeBehindBridge(const DriveInfo& drive);

// Reads an ATA drive behind a bridge through SendAtaPassThrough: IDENTIFY DEVICE as ATA
// PASS-THROUGH (16), then (12) when the bridge refuses it, and in the form that answered SMART
// READ DATA and READ THRESHOLDS. IDENTIFY's model, serial and firmware replace the bridge's
// (bus and media class stay). True when attribute rows were produced; otherwise errorText tells
// why ("SMART read through the USB bridge refused (error N)").
bool ReadAtaBehindBridge(DriveHandle handle, int driveNumber, DriveInfo& drive);

}  // namespace corvanite::ata
