// The portable volume check: the result of a run, its output cut into lines, and the worker over
// the scripted child and the fake window host.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "fake_child.h"
#include "fake_host.h"
#include "run_summary.h"
#include "state/host.h"
#include "volume_check/chkdsk_outcome.h"
#include "volume_check/chkdsk_worker.h"
#include "volume_check/line_assembler.h"

namespace corvanite {
namespace {

using std::string_literals::operator""s;

TEST(ChkdskOutcome, ExitCodeAndModeGiveSentenceAndFlags) {
    const struct {
        uint32_t exitCode;
        bool readOnly;
        bool cancelled;
        const char* expected;  // ready, exit code not 0, fixed; the sentence
    } cases[] = {
        {0, true, false, "100 No errors found"},
        {0, false, false, "100 No errors found"},
        {1, true, false, "110 Errors detected (run without /f to fix)"},
        {1, false, false, "111 Errors found and corrected"},
        {2, false, false, "110 Volume requires cleanup (chkdsk /f recommended)"},
        {3, true, false, "110 Could not check disk \u2014 volume may be in use"},
        {4, true, false, "110 chkdsk returned unexpected exit code"},
        {CHKDSK_STILL_ACTIVE, false, false, "110 chkdsk returned unexpected exit code"},
        // Cancelled: the sentence says so; the flags still follow the exit code.
        {0, true, true, "000 Operation cancelled"},
        {1, false, true, "011 Operation cancelled"},
    };
    for (const auto& c : cases) {
        const ChkdskResult r = ChkdskOutcome(c.exitCode, c.readOnly, c.cancelled);
        const std::string flags{char('0' + r.ready), char('0' + r.exitNonZero),
                                char('0' + r.fixed)};
        EXPECT_EQ(flags + " " + Utf16ToUtf8(r.text), c.expected) << c.exitCode << c.readOnly;
    }
}

TEST(LineAssembler, ReadsToLines) {
    const struct {
        std::vector<std::string> reads;
        std::vector<std::string> lines;
    } cases[] = {
        {{"a\r\nb\n"}, {"a", "b"}},
        {{"x\ry\r\n", "x\r\r\n"}, {"x\ry", "x\r"}},  // only the CR right before the LF goes
        {{"\r\n\n", "\n"}, {"", "", ""}},
        // Lines over reads, also between a CR and its LF, also after lines already taken.
        {{"ab", "c\r", "\nd\n"}, {"abc", "d"}},
        {{"a\nb", "c\nd\n"}, {"a", "bc", "d"}},
        // Code-page bytes pass as they are; a character cut in half reaches the conversion whole.
        {{"\x82t\xE9 caf\xC3", "\xA9\r\n"}, {"\x82t\xE9 caf\xC3\xA9"}},
        // The last line without LF, with one CR removed as from any line.
        {{"done\r\ntail\r\r"}, {"done", "tail\r"}},
        {{"ta", "il"}, {"tail"}},
        {{"\r"}, {""}},
        // A zero byte goes alone; the line goes on.
        {{"a\0b\r\n"s, "\0\0x\0"s, "y\n\0"s}, {"ab", "xy"}},
        {{"\r\0\n"s}, {""}},
        {{}, {}},
        {{"", "\0"s}, {}},
    };
    for (const auto& c : cases) {
        LineAssembler assembler;
        std::vector<std::string> lines;
        std::string_view line;
        for (const std::string& read : c.reads) {
            AddOutputBytes(assembler, read);
            while (TakeLine(assembler, line)) {
                lines.emplace_back(line);
            }
        }
        if (TakeLastLine(assembler, line)) {
            lines.emplace_back(line);
        }
        EXPECT_EQ(lines, c.lines) << testing::PrintToString(c.reads);
    }
}

// Besides what an earlier run left (lines, result, its cancel request): a run still going, or
// no thread to be had.
// Or a cancel pressed before the worker runs; or a window queue that refuses the first posts.
enum Before { LEFT_OVER, RUNNING, NO_THREAD, EARLY_CANCEL, FULL_QUEUE };

struct Case {
    const char16_t* volume;
    bool readOnly;
    test::FakeChildScript child;
    const char* expected;  // "events / lines / flags / result text / child calls"
    Before before = LEFT_OVER;
};

std::string RunCase(const Case& c) {
    ResetAppState();
    test::ResetHost();
    AttachMessageWindow(1);
    test::SetFakeChild(c.child);
    appState.chkdskLines = {u"old"};
    appState.chkdskResultReady = appState.chkdskExitNonZero = appState.chkdskFixed = true;
    appState.chkdskResultText = u"old";
    appState.chkdskCancel = true;
    appState.chkdskRunning = c.before == RUNNING;
    test::Host().refuseThreads = c.before == NO_THREAD;
    test::Host().refusePosts = c.before == FULL_QUEUE ? 5 : 0;

    if (c.before == EARLY_CANCEL) {  // pressed between the start and the worker's first step
        test::Host().beforeThread = [] { appState.chkdskCancel = true; };
    }
    const bool started = StartChkdsk(c.volume, c.readOnly);
    std::vector<PostedMessage> posted = test::PostedSoFar();
    // Long enough for a slow machine (Wine's threads under load): the run ends well before.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (; started && std::chrono::steady_clock::now() < deadline; posted = test::PostedSoFar()) {
        if (!posted.empty() && posted.back().wParam != CHKDSK_EVENT_LINE) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::string events = started ? "" : "refused";
    for (const PostedMessage& m : posted) {
        events.append(events.empty() ? "" : " ")
            .append(m.message != MSG_CHKDSK_EVENT   ? "?"
                    : m.wParam == CHKDSK_EVENT_LINE ? "LINE"
                    : m.wParam == CHKDSK_EVENT_DONE ? "DONE"
                                                    : "FAILED");
    }
    return events + " / " + test::RunSummary() + " / " + test::Part(test::FakeChildSoFar().calls);
}

TEST(ChkdskWorker, Runs) {
    // clang-format off
    const Case cases[] = {
        // Lines over reads and quiet slices, each converted whole; the last one without LF.
        {u"A:", true, {CHILD_STARTED, {"first\r\nsec", "", "ond\r\ncaf\xC3", "\xA9\n", "ta\0il"s}},
            "LINE DONE / first|second|caf\u00E9|tail / ready / No errors found / "
            "A: ro [- / running / -] close"},
        {u"Z:", false, {CHILD_STARTED, {"fixed\r\n"}, 1},
            "LINE DONE / fixed / ready nonzero fixed / Errors found and corrected / "
            "Z: fix [- / running / -] close"},
        // A cancel ends the run at once; the line in progress is kept.
        {u"C:", true, {CHILD_STARTED, {"one\r\ntw", test::CANCEL_READ, "never\r\n"}, 3},
            "LINE DONE / one|tw / - / Operation cancelled / C: ro [- / running / -] kill close"},
        // A cancel pressed between the start and the worker's first step is kept; a final event
        // the full queue refused is posted again.
        {u"C:", true, {CHILD_STARTED, {"a\r\n"}},
            "DONE / - / - / Operation cancelled / C: ro kill close", EARLY_CANCEL},
        {u"C:", true, {CHILD_STARTED, {"a\r\n"}},
            "DONE / a / ready / No errors found / C: ro [- / running / -] close", FULL_QUEUE},
        {u"C:", true, {CHILD_PIPE_FAILED}, "FAILED / - / - / Failed to create pipe / C: ro"},
        {u"C:", true, {CHILD_START_FAILED}, "FAILED / - / - / Failed to start chkdsk.exe / C: ro"},
        // Refused: nothing changes, nothing is posted, no child is started.
        {u"c:", true, {}, "refused / old / ready nonzero fixed / old / -"},
        {u"C: /f", true, {}, "refused / old / ready nonzero fixed / old / -"},
        {u"C:", true, {}, "refused / old / ready nonzero fixed running / old / -", RUNNING},
        {u"C:", true, {}, "refused / old / ready nonzero fixed / old / -", NO_THREAD},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(RunCase(c), c.expected);
    }
    AttachMessageWindow(0);
    ResetAppState();
}

// One line event waits for the window at a time, however many lines come; a checker that
// outlives the wait for its end holds off the next run until it is gone.
TEST(ChkdskWorker, FloodAndLingeringChecker) {
    const Case flood{u"C:", true, {CHILD_STARTED, std::vector<std::string>(20000, "x\n")}, ""};
    EXPECT_EQ(RunCase(flood).substr(0, 12), "LINE DONE / ");
    EXPECT_EQ(appState.chkdskLines.size(), 20000u);
    test::FakeChildScript lingering;
    lingering.outlivesTheWait = true;
    EXPECT_EQ(RunCase({u"C:", true, lingering, ""}),
              "DONE / - / ready nonzero / chkdsk returned unexpected exit code / C: ro [- / "
              "running / -]");
    EXPECT_TRUE(appState.chkdskCheckerAlive);
    EXPECT_FALSE(StartChkdsk(u"C:", true));
    test::EndFakeChild();
    for (int i = 0; i < 5000 && appState.chkdskCheckerAlive; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(test::Part(test::FakeChildSoFar().calls), "C: ro [- / running / -] close");
    AttachMessageWindow(0);
    ResetAppState();
}

}  // namespace
}  // namespace corvanite
