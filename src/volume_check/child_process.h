// The volume checker as a child process: what the worker asks of the platform, one table of
// functions (ChildProcessAccess). Each platform gives the system's (child_win32.cpp,
// child_posix.cpp); a test installs a scripted one. The free functions below go through the
// installed table.
//
// The child gets the command of chkdsk_command.h, no standard input, and one pipe for both its
// standard output and standard error; the worker reads that pipe in short slices so that a
// cancel request is seen even while the child writes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/installed_table.h"
#include "volume_check/chkdsk_outcome.h"

namespace corvanite {

// A started child and the read end of its output pipe, as the platform holds them.
struct ChildProcess;

using ChildStart = int32_t;
constexpr ChildStart CHILD_STARTED = 0;
constexpr ChildStart CHILD_PIPE_FAILED = 1;   // no pipe, so no child was tried
constexpr ChildStart CHILD_START_FAILED = 2;  // the program is missing or could not be started

using ChildRead = int32_t;
constexpr ChildRead CHILD_OUTPUT = 0;  // bytes were read
constexpr ChildRead CHILD_QUIET = 1;   // nothing arrived within the slice; the output goes on
constexpr ChildRead CHILD_ENDED = 2;   // the output has ended (or reading failed)

struct ChildProcessAccess {
    // The checker as the window names it ("chkdsk", "fsck"), and the rule that turns its exit
    // into the run's result (chkdsk_outcome.h).
    std::u16string_view checkerName;
    ChkdskResult (*outcome)(uint32_t exitCode, bool readOnly, bool cancelled);

    // Starts the checker on the volume, read-only or in fix mode. On CHILD_STARTED `child` is set
    // and must be given to closeChild; otherwise nothing is left open.
    ChildStart (*startVolumeChecker)(std::u16string_view volume, bool readOnly,
                                     ChildProcess*& child);

    // Waits at most sliceMs for output and reads what is there, at most `capacity` bytes.
    ChildRead (*readChildOutput)(ChildProcess* child, char* buffer, size_t capacity,
                                 uint32_t sliceMs, size_t& count);

    // Ends the child at once (its exit code is then 0).
    void (*terminateChild)(ChildProcess* child);

    // Waits at most limitMs for the child to end and returns its exit code; 259 (STILL_ACTIVE)
    // when it is still running, or when its end could not be learnt.
    uint32_t (*waitForChildExit)(ChildProcess* child, uint32_t limitMs);

    // Whether the child has not ended yet (false once its end has been seen, or cannot be
    // learnt).
    bool (*childStillRunning)(ChildProcess* child);

    // Closes what the platform holds for the child and frees it. A child still running is left
    // running.
    void (*closeChild)(ChildProcess* child);

    // One whole output line as text: from the OEM code page on Windows, from UTF-8 elsewhere.
    std::u16string (*childLineToText)(std::string_view bytes);
};

// The system's table (defined by the platform layer).
const ChildProcessAccess& SystemChildProcessAccess();
// Installs a table (null: the system's again); returns the one installed before.
inline const ChildProcessAccess* InstallChildProcessAccess(const ChildProcessAccess* table) {
    return InstallTable(table);
}
inline const ChildProcessAccess& InstalledChildProcessAccess() {
    return InstalledTableOr(SystemChildProcessAccess());
}

// The calls of the installed table.
inline std::u16string_view CheckerName() {
    return InstalledChildProcessAccess().checkerName;
}
inline ChkdskResult CheckerOutcome(uint32_t exitCode, bool readOnly, bool cancelled) {
    return InstalledChildProcessAccess().outcome(exitCode, readOnly, cancelled);
}
inline ChildStart StartVolumeChecker(std::u16string_view volume, bool readOnly,
                                     ChildProcess*& child) {
    return InstalledChildProcessAccess().startVolumeChecker(volume, readOnly, child);
}
inline ChildRead ReadChildOutput(ChildProcess* child, char* buffer, size_t capacity,
                                 uint32_t sliceMs, size_t& count) {
    return InstalledChildProcessAccess().readChildOutput(child, buffer, capacity, sliceMs, count);
}
inline void TerminateChild(ChildProcess* child) {
    InstalledChildProcessAccess().terminateChild(child);
}
inline uint32_t WaitForChildExit(ChildProcess* child, uint32_t limitMs) {
    return InstalledChildProcessAccess().waitForChildExit(child, limitMs);
}
inline bool ChildStillRunning(ChildProcess* child) {
    return InstalledChildProcessAccess().childStillRunning(child);
}
inline void CloseChild(ChildProcess* child) {
    InstalledChildProcessAccess().closeChild(child);
}
inline std::u16string ChildLineToText(std::string_view bytes) {
    return InstalledChildProcessAccess().childLineToText(bytes);
}

}  // namespace corvanite
