#include <gtest/gtest.h>

#include "drives/health.h"
#include "drives/nvme_health.h"
#include "smart_pages.h"

namespace corvanite {
namespace {

DriveInfo Parse(const test::NvmeLog& log) {
    DriveInfo d = StartDriveRecord(0);
    const test::Page page = test::NvmeLogPage(log);
    EXPECT_TRUE(ParseNvmeHealthLog(page.data(), d));
    return d;
}

TEST(NvmeHealth, TypicalDriveRowsAndFigures) {
    const DriveInfo d = Parse({.kelvin = 318,
                               .spare = 100,
                               .spareThreshold = 10,
                               .percentageUsed = 3,
                               .powerOnHoursLow = 12345,
                               .mediaErrorsLow = 0});
    EXPECT_TRUE(d.smartAvailable);
    EXPECT_EQ(d.smartSource, SOURCE_NVME);
    EXPECT_EQ(d.temperatureC, 45);
    EXPECT_EQ(d.lifeRemaining, 97);
    EXPECT_EQ(d.nvmeAvailableSpare, 100);
    EXPECT_EQ(d.nvmeSpareThreshold, 10);
    EXPECT_EQ(d.nvmePercentageUsed, 3);
    EXPECT_EQ(d.nvmeCriticalWarning, 0);
    ASSERT_EQ(d.attributes.size(), 5u);

    struct Row {
        uint8_t id;
        const char16_t* name;
        uint8_t current, threshold;
        uint64_t raw;
    };
    const Row expected[] = {
        {194, u"Composite Temperature (C)", 45, 0, 45}, {190, u"Available Spare (%)", 100, 10, 100},
        {231, u"Percentage Used (%)", 97, 0, 3},        {9, u"Power-On Hours", 0, 0, 12345},
        {198, u"Media Integrity Errors", 200, 1, 0},
    };
    for (size_t i = 0; i < 5; ++i) {
        const SmartAttribute& a = d.attributes[i];
        EXPECT_EQ(a.id, expected[i].id);
        EXPECT_EQ(a.name, expected[i].name);
        EXPECT_EQ(a.current, expected[i].current) << i;
        EXPECT_EQ(a.threshold, expected[i].threshold) << i;
        EXPECT_EQ(AttributeRawValue(a), expected[i].raw) << i;
        EXPECT_EQ(a.worst, 0);
        EXPECT_EQ(a.flags, 0);
        EXPECT_FALSE(a.failing || a.warning) << i;
    }
}

TEST(NvmeHealth, CompositeTemperature) {
    EXPECT_EQ(Parse({.kelvin = 274}).temperatureC, 1);
    const DriveInfo none = Parse({.kelvin = 273});
    EXPECT_EQ(none.temperatureC, -1);
    EXPECT_EQ(none.attributes[0].current, 255);
    EXPECT_EQ(AttributeRawValue(none.attributes[0]), 281474976710655u);
    EXPECT_EQ(Parse({.kelvin = 0}).temperatureC, -1);
    const DriveInfo hot = Parse({.kelvin = 273 + 300});
    EXPECT_EQ(hot.temperatureC, 300);
    EXPECT_EQ(hot.attributes[0].current, 255);
    EXPECT_EQ(AttributeRawValue(hot.attributes[0]), 300u);
    EXPECT_EQ(Parse({.kelvin = 273 + 254}).attributes[0].current, 254);
    EXPECT_EQ(Parse({.kelvin = 0xFFFF}).temperatureC, 0xFFFF - 273);
}

TEST(NvmeHealth, SpareThresholdRule) {
    const auto spare = [](uint8_t value, uint8_t threshold) {
        return Parse({.spare = value, .spareThreshold = threshold}).attributes[1];
    };
    EXPECT_FALSE(spare(100, 10).failing || spare(100, 10).warning);
    EXPECT_TRUE(spare(15, 10).warning);
    EXPECT_FALSE(spare(15, 10).failing);
    EXPECT_FALSE(spare(20, 10).warning);
    EXPECT_TRUE(spare(10, 10).failing);
    EXPECT_FALSE(spare(10, 10).warning);
    EXPECT_TRUE(spare(0, 10).failing);
    EXPECT_FALSE(spare(0, 0).failing || spare(0, 0).warning);
    EXPECT_FALSE(spare(255, 250).failing || spare(255, 250).warning);  // 250 + 10 wraps to 4
}

TEST(NvmeHealth, PercentageUsedAndLife) {
    DriveInfo d = Parse({.percentageUsed = 120});
    EXPECT_EQ(d.lifeRemaining, 0);
    EXPECT_EQ(d.nvmePercentageUsed, 120);
    EXPECT_EQ(d.attributes[2].current, 0);
    EXPECT_EQ(AttributeRawValue(d.attributes[2]), 120u);
    d = Parse({.percentageUsed = 100});
    EXPECT_EQ(d.lifeRemaining, 0);
    d = Parse({.percentageUsed = 255});
    EXPECT_EQ(d.lifeRemaining, 0);
    EXPECT_EQ(AttributeRawValue(d.attributes[2]), 255u);
}

TEST(NvmeHealth, CriticalWarningAndMediaErrors) {
    DriveInfo d = Parse({.criticalWarning = 0x04, .kelvin = 300});
    ASSERT_EQ(d.attributes.size(), 6u);
    const uint8_t order[] = {194, 190, 231, 187, 9, 198};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(d.attributes[i].id, order[i]);
    }
    const SmartAttribute& warning = d.attributes[3];
    EXPECT_EQ(warning.name, u"Critical Warning Flags");
    EXPECT_EQ(warning.current, 0);
    EXPECT_EQ(warning.threshold, 1);
    EXPECT_EQ(AttributeRawValue(warning), 4u);
    EXPECT_TRUE(warning.failing);
    EXPECT_FALSE(warning.warning);
    EXPECT_EQ(d.nvmeCriticalWarning, 0x04);
    AssessHealth(d);
    EXPECT_EQ(d.health, HEALTH_CRIT);

    d = Parse({.mediaErrorsLow = 3});
    EXPECT_EQ(d.attributes[4].current, 0);
    EXPECT_TRUE(d.attributes[4].failing);
    EXPECT_EQ(AttributeRawValue(d.attributes[4]), 3u);
    // A count whose low 48 bits are zero still counts as errors; the high 8 bytes are not read.
    d = Parse({.mediaErrorsLow = uint64_t{1} << 50});
    EXPECT_TRUE(d.attributes[4].failing);
    EXPECT_EQ(AttributeRawValue(d.attributes[4]), 0u);
    d = Parse({.mediaErrorsHigh = 7});
    EXPECT_FALSE(d.attributes[4].failing);
    EXPECT_EQ(d.attributes[4].current, 200);
}

TEST(NvmeHealth, PowerOnHoursKeepsLow48Bits) {
    const DriveInfo d = Parse({.powerOnHoursLow = 0xABCD000000001234, .powerOnHoursHigh = 9});
    EXPECT_EQ(AttributeRawValue(d.attributes[3]), 0x000000001234u);
}

TEST(NvmeHealth, WordsOfTheCriticalWarningBits) {
    EXPECT_EQ(CriticalWarningText(0), u"Available spare below threshold");
    EXPECT_EQ(CriticalWarningText(1), u"Temperature exceeded threshold");
    EXPECT_EQ(CriticalWarningText(2), u"Reliability degraded");
    EXPECT_EQ(CriticalWarningText(3), u"Media in read-only mode");
    EXPECT_EQ(CriticalWarningText(4), u"Volatile memory backup failed");
    EXPECT_TRUE(CriticalWarningText(5).empty());
    EXPECT_TRUE(CriticalWarningText(7).empty());
}

}  // namespace
}  // namespace corvanite
