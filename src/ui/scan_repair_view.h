// The SCAN/REPAIR tab: target volume, the three volume-check buttons, the live output with its
// keyword colours and spinner, and the result strip of a finished check.
#pragma once

#include <string_view>

#include "ui/display_list.h"
#include "ui/frame_output.h"

namespace corvanite {

inline constexpr std::u16string_view SPINNER_FRAMES[4] = {u"|", u"/", u"-", u"\\"};
constexpr int32_t OUTPUT_LINE_HEIGHT = 18;

// The colour of one output line: the first keyword found decides ("error", "Error" red;
// "warning", "Warning" amber; "corrected", "fixed" green), otherwise secondary text.
Color OutputLineColor(std::u16string_view line);

// The number of output lines that fit whole in the output area of a content rectangle of that
// height, or above the result strip of a finished check in it.
int32_t OutputLinesThatFit(int32_t contentHeight, bool resultShown = false);

// Paints the view into the content rectangle, registers BTN_SCAN_READONLY, BTN_SCAN_FIX and
// BTN_CANCEL, and sets chkdskScrollMax and chkdskScroll (holding chkdskLinesLock).
void DrawScanRepairView(DisplayList& dc, FrameOutput& out, Rect content);

}  // namespace corvanite
