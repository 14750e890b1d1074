// Writing the report file: one table of functions (ReportFileAccess). Each platform gives the
// system's (report_file_win32.cpp, report_file_posix.cpp); a test installs its own. The free
// functions below go through the installed table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/installed_table.h"

namespace corvanite {

struct ReportFileAccess {
    // Creates or replaces the file at path and writes bytes to it, with no sharing while it is
    // written. On any failure returns false with the system's reason in reason and its code (a
    // Windows error or an errno) in errorCode; a file that was created but not written whole is
    // removed, so no file claims to be a complete report.
    bool (*writeReportFile)(std::u16string_view path, std::string_view bytes,
                            std::u16string& reason, uint32_t& errorCode);
};

// A full Windows path as the file functions take it past MAX_PATH (260 characters), whatever
// the system's long-path setting: C:\dir\f as \\?\C:\dir\f, and \\server\share\f as
// \\?\UNC\server\share\f. A path shorter than that, one already in that form, a device path
// (\\.\) or one that is not full is given back as it is (the prefix turns off the system's
// clean-up of trailing dots and blanks, which a short path keeps).
std::u16string ExtendedLengthPath(std::u16string_view fullPath);

// The system's table (defined by the platform layer).
const ReportFileAccess& SystemReportFileAccess();
// Installs a table (null: the system's again); returns the one installed before.
inline const ReportFileAccess* InstallReportFileAccess(const ReportFileAccess* table) {
    return InstallTable(table);
}
inline const ReportFileAccess& InstalledReportFileAccess() {
    return InstalledTableOr(SystemReportFileAccess());
}

// The call of the installed table.
inline bool WriteReportFile(std::u16string_view path, std::string_view bytes,
                            std::u16string& reason, uint32_t& errorCode) {
    return InstalledReportFileAccess().writeReportFile(path, bytes, reason, errorCode);
}

inline bool WriteReportFile(std::u16string_view path, std::string_view bytes,
                            std::u16string& reason) {
    uint32_t errorCode = 0;
    return WriteReportFile(path, bytes, reason, errorCode);
}

}  // namespace corvanite
