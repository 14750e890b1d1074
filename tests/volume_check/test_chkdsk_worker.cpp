// The worker's rules with the child process and the window host replaced by scripted fakes:
// what a real child cannot show (a pipe that cannot be made, a thread that cannot start, the
// bytes each conversion gets). Runs through a real child are in test_chkdsk_child.cpp.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fake_child.h"
#include "fake_host.h"
#include "state/app_state.h"
#include "state/host.h"
#include "volume_check/chkdsk_worker.h"

namespace corvanite {
namespace {

using std::string_literals::operator""s;
using Lines = std::vector<std::u16string>;

constexpr PostedMessage LINE{MSG_CHKDSK_EVENT, CHKDSK_EVENT_LINE};
constexpr PostedMessage DONE{MSG_CHKDSK_EVENT, CHKDSK_EVENT_DONE};
constexpr PostedMessage FAILED{MSG_CHKDSK_EVENT, CHKDSK_EVENT_FAILED};

struct Shared {
    Lines lines;
    bool ready;
    bool exitNonZero;
    bool fixed;
    std::u16string text;
};

Shared Read() {
    std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
    return Shared{appState.chkdskLines, appState.chkdskResultReady, appState.chkdskExitNonZero,
                  appState.chkdskFixed, appState.chkdskResultText};
}

void Write(const Shared& values) {
    std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
    appState.chkdskLines = values.lines;
    appState.chkdskResultReady = values.ready;
    appState.chkdskExitNonZero = values.exitNonZero;
    appState.chkdskFixed = values.fixed;
    appState.chkdskResultText = values.text;
}

bool IsEnd(const PostedMessage& m) {
    return m == DONE || m == FAILED;
}

// Everything posted until the run's final event (bounded: ten seconds).
std::vector<PostedMessage> WaitForRunEnd() {
    for (int i = 0; i < 10000; ++i) {
        std::vector<PostedMessage> posted = test::PostedSoFar();
        for (const PostedMessage& m : posted) {
            if (IsEnd(m)) {
                return posted;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return test::PostedSoFar();
}

// The posted messages in words: "LINE LINE DONE".
std::string Describe(const std::vector<PostedMessage>& posted) {
    std::string words;
    for (const PostedMessage& m : posted) {
        words += words.empty() ? "" : " ";
        words += m == LINE ? "LINE" : m == DONE ? "DONE" : m == FAILED ? "FAILED" : "OTHER";
    }
    return words;
}

class ChkdskWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetHost();
        test::SetFakeChild(test::FakeChildScript());
        ResetAppState();
        AttachMessageWindow(1);
    }
    void TearDown() override {
        AttachMessageWindow(0);
        ResetAppState();
        test::ResetHost();
    }
};

TEST_F(ChkdskWorkerTest, LinesEventsAndResultOfACleanRun) {
    test::FakeChildScript script;
    script.reads = {"first\r\nsec", "", "ond\r\n\r\nx\ry\r\ncaf\xC3", "\xA9\n", "ta\0il"s};
    script.exitCode = 0;
    test::SetFakeChild(script);
    // Left over from before: the run drops it, and what the last run left is reset.
    appState.chkdskCancel.store(true);
    Write(Shared{{u"old"}, true, true, true, u"old result"});

    ASSERT_TRUE(StartChkdsk(u"D:", true));
    // The window handles no event here: the first line's event stays the only one.
    EXPECT_EQ(Describe(WaitForRunEnd()), "LINE DONE");

    const Shared after = Read();
    EXPECT_EQ(after.lines, (Lines{u"first", u"second", u"", u"x\ry", u"caf\u00E9", u"tail"}));
    EXPECT_TRUE(after.ready);
    EXPECT_FALSE(after.exitNonZero);
    EXPECT_FALSE(after.fixed);
    EXPECT_EQ(after.text, u"No errors found");
    EXPECT_FALSE(appState.chkdskRunning.load());

    const test::FakeChildRecord child = test::FakeChildSoFar();
    EXPECT_EQ(child.starts, 1);
    EXPECT_EQ(child.volume, u"D:");
    EXPECT_TRUE(child.readOnly);
    // Each whole line is converted once, after it was assembled.
    EXPECT_EQ(child.convertedLines,
              (std::vector<std::string>{"first", "second", "", "x\ry", "caf\xC3\xA9", "tail"}));
    EXPECT_LE(child.largestRead, 4095u);
    EXPECT_LE(child.readSliceMs, 100u);
    EXPECT_FALSE(child.terminated);
    EXPECT_EQ(child.waitLimitMs, 5000u);
    EXPECT_TRUE(child.closed);
}

TEST_F(ChkdskWorkerTest, StartFailuresPostOnlyTheFailure) {
    const std::pair<ChildStart, const char16_t*> failures[] = {
        {CHILD_PIPE_FAILED, u"Failed to create pipe"},
        {CHILD_START_FAILED, u"Failed to start chkdsk.exe"},
    };
    for (const auto& [start, text] : failures) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(text)));
        test::ResetHost();
        test::FakeChildScript script;
        script.start = start;
        test::SetFakeChild(script);
        Write(Shared{{u"old"}, true, true, true, u"old result"});

        ASSERT_TRUE(StartChkdsk(u"C:", true));
        EXPECT_EQ(Describe(WaitForRunEnd()), "FAILED");
        const Shared after = Read();
        EXPECT_TRUE(after.lines.empty());
        EXPECT_FALSE(after.ready);
        EXPECT_FALSE(after.exitNonZero);
        EXPECT_FALSE(after.fixed);
        EXPECT_EQ(after.text, std::u16string(text));
        EXPECT_FALSE(appState.chkdskRunning.load());
        EXPECT_FALSE(test::FakeChildSoFar().closed);
    }
}

// A cancel pressed right after the start, before the worker's first step, ends the run; a final
// event the full queue refuses is posted again.
TEST_F(ChkdskWorkerTest, AnEarlyCancelIsKeptAndARefusedEndIsPostedAgain) {
    test::FakeChildScript script;
    script.reads = {"a\r\n"};
    test::SetFakeChild(script);
    ASSERT_TRUE(StartChkdsk(u"C:", true));
    appState.chkdskCancel.store(true);
    EXPECT_EQ(Describe(WaitForRunEnd()), "DONE");
    EXPECT_EQ(Read().text, u"Operation cancelled");
    EXPECT_TRUE(test::FakeChildSoFar().terminated);

    test::ResetHost();
    test::Host().refusePosts = 5;
    test::SetFakeChild(test::FakeChildScript());
    ASSERT_TRUE(StartChkdsk(u"C:", true));
    EXPECT_EQ(Describe(WaitForRunEnd()), "DONE");
}

// A checker that outlives the wait for its end keeps a new run from starting until it is gone.
TEST_F(ChkdskWorkerTest, ACheckerStillAliveHoldsOffTheNextRun) {
    test::FakeChildScript script;
    script.stillRunningLooks = 1 << 30;
    test::SetFakeChild(script);
    ASSERT_TRUE(StartChkdsk(u"C:", true));
    EXPECT_EQ(Describe(WaitForRunEnd()), "DONE");
    EXPECT_FALSE(appState.chkdskRunning.load());
    EXPECT_TRUE(appState.chkdskCheckerAlive.load());
    EXPECT_FALSE(StartChkdsk(u"C:", true));
    EXPECT_FALSE(test::FakeChildSoFar().closed);

    test::SetFakeChild(test::FakeChildScript());  // the checker ends
    for (int i = 0; i < 5000 && appState.chkdskCheckerAlive.load(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(appState.chkdskCheckerAlive.load());
    EXPECT_TRUE(test::FakeChildSoFar().closed);
}

TEST_F(ChkdskWorkerTest, RefusedStartsChangeNothing) {
    const Shared before{{u"kept"}, true, true, false, u"kept result"};
    Write(before);

    test::Host().refuseThreads = true;
    EXPECT_FALSE(StartChkdsk(u"C:", true));
    EXPECT_FALSE(appState.chkdskRunning.load());
    test::Host().refuseThreads = false;

    // A volume text that would add words to the command line never reaches it.
    EXPECT_FALSE(StartChkdsk(u"C: /f", true));
    EXPECT_FALSE(StartChkdsk(u"c:", true));
    EXPECT_FALSE(appState.chkdskRunning.load());

    appState.chkdskRunning.store(true);
    EXPECT_FALSE(StartChkdsk(u"C:", true));
    EXPECT_TRUE(appState.chkdskRunning.load());
    appState.chkdskRunning.store(false);

    const Shared after = Read();
    EXPECT_EQ(after.lines, before.lines);
    EXPECT_EQ(after.text, before.text);
    EXPECT_TRUE(after.ready);
    EXPECT_TRUE(after.exitNonZero);
    EXPECT_TRUE(test::PostedSoFar().empty());
    EXPECT_EQ(test::Host().threadsStarted, 0);
    EXPECT_EQ(test::FakeChildSoFar().starts, 0);
}

}  // namespace
}  // namespace corvanite
