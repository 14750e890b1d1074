// The storage descriptor reply as a Windows driver may return it, into the drive record. Input:
// the reply buffer, whose first 4 bytes (the descriptor's size) double as the driver's count.
#include "drives/identity.h"
#include "drives/win32_layout.h"
#include "fuzz_support.h"

using namespace corvanite;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<uint8_t[]> reply = fuzz::HeapCopy(data, size, 0, size);
    const auto returned = static_cast<uint32_t>(size >= 4 ? ReadLittleEndian(data, 4) : 0);
    const win32::DescriptorTexts t = win32::ParseDescriptorReply(reply.get(), size, returned);

    // Each text lies in the counted part of the reply, after its first byte, and holds no NUL.
    const uint8_t* end = reply.get() + std::min<size_t>(returned, size);
    DriveIdentity identity;
    identity.busType = t.busType;
    std::u16string* fields[] = {&identity.vendor, &identity.product, &identity.serial,
                                &identity.revision};
    size_t i = 0;
    for (const std::string_view text : {t.vendor, t.product, t.serial, t.revision}) {
        const auto* at = reinterpret_cast<const uint8_t*>(text.data());
        Check(text.empty() || (at > reply.get() && at + text.size() <= end &&
                               text.find('\0') == std::string_view::npos),
              "descriptor text outside the counted reply");
        *fields[i++] = Utf8ToUtf16(text);
    }
    Check(size >= 32 ? t.busType == ReadLittleEndian(data + win32::DESCRIPTOR_BUS_TYPE_AT, 4)
                     : t.busType == 0 && t.product.empty(),
          "bus type not read from its place");

    DriveInfo drive = StartDriveRecord(0);
    ApplyDriveIdentity(identity, drive);
    fuzz::CheckRecord(drive);
    // The serial is the reported text without its padding at either end, cut to its field, with
    // each control character shown as the replacement character.
    std::u16string reported = identity.serial;
    for (char16_t& unit : reported) {
        unit = unit < 0x20 || unit == 0x7F ? u'\uFFFD' : unit;
    }
    const size_t first = std::min(reported.find_first_not_of(u' '), reported.size());
    const std::u16string_view serial = drive.serial.view();
    Check(std::u16string_view(reported).substr(first).rfind(serial, 0) == 0 &&
              (serial.empty() || (serial.front() != u' ' && serial.back() != u' ')),
          "serial is not the reported text trimmed and cut");
    Check(!drive.busName.empty(), "no bus word");
    return 0;
}
