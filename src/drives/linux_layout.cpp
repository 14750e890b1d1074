#include "drives/linux_layout.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

#include "drives/byte_order.h"
#include "drives/device_error.h"
#include "drives/identity.h"

namespace corvanite::linux_layout {
namespace {

// Linux's errno values, whatever platform this is built on: the drive layer keeps Linux errnos.
constexpr int32_t LINUX_EINTR = 4;
constexpr int32_t LINUX_EIO = 5;
constexpr int32_t LINUX_ENXIO = 6;
constexpr int32_t LINUX_ENODEV = 19;
constexpr int32_t LINUX_ETIMEDOUT = 110;

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

int32_t TransportErrno(const ata::PassThroughOutcome& outcome) {
    constexpr uint16_t DID_NO_CONNECT = 0x01;
    constexpr uint16_t DID_TIME_OUT = 0x03;
    constexpr uint16_t DID_BAD_TARGET = 0x04;
    constexpr uint16_t DRIVER_TIMEOUT = 0x06;
    if (!outcome.ioctlSucceeded || ata::TransportSucceeded(outcome)) {
        return 0;
    }
    switch (outcome.hostStatus) {
        case 0:
            return (outcome.driverStatus & 0x0F) == DRIVER_TIMEOUT ? LINUX_ETIMEDOUT : LINUX_EIO;
        case DID_NO_CONNECT:
        case DID_BAD_TARGET:
            return LINUX_ENXIO;
        case DID_TIME_OUT:
            return LINUX_ETIMEDOUT;
        default:
            return LINUX_EIO;
    }
}

int32_t NvmeAdminError(int result, int error, int64_t elapsedMs, int64_t timeoutMs) {
    constexpr int STATUS_CODE = 0x7FF;  // type and code, without More and Do Not Retry
    constexpr int HOST_PATHING_ERROR = 0x370;
    constexpr int ABORTED_BY_HOST = 0x371;
    if (result == 0) {
        return 0;
    }
    const int status = result & STATUS_CODE;  // nothing it is compared with when below 0
    if (status == HOST_PATHING_ERROR) {
        return LINUX_ENODEV;
    }
    if (status == ABORTED_BY_HOST || (result < 0 && error == LINUX_EINTR)) {
        return elapsedMs >= timeoutMs ? LINUX_ETIMEDOUT : LINUX_EINTR;
    }
    return result > 0 ? DEVICE_ERROR_STATUS : error;
}

std::array<uint8_t, 6> InquiryVpdCdb(uint8_t page, uint8_t allocationLength) {
    return {0x12, 0x01, page, 0x00, allocationLength, 0x00};
}

std::string_view UnitSerialFromVpd(const uint8_t* page, size_t length) {
    if (page == nullptr || length < 4 || page[1] != 0x80) {
        return {};
    }
    const size_t serialLength = static_cast<size_t>(page[2]) << 8 | page[3];
    std::string_view serial(reinterpret_cast<const char*>(page + 4),
                            std::min(serialLength, length - 4));
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

namespace {

bool BytesAre(const uint8_t* start, size_t length, size_t at, std::string_view text) {
    return at + text.size() <= length &&
           std::string_view(reinterpret_cast<const char*>(start + at), text.size()) == text;
}

// A label field of `size` bytes: up to its first NUL, blanks at its end dropped.
std::string LabelField(const uint8_t* start, size_t length, size_t at, size_t size) {
    if (at + size > length) {
        return {};
    }
    std::string label(reinterpret_cast<const char*>(start + at), size);
    label = label.substr(0, label.find('\0'));
    while (!label.empty() && label.back() == ' ') {
        label.pop_back();
    }
    return label;
}

uint32_t Le32At(const uint8_t* start, size_t at) {
    return static_cast<uint32_t>(ReadLittleEndian(start + at, 4));
}

// "\xHH" (udev) or "\ooo" (mountinfo) escapes undone; anything else kept as it is.
std::string Unescaped(std::string_view text, bool octal) {
    const auto digit = [octal](char c) {
        return octal ? (c >= '0' && c <= '7') : std::isxdigit(static_cast<unsigned char>(c)) != 0;
    };
    const size_t digits = octal ? 3 : 2;
    const size_t skip = octal ? 1 : 2;  // "\" or "\x"
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool escape =
            text[i] == '\\' && i + skip + digits <= text.size() && (octal || text[i + 1] == 'x') &&
            std::all_of(text.begin() + static_cast<ptrdiff_t>(i + skip),
                        text.begin() + static_cast<ptrdiff_t>(i + skip + digits), digit);
        if (!escape) {
            out.push_back(text[i]);
            continue;
        }
        unsigned value = 0;
        for (size_t d = i + skip; d < i + skip + digits; ++d) {
            const char c = text[d];
            const unsigned v = c <= '9' ? static_cast<unsigned>(c - '0')
                                        : static_cast<unsigned>((c | 0x20) - 'a' + 10);
            value = value * (octal ? 8u : 16u) + v;
        }
        out.push_back(static_cast<char>(value));
        i += skip + digits - 1;
    }
    return out;
}

// The text's first line (without its LF); the text goes on after it.
std::string_view TakeLine(std::string_view& text) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return line;
}

}  // namespace

FilesystemProbe ProbeFilesystem(const uint8_t* start, size_t length) {
    constexpr size_t EXT_SUPERBLOCK = 1024;
    constexpr size_t BTRFS_SUPERBLOCK = 0x10000;
    constexpr size_t SECTOR = 512;  // no filesystem fits in less
    if (length < SECTOR) {
        return {};
    }
    if (BytesAre(start, length, BTRFS_SUPERBLOCK + 0x40, "_BHRfS_M")) {
        return {"btrfs", LabelField(start, length, BTRFS_SUPERBLOCK + 0x12B, 256)};
    }
    if (BytesAre(start, length, 0, "XFSB")) {
        return {"xfs", LabelField(start, length, 108, 12)};
    }
    if (BytesAre(start, length, 3, "NTFS    ")) {
        return {"ntfs", ""};
    }
    if (BytesAre(start, length, 3, "EXFAT   ")) {
        return {"exfat", ""};
    }
    if (BytesAre(start, length, 510, "\x55\xAA")) {
        // FAT32 names itself at 82 and keeps its label at 71; FAT12 and FAT16 at 54 and 43.
        const bool fat32 = BytesAre(start, length, 82, "FAT32   ");
        if (fat32 || BytesAre(start, length, 54, "FAT")) {
            std::string label = LabelField(start, length, fat32 ? 71 : 43, 11);
            return {"vfat", label == "NO NAME" ? "" : label};
        }
    }
    if (length >= EXT_SUPERBLOCK + 0x100 && start[EXT_SUPERBLOCK + 56] == 0x53 &&
        start[EXT_SUPERBLOCK + 57] == 0xEF) {
        // ext4 from its incompatible features (extents, 64-bit, flexible groups), ext3 from its
        // journal, else ext2.
        const uint32_t compat = Le32At(start, EXT_SUPERBLOCK + 0x5C);
        const uint32_t incompat = Le32At(start, EXT_SUPERBLOCK + 0x60);
        const char* type = (incompat & (0x40 | 0x80 | 0x200)) != 0 ? "ext4"
                           : (compat & 0x4) != 0                   ? "ext3"
                                                                   : "ext2";
        return {type, LabelField(start, length, EXT_SUPERBLOCK + 120, 16)};
    }
    return {};
}

FilesystemProbe FilesystemFromUdev(std::string_view entry) {
    FilesystemProbe probe;
    std::string usage, label, encoded;
    while (!entry.empty()) {
        const std::string_view line = TakeLine(entry);
        const auto value = [&line](std::string_view key) -> std::optional<std::string_view> {
            const std::string prefix = "E:" + std::string(key) + "=";
            if (!line.starts_with(prefix)) {
                return std::nullopt;
            }
            return line.substr(prefix.size());
        };
        if (auto v = value("ID_FS_TYPE")) {
            probe.type = *v;
        } else if (auto u = value("ID_FS_USAGE")) {
            usage = *u;
        } else if (auto l = value("ID_FS_LABEL")) {
            label = *l;
        } else if (auto e = value("ID_FS_LABEL_ENC")) {
            encoded = Unescaped(*e, false);
        }
    }
    if (!usage.empty() && usage != "filesystem") {
        return {};  // swap, a RAID member, an encrypted container: nothing fsck checks
    }
    probe.label = encoded.empty() ? label : encoded;
    return probe.type.empty() ? FilesystemProbe{} : probe;
}

std::string MountPointOf(std::string_view mountinfo, std::string_view majorMinor) {
    while (!mountinfo.empty()) {
        std::string_view line = TakeLine(mountinfo);
        // "ID PARENT MAJOR:MINOR ROOT MOUNT-POINT ...": the third and fifth fields.
        std::string_view fields[5];
        size_t found = 0;
        while (found < 5 && !line.empty()) {
            const size_t blank = line.find(' ');
            fields[found++] = line.substr(0, blank);
            line = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
        }
        if (found == 5 && fields[2] == majorMinor) {
            return Unescaped(fields[4], true);
        }
    }
    return {};
}

}  // namespace corvanite::linux_layout
