// The main window on the screen: where it opens, which of its edges resize it, and the
// maximised state as the system reports it. Pure rules over screen rectangles in device pixels;
// each window program applies them (main_win32.cpp, main_gtk.cpp).
#pragma once

#include <cstdint>

#include "state/geometry.h"

namespace corvanite {

// The sizing border inside the window's edges, in units of 1/96 inch.
constexpr int32_t RESIZE_BORDER_UNITS = 5;

// The window's first rectangle: the wanted size, made no larger than the work area but never
// smaller than the minimum, centred on the work area. A window that must be larger than the work
// area (the minimum does not fit) keeps its top-left corner at the work area's, so its title bar
// stays on the screen.
Rect PlaceWindow(Rect workArea, int32_t width, int32_t height, int32_t minWidth, int32_t minHeight);

// The maximised size to give the system (MINMAXINFO.ptMaxSize) so that a window maximised on a
// monitor of size `monitor` covers its work area `work`. The system takes the size as one for
// the primary monitor (size `primary`): a size covering the primary monitor both ways it grows
// or shrinks by the monitor's difference from the primary, any other it takes as it is. Where
// no size gives the work area exactly (a work area covering the primary monitor but smaller than
// its own), the work area itself; the window's move to its maximised place (MaximizedPlace)
// then sets it right.
Point MaximizedSize(Point work, Point monitor, Point primary);

// Where a window goes when the system moves it: maximised, the work area of its monitor, whatever
// the system proposed; otherwise the proposed rectangle moved (and, if larger, cut) to lie
// inside that work area, so that a rectangle the system suggests for a new resolution does not
// put the title bar off the screen.
Rect MaximizedPlace(Rect proposed, Rect workArea, bool maximized);

// What a point of the window (window coordinates, device pixels) is for: the client area, or an
// edge or corner that resizes the window. The values are the system's hit-test codes.
enum FrameHit : int32_t {
    HIT_CLIENT = 1,
    HIT_LEFT = 10,
    HIT_RIGHT = 11,
    HIT_TOP = 12,
    HIT_TOP_LEFT = 13,
    HIT_TOP_RIGHT = 14,
    HIT_BOTTOM = 15,
    HIT_BOTTOM_LEFT = 16,
    HIT_BOTTOM_RIGHT = 17,
};

// The edges within `border` pixels of a width x height window resize it, the corners both ways;
// a maximised window has no resizing edges.
FrameHit FrameHitAt(Point point, int32_t width, int32_t height, int32_t border, bool maximized);

// The system maximised or restored the window (a shortcut that starts maximised, Win+Up, a
// double click elsewhere): [MAXIMIZE] follows. `normalBounds` is where the window was before it
// was maximised, where [MAXIMIZE] puts it back; a window the program had already maximised keeps
// the place it had before that.
void NoteWindowMaximized(bool maximized, Rect normalBounds);

}  // namespace corvanite
