// The machine's volumes on Windows, the system's VolumeAccess table: every drive letter of a
// fixed or removable drive with a file system mounted, its label, file system and size, and the
// physical drives under it (IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS).
#include <windows.h>

#include <string>

#include "drives/drive_info.h"
#include "drives/volumes.h"
#include "drives/win32_layout.h"

namespace corvanite {
namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string FromWide(const wchar_t* text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

// The physical drives holding the volume at "\\.\X:". A volume the request is refused for (a
// network or virtual file system, or Wine's drives) is named on no disk.
std::vector<std::u16string> DisksOf(char16_t letter) {
    std::vector<std::u16string> disks;
    const std::u16string path = std::u16string(u"\\\\.\\") + letter + u':';
    // No access rights are needed for this request, so a user without administrator rights
    // learns the disks too.
    const HANDLE volume = CreateFileW(Wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (volume == INVALID_HANDLE_VALUE) {
        return disks;
    }
    uint8_t reply[win32::VOLUME_EXTENTS_REPLY_SIZE] = {};
    DWORD returned = 0;
    if (DeviceIoControl(volume, win32::IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS_CODE, nullptr, 0, reply,
                        sizeof reply, &returned, nullptr) != 0) {
        for (const uint32_t disk : win32::ParseVolumeDiskExtents(reply, returned)) {
            disks.push_back(PhysicalDrivePath(static_cast<int>(disk)));
        }
    }
    CloseHandle(volume);
    return disks;
}

VolumeList List() {
    VolumeList list;
    list.known = true;
    list.letters = true;
    // An empty card reader or floppy drive must not bring up the system's "insert a disk" box.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode);
    const DWORD letters = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if ((letters & (1u << i)) == 0) {
            continue;
        }
        const auto letter = static_cast<char16_t>(u'A' + i);
        const std::u16string root = std::u16string(1, letter) + u":\\";
        // The checker works on local file systems only: not on network shares, CD or DVD.
        const UINT type = GetDriveTypeW(Wide(root));
        if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) {
            continue;
        }
        wchar_t label[MAX_PATH + 1] = {};
        wchar_t fileSystem[MAX_PATH + 1] = {};
        // Fails for a drive with no medium or no file system mounted: no volume to check there.
        if (GetVolumeInformationW(Wide(root), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                  fileSystem, MAX_PATH + 1) == 0) {
            continue;
        }
        VolumeInfo volume;
        volume.name = std::u16string(1, letter) + u':';
        volume.label = FromWide(label);
        volume.fileSystem = FromWide(fileSystem);
        ULARGE_INTEGER total{};
        if (GetDiskFreeSpaceExW(Wide(root), nullptr, &total, nullptr) != 0) {
            volume.sizeBytes = total.QuadPart;
        }
        volume.diskPaths = DisksOf(letter);
        list.volumes.push_back(std::move(volume));
    }
    SetThreadErrorMode(previousMode, nullptr);
    return list;
}

constexpr VolumeAccess SYSTEM{.listVolumes = List};

}  // namespace

const VolumeAccess& SystemVolumeAccess() {
    return SYSTEM;
}

}  // namespace corvanite
