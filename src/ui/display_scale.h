// The window's scale: drawers work in units of 1/96 inch; a window on a display of another
// resolution shows each unit as dpi / 96 device pixels. One rule maps units to pixels for both
// renderers and for the mouse: an edge at unit x lies at pixel round(x * dpi / 96), left and right
// (top and bottom) edges each rounded on their own, so rectangles that share an edge in units
// share it in pixels (no gap, no overlap at 125 % or 150 %), and a 1-unit line or outline is the
// width of its own unit cell.
#pragma once

#include <cstdint>

#include "state/geometry.h"
#include "ui/display_list.h"

namespace corvanite {

constexpr int UNIT_DPI = 96;

// The resolution a display reports, kept within 48..960 (50 % to 1000 %); 0 or less is 96.
int ClampDpi(int dpi);

// The pixel at which the edge at unit x lies: round(x * dpi / 96), halves up.
int32_t ScaleEdge(int32_t units, int dpi);
Rect ScaleRect(Rect units, int dpi);

// The unit cell a device pixel belongs to: the u with ScaleEdge(u) <= pixel < ScaleEdge(u + 1).
int32_t UnitAtPixel(int32_t pixel, int dpi);
Point UnitPointAt(Point pixel, int dpi);
// How many units a span of that many pixels needs so that every pixel is covered: the last unit
// cell may reach past the span's end.
int32_t UnitsCovering(int32_t pixels, int dpi);

// The same picture in device pixels: every rectangle, point and clip scaled edge by edge, level
// and upright lines and outlines turned into fills of their unit cells (a sloped line keeps its
// kind, its ends scaled). Texts keep their places and fonts; the
// renderer draws them with its fonts made for dpi. At 96 dpi the list is handed back unchanged
// (no copy); otherwise `scratch` receives the scaled list and is handed back.
const DisplayList& ScaleToDevice(const DisplayList& units, int dpi, DisplayList& scratch);

}  // namespace corvanite
