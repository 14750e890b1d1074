// The pixel tests' renderer on Linux (Cairo and Pango), and what only it has: the font size
// rule, its two ways of drawing text and the window's context left as it was.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "render_pixels.h"
#include "ui/primitives.h"
#include "ui/render_cairo.h"

namespace corvanite::test {

RenderedImage RenderForTest(const DisplayList& list, int32_t width, int32_t height, int dpi) {
    RenderedImage image{width, height, {}};
    cairo_surface_t* surface = RenderDisplayListToSurface(list, width, height, dpi);
    const int stride = cairo_image_surface_get_stride(surface) / 4;
    const auto* data = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
    for (int32_t i = 0; i < width * height; ++i) {
        image.pixels.push_back(data[i / width * stride + i % width] & 0xFFFFFF);
    }
    cairo_surface_destroy(surface);
    return image;
}

namespace {

TEST(RenderCairo, FontSizeAndBothTextPaths) {
    for (auto [points, dpi, pixels] : {std::tuple{10, 96, 13},
                                       {12, 96, 16},
                                       {10, 120, 17},
                                       {12, 144, 24},
                                       {9, 96, 12},
                                       {3, 12, 1}}) {
        EXPECT_EQ(FontPixelHeight(points, dpi), pixels) << points << " pt at " << dpi;
    }
    // Latin-1 texts are drawn from the face's glyphs, others through Pango's layout: the same
    // pixels for the same characters (the euro signs start at x = 51 and x = 60).
    DisplayList direct, layout;
    for (auto [list, tail] : {std::pair{&direct, u""}, {&layout, u"\u20AC"}}) {
        DrawTextAt(*list, 3, 4, std::u16string(u"Hg_W|0") + tail, COLOR_TEXT);
        DrawTextInRect(*list, Rect{0, 30, 200, 60}, std::u16string(u"Hg_W|0") + tail, COLOR_WARN,
                       FONT_LARGE);
    }
    const RenderedImage a = RenderForTest(direct, 200, 60), b = RenderForTest(layout, 200, 60);
    int32_t ink = 0;
    for (int32_t y = 0; y < 60; ++y) {
        for (int32_t x = 0; x < (y < 30 ? 51 : 60); ++x) {
            ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
            ink += a.At(x, y) != 0 ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 150);
}

TEST(RenderCairo, ReplayKeepsTheWindowsContext) {
    // Even with a clip left pushed, the context keeps its clip, source and antialiasing.
    DisplayList list;
    PushClip(list, Rect{0, 0, 1, 1});
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 20, 10);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_BEST);
    cairo_set_source_rgb(cr, 1, 0, 0);
    RenderDisplayList(cr, list);
    double left = 0, top = 0, right = 0, bottom = 0, red = 0, green = 0, blue = 0;
    cairo_clip_extents(cr, &left, &top, &right, &bottom);
    cairo_pattern_get_rgba(cairo_get_source(cr), &red, &green, &blue, nullptr);
    EXPECT_EQ(cairo_get_antialias(cr), CAIRO_ANTIALIAS_BEST);
    EXPECT_EQ((std::array{right - left, bottom - top, red, blue}),
              (std::array{20.0, 10.0, 1.0, 0.0}));
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

}  // namespace
}  // namespace corvanite::test
