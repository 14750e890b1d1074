// corvanite-report: scans the drives and writes the text report to a file or standard output;
// the exit status tells the worst health found (report/exit_status.h).
#pragma once

#include <string>
#include <vector>

namespace corvanite {

// The usage text of --help, its exit statuses made from REPORT_EXIT_STATUSES; "\n" line ends.
std::string ReportHelpText();

// args excludes the program name. Probes the drives through the installed device access, writes
// through the installed standard streams (standard_streams.h) and report file.
int RunReportTool(const std::vector<std::u16string>& args);

}  // namespace corvanite
