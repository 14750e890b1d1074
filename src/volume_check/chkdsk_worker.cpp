#include "volume_check/chkdsk_worker.h"

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "host/host.h"
#include "state/app_state.h"
#include "volume_check/child_process.h"
#include "volume_check/chkdsk_command.h"
#include "volume_check/chkdsk_outcome.h"
#include "volume_check/line_assembler.h"

namespace corvanite {
namespace {

// One read asks for at most this many bytes.
constexpr size_t READ_BYTES = 4095;
// How long one read waits for output before the cancel flag is looked at again.
constexpr uint32_t READ_SLICE_MS = 100;
// How long the child may take to end once its output has ended or it was terminated.
constexpr uint32_t EXIT_WAIT_MS = 5000;
// A refused final event (the window's queue full) is posted again this often, at most this many
// times: without it the window would show the run as going on for good.
constexpr uint32_t FINAL_POST_RETRY_MS = 10;
constexpr int FINAL_POST_TRIES = 300;
// How often a checker that outlived the wait is looked at until it has gone.
constexpr uint32_t LINGER_STEP_MS = 1000;

void PauseWorker(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void RunWorker(void* job) {
    ChkdskWorker(static_cast<ChkdskJob*>(job));
}

void PostLineEvent() {
    // At most one line event waits in the window's queue: a flood of output would otherwise fill
    // it (Windows refuses posts beyond 10,000 queued messages) and crowd out the final event.
    if (!appState.chkdskLineEventPending.exchange(true) &&
        !PostWindowMessage(MSG_CHKDSK_EVENT, CHKDSK_EVENT_LINE)) {
        appState.chkdskLineEventPending.store(false);
    }
}

void AppendLine(std::string_view bytes) {
    std::u16string text = ChildLineToText(bytes);
    {
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        appState.chkdskLines.push_back(std::move(text));
    }
    PostLineEvent();
}

// The line being written, shown as it stands whenever it changed (shown: what the window has).
void ShowPartialLine(std::string_view bytes, std::string& shown) {
    if (bytes == shown) {
        return;
    }
    shown.assign(bytes);
    std::u16string text = ChildLineToText(bytes);
    {
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        appState.chkdskPartialLine = std::move(text);
    }
    PostLineEvent();
}

void PostFinalEvent(uintptr_t code) {
    for (int tries = 1; !PostWindowMessage(MSG_CHKDSK_EVENT, code) && tries < FINAL_POST_TRIES;
         ++tries) {
        PauseWorker(FINAL_POST_RETRY_MS);
    }
}

void FailStart(ChkdskJob* job, ChildStart why) {
    {
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        appState.chkdskResultReady = false;
        appState.chkdskResultText = why == CHILD_PIPE_FAILED
                                        ? std::u16string(u"Failed to create pipe")
                                        : u"Failed to start " + std::u16string(CheckerName());
    }
    appState.chkdskRunning.store(false);
    PostFinalEvent(CHKDSK_EVENT_FAILED);
    delete job;
}

}  // namespace

bool StartChkdsk(std::u16string_view volume, bool readOnly) {
    if (!IsVolumeText(volume)) {
        return false;
    }
    if (appState.chkdskCheckerAlive.load() || appState.chkdskRunning.exchange(true)) {
        return false;
    }
    // A cancel left from before is dropped here, not when the worker begins: one pressed between
    // this start and the worker's first step is kept.
    appState.chkdskCancel.store(false);
    appState.chkdskLineEventPending.store(false);
    auto* job = new ChkdskJob{std::u16string(volume), readOnly};
    if (!StartDetachedThread(RunWorker, job)) {
        delete job;
        appState.chkdskRunning.store(false);
        return false;
    }
    return true;
}

bool EndVolumeCheckForExit() {
    if (!appState.chkdskRunning.load()) {
        return true;
    }
    appState.chkdskCancel.store(true);
    for (uint32_t waited = 0; appState.chkdskRunning.load() && waited < EXIT_WAIT_LIMIT_MS;
         waited += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !appState.chkdskRunning.load();
}

void ChkdskWorker(ChkdskJob* job) {
    {
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        appState.chkdskResultReady = false;
        appState.chkdskExitNonZero = false;
        appState.chkdskFixed = false;
        appState.chkdskResultText.clear();
        appState.chkdskLines.clear();
        appState.chkdskPartialLine.clear();
    }

    ChildProcess* child = nullptr;
    const ChildStart started = StartVolumeChecker(job->volume, job->readOnly, child);
    if (started != CHILD_STARTED) {
        FailStart(job, started);
        return;
    }

    LineAssembler lines;
    std::string partialShown;
    char chunk[READ_BYTES];
    while (!appState.chkdskCancel.load()) {
        size_t count = 0;
        const ChildRead read = ReadChildOutput(child, chunk, READ_BYTES, READ_SLICE_MS, count);
        if (read == CHILD_ENDED) {
            break;
        }
        if (read == CHILD_QUIET) {
            continue;
        }
        AddOutputBytes(lines, std::string_view(chunk, count));
        std::string_view line;
        while (TakeLine(lines, line)) {
            AppendLine(line);
        }
        ShowPartialLine(PartialLine(lines), partialShown);
    }
    // What came after the last LF is a line too (also when the run was cancelled mid-line).
    std::string_view last;
    if (TakeLastLine(lines, last)) {
        {
            std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
            appState.chkdskPartialLine.clear();
        }
        AppendLine(last);
    }

    if (appState.chkdskCancel.load()) {
        TerminateChild(child);
    }
    const uint32_t exitCode = WaitForChildExit(child, EXIT_WAIT_MS);
    // A checker that is still there (stuck in the volume's driver, say) may still hold the
    // volume: no new run starts until it has gone.
    const bool lingering = ChildStillRunning(child);
    if (lingering) {
        appState.chkdskCheckerAlive.store(true);
    } else {
        CloseChild(child);
    }

    {
        ChkdskResult result = CheckerOutcome(exitCode, job->readOnly, appState.chkdskCancel.load());
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        appState.chkdskResultReady = result.ready;
        appState.chkdskExitNonZero = result.exitNonZero;
        appState.chkdskFixed = result.fixed;
        appState.chkdskResultText = std::move(result.text);
    }
    appState.chkdskRunning.store(false);
    PostFinalEvent(CHKDSK_EVENT_DONE);
    delete job;
    if (lingering) {
        while (ChildStillRunning(child)) {
            WaitForChildExit(child, LINGER_STEP_MS);
        }
        CloseChild(child);
        appState.chkdskCheckerAlive.store(false);
    }
}

}  // namespace corvanite
