// Building SMART and NVMe pages byte by byte for tests.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <utility>

namespace corvanite::test {

struct PageEntry {
    uint8_t id;
    uint8_t current;
    uint8_t worst;
    uint64_t raw;  // low 48 bits used
    uint16_t flags = 0;
};

using Page = std::array<uint8_t, 512>;

// Entries fill the table slots in order (slot i at byte 2 + 12 i).
inline Page DataPage(std::initializer_list<PageEntry> entries) {
    Page page = {};
    size_t slot = 0;
    for (const PageEntry& e : entries) {
        uint8_t* p = page.data() + 2 + 12 * slot++;
        p[0] = e.id;
        p[1] = static_cast<uint8_t>(e.flags);
        p[2] = static_cast<uint8_t>(e.flags >> 8);
        p[3] = e.current;
        p[4] = e.worst;
        for (int b = 0; b < 6; ++b) {
            p[5 + b] = static_cast<uint8_t>(e.raw >> (8 * b));
        }
        p[11] = 0x5A;  // reserved byte, never read
    }
    return page;
}

// (id, threshold) pairs in slot order.
inline Page ThresholdPage(std::initializer_list<std::pair<uint8_t, uint8_t>> entries) {
    Page page = {};
    size_t slot = 0;
    for (const auto& [id, threshold] : entries) {
        uint8_t* p = page.data() + 2 + 12 * slot++;
        p[0] = id;
        p[1] = threshold;
        p[2] = 0x77;  // rest of the entry is not read
    }
    return page;
}

struct NvmeLog {
    uint8_t criticalWarning = 0;
    uint16_t kelvin = 0;
    uint8_t spare = 100;
    uint8_t spareThreshold = 10;
    uint8_t percentageUsed = 0;
    uint64_t powerOnHoursLow = 0;
    uint64_t powerOnHoursHigh = 0;
    uint64_t mediaErrorsLow = 0;
    uint64_t mediaErrorsHigh = 0;
};

inline Page NvmeLogPage(const NvmeLog& log) {
    Page page = {};
    page[0] = log.criticalWarning;
    page[1] = static_cast<uint8_t>(log.kelvin);
    page[2] = static_cast<uint8_t>(log.kelvin >> 8);
    page[3] = log.spare;
    page[4] = log.spareThreshold;
    page[5] = log.percentageUsed;
    for (int b = 0; b < 8; ++b) {
        page[128 + b] = static_cast<uint8_t>(log.powerOnHoursLow >> (8 * b));
        page[136 + b] = static_cast<uint8_t>(log.powerOnHoursHigh >> (8 * b));
        page[160 + b] = static_cast<uint8_t>(log.mediaErrorsLow >> (8 * b));
        page[168 + b] = static_cast<uint8_t>(log.mediaErrorsHigh >> (8 * b));
    }
    return page;
}

}  // namespace corvanite::test
