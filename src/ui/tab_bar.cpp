#include "ui/tab_bar.h"

#include "ui/primitives.h"

namespace corvanite {

void DrawTabBar(DisplayList& dc, FrameOutput& out, Rect bar) {
    FillSolidRect(dc, bar, COLOR_PANEL_BG);

    // Equal widths; up to 2 pixels at the right end belong to no tab.
    const int32_t w = (bar.right - bar.left) / TAB_COUNT;
    for (int32_t i = 0; i < TAB_COUNT; ++i) {
        const Rect tab{bar.left + i * w, bar.top, bar.left + (i + 1) * w, bar.bottom};
        const bool active = appState.activeTab == i;
        out.tabRects[i] = tab;
        FillSolidRect(dc, tab, active ? COLOR_SURFACE : COLOR_PANEL_BG);
        if (active) {
            FillSolidRect(dc, Rect{tab.left, tab.bottom - 2, tab.right, tab.bottom}, COLOR_ACCENT);
        }
        DrawTextInRect(dc, tab, TAB_CAPTIONS[i], active ? COLOR_ACCENT : COLOR_TEXT_DIM, FONT_MAIN,
                       ALIGN_CENTER);
    }

    for (int32_t i = 1; i < TAB_COUNT; ++i) {
        const int32_t x = bar.left + i * w;
        DrawLine(dc, Point{x, bar.top + 4}, Point{x, bar.bottom - 4}, COLOR_SEPARATOR);
    }
    // Drawn last: on the active tab it covers the underline's bottom row.
    DrawLine(dc, Point{bar.left, bar.bottom - 1}, Point{bar.right, bar.bottom - 1}, COLOR_BORDER);
}

}  // namespace corvanite
