#include "ui/primitives.h"

#include <algorithm>

namespace corvanite {
namespace {

DrawOp& Append(DisplayList& dc, DrawKind kind, Rect rect, Color color) {
    DrawOp& op = dc.ops.emplace_back();
    op.kind = kind;
    op.rect = rect;
    op.color = color;
    return op;
}

void AppendText(DisplayList& dc, DrawOp& op, std::u16string_view text) {
    op.textStart = static_cast<uint32_t>(dc.text.size());
    op.textLength = static_cast<uint32_t>(text.size());
    dc.text.append(text);
}

}  // namespace

void FillSolidRect(DisplayList& dc, Rect rect, Color color) {
    Append(dc, DrawKind::FILL, rect, color);
}

void DrawLine(DisplayList& dc, Point from, Point to, Color color) {
    Append(dc, DrawKind::LINE, Rect{from.x, from.y, to.x, to.y}, color);
}

void DrawOutlineRect(DisplayList& dc, Rect rect, Color color) {
    Append(dc, DrawKind::OUTLINE, rect, color);
}

void DrawTextInRect(DisplayList& dc, Rect rect, std::u16string_view text, Color color, FontId font,
                    TextAlign align) {
    DrawOp& op = Append(dc, DrawKind::TEXT_IN_RECT, rect, color);
    op.font = font;
    op.align = align;
    AppendText(dc, op, text);
}

void DrawTextAt(DisplayList& dc, int32_t x, int32_t y, std::u16string_view text, Color color,
                FontId font) {
    DrawOp& op = Append(dc, DrawKind::TEXT_AT, Rect{x, y, x, y}, color);
    op.font = font;
    AppendText(dc, op, text);
}

void DrawBorderedRect(DisplayList& dc, Rect rect, Color fill, Color border) {
    FillSolidRect(dc, rect, fill);
    DrawOutlineRect(dc, Rect{rect.left - 1, rect.top - 1, rect.right + 1, rect.bottom + 1},
                    ScaleColor(border, 0.2f));
    DrawOutlineRect(dc, rect, border);
}

void DrawBarGauge(DisplayList& dc, int32_t x, int32_t y, int32_t percent, Color color) {
    const Rect track{x, y, x + BAR_GAUGE_WIDTH, y + BAR_GAUGE_HEIGHT};
    FillSolidRect(dc, track, COLOR_SURFACE);
    DrawOutlineRect(dc, track, COLOR_BORDER);
    const int32_t p = std::clamp(percent, 0, 100);
    const auto width =
        static_cast<int32_t>(static_cast<float>(BAR_GAUGE_WIDTH) * static_cast<float>(p) / 100.0f);
    if (width == 0) {
        return;
    }
    FillSolidRect(dc, Rect{x, y, x + width, y + BAR_GAUGE_HEIGHT}, ScaleColor(color, 0.4f));
    FillSolidRect(dc, Rect{x, y, x + 2, y + BAR_GAUGE_HEIGHT}, color);
}

ScrollBarPlace DrawScrollBar(DisplayList& dc, Rect track, int32_t shown, int32_t total,
                             int32_t scroll, int32_t scrollMax) {
    if (scrollMax <= 0) {
        return ScrollBarPlace{};
    }
    FillSolidRect(dc, track, COLOR_PANEL_BG);
    DrawOutlineRect(dc, track, COLOR_SEPARATOR);
    const int32_t height = track.Height();
    const int32_t thumb = std::max(SCROLL_THUMB_MIN, height * shown / std::max(total, 1));
    const auto offset =
        static_cast<int32_t>(static_cast<float>(scroll) / static_cast<float>(scrollMax) *
                             static_cast<float>(height - thumb));
    const Rect thumbRect{track.left + 1, track.top + offset, track.right - 1,
                         track.top + offset + thumb};
    FillSolidRect(dc, thumbRect, COLOR_BORDER);
    return ScrollBarPlace{track, thumbRect};
}

void PushClip(DisplayList& dc, Rect rect) {
    Append(dc, DrawKind::CLIP_PUSH, rect, 0);
}

void PopClip(DisplayList& dc) {
    Append(dc, DrawKind::CLIP_POP, Rect{}, 0);
}

}  // namespace corvanite
