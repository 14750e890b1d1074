#include "drives/sat.h"

namespace corvanite::ata {
namespace {

constexpr uint8_t SENSE_KEY_NO_SENSE = 0x00;
constexpr uint8_t SENSE_KEY_RECOVERED_ERROR = 0x01;
constexpr uint16_t DRIVER_SENSE = 0x08;  // the driver's "sense data is present"
constexpr int ATA_STATUS_ERR = 0x01;
constexpr int ATA_STATUS_DF = 0x20;
constexpr int ATA_STATUS_BSY = 0x80;

// Where the 28-bit registers stand in each form of ATA PASS-THROUGH (the low bytes of the 16-byte
// form's register pairs).
struct CdbLayout {
    size_t length;
    uint8_t opcode;
    size_t feature, count, sectorNumber, cylinderLow, cylinderHigh, driveHead, command;
};
constexpr CdbLayout ATA_PASS_THROUGH_16{CDB16, 0x85, 4, 6, 8, 10, 12, 13, 14};
constexpr CdbLayout ATA_PASS_THROUGH_12{CDB12, 0xA1, 3, 4, 5, 6, 7, 8, 9};

}  // namespace

CommandBlock AtaPassThroughCdb(const AtaRegisters& r, bool dataIn, size_t length) {
    const CdbLayout& at = length == CDB12 ? ATA_PASS_THROUGH_12 : ATA_PASS_THROUGH_16;
    CommandBlock block;
    block.length = at.length;
    uint8_t* cdb = block.bytes.data();
    cdb[0] = at.opcode;
    // Protocol: PIO data-in (4) or non-data (3); 28-bit command (EXTEND 0). Data-in: T_DIR from
    // the device, BYT_BLOK in blocks, T_LENGTH in the count field.
    cdb[1] = static_cast<uint8_t>((dataIn ? 4 : 3) << 1);
    cdb[2] = dataIn ? 0x0E : 0x00;
    cdb[at.feature] = r.feature;
    cdb[at.count] = r.count;
    cdb[at.sectorNumber] = r.sectorNumber;
    cdb[at.cylinderLow] = r.cylinderLow;
    cdb[at.cylinderHigh] = r.cylinderHigh;
    cdb[at.driveHead] = r.driveHead;
    cdb[at.command] = r.command;
    return block;
}

AtaRegisters SmartRegisters(int driveNumber, uint8_t feature) {
    const bool readsPage = feature != SMART_FEATURE_ENABLE_OPERATIONS;
    AtaRegisters r;
    r.command = ATA_COMMAND_SMART;
    r.feature = feature;
    r.count = readsPage ? 1 : 0;
    r.sectorNumber = readsPage ? 1 : 0;
    r.cylinderLow = SMART_CYLINDER_LOW;
    r.cylinderHigh = SMART_CYLINDER_HIGH;
    r.driveHead = AtaDriveHead(driveNumber);
    return r;
}

AtaRegisters IdentifyRegisters(int driveNumber) {
    AtaRegisters r;
    r.command = ATA_COMMAND_IDENTIFY_DEVICE;
    r.count = 1;
    r.driveHead = AtaDriveHead(driveNumber);
    return r;
}

int AtaStatusFromSense(const uint8_t* sense, size_t length) {
    if (sense == nullptr || length < 8) {
        return -1;
    }
    const uint8_t responseCode = sense[0] & 0x7F;
    if (responseCode == 0x72 || responseCode == 0x73) {
        // Descriptor format: look for the ATA Status Return descriptor (09h).
        size_t end = 8 + static_cast<size_t>(sense[7]);
        if (end > length) {
            end = length;
        }
        // Descriptors follow one another from byte 8; once the 14 bytes of this one would
        // pass the end, no later one fits either.
        for (size_t at = 8; at + 14 <= end; at += 2 + static_cast<size_t>(sense[at + 1])) {
            if (sense[at] == 0x09) {
                return sense[at + 13];
            }
        }
        return -1;
    }
    if ((responseCode == 0x70 || responseCode == 0x71) && length >= 14 && sense[12] == 0x00 &&
        sense[13] == 0x1D) {
        // Fixed format with ATA PASS-THROUGH information: status in the INFORMATION field.
        return sense[4];
    }
    return -1;
}

bool TransportSucceeded(const PassThroughOutcome& outcome) {
    return outcome.ioctlSucceeded && outcome.hostStatus == 0 &&
           (outcome.driverStatus & ~DRIVER_SENSE) == 0;
}

bool PassThroughSucceeded(const PassThroughOutcome& outcome) {
    if (!TransportSucceeded(outcome) || outcome.residual != 0) {
        return false;
    }
    const size_t length = outcome.sense != nullptr ? outcome.senseLength : 0;
    if (outcome.scsiStatus == SCSI_STATUS_CHECK_CONDITION) {
        if (length < 3) {
            return false;
        }
        const uint8_t responseCode = outcome.sense[0] & 0x7F;
        const uint8_t senseKey =
            (responseCode >= 0x72) ? (outcome.sense[1] & 0x0F) : (outcome.sense[2] & 0x0F);
        // Only NO SENSE or RECOVERED ERROR with ATA return information is a completed command.
        if ((senseKey != SENSE_KEY_NO_SENSE && senseKey != SENSE_KEY_RECOVERED_ERROR) ||
            AtaStatusFromSense(outcome.sense, length) < 0) {
            return false;
        }
    } else if (outcome.scsiStatus != SCSI_STATUS_GOOD) {
        return false;
    }
    const int ataStatus = AtaStatusFromSense(outcome.sense, length);
    return ataStatus < 0 || (ataStatus & (ATA_STATUS_ERR | ATA_STATUS_DF | ATA_STATUS_BSY)) == 0;
}

}  // namespace corvanite::ata
