// A NUL-terminated UTF-16 text of fixed capacity (the capacity counts the terminator).
#pragma once

#include <cstddef>
#include <string_view>

#include "text/surrogates.h"

namespace corvanite {

template <size_t Capacity>
struct FixedText {
    static_assert(Capacity >= 2);
    static constexpr size_t MAX_LENGTH = Capacity - 1;

    char16_t units[Capacity] = {};

    // Stores at most MAX_LENGTH units; a cut never leaves half of a surrogate pair at the end.
    void Set(std::u16string_view text) {
        size_t length = text.size() < MAX_LENGTH ? text.size() : MAX_LENGTH;
        if (length < text.size() && length > 0 && IsHighSurrogate(text[length - 1])) {
            --length;
        }
        for (size_t i = 0; i < length; ++i) {
            units[i] = text[i];
        }
        for (size_t i = length; i < Capacity; ++i) {
            units[i] = 0;
        }
    }

    void Clear() { Set({}); }

    size_t size() const { return std::u16string_view(units).size(); }
    bool empty() const { return units[0] == 0; }
    std::u16string_view view() const { return std::u16string_view(units); }
    operator std::u16string_view() const { return view(); }

    friend bool operator==(const FixedText& a, std::u16string_view b) { return a.view() == b; }
    friend bool operator==(const FixedText& a, const FixedText& b) { return a.view() == b.view(); }
};

}  // namespace corvanite
