#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string_view>

#include "drives/drive_info.h"
#include "report/text_report.h"

namespace corvanite {
namespace {

TEST(DriveRecord, StartValues) {
    const DriveInfo d = StartDriveRecord(7);
    EXPECT_EQ(d.driveNumber, 7);
    EXPECT_EQ(d.devicePath, u"\\\\.\\PhysicalDrive7");
    EXPECT_EQ(d.model, u"PhysicalDrive7");
    EXPECT_TRUE(d.serial.empty());
    EXPECT_TRUE(d.firmware.empty());
    EXPECT_TRUE(d.busName.empty());
    EXPECT_EQ(d.sizeBytes, 0u);
    EXPECT_EQ(d.mediaType, MEDIA_UNKNOWN);
    EXPECT_EQ(d.health, HEALTH_GOOD);
    EXPECT_TRUE(d.attributes.empty());
    EXPECT_EQ(d.smartSource, SOURCE_NONE);
    EXPECT_FALSE(d.smartAvailable);
    EXPECT_EQ(d.temperatureC, -1);
    EXPECT_EQ(d.lifeRemaining, -1);
    EXPECT_TRUE(d.healthDetails.empty());
    EXPECT_TRUE(d.errorText.empty());
    EXPECT_EQ(d.nvmeCriticalWarning, 0);
    EXPECT_EQ(StartDriveRecord(15).devicePath, u"\\\\.\\PhysicalDrive15");
}

TEST(DriveRecord, TextsAreCutToTheirFieldAndNeverWrittenPast) {
    DriveInfo d;
    const std::u16string longText(300, u'x');
    d.model.Set(longText);
    d.serial.Set(longText);
    d.firmware.Set(longText);
    d.healthDetails.Set(longText);
    EXPECT_EQ(d.model.size(), 63u);
    EXPECT_EQ(d.serial.size(), 39u);
    EXPECT_EQ(d.firmware.size(), 15u);
    EXPECT_EQ(d.healthDetails.size(), 255u);
    EXPECT_EQ(d.firmware.units[15], 0);
    // The unit after the firmware field is the bus name, untouched.
    EXPECT_TRUE(d.busName.empty());

    // A cut never splits a surrogate pair.
    std::u16string emoji(14, u'a');
    emoji += u"\U0001F600";  // units 14 and 15
    d.firmware.Set(emoji);
    EXPECT_EQ(d.firmware.view(), std::u16string(14, u'a'));

    // A shorter text replaces a longer one entirely.
    d.model.Set(u"short");
    EXPECT_EQ(d.model, u"short");
    EXPECT_EQ(d.model.units[6], 0);
}

TEST(DriveRecord, CopyHasAnIndependentAttributeList) {
    DriveInfo a = StartDriveRecord(0);
    a.attributes.resize(30);
    a.attributes[29].id = 194;
    DriveInfo b = a;
    a.attributes.clear();
    ASSERT_EQ(b.attributes.size(), 30u);
    EXPECT_EQ(b.attributes[29].id, 194);
    EXPECT_EQ(b.model, u"PhysicalDrive0");
}

TEST(DriveRecord, FormatCapacityUnitsAndBoundaries) {
    EXPECT_EQ(FormatCapacity(0), u"0 MB");
    EXPECT_EQ(FormatCapacity(999999999), u"1000 MB");
    EXPECT_EQ(FormatCapacity(1000000000), u"1.0 GB");
    EXPECT_EQ(FormatCapacity(999999999999), u"1000.0 GB");
    EXPECT_EQ(FormatCapacity(1000000000000), u"1.00 TB");
    EXPECT_EQ(FormatCapacity(500107862016), u"500.1 GB");
    EXPECT_EQ(FormatCapacity(2000398934016), u"2.00 TB");
    EXPECT_EQ(FormatCapacity(120034123776), u"120.0 GB");
    EXPECT_EQ(FormatCapacity(16000900661248), u"16.00 TB");
    EXPECT_EQ(FormatCapacity(512000000), u"512 MB");
    EXPECT_EQ(FormatCapacity(UINT64_MAX), u"18446744.07 TB");
}

// GTK sets the locale from the environment; a German or French desktop writes "500,1" with
// printf. Capacities and the report keep the decimal point there.
TEST(DriveRecord, NumbersIgnoreADecimalCommaLocale) {
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "German_Germany.1252"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 500.1);
    if (chosen == nullptr || std::string_view(probe) != "500,1") {
        std::setlocale(LC_ALL, "C");
        GTEST_SKIP() << "no decimal-comma locale here (scripts/setup-deps generates de_DE.UTF-8)";
    }
    DriveInfo drive = StartDriveRecord(0);
    drive.sizeBytes = 500107862016;
    const std::u16string gb = FormatCapacity(drive.sizeBytes);
    const std::u16string tb = FormatCapacity(2000398934016);
    const std::u16string report = ReportText({drive});
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(gb, u"500.1 GB") << chosen;
    EXPECT_EQ(tb, u"2.00 TB") << chosen;
    EXPECT_NE(report.find(u"  Size   : 500.1 GB\r\n"), std::u16string::npos) << chosen;
}

TEST(DriveRecord, AttributeRawValueIs48BitLittleEndian) {
    SmartAttribute a;
    a.raw = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    EXPECT_EQ(AttributeRawValue(a), 6618611909121u);
    a.raw = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(AttributeRawValue(a), 281474976710655u);
    a.raw = {0, 0, 0, 0, 0, 0};
    EXPECT_EQ(AttributeRawValue(a), 0u);
}

TEST(DriveRecord, DisplayWords) {
    EXPECT_EQ(HealthWord(HEALTH_GOOD), u"GOOD");
    EXPECT_EQ(HealthWord(HEALTH_WARN), u"WARN");
    EXPECT_EQ(HealthWord(HEALTH_CRIT), u"CRIT");
    EXPECT_EQ(HealthWord(HEALTH_UNKNOWN), u"N/A");
    EXPECT_EQ(HealthWord(-1), u"N/A");
    EXPECT_EQ(HealthWord(42), u"N/A");
    EXPECT_EQ(MediaWord(MEDIA_UNKNOWN), u"UNK");
    EXPECT_EQ(MediaWord(MEDIA_HDD), u"HDD");
    EXPECT_EQ(MediaWord(MEDIA_SSD), u"SSD");
    EXPECT_EQ(MediaWord(MEDIA_NVME), u"NVMe");
    EXPECT_EQ(MediaWord(9), u"UNK");
    EXPECT_EQ(SourceLabel(SOURCE_NONE), u"N/A");
    EXPECT_EQ(SourceLabel(SOURCE_ATA), u"ATA");
    EXPECT_EQ(SourceLabel(SOURCE_NVME), u"NVMe");
    EXPECT_EQ(SourceLabel(7), u"N/A");
    SmartAttribute row;
    EXPECT_EQ(AttributeStatusWord(row), u"OK");
    row.warning = true;
    EXPECT_EQ(AttributeStatusWord(row), u"WARN");
    row.failing = true;
    EXPECT_EQ(AttributeStatusWord(row), u"FAIL");
}

}  // namespace
}  // namespace corvanite
