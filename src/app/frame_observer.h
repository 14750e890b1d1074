// Who watches the frames the window program paints: one table (FrameObserver), none by default.
// The end-to-end build installs one before it starts the window program, to trace each frame.
#pragma once

#include <cstdint>

namespace corvanite {

struct FrameObserver {
    // On the UI thread after each frame is painted, with its click rectangles committed to the
    // application state; the client area's size in device pixels.
    void (*framePainted)(int32_t clientWidth, int32_t clientHeight);
};

// Installs an observer (null: none); returns the one installed before.
const FrameObserver* InstallFrameObserver(const FrameObserver* observer);

// What the window programs call after each frame: tells the installed observer, if any.
void NoteFramePainted(int32_t clientWidth, int32_t clientHeight);

}  // namespace corvanite
