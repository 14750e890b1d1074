// What a volume-check run left in the shared state, in one line for a table's expectation:
// "lines joined by | / flags / result text", "-" for an empty part.
#pragma once

#include <mutex>
#include <string>

#include "state/app_state.h"
#include "text/utf.h"

namespace corvanite::test {

inline std::string Part(const std::string& text) {
    return text.empty() ? "-" : text;
}

inline std::string RunSummary() {
    std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
    std::string lines;
    for (const std::u16string& line : appState.chkdskLines) {
        lines += (lines.empty() ? "" : "|") + Utf16ToUtf8(line);
    }
    const AppState& s = appState;
    const std::string flags = std::string(s.chkdskResultReady ? " ready" : "") +
                              (s.chkdskExitNonZero ? " nonzero" : "") +
                              (s.chkdskFixed ? " fixed" : "") + (s.chkdskRunning ? " running" : "");
    return Part(lines) + " /" + (flags.empty() ? " -" : flags) + " / " +
           Part(Utf16ToUtf8(s.chkdskResultText));
}

}  // namespace corvanite::test
