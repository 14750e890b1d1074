// The drawn caption strip at the top of the window: product name, gradient rule and the three
// window buttons (close, maximise/restore, minimise).
#pragma once

#include "ui/display_list.h"
#include "ui/frame_output.h"

namespace corvanite {

constexpr int32_t WINDOW_BUTTON_WIDTH = 36;
constexpr int32_t WINDOW_BUTTON_HEIGHT = 34;

// Paints the bar into rect and registers BTN_CLOSE, BTN_MAXIMIZE, BTN_MINIMIZE in that order.
void DrawTitleBar(DisplayList& dc, FrameOutput& out, Rect rect);

// The gradient rule's colour at column x of a bar spanning [left, right): cyan at the left end,
// running linearly towards magenta.
Color TitleGradientColor(int32_t x, int32_t left, int32_t right);

}  // namespace corvanite
