// For tests and developer tools only (the pixel tests, the screenshots, the benchmarks); the
// program never calls these. The Linux renderer without any window: into an image, a PNG file.
#pragma once

#include <cairo.h>

#include "ui/display_list.h"
#include "ui/render_cairo.h"

namespace corvanite {

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
