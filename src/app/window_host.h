// What the input handling asks of the window itself: placement, capture, dialogs. One table of
// functions (WindowHost), installed by the window program at its start (window_win32.cpp,
// window_gtk.cpp) or by a test; until then a table without a window is in place (nothing moves,
// every question is answered no). The free functions below go through the installed table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/host.h"
#include "state/geometry.h"

namespace corvanite {

struct WindowHost {
    // The main window's outer rectangle in screen coordinates.
    Rect (*mainWindowBounds)();
    // Moves the main window (keeping its size), or moves and sizes it.
    void (*moveMainWindow)(int32_t x, int32_t y);
    void (*placeMainWindow)(Rect bounds);
    // A client point of the main window in screen coordinates.
    Point (*clientToScreen)(Point client);
    // The work area (screen without task bars) of the monitor nearest the main window.
    Rect (*monitorWorkArea)();
    void (*minimizeMainWindow)();
    // Closes the main window; the program ends once its message loop has run out.
    void (*closeMainWindow)();
    // Mouse capture while the left button is held, and one notice when the cursor leaves.
    void (*captureMouse)();
    void (*releaseMouse)();
    void (*trackMouseLeave)();
    // A modal Yes/No question with a warning icon; true for Yes. No is the default button: every
    // question asks before something that changes a volume, so Return never says yes to it.
    bool (*askYesNo)(std::u16string_view text, std::u16string_view caption);
    // The system's save dialog for the report ("Corvanite_Report.txt", text files first, asks
    // before replacing, adds .txt to a name typed without one, keeps the process's current
    // folder). False when cancelled, with dialogError 0, or when the dialog failed, with its
    // error code.
    bool (*askReportPath)(std::u16string& path, uint32_t& dialogError);
    // Puts a text on the system clipboard (lines end in CR LF; the Linux window hands them on
    // with LF); false when the clipboard could not be taken.
    bool (*copyToClipboard)(std::u16string_view text);
};

// Installs a table (null: the one without a window again); returns the one installed before.
const WindowHost* InstallWindowHost(const WindowHost* table);
const WindowHost& InstalledWindowHost();

// The calls of the installed table.
inline Rect MainWindowBounds() {
    return InstalledWindowHost().mainWindowBounds();
}
inline void MoveMainWindow(int32_t x, int32_t y) {
    InstalledWindowHost().moveMainWindow(x, y);
}
inline void PlaceMainWindow(Rect bounds) {
    InstalledWindowHost().placeMainWindow(bounds);
}
inline Point ClientToScreen(Point client) {
    return InstalledWindowHost().clientToScreen(client);
}
inline Rect MonitorWorkArea() {
    return InstalledWindowHost().monitorWorkArea();
}
inline void MinimizeMainWindow() {
    InstalledWindowHost().minimizeMainWindow();
}
inline void CloseMainWindow() {
    InstalledWindowHost().closeMainWindow();
}
inline void CaptureMouse() {
    InstalledWindowHost().captureMouse();
}
inline void ReleaseMouse() {
    InstalledWindowHost().releaseMouse();
}
inline void TrackMouseLeave() {
    InstalledWindowHost().trackMouseLeave();
}
inline bool AskYesNo(std::u16string_view text, std::u16string_view caption) {
    return InstalledWindowHost().askYesNo(text, caption);
}
inline bool AskReportPath(std::u16string& path, uint32_t& dialogError) {
    return InstalledWindowHost().askReportPath(path, dialogError);
}
inline bool CopyToClipboard(std::u16string_view text) {
    return InstalledWindowHost().copyToClipboard(text);
}

}  // namespace corvanite
