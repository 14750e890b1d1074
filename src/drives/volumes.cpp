#include "drives/volumes.h"

#include <algorithm>

#include "drives/drive_info.h"

namespace corvanite {

const VolumeInfo* FindVolume(const VolumeList& list, std::u16string_view name) {
    for (const VolumeInfo& volume : list.volumes) {
        if (volume.name == name) {
            return &volume;
        }
    }
    return nullptr;
}

std::vector<const VolumeInfo*> VolumesOnDisk(const VolumeList& list,
                                             std::u16string_view devicePath) {
    std::vector<const VolumeInfo*> found;
    for (const VolumeInfo& volume : list.volumes) {
        const auto& disks = volume.diskPaths;
        if (std::find(disks.begin(), disks.end(), devicePath) != disks.end()) {
            found.push_back(&volume);
        }
    }
    return found;
}

std::u16string VolumeSummary(const VolumeInfo& volume) {
    std::u16string text = volume.label;
    const auto append = [&text](std::u16string_view part) {
        if (!part.empty()) {
            text.append(text.empty() ? u"" : u"  ").append(part);
        }
    };
    append(volume.fileSystem);
    if (volume.sizeBytes != 0) {
        append(FormatCapacity(volume.sizeBytes));
    }
    return text;
}

}  // namespace corvanite
