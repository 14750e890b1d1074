// corvanite-report: scans the drives and writes the text report to a file or standard output;
// the exit status tells the worst health found.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "drives/drive_info.h"

namespace corvanite {

constexpr int REPORT_EXIT_ALL_GOOD = 0;
constexpr int REPORT_EXIT_WORST_WARN = 1;
constexpr int REPORT_EXIT_ANY_CRIT = 2;
constexpr int REPORT_EXIT_NO_DATA = 3;  // some drive N/A, none worse than GOOD
constexpr int REPORT_EXIT_NO_DRIVES = 4;
constexpr int REPORT_EXIT_USAGE = 64;
constexpr int REPORT_EXIT_CANNOT_WRITE = 73;

// What the tool needs of its surroundings; the entry point of each platform fills it in.
struct ReportToolHost {
    std::vector<DriveInfo> (*probe)();
    bool (*writeOut)(std::string_view bytes);
    bool (*writeErr)(std::string_view bytes);
    bool (*writeFile)(std::u16string_view path, std::string_view bytes, std::u16string& reason);
    std::string_view lineEnd;  // the platform's line end for standard output
};

int ReportExitStatus(const std::vector<DriveInfo>& drives);

// args excludes the program name.
int RunReportTool(const std::vector<std::u16string>& args, const ReportToolHost& host);

}  // namespace corvanite
