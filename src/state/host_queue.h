// Messages posted to the main window on a platform whose window reads them from a queue.
#pragma once

#include <cstdint>
#include <vector>

namespace corvanite {

struct PostedMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    friend bool operator==(const PostedMessage&, const PostedMessage&) = default;
};

// Everything posted since the last call, oldest first.
std::vector<PostedMessage> TakePostedMessages();

// Called (on the posting thread) after each message is queued, so the window's event loop can be
// woken to take it; null for none.
void SetPostNotifier(void (*notify)());

// What RequestRepaint calls on the UI thread (the GTK window's redraw); null for nothing.
void SetRepaintHandler(void (*repaint)());

}  // namespace corvanite
