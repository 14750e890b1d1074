// The scripted child that corvanite_tests installs in place of the platform's (its table is
// defined in test_volume_check.cpp), and what a run left in the shared state.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "state/app_state.h"
#include "text/utf.h"
#include "volume_check/child_process.h"

namespace corvanite::test {

inline const std::string CANCEL_READ = "<cancel>";  // asks the run to end, as Cancel does

struct FakeChildScript {
    ChildStart start = CHILD_STARTED;
    std::vector<std::string> reads{};  // one entry per read; "" is a slice in which nothing came
    uint32_t exitCode = 0;             // as the wait reports it (0 once terminated)
};

struct FakeChildRecord {
    int starts = 0;
    std::u16string volume;
    bool readOnly = false;
    std::string calls;  // "C: ro [RunSummary() at the first read] kill close"
};

const ChildProcessAccess& FakeChildProcessAccess();

// The script of the next start, which clears the record. Set before a run, read after its end.
void SetFakeChild(const FakeChildScript& script);
FakeChildRecord FakeChildSoFar();
inline std::atomic<bool> childLingers{false};  // while set, the child is running after the wait

// "lines joined by | / flags / result text", "-" for an empty part.
inline std::string RunSummary() {
    std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
    const AppState& s = appState;
    std::string lines;
    for (size_t i = 0; i < s.chkdskLines.size(); ++i) {
        lines.append(i > 0 ? "|" : "").append(Utf16ToUtf8(s.chkdskLines[i]));
    }
    const std::string flags = std::string(s.chkdskResultReady ? " ready" : " -") +
                              (s.chkdskExitNonZero ? " nonzero" : "") +
                              (s.chkdskFixed ? " fixed" : "") + (s.chkdskRunning ? " running" : "");
    const std::string text = Utf16ToUtf8(s.chkdskResultText);
    return (lines.empty() ? "-" : lines) + " /" + flags + " / " + (text.empty() ? "-" : text);
}

}  // namespace corvanite::test
