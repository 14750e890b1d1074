#include "sample_drives.h"

#include "drives/byte_order.h"

#include <cstdio>
#include <cstring>

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

}  // namespace corvanite::sample
