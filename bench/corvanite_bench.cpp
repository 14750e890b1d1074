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
#include <cstdio>
#include <string>
#include <vector>

#include "drives/ata_smart.h"
#include "drives/health.h"
#include "report/text_report.h"

namespace {

using namespace corvanite;

constexpr const char* DATA_PAGE = CORVANITE_BENCH_DATA "/Maxtor_96147H8--BAC51KJ0--2.data.bin";
constexpr const char* THRESHOLDS_PAGE =
    CORVANITE_BENCH_DATA "/Maxtor_96147H8--BAC51KJ0--2.thresholds.bin";

struct Pages {
    uint8_t data[SMART_PAGE_SIZE] = {};
    uint8_t thresholds[SMART_PAGE_SIZE] = {};
    bool loaded = false;
};

bool ReadPage(const char* path, uint8_t (&page)[SMART_PAGE_SIZE]) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    const size_t read = std::fread(page, 1, SMART_PAGE_SIZE, file);
    std::fclose(file);
    return read == SMART_PAGE_SIZE;
}

const Pages& MaxtorPages() {
    static const Pages pages = [] {
        Pages p;
        p.loaded = ReadPage(DATA_PAGE, p.data) && ReadPage(THRESHOLDS_PAGE, p.thresholds);
        return p;
    }();
    return pages;
}

// The 16 drives of a full machine, each with the 30 rows, identity texts and a temperature.
std::vector<DriveInfo> SixteenDrives() {
    std::vector<DriveInfo> drives;
    const Pages& pages = MaxtorPages();
    for (int n = 0; n < MAX_DRIVES; ++n) {
        DriveInfo drive = StartDriveRecord(n);
        drive.model.Set(u"Maxtor 96147H8");
        drive.serial.Set(u"E40BCMYE");
        drive.firmware.Set(u"BAC51KJ0");
        drive.busName.Set(u"SATA");
        drive.mediaType = MEDIA_HDD;
        drive.sizeBytes = 61492838400ull + static_cast<uint64_t>(n) * 1000000000000ull;
        ParseSmartPages(pages.data, pages.thresholds, drive);
        drive.temperatureC = 30 + n;
        AssessHealth(drive);
        drives.push_back(drive);
    }
    return drives;
}

// Skips the benchmark with a reason when the real pages are missing or no longer give 30 rows.
bool Ready(benchmark::State& state) {
    const Pages& pages = MaxtorPages();
    if (!pages.loaded) {
        state.SkipWithError("cannot read the Maxtor pages under " CORVANITE_BENCH_DATA);
        return false;
    }
    DriveInfo drive = StartDriveRecord(0);
    ParseSmartPages(pages.data, pages.thresholds, drive);
    if (drive.attributes.size() != SMART_TABLE_ENTRIES) {
        state.SkipWithError("the Maxtor pages do not give 30 attributes");
        return false;
    }
    return true;
}

// A fresh record per pass, as each scan starts one: its row list is allocated every time.
void BM_ParseAndGradeSmart30(benchmark::State& state) {
    if (!Ready(state)) {
        return;
    }
    const Pages& pages = MaxtorPages();
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
    const std::vector<DriveInfo> drives = SixteenDrives();
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
    const std::vector<DriveInfo> drives = SixteenDrives();
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
