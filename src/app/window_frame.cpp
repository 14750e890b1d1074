#include "app/window_frame.h"

#include <algorithm>

#include "state/app_state.h"

namespace corvanite {

Rect PlaceWindow(Rect workArea, int32_t width, int32_t height, int32_t minWidth,
                 int32_t minHeight) {
    const int32_t w = std::max(std::min(width, workArea.Width()), minWidth);
    const int32_t h = std::max(std::min(height, workArea.Height()), minHeight);
    const int32_t left = workArea.left + std::max(0, (workArea.Width() - w) / 2);
    const int32_t top = workArea.top + std::max(0, (workArea.Height() - h) / 2);
    return Rect{left, top, left + w, top + h};
}

Point MaximizedSize(Point work, Point monitor, Point primary) {
    const Point lessTheDifference{work.x - (monitor.x - primary.x),
                                  work.y - (monitor.y - primary.y)};
    const auto covers = [&primary](Point size) {
        return size.x >= primary.x && size.y >= primary.y;
    };
    return covers(work) && covers(lessTheDifference) ? lessTheDifference : work;
}

Rect MaximizedPlace(Rect proposed, Rect workArea, bool maximized) {
    if (maximized) {
        return workArea;
    }
    const int32_t w = std::min(proposed.Width(), workArea.Width());
    const int32_t h = std::min(proposed.Height(), workArea.Height());
    const int32_t left = std::clamp(proposed.left, workArea.left, workArea.right - w);
    const int32_t top = std::clamp(proposed.top, workArea.top, workArea.bottom - h);
    return Rect{left, top, left + w, top + h};
}

FrameHit FrameHitAt(Point point, int32_t width, int32_t height, int32_t border, bool maximized) {
    if (maximized) {
        return HIT_CLIENT;
    }
    const bool left = point.x < border;
    const bool right = point.x >= width - border;
    const bool top = point.y < border;
    const bool bottom = point.y >= height - border;
    if (top) {
        return left ? HIT_TOP_LEFT : (right ? HIT_TOP_RIGHT : HIT_TOP);
    }
    if (bottom) {
        return left ? HIT_BOTTOM_LEFT : (right ? HIT_BOTTOM_RIGHT : HIT_BOTTOM);
    }
    return left ? HIT_LEFT : (right ? HIT_RIGHT : HIT_CLIENT);
}

void NoteWindowMaximized(bool maximized, Rect normalBounds) {
    if (maximized && !appState.maximized) {
        appState.restoreRect = normalBounds;
    }
    appState.maximized = maximized;
}

}  // namespace corvanite
