// ATA commands and how SCSI carries them (SAT): the 28-bit register values of SMART and IDENTIFY
// DEVICE, the ATA PASS-THROUGH (16) and (12) command blocks, and the reading of what a SCSI
// pass-through request returned (status, sense data, the ATA status inside it). Pure bytes: the
// device layers send these blocks, the bridge reader (bridge.h) decides which form is tried when,
// and the Windows SMART request (win32_layout.h) carries the same registers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvanite {

// The SMART command's features and its one-sector page.
constexpr size_t SMART_PAGE_SIZE = 512;
constexpr uint8_t SMART_FEATURE_READ_DATA = 0xD0;
constexpr uint8_t SMART_FEATURE_READ_THRESHOLDS = 0xD1;
constexpr uint8_t SMART_FEATURE_ENABLE_OPERATIONS = 0xD8;

}  // namespace corvanite

namespace corvanite::ata {

constexpr uint8_t ATA_COMMAND_SMART = 0xB0;
constexpr uint8_t ATA_COMMAND_IDENTIFY_DEVICE = 0xEC;
// The key the SMART command carries in the cylinder registers.
constexpr uint8_t SMART_CYLINDER_LOW = 0x4F;
constexpr uint8_t SMART_CYLINDER_HIGH = 0xC2;

// The drive/head register: 0xA0, with bit 4 (the device bit) set for an odd drive number, as the
// IDE-era SMART IOCTL (SENDCMDINPARAMS) addresses master and slave on one channel.
constexpr uint8_t AtaDriveHead(int driveNumber) {
    return static_cast<uint8_t>(0xA0 | ((driveNumber & 1) << 4));
}

// What ATA PASS-THROUGH passes as the drive number: a SCSI pass-through goes to the one device its
// node or handle names, and a SAT layer (USB bridges, libata) addresses that device itself, so the
// device bit stays 0 whatever number the system gave the disk.
constexpr int PASS_THROUGH_DRIVE = 0;

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

// SMART ENABLE OPERATIONS (non-data), READ DATA and READ THRESHOLDS (one sector in), and
// IDENTIFY DEVICE, for drive N.
AtaRegisters SmartRegisters(int driveNumber, uint8_t feature);
AtaRegisters IdentifyRegisters(int driveNumber);

// ATA PASS-THROUGH (16), opcode 85h, and its 12-byte form, opcode A1h, for bridges that do not
// know the 16-byte one.
constexpr size_t CDB16 = 16;
constexpr size_t CDB12 = 12;

struct CommandBlock {
    std::array<uint8_t, 16> bytes = {};
    size_t length = 0;  // CDB16 or CDB12; bytes past it are zero
};

// length is CDB16 or CDB12 (anything else gives the 16-byte form).
CommandBlock AtaPassThroughCdb(const AtaRegisters& registers, bool dataIn, size_t length);

constexpr size_t SENSE_BUFFER_SIZE = 32;
constexpr uint8_t SCSI_STATUS_GOOD = 0x00;
constexpr uint8_t SCSI_STATUS_CHECK_CONDITION = 0x02;

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

// The ioctl succeeded and neither the transport nor the driver reports a failure (the driver
// saying that sense data is present is no failure by itself).
bool TransportSucceeded(const PassThroughOutcome& outcome);

// True only when the transport succeeded, the SCSI status is GOOD (or CHECK CONDITION carrying
// nothing worse than ATA return information), any ATA status in the sense data has neither ERR,
// DF nor BSY set, and the whole transfer was done.
bool PassThroughSucceeded(const PassThroughOutcome& outcome);

// The ATA status register found in sense data (descriptor or fixed format), or -1.
int AtaStatusFromSense(const uint8_t* sense, size_t length);

}  // namespace corvanite::ata
