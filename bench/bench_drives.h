// What the benchmarks work on: a real drive's SMART pages (a Maxtor whose table is full, 30
// attributes), sixteen drives made from them, and the application state of a busy machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "drives/drive_info.h"
#include "drives/sat.h"

namespace corvanite::bench {

struct SmartPages {
    uint8_t data[SMART_PAGE_SIZE] = {};
    uint8_t thresholds[SMART_PAGE_SIZE] = {};
    bool loaded = false;  // both pages read, and they give 30 attributes
};

// Read once, at first use.
const SmartPages& MaxtorPages();

// The 16 drives of a full machine, each with the 30 rows, identity texts and a temperature;
// empty when the pages could not be read.
std::vector<DriveInfo> SixteenDrives();

// appState of a busy machine: the 16 drives (the last one selected), and `lines` output lines
// of a finished volume check with its result. False when the pages could not be read.
bool FillBusyState(size_t lines);

}  // namespace corvanite::bench
