#include "fake_child.h"

#include <mutex>

#include "run_summary.h"

namespace corvanite {

struct ChildProcess {
    size_t nextRead = 0;
};

namespace {

std::mutex lock;
test::FakeChildScript script;
test::FakeChildRecord record;

}  // namespace

void test::SetFakeChild(const FakeChildScript& next) {
    std::lock_guard<std::mutex> guard(lock);
    script = next;
    record = FakeChildRecord();
}

test::FakeChildRecord test::FakeChildSoFar() {
    std::lock_guard<std::mutex> guard(lock);
    return record;
}

ChildStart StartVolumeChecker(std::u16string_view volume, bool readOnly, ChildProcess*& child) {
    std::lock_guard<std::mutex> guard(lock);
    record = {record.starts + 1, std::u16string(volume), readOnly, ""};
    child = script.start == CHILD_STARTED ? new ChildProcess : nullptr;
    return script.start;
}

ChildRead ReadChildOutput(ChildProcess* child, char* buffer, size_t capacity, uint32_t,
                          size_t& count) {
    const std::string state = child->nextRead == 0 ? " [" + test::RunSummary() + "]" : "";
    std::lock_guard<std::mutex> guard(lock);
    record.calls += state;
    count = 0;
    if (child->nextRead == script.reads.size()) {
        return CHILD_ENDED;
    }
    const std::string& bytes = script.reads[child->nextRead++];
    if (bytes == test::CANCEL_READ) {
        appState.chkdskCancel = true;
    } else {
        count = bytes.copy(buffer, capacity);
    }
    return count > 0 ? CHILD_OUTPUT : CHILD_QUIET;
}

void TerminateChild(ChildProcess*) {
    std::lock_guard<std::mutex> guard(lock);
    record.calls += " kill";
}

uint32_t WaitForChildExit(ChildProcess*, uint32_t) {
    std::lock_guard<std::mutex> guard(lock);
    return record.calls.ends_with("kill") ? 0u : script.exitCode;
}

void CloseChild(ChildProcess* child) {
    std::lock_guard<std::mutex> guard(lock);
    record.calls += " close";
    delete child;
}

std::u16string ChildLineToText(std::string_view bytes) {
    return Utf8ToUtf16(bytes);
}

}  // namespace corvanite
