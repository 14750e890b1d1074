#include "text/utf.h"

#include <cstdint>

#include "text/surrogates.h"

namespace corvanite {
namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

void PutUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void PutUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(HIGH_SURROGATE_FIRST + (cp >> 10)));
        out.push_back(static_cast<char16_t>(LOW_SURROGATE_FIRST + (cp & 0x3FF)));
    }
}

}  // namespace

void AppendUtf8(std::string& out, std::u16string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        // Runs of ASCII, the bulk of any report, go in one append.
        size_t run = i;
        while (run < text.size() && text[run] < 0x80) {
            ++run;
        }
        if (run > i) {
            const size_t start = out.size();
            out.resize(start + (run - i));
            char* dst = out.data() + start;
            for (size_t k = i; k < run; ++k) {
                *dst++ = static_cast<char>(text[k]);
            }
            i = run;
            continue;
        }
        const char16_t u = text[i];
        if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const char32_t cp = 0x10000 +
                                ((static_cast<char32_t>(u) - HIGH_SURROGATE_FIRST) << 10) +
                                (static_cast<char32_t>(text[i + 1]) - LOW_SURROGATE_FIRST);
            PutUtf8(out, cp);
            i += 2;
        } else {
            PutUtf8(out, IsHighSurrogate(u) || IsLowSurrogate(u) ? REPLACEMENT : u);
            ++i;
        }
    }
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    AppendUtf8(out, text);
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    const auto byteAt = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    size_t i = 0;
    while (i < text.size()) {
        // Runs of ASCII, nearly all of any checker output or sysfs text, go in one append.
        size_t run = i;
        while (run < text.size() && byteAt(run) < 0x80) {
            ++run;
        }
        if (run > i) {
            const size_t start = out.size();
            out.resize(start + (run - i));
            char16_t* dst = out.data() + start;
            for (size_t k = i; k < run; ++k) {
                *dst++ = byteAt(k);
            }
            i = run;
            continue;
        }
        const uint8_t b = byteAt(i);
        size_t length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2, cp = b & 0x1Fu, minimum = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3, cp = b & 0x0Fu, minimum = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4, cp = b & 0x07u, minimum = 0x10000;
        }
        bool valid = length != 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const uint8_t c = byteAt(i + k);
            valid = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        if (valid && (cp < minimum || cp > 0x10FFFF ||
                      (cp >= HIGH_SURROGATE_FIRST && cp <= LOW_SURROGATE_LAST))) {
            valid = false;
        }
        if (!valid) {
            out.push_back(static_cast<char16_t>(REPLACEMENT));
            ++i;
            continue;
        }
        PutUtf16(out, cp);
        i += length;
    }
    return out;
}

}  // namespace corvanite
