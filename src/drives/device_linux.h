// Linux-only entry points of the drive layer, for tests that point it at a prepared tree.
#pragma once

#include <string>
#include <vector>

namespace corvanite {

// Where the layer looks for disks and device nodes (normally /sys/block and /dev).
void SetLinuxDriveRoots(const std::string& sysBlock, const std::string& devDir);

// The probed disks of a /sys/block folder, in the kernel's name order, at most 16.
std::vector<std::string> ListProbedDisks(const std::string& sysBlock);

}  // namespace corvanite
