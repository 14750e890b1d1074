// The window host's messages, repaints and threads on Windows.
#include <windows.h>

#include <atomic>

#include "state/host.h"

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

HWND MainWindow() {
    return attachedWindow;
}

}  // namespace

void AttachMessageWindow(PlatformHandle window) {
    attachedWindow = reinterpret_cast<HWND>(window);
}

bool PostWindowMessage(uint32_t message, uintptr_t wParam) {
    return MainWindow() != nullptr &&
           PostMessageW(MainWindow(), message, static_cast<WPARAM>(wParam), 0) != 0;
}

void RequestRepaint() {
    if (MainWindow() != nullptr) {
        InvalidateRect(MainWindow(), nullptr, FALSE);
    }
}

bool StartDetachedThread(void (*procedure)(void*), void* parameter) {
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

bool DetachedThreadsRunning() {
    return runningThreads.load() > 0;
}

// TerminateProcess rather than ExitProcess: no DLL detach code and no exit handler of the C
// runtime runs, not even against state a stopped worker may have left half-changed.
void EndProcessNow(int exitCode) {
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    for (;;) {
        Sleep(INFINITE);  // not reached: the call above does not return for this process
    }
}

}  // namespace corvanite
