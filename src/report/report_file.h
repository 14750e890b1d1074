// Writing the report file. Defined per platform (report_file_win32.cpp, report_file_posix.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvanite {

// Creates or replaces the file at path and writes bytes to it, with no sharing while it is
// written. On any failure returns false with the system's reason in reason and its code (a
// Windows error or an errno) in errorCode; a file that was created but not written whole is
// removed, so no file claims to be a complete report.
bool WriteReportFile(std::u16string_view path, std::string_view bytes, std::u16string& reason,
                     uint32_t& errorCode);

inline bool WriteReportFile(std::u16string_view path, std::string_view bytes,
                            std::u16string& reason) {
    uint32_t errorCode = 0;
    return WriteReportFile(path, bytes, reason, errorCode);
}

}  // namespace corvanite
