// The left column: one card per drive of the last scan and the refresh button.
#pragma once

#include <string>
#include <string_view>

#include "ui/display_list.h"
#include "ui/frame_output.h"

namespace corvanite {

constexpr int32_t DRIVE_LIST_HEADER_HEIGHT = 28;
constexpr int32_t DRIVE_CARD_HEIGHT = 68;
// Models longer than this are shown as their first DRIVE_CARD_MODEL_KEEP characters and "..".
constexpr size_t DRIVE_CARD_MODEL_MAX = 18;
constexpr size_t DRIVE_CARD_MODEL_KEEP = 16;

// Paints the header, the drive cards and the refresh button into the panel rectangle and
// registers BTN_REFRESH.
void DrawDriveList(DisplayList& dc, FrameOutput& out, Rect panel);

// The model as a card shows it: whole up to 18 characters, otherwise 16 characters and "..".
std::u16string ShortenModel(std::u16string_view model);

// The card health word: "GOOD", "WARN", "CRIT", "-- N/A --" for HEALTH_UNKNOWN, else "N/A".
std::u16string_view DriveCardHealthWord(HealthStatus health);

}  // namespace corvanite
