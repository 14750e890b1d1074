// What the workers and the state ask of the window: a message, a repaint, a thread. Each platform
// defines these (host_win32.cpp, host_linux.cpp, or a test's fake).
#pragma once

#include <cstdint>

namespace corvanite {

// A platform handle (HWND, GtkWidget*, ...) as portable code holds it; 0 is none.
using PlatformHandle = uintptr_t;

// The window that messages and repaints go to, given by the window program once it exists; 0
// detaches it (nothing is posted or repainted then).
void AttachMessageWindow(PlatformHandle window);

// Posts a private message to the attached window with its wParam and an lParam of 0; never waits
// for it. False when it was not posted: no window attached, or the system refused it (a full
// message queue).
bool PostWindowMessage(uint32_t message, uintptr_t wParam);

// Asks for a repaint of the whole client area, without erasing.
void RequestRepaint();

// Starts a thread that runs procedure(parameter) and ends by itself; it is never joined.
// False when the thread cannot be created.
bool StartDetachedThread(void (*procedure)(void*), void* parameter);

// Whether a thread started by StartDetachedThread has not yet returned from its procedure. The
// window program asks it after its message loop: a worker that still runs must not meet the
// destruction of the state it works on, so the process then ends without running destructors.
bool DetachedThreadsRunning();

// Ends the process at once with this exit code, running no destructor and no exit handler.
[[noreturn]] void EndProcessNow(int exitCode);

// What the window program returns from its entry point after the message loop: while a worker
// still runs (a check or a scan is never waited for), the process ends here instead, so that no
// static destructor runs under it (appState, the scan's hand-over, the message queue).
inline int FinishProgram(int exitCode) {
    if (DetachedThreadsRunning()) {
        EndProcessNow(exitCode);
    }
    return exitCode;
}

}  // namespace corvanite
