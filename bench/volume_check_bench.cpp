// Timing and memory of the volume check's output ingestion.
//
//   BM_ChkdskIngestMillionLines   the stand-in checker (started as chkdsk.exe from PATH) writes
//                                 1,000,000 lines of 60 characters, each ending in CR LF; the
//                                 worker reads them through the pipe, cuts and converts them,
//                                 appends them to chkdskLines and posts one event per line,
//                                 which this thread takes from the host's queue as the window
//                                 would.                        target: at least 1,000,000 lines/s
//   Counters: lines_per_s; held_bytes_per_line, the heap the lines hold once the run has ended
//   (glibc's count of bytes in use, all arenas, before and after), against limit_bytes_per_line,
//   twice the lines' UTF-16 size plus 32 bytes a line.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/host.h"
#include "host/host_queue.h"
#include "state/app_state.h"
#include "volume_check/child_posix_testing.h"
#include "volume_check/chkdsk_worker.h"

namespace {

using namespace corvanite;

constexpr size_t LINES = 1000000;
constexpr size_t LINE_CHARS = 60;

size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void DropLines() {
    std::vector<std::u16string> none;
    std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
    appState.chkdskLines.swap(none);
}

// A folder holding chkdsk.exe (a link to the stand-in) and its script; PATH names only it.
struct StandIn {
    std::filesystem::path folder;
    std::string savedPath;

    StandIn() {
        char name[] = "/tmp/corvanite-bench-XXXXXX";
        if (mkdtemp(name) == nullptr) {
            return;
        }
        folder = name;
        std::filesystem::create_symlink(CORVANITE_FAKE_CHKDSK, folder / "chkdsk.exe");
        std::ofstream(folder / "script") << "lines " << LINES << " " << LINE_CHARS << "\nexit 0\n";
        const char* path = getenv("PATH");
        savedPath = path != nullptr ? path : "";
        setenv("PATH", folder.c_str(), 1);
        InstallChildProcessAccess(&StandInChildProcessAccess());
        setenv("CORVANITE_FAKE_CHKDSK_SCRIPT", (folder / "script").c_str(), 1);
    }
    ~StandIn() {
        setenv("PATH", savedPath.c_str(), 1);
        unsetenv("CORVANITE_FAKE_CHKDSK_SCRIPT");
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

void BM_ChkdskIngestMillionLines(benchmark::State& state) {
    const StandIn standIn;
    if (standIn.folder.empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    AttachMessageWindow(1);
    double heldPerLine = 0;
    double seconds = 0;
    for (auto _ : state) {
        DropLines();
        TakePostedMessages();
        const size_t before = HeapInUse();

        const auto start = std::chrono::steady_clock::now();
        if (!StartChkdsk(u"C:", true)) {
            state.SkipWithError("StartChkdsk refused");
            break;
        }
        size_t lineEvents = 0;
        bool done = false;
        // The window's side: take the posted events until the final one (bounded: two minutes);
        // a line event taken lets the worker post the next one, as the window's handler does.
        for (int i = 0; i < 120000 && !done; ++i) {
            for (const PostedMessage& m : TakePostedMessages()) {
                lineEvents += m.wParam == CHKDSK_EVENT_LINE ? 1 : 0;
                appState.chkdskLineEventPending = false;
                done = done || m.wParam != CHKDSK_EVENT_LINE;
            }
            if (!done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        const auto end = std::chrono::steady_clock::now();
        const double elapsed = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(elapsed);
        seconds += elapsed;

        size_t lines = 0;
        {
            std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
            lines = appState.chkdskLines.size();
        }
        if (!done || lines != LINES || lineEvents == 0 ||
            appState.chkdskResultText != u"No errors found") {
            state.SkipWithError("the run did not deliver every line");
            break;
        }
        heldPerLine = static_cast<double>(HeapInUse() - before) / static_cast<double>(LINES);
    }
    DropLines();
    AttachMessageWindow(0);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * LINES));
    state.counters["lines_per_s"] =
        seconds > 0 ? static_cast<double>(state.iterations() * LINES) / seconds : 0.0;
    state.counters["held_bytes_per_line"] = heldPerLine;
    state.counters["limit_bytes_per_line"] = static_cast<double>(2 * LINE_CHARS * 2 + 32);
}
BENCHMARK(BM_ChkdskIngestMillionLines)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
