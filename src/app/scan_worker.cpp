#include "app/scan_worker.h"

#include <mutex>
#include <optional>
#include <vector>

#include "app/window_host.h"
#include "drives/probe.h"
#include "state/app_state.h"
#include "text/text_format.h"

namespace corvanite {
namespace {

// The finished list, between the worker and the UI thread.
std::mutex handOverLock;
std::optional<std::vector<DriveInfo>> handOver;
ProbeSkipped handOverSkipped;

}  // namespace

void StartDriveScan() {
    if (appState.scanning.exchange(true)) {
        return;
    }
    SetStatusText(u"Scanning drives...");
    RequestRepaint();
    if (!StartDetachedThread(DriveScanWorker, nullptr)) {
        appState.scanning = false;
        SetStatusText(u"Drive scan could not be started");
        RequestRepaint();
    }
}

void DriveScanWorker(void* /*parameter*/) {
    ProbeSkipped skipped;
    std::vector<DriveInfo> drives = ProbeAllDrives(skipped);
    {
        std::lock_guard<std::mutex> guard(handOverLock);
        handOver = std::move(drives);
        handOverSkipped = skipped;
    }
    appState.scanning = false;
    PostWindowMessage(MSG_SCAN_DONE, 0);
}

void HandleScanDone() {
    std::optional<std::vector<DriveInfo>> released;
    {
        std::lock_guard<std::mutex> guard(handOverLock);
        if (handOver) {
            appState.drives.swap(*handOver);
            released.swap(handOver);  // the old list is freed outside the lock
            appState.skippedDrivesText = SkippedDrivesText(handOverSkipped, DeviceErrorKind());
        }
    }
    const std::u16string& skipped = appState.skippedDrivesText;
    const auto count = static_cast<int32_t>(appState.drives.size());
    if (appState.selectedDrive >= count) {
        appState.selectedDrive = 0;
    }
    // The worker cleared the scanning flag before it posted; clearing it here again could let a
    // scan started since then run beside another.
    if (appState.drives.empty()) {
        SetStatusText(skipped.empty() ? u"No drives found" : u"No drives found: " + skipped);
    } else {
        const DriveInfo& drive =
            appState.drives[static_cast<size_t>(appState.selectedDrive.load())];
        std::u16string text = u"READY  //  ";
        text.append(drive.devicePath.view()).append(u"  //  ");
        AppendUnsigned(text, drive.attributes.size());
        text.append(u" attrs");
        if (!skipped.empty()) {
            text.append(u"  //  ").append(skipped);
        }
        SetStatusText(text);
    }
    RequestRepaint();
}

}  // namespace corvanite
