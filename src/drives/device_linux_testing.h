// For tests only: entry points into the Linux drive layer, which the program itself reaches only
// through its DeviceAccess table. The layer pointed at a prepared tree instead of /sys/block and
// /dev, and its listing of a /sys/block folder.
#pragma once

#include <string>
#include <vector>

namespace corvanite {

// Where the layer looks for disks and device nodes (normally /sys/block and /dev).
void SetLinuxDriveRoots(const std::string& sysBlock, const std::string& devDir);

// The probed disks of a /sys/block folder, in the kernel's name order, at most MAX_LINUX_DRIVES.
std::vector<std::string> ListProbedDisks(const std::string& sysBlock);

// Where the volume listing looks (normally /sys/class/block, /dev, /proc/self/mountinfo and
// /run/udev/data).
void SetLinuxVolumeRoots(const std::string& classBlock, const std::string& dev,
                         const std::string& mountinfo, const std::string& udevData);

}  // namespace corvanite
