// The left column: one card per drive of the last scan and the refresh button.
#pragma once

#include <string>
#include <string_view>

#include "drives/drive_info.h"
#include "ui/display_list.h"
#include "ui/frame_output.h"

namespace corvanite {

constexpr int32_t DRIVE_LIST_HEADER_HEIGHT = 28;
constexpr int32_t DRIVE_CARD_HEIGHT = 68;
// Models longer than this are shown as their first DRIVE_CARD_MODEL_KEEP characters and "..".
constexpr size_t DRIVE_CARD_MODEL_MAX = 18;
constexpr size_t DRIVE_CARD_MODEL_KEEP = 16;

// The refresh button spans from 40 to 10 units above the panel's bottom; the cards end 4 units
// above it.
constexpr int32_t REFRESH_BUTTON_TOP_GAP = 40;
constexpr int32_t REFRESH_BUTTON_BOTTOM_GAP = 10;
constexpr int32_t DRIVE_LIST_BOTTOM_GAP = REFRESH_BUTTON_TOP_GAP + 4;

// Measures of the list for a panel and a number of drives.
struct DriveListLayout {
    int32_t listTop = 0;     // the first card's top
    int32_t listBottom = 0;  // cards are clipped here
    int32_t pageRows = 1;    // cards shown whole (at least 1)
    int32_t scrollMax = 0;   // drives - pageRows, at least 0
    Rect track;              // the scroll bar, drawn only while the list scrolls
};

DriveListLayout ComputeDriveListLayout(Rect panel, size_t driveCount);

// The drive the views show (SelectedDrive), or null once the view's notice in its place is drawn
// into content: "Scanning drives..." while a scan runs, "No drives detected." otherwise.
const DriveInfo* ShownDriveOrNotice(DisplayList& dc, Rect content);

// Paints the header, the drive cards from driveScroll on (clipped above the refresh button, with
// a scroll bar when they do not all fit) and the refresh button into the panel rectangle;
// registers BTN_REFRESH, each shown card's rectangle and the list's scroll range.
void DrawDriveList(DisplayList& dc, FrameOutput& out, Rect panel);

// The model as a card shows it: whole up to 18 characters, otherwise 16 characters and "..".
std::u16string ShortenModel(std::u16string_view model);

// The card health word: "GOOD", "WARN", "CRIT", "-- N/A --" for HEALTH_UNKNOWN, else "N/A".
std::u16string_view DriveCardHealthWord(HealthStatus health);

}  // namespace corvanite
