#include "app/frame_observer.h"

#include "host/installed_table.h"

namespace corvanite {
namespace {

constexpr FrameObserver NONE{.framePainted = [](int32_t, int32_t) {}};

}  // namespace

const FrameObserver* InstallFrameObserver(const FrameObserver* observer) {
    return InstallTable(observer);
}

void NoteFramePainted(int32_t clientWidth, int32_t clientHeight) {
    InstalledTableOr(NONE).framePainted(clientWidth, clientHeight);
}

}  // namespace corvanite
