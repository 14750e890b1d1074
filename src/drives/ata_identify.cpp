#include "drives/ata_identify.h"

namespace corvanite::ata {
namespace {

constexpr size_t INTEGRITY_SIGNATURE_AT = 510;
constexpr uint8_t INTEGRITY_SIGNATURE = 0xA5;

}  // namespace

bool IdentifyPageIntact(const uint8_t (&page)[IDENTIFY_PAGE_SIZE]) {
    if (page[INTEGRITY_SIGNATURE_AT] != INTEGRITY_SIGNATURE) {
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

}  // namespace corvanite::ata
