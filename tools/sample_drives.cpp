#include "sample_drives.h"

#include <cstdio>
#include <cstring>

#include "drives/ata_identify.h"
#include "drives/ata_smart.h"
#include "drives/byte_order.h"
#include "drives/health.h"
#include "drives/nvme_health.h"
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

uint64_t IdentifySectors(const Page& identify) {
    auto word = [&](int w) { return ReadLittleEndian(identify + 2 * w, 2); };
    const uint64_t lba48 = word(100) | (word(101) << 16) | (word(102) << 32) | (word(103) << 48);
    return lba48 != 0 ? lba48 : (word(60) | (word(61) << 16));
}

DriveIdentity NvmeIdentity() {
    DriveIdentity identity;
    identity.product = u"Samsung SSD 970 EVO Plus 1TB";
    identity.serial = u"S4EWNX0N812345K";
    identity.revision = u"2B2QEXM7";
    identity.busType = BUS_NVME;
    return identity;
}

void NvmeHealthLog(uint8_t (&page)[NVME_LOG_PAGE_SIZE]) {
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
}

DriveIdentity UsbIdentity() {
    DriveIdentity identity;
    identity.vendor = u"Generic";
    identity.product = u"External USB 3.0 Storage Device";
    identity.busType = BUS_USB;
    return identity;
}

namespace {

std::u16string DevicePath(std::string_view name) {
    return AsciiText(std::string("/dev/") + std::string(name));
}

// One of the captured ATA drives: identity from its IDENTIFY page, rows from its SMART pages.
bool AddAtaDrive(const std::string& folder, const char* name, int number, uint32_t busType,
                 std::vector<DriveInfo>& drives) {
    Page identify = {};
    Page data = {};
    Page thresholds = {};
    if (!sample::ReadCapturePage(folder, name, "identify", identify) ||
        !sample::ReadCapturePage(folder, name, "data", data) ||
        !sample::ReadCapturePage(folder, name, "thresholds", thresholds)) {
        std::fprintf(stderr, "cannot read the pages of %s/%s\n", folder.c_str(), name);
        return false;
    }
    DriveInfo drive = StartDriveRecord(number);
    const char letter = static_cast<char>('a' + number);
    drive.devicePath.Set(DevicePath(std::string("sd") + letter));
    DriveIdentity identity;
    ata::IdentityFromIdentifyPage(identify, identity);
    identity.busType = busType;
    ApplyDriveIdentity(identity, drive);
    drive.sizeBytes = sample::IdentifySectors(identify) * 512;
    ParseSmartPages(data, thresholds, drive);
    AssessHealth(drive);
    drives.push_back(drive);
    return true;
}

// An NVMe drive whose log reports spare below threshold and read-only media.
DriveInfo NvmeDrive(int number) {
    DriveInfo drive = StartDriveRecord(number);
    drive.devicePath.Set(u"/dev/nvme0n1");
    ApplyDriveIdentity(sample::NvmeIdentity(), drive);
    drive.sizeBytes = sample::NVME_SIZE_BYTES;
    uint8_t log[NVME_LOG_PAGE_SIZE];
    sample::NvmeHealthLog(log);
    ParseNvmeHealthLog(log, drive);
    AssessHealth(drive);
    return drive;
}

// A USB enclosure that passed no health data through.
DriveInfo DriveWithoutData(int number) {
    DriveInfo drive = StartDriveRecord(number);
    drive.devicePath.Set(u"/dev/sdh");
    ApplyDriveIdentity(sample::UsbIdentity(), drive);
    drive.sizeBytes = sample::USB_SIZE_BYTES;
    // What the bridge reader records when the enclosure refuses every ATA PASS-THROUGH form.
    drive.errorText.Set(u"SMART read through the USB bridge refused (error 5: I/O error)");
    AssessHealth(drive);
    return drive;
}

}  // namespace

std::vector<DriveInfo> SampleDrives(const std::string& folder, bool& ok) {
    struct Capture {
        const char* name;
        uint32_t bus;
    };
    const Capture captures[] = {
        {"Maxtor_96147H8--BAC51KJ0--2", 11},   {"SAMSUNG_HD501LJ--CR100-12", 11},
        {"INTEL_SSDSA2CW120G3--4PC10302", 11}, {"ST320410A--3.39", 11},
        {"FUJITSU_MHY2250BH--0085000B", 11},   {"TOSHIBA_MK1651GSY--38IGT0G5T", 11},
    };
    std::vector<DriveInfo> drives;
    ok = true;
    int number = 0;
    for (const Capture& capture : captures) {
        ok = AddAtaDrive(folder, capture.name, number++, capture.bus, drives) && ok;
    }
    drives.push_back(NvmeDrive(number++));
    drives.push_back(DriveWithoutData(number));
    return drives;
}

}  // namespace corvanite::sample
