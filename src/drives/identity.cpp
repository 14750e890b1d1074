#include "drives/identity.h"

#include "text/text_format.h"

namespace corvanite {
namespace {

// Drives pad their texts with blanks on either side (ATA strings are fixed-width fields, SCSI
// INQUIRY texts too). The padding goes before the cut, so that it takes no room in the field, and
// again after it, in case the cut fell on a blank. A serial is looked up in vendors' warranty
// pages: it has to come out exactly as printed on the label.
template <size_t Capacity>
std::u16string_view FitAndTrim(std::u16string_view text, FixedText<Capacity>& work) {
    work.Set(TrimBlanks(text));
    return TrimBlanks(work.view());
}

// Some firmware pads with NULs instead of blanks: the text ends at the first. A control character
// (a bridge's garbage) is shown as the replacement character, so that no drive writes a
// terminal's escape sequence into a report.
std::u16string Printable(std::u16string_view text) {
    std::u16string shown(text.substr(0, text.find(u'\0')));
    for (char16_t& unit : shown) {
        unit = unit < 0x20 || unit == 0x7F ? u'\uFFFD' : unit;
    }
    return shown;
}

// Upper-casing as the system does it, for the only letters the solid-state test looks for:
// ASCII, plus the two non-ASCII letters whose capitals are S and I.
char16_t UpperForMatch(char16_t c) {
    if (c == u'\u017F') {  // LATIN SMALL LETTER LONG S
        return u'S';
    }
    if (c == u'\u0131') {  // LATIN SMALL LETTER DOTLESS I
        return u'I';
    }
    return AsciiUpper(c);
}

}  // namespace

namespace {

// Whether the model holds `word` (capitals), letters compared as the system upper-cases them.
bool ContainsNoCase(std::u16string_view model, std::u16string_view word) {
    FixedText<128> upper;
    upper.Set(model);
    for (char16_t& c : upper.units) {
        c = UpperForMatch(c);
    }
    return upper.view().find(word) != std::u16string_view::npos;
}

}  // namespace

bool LooksSolidState(std::u16string_view model) {
    return ContainsNoCase(model, u"SSD") || ContainsNoCase(model, u"SOLID");
}

std::u16string BusWord(uint32_t busType) {
    switch (busType) {
        case BUS_ATA:
        case BUS_SATA:
            return u"SATA";
        case BUS_USB:
            return u"USB";
        case BUS_SAS:
            return u"SAS";
        case BUS_RAID:
            return u"RAID";
        case BUS_SD:
            return u"SD";
        case BUS_MMC:
            return u"MMC";
        case BUS_VIRTIO:
        case BUS_FILE_BACKED_VIRTUAL:
            return u"Virtual";
        case BUS_SPACES:
            return u"Spaces";
        case BUS_NVME:
            return u"NVMe";
        default: {
            std::u16string word = u"Bus";
            AppendHex(word, busType, 2);
            return word;
        }
    }
}

MediaType MediaClass(uint32_t busType, std::u16string_view model) {
    switch (busType) {
        case BUS_ATA:
        case BUS_SATA:
            return LooksSolidState(model) ? MEDIA_SSD : MEDIA_HDD;
        case BUS_SAS:
            return MEDIA_HDD;
        case BUS_NVME:
            return MEDIA_NVME;
        case BUS_SD:
        case BUS_MMC:
            return MEDIA_SSD;  // flash cards
        case BUS_RAID:
            // An NVMe drive behind Intel VMD / RST reports the RAID bus; its descriptor names it.
            return ContainsNoCase(model, u"NVME") ? MEDIA_NVME : MEDIA_UNKNOWN;
        default:
            return MEDIA_UNKNOWN;
    }
}

void ApplyDriveIdentity(const DriveIdentity& identity, DriveInfo& drive) {
    const std::u16string vendorText = Printable(identity.vendor);
    const std::u16string productText = Printable(identity.product);
    const std::u16string_view vendor = TrimBlanks(vendorText);
    const std::u16string_view product = TrimBlanks(productText);
    std::u16string joined;
    joined.append(vendor).append(vendor.empty() ? u"" : u" ").append(product);
    // The joined text is cut to the model's field like any other, and trimmed where it was cut.
    // A drive that tells no model keeps the name it had (its device's).
    if (!joined.empty()) {
        decltype(drive.model) modelWork;
        drive.model.Set(FitAndTrim(joined, modelWork));
    }

    decltype(drive.serial) serialWork;
    drive.serial.Set(FitAndTrim(Printable(identity.serial), serialWork));
    decltype(drive.firmware) firmwareWork;
    drive.firmware.Set(FitAndTrim(Printable(identity.revision), firmwareWork));

    drive.busType = identity.busType;
    drive.busName.Set(BusWord(identity.busType));
    drive.mediaType = MediaClass(identity.busType, drive.model);
}

bool AsksForNvmeLog(uint32_t busType) {
    return busType != BUS_FILE_BACKED_VIRTUAL;
}

}  // namespace corvanite
