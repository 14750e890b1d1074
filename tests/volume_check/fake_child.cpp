#include "fake_child.h"

#include <atomic>

#include "run_summary.h"
#include "volume_check/chkdsk_outcome.h"

namespace corvanite {

// The worker's thread starts after the script is set, and the record is read after the run's
// final event or its end: no lock is needed.
struct ChildProcess {};

namespace {

ChildProcess child;
test::FakeChildScript script;
test::FakeChildRecord record;
size_t nextRead = 0;
std::atomic<bool> lingering{false};  // read by the worker while the test ends it

}  // namespace

void test::SetFakeChild(const FakeChildScript& next) {
    script = next;
    record = FakeChildRecord();
    lingering = next.outlivesTheWait;
}

test::FakeChildRecord test::FakeChildSoFar() {
    return record;
}

ChildStart StartVolumeChecker(std::u16string_view volume, bool readOnly, ChildProcess*& started) {
    record = {record.starts + 1, std::u16string(volume), readOnly,
              Utf16ToUtf8(volume) + (readOnly ? " ro" : " fix")};
    nextRead = 0;
    started = &child;
    return script.start;
}

ChildRead ReadChildOutput(ChildProcess*, char* buffer, size_t capacity, uint32_t, size_t& count) {
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

void TerminateChild(ChildProcess*) {
    record.calls += " kill";
}

uint32_t WaitForChildExit(ChildProcess*, uint32_t) {
    return record.calls.ends_with("kill") ? 0u : lingering ? CHKDSK_STILL_ACTIVE : script.exitCode;
}

void test::EndFakeChild() {
    lingering = false;
}

bool ChildStillRunning(ChildProcess*) {
    return lingering.load();
}

void CloseChild(ChildProcess*) {
    record.calls += " close";
}

std::u16string ChildLineToText(std::string_view bytes) {
    return Utf8ToUtf16(bytes);
}

}  // namespace corvanite
