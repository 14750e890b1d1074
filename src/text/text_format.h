// Small, allocation-friendly formatting into UTF-16 strings (printf-style fields without printf).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvanite {

// Appends a text made only of ASCII characters.
void AppendAscii(std::u16string& out, std::string_view ascii);
std::u16string AsciiText(std::string_view ascii);

// "%llu" / "%d".
void AppendUnsigned(std::u16string& out, uint64_t value);
void AppendSigned(std::u16string& out, int64_t value);

// "%0*X": upper-case hexadecimal, at least minDigits digits.
void AppendHex(std::u16string& out, uint64_t value, int minDigits);

// "%*d" with a positive width: right-aligned, filled with blanks on the left.
void AppendUnsignedRight(std::u16string& out, uint64_t value, size_t width);

// "%-*s": the text, then blanks up to width (a longer text is written whole).
void AppendPaddedLeft(std::u16string& out, std::u16string_view text, size_t width);

// Breaks a text into lines of at most width characters at its blanks (a longer word stands
// alone on its line), joined by LF: the renderers do not wrap text of their own.
std::u16string WrapAtBlanks(std::u16string_view text, size_t width);

// Removes U+0020 blanks at both ends.
std::u16string_view TrimBlanks(std::u16string_view text);

// a to z as capitals; every other unit as it is.
char16_t AsciiUpper(char16_t c);

}  // namespace corvanite
