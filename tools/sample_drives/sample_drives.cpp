#include "sample_drives.h"

#include <cstdio>
#include <filesystem>

#include "drives/probe.h"
#include "drives/trace.h"

namespace corvanite::sample {

bool ReadCapturePage(const std::string& folder, const std::string& capture, const char* what,
                     Page& page) {
    const std::string path = folder + "/" + capture + "." + what + ".bin";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    const size_t read = std::fread(page, 1, sizeof(Page), file);
    std::fclose(file);
    return read == sizeof(Page);
}

bool LoadSampleMachine(const std::string& trace, std::string& problem) {
    std::string text;
    int error = 0;
    if (!ReadTraceFile(std::filesystem::path(trace), text, error)) {
        problem = "cannot read " + trace;
        return false;
    }
    if (!LoadDeviceReplay(text, problem)) {
        problem = trace + ": " + problem;
        return false;
    }
    return true;
}

std::vector<DriveInfo> SampleDrives(const std::string& trace, bool& ok) {
    std::string problem;
    ok = LoadSampleMachine(trace, problem);
    if (!ok) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return {};
    }
    const DeviceAccess* before = InstallDeviceAccess(&ReplayDeviceAccess());
    std::vector<DriveInfo> drives = ProbeAllDrives();
    InstallDeviceAccess(before);
    return drives;
}

namespace {

VolumeList SampleVolumes() {
    VolumeList list;
    list.known = true;
    list.letters = true;
    const auto add = [&list](std::u16string name, std::u16string label, std::u16string type,
                             uint64_t size, std::u16string disk) {
        list.volumes.push_back(VolumeInfo{.name = std::move(name),
                                          .label = std::move(label),
                                          .fileSystem = std::move(type),
                                          .sizeBytes = size,
                                          .diskPaths = {std::move(disk)}});
    };
    add(u"C:", u"System", u"NTFS", 61362257920ull, u"/dev/sda");
    add(u"D:", u"Data", u"NTFS", 400085716992ull, u"/dev/sdb");
    add(u"E:", u"PHOTOS", u"exFAT", 2000381018112ull, u"/dev/sdh");
    add(u"F:", u"", u"NTFS", 100034416640ull, u"/dev/nvme0n1");
    add(u"G:", u"Archive", u"NTFS", 100034416640ull, u"/dev/sdb");
    return list;
}

constexpr VolumeAccess SAMPLE_VOLUMES{.listVolumes = SampleVolumes};

}  // namespace

const VolumeAccess& SampleVolumeAccess() {
    return SAMPLE_VOLUMES;
}

}  // namespace corvanite::sample
