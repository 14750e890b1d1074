// Enumerating and probing the machine's physical drives.
#pragma once

#include <vector>

#include "drives/device_access.h"
#include "drives/device_error.h"
#include "drives/drive_info.h"

namespace corvanite {

// Opens drive numbers 0 to 15 and returns one graded record per drive that exists, in drive
// number order. A number that cannot be opened is skipped; the rest are still tried. A
// drive without health data carries the reason in errorText.
std::vector<DriveInfo> ProbeAllDrives();
// The same, also telling how many drives could not be opened at all, and why.
std::vector<DriveInfo> ProbeAllDrives(ProbeSkipped& skipped);

// Identity, bus, media class and capacity of an open drive. False when the descriptor query
// failed: then the record keeps its start values and no capacity query is made.
bool QueryStorageDescriptor(DriveHandle handle, DriveInfo& drive);

}  // namespace corvanite
