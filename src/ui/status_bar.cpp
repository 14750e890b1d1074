#include "ui/status_bar.h"

#include <string>

#include "state/app_state.h"
#include "text/text_format.h"
#include "ui/primitives.h"

namespace corvanite {

void DrawStatusBar(DisplayList& dc, Rect rect) {
    FillSolidRect(dc, rect, COLOR_PANEL_BG);
    DrawLine(dc, Point{rect.left, rect.top}, Point{rect.right, rect.top}, COLOR_BORDER);

    // Both texts share one box and are not clipped against each other: a long status text is
    // overwritten at the right end by the count drawn after it.
    const Rect textBox{rect.left + 10, rect.top, rect.right - 10, rect.bottom};
    DrawTextInRect(dc, textBox, appState.statusText.view(), COLOR_TEXT_SECONDARY, FONT_MAIN,
                   ALIGN_LEFT);

    // Before the scan has found a drive, the count would say none.
    std::u16string count = u"[";
    if (appState.scanning && appState.drives.empty()) {
        count += u"scanning]";
    } else {
        AppendUnsigned(count, appState.drives.size());
        count += u" drives]";
    }
    DrawTextInRect(dc, textBox, count, COLOR_TEXT_DIM, FONT_MAIN, ALIGN_RIGHT);
}

}  // namespace corvanite
