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
