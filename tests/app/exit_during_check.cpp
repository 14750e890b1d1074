// The window closed while a volume check floods its output: the program's exit after the message
// loop (FinishProgram) must not destroy the shared state under the running worker. Built with
// AddressSanitizer (linux-asan), a use after free or a race with the static destructors ends this
// program with a report and a non-zero status.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "state/app_state.h"
#include "state/host.h"
#include "volume_check/chkdsk_worker.h"

int main() {
    using namespace corvanite;
    // The stand-in checker as chkdsk.exe on PATH, told to write 200,000 lines.
    char folder[] = "/tmp/corvanite-exit-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        return 2;
    }
    const std::string dir = folder;
    if (symlink(CORVANITE_FAKE_CHKDSK, (dir + "/chkdsk.exe").c_str()) != 0) {
        return 2;
    }
    std::ofstream(dir + "/script") << "lines 200000 60\n";
    setenv("PATH", dir.c_str(), 1);
    setenv("CORVANITE_FAKE_CHKDSK_SCRIPT", (dir + "/script").c_str(), 1);

    AttachMessageWindow(1);
    if (!StartChkdsk(u"C:", true)) {
        return 3;
    }
    size_t lines = 0;
    for (int i = 0; i < 3000 && lines < 2000; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        lines = appState.chkdskLines.size();
    }
    std::remove((dir + "/script").c_str());
    std::remove((dir + "/chkdsk.exe").c_str());
    rmdir(folder);
    if (lines < 2000 || !appState.chkdskRunning.load()) {
        std::fprintf(stderr, "the check did not run as a flood (%zu lines)\n", lines);
        return 4;
    }
    // What the window program does once its message loop has ended.
    return FinishProgram(0);
}
