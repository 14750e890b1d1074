// UTF-16 surrogates: the two halves of a character beyond the first plane.
#pragma once

namespace corvanite {

constexpr char16_t HIGH_SURROGATE_FIRST = 0xD800;
constexpr char16_t HIGH_SURROGATE_LAST = 0xDBFF;
constexpr char16_t LOW_SURROGATE_FIRST = 0xDC00;
constexpr char16_t LOW_SURROGATE_LAST = 0xDFFF;

constexpr bool IsHighSurrogate(char16_t unit) {
    return unit >= HIGH_SURROGATE_FIRST && unit <= HIGH_SURROGATE_LAST;
}

constexpr bool IsLowSurrogate(char16_t unit) {
    return unit >= LOW_SURROGATE_FIRST && unit <= LOW_SURROGATE_LAST;
}

}  // namespace corvanite
