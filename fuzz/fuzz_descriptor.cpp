// The storage descriptor reply, as the Windows driver may return it, through the texts' way into
// the drive record.
//
// Input: the whole reply buffer. Its first 4 bytes (little-endian) double as the driver's byte
// count, so every count, including one larger than the buffer, is tried.

#include <cstring>
#include <memory>

#include "drives/identity.h"
#include "drives/win32_layout.h"
#include "fuzz_support.h"

namespace {

using namespace corvanite;
using corvanite::fuzz::Check;

// The texts point into the counted part of the reply, after its first byte, and hold no NUL.
void CheckText(std::string_view text, const uint8_t* reply, size_t limit) {
    if (text.empty()) {
        return;
    }
    const auto* start = reinterpret_cast<const uint8_t*>(text.data());
    Check(start > reply && start < reply + limit, "descriptor text starts outside the reply");
    Check(text.size() <= static_cast<size_t>(reply + limit - start),
          "descriptor text runs past the counted bytes");
    Check(text.find('\0') == std::string_view::npos, "descriptor text holds a NUL");
}

// The three ways a device text can become UTF-16: UTF-8 (Linux sysfs), one unit per byte (a
// single-byte code page) and raw little-endian pairs (any unit, lone surrogates included).
std::u16string Convert(std::string_view text, int way) {
    switch (way) {
        case 0:
            return Utf8ToUtf16(text);
        case 1: {
            std::u16string units;
            for (char c : text) {
                units.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
            }
            return units;
        }
        default:
            return fuzz::UnitsFromBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
}

// The record's serial and firmware are the reported text cut to the field with trailing
// blanks removed: a prefix of it, never ending in a blank.
void CheckTrimmedPrefix(std::u16string_view field, std::u16string_view reported, const char* what) {
    Check(reported.substr(0, field.size()) == field, what);
    Check(field.empty() || field.back() != u' ', what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A heap buffer of exactly the input's size: any read past it is an ASan report.
    std::unique_ptr<uint8_t[]> reply(new uint8_t[size == 0 ? 1 : size]);
    if (size != 0) {
        std::memcpy(reply.get(), data, size);
    }
    const uint32_t bytesReturned = size >= 4 ? fuzz::Read32(data) : 0;

    const win32::DescriptorTexts texts =
        win32::ParseDescriptorReply(reply.get(), size, bytesReturned);

    const size_t limit = bytesReturned < size ? bytesReturned : size;
    CheckText(texts.vendor, reply.get(), limit);
    CheckText(texts.product, reply.get(), limit);
    CheckText(texts.serial, reply.get(), limit);
    CheckText(texts.revision, reply.get(), limit);
    if (size >= 32) {
        Check(texts.busType == fuzz::Read32(data + win32::DESCRIPTOR_BUS_TYPE_AT),
              "bus type not read from its place");
    } else {
        Check(texts.vendor.empty() && texts.product.empty() && texts.serial.empty() &&
                  texts.revision.empty() && texts.busType == 0,
              "texts from a reply too short to hold a descriptor");
    }

    for (int way = 0; way < 3; ++way) {
        DriveIdentity identity;
        identity.vendor = Convert(texts.vendor, way);
        identity.product = Convert(texts.product, way);
        identity.serial = Convert(texts.serial, way);
        identity.revision = Convert(texts.revision, way);
        identity.busType = texts.busType;

        DriveInfo drive = StartDriveRecord(0);
        ApplyDriveIdentity(identity, drive);

        fuzz::CheckRecordFields(drive);
        Check(drive.devicePath == u"\\\\.\\PhysicalDrive0", "device path changed");
        CheckTrimmedPrefix(drive.serial, identity.serial, "serial is not the reported text");
        CheckTrimmedPrefix(drive.firmware, identity.revision, "firmware is not the reported text");
        Check(!drive.busName.empty(), "no bus word");
        Check(drive.mediaType >= MEDIA_UNKNOWN && drive.mediaType <= MEDIA_NVME,
              "media class out of range");
    }
    return 0;
}
