// What painting a frame produced besides its pixels: the clickable places of that frame and the
// scroll limits of the view it showed. The drawers fill it; CommitFrame (frame.h) hands it to
// appState in one step once the frame is built.
#pragma once

#include <cstdint>
#include <vector>

#include "state/app_state.h"

namespace corvanite {

struct FrameOutput {
    ButtonRegistry buttons;     // in registration order
    Rect tabRects[TAB_COUNT];   // the tab bar's three tabs
    std::vector<Rect> driveRows;  // one click rectangle per drive card, in list order
    Rect dragZone;              // the title bar left of the window buttons
    // The SMART table's and the volume-check output's scroll limit and the position held inside
    // it, each set only when that view drew its rows.
    bool smartScrolled = false;
    int32_t smartScrollMax = 0;
    int32_t smartScroll = 0;
    bool chkdskScrolled = false;
    int32_t chkdskScrollMax = 0;
    int32_t chkdskScroll = 0;

    // Empties everything, keeping the storage.
    void Clear() {
        buttons.clear();
        driveRows.clear();
        for (Rect& tab : tabRects) {
            tab = Rect{};
        }
        dragZone = Rect{};
        smartScrolled = chkdskScrolled = false;
        smartScrollMax = smartScroll = chkdskScrollMax = chkdskScroll = 0;
    }
};

}  // namespace corvanite
