#include "ui/display_scale.h"

#include <algorithm>

namespace corvanite {
namespace {

constexpr int MIN_DPI = 48;
constexpr int MAX_DPI = 960;

// Division rounding towards minus infinity, so that negative coordinates follow the same rule.
int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int32_t Clamp32(int64_t value) {
    return value > INT32_MAX ? INT32_MAX
                             : (value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value));
}

// The corners in order (an outline or a clip takes its corners in any order).
Rect Sorted(Rect rect) {
    return Rect{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
                std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
}

// A fill with a side inverted covers the cells from right + 1 up to left (or bottom + 1 up to
// top), as FillRect takes it.
Rect FillCells(Rect rect) {
    if (rect.right < rect.left) {
        rect = Rect{rect.right + 1, rect.top, rect.left + 1, rect.bottom};
    }
    if (rect.bottom < rect.top) {
        rect = Rect{rect.left, rect.bottom + 1, rect.right, rect.top + 1};
    }
    return rect;
}

void AddCells(DisplayList& out, const DrawOp& op, Rect cells, int dpi) {
    if (cells.right <= cells.left || cells.bottom <= cells.top) {
        return;
    }
    DrawOp& fill = out.ops.emplace_back(op);
    fill.kind = DrawKind::FILL;
    fill.rect = ScaleRect(cells, dpi);
}

// A level or upright line: the unit cells a 1-unit pen paints from (left, top) towards
// (right, bottom), the end excluded.
void AddLine(DisplayList& out, const DrawOp& op, int dpi) {
    const Point from{op.rect.left, op.rect.top};
    const Point to{op.rect.right, op.rect.bottom};
    if (from.y == to.y) {
        AddCells(out, op,
                 to.x >= from.x ? Rect{from.x, from.y, to.x, from.y + 1}
                                : Rect{to.x + 1, from.y, from.x + 1, from.y + 1},
                 dpi);
        return;
    }
    if (from.x == to.x) {
        AddCells(out, op,
                 to.y >= from.y ? Rect{from.x, from.y, from.x + 1, to.y}
                                : Rect{from.x, to.y + 1, from.x + 1, from.y + 1},
                 dpi);
        return;
    }
    // A slope (the drawers make none) keeps its kind with both ends scaled: the renderer's own
    // pen draws it one device pixel wide.
    out.ops.emplace_back(op).rect = ScaleRect(op.rect, dpi);
}

// Columns left and right - 1, rows top and bottom - 1 as four fills of unit cells; a 1 x 1
// outline paints nothing, as its pen path has no length.
void AddOutline(DisplayList& out, const DrawOp& op, int dpi) {
    const Rect r = Sorted(op.rect);
    if (r.right <= r.left || r.bottom <= r.top || (r.Width() == 1 && r.Height() == 1)) {
        return;
    }
    AddCells(out, op, Rect{r.left, r.top, r.right, r.top + 1}, dpi);
    AddCells(out, op, Rect{r.left, r.bottom - 1, r.right, r.bottom}, dpi);
    AddCells(out, op, Rect{r.left, r.top + 1, r.left + 1, r.bottom - 1}, dpi);
    AddCells(out, op, Rect{r.right - 1, r.top + 1, r.right, r.bottom - 1}, dpi);
}

}  // namespace

int ClampDpi(int dpi) {
    if (dpi <= 0) {
        return UNIT_DPI;
    }
    return std::clamp(dpi, MIN_DPI, MAX_DPI);
}

int32_t ScaleEdge(int32_t units, int dpi) {
    return Clamp32(FloorDiv(static_cast<int64_t>(units) * dpi + UNIT_DPI / 2, UNIT_DPI));
}

Rect ScaleRect(Rect units, int dpi) {
    return Rect{ScaleEdge(units.left, dpi), ScaleEdge(units.top, dpi), ScaleEdge(units.right, dpi),
                ScaleEdge(units.bottom, dpi)};
}

int32_t UnitAtPixel(int32_t pixel, int dpi) {
    // ScaleEdge(u) <= pixel  <=>  u * dpi + 48 < 96 * (pixel + 1)  <=>  u * dpi <= 96 * pixel + 47.
    return Clamp32(FloorDiv(static_cast<int64_t>(pixel) * UNIT_DPI + UNIT_DPI / 2 - 1, dpi));
}

Point UnitPointAt(Point pixel, int dpi) {
    return Point{UnitAtPixel(pixel.x, dpi), UnitAtPixel(pixel.y, dpi)};
}

int32_t UnitsCovering(int32_t pixels, int dpi) {
    return pixels <= 0 ? 0 : UnitAtPixel(pixels - 1, dpi) + 1;
}

const DisplayList& ScaleToDevice(const DisplayList& units, int dpi, DisplayList& scratch) {
    if (dpi == UNIT_DPI) {
        return units;
    }
    scratch.Clear();
    scratch.text = units.text;
    scratch.ops.reserve(units.ops.size() + units.ops.size() / 4);
    for (const DrawOp& op : units.ops) {
        switch (op.kind) {
            case DrawKind::FILL:
                AddCells(scratch, op, FillCells(op.rect), dpi);
                break;
            case DrawKind::LINE:
                AddLine(scratch, op, dpi);
                break;
            case DrawKind::OUTLINE:
                AddOutline(scratch, op, dpi);
                break;
            case DrawKind::TEXT_AT: {
                DrawOp& text = scratch.ops.emplace_back(op);
                text.rect.left = text.rect.right = ScaleEdge(op.rect.left, dpi);
                text.rect.top = text.rect.bottom = ScaleEdge(op.rect.top, dpi);
                break;
            }
            case DrawKind::TEXT_IN_RECT:
                scratch.ops.emplace_back(op).rect = ScaleRect(op.rect, dpi);
                break;
            case DrawKind::CLIP_PUSH:
                scratch.ops.emplace_back(op).rect = ScaleRect(Sorted(op.rect), dpi);
                break;
            case DrawKind::CLIP_POP:
                scratch.ops.push_back(op);
                break;
        }
    }
    return scratch;
}

}  // namespace corvanite
