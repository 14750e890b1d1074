// The machine's volumes on Linux, the system's VolumeAccess table. The checker started here is
// given volume letters, which Linux does not have: the list is not taken, and any letter is
// passed on to the checker.
#include "drives/volumes.h"

namespace corvanite {
namespace {

VolumeList List() {
    return VolumeList{};
}

constexpr VolumeAccess SYSTEM{.listVolumes = List};

}  // namespace

const VolumeAccess& SystemVolumeAccess() {
    return SYSTEM;
}

}  // namespace corvanite
