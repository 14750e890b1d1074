#include "text/text_format.h"

#include <algorithm>

namespace corvanite {
namespace {

// Writes the decimal digits of value into the end of buf; returns the first digit's index.
size_t DecimalDigits(uint64_t value, char16_t (&buf)[20]) {
    size_t pos = sizeof(buf) / sizeof(buf[0]);
    do {
        buf[--pos] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    return pos;
}

}  // namespace

void AppendAscii(std::u16string& out, std::string_view ascii) {
    for (char c : ascii) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    }
}

std::u16string AsciiText(std::string_view ascii) {
    std::u16string out;
    AppendAscii(out, ascii);
    return out;
}

void AppendUnsigned(std::u16string& out, uint64_t value) {
    char16_t buf[20];
    const size_t pos = DecimalDigits(value, buf);
    out.append(buf + pos, 20 - pos);
}

void AppendSigned(std::u16string& out, int64_t value) {
    if (value < 0) {
        out.push_back(u'-');
        AppendUnsigned(out, 0 - static_cast<uint64_t>(value));
    } else {
        AppendUnsigned(out, static_cast<uint64_t>(value));
    }
}

void AppendHex(std::u16string& out, uint64_t value, int minDigits) {
    char16_t buf[16];
    int count = 0;
    do {
        const auto nibble = static_cast<unsigned>(value & 0xF);
        buf[count++] = static_cast<char16_t>(nibble < 10 ? u'0' + nibble : u'A' + nibble - 10);
        value >>= 4;
    } while (value != 0);
    for (int i = count; i < minDigits; ++i) {
        out.push_back(u'0');
    }
    while (count > 0) {
        out.push_back(buf[--count]);
    }
}

void AppendUnsignedRight(std::u16string& out, uint64_t value, size_t width) {
    char16_t buf[20];
    const size_t pos = DecimalDigits(value, buf);
    const size_t digits = 20 - pos;
    out.append(std::max(width, digits) - digits, u' ');
    out.append(buf + pos, digits);
}

void AppendPaddedLeft(std::u16string& out, std::u16string_view text, size_t width) {
    out.append(text);
    out.append(std::max(width, text.size()) - text.size(), u' ');
}

std::u16string_view TrimBlanks(std::u16string_view text) {
    const size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

char16_t AsciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

std::u16string WrapAtBlanks(std::u16string_view text, size_t width) {
    std::u16string out;
    size_t lineLength = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(u' ', start);
        if (end == std::u16string_view::npos) {
            end = text.size();
        }
        const std::u16string_view word = text.substr(start, end - start);
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            out.push_back(u'\n');
            lineLength = 0;
        } else if (lineLength > 0) {
            out.push_back(u' ');
            ++lineLength;
        }
        out.append(word);
        lineLength += word.size();
        start = end + 1;
    }
    return out;
}

}  // namespace corvanite
