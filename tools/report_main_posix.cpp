#include <unistd.h>

#include <cerrno>

#include "drives/probe.h"
#include "report/report_file.h"
#include "report_tool.h"
#include "text/utf.h"

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

bool WriteOut(std::string_view bytes) {
    return WriteAll(STDOUT_FILENO, bytes);
}
bool WriteErr(std::string_view bytes) {
    return WriteAll(STDERR_FILENO, bytes);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(corvanite::Utf8ToUtf16(argv[i]));
    }
    const corvanite::ReportToolHost host{corvanite::ProbeAllDrives, WriteOut, WriteErr,
                                         corvanite::WriteReportFile, "\n"};
    return corvanite::RunReportTool(args, host);
}
