// The window host on Linux until the GTK window takes over: messages posted to the main window
// wait in a queue that the window (or a test) takes them from.
#include <pthread.h>

#include <mutex>
#include <vector>

#include "app/app_state.h"
#include "app/host.h"
#include "app/host_queue.h"

namespace corvanite {
namespace {

std::mutex queueLock;
std::vector<PostedMessage> queue;

struct ThreadStart {
    void (*procedure)(void*);
    void* parameter;
};

void* RunThread(void* start) {
    const ThreadStart run = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    run.procedure(run.parameter);
    return nullptr;
}

}  // namespace

void PostWindowMessage(uint32_t message, uintptr_t wParam) {
    if (appState.mainWindow == 0) {
        return;
    }
    std::lock_guard<std::mutex> guard(queueLock);
    queue.push_back(PostedMessage{message, wParam});
}

std::vector<PostedMessage> TakePostedMessages() {
    std::lock_guard<std::mutex> guard(queueLock);
    std::vector<PostedMessage> taken;
    taken.swap(queue);
    return taken;
}

void RequestRepaint() {}

bool StartDetachedThread(void (*procedure)(void*), void* parameter) {
    auto* start = new ThreadStart{procedure, parameter};
    pthread_t thread;
    if (pthread_create(&thread, nullptr, RunThread, start) != 0) {
        delete start;
        return false;
    }
    pthread_detach(thread);
    return true;
}

}  // namespace corvanite
