// The composition of one frame: the window's layout as a function of the client size and the
// drawing of every region in order.
#pragma once

#include "ui/display_list.h"
#include "ui/frame_output.h"

namespace corvanite {

// The regions of a client area width x height.
struct FrameLayout {
    Rect client;     // the whole area: background and the 1-unit window outline
    Rect titleBar;   // across the top, inside the outline
    Rect driveList;  // the left column, between the title bar and the status bar
    Rect tabBar;     // right of the drive list and its divider, under the title bar
    Rect content;    // the active tab's view, with a gap to the bars and the divider around it
    Rect statusBar;  // across the bottom, inside the outline
};

FrameLayout ComputeFrameLayout(int32_t width, int32_t height);

// Empties the list and the output (keeping their storage), then draws the whole frame from
// appState: background, outline, title bar, divider, drive list, tab bar, the active tab's view
// and the status bar. Reads appState only; what the frame produced goes to `out`.
void BuildFrame(DisplayList& list, FrameOutput& out, int width, int height);

// Hands what a built frame produced to appState: buttons, tab rectangles, drive rows, drag zone,
// and the scroll limit and held position of the view it showed. UI thread, after BuildFrame.
void CommitFrame(const FrameOutput& out);

}  // namespace corvanite
