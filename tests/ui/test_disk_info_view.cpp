#include "ui/disk_info_view.h"
#include "ui_test_support.h"

namespace corvanite::test {
namespace {

using DiskInfoViewTest = DisplayTest;

const Rect CONTENT_1200x750{228, 79, 1193, 715};

DriveInfo FullDrive() {
    DriveInfo drive = StartDriveRecord(2);
    drive.model.Set(u"Samsung SSD 970 EVO Plus 1TB");
    drive.serial.Set(u"S4EWNX0R123456");
    drive.firmware.Set(u"2B2QEXM7");
    drive.busName.Set(u"NVMe");
    drive.mediaType = MEDIA_NVME;
    drive.sizeBytes = 1000204886016ull;
    drive.health = HEALTH_GOOD;
    drive.healthDetails.Set(u"All attributes within thresholds");
    drive.smartSource = SOURCE_NVME;
    drive.smartAvailable = true;
    drive.temperatureC = 41;
    drive.lifeRemaining = 97;
    return drive;
}

struct Row {
    std::u16string_view label;
    std::u16string_view value;
    Color color;
};

// Checks the label and value boxes of the row whose top is y.
void ExpectRow(const DisplayList& list, const DrawOp* label, const Row& row, int32_t y) {
    ASSERT_NE(label, nullptr) << y;
    const DrawOp* value = label + 1;
    EXPECT_EQ(list.TextOf(*label), row.label);
    EXPECT_EQ(label->rect, (Rect{248, y, 400, y + 20}));
    EXPECT_EQ(label->color, COLOR_TEXT_DIM);
    EXPECT_EQ(label->align, ALIGN_LEFT);
    EXPECT_EQ(list.TextOf(*value), row.value);
    EXPECT_EQ(value->rect, (Rect{404, y, 1171, y + 20}));
    EXPECT_EQ(value->color, row.color);
    EXPECT_EQ(value->align, ALIGN_LEFT);
}

TEST_F(DiskInfoViewTest, SectionsAndRowsInOrderAtTheirPositions) {
    appState.drives.push_back(FullDrive());
    DrawDiskInfoView(list, CONTENT_1200x750);
    EXPECT_TRUE(out.buttons.empty());

    // Sections at T+12, +132, +208, +284; rows 22 apart, 24 below each strip.
    struct Section {
        std::u16string_view title;
        int32_t y;
        std::vector<Row> rows;
    };
    const Section sections[] = {
        {u">> DEVICE IDENTITY",
         91,
         {{u"Model", u"Samsung SSD 970 EVO Plus 1TB", COLOR_TEXT},
          {u"Serial", u"S4EWNX0R123456", COLOR_TEXT},
          {u"Firmware", u"2B2QEXM7", COLOR_TEXT},
          {u"Path", u"\\\\.\\PhysicalDrive2", COLOR_TEXT}}},
        {u">> STORAGE CAPACITY",
         211,
         {{u"Total Size", u"1.00 TB", COLOR_TEXT},
          {u"Raw Bytes", u"1000204886016 bytes", COLOR_TEXT}}},
        {u">> INTERFACE",
         287,
         {{u"Bus Type", u"NVMe", COLOR_TEXT}, {u"Drive Type", u"NVMe", COLOR_TEXT}}},
        {u">> HEALTH SUMMARY",
         363,
         {{u"Status", u"GOOD", COLOR_GOOD},
          {u"Details", u"All attributes within thresholds", COLOR_GOOD},
          {u"Temperature", u"41 C", COLOR_TEXT},
          {u"Life Remaining", u"97%", COLOR_GOOD}}},
    };
    for (const Section& section : sections) {
        const DrawOp* title = FindText(list, section.title);
        ASSERT_NE(title, nullptr);
        EXPECT_EQ(title->kind, DrawKind::TEXT_AT);
        EXPECT_EQ((Point{title->rect.left, title->rect.top}), (Point{248, section.y + 2}));
        EXPECT_EQ(title->color, COLOR_ACCENT);
        EXPECT_TRUE(HasFill(list, Rect{240, section.y, 1181, section.y + 20}, COLOR_PANEL_BG));
        EXPECT_EQ(PixelAt(list, 240, section.y + 20), COLOR_ACCENT);
        EXPECT_EQ(PixelAt(list, 1180, section.y + 20), COLOR_ACCENT);
        EXPECT_EQ(PixelAt(list, 1181, section.y + 20), 0u);
        int32_t y = section.y + 24;
        for (const Row& row : section.rows) {
            ExpectRow(list, FindText(list, row.label), row, y);
            y += 22;
        }
    }
    // 396 pixels from the top with every row present; no NVMe section without a warning.
    EXPECT_EQ(FindText(list, u"Life Remaining")->rect.bottom + 2, 79 + 396);
    EXPECT_EQ(Texts(list).size(), 4u + 2 * 12u);
}

TEST_F(DiskInfoViewTest, MissingTextsAndHiddenRows) {
    DriveInfo drive = StartDriveRecord(0);
    drive.model.Clear();
    drive.health = HEALTH_UNKNOWN;
    drive.errorText.Set(u"SMART read refused by the driver (error 1)");
    appState.drives.push_back(drive);
    DrawDiskInfoView(list, CONTENT_1200x750);
    const std::vector<std::u16string> expected = {u">> DEVICE IDENTITY",
                                                  u"Model",
                                                  u"-",
                                                  u"Serial",
                                                  u"-",
                                                  u"Firmware",
                                                  u"-",
                                                  u"Path",
                                                  u"\\\\.\\PhysicalDrive0",
                                                  u">> STORAGE CAPACITY",
                                                  u"Total Size",
                                                  u"0 MB",
                                                  u"Raw Bytes",
                                                  u"0 bytes",
                                                  u">> INTERFACE",
                                                  u"Bus Type",
                                                  u"",
                                                  u"Drive Type",
                                                  u"UNK",
                                                  u">> HEALTH SUMMARY",
                                                  u"Status",
                                                  u"N/A",
                                                  u"Details",
                                                  u"-",
                                                  u"Reason",
                                                  u"SMART read refused by the driver (error 1)"};
    EXPECT_EQ(Texts(list), expected);
    EXPECT_EQ(FindText(list, u"N/A")->color, COLOR_TEXT_DIM);
    EXPECT_EQ((FindText(list, u"Details") + 1)->color, COLOR_TEXT_DIM);
}

TEST_F(DiskInfoViewTest, TemperatureAndLifeBands) {
    struct Band {
        int32_t value;
        std::u16string_view text;
        Color color;
    };
    for (const Band& band : {Band{55, u"55 C", COLOR_TEXT}, Band{56, u"56 C", COLOR_WARN},
                             Band{65, u"65 C", COLOR_WARN}, Band{66, u"66 C", COLOR_CRIT}}) {
        list.Clear();
        DriveInfo drive = FullDrive();
        drive.temperatureC = band.value;
        appState.drives = {drive};
        DrawDiskInfoView(list, CONTENT_1200x750);
        ASSERT_NE(FindText(list, band.text), nullptr) << band.value;
        EXPECT_EQ(FindText(list, band.text)->color, band.color) << band.value;
    }
    for (const Band& band : {Band{0, u"0%", COLOR_CRIT}, Band{9, u"9%", COLOR_CRIT},
                             Band{10, u"10%", COLOR_WARN}, Band{24, u"24%", COLOR_WARN},
                             Band{25, u"25%", COLOR_GOOD}, Band{100, u"100%", COLOR_GOOD}}) {
        list.Clear();
        DriveInfo drive = FullDrive();
        drive.lifeRemaining = band.value;
        appState.drives = {drive};
        DrawDiskInfoView(list, CONTENT_1200x750);
        ASSERT_NE(FindText(list, band.text), nullptr) << band.value;
        EXPECT_EQ(FindText(list, band.text)->color, band.color) << band.value;
    }
    // -1 / 0 hide the temperature, -1 hides the life figure.
    for (int32_t temperature : {-1, 0}) {
        list.Clear();
        DriveInfo drive = FullDrive();
        drive.temperatureC = temperature;
        drive.lifeRemaining = -1;
        appState.drives = {drive};
        DrawDiskInfoView(list, CONTENT_1200x750);
        EXPECT_EQ(FindText(list, u"Temperature"), nullptr);
        EXPECT_EQ(FindText(list, u"Life Remaining"), nullptr);
    }
}

TEST_F(DiskInfoViewTest, NvmeCriticalWarningSection) {
    DriveInfo drive = FullDrive();
    drive.nvmeCriticalWarning = 0x09;
    appState.drives = {drive};
    DrawDiskInfoView(list, CONTENT_1200x750);
    const DrawOp* title = FindText(list, u">> NVMe CRITICAL WARNINGS");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->rect.top, 79 + 396 + 8 + 2);
    const DrawOp* spare = FindText(list, u"Available spare below threshold");
    ASSERT_NE(spare, nullptr);
    EXPECT_EQ(list.TextOf(*(spare - 1)), u"");
    EXPECT_EQ(spare->rect, (Rect{404, 79 + 428, 1171, 79 + 448}));
    EXPECT_EQ(spare->color, COLOR_CRIT);
    const DrawOp* readOnly = FindText(list, u"Media in read-only mode");
    ASSERT_NE(readOnly, nullptr);
    EXPECT_EQ(readOnly->rect.top, 79 + 450);
    EXPECT_EQ(readOnly->color, COLOR_WARN);
    EXPECT_EQ(Texts(list).back(), u"Media in read-only mode");

    // All five bits in order; bits 5 to 7 alone give the strip without rows.
    list.Clear();
    appState.drives[0].nvmeCriticalWarning = 0xFF;
    DrawDiskInfoView(list, CONTENT_1200x750);
    std::vector<std::u16string> texts = Texts(list);
    const std::vector<std::u16string> tail = {u">> NVMe CRITICAL WARNINGS",
                                              u"",
                                              u"Available spare below threshold",
                                              u"",
                                              u"Temperature exceeded threshold",
                                              u"",
                                              u"Reliability degraded",
                                              u"",
                                              u"Media in read-only mode",
                                              u"",
                                              u"Volatile memory backup failed"};
    ASSERT_GE(texts.size(), tail.size());
    EXPECT_EQ(
        std::vector<std::u16string>(texts.end() - static_cast<long>(tail.size()), texts.end()),
        tail);
    EXPECT_EQ(FindText(list, u"Volatile memory backup failed")->color, COLOR_CRIT);
    EXPECT_EQ(FindText(list, u"Reliability degraded")->color, COLOR_CRIT);

    list.Clear();
    appState.drives[0].nvmeCriticalWarning = 0xE0;
    DrawDiskInfoView(list, CONTENT_1200x750);
    EXPECT_EQ(Texts(list).back(), u">> NVMe CRITICAL WARNINGS");

    // An ATA drive never shows the section; an NVMe drive without a warning neither.
    for (auto [source, warning] : {std::pair{SOURCE_ATA, 0x1F}, std::pair{SOURCE_NVME, 0x00}}) {
        list.Clear();
        appState.drives[0].smartSource = source;
        appState.drives[0].nvmeCriticalWarning = static_cast<uint8_t>(warning);
        DrawDiskInfoView(list, CONTENT_1200x750);
        EXPECT_EQ(FindText(list, u">> NVMe CRITICAL WARNINGS"), nullptr);
    }
}

TEST_F(DiskInfoViewTest, EmptyListShowsOnlyTheLargeNotice) {
    DrawDiskInfoView(list, CONTENT_1200x750);
    ASSERT_EQ(list.ops.size(), 1u);
    EXPECT_EQ(list.TextOf(list.ops[0]), u"No drives detected.");
    EXPECT_EQ(list.ops[0].rect, CONTENT_1200x750);
    EXPECT_EQ(list.ops[0].font, FONT_LARGE);
    EXPECT_EQ(list.ops[0].align, ALIGN_CENTER);
}

}  // namespace
}  // namespace corvanite::test
