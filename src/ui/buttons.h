// Painted buttons and the hit test over the buttons of the last frame.
#pragma once

#include <string_view>

#include "state/button_entry.h"
#include "ui/display_list.h"
#include "ui/frame_output.h"

namespace corvanite {

// Appends one entry to the frame's buttons.
void RegisterButton(FrameOutput& out, int32_t id, Rect rect);

// The id of the first button of the last frame (appState.buttons) containing the point, or
// BTN_NONE.
int32_t HitTestButtons(Point point);

// A push button: pressed / hover / idle fill, accent or dim border, caption centred. Does not
// register the button.
void DrawButton(DisplayList& dc, Rect rect, std::u16string_view caption, int32_t id, Color accent,
                bool enabled);

// A title-bar button (close, maximise, minimise); registers itself.
void DrawWindowButton(DisplayList& dc, FrameOutput& out, Rect rect, int32_t id,
                      std::u16string_view glyph);

}  // namespace corvanite
