// The end-to-end build's entry point: installs a recorded machine, the sample machine's trace or
// the one `--replay TRACE` names (a scan waits, at most 30 s, while the file CORVANITE_E2E_HOLD
// names exists), and the frame trace, then runs the same window program as corvanite, which reads
// no command line.
#ifdef _WIN32
#include <windows.h>
// (windows.h first)
#include <shellapi.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/frame_observer.h"
#include "app/window_program.h"
#include "drives/device_access.h"
#include "drives/trace.h"
#include "e2e_seams.h"
#include "sample_drives.h"
#include "text/utf.h"
#ifndef _WIN32
#include "volume_check/child_posix_testing.h"
#endif

namespace corvanite::e2e {
namespace {

DeviceAccess machine;  // the replayed machine, its open held

bool OpenAfterHold(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    const char* hold = std::getenv("CORVANITE_E2E_HOLD");
    std::error_code error;
    for (int i = 0; hold != nullptr && i < 3000 && std::filesystem::exists(hold, error); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ReplayDeviceAccess().openDrive(driveNumber, handle, errorCode);
}

constexpr FrameObserver TRACE{.framePainted = TraceFrame};

// args: the command line's arguments after the program's name, in UTF-8.
int Run(const std::vector<std::string>& args, int show) {
    std::string trace = CORVANITE_E2E_MACHINE, problem;
    if (args.size() == 2 && args[0] == "--replay") {
        trace = args[1];
    } else if (!args.empty()) {
        std::fprintf(stderr, "usage: corvanite_e2e_gui [--replay TRACE]\n");
        return 64;
    }
    if (!sample::LoadSampleMachine(trace, problem)) {
        std::fprintf(stderr, "corvanite_e2e_gui: %s\n", problem.c_str());
        return 65;
    }
    machine = ReplayDeviceAccess();
    machine.openDrive = OpenAfterHold;
    InstallDeviceAccess(&machine);
    InstallVolumeAccess(&sample::SampleVolumeAccess());
#ifndef _WIN32  // the stand-in checker from PATH in fsck's place (on Windows it is chkdsk.exe)
    InstallChildProcessAccess(&StandInChildProcessAccess());
#endif
    InstallFrameObserver(&TRACE);
    char name[] = "corvanite_e2e_gui";
    char* argv[] = {name, nullptr};
    return RunWindowProgram(1, argv, show);
}

}  // namespace
}  // namespace corvanite::e2e

#ifdef _WIN32
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        const std::wstring_view arg(wide[i]);
        args.push_back(corvanite::Utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
    }
    LocalFree(wide);
    return corvanite::e2e::Run(args, show);
}
#else
int main(int argc, char** argv) {
    return corvanite::e2e::Run(std::vector<std::string>(argv + 1, argv + argc), 0);
}
#endif
