#include "ui/frame.h"

#include "state/app_state.h"
#include "ui/disk_info_view.h"
#include "ui/drive_list.h"
#include "ui/primitives.h"
#include "ui/scan_repair_view.h"
#include "ui/self_test_view.h"
#include "ui/smart_view.h"
#include "ui/status_bar.h"
#include "ui/tab_bar.h"
#include "ui/title_bar.h"

namespace corvanite {

namespace {

constexpr int32_t OUTLINE = 1;            // the window outline's width
constexpr int32_t TITLE_BAR_BOTTOM = 37;  // the title bar, then the list and the tab bar
constexpr int32_t STATUS_BAR_HEIGHT = 28;
constexpr int32_t DRIVE_LIST_RIGHT = 221;  // the divider's column; the tab bar starts right of it
constexpr int32_t TAB_BAR_BOTTOM = 73;
constexpr int32_t CONTENT_GAP = 6;  // window background between the tab content and its neighbours

}  // namespace

FrameLayout ComputeFrameLayout(int32_t width, int32_t height) {
    FrameLayout layout;
    layout.client = Rect{0, 0, width, height};
    const int32_t right = width - OUTLINE;
    layout.titleBar = Rect{OUTLINE, OUTLINE, right, TITLE_BAR_BOTTOM};
    layout.statusBar = Rect{OUTLINE, height - OUTLINE - STATUS_BAR_HEIGHT, right, height - OUTLINE};
    layout.driveList = Rect{OUTLINE, TITLE_BAR_BOTTOM, DRIVE_LIST_RIGHT, layout.statusBar.top};
    layout.tabBar = Rect{DRIVE_LIST_RIGHT + 1, TITLE_BAR_BOTTOM, right, TAB_BAR_BOTTOM};
    layout.content = Rect{layout.tabBar.left + CONTENT_GAP, layout.tabBar.bottom + CONTENT_GAP,
                          right - CONTENT_GAP, layout.statusBar.top - CONTENT_GAP};
    return layout;
}

void BuildFrame(DisplayList& list, FrameOutput& out, int width, int height) {
    const FrameLayout layout = ComputeFrameLayout(width, height);
    list.Clear();
    out.Clear();

    FillSolidRect(list, layout.client, COLOR_WINDOW_BG);
    DrawOutlineRect(list, layout.client, COLOR_ACCENT);
    DrawTitleBar(list, out, layout.titleBar);

    // The divider runs down the column just right of the panel, which its fill leaves alone.
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
        case TAB_SELF_TEST:
            DrawSelfTestView(list, out, layout.content);
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
    for (int32_t i = 0; i < SCROLLER_COUNT; ++i) {
        appState.scrollBars[i] = out.scrollBars[i];
    }
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
