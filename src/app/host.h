// What portable code asks of the window host. Each platform defines these (the Win32 window,
// the GTK window, or a test's fake).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/geometry.h"

namespace corvanite {

// Posts a private message to the main window (appState.mainWindow) with its wParam and an
// lParam of 0; never waits for it. With no main window nothing is posted.
void PostWindowMessage(uint32_t message, uintptr_t wParam);

// Asks for a repaint of the whole client area, without erasing.
void RequestRepaint();

// Starts a thread that runs procedure(parameter) and ends by itself; it is never joined.
// False when the thread cannot be created.
bool StartDetachedThread(void (*procedure)(void*), void* parameter);

// The main window's outer rectangle in screen coordinates.
Rect MainWindowBounds();
// Moves the main window (keeping its size), or moves and sizes it.
void MoveMainWindow(int32_t x, int32_t y);
void PlaceMainWindow(Rect bounds);
// A client point of the main window in screen coordinates.
Point ClientToScreen(Point client);
// The primary screen's width in pixels.
int32_t PrimaryScreenWidth();
// The work area (screen without task bars) of the monitor nearest the main window.
Rect MonitorWorkArea();
void MinimizeMainWindow();
// Closes the main window; the program ends once its message loop has run out.
void CloseMainWindow();
// Mouse capture while the left button is held, and one notice when the cursor leaves.
void CaptureMouse();
void ReleaseMouse();
void TrackMouseLeave();
// A modal Yes/No question with a warning icon; true for Yes.
bool AskYesNo(std::u16string_view text, std::u16string_view caption);
// The system's save dialog for the report ("Corvanite_Report.txt", text files first, asks
// before replacing, adds .txt to a name typed without one). False when cancelled.
bool AskReportPath(std::u16string& path);

}  // namespace corvanite
