// The background drive scan: probes every drive on a worker thread and hands the new list to
// the UI thread, which takes it over when MSG_SCAN_DONE arrives.
#pragma once

namespace corvanite {

// UI thread: starts a scan unless one is running ("Scanning drives..."); when no thread can be
// started, the flag is cleared again and the status line says so.
void StartDriveScan();

// The worker thread's procedure; the parameter is ignored.
void DriveScanWorker(void* parameter);

// UI thread, on MSG_SCAN_DONE: swaps the new list into appState.drives, brings selectedDrive
// into range, sets the ready text (or "No drives found"), followed by what the scan could not
// open, and repaints.
void HandleScanDone();

}  // namespace corvanite
