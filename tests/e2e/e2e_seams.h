// The end-to-end build: the window program with the sample drives in place of the machine's and
// a trace of every frame (gui_e2e.py drives it and reads the trace).
#pragma once

#include <cstdint>

namespace corvanite::e2e {

// The frame observer: one trace line per frame that shows something new (frame_trace.cpp).
void TraceFrame(int32_t clientWidth, int32_t clientHeight);

}  // namespace corvanite::e2e
