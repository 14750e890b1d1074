// A preload library for the QEMU guest (tests/system/guest_init.sh): chosen drives made slow or
// failing, as a program sees a drive that answers late or fails every command. Only the requests
// that reach the drive (SG_IO, an NVMe admin command) on the named device nodes are touched:
//   CORVANITE_SLOW="sda=1000 nvme0n1=500"  each request waits that many ms, then goes to the drive
//   CORVANITE_FAIL="sdb=5"                  each request fails with that errno, after any wait
#include <dlfcn.h>
#include <linux/nvme_ioctl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// The number given to this device name in a setting's "NAME=NUMBER ..." list, or 0.
long Setting(const char* variable, std::string_view name) {
    const char* list = std::getenv(variable);
    for (std::string_view rest = list != nullptr ? list : ""; !rest.empty();) {
        const size_t end = std::min(rest.find(' '), rest.size());
        const std::string_view entry = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        const size_t equals = entry.find('=');
        if (equals != std::string_view::npos && entry.substr(0, equals) == name) {
            return std::strtol(std::string(entry.substr(equals + 1)).c_str(), nullptr, 10);
        }
    }
    return 0;
}

}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    using Ioctl = int (*)(int, unsigned long, void*);
    static const auto next = reinterpret_cast<Ioctl>(dlsym(RTLD_NEXT, "ioctl"));
    char link[32];
    char path[256];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = request == SG_IO || request == NVME_IOCTL_ADMIN_CMD
                               ? readlink(link, path, sizeof path - 1)
                               : -1;
    if (length > 5 && std::strncmp(path, "/dev/", 5) == 0) {
        const std::string_view name(path + 5, static_cast<size_t>(length) - 5);
        if (const long ms = Setting("CORVANITE_SLOW", name); ms > 0) {
            usleep(static_cast<useconds_t>(ms) * 1000);
        }
        if (const long error = Setting("CORVANITE_FAIL", name); error > 0) {
            errno = static_cast<int>(error);
            return -1;
        }
    }
    return next(fd, request, argument);
}
