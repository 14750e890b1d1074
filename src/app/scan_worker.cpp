#include "app/scan_worker.h"

#include <mutex>
#include <optional>
#include <vector>

#include "drives/probe.h"
#include "host/host.h"
#include "state/app_state.h"
#include "text/text_format.h"

namespace corvanite {
namespace {

// The list between the worker and the UI thread: while the scan runs, a card for every drive
// found, replaced one by one as the drives answer; at its end, the finished list.
std::mutex handOverLock;
std::optional<std::vector<DriveInfo>> handOver;
ProbeSkipped handOverSkipped;
std::optional<VolumeList> handOverVolumes;
bool handOverFinal = false;
size_t handOverAnswered = 0;

void DrivesFound(void* /*context*/, const std::vector<DriveInfo>& drives) {
    {
        std::lock_guard<std::mutex> guard(handOverLock);
        handOver = drives;
        for (DriveInfo& drive : *handOver) {
            drive.answering = true;
            drive.errorText.Set(u"still answering");
        }
        handOverFinal = false;
        handOverAnswered = 0;
    }
    PostWindowMessage(MSG_SCAN_DONE, 0);
}

void DriveAnswered(void* /*context*/, size_t index, const DriveInfo& drive) {
    {
        std::lock_guard<std::mutex> guard(handOverLock);
        if (!handOver || handOverFinal || index >= handOver->size()) {
            return;
        }
        (*handOver)[index] = drive;
        ++handOverAnswered;
    }
    PostWindowMessage(MSG_SCAN_DONE, 0);
}

// The scan's volumes replace the last ones. A target with no volume behind it (C: on a system
// started from another volume) becomes the first volume there is.
void TakeVolumes(VolumeList&& volumes) {
    appState.volumes = std::move(volumes);
    const VolumeList& list = appState.volumes;
    if (list.known && !list.volumes.empty() &&
        FindVolume(list, appState.targetVolume.view()) == nullptr) {
        appState.targetVolume.Set(list.volumes.front().name);
    }
}

}  // namespace

void StartDriveScan() {
    // No scan while a self-test request is with a drive: nothing else is sent while it starts.
    if (appState.selfTestBusy) {
        SetStatusText(u"A self-test request is with a drive: F5 in a moment");
        RequestRepaint();
        return;
    }
    // One scan at a time: a drive still answering is never asked twice at once.
    if (appState.scanning.exchange(true)) {
        SetStatusText(
            u"Still scanning: a drive still answering is not asked again; "
            u"F5 once the scan has ended");
        RequestRepaint();
        return;
    }
    appState.scanStartTick = appState.tickCount;
    SetStatusText(SCANNING_TEXT);
    RequestRepaint();
    if (!StartDetachedThread(DriveScanWorker, nullptr)) {
        appState.scanning = false;
        SetStatusText(u"Drive scan could not be started");
        RequestRepaint();
    }
}

void DriveScanWorker(void* /*parameter*/) {
    // The volumes first: they come back at once, while a failing drive may take a minute.
    VolumeList volumes = ListVolumes();
    {
        std::lock_guard<std::mutex> guard(handOverLock);
        handOverVolumes = std::move(volumes);
    }
    PostWindowMessage(MSG_SCAN_DONE, 0);
    ProbeSkipped skipped;
    ProbeListener listener;
    listener.found = DrivesFound;
    listener.answered = DriveAnswered;
    std::vector<DriveInfo> drives = ProbeAllDrives(skipped, listener);
    {
        std::lock_guard<std::mutex> guard(handOverLock);
        handOver = std::move(drives);
        handOverSkipped = skipped;
        handOverFinal = true;
    }
    appState.scanning = false;
    PostWindowMessage(MSG_SCAN_DONE, 0);
}

void HandleScanDone() {
    std::optional<std::vector<DriveInfo>> released;
    bool final = false;
    std::optional<size_t> answered;  // cards so far: how many of them answered
    {
        std::lock_guard<std::mutex> guard(handOverLock);
        if (handOverVolumes) {
            TakeVolumes(std::move(*handOverVolumes));
            handOverVolumes.reset();
        }
        if (handOver && handOverFinal) {
            appState.drives.swap(*handOver);
            released.swap(handOver);  // the old list is freed outside the lock
            appState.skippedDrivesText = SkippedDrivesText(handOverSkipped, DeviceErrorKind());
            final = true;
        } else if (handOver) {
            // The scan goes on: a copy of its cards so far, the worker keeps filling its own.
            appState.drives = *handOver;
            answered = handOverAnswered;
        } else {
            final = !appState.scanning;
        }
    }
    const auto count = static_cast<int32_t>(appState.drives.size());
    if (appState.selectedDrive >= count) {
        appState.selectedDrive = 0;
    }
    if (!final && !answered) {  // only the volumes so far
        RequestRepaint();
        return;
    }
    if (!final) {
        std::u16string text = std::u16string(SCANNING_TEXT) + u"  //  ";
        AppendUnsigned(text, *answered);
        text.append(u" of ");
        AppendUnsigned(text, appState.drives.size());
        text.append(u" answered");
        SetStatusText(text);
        RequestRepaint();
        return;
    }
    const std::u16string& skipped = appState.skippedDrivesText;
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
