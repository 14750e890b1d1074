#include "ui/frame.h"

#include "state/app_state.h"
#include "ui/disk_info_view.h"
#include "ui/drive_list.h"
#include "ui/primitives.h"
#include "ui/scan_repair_view.h"
#include "ui/smart_view.h"
#include "ui/status_bar.h"
#include "ui/tab_bar.h"
#include "ui/title_bar.h"

namespace corvanite {

FrameLayout ComputeFrameLayout(int32_t width, int32_t height) {
    FrameLayout layout;
    layout.client = Rect{0, 0, width, height};
    layout.titleBar = Rect{1, 1, width - 1, 37};
    layout.driveList = Rect{1, 37, 221, height - 29};
    layout.tabBar = Rect{222, 37, width - 1, 73};
    layout.content = Rect{228, 79, width - 7, height - 35};
    layout.statusBar = Rect{1, height - 29, width - 1, height - 1};
    return layout;
}

void BuildFrame(DisplayList& list, FrameOutput& out, int width, int height) {
    const FrameLayout layout = ComputeFrameLayout(width, height);
    list.Clear();
    out.Clear();

    FillSolidRect(list, layout.client, COLOR_WINDOW_BG);
    DrawOutlineRect(list, layout.client, COLOR_ACCENT);
    DrawTitleBar(list, out, layout.titleBar);

    // The panel fill stops at x = 220, so the divider at x = 221 stays.
    DrawLine(list, Point{layout.driveList.right, layout.driveList.top},
             Point{layout.driveList.right, layout.driveList.bottom}, COLOR_BORDER);
    FillSolidRect(list, layout.driveList, COLOR_SURFACE);
    DrawDriveList(list, out, layout.driveList);

    DrawTabBar(list, out, layout.tabBar);
    switch (appState.activeTab) {
        case TAB_SMART:
            DrawSmartView(list, out, layout.content);
            break;
        case TAB_DISK_INFO:
            DrawDiskInfoView(list, layout.content);
            break;
        case TAB_SCAN_REPAIR:
            DrawScanRepairView(list, out, layout.content);
            break;
        default:
            break;
    }

    DrawStatusBar(list, layout.statusBar);
}

void CommitFrame(const FrameOutput& out) {
    appState.buttons = out.buttons;
    for (int32_t i = 0; i < TAB_COUNT; ++i) {
        appState.tabRects[i] = out.tabRects[i];
    }
    appState.driveRows = out.driveRows;
    appState.driveListArea = out.driveListArea;
    appState.driveScrollMax = out.driveScrollMax;
    appState.driveScroll = out.driveScroll;
    appState.drivePageRows = out.drivePageRows;
    appState.dragZone = out.dragZone;
    if (out.smartScrolled) {
        appState.smartScrollMax = out.smartScrollMax;
        appState.smartScroll = out.smartScroll;
        appState.smartPageRows = out.smartPageRows;
    }
    if (out.chkdskScrolled) {
        appState.chkdskScrollMax = out.chkdskScrollMax;
        appState.chkdskScroll = out.chkdskScroll;
        appState.chkdskPageLines = out.chkdskPageLines;
    }
}

}  // namespace corvanite
