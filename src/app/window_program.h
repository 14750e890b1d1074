// The window program proper: start-up, the main window and its message loop, shut-down; its
// exit code. Each platform defines it (window_win32.cpp, window_gtk.cpp) and installs its own
// window host there. An executable's entry point (main_win32.cpp, main_gtk.cpp, the end-to-end
// build's) installs any seams of its own first, then calls it.
#pragma once

namespace corvanite {

// argc and argv: main's, for GTK's standard options (unused on Windows); showCommand: wWinMain's
// (unused by GTK).
int RunWindowProgram(int argc, char** argv, int showCommand);

}  // namespace corvanite
