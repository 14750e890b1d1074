// Messages posted to the main window on a platform whose window reads them from a queue (Linux:
// the system's postWindowMessage queues them; the GTK window wraps that entry to wake its main
// loop, which then takes them here).
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

}  // namespace corvanite
