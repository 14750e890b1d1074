// Windows renderer: replays a display list into a device context with GDI, creating and deleting
// every pen and brush per operation; only the two fonts live for the whole run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ui/display_list.h"

namespace corvanite {

// The font record CreateUiFont asks for: zero except the character height for points at dpi
// (negative: -MulDiv(points, dpi, 72)), normal weight, default character set, ClearType quality,
// fixed pitch of the modern family and the face "Lucida Console".
LOGFONTW UiFontRequest(int points, int dpi);

// The vertical resolution of the screen (96 when the screen cannot be asked).
int ScreenDpi();

// One of the program's two fonts at the screen's resolution; falls back to "Courier New" when
// "Lucida Console" cannot be made. Null when neither can.
HFONT CreateUiFont(int points);

// Replays the list into dc (a memory context holding the frame's bitmap) with the two fonts; a
// null font leaves whatever font dc holds. Objects selected into dc are restored.
void RenderDisplayList(HDC dc, const DisplayList& list, HFONT fontMain, HFONT fontLarge);

// Renders the list into a width x height 32-bit DIB section (black before the list is replayed)
// and hands back its pixels row by row from the top, each 0x00RRGGBB. False when the bitmap or
// context cannot be made.
bool RenderDisplayListToPixels(const DisplayList& list, int width, int height, HFONT fontMain,
                               HFONT fontLarge, std::vector<uint32_t>& pixels);

}  // namespace corvanite
