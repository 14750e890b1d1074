#include "fake_child.h"

#include <algorithm>
#include <mutex>

#include "text/utf.h"

namespace corvanite {

struct ChildProcess {
    size_t nextRead = 0;
};

namespace {

std::mutex lock;
test::FakeChildScript script;
test::FakeChildRecord record;

}  // namespace

namespace test {

void SetFakeChild(const FakeChildScript& next) {
    std::lock_guard<std::mutex> guard(lock);
    script = next;
    record = FakeChildRecord();
}

FakeChildRecord FakeChildSoFar() {
    std::lock_guard<std::mutex> guard(lock);
    return record;
}

}  // namespace test

ChildStart StartVolumeChecker(std::u16string_view volume, bool readOnly, ChildProcess*& child) {
    std::lock_guard<std::mutex> guard(lock);
    ++record.starts;
    record.volume = std::u16string(volume);
    record.readOnly = readOnly;
    if (script.start == CHILD_STARTED) {
        child = new ChildProcess;
    }
    return script.start;
}

ChildRead ReadChildOutput(ChildProcess* child, char* buffer, size_t capacity, uint32_t sliceMs,
                          size_t& count) {
    std::lock_guard<std::mutex> guard(lock);
    record.largestRead = std::max(record.largestRead, capacity);
    record.readSliceMs = sliceMs;
    count = 0;
    if (child->nextRead >= script.reads.size()) {
        return CHILD_ENDED;
    }
    const std::string& bytes = script.reads[child->nextRead++];
    count = bytes.copy(buffer, capacity);
    return bytes.empty() ? CHILD_QUIET : CHILD_OUTPUT;
}

void TerminateChild(ChildProcess*) {
    std::lock_guard<std::mutex> guard(lock);
    record.terminated = true;
}

uint32_t WaitForChildExit(ChildProcess*, uint32_t limitMs) {
    std::lock_guard<std::mutex> guard(lock);
    record.waitLimitMs = limitMs;
    return record.terminated ? 0u : script.exitCode;
}

bool ChildStillRunning(ChildProcess*) {
    std::lock_guard<std::mutex> guard(lock);
    return script.stillRunningLooks-- > 0;
}

void CloseChild(ChildProcess* child) {
    std::lock_guard<std::mutex> guard(lock);
    record.closed = true;
    delete child;
}

std::u16string ChildLineToText(std::string_view bytes) {
    {
        std::lock_guard<std::mutex> guard(lock);
        record.convertedLines.emplace_back(bytes);
    }
    return Utf8ToUtf16(bytes);
}

}  // namespace corvanite
