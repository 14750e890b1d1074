#include "volume_check/chkdsk_command.h"

namespace corvanite {

bool IsVolumeText(std::u16string_view volume) {
    if (volume.size() == 2 && volume[0] >= u'A' && volume[0] <= u'Z' && volume[1] == u':') {
        return true;
    }
    constexpr size_t LONGEST_DEVICE = 63;
    constexpr std::u16string_view DEV = u"/dev/";
    if (!volume.starts_with(DEV) || volume.size() == DEV.size() || volume.size() > LONGEST_DEVICE ||
        volume.find(u"..") != std::u16string_view::npos || volume.back() == u'/') {
        return false;
    }
    for (const char16_t c : volume) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                           (c >= u'0' && c <= u'9') ||
                           std::u16string_view(u"/._-+:").find(c) != std::u16string_view::npos;
        if (!plain) {
            return false;
        }
    }
    return true;
}

std::vector<std::u16string> FsckArguments(std::u16string_view device, bool readOnly,
                                          std::u16string_view fileSystem) {
    std::vector<std::u16string> words{readOnly ? u"-n" : u"-y", std::u16string(device)};
    if (fileSystem == u"ext2" || fileSystem == u"ext3" || fileSystem == u"ext4") {
        words.emplace_back(u"--");
        words.emplace_back(u"-f");
    }
    return words;
}

std::u16string ChkdskCommandLine(std::u16string_view volume, bool readOnly) {
    std::u16string line(CHKDSK_PROGRAM);
    for (const std::u16string& word : ChkdskArguments(volume, readOnly)) {
        line.push_back(u' ');
        line.append(word);
    }
    return line;
}

std::vector<std::u16string> ChkdskArguments(std::u16string_view volume, bool readOnly) {
    std::vector<std::u16string> words{std::u16string(volume)};
    if (!readOnly) {
        words.emplace_back(u"/f");
        words.emplace_back(u"/x");
    }
    words.emplace_back(u"/v");
    return words;
}

std::u16string CheckRefusal(const VolumeInfo& volume) {
    if (volume.checkerFound) {
        return {};
    }
    return u"no checker for " + volume.fileSystem + u" filesystems is installed (fsck." +
           volume.fileSystem + u")";
}

std::u16string RepairRefusal(const VolumeInfo& volume) {
    if (volume.mountPoint == u"/") {
        return u"the root filesystem is never repaired while the system runs from it; a "
               u"read-only check can run";
    }
    if (!volume.mountPoint.empty()) {
        return volume.name + u" is mounted at " + volume.mountPoint +
               u": unmount it first (umount " + volume.mountPoint + u"), then SCAN + FIX";
    }
    return {};
}

}  // namespace corvanite
