#include "app/export.h"

#include "state/app_state.h"
#include "app/window_host.h"
#include "report/report_file.h"
#include "report/text_report.h"

namespace corvanite {

void ExportReport() {
    std::u16string path;
    if (!AskReportPath(path)) {
        return;
    }
    std::u16string reason;
    const bool written = WriteReportFile(path, ReportFileBytes(appState.drives), reason);
    SetStatusText((written ? u"Report exported: " : u"Report export failed: ") + path);
    RequestRepaint();
}

}  // namespace corvanite
