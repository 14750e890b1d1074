// How the volume checker is invoked: its program name and the words that follow it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "drives/volumes.h"

namespace corvanite {

// The program the worker starts: found in the system directory on Windows, on PATH elsewhere.
constexpr std::u16string_view CHKDSK_PROGRAM = u"chkdsk.exe";

// The checker's standard input: No to the question it asks (chkdsk /f on a volume in use, the
// system's own, asks whether to check it at the next restart), then its end. Nothing is
// scheduled behind the user's back, and no question waits for an answer that cannot come.
constexpr std::string_view CHECKER_ANSWERS = "N\r\n";

// A volume the worker accepts: one capital letter A-Z and a colon, such as "D:", or a device
// node under /dev ("/dev/sdb1": letters, digits and . _ - + : only, no ".." and no blank).
// Nothing else may reach the command line, where a space would add words of its own.
bool IsVolumeText(std::u16string_view volume);

// "chkdsk.exe D: /v" for a read-only run, "chkdsk.exe D: /f /x /v" in fix mode.
std::u16string ChkdskCommandLine(std::u16string_view volume, bool readOnly);

// The words of that command line after the program name: "D:" "/v", or "D:" "/f" "/x" "/v".
std::vector<std::u16string> ChkdskArguments(std::u16string_view volume, bool readOnly);

// The words after fsck's name: "-n" (answer no to every question: nothing is changed) or "-y"
// (repair whatever it finds), then the device; for ext2, ext3 and ext4 then "--" "-f": e2fsck
// checks a filesystem marked clean only when forced, and a failing disk's filesystem is
// marked clean until the kernel trips over it.
std::vector<std::u16string> FsckArguments(std::u16string_view device, bool readOnly,
                                          std::u16string_view fileSystem);

// Why the volume cannot be checked at all: the system has no checker for its file system. Empty
// when it can.
std::u16string CheckRefusal(const VolumeInfo& volume);

// Why the volume is not repaired: the root filesystem never (the system runs from it), another
// mounted filesystem only once it is unmounted. Empty when a repair may run (a Windows volume
// has no mount point: chkdsk /x dismounts it itself).
std::u16string RepairRefusal(const VolumeInfo& volume);

}  // namespace corvanite
