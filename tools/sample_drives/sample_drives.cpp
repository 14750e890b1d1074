#include "sample_drives.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "drives/ata_identify.h"
#include "drives/byte_order.h"
#include "drives/identity.h"
#include "drives/probe.h"
#include "text/text_format.h"

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

namespace {

constexpr const char* CAPTURES[] = {
    "Maxtor_96147H8--BAC51KJ0--2",   "SAMSUNG_HD501LJ--CR100-12",
    "INTEL_SSDSA2CW120G3--4PC10302", "ST320410A--3.39",
    "FUJITSU_MHY2250BH--0085000B",   "TOSHIBA_MK1651GSY--38IGT0G5T",
};
constexpr int ATA_DRIVES = 6;
constexpr int NVME_DRIVE = 6;
constexpr int USB_DRIVE = 7;
constexpr uint64_t NVME_SIZE_BYTES = 1000204886016ull;
constexpr uint64_t USB_SIZE_BYTES = 2000398934016ull;

struct CapturedDrive {
    bool loaded = false;
    Page identify = {};
    Page data = {};
    Page thresholds = {};
};

CapturedDrive captured[ATA_DRIVES];
thread_local int32_t lastError = 0;

// Fails a request with an errno value.
bool Fail(int32_t error) {
    lastError = error;
    return false;
}

bool IsAta(DriveHandle handle) {
    return handle >= 0 && handle < ATA_DRIVES;
}

// The drive's size in sectors from IDENTIFY DEVICE: words 100-103 (48-bit), else words 60-61.
uint64_t IdentifySectors(const Page& identify) {
    auto word = [&](int w) { return ReadLittleEndian(identify + 2 * w, 2); };
    const uint64_t lba48 = word(100) | (word(101) << 16) | (word(102) << 32) | (word(103) << 48);
    return lba48 != 0 ? lba48 : (word(60) | (word(61) << 16));
}

std::u16string DevicePath(int driveNumber) {
    if (driveNumber == NVME_DRIVE) {
        return u"/dev/nvme0n1";
    }
    return AsciiText(std::string("/dev/sd") + static_cast<char>('a' + driveNumber));
}

bool Open(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    const bool present =
        driveNumber == NVME_DRIVE || driveNumber == USB_DRIVE ||
        (driveNumber >= 0 && driveNumber < ATA_DRIVES && captured[driveNumber].loaded);
    if (!present) {
        errorCode = ENODEV;
        return Fail(ENODEV);
    }
    handle = driveNumber;
    return true;
}

bool QueryIdentity(DriveHandle handle, DriveIdentity& identity) {
    identity = DriveIdentity();
    if (IsAta(handle)) {
        ata::IdentityFromIdentifyPage(captured[handle].identify, identity);
        identity.busType = BUS_SATA;
    } else if (handle == NVME_DRIVE) {
        identity.product = u"Samsung SSD 970 EVO Plus 1TB";
        identity.serial = u"S4EWNX0N812345K";
        identity.revision = u"2B2QEXM7";
        identity.busType = BUS_NVME;
    } else {
        identity.vendor = u"Generic";
        identity.product = u"External USB 3.0 Storage Device";
        identity.busType = BUS_USB;
    }
    return true;
}

bool QuerySize(DriveHandle handle, uint64_t& sizeBytes) {
    sizeBytes = IsAta(handle)          ? IdentifySectors(captured[handle].identify) * 512
                : handle == NVME_DRIVE ? NVME_SIZE_BYTES
                                       : USB_SIZE_BYTES;
    return true;
}

bool SmartPage(DriveHandle handle, int, uint8_t feature, uint8_t (&page)[SMART_PAGE_SIZE]) {
    if (!IsAta(handle)) {
        return Fail(EIO);
    }
    const bool data = feature == SMART_FEATURE_READ_DATA;
    std::memcpy(page, data ? captured[handle].data : captured[handle].thresholds, SMART_PAGE_SIZE);
    return true;
}

// An NVMe log that reports spare below threshold and read-only media (critical warning 0x09),
// 45 C, 93 % used, 12 media errors.
bool NvmeLogPage(DriveHandle handle, uint8_t (&page)[NVME_LOG_PAGE_SIZE]) {
    if (handle != NVME_DRIVE) {
        return Fail(EIO);
    }
    std::memset(page, 0, NVME_LOG_PAGE_SIZE);
    page[0] = 0x09;  // critical warning: available spare below threshold, media read-only
    page[1] = 0x3E;  // composite temperature 318 K = 45 C
    page[2] = 0x01;
    page[3] = 7;       // available spare %
    page[4] = 10;      // spare threshold %
    page[5] = 93;      // percentage used
    page[128] = 0x34;  // power-on hours 0x2F34 = 12084
    page[129] = 0x2F;
    page[160] = 12;  // media and data integrity errors
    return true;
}

// Every sample drive opens, so none is opened with less.
bool OpenLimited(int /*driveNumber*/, DriveHandle& /*handle*/, uint32_t& errorCode) {
    errorCode = ENODEV;
    return Fail(ENODEV);
}

int NumberLimit() {
    return MAX_DRIVES;
}

bool Privileged() {
    return true;
}

constexpr DeviceAccess SAMPLE_MACHINE{
    .errorKind = ERRORS_POSIX,
    .beginDriveScan = [] {},
    .driveDevicePath = DevicePath,
    .openDrive = Open,
    .closeDrive = [](DriveHandle) {},
    .openDriveLimited = OpenLimited,
    .driveNumberLimit = NumberLimit,
    .processPrivileged = Privileged,
    .queryDriveIdentity = QueryIdentity,
    .queryDriveSize = QuerySize,
    .sendSmartEnable = [](DriveHandle, int) {},
    .readSmartPage = SmartPage,
    // The USB enclosure takes no ATA PASS-THROUGH form either.
    .sendAtaPassThrough = [](DriveHandle, const uint8_t*, size_t, uint8_t*,
                             size_t) { return Fail(EIO); },
    .readNvmeLogPage = NvmeLogPage,
    .lastDeviceError = [] { return lastError; },
};

}  // namespace

const DeviceAccess& SampleDeviceAccess(const std::string& folder, bool& ok) {
    ok = true;
    for (int n = 0; n < ATA_DRIVES; ++n) {
        CapturedDrive& drive = captured[n];
        drive.loaded = ReadCapturePage(folder, CAPTURES[n], "identify", drive.identify) &&
                       ReadCapturePage(folder, CAPTURES[n], "data", drive.data) &&
                       ReadCapturePage(folder, CAPTURES[n], "thresholds", drive.thresholds);
        if (!drive.loaded) {
            std::fprintf(stderr, "cannot read the pages of %s/%s\n", folder.c_str(), CAPTURES[n]);
            ok = false;
        }
    }
    return SAMPLE_MACHINE;
}

std::vector<DriveInfo> SampleDrives(const std::string& folder, bool& ok) {
    const DeviceAccess* before = InstallDeviceAccess(&SampleDeviceAccess(folder, ok));
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
                             uint64_t size, int disk) {
        list.volumes.push_back(VolumeInfo{.name = std::move(name),
                                          .label = std::move(label),
                                          .fileSystem = std::move(type),
                                          .sizeBytes = size,
                                          .diskPaths = {DevicePath(disk)}});
    };
    add(u"C:", u"System", u"NTFS", 61362257920ull, 0);
    add(u"D:", u"Data", u"NTFS", 400085716992ull, 1);
    add(u"E:", u"PHOTOS", u"exFAT", 2000381018112ull, USB_DRIVE);
    add(u"F:", u"", u"NTFS", 100034416640ull, NVME_DRIVE);
    add(u"G:", u"Archive", u"NTFS", 100034416640ull, 1);
    return list;
}

constexpr VolumeAccess SAMPLE_VOLUMES{.listVolumes = SampleVolumes};

}  // namespace

const VolumeAccess& SampleVolumeAccess() {
    return SAMPLE_VOLUMES;
}

}  // namespace corvanite::sample
