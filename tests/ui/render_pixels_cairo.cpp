// The pixel suite on Cairo and Pango, and what only they have: the font size rule and two ways
// of drawing text.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <tuple>

#include "render_pixels.h"
#include "ui/primitives.h"
#include "ui/render_cairo.h"

namespace corvanite::test {

// Replayed into a window's context as GTK hands it over: its clip, source and antialiasing, even
// with a clip left pushed or a stray pop, are as they were afterwards.
std::vector<uint32_t> RenderForTest(const DisplayList& list, int32_t w, int32_t h, int dpi) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_BEST);
    cairo_set_source_rgb(cr, 1, 0, 0);
    RenderDisplayList(cr, list, dpi);
    std::array<double, 7> kept{};
    cairo_clip_extents(cr, &kept[0], &kept[1], &kept[2], &kept[3]);
    cairo_pattern_get_rgba(cairo_get_source(cr), &kept[4], &kept[5], &kept[6], nullptr);
    EXPECT_EQ(kept, (std::array<double, 7>{0, 0, 1.0 * w, 1.0 * h, 1, 0, 0}));
    EXPECT_EQ(cairo_get_antialias(cr), CAIRO_ANTIALIAS_BEST);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const auto* data = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface));
    std::vector<uint32_t> pixels(data, data + w * h);  // RGB24 rows: 4 * w bytes, unused top byte
    std::transform(pixels.begin(), pixels.end(), pixels.begin(),
                   [](uint32_t p) { return p & 0xFFFFFF; });
    cairo_surface_destroy(surface);
    return pixels;
}

namespace {

TEST(RenderCairo, FontSizeAndBothTextPaths) {
    for (auto [points, dpi, pixels] :
         {std::tuple{10, 96, 13}, {12, 96, 16}, {10, 120, 17}, {12, 144, 24}, {3, 12, 1}}) {
        EXPECT_EQ(FontPixelHeight(points, dpi), pixels) << points << " pt at " << dpi;
    }
    // Latin-1 texts are drawn from the face's glyphs, others through Pango's layout: the same
    // pixels for the same characters (the euro signs start at x = 51 and x = 60).
    auto render = [](const std::u16string& text) {
        DisplayList list;
        DrawTextAt(list, 3, 4, text, COLOR_TEXT);
        DrawTextInRect(list, Rect{0, 30, 200, 60}, text, COLOR_WARN, FONT_LARGE);
        return RenderForTest(list, 200, 60);
    };
    const std::vector<uint32_t> a = render(u"Hg_W|0"), b = render(u"Hg_W|0\u20AC");
    for (size_t i = 0; i < a.size(); ++i) {
        if (i % 200 < (i < 30 * 200 ? 51u : 60u)) {
            ASSERT_EQ(a[i], b[i]) << i % 200 << "," << i / 200;
        }
    }
    EXPECT_GT(a.size() - static_cast<size_t>(std::count(a.begin(), a.end(), 0u)), 150u);
}

}  // namespace
}  // namespace corvanite::test
