// The pixel tests' renderer on Windows (GDI into a DIB section), and what only the GDI renderer
// has: the font record of CreateUiFont and the GDI objects of a replay.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <map>
#include <vector>

#include "render_pixels.h"
#include "ui/primitives.h"
#include "ui/render_gdi.h"

namespace corvanite::test {
namespace {

struct Fonts {
    HFONT main = nullptr;
    HFONT large = nullptr;
};

// The two fonts at each resolution a test asks for, kept for the test program's run.
const Fonts& TestFonts(int dpi = 96) {
    static std::map<int, Fonts> fonts;
    Fonts& made = fonts[dpi];
    if (made.main == nullptr) {
        made.main = CreateUiFont(FONT_MAIN_POINTS, dpi);
        made.large = CreateUiFont(FONT_LARGE_POINTS, dpi);
    }
    return made;
}

}  // namespace

RenderedImage RenderForTest(const DisplayList& list, int32_t width, int32_t height, int dpi) {
    RenderedImage image;
    if (!RenderDisplayListToPixels(list, width, height, TestFonts(dpi).main, TestFonts(dpi).large,
                                   image.pixels, dpi)) {
        ADD_FAILURE() << "no bitmap";
        return image;
    }
    image.width = width;
    image.height = height;
    return image;
}

namespace {

TEST(RenderGdi, UiFontRecordAsking) {
    const LOGFONTW at96 = UiFontRequest(10, 96);
    EXPECT_EQ(at96.lfHeight, -13);
    EXPECT_EQ(at96.lfWidth, 0);
    EXPECT_EQ(at96.lfEscapement, 0);
    EXPECT_EQ(at96.lfOrientation, 0);
    EXPECT_EQ(at96.lfWeight, 400);
    EXPECT_EQ(at96.lfItalic, 0);
    EXPECT_EQ(at96.lfUnderline, 0);
    EXPECT_EQ(at96.lfStrikeOut, 0);
    EXPECT_EQ(at96.lfCharSet, 1);
    EXPECT_EQ(at96.lfOutPrecision, 0);
    EXPECT_EQ(at96.lfClipPrecision, 0);
    EXPECT_EQ(at96.lfQuality, 5);
    EXPECT_EQ(at96.lfPitchAndFamily, 0x31);
    EXPECT_EQ(std::wcscmp(at96.lfFaceName, L"Lucida Console"), 0);
    EXPECT_EQ(UiFontRequest(12, 96).lfHeight, -16);
    EXPECT_EQ(UiFontRequest(10, 120).lfHeight, -17);
    EXPECT_EQ(UiFontRequest(12, 144).lfHeight, -24);

    // The fonts made at the screen's resolution keep that record.
    const int dpi = ScreenDpi();
    EXPECT_GT(dpi, 0);
    HFONT font = CreateUiFont(12);
    ASSERT_NE(font, nullptr);
    LOGFONTW made;
    ASSERT_EQ(GetObjectW(font, sizeof made, &made), static_cast<int>(sizeof made));
    DeleteObject(font);
    EXPECT_EQ(made.lfHeight, -MulDiv(12, dpi, 72));
    EXPECT_EQ(made.lfQuality, 5);
    EXPECT_EQ(made.lfPitchAndFamily, 0x31);
    EXPECT_EQ(std::wcscmp(made.lfFaceName, L"Lucida Console"), 0);
}

TEST(RenderGdi, ReplayLeavesNoGdiObjectBehind) {
    DisplayList list;
    for (int32_t i = 0; i < 300; ++i) {
        FillSolidRect(list, Rect{i % 50, 0, i % 50 + 1, 2}, static_cast<Color>(i));
        DrawLine(list, Point{0, 3}, Point{i % 60, 3}, COLOR_BORDER);
        DrawOutlineRect(list, Rect{0, 5, 10, 10}, COLOR_ACCENT);
        DrawTextAt(list, 0, 12, u"X", COLOR_TEXT, i % 2 == 0 ? FONT_MAIN : FONT_LARGE);
        DrawTextInRect(list, Rect{0, 12, 30, 30}, u"X", COLOR_TEXT);
    }
    PushClip(list, Rect{0, 0, 10, 10});  // left pushed: the replay pops it itself

    // The context keeps the objects and the saved-state depth it had before the replay.
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HBITMAP bitmap = CreateBitmap(64, 32, 1, 32, nullptr);
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    RenderDisplayList(dc, list, TestFonts().main, TestFonts().large);
    const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap);
    const int level = SaveDC(dc);
    EXPECT_EQ(level, 1);
    RestoreDC(dc, -1);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 250));  // the last fill of column 0, as COLORREF
    EXPECT_EQ(GetPixel(dc, 20, 0), RGB(0, 1, 14));  // 270 = 0x00010E
    SelectObject(dc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    // Pens and brushes are deleted as they are used (Windows counts them; Wine does not).
    if (before != 0) {
        EXPECT_EQ(after, before);
    }
}

}  // namespace
}  // namespace corvanite::test
