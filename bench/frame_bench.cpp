// Timing targets of the display's frame building (drawers into the display list).
//
//   BM_BuildFrame/tab/W/H   the whole frame of one tab, 16 drives of 30 attributes and 100,000
//                           volume-check output lines                   target: under 100 us
//   BM_ScanRepairView/N/H   the SCAN/REPAIR view alone with N output lines in a content area H
//                           high: 100,000 lines within 10 % of 10 lines when both fill the
//                           view (only the lines that fit are drawn)
//
// The drives carry a real drive's pages (the Maxtor with a full table), read at start-up.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_drives.h"
#include "state/app_state.h"
#include "ui/frame.h"
#include "ui/scan_repair_view.h"

namespace {

using namespace corvanite;

void BM_BuildFrame(benchmark::State& state) {
    if (!bench::FillBusyState(100000)) {
        state.SkipWithError("cannot read the Maxtor pages under " CORVANITE_BENCH_DATA);
        return;
    }
    appState.activeTab = static_cast<int32_t>(state.range(0));
    const auto width = static_cast<int>(state.range(1));
    const auto height = static_cast<int>(state.range(2));
    DisplayList list;
    FrameOutput out;
    for (auto _ : state) {
        BuildFrame(list, out, width, height);
        benchmark::DoNotOptimize(list.ops.data());
    }
    state.counters["ops"] = static_cast<double>(list.ops.size());
    state.counters["buttons"] = static_cast<double>(out.buttons.size());
}
BENCHMARK(BM_BuildFrame)
    ->ArgNames({"tab", "w", "h"})
    ->Args({TAB_SMART, 1200, 750})
    ->Args({TAB_DISK_INFO, 1200, 750})
    ->Args({TAB_SCAN_REPAIR, 1200, 750})
    ->Args({TAB_SMART, 1920, 1080})
    ->Args({TAB_DISK_INFO, 1920, 1080})
    ->Args({TAB_SCAN_REPAIR, 1920, 1080})
    ->Unit(benchmark::kMicrosecond);

// The view alone, idle with a result, scrolled to the end of the output, in a content area of
// the given height: 636 is the 1200 x 750 window's (27 lines fit), 330 one where 10 lines fit.
void BM_ScanRepairView(benchmark::State& state) {
    if (!bench::FillBusyState(static_cast<size_t>(state.range(0)))) {
        state.SkipWithError("cannot read the Maxtor pages under " CORVANITE_BENCH_DATA);
        return;
    }
    const Rect content{228, 79, 1193, 79 + static_cast<int32_t>(state.range(1))};
    DisplayList list;
    FrameOutput out;
    appState.chkdskScroll = 1 << 30;
    for (auto _ : state) {
        list.Clear();
        out.Clear();
        DrawScanRepairView(list, out, content);
        benchmark::DoNotOptimize(list.ops.data());
    }
    state.counters["ops"] = static_cast<double>(list.ops.size());
}
BENCHMARK(BM_ScanRepairView)
    ->ArgNames({"lines", "h"})
    ->Args({10, 636})
    ->Args({27, 636})
    ->Args({100000, 636})
    ->Args({10, 330})
    ->Args({100000, 330})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
