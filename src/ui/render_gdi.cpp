#include "ui/render_gdi.h"
#include "ui/render_gdi_testing.h"

#include <cstring>
#include <string>
#include <string_view>

#include "ui/display_scale.h"

namespace corvanite {
namespace {

COLORREF ToColorRef(Color color) {
    // 0xRRGGBB in the list, 0x00BBGGRR for GDI.
    return static_cast<COLORREF>(((color & 0xFF) << 16) | (color & 0xFF00) |
                                 ((color >> 16) & 0xFF));
}

RECT ToRect(const Rect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

// DrawTextW flags of the four alignments. DT_NOPREFIX is added to each: drive models and the
// volume checker's output are shown as they are, an "&" in them is no mnemonic prefix.
UINT AlignmentFlags(TextAlign align) {
    switch (align) {
        case ALIGN_CENTER:
            return DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX;
        case ALIGN_RIGHT:
            return DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX;
        case ALIGN_TOP_CENTER:
            return DT_CENTER | DT_NOPREFIX;
        case ALIGN_LEFT:
        default:
            return DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    }
}

void FillSolid(HDC dc, const Rect& rect, Color color) {
    HBRUSH brush = CreateSolidBrush(ToColorRef(color));
    const RECT area = ToRect(rect);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
}

void DrawPenLine(HDC dc, const Rect& ends, Color color) {
    HPEN pen = CreatePen(PS_SOLID, 1, ToColorRef(color));
    HGDIOBJ previousPen = SelectObject(dc, pen);
    MoveToEx(dc, ends.left, ends.top, nullptr);
    LineTo(dc, ends.right, ends.bottom);
    SelectObject(dc, previousPen);
    DeleteObject(pen);
}

void DrawOutline(HDC dc, const Rect& rect, Color color) {
    HPEN pen = CreatePen(PS_SOLID, 1, ToColorRef(color));
    HGDIOBJ previousPen = SelectObject(dc, pen);
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    DeleteObject(pen);
}

// The text up to its first NUL as a NUL-terminated wide string, in a buffer reused across texts.
const wchar_t* WideText(std::wstring& buffer, std::u16string_view text) {
    const size_t end = text.find(u'\0');
    if (end != std::u16string_view::npos) {
        text = text.substr(0, end);
    }
    buffer.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        buffer[i] = static_cast<wchar_t>(text[i]);
    }
    return buffer.c_str();
}

void DrawTextOp(HDC dc, const DrawOp& op, std::u16string_view text, HFONT font,
                std::wstring& buffer) {
    const wchar_t* wide = WideText(buffer, text);
    HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    SetTextColor(dc, ToColorRef(op.color));
    SetBkMode(dc, TRANSPARENT);
    // The face's cell is its character height and the internal leading above it (room for
    // accents). The layout counts a line as the character height alone, so the face's cell is
    // centred on it, as DT_VCENTER centres it in a rectangle: a text at a point starts half the
    // leading above the point. Lucida Console has no leading; the faces the system substitutes
    // for it have some, which pushed each line down onto the next.
    if (op.kind == DrawKind::TEXT_AT) {
        TEXTMETRICW metrics{};
        const int above = GetTextMetricsW(dc, &metrics) != 0 ? metrics.tmInternalLeading / 2 : 0;
        TextOutW(dc, op.rect.left, op.rect.top - above, wide, static_cast<int>(buffer.size()));
    } else {
        RECT area = ToRect(op.rect);
        DrawTextW(dc, wide, -1, &area, AlignmentFlags(op.align));
    }
    if (previousFont != nullptr) {
        SelectObject(dc, previousFont);
    }
}

}  // namespace

LOGFONTW UiFontRequest(int points, int dpi) {
    LOGFONTW font;
    std::memset(&font, 0, sizeof font);
    font.lfHeight = -MulDiv(points, dpi, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    constexpr wchar_t FACE[] = L"Lucida Console";
    std::memcpy(font.lfFaceName, FACE, sizeof FACE);
    return font;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return 96;
    }
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

HFONT CreateUiFont(int points, int dpi) {
    LOGFONTW request = UiFontRequest(points, dpi > 0 ? dpi : ScreenDpi());
    HFONT font = CreateFontIndirectW(&request);
    if (font == nullptr) {
        constexpr wchar_t FALLBACK[] = L"Courier New";
        std::memset(request.lfFaceName, 0, sizeof request.lfFaceName);
        std::memcpy(request.lfFaceName, FALLBACK, sizeof FALLBACK);
        font = CreateFontIndirectW(&request);
    }
    return font;
}

void RenderDisplayList(HDC dc, const DisplayList& units, HFONT fontMain, HFONT fontLarge, int dpi) {
    static DisplayList scaled;  // UI thread; its storage is kept from frame to frame
    const DisplayList& list = ScaleToDevice(units, ClampDpi(dpi), scaled);
    std::wstring buffer;
    int clipDepth = 0;
    for (const DrawOp& op : list.ops) {
        switch (op.kind) {
            case DrawKind::FILL:
                FillSolid(dc, op.rect, op.color);
                break;
            case DrawKind::LINE:
                DrawPenLine(dc, op.rect, op.color);
                break;
            case DrawKind::OUTLINE:
                DrawOutline(dc, op.rect, op.color);
                break;
            case DrawKind::TEXT_AT:
            case DrawKind::TEXT_IN_RECT:
                DrawTextOp(dc, op, list.TextOf(op), op.font == FONT_LARGE ? fontLarge : fontMain,
                           buffer);
                break;
            case DrawKind::CLIP_PUSH:
                SaveDC(dc);
                IntersectClipRect(dc, op.rect.left, op.rect.top, op.rect.right, op.rect.bottom);
                ++clipDepth;
                break;
            case DrawKind::CLIP_POP:
                // A pop without its push is ignored: it cannot undo the caller's own state.
                if (clipDepth > 0) {
                    RestoreDC(dc, -1);
                    --clipDepth;
                }
                break;
        }
    }
    for (; clipDepth > 0; --clipDepth) {
        RestoreDC(dc, -1);
    }
}

bool RenderDisplayListToPixels(const DisplayList& list, int width, int height, HFONT fontMain,
                               HFONT fontLarge, std::vector<uint32_t>& pixels, int dpi) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) {
        return false;
    }
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        DeleteDC(dc);
        return false;
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::memset(bits, 0, count * sizeof(uint32_t));
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    RenderDisplayList(dc, list, fontMain, fontLarge, dpi);
    GdiFlush();
    // Blue, green, red, unused in memory: 0x00RRGGBB read as one little-endian word.
    pixels.resize(count);
    std::memcpy(pixels.data(), bits, count * sizeof(uint32_t));
    for (uint32_t& pixel : pixels) {
        pixel &= 0xFFFFFF;
    }
    SelectObject(dc, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return true;
}

}  // namespace corvanite
