// The machine's volumes as the volume check offers them: what each is called, its label, file
// system and size, and the disks it lies on. One table of functions (VolumeAccess) per platform
// (volumes_win32.cpp, volumes_linux.cpp); a test or the end-to-end build installs its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/installed_table.h"

namespace corvanite {

struct VolumeInfo {
    std::u16string name{};        // what the checker is given: "C:" on Windows
    std::u16string label{};       // the file system's own label; may be empty
    std::u16string fileSystem{};  // "NTFS", "FAT32", ...
    uint64_t sizeBytes = 0;       // the file system's size (0: not known)
    // The device path of each disk holding a part of the volume, as the drive list names disks
    // ("\\.\PhysicalDrive0"); a volume spanning disks lists each once.
    std::vector<std::u16string> diskPaths{};
    // Where it is mounted (Linux: "/" for the root filesystem; empty when not mounted, and on
    // Windows, where a volume is its letter).
    std::u16string mountPoint{};
    // Whether the system has a checker for its file system (Linux: an fsck.<type> program).
    bool checkerFound = true;
};

struct VolumeList {
    // Whether the system was asked at all: a list that was never taken says nothing about which
    // names have a volume behind them.
    bool known = false;
    // Whether volumes are named by drive letters ("C:"), which a key types; otherwise by their
    // device path ("/dev/sdb1"), picked from the list.
    bool letters = false;
    std::vector<VolumeInfo> volumes;  // in the system's order
};

struct VolumeAccess {
    // The mounted volumes the checker can be run on. Must not block on an empty drive (a card
    // reader, a floppy): such a volume is left out.
    VolumeList (*listVolumes)();
};

const VolumeAccess& SystemVolumeAccess();
inline const VolumeAccess* InstallVolumeAccess(const VolumeAccess* table) {
    return InstallTable(table);
}
inline VolumeList ListVolumes() {
    return InstalledTableOr(SystemVolumeAccess()).listVolumes();
}

// Where Linux keeps the programs the volume check starts, in the order they are looked for: found
// there by their absolute path, never through PATH.
constexpr const char* SYSTEM_PROGRAM_FOLDERS[] = {"/usr/sbin", "/sbin"};

// The volume called `name`, or null.
const VolumeInfo* FindVolume(const VolumeList& list, std::u16string_view name);

// The volumes with a part on the disk at `devicePath`, in the list's order.
std::vector<const VolumeInfo*> VolumesOnDisk(const VolumeList& list,
                                             std::u16string_view devicePath);

// "System  NTFS  237.9 GB": the label (when there is one), the file system and the size.
std::u16string VolumeSummary(const VolumeInfo& volume);

}  // namespace corvanite
