#include "cli/report_tool.h"

#include "cli/standard_streams.h"
#include "drives/probe.h"
#include "report/exit_status.h"
#include "report/json_report.h"
#include "report/report_file.h"
#include "report/text_report.h"
#include "text/utf.h"

namespace corvanite {
namespace {

constexpr std::string_view HELP_USAGE =
    "Usage: corvanite-report [--json] [FILE]\n"
    "\n"
    "Scans every physical drive (drive numbers 0 to 15), grades its SMART or NVMe health data\n"
    "and writes the text report of all drives.\n"
    "\n"
    "  FILE       write the report file there (UTF-8 with byte-order mark, CR LF line ends),\n"
    "             replacing any file of that name\n"
    "  (no FILE)  write the report lines to standard output (UTF-8, no byte-order mark)\n"
    "  --json     write the report as one JSON document instead (UTF-8, no byte-order mark,\n"
    "             LF line ends), to FILE or standard output; its format is described in\n"
    "             docs/report-json.md\n"
    "  --help     show this text\n"
    "  --         end of options: the next argument is the file, even if it begins with -\n"
    "\n"
    "Opening drives needs administrator (Windows) or root (Linux) rights.\n"
    "\n"
    "Exit status:\n";
// The status's column in the exit status lines ("  0   every drive that gave health data is GOOD").
constexpr size_t STATUS_COLUMN_WIDTH = 4;

std::string WithLineEnds(std::string_view text, std::string_view lineEnd) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') {
            out.append(lineEnd);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// A line for the terminal or the standard error: "\n" becomes the platform's line end.
bool WriteOut(std::string_view text) {
    return WriteStandardOutput(WithLineEnds(text, StandardLineEnd()));
}
bool WriteErr(std::string_view text) {
    return WriteStandardError(WithLineEnds(text, StandardLineEnd()));
}

int UsageError(std::string_view problem) {
    std::string message = "corvanite-report: ";
    message.append(problem).append("\nTry 'corvanite-report --help'.\n");
    WriteErr(message);
    return REPORT_EXIT_USAGE;
}

int WriteToStandardOutput(std::string_view bytes, int status) {
    if (!WriteStandardOutput(bytes)) {
        WriteErr("corvanite-report: cannot write to standard output\n");
        return REPORT_EXIT_CANNOT_WRITE;
    }
    return status;
}

// The file replaced whole by bytes, then one line on standard output that names it.
int WriteToFile(const std::u16string& file, std::string_view bytes, size_t driveCount, int status) {
    std::u16string reason;
    if (!WriteReportFile(file, bytes, reason)) {
        WriteErr("corvanite-report: cannot write " + Utf16ToUtf8(file) + ": " +
                 Utf16ToUtf8(reason) + "\n");
        return REPORT_EXIT_CANNOT_WRITE;
    }
    WriteOut("Report written to " + Utf16ToUtf8(file) + ": " + std::to_string(driveCount) +
             (driveCount == 1 ? " drive\n" : " drives\n"));
    return status;
}

}  // namespace

std::string ReportHelpText() {
    std::string text(HELP_USAGE);
    for (const ExitStatusMeaning& row : REPORT_EXIT_STATUSES) {
        const std::string status = std::to_string(row.status);
        text.append("  ").append(status);
        text.append(STATUS_COLUMN_WIDTH - status.size(), ' ').append(row.meaning).push_back('\n');
    }
    return text;
}

int RunReportTool(const std::vector<std::u16string>& args) {
    const std::u16string* file = nullptr;
    bool optionsEnded = false;
    bool json = false;
    for (const std::u16string& arg : args) {
        if (!optionsEnded && (arg == u"--help" || arg == u"-h" || arg == u"/?")) {
            WriteOut(ReportHelpText());
            return REPORT_EXIT_ALL_GOOD;
        }
        if (!optionsEnded && arg == u"--json") {
            json = true;
            continue;
        }
        if (!optionsEnded && arg == u"--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.size() > 1 && arg[0] == u'-') {
            return UsageError("unknown option '" + Utf16ToUtf8(arg) + "'");
        }
        if (file != nullptr) {
            return UsageError("more than one file named");
        }
        if (arg.empty()) {
            return UsageError("the file name is empty");
        }
        file = &arg;
    }

    ProbeSkipped skipped;
    const std::vector<DriveInfo> drives = ProbeAllDrives(skipped);
    // The disks that could not be opened for their health data, said once beside the report.
    if (skipped.count > 0) {
        WriteErr("corvanite-report: " + Utf16ToUtf8(SkippedDrivesText(skipped, DeviceErrorKind())) +
                 "\n");
    }
    const int status = ReportExitStatus(drives);
    if (json) {
        const std::string document = ReportJson(drives, CORVANITE_VERSION);
        return file == nullptr ? WriteToStandardOutput(document, status)
                               : WriteToFile(*file, document, drives.size(), status);
    }
    if (file == nullptr) {
        const std::string lines = Utf16ToUtf8(ReportText(drives));
        std::string out;
        if (StandardLineEnd() == "\r\n") {
            out = lines;
        } else {
            out.reserve(lines.size());
            for (size_t i = 0; i < lines.size(); ++i) {
                if (lines[i] == '\r' && i + 1 < lines.size() && lines[i + 1] == '\n') {
                    continue;
                }
                out.push_back(lines[i]);
            }
        }
        return WriteToStandardOutput(out, status);
    }
    return WriteToFile(*file, ReportFileBytes(drives), drives.size(), status);
}

}  // namespace corvanite
