// Enumerating and probing the machine's physical drives.
#pragma once

#include <vector>

#include "drives/device_error.h"
#include "drives/drive_info.h"

namespace corvanite {

// Opens drive numbers 0 to 15 and returns one graded record per drive that exists, in drive
// number order. A number that cannot be opened is skipped; the rest are still tried. A
// drive without health data carries the reason in errorText.
std::vector<DriveInfo> ProbeAllDrives();
// The same, also telling how many drives could not be opened at all, and why.
std::vector<DriveInfo> ProbeAllDrives(ProbeSkipped& skipped);

}  // namespace corvanite
