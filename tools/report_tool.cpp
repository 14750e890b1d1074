#include "report_tool.h"

#include "report/json_report.h"
#include "report/text_report.h"
#include "text/utf.h"

namespace corvanite {
namespace {

constexpr std::string_view HELP_TEXT =
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
    "Exit status:\n"
    "  0   every drive is GOOD\n"
    "  1   the worst drive is WARN\n"
    "  2   some drive is CRIT\n"
    "  3   some drive has no health data (N/A) and none is worse than GOOD\n"
    "  4   no drive was found (for example without administrator or root rights)\n"
    "  64  usage error\n"
    "  73  the report file cannot be written\n";

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

int UsageError(const ReportToolHost& host, std::string_view problem) {
    std::string message = "corvanite-report: ";
    message.append(problem).append("\nTry 'corvanite-report --help'.\n");
    host.writeErr(WithLineEnds(message, host.lineEnd));
    return REPORT_EXIT_USAGE;
}

int WriteToStandardOutput(const ReportToolHost& host, std::string_view bytes, int status) {
    if (!host.writeOut(bytes)) {
        host.writeErr(
            WithLineEnds("corvanite-report: cannot write to standard output\n", host.lineEnd));
        return REPORT_EXIT_CANNOT_WRITE;
    }
    return status;
}

// The file replaced whole by bytes, then one line on standard output that names it.
int WriteToFile(const ReportToolHost& host, const std::u16string& file, std::string_view bytes,
                size_t driveCount, int status) {
    std::u16string reason;
    if (!host.writeFile(file, bytes, reason)) {
        host.writeErr(WithLineEnds("corvanite-report: cannot write " + Utf16ToUtf8(file) + ": " +
                                       Utf16ToUtf8(reason) + "\n",
                                   host.lineEnd));
        return REPORT_EXIT_CANNOT_WRITE;
    }
    const std::string done = "Report written to " + Utf16ToUtf8(file) + ": " +
                             std::to_string(driveCount) +
                             (driveCount == 1 ? " drive\n" : " drives\n");
    host.writeOut(WithLineEnds(done, host.lineEnd));
    return status;
}

}  // namespace

int ReportExitStatus(const std::vector<DriveInfo>& drives) {
    if (drives.empty()) {
        return REPORT_EXIT_NO_DRIVES;
    }
    bool anyCrit = false;
    bool anyWarn = false;
    bool anyUnknown = false;
    for (const DriveInfo& drive : drives) {
        anyCrit = anyCrit || drive.health == HEALTH_CRIT;
        anyWarn = anyWarn || drive.health == HEALTH_WARN;
        anyUnknown = anyUnknown || (drive.health != HEALTH_GOOD && drive.health != HEALTH_WARN &&
                                    drive.health != HEALTH_CRIT);
    }
    if (anyCrit) {
        return REPORT_EXIT_ANY_CRIT;
    }
    if (anyWarn) {
        return REPORT_EXIT_WORST_WARN;
    }
    return anyUnknown ? REPORT_EXIT_NO_DATA : REPORT_EXIT_ALL_GOOD;
}

int RunReportTool(const std::vector<std::u16string>& args, const ReportToolHost& host) {
    const std::u16string* file = nullptr;
    bool optionsEnded = false;
    bool json = false;
    for (const std::u16string& arg : args) {
        if (!optionsEnded && (arg == u"--help" || arg == u"-h" || arg == u"/?")) {
            host.writeOut(WithLineEnds(HELP_TEXT, host.lineEnd));
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
            return UsageError(host, "unknown option '" + Utf16ToUtf8(arg) + "'");
        }
        if (file != nullptr) {
            return UsageError(host, "more than one file named");
        }
        if (arg.empty()) {
            return UsageError(host, "the file name is empty");
        }
        file = &arg;
    }

    const std::vector<DriveInfo> drives = host.probe();
    const int status = ReportExitStatus(drives);
    if (json) {
        const std::string document = ReportJson(drives, CORVANITE_VERSION);
        return file == nullptr ? WriteToStandardOutput(host, document, status)
                               : WriteToFile(host, *file, document, drives.size(), status);
    }
    if (file == nullptr) {
        const std::string lines = Utf16ToUtf8(ReportText(drives));
        std::string out;
        if (host.lineEnd == "\r\n") {
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
        return WriteToStandardOutput(host, out, status);
    }
    return WriteToFile(host, *file, ReportFileBytes(drives), drives.size(), status);
}

}  // namespace corvanite
