// What the window programs report after each frame they painted. The programs link the empty
// definition of frame_hook.cpp; a build that watches the window (the end-to-end tests) links an
// object of its own before the libraries, which then never pull that one in.
#pragma once

#include <cstdint>

namespace corvanite {

// Called on the UI thread after each frame is painted, with its click rectangles committed to the
// application state.
void NoteFramePainted(int32_t clientWidth, int32_t clientHeight);

}  // namespace corvanite
