// Timing targets of the scan's parsing and grading and of the report.
//
//   BM_ParseAndGradeSmart30   one drive with 30 attributes: both pages parsed, rows and drive
//                             graded                                       target: under 5 us
//   BM_ReportText16x30        the report text of 16 such drives          target: under 200 us
//   BM_ReportFileBytes16x30   the same report as the UTF-8 file bytes
//
// The pages are a real drive's (a Maxtor whose table is full: 30 attributes), read at start-up.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_drives.h"
#include "drives/ata_smart.h"
#include "drives/health.h"
#include "report/text_report.h"

namespace {

using namespace corvanite;

// Skips the benchmark with a reason when the real pages are missing or no longer give 30 rows.
bool Ready(benchmark::State& state) {
    if (!bench::MaxtorPages().loaded) {
        state.SkipWithError(
            "cannot read 30 attributes from the Maxtor pages under " CORVANITE_BENCH_DATA);
        return false;
    }
    return true;
}

// A fresh record per pass, as each scan starts one: its row list is allocated every time.
void BM_ParseAndGradeSmart30(benchmark::State& state) {
    if (!Ready(state)) {
        return;
    }
    const bench::SmartPages& pages = bench::MaxtorPages();
    const DriveInfo blank = StartDriveRecord(0);
    for (auto _ : state) {
        DriveInfo drive = blank;
        ParseSmartPages(pages.data, pages.thresholds, drive);
        AssessHealth(drive);
        benchmark::DoNotOptimize(drive.health);
        benchmark::DoNotOptimize(drive.attributes.data());
    }
}
BENCHMARK(BM_ParseAndGradeSmart30);

void BM_ReportText16x30(benchmark::State& state) {
    if (!Ready(state)) {
        return;
    }
    const std::vector<DriveInfo> drives = bench::SixteenDrives();
    size_t units = 0;
    for (auto _ : state) {
        std::u16string text = ReportText(drives);
        units = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["units"] = static_cast<double>(units);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * units * sizeof(char16_t)));
}
BENCHMARK(BM_ReportText16x30);

void BM_ReportFileBytes16x30(benchmark::State& state) {
    if (!Ready(state)) {
        return;
    }
    const std::vector<DriveInfo> drives = bench::SixteenDrives();
    size_t bytes = 0;
    for (auto _ : state) {
        std::string file = ReportFileBytes(drives);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReportFileBytes16x30);

}  // namespace

BENCHMARK_MAIN();
