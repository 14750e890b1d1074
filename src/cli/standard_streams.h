// The standard output and error of corvanite-report, and its pause while it waits for a drive's
// self-test: one table (StandardStreams). Each platform
// gives the system's (standard_streams_win32.cpp, standard_streams_posix.cpp); a test installs
// its own. The free functions below go through the installed table.
#pragma once

#include <string_view>

#include "host/installed_table.h"

namespace corvanite {

struct StandardStreams {
    // Writes the bytes whole; false when they could not all be written.
    bool (*writeOut)(std::string_view bytes);
    bool (*writeErr)(std::string_view bytes);
    std::string_view lineEnd;  // the platform's line end on the terminal
    // Waits this long (between two looks at a running self-test).
    void (*pause)(int milliseconds);
};

// The system's table (defined by the platform layer).
const StandardStreams& SystemStandardStreams();
// Installs a table (null: the system's again); returns the one installed before.
inline const StandardStreams* InstallStandardStreams(const StandardStreams* table) {
    return InstallTable(table);
}
inline const StandardStreams& InstalledStandardStreams() {
    return InstalledTableOr(SystemStandardStreams());
}

// The calls of the installed table.
inline bool WriteStandardOutput(std::string_view bytes) {
    return InstalledStandardStreams().writeOut(bytes);
}
inline bool WriteStandardError(std::string_view bytes) {
    return InstalledStandardStreams().writeErr(bytes);
}
inline void PauseFor(int milliseconds) {
    InstalledStandardStreams().pause(milliseconds);
}
inline std::string_view StandardLineEnd() {
    return InstalledStandardStreams().lineEnd;
}

}  // namespace corvanite
