// The pixel suite's seam: each platform's file replays a list on its own renderer.
#pragma once

#include <vector>

#include "ui/display_list.h"

namespace corvanite::test {

// The list replayed at dpi onto a black w x h image: 0xRRGGBB, rows from the top.
std::vector<uint32_t> RenderForTest(const DisplayList& list, int32_t w, int32_t h, int dpi = 96);

}  // namespace corvanite::test
