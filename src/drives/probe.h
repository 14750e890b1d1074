// Enumerating and probing the machine's physical drives.
#pragma once

#include <vector>

#include "drives/device_access.h"
#include "drives/device_error.h"
#include "drives/drive_info.h"

namespace corvanite {

// What a scan tells while it runs, from the threads it runs on (both entries may be null).
struct ProbeListener {
    void* context = nullptr;
    // The drives found, before any has answered (records with path and number only).
    void (*found)(void* context, const std::vector<DriveInfo>& drives) = nullptr;
    // The drive at this index of the found list has answered, graded; called from its worker,
    // one call at a time.
    void (*answered)(void* context, size_t index, const DriveInfo& drive) = nullptr;
};

// Opens drive numbers 0 to 15 and returns one graded record per drive that exists, in drive
// number order. A number that cannot be opened is skipped; the rest are still tried. A
// drive without health data carries the reason in errorText. Each drive found is probed on a
// worker of its own, all at once; the call returns when every drive has answered.
std::vector<DriveInfo> ProbeAllDrives();
// The same, also telling how many drives could not be opened at all, and why.
std::vector<DriveInfo> ProbeAllDrives(ProbeSkipped& skipped);
std::vector<DriveInfo> ProbeAllDrives(ProbeSkipped& skipped, const ProbeListener& listener);

// Identity, bus, media class and capacity of an open drive. False when the descriptor query
// failed: then the record keeps its start values and no capacity query is made.
bool QueryStorageDescriptor(DriveHandle handle, DriveInfo& drive);

}  // namespace corvanite
