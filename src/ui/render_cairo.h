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

// A new width x height RGB24 image surface (black before the list is replayed) holding the list's
// picture, or null when the surface cannot be made. The caller destroys it.
cairo_surface_t* RenderDisplayListToSurface(const DisplayList& list, int width, int height,
                                            int dpi = DEFAULT_SCREEN_DPI);

// Renders the list into a width x height image and writes it as a PNG file; false when the
// image cannot be made or the file cannot be written.
bool RenderDisplayListToPng(const DisplayList& list, int width, int height, const char* path,
                            int dpi = DEFAULT_SCREEN_DPI);

// Builds the frame of a client area of width x height pixels at dpi from appState (this also
// refills appState.buttons and the layout fields the drawers write, in units) and writes it as a
// PNG file, without any window or display.
bool RenderFrameToPng(int width, int height, const char* path, int dpi = DEFAULT_SCREEN_DPI);

}  // namespace corvanite
