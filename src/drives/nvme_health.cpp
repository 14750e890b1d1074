#include "drives/nvme_health.h"

#include <algorithm>

#include "drives/byte_order.h"
#include "drives/health.h"

namespace corvanite {
namespace {

constexpr uint64_t LOW_48_BITS = (uint64_t{1} << 48) - 1;

}  // namespace

void AppendNvmeAttribute(DriveInfo& drive, uint8_t id, std::u16string_view name, uint8_t current,
                         uint8_t threshold, uint64_t raw) {
    SmartAttribute& row = drive.attributes.emplace_back();
    row.id = id;
    row.name.Set(name);
    row.current = current;
    row.threshold = threshold;
    for (size_t b = 0; b < row.raw.size(); ++b) {
        row.raw[b] = static_cast<uint8_t>(raw >> (8 * b));
    }
    row.failing = FailsThreshold(current, threshold);
    row.warning = !row.failing && threshold != 0 && NearThreshold(current, threshold);
    row.cause = row.failing ? CAUSE_AT_THRESHOLD : row.warning ? CAUSE_NEAR_THRESHOLD : CAUSE_NONE;
}

void ParseNvmeHealthLog(const uint8_t* logPage, DriveInfo& drive) {
    const uint8_t criticalWarning = logPage[0];
    const auto compositeKelvin = static_cast<uint16_t>(ReadLittleEndian(logPage + 1, 2));
    const uint8_t availableSpare = logPage[3];
    const uint8_t spareThreshold = logPage[4];
    const uint8_t percentageUsed = logPage[5];
    const uint64_t powerOnHours = ReadLittleEndian(logPage + 128, 8);
    const uint64_t mediaErrors = ReadLittleEndian(logPage + 160, 8);

    if (compositeKelvin > 273) {
        drive.temperatureC = compositeKelvin - 273;
    }
    drive.nvmeAvailableSpare = availableSpare;
    drive.nvmeSpareThreshold = spareThreshold;
    drive.nvmePercentageUsed = percentageUsed;
    drive.nvmeCriticalWarning = criticalWarning;
    const uint8_t usedCapped = std::min<uint8_t>(percentageUsed, 100);
    drive.lifeRemaining = 100 - usedCapped;

    drive.attributes.clear();
    const int32_t t = drive.temperatureC;
    const auto temperatureCurrent = static_cast<uint8_t>(std::min(t, 255));
    // A temperature of -1 (none read) is sign-extended: all 48 raw bits set.
    AppendNvmeAttribute(drive, NVME_ID_TEMPERATURE, u"Composite Temperature (C)",
                        temperatureCurrent, 0,
                        static_cast<uint64_t>(static_cast<int64_t>(t)) & LOW_48_BITS);
    AppendNvmeAttribute(drive, NVME_ID_AVAILABLE_SPARE, u"Available Spare (%)", availableSpare,
                        spareThreshold, availableSpare);
    AppendNvmeAttribute(drive, NVME_ID_PERCENTAGE_USED, u"Percentage Used (%)",
                        static_cast<uint8_t>(100 - usedCapped), 0, percentageUsed);
    if (criticalWarning != 0) {
        AppendNvmeAttribute(drive, NVME_ID_CRITICAL_WARNING, u"Critical Warning Flags", 0, 1,
                            criticalWarning);
        drive.attributes.back().cause = CAUSE_WARNING_BITS;
    }
    AppendNvmeAttribute(drive, NVME_ID_POWER_ON_HOURS, u"Power-On Hours", 0, 0,
                        powerOnHours & LOW_48_BITS);
    AppendNvmeAttribute(drive, NVME_ID_MEDIA_ERRORS, u"Media Integrity Errors",
                        mediaErrors == 0 ? 200 : 0, 1, mediaErrors & LOW_48_BITS);
    if (mediaErrors != 0) {
        drive.attributes.back().cause = CAUSE_RAW_NOT_ZERO;
    }

    drive.smartAvailable = true;
    drive.smartSource = SOURCE_NVME;
}

bool ReadNvmeHealth(DriveHandle handle, DriveInfo& drive) {
    uint8_t logPage[NVME_LOG_PAGE_SIZE];
    if (!ReadNvmeLogPage(handle, logPage)) {
        return false;
    }
    ParseNvmeHealthLog(logPage, drive);
    return true;
}

}  // namespace corvanite
