// The SMART DATA tab: header card of the selected drive, health gauge, the scrollable
// attribute table and the export button.
#pragma once

#include "ui/display_list.h"

namespace corvanite {

constexpr int32_t SMART_ROW_HEIGHT = 20;
constexpr int32_t SMART_THUMB_MIN = 20;

// Measures of the view for a content rectangle.
struct SmartViewLayout {
    Rect card;               // header card
    int32_t tableX = 0;      // table left X
    int32_t tableWidth = 0;  // D: the table's right edge is tableX + tableWidth
    Rect tableHeader;
    int32_t bodyTop = 0;      // Yb
    int32_t bodyBottom = 0;   // Ybot
    int32_t bodyHeight = 0;   // Hl
    int32_t visibleRows = 0;  // Nvis
    Rect scrollTrack;
    Rect exportButton;
};

SmartViewLayout ComputeSmartViewLayout(Rect content);

// Paints the view of drives[selectedDrive] into the content rectangle. With attribute data it
// sets smartScrollMax, clamps smartScroll and registers BTN_EXPORT.
void DrawSmartView(DisplayList& dc, Rect content);

}  // namespace corvanite
