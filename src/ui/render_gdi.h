// Windows renderer: replays a display list into a device context with GDI, creating and deleting
// every pen and brush per operation; only the two fonts live for the whole run.
#pragma once

#include <windows.h>

#include "ui/display_list.h"

namespace corvanite {

// The font record CreateUiFont asks for: zero except the character height for points at dpi
// (negative: -MulDiv(points, dpi, 72)), normal weight, default character set, ClearType quality,
// fixed pitch of the modern family and the face "Lucida Console".
LOGFONTW UiFontRequest(int points, int dpi);

// The vertical resolution of the screen (96 when the screen cannot be asked).
int ScreenDpi();

// One of the program's two fonts at dpi (the window's resolution; 0: the screen's); falls back
// to "Courier New" when "Lucida Console" cannot be made. Null when neither can.
HFONT CreateUiFont(int points, int dpi = 0);

// Replays the list, drawn in units of 1/96 inch, into dc (a memory context holding the frame's
// bitmap) at dpi: scaled to device pixels by the shared rule of ui/display_scale.h, with the two
// fonts (made for the same dpi); a null font leaves whatever font dc holds. Objects selected
// into dc are restored. UI thread only.
void RenderDisplayList(HDC dc, const DisplayList& list, HFONT fontMain, HFONT fontLarge,
                       int dpi = 96);

}  // namespace corvanite
