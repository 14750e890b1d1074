// What the workers and the window program ask of the system: a message to the window, a repaint,
// a thread, the end of the process. One table of functions (HostServices); the platform layer
// gives the system's (host_win32.cpp, host_linux.cpp). A window program that needs its own
// entries (the GTK window's repaint and wake-up) installs a copy of the system's table with those
// changed; a test installs its fake. The free functions below go through the installed table.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "host/installed_table.h"

namespace corvanite {

// A platform handle (HWND, GtkWidget*, ...) as portable code holds it; 0 is none.
using PlatformHandle = uintptr_t;

struct HostServices {
    // The window that messages and repaints go to, given by the window program once it exists;
    // 0 detaches it (nothing is posted or repainted then).
    void (*attachMessageWindow)(PlatformHandle window);
    // Posts a private message to the attached window with its wParam and an lParam of 0; never
    // waits for it. False when it was not posted: no window attached, or the system refused it
    // (a full message queue).
    bool (*postWindowMessage)(uint32_t message, uintptr_t wParam);
    // Asks for a repaint of the whole client area, without erasing.
    void (*requestRepaint)();
    // Starts a thread that runs procedure(parameter) and ends by itself; it is never joined.
    // False when the thread cannot be created.
    bool (*startDetachedThread)(void (*procedure)(void*), void* parameter);
    // Whether a thread started by startDetachedThread has not yet returned from its procedure.
    bool (*detachedThreadsRunning)();
    // Ends the process at once with this exit code, running no destructor and no exit handler.
    void (*endProcessNow)(int exitCode);
};

// The system's table (defined by the platform layer).
const HostServices& SystemHostServices();
// Installs a table (null: the system's again); returns the one installed before.
inline const HostServices* InstallHostServices(const HostServices* table) {
    return InstallTable(table);
}
inline const HostServices& InstalledHostServices() {
    return InstalledTableOr(SystemHostServices());
}

// The calls of the installed table.
inline void AttachMessageWindow(PlatformHandle window) {
    InstalledHostServices().attachMessageWindow(window);
}
inline bool PostWindowMessage(uint32_t message, uintptr_t wParam) {
    return InstalledHostServices().postWindowMessage(message, wParam);
}
inline void RequestRepaint() {
    InstalledHostServices().requestRepaint();
}
inline bool StartDetachedThread(void (*procedure)(void*), void* parameter) {
    return InstalledHostServices().startDetachedThread(procedure, parameter);
}
inline bool DetachedThreadsRunning() {
    return InstalledHostServices().detachedThreadsRunning();
}
[[noreturn]] inline void EndProcessNow(int exitCode) {
    InstalledHostServices().endProcessNow(exitCode);
    std::_Exit(exitCode);  // a table whose entry returned
}

// What the window program returns from its entry point after the message loop: while a worker
// still runs (a check or a scan is never waited for), the process ends here instead, so that no
// static destructor runs under it (appState, the scan's hand-over, the message queue).
int FinishProgram(int exitCode);

}  // namespace corvanite
