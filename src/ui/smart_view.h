// The SMART DATA tab: header card of the selected drive, health gauge, the scrollable
// attribute table and the export button.
#pragma once

#include "drives/drive_info.h"
#include "ui/display_list.h"
#include "ui/frame_output.h"

namespace corvanite {

constexpr int32_t SMART_ROW_HEIGHT = 20;
// The raw value column's usual width, and the advance of one digit of FONT_MAIN (10 points at
// 96 dpi in a fixed-pitch face) with which a wider number is measured.
constexpr int32_t SMART_RAW_COLUMN_WIDTH = 80;
constexpr int32_t SMART_DIGIT_WIDTH = 8;

// Measures of the view for a content rectangle.
struct SmartViewLayout {
    Rect card;                // the header card with the drive's identity and health
    int32_t tableX = 0;       // the attribute table's left edge
    int32_t tableWidth = 0;   // its right edge is tableX + tableWidth
    Rect tableHeader;         // the column titles
    int32_t bodyTop = 0;      // the rows: from the header's bottom ...
    int32_t bodyBottom = 0;   // ... to here, where they are clipped
    int32_t bodyHeight = 0;   // bodyBottom - bodyTop
    int32_t visibleRows = 0;  // rows that fit the body whole
    Rect scrollTrack;         // right of the table, as tall as the body
    Rect exportButton;
};

SmartViewLayout ComputeSmartViewLayout(Rect content);

// Width of the raw value column for this drive's table: SMART_RAW_COLUMN_WIDTH, or wide enough for
// the most digits any of its raw values has (SMART_DIGIT_WIDTH per digit and 4 on each side), so
// that no digit is cut off. The name column gives up what the raw column takes; the other columns
// keep their widths.
int32_t SmartRawColumnWidth(const DriveInfo& drive);

// Paints the view of drives[selectedDrive] into the content rectangle. With attribute data it
// sets smartScrollMax, clamps smartScroll and registers BTN_EXPORT.
void DrawSmartView(DisplayList& dc, FrameOutput& out, Rect content);

}  // namespace corvanite
