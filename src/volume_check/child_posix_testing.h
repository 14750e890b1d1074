// For tests only: the POSIX child layer with another program, which the program itself never
// starts. The end-to-end build and the platform tests run the stand-in checker through it.
#pragma once

#include <string>
#include <vector>

#include "volume_check/child_process.h"

namespace corvanite {

// Starts `program` (a path, or a bare name looked for on PATH) with these words, its output and
// input as the checker's.
ChildStart StartProgram(const std::string& program, const std::vector<std::u16string>& arguments,
                        ChildProcess*& child);

// The system's table with the Windows checker's contract instead of fsck: "chkdsk.exe" from PATH
// with chkdsk's words, its name and its exit codes.
const ChildProcessAccess& StandInChildProcessAccess();

}  // namespace corvanite
