// The worker through a real child, the stand-in checker, on this platform: what the scripted
// child cannot show (the pipe, the command, termination, exit code and code page).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "run_summary.h"
#include "stand_in.h"
#include "volume_check/chkdsk_worker.h"

namespace corvanite::test {
namespace {

// A script line writing these bytes to standard output ("out") or standard error ("err").
std::string Write(const std::string& bytes, const char* stream = "out") {
    std::string line = stream;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        line += {' ', "0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]};
    }
    return line + "\n";
}

class ChkdskChild : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppState();
        std::filesystem::create_directories(folder_);
        std::string why;
        checker_ = PlaceChecker(CORVANITE_FAKE_CHKDSK, folder_, why);
        if (checker_.empty()) {
            GTEST_SKIP() << why;
        }
        SetVariable("CORVANITE_FAKE_CHKDSK_SCRIPT", folder_ / "script");
        SetVariable("CORVANITE_FAKE_CHKDSK_ARGS", folder_ / "args");
    }
    void TearDown() override {
        SetVariable("PATH", path_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    // Starts a run of the script, then Wait().
    std::string Run(const std::string& script, bool readOnly = true, bool untilLine = false) {
        std::ofstream(folder_ / "script", std::ios::binary) << script;
        EXPECT_TRUE(StartChkdsk(u"D:", readOnly));
        return Wait(untilLine);
    }
    // "lines / flags / result text" once the run has ended (or untilLine, once its first line has
    // come), waiting long enough for a slow first start under Wine.
    std::string Wait(bool untilLine = false) {
        for (int i = 0; i < 30000 && (untilLine ? RunSummary().starts_with("- ")
                                                : appState.chkdskRunning.load());
             ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::ifstream args(folder_ / "args", std::ios::binary);
        args_.assign(std::istreambuf_iterator<char>(args), std::istreambuf_iterator<char>());
        return RunSummary();
    }

    const std::string path_ = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    const std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() /
        ("corvanite-chkdsk-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::path checker_;
    std::string args_;  // the words the child was started with, one a line
};

// Also a read of one byte alone (the "o").
TEST_F(ChkdskChild, BothStreamsOnOnePipeInTheCodePage) {
    EXPECT_EQ(Run(Write("o") + "sleep 50\n" + Write("ut\r\n") + Write("err\r\n", "err") +
                  Write(std::string("caf") + E_ACUTE + "\r\n")),
              "out|err|caf\u00E9 / ready / No errors found");
}

TEST_F(ChkdskChild, ArgumentsAndExitCodeAsTheCheckerHasThem) {
    EXPECT_EQ(Run("exit 2\n"),
              "- / ready nonzero / Volume requires cleanup (chkdsk /f recommended)");
    EXPECT_EQ(args_, "chkdsk.exe\nD:\n/v\n");
    EXPECT_EQ(Run("exit 1\n", false), "- / ready nonzero fixed / Errors found and corrected");
    EXPECT_EQ(args_, "chkdsk.exe\nD:\n/f\n/x\n/v\n");
}

// Exit code 0, not the script's 3: the hanging child was terminated and its end was seen.
TEST_F(ChkdskChild, CancelEndsAHangingChild) {
    EXPECT_EQ(Run(Write("started\r\n") + "sleep 60000\nexit 3\n", true, true),
              "started / running / -");
    appState.chkdskCancel = true;
    EXPECT_EQ(Wait(), "started / - / Operation cancelled");
}

TEST_F(ChkdskChild, AMissingCheckerFailsTheStart) {
    std::filesystem::remove(checker_);
    EXPECT_EQ(Run("exit 0\n"), "- / - / Failed to start chkdsk.exe");
}

// The child closes its output and lives on past the worker's wait: STILL_ACTIVE, unexpected.
TEST_F(ChkdskChild, AChildStillRunningAfterTheWait) {
    if (CLOSED_OUTPUT_UNTESTABLE != nullptr) {
        GTEST_SKIP() << CLOSED_OUTPUT_UNTESTABLE;
    }
    EXPECT_EQ(Run(Write("bye\r\n") + "close\nsleep 8000\n"),
              "bye / ready nonzero / chkdsk returned unexpected exit code");
    EXPECT_FALSE(StartChkdsk(u"D:", true));  // not while that checker lives on
    for (int i = 0; i < 10000 && appState.chkdskCheckerAlive; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(appState.chkdskCheckerAlive);
}

}  // namespace
}  // namespace corvanite::test
