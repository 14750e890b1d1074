#include "ui/buttons.h"
#include "ui/smart_view.h"
#include "ui_test_support.h"

namespace corvanite::test {
namespace {

using SmartViewTest = DisplayTest;

const Rect CONTENT_1200x750{228, 79, 1193, 715};
const Rect CONTENT_800x580{228, 79, 793, 545};

// The scroll thumb: the BORDER fill inside the track column, or an empty rect.
Rect Thumb(const DisplayList& list, int32_t trackLeft) {
    for (const DrawOp& op : list.ops) {
        if (op.kind == DrawKind::FILL && op.color == COLOR_BORDER &&
            op.rect.left == trackLeft + 1) {
            return op.rect;
        }
    }
    return Rect{};
}

// Row tops of the drawn ID cells, in order.
std::vector<std::u16string> IdCells(const DisplayList& list) {
    std::vector<std::u16string> ids;
    for (const DrawOp& op : list.ops) {
        if (op.kind == DrawKind::TEXT_IN_RECT && op.rect.left == 243 && op.rect.right == 273) {
            ids.emplace_back(list.TextOf(op));
        }
    }
    return ids;
}

TEST_F(SmartViewTest, DefaultWindowMeasuresAndThirtyAttributes) {
    const SmartViewLayout layout = ComputeSmartViewLayout(CONTENT_1200x750);
    EXPECT_EQ(layout.card, (Rect{240, 91, 1181, 171}));
    EXPECT_EQ(layout.tableHeader, (Rect{240, 181, 1167, 203}));
    EXPECT_EQ(layout.bodyTop, 203);
    EXPECT_EQ(layout.bodyBottom, 661);
    EXPECT_EQ(layout.bodyHeight, 458);
    EXPECT_EQ(layout.visibleRows, 22);
    EXPECT_EQ(layout.scrollTrack, (Rect{1169, 203, 1179, 661}));
    EXPECT_EQ(layout.exportButton, (Rect{1041, 677, 1171, 707}));

    appState.drives.push_back(DriveWithAttributes(30));
    appState.smartScroll = 4;
    DrawSmartView(list, out, CONTENT_1200x750);
    EXPECT_EQ(out.smartScrollMax, 8);
    EXPECT_EQ(out.smartScroll, 4);
    EXPECT_EQ(PixelAt(list, 240, 91), COLOR_BORDER);
    EXPECT_EQ(PixelAt(list, 239, 90), ScaleColor(COLOR_BORDER, 0.2f));
    EXPECT_EQ(PixelAt(list, 600, 120), COLOR_PANEL_BG);
    EXPECT_GE(FindOp(list, DrawKind::OUTLINE, Rect{240, 181, 1167, 203}, COLOR_BORDER), 0);
    EXPECT_TRUE(HasFill(list, Rect{1169, 203, 1179, 661}, COLOR_PANEL_BG));
    EXPECT_GE(FindOp(list, DrawKind::OUTLINE, Rect{1169, 203, 1179, 661}, COLOR_SEPARATOR), 0);
    // 458 x 22 / 30 = 335 high; 4 / 8 x 123 = 61.5 below the track top.
    EXPECT_EQ(Thumb(list, 1169), (Rect{1170, 264, 1178, 599}));

    // Column titles.
    EXPECT_EQ(FindText(list, u"ID")->rect, (Rect{242, 183, 272, 201}));
    EXPECT_EQ(FindText(list, u"ATTRIBUTE NAME")->rect, (Rect{276, 183, 899, 201}));
    EXPECT_EQ(FindText(list, u"ATTRIBUTE NAME")->align, ALIGN_LEFT);
    EXPECT_EQ(FindText(list, u"CUR")->rect, (Rect{903, 183, 937, 201}));
    EXPECT_EQ(FindText(list, u"WST")->rect, (Rect{941, 183, 975, 201}));
    EXPECT_EQ(FindText(list, u"THR")->rect, (Rect{979, 183, 1013, 201}));
    EXPECT_EQ(FindText(list, u"RAW VALUE")->rect, (Rect{1017, 183, 1093, 201}));
    EXPECT_EQ(FindText(list, u"STATUS")->rect, (Rect{1097, 183, 1165, 201}));
    EXPECT_EQ(FindText(list, u"STATUS")->align, ALIGN_CENTER);
    EXPECT_EQ(FindText(list, u"STATUS")->color, COLOR_TEXT_DIM);

    // Rows 4 to 25 shown; the stripe follows the attribute index.
    const std::vector<std::u16string> ids = IdCells(list);
    ASSERT_EQ(ids.size(), 22u);
    EXPECT_EQ(ids.front(), u"05");
    EXPECT_EQ(ids.back(), u"1A");
    EXPECT_EQ(PixelAt(list, 600, 203), COLOR_SURFACE);  // attribute 4
    EXPECT_EQ(PixelAt(list, 600, 223), COLOR_ROW_ALT);  // attribute 5
    EXPECT_EQ(PixelAt(list, 600, 642), COLOR_ROW_ALT);  // attribute 25, the last row
    EXPECT_EQ(PixelAt(list, 600, 643), 0u);             // 22 rows leave 18 pixels free

    ASSERT_EQ(RegisteredIds(out), (std::vector<int32_t>{BTN_EXPORT}));
    EXPECT_EQ(RegisteredRect(out, BTN_EXPORT), (Rect{1041, 677, 1171, 707}));
    EXPECT_EQ(FindText(list, u"[EXPORT REPORT]")->color, COLOR_ACCENT_ALT);
}

TEST_F(SmartViewTest, ScrolledToTheEndShowsTheLastRowsAndThumbAtTheBottom) {
    appState.drives.push_back(DriveWithAttributes(30));
    appState.smartScroll = 50;
    DrawSmartView(list, out, CONTENT_1200x750);
    EXPECT_EQ(out.smartScroll, 8);
    const std::vector<std::u16string> ids = IdCells(list);
    ASSERT_EQ(ids.size(), 22u);
    EXPECT_EQ(ids.front(), u"09");
    EXPECT_EQ(ids.back(), u"1E");
    EXPECT_EQ(Thumb(list, 1169), (Rect{1170, 326, 1178, 661}));
}

TEST_F(SmartViewTest, MinimumWindowMeasures) {
    const SmartViewLayout layout = ComputeSmartViewLayout(CONTENT_800x580);
    EXPECT_EQ(layout.tableWidth, 527);
    EXPECT_EQ(layout.bodyTop, 203);
    EXPECT_EQ(layout.bodyBottom, 491);
    EXPECT_EQ(layout.bodyHeight, 288);
    EXPECT_EQ(layout.visibleRows, 14);

    appState.drives.push_back(DriveWithAttributes(30));
    DrawSmartView(list, out, CONTENT_800x580);
    EXPECT_EQ(out.smartScrollMax, 16);
    EXPECT_EQ(Thumb(list, 769), (Rect{770, 203, 778, 337}));  // 288 x 14 / 30 = 134
    // The name column spans 276 to 501.
    EXPECT_EQ(FindText(list, u"ATTRIBUTE NAME")->rect, (Rect{276, 183, 499, 201}));
    EXPECT_EQ(FindText(list, u"CUR")->rect.left, 503);
    EXPECT_EQ(RegisteredRect(out, BTN_EXPORT), (Rect{641, 507, 771, 537}));

    // Halfway: 8 / 16 x (288 - 134) = 77 below the track top.
    list.Clear();
    appState.smartScroll = 8;
    DrawSmartView(list, out, CONTENT_800x580);
    EXPECT_EQ(Thumb(list, 769), (Rect{770, 280, 778, 414}));
}

TEST_F(SmartViewTest, ShortTablesHaveNoScrollBarAndPullALeftoverScrollBack) {
    appState.drives.push_back(DriveWithAttributes(22));
    appState.smartScroll = 5;
    out.smartScrollMax = 9;
    DrawSmartView(list, out, CONTENT_1200x750);
    EXPECT_EQ(out.smartScrollMax, 0);
    EXPECT_EQ(out.smartScroll, 0);
    EXPECT_FALSE(HasFill(list, Rect{1169, 203, 1179, 661}, COLOR_PANEL_BG));
    EXPECT_EQ(Thumb(list, 1169), Rect{});
    EXPECT_EQ(IdCells(list).size(), 22u);
}

TEST_F(SmartViewTest, RowsAreClippedToTheTableBody) {
    appState.drives.push_back(DriveWithAttributes(30));
    DrawSmartView(list, out, CONTENT_1200x750);
    const int push = FindOp(list, DrawKind::CLIP_PUSH, Rect{240, 203, 1167, 661}, 0);
    ASSERT_GE(push, 0);
    const DrawOp* firstRowFill = nullptr;
    int pop = -1;
    for (size_t i = static_cast<size_t>(push); i < list.ops.size(); ++i) {
        if (list.ops[i].kind == DrawKind::CLIP_POP) {
            pop = static_cast<int>(i);
            break;
        }
        if (firstRowFill == nullptr && list.ops[i].kind == DrawKind::FILL) {
            firstRowFill = &list.ops[i];
        }
    }
    ASSERT_GT(pop, push);
    ASSERT_NE(firstRowFill, nullptr);
    EXPECT_EQ(firstRowFill->rect, (Rect{240, 203, 1167, 223}));
    // Everything that follows the clip is the export button.
    EXPECT_EQ(Texts(list).back(), u"[EXPORT REPORT]");
}

TEST_F(SmartViewTest, CellTextsFormatsAndColours) {
    DriveInfo drive = DriveWithAttributes(0);
    drive.smartAvailable = true;
    SmartAttribute failing;
    failing.id = 0x0A;
    failing.name.Set(u"Spin Retry Count");
    failing.current = 0;
    failing.worst = 0;
    failing.threshold = 0;
    failing.raw = {0x15, 0xCD, 0x5B, 0x07, 0, 0};  // 123456789: nine digits fit
    failing.failing = true;
    SmartAttribute warning;
    warning.id = 0xC2;
    warning.name.Set(u"Temperature");
    warning.current = 7;
    warning.worst = 253;
    warning.threshold = 45;
    warning.warning = true;
    SmartAttribute ok;
    ok.id = 0xFF;
    ok.name.Set(u"Ok");
    ok.current = 100;
    ok.worst = 100;
    drive.attributes = {failing, warning, ok};
    appState.drives.push_back(drive);
    DrawSmartView(list, out, CONTENT_1200x750);

    // Row 0 (y 203): FAIL with "-" for the empty values and a red marker.
    const DrawOp* id = FindText(list, u"0A");
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(id->rect, (Rect{243, 204, 273, 222}));
    EXPECT_EQ(id->color, COLOR_TEXT_DIM);
    const DrawOp* name = FindText(list, u"Spin Retry Count");
    EXPECT_EQ(name->rect, (Rect{277, 204, 900, 222}));
    EXPECT_EQ(name->align, ALIGN_LEFT);
    EXPECT_EQ(name->color, COLOR_TEXT_SECONDARY);
    EXPECT_EQ(CountText(list, u"-"), 4u);  // three of row 0, the threshold of row 2
    const DrawOp* raw = FindText(list, u"123456789");
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->rect, (Rect{1018, 204, 1094, 222}));
    EXPECT_EQ(raw->align, ALIGN_RIGHT);
    EXPECT_EQ(raw->color, COLOR_TEXT_SECONDARY);
    const DrawOp* fail = FindText(list, u"[FAIL]");
    EXPECT_EQ(fail->rect, (Rect{1098, 204, 1166, 222}));
    EXPECT_EQ(fail->color, COLOR_CRIT);
    EXPECT_EQ(PixelAt(list, 241, 210), COLOR_CRIT);
    EXPECT_EQ(PixelAt(list, 242, 210), COLOR_SURFACE);

    // Row 1 (y 223): WARN with its numbers in their colours.
    EXPECT_EQ(FindText(list, u"C2")->rect.top, 224);
    const DrawOp* current = FindText(list, u"7");
    EXPECT_EQ(current->rect, (Rect{904, 224, 938, 242}));
    EXPECT_EQ(current->color, COLOR_TEXT);
    const DrawOp* worst = FindText(list, u"253");
    EXPECT_EQ(worst->rect, (Rect{942, 224, 976, 242}));
    EXPECT_EQ(worst->color, COLOR_TEXT_SECONDARY);
    const DrawOp* threshold = FindText(list, u"45");
    EXPECT_EQ(threshold->rect, (Rect{980, 224, 1014, 242}));
    EXPECT_EQ(threshold->color, COLOR_TEXT_DIM);
    EXPECT_EQ(FindText(list, u"[WARN]")->color, COLOR_WARN);
    EXPECT_EQ(PixelAt(list, 240, 230), COLOR_WARN);
    EXPECT_EQ(PixelAt(list, 242, 230), COLOR_ROW_ALT);

    // Row 2: OK, green tag, no marker.
    EXPECT_EQ(FindText(list, u"FF")->rect.top, 244);
    EXPECT_EQ(FindText(list, u"[ OK ]")->color, COLOR_GOOD);
    EXPECT_EQ(PixelAt(list, 240, 250), COLOR_SURFACE);
}

TEST_F(SmartViewTest, RawColumnWidensForLongRawValuesSoNoDigitIsCut) {
    DriveInfo drive = DriveWithAttributes(2);
    EXPECT_EQ(SmartRawColumnWidth(drive), 80);
    drive.attributes[1].raw = {0xFF, 0xC9, 0x9A, 0x3B, 0, 0};  // 999999999
    EXPECT_EQ(SmartRawColumnWidth(drive), 80);
    drive.attributes[1].raw = {0x00, 0xCA, 0x9A, 0x3B, 0, 0};  // 1000000000
    EXPECT_EQ(SmartRawColumnWidth(drive), 88);
    drive.attributes[0].raw = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};  // 281474976710655
    EXPECT_EQ(SmartRawColumnWidth(drive), 128);

    // Raw bytes 01 02 03 04 05 06: 13 digits, 112 pixels; the columns left of it move 32 left.
    drive = DriveWithAttributes(1);
    drive.attributes[0].raw = {1, 2, 3, 4, 5, 6};
    appState.drives.push_back(drive);
    DrawSmartView(list, out, CONTENT_1200x750);
    const DrawOp* raw = FindText(list, u"6618611909121");
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->rect, (Rect{986, 204, 1094, 222}));
    EXPECT_EQ(raw->align, ALIGN_RIGHT);
    EXPECT_EQ(FindText(list, u"RAW VALUE")->rect, (Rect{985, 183, 1093, 201}));
    EXPECT_EQ(FindText(list, u"THR")->rect, (Rect{947, 183, 981, 201}));
    EXPECT_EQ(FindText(list, u"WST")->rect, (Rect{909, 183, 943, 201}));
    EXPECT_EQ(FindText(list, u"CUR")->rect, (Rect{871, 183, 905, 201}));
    EXPECT_EQ(FindText(list, u"ATTRIBUTE NAME")->rect, (Rect{276, 183, 867, 201}));
    EXPECT_EQ(FindText(list, u"Attribute")->rect, (Rect{277, 204, 868, 222}));
    EXPECT_EQ(FindText(list, u"STATUS")->rect, (Rect{1097, 183, 1165, 201}));
    EXPECT_EQ(FindText(list, u"ID")->rect, (Rect{242, 183, 272, 201}));
}

TEST_F(SmartViewTest, HeaderCardLinesAndHealthBlock) {
    DriveInfo drive = DriveWithAttributes(3);
    drive.temperatureC = 56;
    drive.health = HEALTH_WARN;
    appState.drives.push_back(drive);
    DrawSmartView(list, out, CONTENT_1200x750);

    struct Line {
        std::u16string_view label;
        std::u16string_view value;
        Color color;
    };
    const Line lines[] = {{u"MODEL  :", u"TEST MODEL", COLOR_TEXT},
                          {u"SERIAL :", u"SN123", COLOR_TEXT},
                          {u"SIZE   :", u"500.1 GB  SATA  HDD", COLOR_TEXT},
                          {u"TEMP   :", u"56 C  FW:FW1", COLOR_WARN}};
    int32_t y = 99;
    for (const Line& line : lines) {
        const DrawOp* label = FindText(list, line.label);
        ASSERT_NE(label, nullptr) << y;
        EXPECT_EQ(label->rect, (Rect{250, y, 325, y + 18}));
        EXPECT_EQ(label->color, COLOR_TEXT_DIM);
        const DrawOp* value = FindText(list, line.value);
        ASSERT_NE(value, nullptr) << y;
        EXPECT_EQ(value->rect, (Rect{330, y, 1121, y + 18}));
        EXPECT_EQ(value->color, line.color);
        EXPECT_EQ(value->align, ALIGN_LEFT);
        y += 18;
    }

    // Gauge at (1011, 109): 50 % for WARN in amber; word and source tag under it.
    EXPECT_TRUE(HasFill(list, Rect{1011, 109, 1081, 119}, ScaleColor(COLOR_WARN, 0.4f)));
    EXPECT_TRUE(HasFill(list, Rect{1011, 109, 1013, 119}, COLOR_WARN));
    const DrawOp* word = FindText(list, u"WARN");
    EXPECT_EQ((Point{word->rect.left, word->rect.top}), (Point{1011, 123}));
    EXPECT_EQ(word->color, COLOR_WARN);
    const DrawOp* tag = FindText(list, u"[ATA]");
    EXPECT_EQ((Point{tag->rect.left, tag->rect.top}), (Point{1011, 139}));
    EXPECT_EQ(tag->color, COLOR_TEXT_DIM);
}

TEST_F(SmartViewTest, CardFallbacksAndTemperatureForms) {
    struct Case {
        int32_t temperature;
        std::u16string_view text;
        Color color;
    };
    for (const Case& c :
         {Case{-1, u"N/A  FW:N/A", COLOR_TEXT}, Case{0, u"N/A  FW:N/A", COLOR_TEXT},
          Case{55, u"55 C  FW:N/A", COLOR_TEXT}, Case{56, u"56 C  FW:N/A", COLOR_WARN}}) {
        ResetAppState();
        out.Clear();
        list.Clear();
        DriveInfo drive = DriveWithAttributes(1);
        drive.model.Clear();
        drive.serial.Clear();
        drive.firmware.Clear();
        drive.temperatureC = c.temperature;
        appState.drives.push_back(drive);
        DrawSmartView(list, out, CONTENT_1200x750);
        const DrawOp* temp = FindText(list, c.text);
        ASSERT_NE(temp, nullptr) << c.temperature;
        EXPECT_EQ(temp->color, c.color);
        EXPECT_EQ(FindText(list, u"Unknown")->rect.top, 99);
        EXPECT_EQ(FindText(list, u"N/A")->rect.top, 117);  // the serial
    }
}

TEST_F(SmartViewTest, DriveWithoutDataShowsTheNoticeAndNoTableOrButton) {
    DriveInfo drive = DriveWithAttributes(0);
    drive.health = HEALTH_UNKNOWN;
    drive.smartSource = SOURCE_NONE;
    appState.drives.push_back(drive);
    appState.smartScrollMax = 7;
    appState.smartScroll = 3;
    DrawSmartView(list, out, CONTENT_1200x750);

    EXPECT_EQ(FindText(list, u"N/A")->color, COLOR_TEXT_DIM);
    EXPECT_NE(FindText(list, u"[N/A]"), nullptr);
    // 15 % of 140 = 21 pixels in the dim colour.
    EXPECT_TRUE(HasFill(list, Rect{1011, 109, 1032, 119}, ScaleColor(COLOR_TEXT_DIM, 0.4f)));
    const DrawOp* notice = FindText(list, u"SMART data unavailable");
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->rect, (Rect{240, 181, 1181, 217}));
    EXPECT_EQ(notice->color, COLOR_WARN);
    EXPECT_EQ(notice->align, ALIGN_CENTER);
    EXPECT_EQ(PixelAt(list, 240, 181), COLOR_WARN);
    EXPECT_EQ(PixelAt(list, 600, 200), COLOR_PANEL_BG);
    EXPECT_EQ(FindText(list, u"ID"), nullptr);
    EXPECT_EQ(FindText(list, u"[EXPORT REPORT]"), nullptr);
    EXPECT_TRUE(out.buttons.empty());
    EXPECT_EQ(HitTest(out, Point{1100, 690}), BTN_NONE);
    EXPECT_FALSE(out.smartScrolled);  // the committed frame leaves the table's scroll alone
    EXPECT_EQ(appState.smartScrollMax, 7);
    EXPECT_EQ(appState.smartScroll, 3);
}

TEST_F(SmartViewTest, EmptyListShowsOnlyTheLargeNotice) {
    DrawSmartView(list, out, CONTENT_1200x750);
    ASSERT_EQ(list.ops.size(), 1u);
    const DrawOp& op = list.ops[0];
    EXPECT_EQ(list.TextOf(op), u"No drives detected.");
    EXPECT_EQ(op.rect, CONTENT_1200x750);
    EXPECT_EQ(op.font, FONT_LARGE);
    EXPECT_EQ(op.align, ALIGN_CENTER);
    EXPECT_EQ(op.color, COLOR_TEXT_DIM);
    EXPECT_TRUE(out.buttons.empty());
}

TEST_F(SmartViewTest, ShowsTheSelectedDrive) {
    DriveInfo first = DriveWithAttributes(1);
    DriveInfo second = DriveWithAttributes(1);
    second.model.Set(u"SECOND");
    appState.drives = {first, second};
    appState.selectedDrive = 1;
    DrawSmartView(list, out, CONTENT_1200x750);
    EXPECT_NE(FindText(list, u"SECOND"), nullptr);
    EXPECT_EQ(FindText(list, u"TEST MODEL"), nullptr);
}

}  // namespace
}  // namespace corvanite::test
