#include "cli/report_tool.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>

#include "cli/standard_streams.h"
#include "drives/probe.h"
#include "drives/self_test_device.h"
#include "drives/trace.h"
#include "report/exit_status.h"
#include "report/json_report.h"
#include "report/report_file.h"
#include "report/text_report.h"
#include "text/utf.h"

namespace corvanite {
namespace {

constexpr std::string_view HELP_USAGE =
    "Usage: corvanite-report [--json] [--trace TRACE] [--replay TRACE] [FILE]\n"
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
    "  --trace TRACE   also write every drive request and its answer to the file TRACE\n"
    "             (JSON Lines, docs/trace.md), as the scan makes them; it holds the drives'\n"
    "             serial numbers\n"
    "  --replay TRACE  answer the drives from a trace instead of this machine's drives: the\n"
    "             report the recorded machine gave\n"
    "  --self-test short|extended|abort --drive N [--wait]\n"
    "             start the drive's own self-test (or abort the running one) on drive number N\n"
    "             and return; with --wait, show its progress on standard error until the drive\n"
    "             reports the end, and exit with its result (below). The extended test reads\n"
    "             the whole surface and can take hours; the drive stays usable meanwhile\n"
    "  --help     show this text\n"
    "  --         end of options: the next argument is the file, even if it begins with -\n"
    "\n"
    "Opening drives needs administrator (Windows) or root (Linux) rights.\n"
    "\n"
    "Exit status of a report:\n";
constexpr std::string_view HELP_SELF_TEST_STATUSES =
    "\n"
    "Exit status of --self-test:\n";
// The status's column in the exit status lines ("  0   every drive that gave health data is GOOD").
constexpr size_t STATUS_COLUMN_WIDTH = 4;

std::string WithLineEnds(std::string_view text, std::string_view lineEnd) {
    std::string out;
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

// The trace file, written a line at a time as the scan makes its requests, so that a scan that
// hangs or crashes still leaves what it did. A file that cannot be written is said once.
struct TraceFile {
    std::ofstream out;
    std::string name;
    bool told = false;
};

bool WriteTraceLine(void* context, std::string_view line) {
    auto& trace = *static_cast<TraceFile*>(context);
    trace.out.write(line.data(), static_cast<std::streamsize>(line.size()));
    trace.out.flush();
    if (trace.out.good()) {
        return true;
    }
    if (!trace.told) {
        trace.told = true;
        WriteErr("corvanite-report: cannot write the trace " + trace.name +
                 "; the report goes on without it\n");
    }
    return false;
}

// Starts the trace of the installed drive access, or says why it cannot be written.
void StartTrace(const std::u16string& file, TraceFile& trace) {
    trace.name = Utf16ToUtf8(file);
    trace.out.open(std::filesystem::path(file), std::ios::binary | std::ios::trunc);
    if (!trace.out.is_open()) {
        const int error = errno;
        trace.told = true;
        WriteErr("corvanite-report: cannot write the trace " + trace.name + ": " +
                 std::strerror(error) + "; the report goes on without it\n");
        return;
    }
    TraceHeader header;
    header.program = "corvanite-report";
    header.version = CORVANITE_VERSION;
    header.system = SystemVersionText();
    header.time = UtcTimeText(std::chrono::duration_cast<std::chrono::seconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count());
    const TraceSink sink{.context = &trace, .writeLine = WriteTraceLine};
    InstallDeviceAccess(&StartDeviceTrace(InstalledDeviceAccess(), header, sink));
}

// Installs the machine a trace recorded; false (said) when it cannot be read.
bool StartReplay(const std::u16string& file, int& status) {
    const std::string name = Utf16ToUtf8(file);
    std::string text;
    int error = 0;
    if (!ReadTraceFile(std::filesystem::path(file), text, error)) {
        WriteErr("corvanite-report: cannot read the trace " + name + ": " + std::strerror(error) +
                 "\n");
        status = REPORT_EXIT_NO_INPUT;
        return false;
    }
    std::string problem;
    if (!LoadDeviceReplay(text, problem)) {
        WriteErr("corvanite-report: cannot replay " + name + ": " + problem + "\n");
        status = REPORT_EXIT_BAD_TRACE;
        return false;
    }
    InstallDeviceAccess(&ReplayDeviceAccess());
    return true;
}

// How often a running self-test is looked at while --wait waits for it.
constexpr int SELF_TEST_POLL_MS = 5000;
// A test the drive took but never showed as running nor logged: given up after this many looks.
constexpr int SELF_TEST_QUIET_POLLS = 6;

std::string DriveName(const DriveInfo& drive) {
    return "drive " + std::to_string(drive.driveNumber) + " (" + Utf16ToUtf8(drive.model.view()) +
           ")";
}

// Looks at the drive again: false when it could not be opened or did not answer.
bool Refresh(DriveInfo& drive) {
    DriveHandle handle = 0;
    uint32_t error = 0;
    if (!OpenDrive(drive.driveNumber, handle, error)) {
        return false;
    }
    const bool answered = RefreshSelfTest(handle, drive);
    CloseDrive(handle);
    return answered;
}

// What the log's newest entry says, once it is not the one that was newest before the start.
int WaitForSelfTest(DriveInfo& drive, SelfTestKind kind) {
    const std::vector<SelfTestLogEntry> before = drive.selfTest.log;
    const auto same = [](const SelfTestLogEntry& a, const SelfTestLogEntry& b) {
        return a.code == b.code && a.status == b.status && a.powerOnHours == b.powerOnHours &&
               a.failingLba == b.failingLba;
    };
    int quiet = 0;
    for (int64_t polls = 0;; ++polls) {
        if (polls > 0) {
            PauseFor(SELF_TEST_POLL_MS);
        }
        if (!Refresh(drive)) {
            WriteErr("corvanite-report: " + DriveName(drive) + " no longer answers\n");
            return SELF_TEST_EXIT_ABORTED;
        }
        const SelfTestState& state = drive.selfTest;
        if (state.running) {
            quiet = 0;
            WriteErr(
                Utf16ToUtf8(SelfTestProgressText(state, kind, polls * SELF_TEST_POLL_MS / 1000)) +
                "\n");
            continue;
        }
        const bool logged =
            !state.log.empty() && (before.empty() || !same(state.log.front(), before.front()));
        if (!logged && ++quiet < SELF_TEST_QUIET_POLLS) {
            continue;
        }
        if (!logged) {
            WriteErr("corvanite-report: " + DriveName(drive) +
                     " shows no running test and logged none\n");
            return SELF_TEST_EXIT_ABORTED;
        }
        const SelfTestLogEntry& last = state.log.front();
        WriteOut(DriveName(drive) + ": " + Utf16ToUtf8(SelfTestResultText(state)) + "\n");
        return last.outcome == SELF_TEST_PASSED   ? SELF_TEST_EXIT_PASSED
               : last.outcome == SELF_TEST_FAILED ? SELF_TEST_EXIT_FAILED
                                                  : SELF_TEST_EXIT_ABORTED;
    }
}

// --self-test KIND --drive N [--wait].
int RunSelfTestCommand(SelfTestKind kind, const std::u16string& number, bool wait) {
    if (number.empty() || number.size() > 4 ||
        number.find_first_not_of(u"0123456789") != std::u16string::npos) {
        return UsageError("--drive needs a drive number");
    }
    const int driveNumber = std::stoi(Utf16ToUtf8(number));
    std::vector<DriveInfo> drives = ProbeAllDrives();
    const auto found =
        std::find_if(drives.begin(), drives.end(),
                     [driveNumber](const DriveInfo& d) { return d.driveNumber == driveNumber; });
    if (found == drives.end()) {
        WriteErr("corvanite-report: no drive number " + std::to_string(driveNumber) + "\n");
        return SELF_TEST_EXIT_NO_DRIVE;
    }
    DriveInfo& drive = *found;
    if (!drive.selfTest.supported) {
        WriteErr("corvanite-report: " + DriveName(drive) +
                 " cannot run a self-test: " + Utf16ToUtf8(drive.selfTest.unsupported) + "\n");
        return SELF_TEST_EXIT_UNSUPPORTED;
    }
    // Never two tests on one drive: one that runs (ours or another program's) is aborted first.
    if (kind != SELF_TEST_ABORT && drive.selfTest.running) {
        WriteErr("corvanite-report: " + DriveName(drive) + " is running a self-test already (" +
                 std::to_string(drive.selfTest.percentDone) +
                 " % done); abort it first with --self-test abort\n");
        return SELF_TEST_EXIT_BUSY;
    }
    DriveHandle handle = 0;
    uint32_t openError = 0;
    bool sent = OpenDrive(driveNumber, handle, openError);
    if (sent) {
        sent = SendSelfTest(handle, drive, kind);
        openError = static_cast<uint32_t>(LastDeviceError());
        CloseDrive(handle);
    }
    if (!sent) {
        WriteErr("corvanite-report: " + DriveName(drive) + " or the system refused the " +
                 Utf16ToUtf8(SelfTestKindWord(kind)) + " self-test: " +
                 Utf16ToUtf8(DeviceFailureText(REQUEST_SELF_TEST, static_cast<int32_t>(openError),
                                               DeviceErrorKind(), ProcessPrivileged())) +
                 "\n");
        return SELF_TEST_EXIT_UNSUPPORTED;
    }
    if (kind == SELF_TEST_ABORT) {
        WriteOut("Aborted the self-test on " + DriveName(drive) + "\n");
        return SELF_TEST_EXIT_PASSED;
    }
    const int32_t minutes =
        kind == SELF_TEST_EXTENDED ? drive.selfTest.extendedMinutes : drive.selfTest.shortMinutes;
    WriteOut("Started the " + Utf16ToUtf8(SelfTestKindWord(kind)) + " self-test on " +
             DriveName(drive) +
             (minutes > 0 ? "; it takes about " + std::to_string(minutes) + " min" : "") + "\n");
    return wait ? WaitForSelfTest(drive, kind) : SELF_TEST_EXIT_PASSED;
}

}  // namespace

std::string ReportHelpText() {
    std::string text(HELP_USAGE);
    const auto list = [&text](std::span<const ExitStatusMeaning> rows) {
        for (const ExitStatusMeaning& row : rows) {
            const std::string status = std::to_string(row.status);
            text.append("  ").append(status);
            text.append(STATUS_COLUMN_WIDTH - status.size(), ' ')
                .append(row.meaning)
                .push_back('\n');
        }
    };
    list(REPORT_EXIT_STATUSES);
    text.append(HELP_SELF_TEST_STATUSES);
    list(SELF_TEST_EXIT_STATUSES);
    return text;
}

int RunReportTool(const std::vector<std::u16string>& args) {
    const std::u16string* file = nullptr;
    const std::u16string* traceFile = nullptr;
    const std::u16string* replayFile = nullptr;
    bool optionsEnded = false;
    bool json = false;
    const std::u16string* selfTest = nullptr;
    const std::u16string* driveNumber = nullptr;
    bool wait = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        if (!optionsEnded && (arg == u"--self-test" || arg == u"--drive")) {
            const std::u16string*& named = arg == u"--self-test" ? selfTest : driveNumber;
            if (i + 1 == args.size() || named != nullptr) {
                return UsageError(Utf16ToUtf8(arg) +
                                  (named != nullptr ? " given twice" : " needs its value"));
            }
            named = &args[++i];
            continue;
        }
        if (!optionsEnded && arg == u"--wait") {
            wait = true;
            continue;
        }
        if (!optionsEnded && (arg == u"--trace" || arg == u"--replay")) {
            const std::u16string*& named = arg == u"--trace" ? traceFile : replayFile;
            const std::string option = Utf16ToUtf8(arg);
            if (i + 1 == args.size() || args[i + 1].empty()) {
                return UsageError(option + " needs a file name");
            }
            if (named != nullptr) {
                return UsageError(option + " given twice");
            }
            named = &args[++i];
            continue;
        }
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

    if (selfTest != nullptr || driveNumber != nullptr || wait) {
        const SelfTestKind kind = selfTest == nullptr        ? SELF_TEST_NONE
                                  : *selfTest == u"short"    ? SELF_TEST_SHORT
                                  : *selfTest == u"extended" ? SELF_TEST_EXTENDED
                                  : *selfTest == u"abort"    ? SELF_TEST_ABORT
                                                             : SELF_TEST_NONE;
        if (kind == SELF_TEST_NONE || driveNumber == nullptr || json || file != nullptr) {
            return UsageError(
                "a self-test is --self-test short|extended|abort --drive N [--wait], alone");
        }
    }
    // The drives a replay answers are the ones a trace then records: a trace of a replay is the
    // same trace again.
    const DeviceAccess* before = InstallDeviceAccess(nullptr);
    InstallDeviceAccess(before);
    int failure = 0;
    if (replayFile != nullptr && !StartReplay(*replayFile, failure)) {
        return failure;
    }
    TraceFile trace;
    if (traceFile != nullptr) {
        StartTrace(*traceFile, trace);
    }
    if (selfTest != nullptr) {
        const SelfTestKind kind = *selfTest == u"short"      ? SELF_TEST_SHORT
                                  : *selfTest == u"extended" ? SELF_TEST_EXTENDED
                                                             : SELF_TEST_ABORT;
        const int status = RunSelfTestCommand(kind, *driveNumber, wait);
        StopDeviceTrace();  // (none may have started)
        InstallDeviceAccess(before);
        return status;
    }
    ProbeSkipped skipped;
    const std::vector<DriveInfo> drives = ProbeAllDrives(skipped);
    StopDeviceTrace();
    InstallDeviceAccess(before);
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
