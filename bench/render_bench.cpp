// Timing targets of the Linux renderer (Cairo and Pango replaying a frame's display list).
//
//   BM_RenderFrameCairo/tab/W/H/dpi  one whole frame of a tab replayed into a W x H image at dpi,
//                                 16 drives of 30 attributes and a screenful of volume-check
//                                 output                     target at 1200 x 750: under 5 ms;
//                                 at 150 % (1800 x 1125, 144 dpi): within 2.25 x that (the ratio
//                                 of the pixel counts)
//   BM_PaintFrameCairo/W/H        what a paint costs end to end: a new image, BuildFrame and the
//                                 replay (SMART tab)
//
// The drives carry a real drive's pages (the Maxtor with a full table), read at start-up.

#include <benchmark/benchmark.h>

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_drives.h"
#include "state/app_state.h"
#include "ui/display_scale.h"
#include "ui/frame.h"
#include "ui/render_cairo.h"
#include "ui/render_cairo_testing.h"

namespace {

using namespace corvanite;

void BM_RenderFrameCairo(benchmark::State& state) {
    if (!bench::FillBusyState(200)) {
        state.SkipWithError("drive pages not found");
        return;
    }
    const auto width = static_cast<int>(state.range(1));
    const auto height = static_cast<int>(state.range(2));
    const auto dpi = static_cast<int>(state.range(3));
    appState.activeTab = static_cast<int32_t>(state.range(0));
    DisplayList list;
    FrameOutput out;
    BuildFrame(list, out, UnitsCovering(width, dpi), UnitsCovering(height, dpi));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    for (auto _ : state) {
        RenderDisplayList(cr, list, dpi);
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
    ->ArgNames({"tab", "W", "H", "dpi"})
    ->Args({TAB_SMART, 1200, 750, 96})
    ->Args({TAB_DISK_INFO, 1200, 750, 96})
    ->Args({TAB_SCAN_REPAIR, 1200, 750, 96})
    ->Args({TAB_SMART, 1800, 1125, 144})
    ->Args({TAB_DISK_INFO, 1800, 1125, 144})
    ->Args({TAB_SCAN_REPAIR, 1800, 1125, 144})
    ->Args({TAB_SMART, 3840, 2160, 96})
    ->Args({TAB_DISK_INFO, 3840, 2160, 96})
    ->Args({TAB_SCAN_REPAIR, 3840, 2160, 96})
    ->Unit(benchmark::kMicrosecond);

void BM_PaintFrameCairo(benchmark::State& state) {
    if (!bench::FillBusyState(200)) {
        state.SkipWithError("drive pages not found");
        return;
    }
    const auto width = static_cast<int>(state.range(0));
    const auto height = static_cast<int>(state.range(1));
    appState.activeTab = TAB_SMART;
    DisplayList list;
    FrameOutput out;
    for (auto _ : state) {
        BuildFrame(list, out, width, height);
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
