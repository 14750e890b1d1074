// Linux renderer: replays a display list with Cairo (fills, lines, outlines, clips) and Pango
// (text), pixel for pixel as the Windows renderer does with GDI.
#pragma once

#include <cairo.h>

#include "ui/display_list.h"

namespace corvanite {

constexpr int DEFAULT_SCREEN_DPI = 96;

// The character height in pixels of a font of that many points on a screen of that resolution,
// rounded to the nearest pixel as the system's MulDiv(points, dpi, 72) does: 10 points at 96 dpi
// give 13, 12 points give 16; 10 points at 120 dpi give 17.
int FontPixelHeight(int points, int dpi);

// Replays the list, drawn in units of 1/96 inch, onto the Cairo context at dpi: the list is
// scaled to device pixels by the shared rule of ui/display_scale.h and the text is drawn through
// Pango in a fixed-pitch face sized for dpi. The context's transform should be the identity or a
// whole-number device scale (GTK's window scale): fills, lines and outlines then land on exact
// pixels. The context's own state is left as it was.
void RenderDisplayList(cairo_t* cr, const DisplayList& list, int dpi = DEFAULT_SCREEN_DPI);

}  // namespace corvanite
