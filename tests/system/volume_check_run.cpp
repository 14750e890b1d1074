// The volume check as the window runs it, for the QEMU guest: finds the filesystem in the
// machine's list, refuses what the window refuses, runs the system's checker through the worker
// and prints its lines and the run's result.   corvanite_volume_check_run DEVICE [--fix]
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "host/host.h"
#include "state/app_state.h"
#include "text/utf.h"
#include "volume_check/chkdsk_command.h"
#include "volume_check/chkdsk_worker.h"

using namespace corvanite;

int main(int argc, char** argv) {
    const bool fix = argc == 3 && std::string(argv[2]) == "--fix";
    if (argc != 2 && !fix) {
        std::fprintf(stderr, "usage: corvanite_volume_check_run DEVICE [--fix]\n");
        return 64;
    }
    const std::u16string device = Utf8ToUtf16(argv[1]);
    const VolumeList list = ListVolumes();
    const VolumeInfo* volume = FindVolume(list, device);
    if (volume == nullptr) {
        return std::printf("no filesystem %s\n", argv[1]), 3;
    }
    std::printf("volume %s %s [%s] mounted [%s]\n", argv[1],
                Utf16ToUtf8(volume->fileSystem).c_str(), Utf16ToUtf8(volume->label).c_str(),
                Utf16ToUtf8(volume->mountPoint).c_str());
    const std::u16string refusal = CheckRefusal(*volume) + (fix ? RepairRefusal(*volume) : u"");
    if (!refusal.empty()) {
        return std::printf("refused: %s\n", Utf16ToUtf8(refusal).c_str()), 2;
    }
    AttachMessageWindow(1);  // the worker's events wait in the queue, unread
    if (!StartChkdsk(device, !fix)) {
        return std::printf("not started\n"), 4;
    }
    while (appState.chkdskRunning) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (const std::u16string& line : appState.chkdskLines) {  // the worker has let go of them
        std::printf("| %s\n", Utf16ToUtf8(line).c_str());
    }
    std::printf("result: ready %d nonzero %d fixed %d: %s\n", appState.chkdskResultReady,
                appState.chkdskExitNonZero, appState.chkdskFixed,
                Utf16ToUtf8(appState.chkdskResultText).c_str());
    return 0;
}
