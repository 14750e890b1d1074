// The worker through a real child, the stand-in checker (fake_chkdsk.cpp) started as chkdsk.exe:
// the pipe, the command, termination, the exit code and the code page.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <tuple>

#include "fake_child.h"
#include "host/host.h"
#include "volume_check/chkdsk_worker.h"
#ifndef _WIN32
#include "volume_check/child_posix_testing.h"
#endif
#ifdef _WIN32
#include <windows.h>
#endif

namespace corvanite::test {
namespace {

namespace fs = std::filesystem;

void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
    SetEnvironmentVariableA(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

// After the start: the run ends; is cancelled at its first line; outlives the wait; or no checker.
enum Then { ENDS, CANCEL, LIVES_ON, MISSING };

// The stand-in as chkdsk.exe, its script and the file of its words in folder; the eAcute of the
// checker's code page. Empty when it cannot be placed here (why).
fs::path PlaceChecker(const fs::path& folder, std::string& eAcute,
                      [[maybe_unused]] std::string& why) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    SetVariable("CORVANITE_FAKE_CHKDSK_SCRIPT", (folder / "script").string());
    SetVariable("CORVANITE_FAKE_CHKDSK_ARGS", (folder / "args").string());
#ifdef _WIN32       // the worker starts the system directory's chkdsk.exe: replaced under Wine only
    eAcute = "82";  // code page 437, the OEM code page of Wine's English locale
    const fs::path checker = fs::path(std::getenv("SystemRoot")) / "system32" / "chkdsk.exe";
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr) {
        why = "not under Wine: the system's own chkdsk.exe stays";
        return {};
    }
    fs::copy_file(CORVANITE_FAKE_CHKDSK, checker, fs::copy_options::overwrite_existing);
#else  // a link called chkdsk.exe in a folder that is all of PATH, started in fsck's place
    const fs::path checker = folder / "chkdsk.exe";
    fs::create_symlink(CORVANITE_FAKE_CHKDSK, checker);
    SetVariable("PATH", folder.string());
    InstallChildProcessAccess(&StandInChildProcessAccess());
    eAcute = "c3 a9";
#endif
    return checker;
}

TEST(ChkdskChild, Runs) {
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    const fs::path folder = fs::path(CORVANITE_FAKE_CHKDSK).parent_path() / "chkdsk-child";
    std::string eAcute, why;
    const fs::path checker = PlaceChecker(folder, eAcute, why);
    if (checker.empty()) {
        GTEST_SKIP() << why;
    }
    AttachMessageWindow(1);  // on Linux the final events are queued, not posted again for a while
    // The script; read-only; the run's summary, then the child's words, one a line.
    // clang-format off
    const std::tuple<std::string, bool, std::string, Then> cases[] = {
        // Both streams on one pipe, in the code page; also a read of one byte alone (the "o").
        {"out 6f\nsleep 50\nout 75 74 0d 0a\nerr 65 0d 0a\nout 63 " + eAcute + " 0d 0a\n", true,
            "out|e|c\u00E9 / ready / No errors found chkdsk.exe\nD:\n/v\n", ENDS},
        {"exit 2\n", true, "- / ready nonzero / No errors, but the volume needs a cleanup: SCAN + FIX does it "
            "chkdsk.exe\nD:\n/v\n", ENDS},
        {"exit 1\n", false, "- / ready nonzero fixed / Errors found and corrected chkdsk.exe\n"
            "D:\n/f\n/x\n/v\n", ENDS},
        // A question (a repair of the volume in use asks about the next restart) is answered
        // No, so the check ends, and the answer shows on the question's line.
        {"ask\nask\nexit 3\n", false, "Proceed (Y/N)? N|Proceed (Y/N)? (no answer) / ready nonzero / "
            "The volume could not be checked, or its errors could not be fixed; a volume in use (the "
            "system's own) can only be repaired at a restart: see the output chkdsk.exe\nD:\n/f\n/x\n/v\n", ENDS},
        // Exit code 0, not the script's 3: the hanging child was terminated and its end was seen.
        {"out 61 0a\nsleep 60000\nexit 3\n", true,
            "a / - / Operation cancelled chkdsk.exe\nD:\n/v\n", CANCEL},
#ifndef _WIN32  // Wine's console host for a CREATE_NO_WINDOW child keeps its pipe open
        {"out 62 0a\nclose\nsleep 7000\n", true, "b / ready nonzero / chkdsk returned unexpected "
            "exit code chkdsk.exe\nD:\n/v\nalive", LIVES_ON},
#endif
        {"exit 0\n", true, "- / - / Failed to start chkdsk ", MISSING},
    };
    // clang-format on
    for (const auto& [script, readOnly, expected, then] : cases) {
        std::ofstream(folder / "script", std::ios::binary) << script;
        fs::remove(folder / "args");
        if (then == MISSING) {
            fs::remove(checker);
        }
        ResetAppState();
        EXPECT_TRUE(StartChkdsk(u"D:", readOnly));
        // Long enough for a slow first start under Wine.
        for (int i = 0; i < 30000 && appState.chkdskRunning; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (then == CANCEL && !RunSummary().starts_with("- ")) {
                EXPECT_TRUE(EndVolumeCheckForExit());  // as the window's close does
            }
        }
        EXPECT_TRUE(EndVolumeCheckForExit());  // nothing left to end
        std::ostringstream args;
        args << std::ifstream(folder / "args", std::ios::binary).rdbuf();
        EXPECT_EQ(RunSummary() + " " + args.str() + (appState.chkdskCheckerAlive ? "alive" : ""),
                  expected);
        for (int i = 0; i < 10000 && appState.chkdskCheckerAlive; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_FALSE(appState.chkdskCheckerAlive);
    }
    SetVariable("PATH", path);
    AttachMessageWindow(0);
}

#ifndef _WIN32
// The window closed while a check floods its output: the exit after the message loop
// (FinishProgram) ends the process without destroying the state under the running worker (under
// the sanitizers a use after free fails the child) and only while a worker runs.
TEST(ChkdskChild, ExitDuringAFlood) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto flood = [] {
        std::string eAcute, why;
        const fs::path folder = fs::path(CORVANITE_FAKE_CHKDSK).parent_path() / "chkdsk-exit";
        PlaceChecker(folder, eAcute, why);
        std::ofstream(folder / "script") << "lines 200000 60\n";
        AttachMessageWindow(1);
        StartChkdsk(u"C:", true);
        for (size_t i = 0, lines = 0; i < 3000 && lines < 2000; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
            lines = appState.chkdskLines.size();
        }
        FinishProgram(0);
    };
    EXPECT_EXIT(flood(), testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace corvanite::test
