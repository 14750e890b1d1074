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

DWORD WINAPI RunThread(void* start) {
    const ThreadStart run = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    run.procedure(run.parameter);
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

void PostWindowMessage(uint32_t message, uintptr_t wParam) {
    if (MainWindow() != nullptr) {
        PostMessageW(MainWindow(), message, static_cast<WPARAM>(wParam), 0);
    }
}

void RequestRepaint() {
    if (MainWindow() != nullptr) {
        InvalidateRect(MainWindow(), nullptr, FALSE);
    }
}

bool StartDetachedThread(void (*procedure)(void*), void* parameter) {
    auto* start = new ThreadStart{procedure, parameter};
    const HANDLE thread = CreateThread(nullptr, 0, RunThread, start, 0, nullptr);
    if (thread == nullptr) {
        delete start;
        return false;
    }
    CloseHandle(thread);
    return true;
}

}  // namespace corvanite
