// Exporting the report of all drives to a file the user names.
#pragma once

namespace corvanite {

// UI thread: save dialog, file written whole, status line "Report exported: <path>", or
// "Report export failed: <path> (<the system's reason>, error <code>)" (nothing is left claiming
// to be a report); a failed dialog says "Report export failed: the save dialog reported error
// 0x<code>"; a cancelled dialog changes nothing.
void ExportReport();

}  // namespace corvanite
