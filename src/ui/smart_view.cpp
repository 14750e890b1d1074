#include "ui/smart_view.h"

#include <algorithm>
#include <string>

#include "drives/health.h"
#include "state/app_state.h"
#include "text/text_format.h"
#include "ui/buttons.h"
#include "ui/drive_list.h"
#include "ui/primitives.h"

namespace corvanite {
namespace {

constexpr int32_t MARGIN = 12;  // the card and the table from the content rectangle's sides
constexpr int32_t TABLE_HEADER_HEIGHT = 22;
constexpr int32_t CARD_LINE_HEIGHT = 18;

}  // namespace

SmartViewLayout ComputeSmartViewLayout(Rect content) {
    SmartViewLayout layout;
    layout.card =
        Rect{content.left + MARGIN, content.top + MARGIN, content.right - MARGIN, content.top + 92};
    const int32_t y0 = layout.card.bottom + 10;
    layout.tableX = layout.card.left;
    // The scroll track, 2 right of the table and 10 wide, ends 2 left of the card's right edge.
    layout.tableWidth = layout.card.Width() - 14;
    const int32_t tableRight = layout.tableX + layout.tableWidth;
    layout.tableHeader = Rect{layout.tableX, y0, tableRight, y0 + TABLE_HEADER_HEIGHT};
    layout.bodyTop = layout.tableHeader.bottom;
    layout.bodyBottom = content.bottom - 54;
    layout.bodyHeight = layout.bodyBottom - layout.bodyTop;
    layout.visibleRows = layout.bodyHeight / SMART_ROW_HEIGHT;
    layout.scrollTrack = Rect{tableRight + 2, layout.bodyTop, tableRight + 12, layout.bodyBottom};
    layout.exportButton =
        Rect{content.right - 152, content.bottom - 38, content.right - 22, content.bottom - 8};
    return layout;
}

int32_t SmartRawColumnWidth(const DriveInfo& drive) {
    int32_t digits = 1;
    for (const SmartAttribute& attribute : drive.attributes) {
        int32_t n = 1;
        for (uint64_t value = AttributeRawValue(attribute); value >= 10; value /= 10) {
            ++n;
        }
        digits = std::max(n, digits);
    }
    const int32_t width = SMART_DIGIT_WIDTH * digits + 8;
    return std::max(width, SMART_RAW_COLUMN_WIDTH);
}

namespace {

// Column edges are offsets from one of three anchors: the table's left edge, the left edge of the
// raw value column (SMART_RAW_COLUMN_WIDTH + STATUS_COLUMN_WIDTH left of the table's right edge
// at its usual width) and the table's right edge.
enum Anchor : uint8_t { TABLE_LEFT, RAW_LEFT, TABLE_RIGHT };

struct Edge {
    Anchor anchor;
    int32_t offset;
};

struct Column {
    std::u16string_view title;
    TextAlign titleAlign;
    Edge titleLeft, titleRight;
    Edge cellLeft, cellRight;
    TextAlign cellAlign;
};

enum ColumnIndex { COL_ID, COL_NAME, COL_CUR, COL_WST, COL_THR, COL_RAW, COL_STATUS, COL_COUNT };

constexpr Column COLUMNS[COL_COUNT] = {
    {u"ID",
     ALIGN_CENTER,
     {TABLE_LEFT, 2},
     {TABLE_LEFT, 32},
     {TABLE_LEFT, 3},
     {TABLE_LEFT, 33},
     ALIGN_CENTER},
    {u"ATTRIBUTE NAME",
     ALIGN_LEFT,
     {TABLE_LEFT, 36},
     {RAW_LEFT, -116},
     {TABLE_LEFT, 37},
     {RAW_LEFT, -115},
     ALIGN_LEFT},
    {u"CUR",
     ALIGN_CENTER,
     {RAW_LEFT, -112},
     {RAW_LEFT, -78},
     {RAW_LEFT, -111},
     {RAW_LEFT, -77},
     ALIGN_CENTER},
    {u"WST",
     ALIGN_CENTER,
     {RAW_LEFT, -74},
     {RAW_LEFT, -40},
     {RAW_LEFT, -73},
     {RAW_LEFT, -39},
     ALIGN_CENTER},
    {u"THR",
     ALIGN_CENTER,
     {RAW_LEFT, -36},
     {RAW_LEFT, -2},
     {RAW_LEFT, -35},
     {RAW_LEFT, -1},
     ALIGN_CENTER},
    {u"RAW VALUE",
     ALIGN_CENTER,
     {RAW_LEFT, 2},
     {TABLE_RIGHT, -74},
     {RAW_LEFT, 3},
     {TABLE_RIGHT, -73},
     ALIGN_RIGHT},
    {u"STATUS",
     ALIGN_CENTER,
     {TABLE_RIGHT, -70},
     {TABLE_RIGHT, -2},
     {TABLE_RIGHT, -69},
     {TABLE_RIGHT, -1},
     ALIGN_CENTER},
};

constexpr int32_t STATUS_COLUMN_WIDTH = 72;

// The anchors' x positions for one paint.
struct TableEdges {
    int32_t left;
    int32_t rawLeft;
    int32_t right;

    int32_t X(Edge edge) const {
        const int32_t base = edge.anchor == TABLE_LEFT ? left
                             : edge.anchor == RAW_LEFT ? rawLeft
                                                       : right;
        return base + edge.offset;
    }
    Rect Title(const Column& column, int32_t y0) const {
        return Rect{X(column.titleLeft), y0 + 2, X(column.titleRight),
                    y0 + TABLE_HEADER_HEIGHT - 2};
    }
    Rect Cell(const Column& column, int32_t rowTop) const {
        return Rect{X(column.cellLeft), rowTop + 1, X(column.cellRight),
                    rowTop + SMART_ROW_HEIGHT - 1};
    }
};

// One label / value line of the header card; each call moves down one line.
struct CardLines {
    DisplayList& dc;
    int32_t labelX;
    int32_t valueX;
    int32_t cardRight;
    int32_t y;

    void Draw(std::u16string_view label, std::u16string_view value, Color valueColor) {
        DrawTextInRect(dc, Rect{labelX, y, labelX + 75, y + CARD_LINE_HEIGHT}, label,
                       COLOR_TEXT_DIM, FONT_MAIN, ALIGN_LEFT);
        DrawTextInRect(dc, Rect{valueX, y, cardRight - 60, y + CARD_LINE_HEIGHT}, value, valueColor,
                       FONT_MAIN, ALIGN_LEFT);
        y += CARD_LINE_HEIGHT;
    }
};

int32_t GaugePercent(HealthStatus health) {
    switch (health) {
        case HEALTH_GOOD:
            return 100;
        case HEALTH_WARN:
            return 50;
        default:
            return 15;
    }
}

std::u16string_view SourceTag(SmartSource source) {
    switch (source) {
        case SOURCE_ATA:
            return u"[ATA]";
        case SOURCE_NVME:
            return u"[NVMe]";
        default:
            return u"[N/A]";
    }
}

void DrawHeaderCard(DisplayList& dc, const SmartViewLayout& layout, const DriveInfo& drive,
                    std::u16string& scratch) {
    const Rect card = layout.card;
    DrawBorderedRect(dc, card, COLOR_PANEL_BG, COLOR_BORDER);

    CardLines lines{dc, card.left + 10, card.left + 90, card.right, card.top + 8};
    lines.Draw(u"MODEL  :", drive.model.empty() ? u"Unknown" : drive.model.view(), COLOR_TEXT);
    lines.Draw(u"SERIAL :", drive.serial.empty() ? u"N/A" : drive.serial.view(), COLOR_TEXT);

    scratch.clear();
    scratch += FormatCapacity(drive.sizeBytes);
    scratch += u"  ";
    scratch += drive.busName.view();
    scratch += u"  ";
    scratch += MediaWord(drive.mediaType);
    lines.Draw(u"SIZE   :", scratch, COLOR_TEXT);

    scratch.clear();
    if (drive.temperatureC >= 1) {
        AppendSigned(scratch, drive.temperatureC);
        scratch += u" C  FW:";
    } else {
        scratch += u"N/A  FW:";
    }
    scratch += drive.firmware.empty() ? u"N/A" : drive.firmware.view();
    lines.Draw(u"TEMP   :", scratch,
               drive.temperatureC > TEMPERATURE_WARNING_ABOVE ? COLOR_WARN : COLOR_TEXT);

    const Color health = HealthColor(drive.health);
    const int32_t x = card.right - 170;
    DrawBarGauge(dc, x, card.top + 18, GaugePercent(drive.health), health);
    DrawTextAt(dc, x, card.top + 32, HealthWord(drive.health), health);
    DrawTextAt(dc, x, card.top + 48, SourceTag(drive.smartSource), COLOR_TEXT_DIM);
}

// Why the grade is what it is, left of the export button under the table, on two lines: the
// first reason, then the second or how many more there are (DISK INFO lists more, the JSON report
// all); a first reason too long for one line takes both.
void DrawGradeReasons(DisplayList& dc, const SmartViewLayout& layout, const DriveInfo& drive) {
    const std::vector<GradeReason> reasons = GradeReasons(drive);
    if (reasons.empty()) {
        return;
    }
    auto color = [](ReasonKind kind) {
        return kind == REASON_CRITICAL  ? COLOR_CRIT
               : kind == REASON_WARNING ? COLOR_WARN
                                        : COLOR_TEXT_SECONDARY;
    };
    const int32_t left = layout.tableX;
    const int32_t right = layout.exportButton.left - 12;
    const int32_t top = layout.bodyBottom + 4;
    const auto width = static_cast<size_t>(std::max((right - left) / SMART_DIGIT_WIDTH, 1));
    const std::u16string first = WrapAtBlanks(u"WHY: " + reasons[0].text, width);
    std::u16string second;
    Color secondColor = COLOR_TEXT_DIM;
    if (first.find(u'\n') != std::u16string::npos) {
        // Wrapped: its lines fill both rows (set below).
    } else if (reasons.size() == 2) {
        second = u"     " + reasons[1].text;
        secondColor = color(reasons[1].kind);
    } else if (reasons.size() > 2) {
        second = u"     and ";
        AppendUnsigned(second, reasons.size() - 1);
        second += u" more on DISK INFO";
    }
    // The renderers draw one line a rectangle: the wrapped reason's lines one under the other.
    const size_t cut = first.find(u'\n');
    DrawTextInRect(dc, Rect{left, top, right, top + CARD_LINE_HEIGHT},
                   std::u16string_view(first).substr(0, cut), color(reasons[0].kind), FONT_MAIN,
                   ALIGN_LEFT);
    if (cut != std::u16string::npos) {
        second = u"     " + first.substr(cut + 1);
        std::replace(second.begin(), second.end(), u'\n', u' ');
        secondColor = color(reasons[0].kind);
    }
    if (!second.empty()) {
        DrawTextInRect(dc, Rect{left, top + CARD_LINE_HEIGHT, right, top + 2 * CARD_LINE_HEIGHT},
                       second, secondColor, FONT_MAIN, ALIGN_LEFT);
    }
}

void DrawAttributeRow(DisplayList& dc, const SmartViewLayout& layout, const TableEdges& edges,
                      const SmartAttribute& a, size_t index, int32_t y, std::u16string& scratch) {
    const int32_t x = layout.tableX;
    const int32_t d = layout.tableWidth;
    FillSolidRect(dc, Rect{x, y, x + d, y + SMART_ROW_HEIGHT},
                  index % 2 == 1 ? COLOR_ROW_ALT : COLOR_SURFACE);

    const Color status = a.failing ? COLOR_CRIT : (a.warning ? COLOR_WARN : COLOR_GOOD);
    if (a.failing || a.warning) {
        FillSolidRect(dc, Rect{x, y, x + 2, y + SMART_ROW_HEIGHT}, status);
    }

    auto cell = [&](ColumnIndex column, std::u16string_view text, Color color) {
        DrawTextInRect(dc, edges.Cell(COLUMNS[column], y), text, color, FONT_MAIN,
                       COLUMNS[column].cellAlign);
    };
    // A value of 0 stands for none and shows as a dim "-".
    auto number = [&](ColumnIndex column, uint8_t value, Color color) {
        if (value == 0) {
            cell(column, u"-", COLOR_TEXT_DIM);
            return;
        }
        scratch.clear();
        AppendUnsigned(scratch, value);
        cell(column, scratch, color);
    };

    scratch.clear();
    AppendHex(scratch, a.id, 2);
    cell(COL_ID, scratch, COLOR_TEXT_DIM);
    cell(COL_NAME, a.name.view(), COLOR_TEXT_SECONDARY);
    number(COL_CUR, a.current, COLOR_TEXT);
    number(COL_WST, a.worst, COLOR_TEXT_SECONDARY);
    number(COL_THR, a.threshold, COLOR_TEXT_DIM);
    scratch.clear();
    AppendUnsigned(scratch, AttributeRawValue(a));
    cell(COL_RAW, scratch, COLOR_TEXT_SECONDARY);
    cell(COL_STATUS, a.failing ? u"[FAIL]" : (a.warning ? u"[WARN]" : u"[ OK ]"), status);
}

}  // namespace

void DrawSmartView(DisplayList& dc, FrameOutput& out, Rect content) {
    const DriveInfo* shown = ShownDriveOrNotice(dc, content);
    if (shown == nullptr) {
        return;
    }
    const DriveInfo& drive = *shown;

    const SmartViewLayout layout = ComputeSmartViewLayout(content);
    std::u16string scratch;
    DrawHeaderCard(dc, layout, drive, scratch);

    const int32_t x = layout.tableX;
    const int32_t d = layout.tableWidth;
    const int32_t y0 = layout.tableHeader.top;
    if (!drive.smartAvailable) {
        const Rect notice{x, y0, layout.card.right, y0 + 36};
        DrawBorderedRect(dc, notice, COLOR_PANEL_BG, COLOR_WARN);
        DrawTextInRect(dc, notice, u"SMART data unavailable", COLOR_WARN, FONT_MAIN, ALIGN_CENTER);
        // Why, under it, wrapped to the notice's width: a reason is never cut.
        if (!drive.errorText.empty()) {
            const auto width = static_cast<size_t>(notice.Width() / SMART_DIGIT_WIDTH);
            DrawTextInRect(dc, Rect{x, notice.bottom + 10, notice.right, layout.bodyBottom},
                           WrapAtBlanks(drive.errorText.view(), width), COLOR_TEXT_SECONDARY,
                           FONT_MAIN, ALIGN_TOP_CENTER);
        }
        return;
    }

    // The raw value column widens, at the expense of the name column, when a raw value of this
    // drive has more digits than its usual 80 pixels hold.
    const TableEdges edges{x, x + d - STATUS_COLUMN_WIDTH - SmartRawColumnWidth(drive), x + d};
    FillSolidRect(dc, layout.tableHeader, COLOR_PANEL_BG);
    DrawOutlineRect(dc, layout.tableHeader, COLOR_BORDER);
    for (const Column& column : COLUMNS) {
        DrawTextInRect(dc, edges.Title(column, y0), column.title, COLOR_TEXT_DIM, FONT_MAIN,
                       column.titleAlign);
    }

    const auto count = static_cast<int32_t>(drive.attributes.size());
    const int32_t overflow = count - layout.visibleRows;
    const int32_t maxScroll = std::max(overflow, 0);
    const int32_t scroll = std::max(0, std::min(appState.smartScroll, maxScroll));
    out.smartScrolled = true;
    out.smartScrollMax = maxScroll;
    out.smartScroll = scroll;
    out.smartPageRows = layout.visibleRows;
    out.scrollBars[SCROLLER_SMART] =
        DrawScrollBar(dc, layout.scrollTrack, layout.visibleRows, count, scroll, maxScroll);

    PushClip(dc, Rect{x, layout.bodyTop, x + d, layout.bodyBottom});
    for (int32_t i = scroll; i < count; ++i) {
        const int32_t y = layout.bodyTop + SMART_ROW_HEIGHT * (i - scroll);
        if (y + SMART_ROW_HEIGHT > layout.bodyBottom) {
            break;
        }
        const auto index = static_cast<size_t>(i);
        DrawAttributeRow(dc, layout, edges, drive.attributes[index], index, y, scratch);
    }
    PopClip(dc);

    DrawGradeReasons(dc, layout, drive);
    DrawButton(dc, layout.exportButton, u"[EXPORT REPORT]", BTN_EXPORT, COLOR_ACCENT_ALT, true);
    RegisterButton(out, BTN_EXPORT, layout.exportButton);
}

}  // namespace corvanite
