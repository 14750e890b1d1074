// Client-area geometry: pixels, origin top-left; rectangles exclude their right and bottom.
#pragma once

#include <cstdint>

namespace corvanite {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    // left <= x < right and top <= y < bottom.
    bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A scroll bar as a frame drew it: its track and its thumb (both empty when none was drawn).
struct ScrollBarPlace {
    Rect track;
    Rect thumb;
};

}  // namespace corvanite
