// The standard streams on Windows: the process's standard handles, CR LF line ends.
#include <windows.h>

#include "cli/standard_streams.h"

namespace corvanite {
namespace {

bool WriteAll(DWORD which, std::string_view bytes) {
    const HANDLE out = GetStdHandle(which);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        return false;
    }
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x10000 ? 0x10000 : static_cast<DWORD>(bytes.size());
        DWORD count = 0;
        if (!WriteFile(out, bytes.data(), chunk, &count, nullptr) || count == 0) {
            return false;
        }
        bytes.remove_prefix(count);
    }
    return true;
}

constexpr StandardStreams WIN32_STREAMS{
    .writeOut = [](std::string_view bytes) { return WriteAll(STD_OUTPUT_HANDLE, bytes); },
    .writeErr = [](std::string_view bytes) { return WriteAll(STD_ERROR_HANDLE, bytes); },
    .lineEnd = "\r\n",
    .pause = [](int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); },
};

}  // namespace

const StandardStreams& SystemStandardStreams() {
    return WIN32_STREAMS;
}

}  // namespace corvanite
