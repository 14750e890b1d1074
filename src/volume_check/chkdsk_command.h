// How the volume checker is invoked: its program name and the words that follow it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvanite {

// The program the worker starts: found in the system directory on Windows, on PATH elsewhere.
constexpr std::u16string_view CHKDSK_PROGRAM = u"chkdsk.exe";

// A volume the worker accepts: one capital letter A-Z and a colon, such as "D:". Nothing else
// may reach the command line, where a space would add words of its own.
bool IsVolumeText(std::u16string_view volume);

// "chkdsk.exe D: /v" for a read-only run, "chkdsk.exe D: /f /x /v" in fix mode.
std::u16string ChkdskCommandLine(std::u16string_view volume, bool readOnly);

// The words of that command line after the program name: "D:" "/v", or "D:" "/f" "/x" "/v".
std::vector<std::u16string> ChkdskArguments(std::u16string_view volume, bool readOnly);

}  // namespace corvanite
