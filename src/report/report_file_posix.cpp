#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "report/report_file.h"
#include "text/utf.h"

namespace corvanite {
namespace {

bool Write(std::u16string_view path, std::string_view bytes, std::u16string& reason,
           uint32_t& errorCode) {
    const std::string nativePath = Utf16ToUtf8(path);
    const int fd = open(nativePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        errorCode = static_cast<uint32_t>(errno);
        reason = Utf8ToUtf16(std::strerror(static_cast<int>(errorCode)));
        return false;
    }
    // Only a regular file is removed after a failed write, never a device or other special file.
    struct stat info {};
    const bool regularFile = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    int error = 0;
    size_t done = 0;
    while (error == 0 && done < bytes.size()) {
        const ssize_t count = write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0) {
            if (errno != EINTR) {
                error = errno;
            }
        } else if (count == 0) {
            error = EIO;
        } else {
            done += static_cast<size_t>(count);
        }
    }
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        errorCode = static_cast<uint32_t>(error);
        reason = Utf8ToUtf16(std::strerror(error));
        if (regularFile) {
            unlink(nativePath.c_str());
        }
        return false;
    }
    return true;
}

constexpr ReportFileAccess POSIX_REPORT_FILE{.writeReportFile = Write};

}  // namespace

const ReportFileAccess& SystemReportFileAccess() {
    return POSIX_REPORT_FILE;
}

}  // namespace corvanite
