// The scan of a machine of 16 drives through a scripted device layer (the Maxtor's pages):
//   BM_ScanOneSlowDrive    one drive takes 2 s to tell its identity. Targets: the cards of all
//                          16 are in the window's list (the probe's "found") within 50 ms of
//                          the scan's start, and the scan ends within 2.1 s.
//   BM_ScanSixteenFast     16 healthy drives (each request answered after the argument's
//                          microseconds: 100 is a SATA disk's SMART read, 0 measures the
//                          workers' own cost), each on its own worker; target: no slower than
//                          BM_ScanSixteenInTurn, the drives asked one after another (as when no
//                          worker can be started), at 100 us.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "bench_drives.h"
#include "drives/device_access.h"
#include "drives/probe.h"
#include "host/host.h"

namespace corvanite::bench {
namespace {

using Clock = std::chrono::steady_clock;

int slowDrive = -1;           // the drive whose identity takes 2 s (-1: none)
int requestMicroseconds = 0;  // how long every other request takes

void Answer() {
    if (requestMicroseconds > 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(requestMicroseconds));
    }
}

bool Open(int number, DriveHandle& handle, uint32_t& error) {
    error = number < MAX_DRIVES ? 0 : 2;
    handle = number;
    return error == 0;
}
bool Identity(DriveHandle handle, DriveIdentity& identity) {
    if (handle == slowDrive) {
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    Answer();
    identity = DriveIdentity{u"", u"Maxtor 6Y080L0", u"Y2JBF0QE", u"YAR41BW0", 11};
    return true;
}
bool Page(DriveHandle, int, uint8_t feature, uint8_t (&page)[SMART_PAGE_SIZE]) {
    Answer();
    const SmartPages& pages = MaxtorPages();
    std::memcpy(page, feature == SMART_FEATURE_READ_DATA ? pages.data : pages.thresholds,
                SMART_PAGE_SIZE);
    return true;
}

constexpr DeviceAccess MACHINE{
    .errorKind = ERRORS_WIN32,
    .beginDriveScan = [] {},
    .driveDevicePath = PhysicalDrivePath,
    .openDrive = Open,
    .closeDrive = [](DriveHandle) {},
    .openDriveLimited = [](int, DriveHandle&, uint32_t& error) { return (error = 5) == 0; },
    .driveNumberLimit = [] { return MAX_DRIVES + 1; },
    .processPrivileged = [] { return true; },
    .queryDriveIdentity = Identity,
    .queryDriveSize = [](DriveHandle, uint64_t& size) { return (size = 80026361856) != 0; },
    .sendSmartEnable = [](DriveHandle, int) {},
    .readSmartPage = Page,
    .sendAtaPassThrough = [](DriveHandle, const uint8_t*, size_t, uint8_t*,
                             size_t) { return false; },
    .readNvmeLogPage = [](DriveHandle, uint8_t (&)[NVME_LOG_PAGE_SIZE]) { return false; },
    // The self-test log (one more request a drive): an empty one.
    .sendSmartCommand = [](DriveHandle, int, const ata::AtaRegisters&,
                           uint8_t* data) { return Answer(), data != nullptr; },
    .readNvmeIdentify = [](DriveHandle, uint8_t*) { return false; },
    .readNvmeLog = [](DriveHandle, uint8_t, uint8_t*, size_t) { return false; },
    .sendNvmeSelfTest = [](DriveHandle, uint8_t) { return false; },
    .lastDeviceError = [] { return int32_t{0}; },
};

struct FoundAt {
    Clock::time_point start;
    double seconds = 0;
};

void Scan(benchmark::State& state, int slow, bool workers, int microseconds = 0) {
    requestMicroseconds = microseconds;
    if (!MaxtorPages().loaded) {
        state.SkipWithError("the Maxtor's pages could not be read");
        return;
    }
    slowDrive = slow;
    const DeviceAccess* before = InstallDeviceAccess(&MACHINE);
    HostServices inTurn = SystemHostServices();
    inTurn.startDetachedThread = [](void (*)(void*), void*) { return false; };
    const HostServices* host = InstallHostServices(workers ? nullptr : &inTurn);
    double found = 0;
    for (auto _ : state) {
        FoundAt at{Clock::now()};
        ProbeListener listener;
        listener.context = &at;
        listener.found = [](void* context, const std::vector<DriveInfo>&) {
            auto* a = static_cast<FoundAt*>(context);
            a->seconds = std::chrono::duration<double>(Clock::now() - a->start).count();
        };
        ProbeSkipped skipped;
        const std::vector<DriveInfo> drives = ProbeAllDrives(skipped, listener);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - at.start).count());
        found = at.seconds;
        benchmark::DoNotOptimize(drives.data());
    }
    state.counters["cards_found_ms"] = found * 1000;
    InstallHostServices(host);
    InstallDeviceAccess(before);
}

void BM_ScanOneSlowDrive(benchmark::State& state) {
    Scan(state, 7, true);
}
BENCHMARK(BM_ScanOneSlowDrive)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_ScanSixteenFast(benchmark::State& state) {
    Scan(state, -1, true, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_ScanSixteenFast)->UseManualTime()->Unit(benchmark::kMicrosecond)->Arg(0)->Arg(100);

void BM_ScanSixteenInTurn(benchmark::State& state) {
    Scan(state, -1, false, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_ScanSixteenInTurn)->UseManualTime()->Unit(benchmark::kMicrosecond)->Arg(0)->Arg(100);

}  // namespace
}  // namespace corvanite::bench
