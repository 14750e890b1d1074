#include "drives/linux_layout.h"

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
                // sdz before sdaa: a longer run of the same family (its first two letters)
                // sorts after.
                const bool sameFamily = ta.substr(0, 2) == tb.substr(0, 2);
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

bool ScsiCommandSucceeded(const ata::PassThroughOutcome& outcome) {
    return ata::TransportSucceeded(outcome) && outcome.scsiStatus == ata::SCSI_STATUS_GOOD &&
           outcome.residual >= 0;
}

std::array<uint8_t, 6> InquiryVpdCdb(uint8_t page, uint8_t allocationLength) {
    return {0x12, 0x01, page, 0x00, allocationLength, 0x00};
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
