// Timing targets of the Linux renderer (Cairo and Pango replaying a frame's display list).
//
//   BM_RenderFrameCairo/tab/W/H   one whole frame of a tab replayed into a W x H image, 16 drives
//                                 of 30 attributes and a screenful of volume-check output
//                                                            target at 1200 x 750: under 5 ms
//   BM_PaintFrameCairo/W/H        what a paint costs end to end: a new image, BuildFrame and the
//                                 replay (SMART tab)
//
// The drives carry a real drive's pages (the Maxtor with a full table), read at start-up.

#include <benchmark/benchmark.h>

#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "drives/ata_smart.h"
#include "drives/health.h"
#include "ui/frame.h"
#include "ui/render_cairo.h"

namespace {

using namespace corvanite;

bool ReadPage(const char* path, uint8_t (&page)[SMART_PAGE_SIZE]) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    const size_t read = std::fread(page, 1, SMART_PAGE_SIZE, file);
    std::fclose(file);
    return read == SMART_PAGE_SIZE;
}

// A busy machine: 16 drives of 30 rows, the last one selected, 200 lines of a finished check.
bool FillBusyState() {
    uint8_t data[SMART_PAGE_SIZE] = {};
    uint8_t thresholds[SMART_PAGE_SIZE] = {};
    if (!ReadPage(CORVANITE_BENCH_DATA "/Maxtor_96147H8--BAC51KJ0--2.data.bin", data) ||
        !ReadPage(CORVANITE_BENCH_DATA "/Maxtor_96147H8--BAC51KJ0--2.thresholds.bin", thresholds)) {
        return false;
    }
    std::vector<DriveInfo> drives;
    for (int n = 0; n < MAX_DRIVES; ++n) {
        DriveInfo drive = StartDriveRecord(n);
        drive.model.Set(u"Maxtor 6Y080L0");
        drive.serial.Set(u"Y2JBF0QE");
        drive.firmware.Set(u"YAR41BW0");
        drive.busName.Set(u"SATA");
        drive.mediaType = MEDIA_HDD;
        drive.sizeBytes = 61492838400ull + static_cast<uint64_t>(n) * 1000000000000ull;
        ParseSmartPages(data, thresholds, drive);
        drive.temperatureC = 30 + n;
        AssessHealth(drive);
        drives.push_back(drive);
    }
    if (drives.back().attributes.size() != SMART_TABLE_ENTRIES) {
        return false;
    }
    appState.drives = drives;
    appState.selectedDrive = MAX_DRIVES - 1;
    appState.statusText.Set(u"READY  //  /dev/sdp  //  30 attrs");
    std::lock_guard<std::mutex> lock(appState.chkdskLinesLock);
    appState.chkdskLines.clear();
    for (int i = 0; i < 200; ++i) {
        appState.chkdskLines.push_back(u"Stage 2: Examining file name linkage ... " +
                                       std::u16string(1, u'0' + i % 10) +
                                       u" index entries processed.");
    }
    appState.chkdskResultReady = true;
    appState.chkdskResultText = u"Volume check finished: no problems found.";
    return true;
}

void BM_RenderFrameCairo(benchmark::State& state) {
    if (!FillBusyState()) {
        state.SkipWithError("drive pages not found");
        return;
    }
    const auto width = static_cast<int>(state.range(1));
    const auto height = static_cast<int>(state.range(2));
    appState.activeTab = static_cast<int32_t>(state.range(0));
    DisplayList list;
    BuildFrame(list, width, height);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    for (auto _ : state) {
        RenderDisplayList(cr, list);
        cairo_surface_flush(surface);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    state.counters["ops"] = static_cast<double>(list.ops.size());
    size_t texts = 0;
    for (const DrawOp& op : list.ops) {
        texts += op.kind == DrawKind::TEXT_AT || op.kind == DrawKind::TEXT_IN_RECT ? 1 : 0;
    }
    state.counters["texts"] = static_cast<double>(texts);
}
BENCHMARK(BM_RenderFrameCairo)
    ->ArgNames({"tab", "W", "H"})
    ->Args({TAB_SMART, 1200, 750})
    ->Args({TAB_DISK_INFO, 1200, 750})
    ->Args({TAB_SCAN_REPAIR, 1200, 750})
    ->Args({TAB_SMART, 3840, 2160})
    ->Args({TAB_DISK_INFO, 3840, 2160})
    ->Args({TAB_SCAN_REPAIR, 3840, 2160})
    ->Unit(benchmark::kMicrosecond);

void BM_PaintFrameCairo(benchmark::State& state) {
    if (!FillBusyState()) {
        state.SkipWithError("drive pages not found");
        return;
    }
    const auto width = static_cast<int>(state.range(0));
    const auto height = static_cast<int>(state.range(1));
    appState.activeTab = TAB_SMART;
    DisplayList list;
    for (auto _ : state) {
        BuildFrame(list, width, height);
        cairo_surface_t* surface = RenderDisplayListToSurface(list, width, height);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
        cairo_surface_destroy(surface);
    }
}
BENCHMARK(BM_PaintFrameCairo)
    ->ArgNames({"W", "H"})
    ->Args({1200, 750})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
