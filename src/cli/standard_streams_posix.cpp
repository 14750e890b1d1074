// The standard streams on POSIX systems: file descriptors 1 and 2, "\n" line ends.
#include <unistd.h>

#include <cerrno>

#include "cli/standard_streams.h"

namespace corvanite {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = write(fd, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(count));
    }
    return true;
}

constexpr StandardStreams POSIX_STREAMS{
    .writeOut = [](std::string_view bytes) { return WriteAll(STDOUT_FILENO, bytes); },
    .writeErr = [](std::string_view bytes) { return WriteAll(STDERR_FILENO, bytes); },
    .lineEnd = "\n",
    .pause = [](int milliseconds) { usleep(static_cast<useconds_t>(milliseconds) * 1000); },
};

}  // namespace

const StandardStreams& SystemStandardStreams() {
    return POSIX_STREAMS;
}

}  // namespace corvanite
