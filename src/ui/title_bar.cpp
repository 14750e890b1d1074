#include "ui/title_bar.h"

#include "state/app_state.h"
#include "ui/buttons.h"
#include "ui/primitives.h"

namespace corvanite {

Color TitleGradientColor(int32_t x, int32_t left, int32_t right) {
    const float t = static_cast<float>(x - left) / static_cast<float>(right - left);
    const auto red = static_cast<uint32_t>(255.0f * t);
    const auto green = static_cast<uint32_t>(238.0f * (1.0f - t));
    const auto blue = static_cast<uint32_t>(255.0f * (1.0f - t) + 204.0f * t);
    return (red << 16) | (green << 8) | blue;
}

void DrawTitleBar(DisplayList& dc, FrameOutput& out, Rect rect) {
    FillSolidRect(dc, rect, COLOR_TITLE_BG);
    for (int32_t x = rect.left; x < rect.right; ++x) {
        FillSolidRect(dc, Rect{x, rect.bottom - 2, x + 1, rect.bottom},
                      TitleGradientColor(x, rect.left, rect.right));
    }

    const int32_t textTop = rect.top + 9;
    DrawTextAt(dc, rect.left + 14, textTop, u"[*]", COLOR_ACCENT);
    DrawTextAt(dc, rect.left + 38, textTop, u"CORVANITE", COLOR_TEXT);
    DrawTextAt(dc, rect.left + 120, textTop, u"//", COLOR_TEXT_DIM);
    DrawTextAt(dc, rect.left + 138, textTop, u"STORAGE ANALYSIS MATRIX v1.0", COLOR_TEXT_DIM);

    const int32_t buttonBottom = rect.top + WINDOW_BUTTON_HEIGHT;
    int32_t right = rect.right;
    DrawWindowButton(dc, out, Rect{right - WINDOW_BUTTON_WIDTH, rect.top, right, buttonBottom},
                     BTN_CLOSE, u"X");
    right -= WINDOW_BUTTON_WIDTH;
    DrawWindowButton(dc, out, Rect{right - WINDOW_BUTTON_WIDTH, rect.top, right, buttonBottom},
                     BTN_MAXIMIZE, appState.maximized ? u"#" : u"O");
    right -= WINDOW_BUTTON_WIDTH;
    DrawWindowButton(dc, out, Rect{right - WINDOW_BUTTON_WIDTH, rect.top, right, buttonBottom},
                     BTN_MINIMIZE, u"-");
    // The window is dragged by any point of the bar left of its buttons, the outline included.
    out.dragZone = Rect{0, 0, right - WINDOW_BUTTON_WIDTH, rect.bottom};
}

}  // namespace corvanite
