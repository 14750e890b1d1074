// What the stand-in checker (fake_chkdsk.cpp) and the runs through it (test_chkdsk_child.cpp)
// need of the platform: stand_in_posix.cpp, stand_in_win32.cpp.
#pragma once

#include <filesystem>
#include <string>

namespace corvanite::test {

// Writes the bytes exactly, without line-end translation, to standard output (1) or error (2).
void WriteStream(int stream, const std::string& bytes);
void CloseStreams();
// Puts the stand-in where the worker looks for chkdsk.exe and returns that path; empty, with the
// reason, where that must not be done.
std::filesystem::path PlaceChecker(const std::filesystem::path& fake,
                                   const std::filesystem::path& folder, std::string& why);
// Sets a variable of this process's environment, which a child inherits; empty removes it.
void SetVariable(const char* name, const std::filesystem::path& value);
// An e acute as the checker writes it: UTF-8 on POSIX, the OEM code page on Windows.
extern const char* const E_ACUTE;
// Why a child that closed its output cannot be seen running on; null where it can.
extern const char* const CLOSED_OUTPUT_UNTESTABLE;

}  // namespace corvanite::test
