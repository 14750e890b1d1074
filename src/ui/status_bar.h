// The one-line status bar at the bottom of the window: status text and drive count.
#pragma once

#include "ui/display_list.h"

namespace corvanite {

// Paints the status text on the left and "[N drives]" on the right of rect.
void DrawStatusBar(DisplayList& dc, Rect rect);

}  // namespace corvanite
