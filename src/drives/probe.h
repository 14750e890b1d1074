// Enumerating and probing the machine's physical drives.
#pragma once

#include <vector>

#include "drives/drive_info.h"

namespace corvanite {

// Opens drive numbers 0 to 15 and returns one graded record per drive that exists, in drive
// number order. A number that cannot be opened is skipped; the rest are still tried.
std::vector<DriveInfo> ProbeAllDrives();

}  // namespace corvanite
