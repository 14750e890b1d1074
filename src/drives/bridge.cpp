#include "drives/bridge.h"

#include "drives/ata_identify.h"
#include "drives/ata_smart.h"
#include "drives/device_error.h"
#include "drives/identity.h"
#include "drives/sat.h"
#include "text/text_format.h"

namespace corvanite::ata {
namespace {

// The one-line reason of a drive whose bridge answered no ATA command, from the last failure.
void SetRefused(DriveInfo& drive) {
    std::u16string text = drive.busType == BUS_USB
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

bool MayBeBehindBridge(const DriveInfo& drive) {
    if (drive.busType == BUS_USB) {
        return true;
    }
    const bool scsiOrSas = drive.busType == BUS_SCSI || drive.busType == BUS_SAS;
    return scsiOrSas && drive.model.view().substr(0, 4) == u"ATA ";
}

bool ReadAtaBehindBridge(DriveHandle handle, DriveInfo& drive) {
    uint8_t identify[IDENTIFY_PAGE_SIZE] = {};
    size_t form = 0;
    for (const size_t length : {CDB16, CDB12}) {
        if (Send(handle, IdentifyRegisters(PASS_THROUGH_DRIVE), length, identify,
                 sizeof identify)) {
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
        identity.busType = drive.busType;
        const MediaType media = drive.mediaType;
        ApplyDriveIdentity(identity, drive);
        drive.mediaType = media;
    }
    uint8_t data[SMART_PAGE_SIZE] = {};
    if (!Send(handle, SmartRegisters(PASS_THROUGH_DRIVE, SMART_FEATURE_READ_DATA), form, data,
              sizeof data)) {
        SetRefused(drive);
        return false;
    }
    uint8_t thresholds[SMART_PAGE_SIZE] = {};
    const bool haveThresholds =
        Send(handle, SmartRegisters(PASS_THROUGH_DRIVE, SMART_FEATURE_READ_THRESHOLDS), form,
             thresholds, sizeof thresholds);
    const bool parsed = ParseSmartPages(data, haveThresholds ? thresholds : nullptr, drive);
    drive.selfTest.passThrough = form;
    return parsed;
}

}  // namespace corvanite::ata
