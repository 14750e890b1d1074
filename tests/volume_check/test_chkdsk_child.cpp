// The volume-check worker end to end, through a real child process (the stand-in checker) and
// the platform's window host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_harness.h"

namespace corvanite::test {
namespace {

using std::string_literals::operator""s;
using Lines = std::vector<std::u16string>;

TEST_F(ChkdskChildTest, LinesAsAssembledFromBothStreams) {
    const std::string script = Out("a\r\nb\r\n") + Err("from stderr\r\n") +
                               // A line over two writes, with a pause between them.
                               Out("ab") + Pause(50) + Out("c\r\n") +
                               // A lone CR stays; empty lines by CR LF and by LF.
                               Out("x\ry\r\n") + Out("\r\n\n") +
                               // Zero bytes go alone, also inside a line that goes on later.
                               Out("ze\0ro\r\n"s) + Out("li\0"s) + Pause(50) + Out("ne\n") +
                               Err("err\0or\r\n"s) +
                               // A last line without LF.
                               Out("tail\r") + Exit(0);
    const RunState run = Run(script, u"D:", true);
    EXPECT_EQ(run.lines, (Lines{u"a", u"b", u"from stderr", u"abc", u"x\ry", u"", u"", u"zero",
                                u"line", u"error", u"tail"}));
    // One line event for them all: none is posted while one waits unhandled.
    EXPECT_EQ(run.events, "LINE DONE");
    EXPECT_TRUE(run.ready);
    EXPECT_FALSE(run.exitNonZero);
    EXPECT_FALSE(run.fixed);
    EXPECT_EQ(run.text, u"No errors found");
    EXPECT_FALSE(run.running);
    EXPECT_EQ(RecordedInvocation(), InvocationOf({"chkdsk.exe", "D:", "/v"}));
}

// A flood of output while the window handles no event: one message per line would fill the
// window's queue (Windows refuses posts beyond 10,000) and the final event would be lost.
TEST_F(ChkdskChildTest, AFloodOfLinesQueuesOneLineEventAndTheEnd) {
    const RunState run = Run("lines 20000 40\n" + Exit(0), u"C:", true);
    EXPECT_EQ(run.events, "LINE DONE");
    ASSERT_EQ(run.lines.size(), 20000u);
    EXPECT_EQ(run.lines.back(), u"ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMN");
    EXPECT_EQ(run.text, u"No errors found");
}

TEST_F(ChkdskChildTest, ExitCodesGiveTheResult) {
    struct Case {
        int exitCode;
        bool readOnly;
        bool exitNonZero;
        bool fixed;
        const char16_t* text;
    };
    const Case cases[] = {
        {0, true, false, false, u"No errors found"},
        {1, true, true, false, u"Errors detected (run without /f to fix)"},
        {1, false, true, true, u"Errors found and corrected"},
        {2, true, true, false, u"Volume requires cleanup (chkdsk /f recommended)"},
        {3, false, true, false, u"Could not check disk \u2014 volume may be in use"},
        {4, true, true, false, u"chkdsk returned unexpected exit code"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "exit " << c.exitCode << (c.readOnly ? " read-only" : " fix"));
        const RunState run = Run(Out("checking\r\n") + Exit(c.exitCode), u"E:", c.readOnly);
        EXPECT_EQ(run.events, "LINE DONE");
        EXPECT_EQ(run.lines, Lines{u"checking"});
        EXPECT_TRUE(run.ready);
        EXPECT_EQ(run.exitNonZero, c.exitNonZero);
        EXPECT_EQ(run.fixed, c.fixed);
        EXPECT_EQ(run.text, std::u16string(c.text));
        EXPECT_FALSE(run.running);
        EXPECT_EQ(RecordedInvocation(), c.readOnly
                                            ? InvocationOf({"chkdsk.exe", "E:", "/v"})
                                            : InvocationOf({"chkdsk.exe", "E:", "/f", "/x", "/v"}));
    }
}

// The stand-in writes one line and then nothing for a minute. The cancel is seen between read
// slices: the run ends long before the child would have, which the event wait's bound checks.
TEST_F(ChkdskChildTest, OneRunAtATimeAndCancelWhileTheChildIsSilent) {
    WriteScript(Out("started\r\n") + Pause(60000) + Exit(3));
    ASSERT_TRUE(StartChkdsk(u"D:", true));
    std::string events;
    ASSERT_TRUE(Await(events));
    ASSERT_EQ(events, "LINE");

    EXPECT_FALSE(StartChkdsk(u"E:", false));
    EXPECT_TRUE(appState.chkdskRunning.load());
    {
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        EXPECT_EQ(appState.chkdskLines, Lines{u"started"});
        EXPECT_TRUE(appState.chkdskResultText.empty());
    }

    appState.chkdskCancel.store(true);
    const RunState run = Finish(events);
    EXPECT_EQ(run.events, "LINE DONE");
    EXPECT_EQ(run.lines, Lines{u"started"});
    EXPECT_FALSE(run.ready);
    // Terminated with exit code 0, not the 3 the script would have ended with.
    EXPECT_FALSE(run.exitNonZero);
    EXPECT_FALSE(run.fixed);
    EXPECT_EQ(run.text, u"Operation cancelled");
    EXPECT_FALSE(run.running);
    // Only the first start ran a child.
    EXPECT_EQ(RecordedInvocation(), InvocationOf({"chkdsk.exe", "D:", "/v"}));
}

TEST_F(ChkdskChildTest, AMissingCheckerFailsTheStart) {
    RemoveFakeChecker();
    {
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        appState.chkdskLines = {u"from before"};
        appState.chkdskResultText = u"old";
    }
    ASSERT_TRUE(StartChkdsk(u"C:", true));
    const RunState run = Finish();
    EXPECT_EQ(run.events, "FAILED");
    EXPECT_TRUE(run.lines.empty());
    EXPECT_FALSE(run.ready);
    EXPECT_FALSE(run.exitNonZero);
    EXPECT_FALSE(run.fixed);
    EXPECT_EQ(run.text, u"Failed to start chkdsk.exe");
    EXPECT_FALSE(run.running);
    // Nothing more comes after the failure.
    PostedMessage late;
    EXPECT_FALSE(NextEvent(late, 200));
}

// The child closes its output and lives on past the worker's five-second wait: its exit code is
// the system's STILL_ACTIVE, an unexpected one.
TEST_F(ChkdskChildTest, AChildStillRunningAfterTheWait) {
    std::string why;
    if (!ClosedOutputEndsThePipe(why)) {
        GTEST_SKIP() << why;
    }
    const RunState run = Run(Out("bye\r\n") + "close\n" + Pause(8000) + Exit(0), u"C:", true);
    EXPECT_EQ(run.events, "LINE DONE");
    EXPECT_EQ(run.lines, Lines{u"bye"});
    EXPECT_TRUE(run.ready);
    EXPECT_TRUE(run.exitNonZero);
    EXPECT_EQ(run.text, u"chkdsk returned unexpected exit code");
    // It may still hold the volume: no new run until it has gone.
    EXPECT_TRUE(appState.chkdskCheckerAlive.load());
    EXPECT_FALSE(StartChkdsk(u"C:", true));
    for (int i = 0; i < 1000 && appState.chkdskCheckerAlive.load(); ++i) {
        PostedMessage none;
        NextEvent(none, 10);
    }
    EXPECT_FALSE(appState.chkdskCheckerAlive.load());
}

}  // namespace
}  // namespace corvanite::test
