// The composition of one frame: the window's layout as a function of the client size and the
// drawing of every region in order.
#pragma once

#include "ui/display_list.h"
#include "ui/frame_output.h"

namespace corvanite {

// The regions of a client area width x height.
struct FrameLayout {
    Rect client;     // (0, 0, width, height): background and window outline
    Rect titleBar;   // (1, 1, width - 1, 37)
    Rect driveList;  // (1, 37, 221, height - 29)
    Rect tabBar;     // (222, 37, width - 1, 73)
    Rect content;    // CONTENT_RECT: (228, 79, width - 7, height - 35)
    Rect statusBar;  // (1, height - 29, width - 1, height - 1)
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
