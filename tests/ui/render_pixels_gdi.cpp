// The pixel tests' renderer on Windows (GDI into a DIB section), and what only it has: a replay
// into the window's context leaves its objects and state as they were.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>

#include "render_pixels.h"
#include "ui/primitives.h"
#include "ui/render_gdi.h"

namespace corvanite::test {

RenderedImage RenderForTest(const DisplayList& list, int32_t width, int32_t height, int dpi) {
    static std::map<int, std::pair<HFONT, HFONT>> fonts;  // per dpi, kept for the whole run
    auto [at, added] = fonts.try_emplace(dpi);
    if (added) {
        const LOGFONTW main = UiFontRequest(FONT_MAIN_POINTS, dpi);
        const LOGFONTW large = UiFontRequest(FONT_LARGE_POINTS, dpi);
        at->second = {CreateFontIndirectW(&main), CreateFontIndirectW(&large)};
    }
    RenderedImage image{width, height, {}};
    EXPECT_TRUE(RenderDisplayListToPixels(list, width, height, at->second.first, at->second.second,
                                          image.pixels, dpi));
    return image;
}

namespace {

TEST(RenderGdi, ReplayLeavesTheContextAndNoObjectBehind) {
    DisplayList list;
    for (int32_t i = 0; i < 300; ++i) {
        FillSolidRect(list, Rect{i % 50, 0, i % 50 + 1, 2}, static_cast<Color>(i));
        DrawLine(list, Point{0, 3}, Point{i % 60, 3}, COLOR_BORDER);
        DrawOutlineRect(list, Rect{0, 5, 10, 10}, COLOR_ACCENT);
        DrawTextAt(list, 0, 12, u"X", COLOR_TEXT, i % 2 == 0 ? FONT_MAIN : FONT_LARGE);
        DrawTextInRect(list, Rect{0, 12, 30, 30}, u"X", COLOR_TEXT);
    }
    PushClip(list, Rect{0, 0, 10, 10});  // left pushed: the replay pops it itself
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(64, 32, 1, 32, nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    const HGDIOBJ kept[] = {GetCurrentObject(dc, OBJ_PEN), GetCurrentObject(dc, OBJ_BRUSH),
                            GetCurrentObject(dc, OBJ_FONT)};
    HFONT main = CreateUiFont(FONT_MAIN_POINTS), large = CreateUiFont(FONT_LARGE_POINTS);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    RenderDisplayList(dc, list, main, large);
    const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), kept[0]);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), kept[1]);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), kept[2]);
    EXPECT_EQ(SaveDC(dc), 1);  // no saved state left behind
    RestoreDC(dc, -1);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteObject(main);
    DeleteObject(large);
    DeleteDC(dc);
    if (before != 0) {  // Windows counts pens and brushes; Wine does not
        EXPECT_EQ(after, before);
    }
}

}  // namespace
}  // namespace corvanite::test
