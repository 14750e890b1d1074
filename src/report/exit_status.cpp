#include "report/exit_status.h"

#include <algorithm>
#include <iterator>

namespace corvanite {
namespace {

// The statuses a drive stands for, least severe first: a scan reports its worst drive's, and
// N/A only when no drive gave anything better to report.
constexpr int BY_SEVERITY[] = {REPORT_EXIT_NO_DATA, REPORT_EXIT_ALL_GOOD, REPORT_EXIT_WORST_WARN,
                               REPORT_EXIT_ANY_CRIT};

std::ptrdiff_t Severity(int status) {
    return std::find(std::begin(BY_SEVERITY), std::end(BY_SEVERITY), status) -
           std::begin(BY_SEVERITY);
}

}  // namespace

int HealthExitStatus(HealthStatus health) {
    switch (health) {
        case HEALTH_GOOD:
            return REPORT_EXIT_ALL_GOOD;
        case HEALTH_WARN:
            return REPORT_EXIT_WORST_WARN;
        case HEALTH_CRIT:
            return REPORT_EXIT_ANY_CRIT;
        default:
            return REPORT_EXIT_NO_DATA;
    }
}

int ReportExitStatus(const std::vector<DriveInfo>& drives) {
    if (drives.empty()) {
        return REPORT_EXIT_NO_DRIVES;
    }
    int worst = REPORT_EXIT_NO_DATA;
    for (const DriveInfo& drive : drives) {
        const int status = HealthExitStatus(drive.health);
        if (Severity(status) > Severity(worst)) {
            worst = status;
        }
    }
    return worst;
}

}  // namespace corvanite
