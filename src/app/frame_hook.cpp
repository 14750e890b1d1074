#include "app/frame_hook.h"

namespace corvanite {

void NoteFramePainted(int32_t, int32_t) {}

}  // namespace corvanite
