#include "drives/ata_passthrough.h"

#include "drives/ata_smart.h"
#include "drives/device_error.h"
#include "drives/identity.h"
#include "text/text_format.h"

namespace corvanite::ata {
namespace {

// The one-line reason of a drive whose bridge answered no ATA command, from the last failure.
void SetRefused(DriveInfo& drive) {
    std::u16string text = drive.busName == BusWord(BUS_USB)
                              ? u"SMART read through the USB bridge refused ("
                              : u"SMART read through SCSI-ATA translation refused (";
    const int32_t error = LastDeviceError();
    if (error == DEVICE_ERROR_STATUS) {
        text.append(u"command failed");
    } else {
        text.append(u"error ");
        AppendSigned(text, error);
        const std::u16string_view words = SystemErrorWords(error, DeviceErrorKind());
        if (!words.empty()) {
            text.append(u": ").append(words);
        }
    }
    text.push_back(u')');
    drive.errorText.Set(text);
}

bool Send(DriveHandle handle, const AtaRegisters& registers, size_t length, uint8_t* data,
          size_t dataSize) {
    const CommandBlock cdb = AtaPassThroughCdb(registers, true, length);
    return SendAtaPassThrough(handle, cdb.bytes.data(), cdb.length, data, dataSize);
}

}  // namespace

CommandBlock AtaPassThroughCdb(const AtaRegisters& r, bool dataIn, size_t length) {
    CommandBlock block;
    uint8_t* cdb = block.bytes.data();
    // Protocol: PIO data-in (4) or non-data (3); 28-bit command (EXTEND 0). Data-in: T_DIR from
    // the device, BYT_BLOK in blocks, T_LENGTH in the count field.
    const auto protocol = static_cast<uint8_t>((dataIn ? 4 : 3) << 1);
    const uint8_t transfer = dataIn ? 0x0E : 0x00;
    if (length == CDB12) {
        block.length = CDB12;
        cdb[0] = 0xA1;  // ATA PASS-THROUGH (12)
        cdb[1] = protocol;
        cdb[2] = transfer;
        cdb[3] = r.feature;
        cdb[4] = r.count;
        cdb[5] = r.sectorNumber;
        cdb[6] = r.cylinderLow;
        cdb[7] = r.cylinderHigh;
        cdb[8] = r.driveHead;
        cdb[9] = r.command;
        return block;
    }
    block.length = CDB16;
    cdb[0] = 0x85;  // ATA PASS-THROUGH (16)
    cdb[1] = protocol;
    cdb[2] = transfer;
    cdb[4] = r.feature;
    cdb[6] = r.count;
    cdb[8] = r.sectorNumber;
    cdb[10] = r.cylinderLow;
    cdb[12] = r.cylinderHigh;
    cdb[13] = r.driveHead;
    cdb[14] = r.command;
    return block;
}

AtaRegisters SmartRegisters(int driveNumber, uint8_t feature) {
    const bool readsPage = feature != SMART_FEATURE_ENABLE_OPERATIONS;
    AtaRegisters r;
    r.command = ATA_COMMAND_SMART;
    r.feature = feature;
    r.count = readsPage ? 1 : 0;
    r.sectorNumber = readsPage ? 1 : 0;
    r.cylinderLow = 0x4F;
    r.cylinderHigh = 0xC2;
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
        size_t at = 8;
        while (at + 2 <= end) {
            const size_t descriptorLength = 2 + static_cast<size_t>(sense[at + 1]);
            if (sense[at] == 0x09 && at + 14 <= end) {
                return sense[at + 13];
            }
            at += descriptorLength;
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

bool PassThroughSucceeded(const PassThroughOutcome& outcome) {
    constexpr uint16_t DRIVER_SENSE = 0x08;  // sense data is present: not an error by itself
    if (!outcome.ioctlSucceeded || outcome.hostStatus != 0 ||
        (outcome.driverStatus & ~DRIVER_SENSE) != 0 || outcome.residual != 0) {
        return false;
    }
    const size_t length = outcome.sense != nullptr ? outcome.senseLength : 0;
    if (outcome.scsiStatus == 0x02) {  // CHECK CONDITION
        if (length < 3) {
            return false;
        }
        const uint8_t responseCode = outcome.sense[0] & 0x7F;
        const uint8_t senseKey =
            (responseCode >= 0x72) ? (outcome.sense[1] & 0x0F) : (outcome.sense[2] & 0x0F);
        // Only NO SENSE or RECOVERED ERROR with ATA return information is a completed command.
        if ((senseKey != 0x00 && senseKey != 0x01) ||
            AtaStatusFromSense(outcome.sense, length) < 0) {
            return false;
        }
    } else if (outcome.scsiStatus != 0x00) {
        return false;
    }
    const int ataStatus = AtaStatusFromSense(outcome.sense, length);
    constexpr int ATA_ERR = 0x01;
    constexpr int ATA_DF = 0x20;
    constexpr int ATA_BSY = 0x80;
    return ataStatus < 0 || (ataStatus & (ATA_ERR | ATA_DF | ATA_BSY)) == 0;
}

bool IdentifyPageIntact(const uint8_t (&page)[IDENTIFY_PAGE_SIZE]) {
    if (page[510] != 0xA5) {
        return true;
    }
    uint8_t sum = 0;
    for (uint8_t b : page) {
        sum = static_cast<uint8_t>(sum + b);
    }
    return sum == 0;
}

std::u16string AtaString(const uint8_t (&page)[IDENTIFY_PAGE_SIZE], int firstWord, int lastWord) {
    std::u16string text;
    for (int word = firstWord; word <= lastWord; ++word) {
        const size_t at = static_cast<size_t>(word) * 2;
        for (const uint8_t b : {page[at + 1], page[at]}) {
            if (b == 0) {
                return text;
            }
            text.push_back(b);
        }
    }
    return text;
}

void IdentityFromIdentifyPage(const uint8_t (&page)[IDENTIFY_PAGE_SIZE], DriveIdentity& identity) {
    identity.vendor.clear();
    identity.product = AtaString(page, 27, 46);
    identity.serial = AtaString(page, 10, 19);
    identity.revision = AtaString(page, 23, 26);
}

bool MayBeBehindBridge(const DriveInfo& drive) {
    if (drive.busName == BusWord(BUS_USB)) {
        return true;
    }
    const bool scsiOrSas = drive.busName == BusWord(BUS_SCSI) || drive.busName == BusWord(BUS_SAS);
    return scsiOrSas && drive.model.view().substr(0, 4) == u"ATA ";
}

bool ReadAtaBehindBridge(DriveHandle handle, int driveNumber, DriveInfo& drive) {
    uint8_t identify[IDENTIFY_PAGE_SIZE] = {};
    size_t form = 0;
    for (const size_t length : {CDB16, CDB12}) {
        if (Send(handle, IdentifyRegisters(driveNumber), length, identify, sizeof identify)) {
            form = length;
            break;
        }
    }
    if (form == 0) {
        SetRefused(drive);
        return false;
    }
    if (IdentifyPageIntact(identify)) {
        // The drive's own texts; the bus and the media class stay the descriptor's.
        DriveIdentity identity;
        IdentityFromIdentifyPage(identify, identity);
        const FixedText<16> bus = drive.busName;
        const MediaType media = drive.mediaType;
        ApplyDriveIdentity(identity, drive);
        drive.busName = bus;
        drive.mediaType = media;
    }
    uint8_t data[SMART_PAGE_SIZE] = {};
    if (!Send(handle, SmartRegisters(driveNumber, SMART_FEATURE_READ_DATA), form, data,
              sizeof data)) {
        SetRefused(drive);
        return false;
    }
    uint8_t thresholds[SMART_PAGE_SIZE] = {};
    const bool haveThresholds =
        Send(handle, SmartRegisters(driveNumber, SMART_FEATURE_READ_THRESHOLDS), form, thresholds,
             sizeof thresholds);
    return ParseSmartPages(data, haveThresholds ? thresholds : nullptr, drive);
}

}  // namespace corvanite::ata
