// Multi-byte numbers in the drives' pages and the system's replies: all little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvanite {

// The `count` bytes (at most 8) from `bytes` on, least significant first.
constexpr uint64_t ReadLittleEndian(const uint8_t* bytes, size_t count) {
    uint64_t value = 0;
    for (size_t i = count; i-- > 0;) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

}  // namespace corvanite
