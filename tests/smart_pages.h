// 512-byte SMART and NVMe pages for the tests and the device fake.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "test_data.h"

namespace corvanite::test {

using Page = std::array<uint8_t, 512>;

// The drives whose captured pages are under ata-smart/ (NAME.data.bin, .thresholds.bin,
// .identify.bin, and NAME.expected.txt from an independent decoding).
inline const char* const REAL_DRIVES[] = {"FUJITSU_MHY2120BH--0084000D",
                                          "FUJITSU_MHY2250BH--0085000B",
                                          "INTEL_SSDSA2CW120G3--4PC10302",
                                          "Maxtor_96147H8--BAC51KJ0--2",
                                          "SAMSUNG_HD501LJ--CR100-12",
                                          "SAMSUNG_MMCQE28G8MUP--0VA_VAM08L1Q",
                                          "ST320410A--3.39",
                                          "TOSHIBA_MK1651GSY--38IGT0G5T",
                                          "WDC_WD2500JS-75NCB3--10.02E04"};

// A page laid out by test::Bytes tokens.
inline Page PageOf(const std::string& tokens) {
    const std::vector<uint8_t> bytes = Bytes(tokens, 512);
    Page page;
    std::copy(bytes.begin(), bytes.end(), page.begin());
    return page;
}

// A real drive's page: what is "data", "thresholds" or "identify".
inline Page RealPage(const std::string& name, const std::string& what) {
    const std::vector<uint8_t> bytes = ReadTestFile("ata-smart/" + name + "." + what + ".bin");
    Page page = {};
    std::copy_n(bytes.begin(), std::min(bytes.size(), page.size()), page.begin());
    return page;
}

// The ATA data page (current = worst) or thresholds page of "id/current/threshold/raw" entries,
// one per slot in order; other words are skipped.
inline Page AtaPage(const std::string& entries, bool thresholds) {
    Page page = {};
    size_t slot = 0;
    for (const std::string& entry : Words(entries)) {
        const std::vector<std::string> f = Words(entry, '/');
        if (f.size() != 4) {
            continue;
        }
        uint8_t* p = page.data() + 2 + 12 * slot++;
        p[0] = static_cast<uint8_t>(std::stoul(f[0]));
        if (thresholds) {
            p[1] = static_cast<uint8_t>(std::stoul(f[2]));
            continue;
        }
        p[3] = p[4] = static_cast<uint8_t>(std::stoul(f[1]));
        const uint64_t raw = std::stoull(f[3], nullptr, 0);
        for (size_t b = 0; b < 6; ++b) {
            p[5 + b] = static_cast<uint8_t>(raw >> (8 * b));
        }
    }
    return page;
}

}  // namespace corvanite::test
