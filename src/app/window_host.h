// What the input handling asks of the window itself: placement, capture, dialogs. Each window
// program defines these (main_win32.cpp, main_gtk.cpp, or a test's fake).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/host.h"
#include "state/geometry.h"

namespace corvanite {

// The main window's outer rectangle in screen coordinates.
Rect MainWindowBounds();
// Moves the main window (keeping its size), or moves and sizes it.
void MoveMainWindow(int32_t x, int32_t y);
void PlaceMainWindow(Rect bounds);
// A client point of the main window in screen coordinates.
Point ClientToScreen(Point client);
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
// before replacing, adds .txt to a name typed without one, keeps the process's current folder).
// False when cancelled, with dialogError 0, or when the dialog failed, with its error code.
bool AskReportPath(std::u16string& path, uint32_t& dialogError);

}  // namespace corvanite
