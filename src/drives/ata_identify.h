// The IDENTIFY DEVICE page of an ATA drive: its integrity check and its strings (model, serial,
// firmware), as the identity the record is made from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "drives/identity.h"

namespace corvanite::ata {

constexpr size_t IDENTIFY_PAGE_SIZE = 512;

// False when the page carries the integrity signature (A5h in byte 510) and its checksum does
// not add up.
bool IdentifyPageIntact(const uint8_t (&page)[IDENTIFY_PAGE_SIZE]);

// An ATA string: words firstWord to lastWord, each word's two bytes swapped, ending at a NUL if
// one comes first. Bytes are taken as Latin-1.
std::u16string AtaString(const uint8_t (&page)[IDENTIFY_PAGE_SIZE], int firstWord, int lastWord);

// Model (words 27-46) as the product, no vendor; serial (words 10-19); firmware (words 23-26).
// The bus code is left as it was.
void IdentityFromIdentifyPage(const uint8_t (&page)[IDENTIFY_PAGE_SIZE], DriveIdentity& identity);

}  // namespace corvanite::ata
