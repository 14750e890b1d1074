#include "drives/drive_info.h"

#include <charconv>
#include <string_view>

#include "drives/byte_order.h"
#include "text/text_format.h"

namespace corvanite {

std::u16string PhysicalDrivePath(int driveNumber) {
    std::u16string path = u"\\\\.\\PhysicalDrive";
    AppendSigned(path, driveNumber);
    return path;
}

DriveInfo StartDriveRecord(int driveNumber) {
    DriveInfo drive;
    drive.driveNumber = driveNumber;
    drive.devicePath.Set(PhysicalDrivePath(driveNumber));
    std::u16string model = u"PhysicalDrive";
    AppendSigned(model, driveNumber);
    drive.model.Set(model);
    return drive;
}

std::u16string DeviceName(std::u16string_view devicePath) {
    const size_t cut = devicePath.find_last_of(u"/\\");
    return std::u16string(cut == std::u16string_view::npos ? devicePath
                                                           : devicePath.substr(cut + 1));
}

std::u16string FormatCapacity(uint64_t sizeBytes) {
    // The digits of printf's "%.*f" (correctly rounded), but always with a decimal point:
    // std::to_chars never follows the process locale, which GTK sets from the environment.
    const double size = static_cast<double>(sizeBytes);
    double value = size / 1e9;
    int decimals = 1;
    std::string_view unit = " GB";
    if (sizeBytes >= 1000000000000ull) {
        value = size / 1e12;
        decimals = 2;
        unit = " TB";
    } else if (sizeBytes < 1000000000ull) {
        value = size / 1e6;
        decimals = 0;
        unit = " MB";
    }
    char text[64];
    const std::to_chars_result end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    std::u16string out = AsciiText(std::string_view(text, static_cast<size_t>(end.ptr - text)));
    AppendAscii(out, unit);
    return out;
}

uint64_t AttributeRawValue(const SmartAttribute& attribute) {
    return ReadLittleEndian(attribute.raw.data(), attribute.raw.size());
}

std::u16string_view HealthWord(HealthStatus health) {
    switch (health) {
        case HEALTH_GOOD:
            return u"GOOD";
        case HEALTH_WARN:
            return u"WARN";
        case HEALTH_CRIT:
            return u"CRIT";
        default:
            return u"N/A";
    }
}

std::u16string_view MediaWord(MediaType media) {
    switch (media) {
        case MEDIA_HDD:
            return u"HDD";
        case MEDIA_SSD:
            return u"SSD";
        case MEDIA_NVME:
            return u"NVMe";
        default:
            return u"UNK";
    }
}

std::u16string_view SourceLabel(SmartSource source) {
    switch (source) {
        case SOURCE_ATA:
            return u"ATA";
        case SOURCE_NVME:
            return u"NVMe";
        default:
            return u"N/A";
    }
}

std::u16string_view AttributeStatusWord(const SmartAttribute& attribute) {
    if (attribute.failing) {
        return u"FAIL";
    }
    return attribute.warning ? u"WARN" : u"OK";
}

}  // namespace corvanite
