// The plain-text report of all drives: its lines, and the bytes of the report file.
#pragma once

#include <string>
#include <vector>

#include "drives/drive_info.h"

namespace corvanite {

// The report lines, each ending in CR LF: the title block, then one block per drive in list
// order with its identity, verdict, temperature when known and attribute table.
std::u16string ReportText(const std::vector<DriveInfo>& drives);

// One drive's block of the report, exactly as the report writes it (for the clipboard).
std::u16string DriveReportText(const DriveInfo& drive);

// The report file: the UTF-8 byte-order mark, then the report lines in UTF-8.
std::string ReportFileBytes(const std::vector<DriveInfo>& drives);

}  // namespace corvanite
