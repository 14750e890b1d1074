// End-to-end runs of the volume-check worker through a real child process: the stand-in checker
// (fake_chkdsk.cpp) is put where the platform looks for chkdsk.exe, and the worker's events are
// received the way the platform's window host delivers them. The platform part lives in
// child_harness_posix.cpp and child_harness_win32.cpp.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "state/app_state.h"
#include "state/host_queue.h"
#include "volume_check/chkdsk_worker.h"

namespace corvanite::test {

// Makes the stand-in the chkdsk.exe the worker starts; false, with the reason, where that is not
// possible (under real Windows the system's own checker is never replaced).
bool InstallFakeChecker(std::string& why);
// Takes chkdsk.exe away, so that starting it fails.
void RemoveFakeChecker();
// Undoes what InstallFakeChecker changed in this process and removes its files.
void UninstallFakeChecker();
// The script the next run of the stand-in follows (see fake_chkdsk.cpp).
void WriteScript(const std::string& script);
// How the last run of the stand-in was started, and the form the platform gives that record for
// these words (argv one a line on POSIX, the command line on Windows).
std::string RecordedInvocation();
std::string InvocationOf(const std::vector<std::string>& words);
// Whether a child that closes its output streams ends the pipe's output while it runs on; false,
// with the reason, where something else holds the write end until the child ends.
bool ClosedOutputEndsThePipe(std::string& why);

// Attaches a message window that receives the worker's messages.
void OpenEventSink();
void CloseEventSink();
// The next message posted to the main window, waiting at most limitMs.
bool NextEvent(PostedMessage& event, uint32_t limitMs);

// Script lines.
inline std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string words;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        words += ' ';
        words += digits[b >> 4];
        words += digits[b & 15];
    }
    return words;
}
inline std::string Out(const std::string& bytes) {
    return "out" + Hex(bytes) + "\n";
}
inline std::string Err(const std::string& bytes) {
    return "err" + Hex(bytes) + "\n";
}
inline std::string Pause(int ms) {
    return "sleep " + std::to_string(ms) + "\n";
}
inline std::string Exit(int code) {
    return "exit " + std::to_string(code) + "\n";
}

struct RunState {
    std::string events;  // "LINE LINE DONE"
    std::vector<std::u16string> lines;
    bool ready = false;
    bool exitNonZero = false;
    bool fixed = false;
    std::u16string text;
    bool running = false;
};

inline const char* EventName(const PostedMessage& m) {
    if (m.message != MSG_CHKDSK_EVENT) {
        return "OTHER";
    }
    return m.wParam == CHKDSK_EVENT_LINE     ? "LINE"
           : m.wParam == CHKDSK_EVENT_DONE   ? "DONE"
           : m.wParam == CHKDSK_EVENT_FAILED ? "FAILED"
                                             : "OTHER";
}

inline void ResetVolumeCheckState() {
    std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
    appState.chkdskLines.clear();
    appState.chkdskResultReady = false;
    appState.chkdskExitNonZero = false;
    appState.chkdskFixed = false;
    appState.chkdskResultText.clear();
    appState.chkdskCancel.store(false);
    appState.chkdskRunning.store(false);
}

class ChkdskChildTest : public ::testing::Test {
protected:
    // Long enough for a slow first start of a program under Wine; a run that takes longer fails.
    static constexpr uint32_t EVENT_LIMIT_MS = 30000;

    void SetUp() override {
        ResetVolumeCheckState();
        std::string why;
        if (!InstallFakeChecker(why)) {
            GTEST_SKIP() << why;
        }
        installed_ = true;
        OpenEventSink();
    }
    void TearDown() override {
        if (installed_) {
            CloseEventSink();
            UninstallFakeChecker();
        }
        ResetVolumeCheckState();
    }

    // Waits for the next event and adds its name to `events`; false when none came in time.
    static bool Await(std::string& events) {
        PostedMessage event;
        if (!NextEvent(event, EVENT_LIMIT_MS)) {
            return false;
        }

        events += events.empty() ? "" : " ";
        events += EventName(event);
        return true;
    }

    static bool Ended(const std::string& events) {
        return events.ends_with("DONE") || events.ends_with("FAILED");
    }

    // Collects the events up to the run's final one (bounded) and reads the shared state.
    static RunState Finish(std::string events = std::string()) {
        while (!Ended(events) && Await(events)) {
        }
        RunState state;
        state.events = events;
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        state.lines = appState.chkdskLines;
        state.ready = appState.chkdskResultReady;
        state.exitNonZero = appState.chkdskExitNonZero;
        state.fixed = appState.chkdskFixed;
        state.text = appState.chkdskResultText;
        state.running = appState.chkdskRunning.load();
        return state;
    }

    static RunState Run(const std::string& script, const std::u16string& volume, bool readOnly) {
        WriteScript(script);
        if (!StartChkdsk(volume, readOnly)) {
            ADD_FAILURE() << "StartChkdsk refused";
            return RunState();
        }
        return Finish();
    }

private:
    bool installed_ = false;
};

}  // namespace corvanite::test
