// The drawing primitives every drawer is built from. They append operations to the display
// list and keep no state between calls.
#pragma once

#include <string_view>

#include "state/geometry.h"
#include "ui/display_list.h"

namespace corvanite {

void FillSolidRect(DisplayList& dc, Rect rect, Color color);
// A 1-pixel line; the end point itself is not painted.
void DrawLine(DisplayList& dc, Point from, Point to, Color color);
// The rectangle's 1-pixel outline only.
void DrawOutlineRect(DisplayList& dc, Rect rect, Color color);
// Text in a rectangle (clipped to it) with one of the four alignments; transparent background.
void DrawTextInRect(DisplayList& dc, Rect rect, std::u16string_view text, Color color,
                    FontId font = FONT_MAIN, TextAlign align = ALIGN_LEFT);
// Text with its top-left corner at (x, y), not clipped; transparent background.
void DrawTextAt(DisplayList& dc, int32_t x, int32_t y, std::u16string_view text, Color color,
                FontId font = FONT_MAIN);
// A filled box with a 1-pixel border and a faint ring (border colour x 0.2) just outside it.
void DrawBorderedRect(DisplayList& dc, Rect rect, Color fill, Color border);
// A BAR_GAUGE_WIDTH x BAR_GAUGE_HEIGHT percentage bar at (x, y): track, dim fill (colour x 0.4),
// 2-unit bright edge.
void DrawBarGauge(DisplayList& dc, int32_t x, int32_t y, int32_t percent, Color color);
constexpr int32_t BAR_GAUGE_WIDTH = 140;
constexpr int32_t BAR_GAUGE_HEIGHT = 10;
// A vertical scroll bar over `track`, for a list of `total` rows of which `shown` fit and the
// first shown is `scroll` (0 to scrollMax): the track, and a thumb one unit inside its sides, as
// tall as the shown share of the track (at least SCROLL_THUMB_MIN) and as far down the rest as
// scroll is along 0 to scrollMax. Draws nothing while scrollMax is 0 (every row is shown).
// Returns where the track and the thumb are (empty when nothing was drawn), for dragging.
ScrollBarPlace DrawScrollBar(DisplayList& dc, Rect track, int32_t shown, int32_t total,
                             int32_t scroll, int32_t scrollMax);
constexpr int32_t SCROLL_THUMB_MIN = 20;
// Restricts drawing to rect until the matching PopClip.
void PushClip(DisplayList& dc, Rect rect);
void PopClip(DisplayList& dc);

}  // namespace corvanite
