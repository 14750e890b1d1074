// The system's messages and threads on Linux: messages posted to the main window wait in a queue
// that the GTK window (which wraps the post to wake its main loop) or a test takes them from.
// Without a window program there is nothing to repaint.
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

#include "host/host.h"
#include "host/host_queue.h"

namespace corvanite {
namespace {

std::mutex queueLock;
std::vector<PostedMessage> queue;
bool attached = false;  // guarded by queueLock

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

void Attach(PlatformHandle window) {
    std::lock_guard<std::mutex> guard(queueLock);
    attached = window != 0;
}

bool Post(uint32_t message, uintptr_t wParam) {
    std::lock_guard<std::mutex> guard(queueLock);
    if (!attached) {
        return false;
    }
    queue.push_back(PostedMessage{message, wParam});
    return true;
}

void NoRepaint() {}

bool StartThread(void (*procedure)(void*), void* parameter) {
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

bool ThreadsRunning() {
    return runningThreads.load() > 0;
}

void EndProcess(int exitCode) {
    std::fflush(nullptr);  // the program writes nothing itself; GTK's warnings may be buffered
    _exit(exitCode);
}

constexpr HostServices LINUX_HOST{
    .attachMessageWindow = Attach,
    .postWindowMessage = Post,
    .requestRepaint = NoRepaint,
    .startDetachedThread = StartThread,
    .detachedThreadsRunning = ThreadsRunning,
    .endProcessNow = EndProcess,
};

}  // namespace

const HostServices& SystemHostServices() {
    return LINUX_HOST;
}

std::vector<PostedMessage> TakePostedMessages() {
    std::lock_guard<std::mutex> guard(queueLock);
    std::vector<PostedMessage> taken;
    taken.swap(queue);
    return taken;
}

}  // namespace corvanite
