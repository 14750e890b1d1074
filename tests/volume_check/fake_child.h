// A scripted stand-in for the volume checker's child process, linked into corvanite_tests in
// place of the platform's: the worker's logic runs without starting any program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "volume_check/child_process.h"

namespace corvanite::test {

struct FakeChildScript {
    ChildStart start = CHILD_STARTED;
    // One entry per read; an empty entry is a slice in which nothing arrived.
    std::vector<std::string> reads;
    uint32_t exitCode = 0;
    // How many times the child is still found running after the wait for its end.
    int stillRunningLooks = 0;
};

struct FakeChildRecord {
    int starts = 0;
    std::u16string volume;
    bool readOnly = false;
    size_t largestRead = 0;  // the largest capacity a read asked for
    uint32_t readSliceMs = 0;
    bool terminated = false;
    uint32_t waitLimitMs = 0;
    bool closed = false;
    std::vector<std::string> convertedLines;  // the bytes of every ChildLineToText call
};

// Used by the next StartVolumeChecker; clears the record.
void SetFakeChild(const FakeChildScript& script);
FakeChildRecord FakeChildSoFar();

}  // namespace corvanite::test
