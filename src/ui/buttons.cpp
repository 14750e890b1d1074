#include "ui/buttons.h"

#include "state/app_state.h"
#include "ui/primitives.h"

namespace corvanite {

void RegisterButton(FrameOutput& out, int32_t id, Rect rect) {
    out.buttons.push_back(ButtonEntry{id, rect});
}

int32_t HitTestButtons(Point point) {
    for (const ButtonEntry& entry : appState.buttons) {
        if (entry.rect.Contains(point)) {
            return entry.id;
        }
    }
    return BTN_NONE;
}

void DrawButton(DisplayList& dc, Rect rect, std::u16string_view caption, int32_t id, Color accent,
                bool enabled) {
    const bool hovered = id == appState.hoverButton;
    const Color fill = id == appState.pressedButton ? COLOR_BUTTON_PRESSED
                       : hovered                    ? COLOR_BUTTON_HOVER
                                                    : COLOR_BUTTON_BG;
    DrawBorderedRect(dc, rect, fill, enabled ? accent : COLOR_TEXT_DIM);
    const Color captionColor = !enabled ? COLOR_TEXT_DIM : (hovered ? COLOR_TEXT : accent);
    DrawTextInRect(dc, rect, caption, captionColor, FONT_MAIN, ALIGN_CENTER);
}

void DrawWindowButton(DisplayList& dc, FrameOutput& out, Rect rect, int32_t id,
                      std::u16string_view glyph) {
    const bool hovered = id == appState.hoverButton;
    const Color fill =
        !hovered ? COLOR_TITLE_BG : (id == BTN_CLOSE ? COLOR_CRIT : COLOR_BUTTON_HOVER);
    FillSolidRect(dc, rect, fill);
    DrawTextInRect(dc, rect, glyph, hovered ? COLOR_TEXT : COLOR_TEXT_DIM, FONT_MAIN, ALIGN_CENTER);
    RegisterButton(out, id, rect);
}

}  // namespace corvanite
