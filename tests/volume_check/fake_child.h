// A scripted stand-in for the volume checker's child process, linked into corvanite_tests in
// place of the platform's. Set before a run starts; read once it has ended.
#pragma once

#include <string>
#include <vector>

#include "volume_check/child_process.h"

namespace corvanite::test {

// A read of this asks the run to end, as the Cancel button does, and brings no output.
inline const std::string CANCEL_READ = "<cancel>";

struct FakeChildScript {
    ChildStart start = CHILD_STARTED;
    std::vector<std::string> reads{};  // one entry per read; "" is a slice in which nothing came
    uint32_t exitCode = 0;             // 0 once terminated, as TerminateProcess(child, 0) makes it
    bool outlivesTheWait = false;      // still running after the wait, until EndFakeChild()
};

struct FakeChildRecord {
    int starts = 0;
    std::u16string volume;
    bool readOnly = false;
    std::string calls;  // "C: ro [the shared state at the first read] kill close"
};

// Used by the next StartVolumeChecker; clears the record.
void SetFakeChild(const FakeChildScript& script);
FakeChildRecord FakeChildSoFar();
// The child that outlived the wait ends now.
void EndFakeChild();

}  // namespace corvanite::test
