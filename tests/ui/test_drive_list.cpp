#include <algorithm>

#include "ui/buttons.h"
#include "ui/drive_list.h"
#include "ui_test_support.h"

namespace corvanite::test {
namespace {

using DriveListTest = DisplayTest;

const Rect PANEL_750{1, 37, 221, 721};  // client 1200 x 750

DriveInfo Card(int number, std::u16string_view model, HealthStatus health, MediaType media) {
    DriveInfo drive = StartDriveRecord(number);
    drive.model.Set(model);
    drive.busName.Set(u"SATA");
    drive.sizeBytes = 500107862016ull;
    drive.health = health;
    drive.mediaType = media;
    return drive;
}

TEST_F(DriveListTest, EmptyListShowsHeaderNoticeAndRefreshButton) {
    DrawDriveList(list, out, PANEL_750);
    EXPECT_EQ(Texts(list),
              (std::vector<std::u16string>{u"[DRIVES]", u"No drives found", u"[REFRESH]"}));
    const DrawOp* header = FindText(list, u"[DRIVES]");
    EXPECT_EQ(header->rect, (Rect{11, 37, 221, 65}));
    EXPECT_EQ(header->color, COLOR_ACCENT_ALT);
    EXPECT_EQ(header->align, ALIGN_LEFT);
    const DrawOp* notice = FindText(list, u"No drives found");
    EXPECT_EQ(notice->rect, (Rect{11, 85, 211, 125}));
    EXPECT_EQ(notice->align, ALIGN_TOP_CENTER);
    EXPECT_EQ(notice->color, COLOR_TEXT_DIM);
    // Header strip with its magenta rule on the last row.
    EXPECT_EQ(PixelAt(list, 100, 37), COLOR_PANEL_BG);
    EXPECT_EQ(PixelAt(list, 100, 64), COLOR_ACCENT_ALT);
    EXPECT_EQ(PixelAt(list, 220, 64), COLOR_ACCENT_ALT);

    ASSERT_EQ(RegisteredIds(out), (std::vector<int32_t>{BTN_REFRESH}));
    EXPECT_EQ(RegisteredRect(out, BTN_REFRESH), (Rect{11, 681, 211, 711}));

    // Drives the scan could not open: said after the notice, broken into lines that fit.
    appState.skippedDrivesText =
        u"2 disks could not be opened (access denied), run as administrator";
    list.Clear();
    DrawDriveList(list, out, PANEL_750);
    appState.skippedDrivesText.clear();
    EXPECT_EQ(Texts(list)[1],
              u"No drives found: 2\ndisks could not be\nopened (access\ndenied), "
              u"run as\nadministrator");
    const DrawOp* caption = FindText(list, u"[REFRESH]");
    EXPECT_EQ(caption->color, COLOR_ACCENT);
    EXPECT_EQ(PixelAt(list, 11, 690), COLOR_ACCENT);  // enabled border
}

TEST_F(DriveListTest, ScanningButtonIsDimButStillRegistered) {
    appState.scanning = true;
    DrawDriveList(list, out, PANEL_750);
    EXPECT_EQ(FindText(list, u"[REFRESH]"), nullptr);
    const DrawOp* caption = FindText(list, u"[SCANNING...]");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->color, COLOR_TEXT_DIM);
    EXPECT_EQ(PixelAt(list, 11, 690), COLOR_TEXT_DIM);
    EXPECT_EQ(HitTest(out, Point{100, 700}), BTN_REFRESH);
}

TEST_F(DriveListTest, CardsShowNumberBadgeModelSizeAndHealthAtFixedRows) {
    appState.drives.push_back(Card(3, u"Samsung SSD 860 EVO", HEALTH_WARN, MEDIA_SSD));
    appState.drives.push_back(Card(0, u"WDC WD5000", HEALTH_GOOD, MEDIA_NVME));
    appState.selectedDrive = 1;
    DrawDriveList(list, out, PANEL_750);

    // Card 0 at y = 65: the drive number of the device name, not the list position.
    const DrawOp* number = FindText(list, u"[3]");
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->kind, DrawKind::TEXT_AT);
    EXPECT_EQ((Point{number->rect.left, number->rect.top}), (Point{25, 73}));
    EXPECT_EQ(number->color, COLOR_ACCENT);
    const DrawOp* model = FindText(list, u"Samsung SSD 860 ..");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ((Point{model->rect.left, model->rect.top}), (Point{11, 89}));
    EXPECT_EQ(model->color, COLOR_TEXT);
    ASSERT_EQ(CountText(list, u"500.1 GB  SATA"), 2u);
    const DrawOp* size = FindText(list, u"500.1 GB  SATA");
    EXPECT_EQ((Point{size->rect.left, size->rect.top}), (Point{11, 105}));
    EXPECT_EQ(size->color, COLOR_TEXT_SECONDARY);
    const DrawOp* badge = FindText(list, u"SSD");
    ASSERT_NE(badge, nullptr);
    EXPECT_EQ(badge->rect, (Rect{175, 71, 215, 87}));
    EXPECT_EQ(badge->align, ALIGN_CENTER);
    EXPECT_EQ(badge->color, COLOR_TEXT_SECONDARY);
    EXPECT_EQ(PixelAt(list, 175, 71), COLOR_BORDER);
    EXPECT_EQ(PixelAt(list, 174, 70), ScaleColor(COLOR_BORDER, 0.2f));
    EXPECT_EQ(PixelAt(list, 190, 80), COLOR_BUTTON_BG);
    const DrawOp* word = FindText(list, u"WARN");
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(word->rect, (Rect{11, 115, 211, 131}));
    EXPECT_EQ(word->color, COLOR_WARN);
    EXPECT_EQ(PixelAt(list, 13, 75), COLOR_WARN);  // health square (13..20, 75..82)
    EXPECT_EQ(PixelAt(list, 20, 82), COLOR_WARN);
    EXPECT_EQ(PixelAt(list, 21, 82), COLOR_SURFACE);
    EXPECT_EQ(PixelAt(list, 12, 75), COLOR_SURFACE);
    // Divider on the card's last row, 8 pixels in from each side.
    EXPECT_EQ(PixelAt(list, 9, 132), COLOR_SEPARATOR);
    EXPECT_EQ(PixelAt(list, 212, 132), COLOR_SEPARATOR);
    EXPECT_EQ(PixelAt(list, 8, 132), COLOR_SURFACE);

    // Card 1 at y = 133, selected: cyan marker and selected fill.
    const DrawOp* second = FindText(list, u"[0]");
    EXPECT_EQ((Point{second->rect.left, second->rect.top}), (Point{25, 141}));
    EXPECT_EQ(FindText(list, u"NVMe")->rect, (Rect{175, 139, 215, 155}));
    EXPECT_EQ(FindText(list, u"GOOD")->color, COLOR_GOOD);
    EXPECT_EQ(PixelAt(list, 1, 133), COLOR_ACCENT);
    EXPECT_EQ(PixelAt(list, 3, 200), COLOR_ACCENT);
    EXPECT_EQ(PixelAt(list, 4, 200), COLOR_ROW_SELECTED);
    EXPECT_EQ(PixelAt(list, 100, 170), COLOR_ROW_SELECTED);
    EXPECT_EQ(PixelAt(list, 100, 100), COLOR_SURFACE);
}

TEST_F(DriveListTest, SelectionWinsOverHoverAndHoverTintsOtherCards) {
    appState.drives.push_back(Card(0, u"A", HEALTH_GOOD, MEDIA_HDD));
    appState.drives.push_back(Card(1, u"B", HEALTH_GOOD, MEDIA_HDD));
    appState.selectedDrive = 0;
    appState.hoverDriveRow = 0;
    DrawDriveList(list, out, PANEL_750);
    EXPECT_EQ(PixelAt(list, 100, 100), COLOR_ROW_SELECTED);
    EXPECT_EQ(PixelAt(list, 2, 100), COLOR_ACCENT);
    EXPECT_EQ(PixelAt(list, 100, 150), COLOR_SURFACE);

    list.Clear();
    appState.hoverDriveRow = 1;
    DrawDriveList(list, out, PANEL_750);
    EXPECT_EQ(PixelAt(list, 100, 150), COLOR_ROW_HOVER);
    EXPECT_EQ(PixelAt(list, 2, 150), COLOR_ROW_HOVER);
}

TEST_F(DriveListTest, HealthWordsAndColours) {
    appState.drives.push_back(Card(0, u"A", HEALTH_UNKNOWN, MEDIA_HDD));
    appState.drives.push_back(Card(1, u"B", HEALTH_CRIT, MEDIA_UNKNOWN));
    appState.drives.push_back(Card(2, u"C", 7, MEDIA_HDD));
    DrawDriveList(list, out, PANEL_750);
    EXPECT_EQ(FindText(list, u"-- N/A --")->color, COLOR_TEXT_DIM);
    EXPECT_EQ(PixelAt(list, 15, 78), COLOR_TEXT_DIM);
    EXPECT_EQ(FindText(list, u"CRIT")->color, COLOR_CRIT);
    EXPECT_EQ(FindText(list, u"UNK")->rect.top, 139);
    EXPECT_EQ(FindText(list, u"N/A")->color, COLOR_TEXT_DIM);
    EXPECT_EQ(FindText(list, u"N/A")->rect.top, 65 + 2 * 68 + 50);
}

// Sixteen drives in the smallest window (panel (1, 37, 221, 551)): the cards are clipped above
// the refresh button, narrowed beside a scroll bar, and only the shown ones are registered.
TEST_F(DriveListTest, CardsThatDoNotFitScrollWithAThumb) {
    for (int i = 0; i < 16; ++i) {
        appState.drives.push_back(Card(i, u"M", HEALTH_GOOD, MEDIA_HDD));
    }
    const Rect panel{1, 37, 221, 551};
    const struct {
        int32_t scroll;
        int32_t firstShown;
        int32_t thumbTop;
        size_t shown;
    } cases[] = {{0, 0, 65, 7}, {4, 4, 65 + 110, 7}, {10, 10, 65 + 277, 6}, {99, 10, 65 + 277, 6}};
    for (const auto& c : cases) {
        list.Clear();
        out.Clear();
        appState.driveScroll = c.scroll;
        DrawDriveList(list, out, panel);
        EXPECT_EQ(out.driveScrollMax, 10);
        EXPECT_EQ(out.driveScroll, std::min(c.scroll, 10));
        EXPECT_EQ(PushClipRect(list), (Rect{1, 65, 221, 507}));
        // Up to seven cards drawn, a seventh cut at y 507; each registered with its drive index.
        ASSERT_EQ(out.driveRows.size(), c.shown);
        EXPECT_EQ(out.driveRows[0].drive, c.firstShown);
        EXPECT_EQ(out.driveRows.back().drive, c.firstShown + static_cast<int32_t>(c.shown) - 1);
        EXPECT_EQ(out.driveRows[0].rect, (Rect{1, 65, 222, 133}));
        EXPECT_EQ(out.driveRows.back().rect.bottom, c.shown == 7 ? 507 : 473);
        EXPECT_EQ(FindText(list, u"HDD")->rect, (Rect{166, 71, 206, 87}));
        // Track (213..219, 65..506) and a thumb of 442 x 6 / 16 = 165 pixels.
        EXPECT_EQ(PixelAt(list, 216, c.thumbTop), COLOR_BORDER) << c.scroll;
        EXPECT_EQ(PixelAt(list, 216, c.thumbTop + 164), COLOR_BORDER) << c.scroll;
        EXPECT_NE(PixelAt(list, 216, c.thumbTop + 165), COLOR_BORDER) << c.scroll;
        EXPECT_EQ(PixelAt(list, 100, 508), 0u);  // nothing between the list's end and the button
    }
    appState.driveScroll = 0;
}

TEST(ShortenModel, KeepsEighteenCharactersAndCutsLongerModelsToSixteenAndTwoDots) {
    EXPECT_EQ(ShortenModel(u""), u"");
    EXPECT_EQ(ShortenModel(u"ABCDEFGHIJKLMNOPQR"), u"ABCDEFGHIJKLMNOPQR");
    EXPECT_EQ(ShortenModel(u"ABCDEFGHIJKLMNOPQRS"), u"ABCDEFGHIJKLMNOP..");
    const std::u16string full(63, u'x');
    EXPECT_EQ(ShortenModel(full), std::u16string(16, u'x') + u"..");
    // A pair of surrogates is never split at the cut.
    std::u16string astral = std::u16string(15, u'a') + u"\U0001F4BE" + u"zzz";
    EXPECT_EQ(ShortenModel(astral), std::u16string(15, u'a') + u"..");
}

}  // namespace
}  // namespace corvanite::test
