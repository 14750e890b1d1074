// The clickable rectangles of the last painted frame.
#pragma once

#include <cstdint>
#include <vector>

#include "state/geometry.h"

namespace corvanite {

constexpr int32_t BTN_NONE = -1;
constexpr int32_t BTN_REFRESH = 0;
constexpr int32_t BTN_SCAN_READONLY = 1;
constexpr int32_t BTN_SCAN_FIX = 2;
constexpr int32_t BTN_CANCEL = 3;
constexpr int32_t BTN_EXPORT = 4;
constexpr int32_t BTN_CLOSE = 5;
constexpr int32_t BTN_MAXIMIZE = 6;
constexpr int32_t BTN_MINIMIZE = 7;
constexpr int32_t BTN_SELF_TEST_SHORT = 8;
constexpr int32_t BTN_SELF_TEST_EXTENDED = 9;
constexpr int32_t BTN_SELF_TEST_ABORT = 10;
// The volumes of the selected drive on the volume check's view, the first eight: button
// BTN_VOLUME_FIRST + i picks the i-th.
constexpr int32_t BTN_VOLUME_FIRST = 16;
constexpr int32_t BTN_VOLUME_COUNT = 8;

struct ButtonEntry {
    int32_t id = BTN_NONE;
    Rect rect;
};

// In registration order; emptied at the start of every paint (keeping its storage).
using ButtonRegistry = std::vector<ButtonEntry>;

// The click rectangle of one drive card as the last frame showed it: the drive's index in the
// list and the visible part of its card.
struct DriveRowEntry {
    int32_t drive = -1;
    Rect rect;
};

}  // namespace corvanite
