#include "drives/ata_smart.h"

#include <iterator>

#include "drives/byte_order.h"
#include "drives/health.h"

namespace corvanite {
namespace {

struct CatalogueRow {
    uint8_t id;
    std::u16string_view name;
};

constexpr CatalogueRow SMART_ATTRIBUTE_CATALOGUE[] = {
    {1, u"Raw Read Error Rate"},
    {2, u"Throughput Performance"},
    {3, u"Spin-Up Time"},
    {4, u"Start/Stop Count"},
    {5, u"Reallocated Sectors Count"},
    {7, u"Seek Error Rate"},
    {9, u"Power-On Hours"},
    {10, u"Spin Retry Count"},
    {11, u"Calibration Retry Count"},
    {12, u"Power Cycle Count"},
    {170, u"Available Reserved Space"},
    {171, u"Program Fail Count"},
    {172, u"Erase Fail Count"},
    {173, u"Wear Leveling Count"},
    {174, u"Unexpected Power Loss Count"},
    {179, u"Used Reserved Block Count"},
    {180, u"Unused Reserved Block Count"},
    {181, u"Program Fail Count Total"},
    {183, u"Runtime Bad Block"},
    {184, u"End-to-End Error"},
    {187, u"Uncorrectable Error Count"},
    {188, u"Command Timeout"},
    {189, u"High Fly Writes"},
    {190, u"Airflow Temperature"},
    {191, u"G-Sense Error Rate"},
    {192, u"Power-Off Retract Count"},
    {193, u"Load/Unload Cycle Count"},
    {194, u"Temperature"},
    {196, u"Reallocation Event Count"},
    {197, u"Current Pending Sector Count"},
    {198, u"Uncorrectable Sector Count"},
    {199, u"UltraDMA CRC Error Count"},
    {200, u"Write Error Rate"},
    {220, u"Disk Shift"},
    {231, u"Life Left / Temperature"},
    {232, u"Available Reserved Space"},
    {233, u"Media Wearout Indicator"},
    {241, u"Total LBAs Written"},
    {242, u"Total LBAs Read"},
    {250, u"Read Error Retry Rate"},
};
static_assert(std::size(SMART_ATTRIBUTE_CATALOGUE) == 40);

// Raw byte 0 of a temperature row is taken as the drive's temperature when it lies in this range.
constexpr uint8_t PLAUSIBLE_TEMPERATURE_MIN = 1;
constexpr uint8_t PLAUSIBLE_TEMPERATURE_MAX = 99;

// The attributes graded on their raw value.
constexpr uint8_t ID_REALLOCATED_SECTORS = 5;
constexpr uint8_t ID_AIRFLOW_TEMPERATURE = 190;
constexpr uint8_t ID_TEMPERATURE = 194;
constexpr uint8_t ID_REALLOCATION_EVENTS = 196;
constexpr uint8_t ID_PENDING_SECTORS = 197;
constexpr uint8_t ID_UNCORRECTABLE_SECTORS = 198;

bool IsTemperatureId(uint8_t id) {
    return id == ID_AIRFLOW_TEMPERATURE || id == ID_TEMPERATURE;
}

bool IsSectorCountId(uint8_t id) {
    return id == ID_REALLOCATED_SECTORS || id == ID_REALLOCATION_EVENTS ||
           id == ID_PENDING_SECTORS || id == ID_UNCORRECTABLE_SECTORS;
}

// 0 (no threshold) without a thresholds page or an entry for the id.
uint8_t FindThreshold(const uint8_t* thresholdPage, uint8_t id) {
    for (int j = 0; thresholdPage != nullptr && j < SMART_TABLE_ENTRIES; ++j) {
        const uint8_t* entry =
            thresholdPage + SMART_TABLE_OFFSET + SMART_ENTRY_SIZE * static_cast<size_t>(j);
        if (entry[0] == id) {
            return entry[1];
        }
    }
    return 0;
}

}  // namespace

std::u16string_view SmartAttributeName(uint8_t id) {
    for (const CatalogueRow& row : SMART_ATTRIBUTE_CATALOGUE) {
        if (row.id == id) {
            return row.name;
        }
    }
    return u"Unknown Attribute";
}

void GradeSmartAttribute(SmartAttribute& attribute) {
    attribute.failing = FailsThreshold(attribute.current, attribute.threshold);
    attribute.warning = false;
    attribute.cause = attribute.failing ? CAUSE_AT_THRESHOLD : CAUSE_NONE;
    if (attribute.failing) {
        return;
    }
    if (IsTemperatureId(attribute.id)) {
        if (attribute.raw[0] > HOT_RAW_TEMPERATURE) {
            attribute.cause = CAUSE_HOT;
        } else if (attribute.current != 0 &&
                   NearThreshold(attribute.current, attribute.threshold)) {
            attribute.cause = CAUSE_NEAR_THRESHOLD;
        }
    } else if (IsSectorCountId(attribute.id) && AttributeRawValue(attribute) != 0) {
        attribute.cause = CAUSE_RAW_NOT_ZERO;
    }
    attribute.warning = attribute.cause != CAUSE_NONE;
}

bool ParseSmartPages(const uint8_t* dataPage, const uint8_t* thresholdPage, DriveInfo& drive) {
    drive.attributes.clear();
    for (int i = 0; i < SMART_TABLE_ENTRIES; ++i) {
        const uint8_t* entry =
            dataPage + SMART_TABLE_OFFSET + SMART_ENTRY_SIZE * static_cast<size_t>(i);
        if (entry[0] == 0) {
            continue;
        }
        SmartAttribute& row = drive.attributes.emplace_back();
        row.id = entry[0];
        row.flags = static_cast<uint16_t>(ReadLittleEndian(entry + 1, 2));
        row.preFailure = (row.flags & 1) != 0;
        row.current = entry[3];
        row.worst = entry[4];
        for (size_t b = 0; b < row.raw.size(); ++b) {
            row.raw[b] = entry[5 + b];
        }
        row.threshold = FindThreshold(thresholdPage, row.id);
        row.name.Set(SmartAttributeName(row.id));
        GradeSmartAttribute(row);
        if (IsTemperatureId(row.id) && drive.temperatureC < 0 &&
            row.raw[0] >= PLAUSIBLE_TEMPERATURE_MIN && row.raw[0] <= PLAUSIBLE_TEMPERATURE_MAX) {
            drive.temperatureC = row.raw[0];
        }
    }
    drive.smartAvailable = !drive.attributes.empty();
    drive.smartSource = SOURCE_ATA;
    drive.selfTest = ata::SelfTestFromDataPage(dataPage);
    return drive.smartAvailable;
}

bool ReadAtaSmart(DriveHandle handle, int driveNumber, DriveInfo& drive) {
    SendSmartEnable(handle, driveNumber);
    uint8_t dataPage[SMART_PAGE_SIZE];
    if (!ReadSmartPage(handle, driveNumber, SMART_FEATURE_READ_DATA, dataPage)) {
        return false;
    }
    uint8_t thresholdPage[SMART_PAGE_SIZE];
    const bool haveThresholds =
        ReadSmartPage(handle, driveNumber, SMART_FEATURE_READ_THRESHOLDS, thresholdPage);
    return ParseSmartPages(dataPage, haveThresholds ? thresholdPage : nullptr, drive);
}

}  // namespace corvanite
