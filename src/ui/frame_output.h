// What painting a frame produced besides its pixels: the clickable places of that frame and the
// scroll limits of the view it showed. The drawers fill it; CommitFrame (frame.h) hands it to
// appState in one step once the frame is built.
#pragma once

#include <cstdint>
#include <vector>

#include "state/app_state.h"

namespace corvanite {

struct FrameOutput {
    ButtonRegistry buttons;                // in registration order
    Rect tabRects[TAB_COUNT];              // the tab bar's three tabs
    std::vector<DriveRowEntry> driveRows;  // the visible part of each card shown, top down
    Rect driveListArea;                    // the drive list's panel
    Rect dragZone;                         // the title bar left of the window buttons
    // The SMART table's and the volume-check output's scroll limit, the position held inside it
    // and the rows shown whole (a page), each set only when that view drew its rows.
    bool smartScrolled = false;
    int32_t smartScrollMax = 0;
    int32_t smartScroll = 0;
    int32_t smartPageRows = 0;
    bool chkdskScrolled = false;
    int32_t chkdskScrollMax = 0;
    int32_t chkdskScroll = 0;
    int32_t chkdskPageLines = 0;
    // The drive list's, set on every frame.
    int32_t driveScrollMax = 0;
    int32_t driveScroll = 0;
    int32_t drivePageRows = 0;
    ScrollBarPlace scrollBars[SCROLLER_COUNT];  // where each drawn scroll bar is

    // Empties everything, keeping the storage.
    void Clear() {
        buttons.clear();
        driveRows.clear();
        for (Rect& tab : tabRects) {
            tab = Rect{};
        }
        driveListArea = Rect{};
        dragZone = Rect{};
        smartScrolled = chkdskScrolled = false;
        smartScrollMax = smartScroll = smartPageRows = 0;
        chkdskScrollMax = chkdskScroll = chkdskPageLines = 0;
        driveScrollMax = driveScroll = drivePageRows = 0;
        for (ScrollBarPlace& bar : scrollBars) {
            bar = ScrollBarPlace{};
        }
    }
};

}  // namespace corvanite
