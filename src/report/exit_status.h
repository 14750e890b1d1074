// The exit statuses of corvanite-report: what each means (its help text is made from this
// table), the status a grade stands for (each drive's in the JSON report), and the worst of a
// scan.
#pragma once

#include <string_view>
#include <vector>

#include "drives/drive_info.h"

namespace corvanite {

constexpr int REPORT_EXIT_ALL_GOOD = 0;
constexpr int REPORT_EXIT_WORST_WARN = 1;
constexpr int REPORT_EXIT_ANY_CRIT = 2;
constexpr int REPORT_EXIT_NO_DATA = 3;  // no drive gave health data
constexpr int REPORT_EXIT_NO_DRIVES = 4;
constexpr int REPORT_EXIT_USAGE = 64;
constexpr int REPORT_EXIT_BAD_TRACE = 65;  // a trace to replay that cannot be read as one
constexpr int REPORT_EXIT_NO_INPUT = 66;   // a trace to replay that cannot be opened
constexpr int REPORT_EXIT_CANNOT_WRITE = 73;

struct ExitStatusMeaning {
    int status;
    std::string_view meaning;
};

inline constexpr ExitStatusMeaning REPORT_EXIT_STATUSES[] = {
    {REPORT_EXIT_ALL_GOOD, "every drive that gave health data is GOOD"},
    {REPORT_EXIT_WORST_WARN, "the worst drive is WARN"},
    {REPORT_EXIT_ANY_CRIT, "some drive is CRIT"},
    {REPORT_EXIT_NO_DATA, "no drive gave health data (all N/A)"},
    {REPORT_EXIT_NO_DRIVES,
     "no drive was found (for example without administrator or root rights)"},
    {REPORT_EXIT_USAGE, "usage error"},
    {REPORT_EXIT_BAD_TRACE, "the trace to replay is malformed (its line and fault are said)"},
    {REPORT_EXIT_NO_INPUT, "the trace to replay cannot be read"},
    {REPORT_EXIT_CANNOT_WRITE, "the report file cannot be written"},
};

// The exit statuses of corvanite-report --self-test.
constexpr int SELF_TEST_EXIT_PASSED = 0;  // completed without error (or started, without --wait)
constexpr int SELF_TEST_EXIT_FAILED = 1;
constexpr int SELF_TEST_EXIT_ABORTED = 2;
constexpr int SELF_TEST_EXIT_UNSUPPORTED = 3;
constexpr int SELF_TEST_EXIT_NO_DRIVE = 4;
constexpr int SELF_TEST_EXIT_BUSY = 75;

inline constexpr ExitStatusMeaning SELF_TEST_EXIT_STATUSES[] = {
    {SELF_TEST_EXIT_PASSED,
     "started (without --wait), aborted as asked, or completed without error"},
    {SELF_TEST_EXIT_FAILED, "completed with a failure (the first failing LBA is printed)"},
    {SELF_TEST_EXIT_ABORTED, "aborted or interrupted before its end"},
    {SELF_TEST_EXIT_UNSUPPORTED,
     "not supported by the drive or the system (the reason is printed)"},
    {SELF_TEST_EXIT_NO_DRIVE, "no drive with that number"},
    {REPORT_EXIT_USAGE, "usage error"},
    {SELF_TEST_EXIT_BUSY, "a self-test is running on the drive already"},
};

// The status a grade stands for on its own: GOOD 0, WARN 1, CRIT 2, anything else 3.
int HealthExitStatus(HealthStatus health);

// The status of a scan: the worst grade among the drives that gave health data (CRIT before WARN
// before GOOD); REPORT_EXIT_NO_DATA when none did (an empty card-reader slot or a disk that
// refused us does not hide the others' grades); REPORT_EXIT_NO_DRIVES for an empty list.
int ReportExitStatus(const std::vector<DriveInfo>& drives);

}  // namespace corvanite
