// Reading an ATA drive behind a bridge (a USB enclosure, a SCSI or SAS adapter) that takes no
// SMART request of its own but may pass ATA commands through: which drives are tried, in which
// command forms, and what the record says when the bridge refuses them all.
#pragma once

#include "drives/device_access.h"
#include "drives/drive_info.h"

namespace corvanite::ata {

// A drive that may be an ATA drive behind a bridge: on the USB bus, or on a SCSI or SAS bus
// with the vendor text "ATA" (the model then begins with "ATA ").
bool MayBeBehindBridge(const DriveInfo& drive);

// Reads an ATA drive behind a bridge through SendAtaPassThrough: IDENTIFY DEVICE as ATA
// PASS-THROUGH (16), then (12) when the bridge refuses it, and in the form that answered SMART
// READ DATA and READ THRESHOLDS. IDENTIFY's model, serial and firmware replace the bridge's
// (bus and media class stay). True when attribute rows were produced; otherwise errorText tells
// why ("SMART read through the USB bridge refused (error N)").
bool ReadAtaBehindBridge(DriveHandle handle, DriveInfo& drive);

}  // namespace corvanite::ata
