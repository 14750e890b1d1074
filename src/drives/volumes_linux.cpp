// The machine's filesystems on Linux, the system's VolumeAccess table: every partition, and every
// whole disk, of the disks the drive list shows (no loop, ram, device-mapper, optical, ...) that
// starts with a filesystem; its type and label from its own first bytes (the udev database when
// it cannot be read), its size from sysfs and its mount point from /proc/self/mountinfo.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "drives/device_linux_testing.h"
#include "drives/files_linux.h"
#include "drives/linux_layout.h"
#include "drives/volumes.h"
#include "text/utf.h"

namespace corvanite {
namespace {

constexpr size_t SMALL_FILE_LIMIT = 4096;
constexpr size_t MOUNTINFO_LIMIT = 1 << 20;

struct Roots {
    std::mutex lock;
    std::string classBlock = "/sys/class/block";
    std::string dev = "/dev";
    std::string mountinfo = "/proc/self/mountinfo";
    std::string udevData = "/run/udev/data";
};

Roots& State() {
    static Roots roots;
    return roots;
}

std::string SmallFile(const std::string& path) {
    std::string bytes;
    ReadBoundedFile(path, bytes, SMALL_FILE_LIMIT);
    return std::string(linux_layout::SysfsValue(bytes));
}

// The filesystem at the start of the device node; the udev database's word on it when the node
// cannot be read (a user without rights).
linux_layout::FilesystemProbe Probe(const std::string& node, const std::string& udevEntry) {
    const int fd = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        std::string entry;
        ReadBoundedFile(udevEntry, entry, SMALL_FILE_LIMIT);
        return linux_layout::FilesystemFromUdev(entry);
    }
    std::vector<uint8_t> start(linux_layout::FILESYSTEM_PROBE_BYTES);
    size_t done = 0;
    while (done < start.size()) {
        const ssize_t n =
            pread(fd, start.data() + done, start.size() - done, static_cast<off_t>(done));
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    close(fd);
    return linux_layout::ProbeFilesystem(start.data(), done);
}

bool CheckerInstalled(const std::string& type) {
    for (const char* folder : SYSTEM_PROGRAM_FOLDERS) {
        if (access((std::string(folder) + "/fsck." + type).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

VolumeList List() {
    Roots& roots = State();
    std::lock_guard<std::mutex> guard(roots.lock);
    VolumeList list;
    list.known = true;
    std::string mountinfo;
    ReadBoundedFile(roots.mountinfo, mountinfo, MOUNTINFO_LIMIT);
    DIR* dir = opendir(roots.classBlock.c_str());
    if (dir == nullptr) {
        return list;
    }
    std::vector<std::tuple<unsigned long, unsigned long, VolumeInfo>> found;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        const std::string folder = roots.classBlock + "/" + name;
        // A partition's folder lies in its disk's: the disk is the folder above it.
        std::string disk = name;
        if (access((folder + "/partition").c_str(), F_OK) == 0) {
            char* resolved = realpath(folder.c_str(), nullptr);
            if (resolved == nullptr) {
                continue;
            }
            std::string path = resolved;
            free(resolved);
            path.resize(path.rfind('/'));
            disk = path.substr(path.rfind('/') + 1);
        }
        if (!linux_layout::IsProbedDiskName(disk)) {
            continue;
        }
        const std::string majorMinor = SmallFile(folder + "/dev");
        const linux_layout::FilesystemProbe fs =
            Probe(roots.dev + "/" + name, roots.udevData + "/b" + majorMinor);
        const size_t colon = majorMinor.find(':');
        if (fs.type.empty() || colon == std::string::npos) {
            continue;
        }
        VolumeInfo volume;
        volume.name = Utf8ToUtf16(roots.dev + "/" + name);
        volume.label = Utf8ToUtf16(fs.label);
        volume.fileSystem = Utf8ToUtf16(fs.type);
        volume.sizeBytes = std::strtoull(SmallFile(folder + "/size").c_str(), nullptr, 10) * 512;
        volume.diskPaths = {Utf8ToUtf16(roots.dev + "/" + disk)};
        volume.mountPoint = Utf8ToUtf16(linux_layout::MountPointOf(mountinfo, majorMinor));
        volume.checkerFound = CheckerInstalled(fs.type);
        found.emplace_back(std::strtoul(majorMinor.c_str(), nullptr, 10),
                           std::strtoul(majorMinor.c_str() + colon + 1, nullptr, 10),
                           std::move(volume));
    }
    closedir(dir);
    // The kernel's order: by device number, so a disk's partitions follow it in their order.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    for (auto& item : found) {
        list.volumes.push_back(std::move(std::get<2>(item)));
    }
    return list;
}

constexpr VolumeAccess SYSTEM{.listVolumes = List};

}  // namespace

void SetLinuxVolumeRoots(const std::string& classBlock, const std::string& dev,
                         const std::string& mountinfo, const std::string& udevData) {
    Roots& roots = State();
    std::lock_guard<std::mutex> guard(roots.lock);
    roots.classBlock = classBlock;
    roots.dev = dev;
    roots.mountinfo = mountinfo;
    roots.udevData = udevData;
}

const VolumeAccess& SystemVolumeAccess() {
    return SYSTEM;
}

}  // namespace corvanite
