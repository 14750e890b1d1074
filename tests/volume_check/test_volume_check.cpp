// The portable volume check: a run's result, its output cut into lines, and the worker over the
// scripted child (its table defined here) and the fake host.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <tuple>

#include "fake_child.h"
#include "fake_host.h"
#include "host/host.h"
#include "volume_check/chkdsk_command.h"
#include "volume_check/chkdsk_outcome.h"
#include "volume_check/chkdsk_worker.h"
#include "volume_check/line_assembler.h"

namespace corvanite {

// The worker's thread starts after the script is set and the record is read after the run's final
// event or its end: only childLingers is shared while both run.
static test::FakeChildScript script;
static test::FakeChildRecord record;
static size_t nextRead = 0;

void test::SetFakeChild(const FakeChildScript& next) {
    script = next;
    record = FakeChildRecord();
}
test::FakeChildRecord test::FakeChildSoFar() {
    return record;
}

namespace {

ChildStart Start(std::u16string_view volume, bool readOnly, ChildProcess*& started) {
    record = {record.starts + 1, std::u16string(volume), readOnly,
              Utf16ToUtf8(volume) + (readOnly ? " ro" : " fix")};
    nextRead = 0;
    started = nullptr;
    return script.start;
}

ChildRead Read(ChildProcess*, char* buffer, size_t capacity, uint32_t, size_t& count) {
    record.calls += nextRead == 0 ? " [" + test::RunSummary() + "]" : "";
    count = 0;
    if (nextRead == script.reads.size()) {
        return CHILD_ENDED;
    }
    const std::string& bytes = script.reads[nextRead++];
    if (bytes == test::CANCEL_READ) {
        appState.chkdskCancel = true;
    } else {
        count = bytes.copy(buffer, capacity);
    }
    return count > 0 ? CHILD_OUTPUT : CHILD_QUIET;
}

constexpr ChildProcessAccess FAKE_CHILD{
    .checkerName = u"chkdsk",
    .outcome = ChkdskOutcome,
    .startVolumeChecker = Start,
    .readChildOutput = Read,
    .terminateChild =
        [](ChildProcess*) {
            record.calls += " kill";
            script.exitCode = 0;  // as TerminateProcess(child, 0) makes it
        },
    .waitForChildExit = [](ChildProcess*, uint32_t) -> uint32_t {
        return test::childLingers ? CHKDSK_STILL_ACTIVE : script.exitCode;
    },
    .childStillRunning = [](ChildProcess*) { return test::childLingers.load(); },
    .closeChild = [](ChildProcess*) { record.calls += " close"; },
    .childLineToText = [](std::string_view bytes) { return Utf8ToUtf16(bytes); },
};

}  // namespace

const ChildProcessAccess& test::FakeChildProcessAccess() {
    return FAKE_CHILD;
}

namespace {

using std::string_literals::operator""s;

TEST(ChkdskOutcome, ExitCodeAndModeGiveSentenceAndFlags) {
    // Exit code, read-only, cancelled; then ready, exit code not 0, fixed, and the sentence. Each
    // code as chkdsk's documentation gives it: 0 no errors; 1 errors found and fixed; 2 disk
    // cleanup done, or not done because /f was not given; 3 the disk could not be checked, errors
    // could not be fixed, or were not fixed because /f was not given.
    const std::tuple<uint32_t, bool, bool, const char*> cases[] = {
        {0, true, false, "100 No errors found"},
        {0, false, false, "100 No errors found"},
        {1, true, false, "110 Errors found: run SCAN + FIX to repair them"},
        {1, false, false, "111 Errors found and corrected"},
        {2, true, false, "110 No errors, but the volume needs a cleanup: SCAN + FIX does it"},
        {2, false, false, "111 Disk cleanup done; no errors remain"},
        {3, true, false,
         "110 Errors found and left as they are (read-only), or the volume could "
         "not be checked: see the output"},
        {3, false, false,
         "110 The volume could not be checked, or its errors could not be fixed; a volume in "
         "use (the system's own) can only be repaired at a restart: see the output"},
        {4, true, false, "110 chkdsk returned unexpected exit code"},
        {CHKDSK_STILL_ACTIVE, false, false, "110 chkdsk returned unexpected exit code"},
        // Cancelled: the sentence says so; the flags still follow the exit code.
        {0, true, true, "000 Operation cancelled"},
        {1, false, true, "011 Operation cancelled"},
    };
    for (const auto& [exitCode, readOnly, cancelled, expected] : cases) {
        const ChkdskResult r = ChkdskOutcome(exitCode, readOnly, cancelled);
        const std::string flags{char('0' + r.ready), char('0' + r.exitNonZero),
                                char('0' + r.fixed)};
        EXPECT_EQ(flags + " " + Utf16ToUtf8(r.text), expected);
    }
}

// fsck(8)'s exit code as a sum of its bits (the manual page's table), in both modes; the
// gravest bit speaks, a restart is added to any sentence.
TEST(ChkdskOutcome, FsckExitBitsGiveSentenceAndFlags) {
    const std::tuple<uint32_t, bool, bool, const char*> cases[] = {
        {0, true, false, "100 No errors found"},
        {1, false, false, "111 Errors found and corrected"},
        // fsck.fat answers 1 to -n when it found errors (and changed nothing).
        {1, true, false,
         "110 Errors found and left as they are (read-only): SCAN + FIX repairs them once the "
         "filesystem is unmounted"},
        {3, false, false, "111 Errors found and corrected; restart the system now"},
        {2, true, false, "110 No errors found; restart the system now"},
        {4, true, false,
         "110 Errors found and left as they are (read-only): SCAN + FIX repairs them once the "
         "filesystem is unmounted"},
        {5, false, false, "110 Errors found that could not all be corrected: see the output"},
        {12, false, false,
         "110 The filesystem could not be checked (operational error): see the output"},
        {16, true, false, "110 fsck did not take its command line (usage error): see the output"},
        {32, false, false, "110 fsck stopped the check itself (cancelled): see the output"},
        {129, true, false, "110 fsck could not load a library it needs: see the output"},
        {255, false, false,  // every bit: the library first, a restart still said
         "110 fsck could not load a library it needs: see the output; restart the system now"},
        {256, false, false, "110 fsck returned unexpected exit code"},
        {CHKDSK_STILL_ACTIVE, true, false, "110 fsck returned unexpected exit code"},
        {1, false, true, "011 Operation cancelled"},
    };
    for (const auto& [exitCode, readOnly, cancelled, expected] : cases) {
        const ChkdskResult r = FsckOutcome(exitCode, readOnly, cancelled);
        const std::string flags{char('0' + r.ready), char('0' + r.exitNonZero),
                                char('0' + r.fixed)};
        EXPECT_EQ(flags + " " + Utf16ToUtf8(r.text), expected) << exitCode;
    }
    // e2fsck checks a filesystem marked clean only when forced; fsck.fat's -f would salvage.
    EXPECT_EQ(FsckArguments(u"/dev/sdb1", true, u"ext4"),
              (std::vector<std::u16string>{u"-n", u"/dev/sdb1", u"--", u"-f"}));
    EXPECT_EQ(FsckArguments(u"/dev/sdb2", false, u"vfat"),
              (std::vector<std::u16string>{u"-y", u"/dev/sdb2"}));
}

// The lines as a console shows them, from reads cut anywhere; "|" then the line being written.
TEST(LineAssembler, ReadsToLinesAsAConsoleShowsThem) {
    const std::string progress = "Progress: 12 of 94 done; Stage:  8%; Total:  3%; ETA:   0:41:09 ";
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"a\r\nb\n"}, {"a", "b"}},
        {{"\r\n\n", "\n"}, {"", "", ""}},
        // Lines over reads, also between a CR and its LF, also after lines already taken.
        {{"ab", "c\r", "\nd\n"}, {"abc", "d"}},
        {{"a\nb", "c\nd\n"}, {"a", "bc", "d"}},
        // A CR goes back to the line's start: progress redrawn in place, a shorter update leaving
        // the end of the longer one as on a console, a CR right at a read's edge.
        {{"10%\r20%\r", "30%\r\n"}, {"30%"}},
        {{"Stage: 100%\rStage: 9\r\n"}, {"Stage: 900%"}},
        {{"x\ry\r\n", "x\r\r\n"}, {"y", "x"}},
        {{progress + "\r", progress.substr(0, 30), "\r"}, {"|" + progress}},
        // Code-page bytes pass as they are; a character cut in half reaches the conversion whole.
        {{"\x82t\xE9 caf\xC3", "\xA9\r\n"}, {"\x82t\xE9 caf\xC3\xA9"}},
        // A question without a line end is the line being written, and the last line once the
        // output ends.
        {{"done\r\n", "Convert lost chains to files (Y/N)? "},
         {"done", "|Convert lost chains to files (Y/N)? "}},
        {{"ta", "il"}, {"|tail"}},
        {{"\r"}, {}},
        // A zero byte goes alone; the line goes on.
        {{"a\0b\r\n"s, "\0\0x\0"s, "y\n\0"s}, {"ab", "xy"}},
        {{"\r\0\n"s}, {""}},
        {{"", "\0"s}, {}},
        // A line without end is cut at its bound and goes on on the next.
        {{std::string(MAX_LINE_BYTES, 'a'), "bc\n"}, {std::string(MAX_LINE_BYTES, 'a'), "bc"}},
    };
    for (const auto& [reads, expected] : cases) {
        LineAssembler assembler;
        std::vector<std::string> lines;
        std::string_view line;
        for (const std::string& read : reads) {
            AddOutputBytes(assembler, read);
            while (TakeLine(assembler, line)) {
                lines.emplace_back(line);
            }
        }
        const std::string partial(PartialLine(assembler));
        if (!partial.empty()) {
            lines.push_back("|" + partial);
        }
        EXPECT_EQ(lines, expected) << testing::PrintToString(reads);
        ASSERT_EQ(TakeLastLine(assembler, line), !partial.empty());
        EXPECT_EQ(partial.empty() ? "" : std::string(line), partial);
    }
    // A flood of progress updates without a line end holds one line's bytes.
    LineAssembler flood;
    for (int i = 0; i < 100000; ++i) {
        AddOutputBytes(flood, "\r" + progress);
    }
    EXPECT_EQ(PartialLine(flood), progress);
    EXPECT_LE(flood.current.capacity() + flood.ended.capacity(), 2 * MAX_LINE_BYTES);
}

// Besides what an earlier run left (lines, result, its cancel request): a run still going, no
// thread to be had, a cancel pressed as the worker's thread is about to start, a window queue that
// refuses the first posts, or a child still running after the wait.
enum Setting { LEFT_OVER, RUNNING, NO_THREAD, EARLY_CANCEL, FULL_QUEUE, LINGERING };

struct Case {
    std::u16string volume;
    bool readOnly;
    test::FakeChildScript child;
    std::string expected;  // "events / lines / flags / result text / child calls"
    Setting setting = LEFT_OVER;
};

std::string RunCase(const Case& c) {
    ResetAppState();
    test::ResetHost();
    AttachMessageWindow(1);
    test::SetFakeChild(c.child);
    test::childLingers = c.setting == LINGERING;
    appState.chkdskLines = {u"old"};
    appState.chkdskResultReady = appState.chkdskExitNonZero = appState.chkdskFixed = true;
    appState.chkdskResultText = u"old";
    appState.chkdskCancel = true;
    appState.chkdskRunning = c.setting == RUNNING;
    test::Host().refuseThreads = c.setting == NO_THREAD;
    test::Host().refusePosts = c.setting == FULL_QUEUE ? 5 : 0;
    if (c.setting == EARLY_CANCEL) {
        test::Host().beforeThread = [] { appState.chkdskCancel = true; };
    }
    const bool started = StartChkdsk(c.volume, c.readOnly);
    std::vector<PostedMessage> p = test::PostedSoFar();  // until the final event (Wine is slow)
    for (int i = 0; started && i < 60000 && (p.empty() || p.back().wParam == CHKDSK_EVENT_LINE);
         ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        p = test::PostedSoFar();
    }
    std::string events = started ? "" : " refused";
    for (const PostedMessage& m : p) {
        const char* const names[] = {" FAIL", " LINE", " DONE"};  // CHKDSK_EVENT_ 0, 1, 2
        events += m.message == MSG_CHKDSK_EVENT && m.wParam < 3 ? names[m.wParam] : " ?";
    }
    // A checker that outlived the wait holds off the next run until it has gone.
    events += appState.chkdskCheckerAlive && !StartChkdsk(u"C:", true) ? " held" : "";
    test::childLingers = false;
    for (int i = 0; i < 5000 && appState.chkdskCheckerAlive; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::string calls = test::FakeChildSoFar().calls;
    return events.erase(0, 1) + " / " + test::RunSummary() + " / " + (calls.empty() ? "-" : calls);
}

TEST(ChkdskWorker, Runs) {
    // clang-format off
    const Case cases[] = {
        // Lines over reads and quiet slices, each converted whole; the last one without LF.
        {u"A:", true, {CHILD_STARTED, {"first\r\nsec", "", "ond\r\ncaf\xC3", "\xA9\n", "ta\0il"s}},
            "LINE DONE / first|second|caf\u00E9|tail / ready / No errors found / "
            "A: ro [- / - running / -] close"},
        {u"Z:", false, {CHILD_STARTED, {"fixed\r\n"}, 1},
            "LINE DONE / fixed / ready nonzero fixed / Errors found and corrected / "
            "Z: fix [- / - running / -] close"},
        // A flood: one line event waits for the window at a time.
        {u"C:", true, {CHILD_STARTED, std::vector<std::string>(20000, "\n")},
            "LINE DONE / " + std::string(19999, '|') + " / ready / No errors found / C: ro "
            "[- / - running / -] close"},
        // A cancel ends the run at once; the line in progress is kept.
        {u"C:", true, {CHILD_STARTED, {"one\r\ntw", test::CANCEL_READ, "never\r\n"}, 3},
            "LINE DONE / one|tw / - / Operation cancelled / C: ro [- / - running / -] kill close"},
        // A cancel before the worker's first step is kept. Posts refused (a full queue): the next
        // line is posted all the same, and a refused final event again.
        {u"C:", true, {CHILD_STARTED, {"a\r\n"}},
            "DONE / - / - / Operation cancelled / C: ro kill close", EARLY_CANCEL},
        {u"C:", true, {CHILD_STARTED, {"a\nb\nc\nd\ne\nf\n"}},
            "LINE DONE / a|b|c|d|e|f / ready / No errors found / C: ro [- / - running / -] close",
            FULL_QUEUE},
        {u"C:", true, {CHILD_PIPE_FAILED}, "FAIL / - / - / Failed to create pipe / C: ro",
            FULL_QUEUE},
        {u"C:", true, {CHILD_START_FAILED}, "FAIL / - / - / Failed to start chkdsk / C: ro"},
        {u"C:", true, {}, "DONE held / - / ready nonzero / chkdsk returned unexpected exit code / "
            "C: ro [- / - running / -] close", LINGERING},
        // Refused: nothing changes, nothing is posted, no child is started.
        {u"c:", true, {}, "refused / old / ready nonzero fixed / old / -"},
        {u"C: /f", true, {}, "refused / old / ready nonzero fixed / old / -"},
        // Device paths: plain names under /dev only, never a word of their own or a way out.
        {u"/dev/sdb1 -y", true, {}, "refused / old / ready nonzero fixed / old / -"},
        {u"/dev/../etc/shadow", true, {}, "refused / old / ready nonzero fixed / old / -"},
        {u"/dev/", true, {}, "refused / old / ready nonzero fixed / old / -"},
        {u"/devices/sdb", true, {}, "refused / old / ready nonzero fixed / old / -"},
        {u"/dev/sdb/", true, {}, "refused / old / ready nonzero fixed / old / -"},
        {u"/dev/" + std::u16string(59, u'a'), true, {}, "refused / old / ready nonzero fixed / old / -"},
        {u"/dev/" + std::u16string(58, u'a'), true, {CHILD_START_FAILED}, "FAIL / - / - / Failed to start chkdsk / /dev/" + std::string(58, 'a') + " ro"},
        {u"/dev/mapper/vg_A-Zoot.x+y:z", false, {CHILD_START_FAILED}, "FAIL / - / - / Failed to start chkdsk / /dev/mapper/vg_A-Zoot.x+y:z fix"},
        {u"/dev/nvme0n1p9", true, {CHILD_START_FAILED}, "FAIL / - / - / Failed to start chkdsk / /dev/nvme0n1p9 ro"},
        {u"C:", true, {}, "refused / old / ready nonzero fixed running / old / -", RUNNING},
        {u"C:", true, {}, "refused / old / ready nonzero fixed / old / -", NO_THREAD},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(RunCase(c), c.expected);
    }
    AttachMessageWindow(0);
}

}  // namespace
}  // namespace corvanite
