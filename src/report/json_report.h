// The report of all drives as one JSON document for scripts (docs/report-json.md, with the JSON
// Schema docs/report-json.schema.json). Keys are never renamed once released; a change that
// breaks readers raises the format version.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "drives/drive_info.h"

namespace corvanite {

constexpr int REPORT_JSON_FORMAT_VERSION = 1;

// UTF-8 without a byte-order mark, two-space indentation, "\n" line ends (the last line too), on
// every platform. Numbers are whole numbers written without the C locale's help; a value the
// drive did not give is null. A drive's health_exit_status is the report tool's exit status for
// its grade alone (HealthExitStatus).
std::string ReportJson(const std::vector<DriveInfo>& drives, std::string_view programVersion);

}  // namespace corvanite
