// The end-to-end build's entry point: installs the sample machine (a scan waits, at most 30 s,
// while the file CORVANITE_E2E_HOLD names exists) and the frame trace, then runs the same window
// program as corvanite.
#ifdef _WIN32
#include <windows.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/frame_observer.h"
#include "app/window_program.h"
#include "drives/device_access.h"
#include "e2e_seams.h"
#include "sample_drives.h"
#ifndef _WIN32
#include "volume_check/child_posix_testing.h"
#endif

namespace corvanite::e2e {
namespace {

const DeviceAccess* samples = nullptr;  // set before the window program starts
DeviceAccess machine;                   // the samples, their open held

bool OpenAfterHold(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    const char* hold = std::getenv("CORVANITE_E2E_HOLD");
    std::error_code error;
    for (int i = 0; hold != nullptr && i < 3000 && std::filesystem::exists(hold, error); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return samples->openDrive(driveNumber, handle, errorCode);
}

constexpr FrameObserver TRACE{.framePainted = TraceFrame};

int Run(int argc, char** argv, int show) {
    bool ok = false;
    samples = &sample::SampleDeviceAccess(CORVANITE_E2E_DATA, ok);
    machine = *samples;
    machine.openDrive = OpenAfterHold;
    InstallDeviceAccess(&machine);
    InstallVolumeAccess(&sample::SampleVolumeAccess());
#ifndef _WIN32  // the stand-in checker from PATH in fsck's place (on Windows it is chkdsk.exe)
    InstallChildProcessAccess(&StandInChildProcessAccess());
#endif
    InstallFrameObserver(&TRACE);
    return RunWindowProgram(argc, argv, show);
}

}  // namespace
}  // namespace corvanite::e2e

#ifdef _WIN32
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    return corvanite::e2e::Run(0, nullptr, show);
}
#else
int main(int argc, char** argv) {
    return corvanite::e2e::Run(argc, argv, 0);
}
#endif
