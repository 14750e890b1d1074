// What portable code asks of the window host. Each platform defines these (the Win32 window,
// the GTK window, or a test's fake).
#pragma once

#include <cstdint>

namespace corvanite {

// Posts a private message to the main window (appState.mainWindow) with its wParam and an
// lParam of 0; never waits for it. With no main window nothing is posted.
void PostWindowMessage(uint32_t message, uintptr_t wParam);

// Asks for a repaint of the whole client area, without erasing.
void RequestRepaint();

// Starts a thread that runs procedure(parameter) and ends by itself; it is never joined.
// False when the thread cannot be created.
bool StartDetachedThread(void (*procedure)(void*), void* parameter);

}  // namespace corvanite
