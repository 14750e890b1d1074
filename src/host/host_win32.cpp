// The system's messages, repaints and threads on Windows.
#include <windows.h>

#include <atomic>

#include "host/host.h"

namespace corvanite {
namespace {

struct ThreadStart {
    void (*procedure)(void*);
    void* parameter;
};

std::atomic<int> runningThreads{0};  // trivially destroyed: safe to touch at any exit

DWORD WINAPI RunThread(void* start) {
    const ThreadStart run = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    run.procedure(run.parameter);
    --runningThreads;
    return 0;
}

std::atomic<HWND> attachedWindow{nullptr};  // set on the UI thread, read by the workers

void Attach(PlatformHandle window) {
    attachedWindow = reinterpret_cast<HWND>(window);
}

bool Post(uint32_t message, uintptr_t wParam) {
    const HWND window = attachedWindow;
    return window != nullptr && PostMessageW(window, message, static_cast<WPARAM>(wParam), 0) != 0;
}

void Repaint() {
    const HWND window = attachedWindow;
    if (window != nullptr) {
        InvalidateRect(window, nullptr, FALSE);
    }
}

bool StartThread(void (*procedure)(void*), void* parameter) {
    auto* start = new ThreadStart{procedure, parameter};
    ++runningThreads;
    const HANDLE thread = CreateThread(nullptr, 0, RunThread, start, 0, nullptr);
    if (thread == nullptr) {
        --runningThreads;
        delete start;
        return false;
    }
    CloseHandle(thread);
    return true;
}

bool ThreadsRunning() {
    return runningThreads.load() > 0;
}

// TerminateProcess rather than ExitProcess: no DLL detach code and no exit handler of the C
// runtime runs, not even against state a stopped worker may have left half-changed.
void EndProcess(int exitCode) {
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    for (;;) {
        Sleep(INFINITE);  // not reached: the call above does not return for this process
    }
}

constexpr HostServices WIN32_HOST{
    .attachMessageWindow = Attach,
    .postWindowMessage = Post,
    .requestRepaint = Repaint,
    .startDetachedThread = StartThread,
    .detachedThreadsRunning = ThreadsRunning,
    .endProcessNow = EndProcess,
};

}  // namespace

const HostServices& SystemHostServices() {
    return WIN32_HOST;
}

}  // namespace corvanite
