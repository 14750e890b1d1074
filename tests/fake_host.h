// A stand-in for the window host: records what was posted and repainted, and starts threads
// (or refuses to, when told).
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "app/host_queue.h"

namespace corvanite::test {

struct FakeHostState {
    bool refuseThreads = false;
    int repaints = 0;
    int threadsStarted = 0;
};

FakeHostState& Host();
void ResetHost();

// Waits (bounded) until a message with this id has been posted; returns all posted so far.
std::vector<PostedMessage> WaitForMessage(uint32_t message,
                                          std::chrono::milliseconds limit = std::chrono::seconds(10));
std::vector<PostedMessage> PostedSoFar();

}  // namespace corvanite::test
