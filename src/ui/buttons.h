// Painted buttons and the hit test over the buttons of the last frame.
#pragma once

#include <string_view>

#include "ui/button_entry.h"
#include "ui/display_list.h"

namespace corvanite {

// Appends one entry to appState.buttons.
void RegisterButton(int32_t id, Rect rect);

// The id of the first registered button containing the point, or BTN_NONE.
int32_t HitTestButtons(Point point);

// A push button: pressed / hover / idle fill, accent or dim border, caption centred. Does not
// register the button.
void DrawButton(DisplayList& dc, Rect rect, std::u16string_view caption, int32_t id, Color accent,
                bool enabled);

// A title-bar button (close, maximise, minimise); registers itself.
void DrawWindowButton(DisplayList& dc, Rect rect, int32_t id, std::u16string_view glyph);

}  // namespace corvanite
