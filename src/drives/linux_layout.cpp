#include "drives/linux_layout.h"

#include "drives/ata_smart.h"
#include "drives/identity.h"

namespace corvanite::linux_layout {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (!IsDigit(c)) {
            return false;
        }
    }
    return true;
}

// "ata3", "usb1", "virtio4": a prefix followed by a number only.
bool IsNumbered(std::string_view component, std::string_view prefix) {
    return StartsWith(component, prefix) && AllDigits(component.substr(prefix.size()));
}

}  // namespace

bool IsProbedDiskName(std::string_view name) {
    constexpr std::string_view skipped[] = {"loop", "ram", "zram", "dm-", "md", "sr", "fd", "nbd"};
    if (name.empty() || name.find('/') != std::string_view::npos || name == "." || name == "..") {
        return false;
    }
    for (std::string_view prefix : skipped) {
        if (StartsWith(name, prefix)) {
            return false;
        }
    }
    return true;
}

bool DiskNameLess(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            size_t ei = i;
            size_t ej = j;
            while (ei < a.size() && IsDigit(a[ei])) {
                ++ei;
            }
            while (ej < b.size() && IsDigit(b[ej])) {
                ++ej;
            }
            std::string_view na = a.substr(i, ei - i);
            std::string_view nb = b.substr(j, ej - j);
            while (na.size() > 1 && na[0] == '0') {
                na.remove_prefix(1);
            }
            while (nb.size() > 1 && nb[0] == '0') {
                nb.remove_prefix(1);
            }
            if (na.size() != nb.size()) {
                return na.size() < nb.size();
            }
            if (na != nb) {
                return na < nb;
            }
            i = ei;
            j = ej;
        } else if (!IsDigit(a[i]) && !IsDigit(b[j])) {
            size_t ei = i;
            size_t ej = j;
            while (ei < a.size() && !IsDigit(a[ei])) {
                ++ei;
            }
            while (ej < b.size() && !IsDigit(b[ej])) {
                ++ej;
            }
            const std::string_view ta = a.substr(i, ei - i);
            const std::string_view tb = b.substr(j, ej - j);
            if (ta != tb) {
                // sdz before sdaa: a longer run of the same family sorts after.
                const size_t common = ta.size() < tb.size() ? ta.size() : tb.size();
                const bool sameFamily = common >= 2 && ta.substr(0, 2) == tb.substr(0, 2);
                if (sameFamily && ta.size() != tb.size() && ei == a.size() && ej == b.size()) {
                    return ta.size() < tb.size();
                }
                return ta < tb;
            }
            i = ei;
            j = ej;
        } else {
            return IsDigit(a[i]);
        }
    }
    return a.size() - i < b.size() - j;
}

uint32_t BusCodeFromSysfsPath(std::string_view path) {
    bool usb = false;
    bool nvme = false;
    bool virtio = false;
    bool ata = false;
    bool sas = false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        const std::string_view part = path.substr(start, end - start);
        usb = usb || IsNumbered(part, "usb");
        nvme = nvme || IsNumbered(part, "nvme") || IsNumbered(part, "nvme-subsys");
        virtio = virtio || IsNumbered(part, "virtio");
        ata = ata || IsNumbered(part, "ata");
        sas = sas || StartsWith(part, "end_device-") || StartsWith(part, "expander-");
        start = end + 1;
    }
    // A bridge decides what the machine sees: a USB enclosure is USB whatever sits inside.
    if (usb) {
        return BUS_USB;
    }
    if (nvme) {
        return BUS_NVME;
    }
    if (virtio) {
        return BUS_VIRTIO;
    }
    if (ata) {
        return BUS_SATA;
    }
    return sas ? BUS_SAS : BUS_SCSI;
}

std::array<uint8_t, 16> AtaPassThroughCdb(const AtaRegisters& r, bool dataIn) {
    std::array<uint8_t, 16> cdb = {};
    cdb[0] = 0x85;  // ATA PASS-THROUGH (16)
    // Protocol: PIO data-in (4) or non-data (3); 28-bit command (EXTEND 0).
    cdb[1] = static_cast<uint8_t>((dataIn ? 4 : 3) << 1);
    // Data-in: T_DIR from the device, BYT_BLOK in blocks, T_LENGTH in the count field.
    cdb[2] = dataIn ? 0x0E : 0x00;
    cdb[4] = r.feature;
    cdb[6] = r.count;
    cdb[8] = r.sectorNumber;
    cdb[10] = r.cylinderLow;
    cdb[12] = r.cylinderHigh;
    cdb[13] = r.driveHead;
    cdb[14] = r.command;
    return cdb;
}

std::array<uint8_t, 16> SmartCdb(int driveNumber, uint8_t feature) {
    const bool readsPage = feature != SMART_FEATURE_ENABLE_OPERATIONS;
    AtaRegisters r;
    r.command = ATA_COMMAND_SMART;
    r.feature = feature;
    r.count = readsPage ? 1 : 0;
    r.sectorNumber = readsPage ? 1 : 0;
    r.cylinderLow = 0x4F;
    r.cylinderHigh = 0xC2;
    r.driveHead = AtaDriveHead(driveNumber);
    return AtaPassThroughCdb(r, readsPage);
}

std::array<uint8_t, 16> IdentifyCdb(int driveNumber) {
    AtaRegisters r;
    r.command = ATA_COMMAND_IDENTIFY_DEVICE;
    r.count = 1;
    r.driveHead = AtaDriveHead(driveNumber);
    return AtaPassThroughCdb(r, true);
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

bool ScsiCommandSucceeded(const PassThroughOutcome& outcome) {
    constexpr uint16_t DRIVER_SENSE = 0x08;
    return outcome.ioctlSucceeded && outcome.hostStatus == 0 &&
           (outcome.driverStatus & ~DRIVER_SENSE) == 0 && outcome.scsiStatus == 0x00 &&
           outcome.residual >= 0;
}

std::array<uint8_t, 6> InquiryVpdCdb(uint8_t page, uint8_t allocationLength) {
    return {0x12, 0x01, page, 0x00, allocationLength, 0x00};
}

bool IdentifyPageIntact(const uint8_t (&page)[512]) {
    if (page[510] != 0xA5) {
        return true;
    }
    uint8_t sum = 0;
    for (uint8_t b : page) {
        sum = static_cast<uint8_t>(sum + b);
    }
    return sum == 0;
}

std::u16string AtaString(const uint8_t (&page)[512], int firstWord, int lastWord) {
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

void IdentityFromIdentifyPage(const uint8_t (&page)[512], DriveIdentity& identity) {
    identity.vendor.clear();
    identity.product = AtaString(page, 27, 46);
    identity.serial = AtaString(page, 10, 19);
    identity.revision = AtaString(page, 23, 26);
}

std::string_view UnitSerialFromVpd(const uint8_t* page, size_t length) {
    if (page == nullptr || length < 4 || page[1] != 0x80) {
        return {};
    }
    size_t serialLength = static_cast<size_t>(page[2]) << 8 | page[3];
    if (serialLength > length - 4) {
        serialLength = length - 4;
    }
    std::string_view serial(reinterpret_cast<const char*>(page + 4), serialLength);
    const size_t nul = serial.find('\0');
    return nul == std::string_view::npos ? serial : serial.substr(0, nul);
}

std::string_view SysfsValue(std::string_view text) {
    if (!text.empty() && text.back() == '\n') {
        text.remove_suffix(1);
    }
    return text;
}

uint32_t NvmeGetLogPageDword10(uint8_t logId, uint32_t bytes) {
    const uint32_t dwordsLessOne = bytes / 4 - 1;
    return (dwordsLessOne & 0xFFFF) << 16 | logId;
}

}  // namespace corvanite::linux_layout
