// The trace reader: any text either loads or names the line at fault. A trace that loads is
// replayed through the probe (up to 16 drives) into the JSON report, while a second trace records
// the replay; that recording must load again and replay to the same report.
#include <string>
#include <string_view>

#include "drives/probe.h"
#include "drives/trace.h"
#include "fuzz_support.h"
#include "report/json_report.h"

using namespace corvanite;
using fuzz::Check;

namespace {

bool Append(void* context, std::string_view line) {
    static_cast<std::string*>(context)->append(line);
    return true;
}

constexpr int MAX_REPLAYED_DRIVES = 16;  // a worker thread each

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string problem;
    if (!LoadDeviceReplay(text, problem)) {
        Check(problem == "the trace is empty" || problem.starts_with("line "),
              "a fault without its line");
        return 0;
    }
    if (ReplayDeviceAccess().driveNumberLimit() > MAX_REPLAYED_DRIVES ||
        !LoadDeviceReplay(text, problem)) {  // the count was an answer: start afresh
        return 0;
    }
    std::string recorded;
    InstallDeviceAccess(
        &StartDeviceTrace(ReplayDeviceAccess(), {}, {.context = &recorded, .writeLine = Append}));
    const std::string first = ReportJson(ProbeAllDrives(), "");
    StopDeviceTrace();
    InstallDeviceAccess(nullptr);
    Check(LoadDeviceReplay(recorded, problem), "the recording of a replay does not load");
    InstallDeviceAccess(&ReplayDeviceAccess());
    Check(ReportJson(ProbeAllDrives(), "") == first, "the recording replays to another report");
    InstallDeviceAccess(nullptr);
    return 0;
}
