// The pixel tests' renderer on Linux (Cairo and Pango), and what only the Cairo renderer has:
// the font size rule, the PNG file and the caller's context left as it was.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "render_pixels.h"
#include "ui/primitives.h"
#include "ui/render_cairo.h"

namespace corvanite::test {

RenderedImage RenderForTest(const DisplayList& list, int32_t width, int32_t height, int dpi) {
    RenderedImage image;
    cairo_surface_t* surface = RenderDisplayListToSurface(list, width, height, dpi);
    if (surface == nullptr) {
        ADD_FAILURE() << "no surface";
        return image;
    }
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int32_t y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int32_t x = 0; x < width; ++x) {
            image.pixels[static_cast<size_t>(y * width + x)] = row[x] & 0xFFFFFF;
        }
    }
    cairo_surface_destroy(surface);
    return image;
}

namespace {

TEST(RenderCairo, FontPixelHeightRoundsAsMulDiv) {
    EXPECT_EQ(FontPixelHeight(10, 96), 13);  // 13.33
    EXPECT_EQ(FontPixelHeight(12, 96), 16);
    EXPECT_EQ(FontPixelHeight(10, 120), 17);  // 16.67
    EXPECT_EQ(FontPixelHeight(12, 144), 24);
    EXPECT_EQ(FontPixelHeight(9, 96), 12);  // exactly 12
    EXPECT_EQ(FontPixelHeight(3, 12), 1);   // 0.5 rounds up
}

TEST(RenderCairo, TextFollowsTheResolution) {
    DisplayList list;
    DrawTextAt(list, 0, 0, u"HHHHHHHHHH", COLOR_TEXT);
    cairo_surface_t* at96 = RenderDisplayListToSurface(list, 200, 40, 96);
    cairo_surface_t* at144 = RenderDisplayListToSurface(list, 200, 40, 144);
    ASSERT_NE(at96, nullptr);
    ASSERT_NE(at144, nullptr);
    // The rightmost inked column of the first row band: one and a half times further at 144.
    auto rightmost = [](cairo_surface_t* surface) {
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        int32_t right = -1;
        for (int32_t y = 0; y < 40; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
            for (int32_t x = 0; x < 200; ++x) {
                if ((row[x] & 0xFFFFFF) != 0) {
                    right = x > right ? x : right;
                }
            }
        }
        return right;
    };
    const int32_t right96 = rightmost(at96);
    const int32_t right144 = rightmost(at144);
    cairo_surface_destroy(at96);
    cairo_surface_destroy(at144);
    EXPECT_NEAR(right144, right96 * 3 / 2, 8);
}

// Latin-1 texts are drawn from the face's glyphs directly, others through Pango's layout: the
// two ways give the same pixels for the same characters.
TEST(RenderCairo, DirectGlyphsMatchPangoLayout) {
    DisplayList direct;
    DrawTextAt(direct, 3, 4, u"Hg_W|0", COLOR_TEXT);
    DrawTextInRect(direct, Rect{0, 30, 200, 60}, u"Hg_W|0", COLOR_WARN, FONT_LARGE, ALIGN_LEFT);
    DisplayList layout;  // the euro sign is outside Latin-1: the whole text goes through Pango
    DrawTextAt(layout, 3, 4, u"Hg_W|0\u20AC", COLOR_TEXT);
    DrawTextInRect(layout, Rect{0, 30, 200, 60}, u"Hg_W|0\u20AC", COLOR_WARN, FONT_LARGE,
                   ALIGN_LEFT);
    const RenderedImage a = RenderForTest(direct, 200, 60);
    const RenderedImage b = RenderForTest(layout, 200, 60);
    int32_t ink = 0;
    int32_t extra = 0;
    for (int32_t y = 0; y < 60; ++y) {
        for (int32_t x = 0; x < 200; ++x) {
            // Six cells of 8 pixels from x = 3, then of 10 from x = 0: the euro signs start at
            // x = 51 and x = 60.
            if (x < (y < 30 ? 51 : 60)) {
                ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
                ink += a.At(x, y) != 0 ? 1 : 0;
            } else {
                ASSERT_EQ(a.At(x, y), 0u) << x << "," << y;
                extra += b.At(x, y) != 0 ? 1 : 0;
            }
        }
    }
    EXPECT_GT(ink, 150);
    EXPECT_GT(extra, 20);  // the euro signs themselves
}

TEST(RenderCairo, PngHoldsTheRenderedPixelsAndContextStateIsKept) {
    DisplayList list;
    FillSolidRect(list, Rect{0, 0, 20, 10}, COLOR_WINDOW_BG);
    FillSolidRect(list, Rect{3, 2, 7, 5}, COLOR_ACCENT_ALT);
    const std::string path =
        testing::TempDir() + "render_cairo_" + std::to_string(getpid()) + ".png";
    ASSERT_TRUE(RenderDisplayListToPng(list, 20, 10, path.c_str()));
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    std::remove(path.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 20);
    EXPECT_EQ(cairo_image_surface_get_height(png), 10);
    const unsigned char* data = cairo_image_surface_get_data(png);
    const int stride = cairo_image_surface_get_stride(png);
    auto at = [&](int x, int y) {
        return reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xFFFFFF;
    };
    EXPECT_EQ(at(3, 2), COLOR_ACCENT_ALT);
    EXPECT_EQ(at(6, 4), COLOR_ACCENT_ALT);
    EXPECT_EQ(at(7, 4), COLOR_WINDOW_BG);
    EXPECT_EQ(at(6, 5), COLOR_WINDOW_BG);
    cairo_surface_destroy(png);

    EXPECT_FALSE(RenderDisplayListToPng(list, 20, 10, "/nonexistent-dir/x.png"));
    EXPECT_FALSE(RenderDisplayListToPng(list, 0, 10, path.c_str()));

    // A whole frame from appState, headless: the minimum window with its cyan outline.
    ASSERT_TRUE(RenderFrameToPng(800, 580, path.c_str()));
    cairo_surface_t* frame = cairo_image_surface_create_from_png(path.c_str());
    std::remove(path.c_str());
    ASSERT_EQ(cairo_surface_status(frame), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(frame), 800);
    EXPECT_EQ(cairo_image_surface_get_height(frame), 580);
    const auto* frameRows = cairo_image_surface_get_data(frame);
    const int frameStride = cairo_image_surface_get_stride(frame);
    auto frameAt = [&](int x, int y) {
        return reinterpret_cast<const uint32_t*>(frameRows + y * frameStride)[x] & 0xFFFFFF;
    };
    EXPECT_EQ(frameAt(0, 0), COLOR_ACCENT);
    EXPECT_EQ(frameAt(799, 579), COLOR_ACCENT);
    EXPECT_EQ(frameAt(1, 35), COLOR_ACCENT);  // the gradient's first column
    EXPECT_EQ(frameAt(225, 300), COLOR_WINDOW_BG);
    cairo_surface_destroy(frame);

    // Replaying into a caller's context (as the window does) leaves its state and clip alone,
    // even with a clip left pushed.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 20, 10);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_BEST);
    cairo_set_source_rgb(cr, 1, 0, 0);
    PushClip(list, Rect{0, 0, 1, 1});
    RenderDisplayList(cr, list);
    EXPECT_EQ(cairo_get_antialias(cr), CAIRO_ANTIALIAS_BEST);
    double left = 0, top = 0, right = 0, bottom = 0;
    cairo_clip_extents(cr, &left, &top, &right, &bottom);
    EXPECT_EQ(right - left, 20.0);
    EXPECT_EQ(bottom - top, 10.0);
    double red = 0, green = 0, blue = 0;
    cairo_pattern_get_rgba(cairo_get_source(cr), &red, &green, &blue, nullptr);
    EXPECT_EQ(red, 1.0);
    EXPECT_EQ(blue, 0.0);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

}  // namespace
}  // namespace corvanite::test
