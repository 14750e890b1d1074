// The window host's messages, repaints and threads on Windows.
#include <windows.h>

#include "app/app_state.h"
#include "app/host.h"

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

HWND MainWindow() {
    return reinterpret_cast<HWND>(appState.mainWindow);
}

}  // namespace

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
