// UTF-8 <-> UTF-16 conversion at the program's edges (report file, sysfs texts, child output).
#pragma once

#include <string>
#include <string_view>

namespace corvanite {

// Unpaired surrogates become U+FFFD, as the system's own UTF-8 conversion does.
std::string Utf16ToUtf8(std::u16string_view text);
void AppendUtf8(std::string& out, std::u16string_view text);

// Malformed, overlong or truncated sequences become one U+FFFD per bad byte.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace corvanite
