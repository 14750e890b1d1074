// Reading the kernel's small files (sysfs attributes, /proc/self/mountinfo, the udev database)
// for the Linux layer: Linux only, included by its platform files.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string>

namespace corvanite {

// Reads at most limit bytes of a file; false when it cannot be opened or read.
inline bool ReadBoundedFile(const std::string& path, std::string& bytes, size_t limit) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bytes.assign(limit, '\0');
    size_t done = 0;
    bool ok = true;
    while (done < limit) {
        const ssize_t n = read(fd, bytes.data() + done, limit - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    close(fd);
    bytes.resize(done);
    return ok;
}

}  // namespace corvanite
