// The three tabs above the content area; their rectangles go to the frame output.
#pragma once

#include <string_view>

#include "state/app_state.h"
#include "ui/display_list.h"
#include "ui/frame_output.h"

namespace corvanite {

// Indexed by tab id.
inline constexpr std::u16string_view TAB_CAPTIONS[TAB_COUNT] = {u"SMART DATA", u"DISK INFO",
                                                                u"SCAN/REPAIR", u"SELF-TEST"};

// Paints the bar and stores the tab rectangles of this paint in out.tabRects.
void DrawTabBar(DisplayList& dc, FrameOutput& out, Rect bar);

}  // namespace corvanite
