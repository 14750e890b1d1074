// The pixel suite on GDI (a DIB section, under Wine).
#include <windows.h>

#include <gtest/gtest.h>

#include <array>

#include "render_pixels.h"
#include "ui/render_gdi.h"
#include "ui/render_gdi_testing.h"

namespace corvanite::test {

std::vector<uint32_t> RenderForTest(const DisplayList& list, int32_t w, int32_t h, int dpi) {
    HFONT regular = CreateUiFont(FONT_MAIN_POINTS, dpi),
          large = CreateUiFont(FONT_LARGE_POINTS, dpi);
    // Replayed into a window's context, the list leaves its objects and state as they were (even
    // with a clip left pushed) and no object behind (Windows counts them; Wine counts none).
    HDC dc = CreateCompatibleDC(nullptr);
    auto selected = [dc] {
        return std::array{GetCurrentObject(dc, OBJ_PEN), GetCurrentObject(dc, OBJ_BRUSH),
                          GetCurrentObject(dc, OBJ_FONT)};
    };
    const auto kept = selected();
    const DWORD objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    RenderDisplayList(dc, list, regular, large, dpi);
    EXPECT_TRUE(selected() == kept && SaveDC(dc) == 1);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objects);
    DeleteDC(dc);
    std::vector<uint32_t> pixels;
    EXPECT_TRUE(RenderDisplayListToPixels(list, w, h, regular, large, pixels, dpi));
    DeleteObject(regular);
    DeleteObject(large);
    return pixels;
}

}  // namespace corvanite::test
