#include "app/export.h"

#include "app/window_host.h"
#include "report/report_file.h"
#include "report/text_report.h"
#include "state/app_state.h"
#include "text/text_format.h"

namespace corvanite {

void ExportReport() {
    std::u16string path;
    uint32_t dialogError = 0;
    if (!AskReportPath(path, dialogError)) {
        if (dialogError != 0) {
            std::u16string text = u"Report export failed: the save dialog reported error 0x";
            AppendHex(text, dialogError, 4);
            SetStatusText(text);
            RequestRepaint();
        }
        return;
    }
    std::u16string reason;
    uint32_t errorCode = 0;
    if (WriteReportFile(path, ReportFileBytes(appState.drives), reason, errorCode)) {
        SetStatusText(u"Report exported: " + path);
    } else {
        std::u16string text = u"Report export failed: " + path + u" (" + reason + u", error ";
        AppendUnsigned(text, errorCode);
        text += u')';
        SetStatusText(text);
    }
    RequestRepaint();
}

void CopySelectedDrive() {
    const DriveInfo* drive = SelectedDrive();
    if (drive == nullptr) {
        return;
    }
    if (CopyToClipboard(DriveReportText(*drive))) {
        std::u16string text = u"Copied to the clipboard: Drive ";
        AppendSigned(text, drive->driveNumber);
        SetStatusText(text + u" report");
    } else {
        SetStatusText(u"Copy failed: the clipboard is in use by another program");
    }
    RequestRepaint();
}

}  // namespace corvanite
