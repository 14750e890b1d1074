// The window host's messages and threads on Linux: messages posted to the main window wait in a
// queue that the GTK window (woken through the notifier) or a test takes them from.
#include <pthread.h>
#include <unistd.h>

#include <cstdio>

#include <atomic>
#include <mutex>
#include <vector>

#include "state/host.h"
#include "state/host_queue.h"

namespace corvanite {
namespace {

std::mutex queueLock;
std::vector<PostedMessage> queue;
void (*notifier)() = nullptr;
bool attached = false;               // guarded by queueLock
void (*repaintHandler)() = nullptr;  // UI thread only

struct ThreadStart {
    void (*procedure)(void*);
    void* parameter;
};

std::atomic<int> runningThreads{0};  // trivially destroyed: safe to touch at any exit

void* RunThread(void* start) {
    const ThreadStart run = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    run.procedure(run.parameter);
    --runningThreads;
    return nullptr;
}

}  // namespace

void AttachMessageWindow(PlatformHandle window) {
    std::lock_guard<std::mutex> guard(queueLock);
    attached = window != 0;
}

bool PostWindowMessage(uint32_t message, uintptr_t wParam) {
    void (*notify)() = nullptr;
    {
        std::lock_guard<std::mutex> guard(queueLock);
        if (!attached) {
            return false;
        }
        queue.push_back(PostedMessage{message, wParam});
        notify = notifier;
    }
    if (notify != nullptr) {
        notify();
    }
    return true;
}

void SetPostNotifier(void (*notify)()) {
    std::lock_guard<std::mutex> guard(queueLock);
    notifier = notify;
}

std::vector<PostedMessage> TakePostedMessages() {
    std::lock_guard<std::mutex> guard(queueLock);
    std::vector<PostedMessage> taken;
    taken.swap(queue);
    return taken;
}

void SetRepaintHandler(void (*repaint)()) {
    repaintHandler = repaint;
}

void RequestRepaint() {
    if (repaintHandler != nullptr) {
        repaintHandler();
    }
}

bool StartDetachedThread(void (*procedure)(void*), void* parameter) {
    auto* start = new ThreadStart{procedure, parameter};
    ++runningThreads;
    pthread_t thread;
    if (pthread_create(&thread, nullptr, RunThread, start) != 0) {
        --runningThreads;
        delete start;
        return false;
    }
    pthread_detach(thread);
    return true;
}

bool DetachedThreadsRunning() {
    return runningThreads.load() > 0;
}

void EndProcessNow(int exitCode) {
    std::fflush(nullptr);  // the program writes nothing itself; GTK's warnings may be buffered
    _exit(exitCode);
}

}  // namespace corvanite
