// Exporting the report of all drives to a file the user names, or one drive's block to the
// clipboard.
#pragma once

namespace corvanite {

// UI thread: save dialog, file written whole, status line "Report exported: <path>", or
// "Report export failed: <path> (<the system's reason>, error <code>)" (nothing is left claiming
// to be a report); a failed dialog says "Report export failed: the save dialog reported error
// 0x<code>"; a cancelled dialog changes nothing.
void ExportReport();

// UI thread: the selected drive's report block, as the report file holds it, on the clipboard;
// the status line says "Copied to the clipboard: Drive <n> report", or "Copy failed: the
// clipboard is in use by another program"; with no drive listed, nothing happens.
void CopySelectedDrive();

}  // namespace corvanite
