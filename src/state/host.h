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
// for it. With no window attached nothing is posted.
void PostWindowMessage(uint32_t message, uintptr_t wParam);

// Asks for a repaint of the whole client area, without erasing.
void RequestRepaint();

// Starts a thread that runs procedure(parameter) and ends by itself; it is never joined.
// False when the thread cannot be created.
bool StartDetachedThread(void (*procedure)(void*), void* parameter);

}  // namespace corvanite
