// The stand-in and its tests on POSIX, where chkdsk.exe is looked up on PATH.
#include <stdlib.h>
#include <unistd.h>

#include "stand_in.h"

namespace corvanite::test {

const char* const E_ACUTE = "\xC3\xA9";
const char* const CLOSED_OUTPUT_UNTESTABLE = nullptr;

void WriteStream(int stream, const std::string& bytes) {
    // A blocking pipe takes a whole write.
    [[maybe_unused]] const ssize_t wrote = write(stream, bytes.data(), bytes.size());
}

void CloseStreams() {
    close(1);
    close(2);
}

// A link called chkdsk.exe in a folder that is all of PATH.
std::filesystem::path PlaceChecker(const std::filesystem::path& fake,
                                   const std::filesystem::path& folder, std::string&) {
    std::filesystem::create_symlink(fake, folder / "chkdsk.exe");
    SetVariable("PATH", folder);
    return folder / "chkdsk.exe";
}

void SetVariable(const char* name, const std::filesystem::path& value) {
    [[maybe_unused]] const int failed =
        value.empty() ? unsetenv(name) : setenv(name, value.c_str(), 1);
}

}  // namespace corvanite::test
