#include <windows.h>

#include "drives/probe.h"
#include "report/report_file.h"
#include "report_tool.h"

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

bool WriteOut(std::string_view bytes) {
    return WriteAll(STD_OUTPUT_HANDLE, bytes);
}
bool WriteErr(std::string_view bytes) {
    return WriteAll(STD_ERROR_HANDLE, bytes);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view arg(argv[i]);
        args.emplace_back(arg.begin(), arg.end());
    }
    const corvanite::ReportToolHost host{corvanite::ProbeAllDrives, WriteOut, WriteErr,
                                         corvanite::WriteReportFile, "\r\n"};
    return corvanite::RunReportTool(args, host);
}
