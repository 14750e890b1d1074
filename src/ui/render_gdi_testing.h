// For tests only (the pixel tests); the program never calls this. The Windows renderer without
// any window: into a bitmap whose pixels are handed back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ui/display_list.h"

namespace corvanite {

// Renders the list at dpi into a width x height 32-bit DIB section (black before the list is
// replayed) and hands back its pixels row by row from the top, each 0x00RRGGBB. False when the
// bitmap or context cannot be made.
bool RenderDisplayListToPixels(const DisplayList& list, int width, int height, HFONT fontMain,
                               HFONT fontLarge, std::vector<uint32_t>& pixels, int dpi = 96);

}  // namespace corvanite
