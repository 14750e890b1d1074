#include "bench_drives.h"

#include <mutex>
#include <string>

#include "drives/ata_smart.h"
#include "drives/health.h"
#include "sample_drives.h"
#include "state/app_state.h"

namespace corvanite::bench {

const SmartPages& MaxtorPages() {
    static const SmartPages pages = [] {
        SmartPages p;
        const std::string capture = "Maxtor_96147H8--BAC51KJ0--2";
        p.loaded =
            sample::ReadCapturePage(CORVANITE_BENCH_DATA, capture, "data", p.data) &&
            sample::ReadCapturePage(CORVANITE_BENCH_DATA, capture, "thresholds", p.thresholds);
        if (p.loaded) {
            DriveInfo drive = StartDriveRecord(0);
            ParseSmartPages(p.data, p.thresholds, drive);
            p.loaded = drive.attributes.size() == SMART_TABLE_ENTRIES;
        }
        return p;
    }();
    return pages;
}

std::vector<DriveInfo> SixteenDrives() {
    std::vector<DriveInfo> drives;
    const SmartPages& pages = MaxtorPages();
    if (!pages.loaded) {
        return drives;
    }
    for (int n = 0; n < MAX_DRIVES; ++n) {
        DriveInfo drive = StartDriveRecord(n);
        drive.model.Set(u"Maxtor 6Y080L0 with a long model name");
        drive.serial.Set(u"Y2JBF0QE");
        drive.firmware.Set(u"YAR41BW0");
        drive.busName.Set(u"SATA");
        drive.mediaType = MEDIA_HDD;
        drive.sizeBytes = 61492838400ull + static_cast<uint64_t>(n) * 1000000000000ull;
        ParseSmartPages(pages.data, pages.thresholds, drive);
        drive.temperatureC = 30 + n;
        drive.lifeRemaining = 90;
        AssessHealth(drive);
        drives.push_back(drive);
    }
    return drives;
}

bool FillBusyState(size_t lines) {
    std::vector<DriveInfo> drives = SixteenDrives();
    if (drives.empty()) {
        return false;
    }
    appState.drives = std::move(drives);
    appState.selectedDrive = MAX_DRIVES - 1;
    appState.smartScroll = 3;
    appState.statusText.Set(u"READY  //  \\\\.\\PhysicalDrive15  //  30 attrs");
    std::lock_guard<std::mutex> lock(appState.chkdskLinesLock);
    appState.chkdskLines.clear();
    for (size_t i = 0; i < lines; ++i) {
        std::u16string line = u"Stage 2: Examining file name linkage ... index entries processed ";
        line += static_cast<char16_t>(u'0' + i % 10);
        appState.chkdskLines.push_back(line);
    }
    appState.chkdskResultReady = true;
    appState.chkdskResultText = u"No errors found";
    return true;
}

}  // namespace corvanite::bench
