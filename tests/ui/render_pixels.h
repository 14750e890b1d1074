// The seam of the pixel tests: the same checks run on this platform's renderer (Cairo on Linux,
// GDI under Windows or Wine); each platform's test file defines RenderForTest.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/display_list.h"

namespace corvanite::test {

struct RenderedImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, rows from the top
    uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

// The list replayed onto a black width x height image, with the two fonts at dpi.
RenderedImage RenderForTest(const DisplayList& list, int32_t width, int32_t height, int dpi = 96);

}  // namespace corvanite::test
