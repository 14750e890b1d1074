#include "report/report_file.h"

#include "host/installed_table.h"

namespace corvanite {
namespace {

InstalledTable<ReportFileAccess> installed;

}  // namespace

const ReportFileAccess* InstallReportFileAccess(const ReportFileAccess* table) {
    return installed.Install(table);
}

const ReportFileAccess& InstalledReportFileAccess() {
    return installed.Or(SystemReportFileAccess());
}

}  // namespace corvanite
