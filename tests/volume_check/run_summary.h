// What a volume-check run left in the shared state, in one line: "lines joined by | / flags /
// result text", "-" for an empty part.
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
    const AppState& s = appState;
    std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
    std::string lines;
    for (const std::u16string& line : s.chkdskLines) {
        lines.append(lines.empty() ? "" : "|").append(Utf16ToUtf8(line));
    }
    const std::string flags = std::string(s.chkdskResultReady ? " ready" : "") +
                              (s.chkdskExitNonZero ? " nonzero" : "") +
                              (s.chkdskFixed ? " fixed" : "") + (s.chkdskRunning ? " running" : "");
    return Part(lines) + " /" + (flags.empty() ? " -" : flags) + " / " +
           Part(Utf16ToUtf8(s.chkdskResultText));
}

}  // namespace corvanite::test
