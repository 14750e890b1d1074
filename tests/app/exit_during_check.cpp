// The window closed while a volume check floods its output: the program's exit after the message
// loop (FinishProgram) must not destroy the shared state under the running worker. Under the
// sanitizer presets a use after free or a race with the static destructors fails this program.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
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
    if (mkdtemp(folder) == nullptr ||
        symlink(CORVANITE_FAKE_CHKDSK, (std::string(folder) + "/chkdsk.exe").c_str()) != 0) {
        return 2;
    }
    const std::string dir = folder;
    std::ofstream(dir + "/script") << "lines 200000 60\n";
    setenv("PATH", folder, 1);
    setenv("CORVANITE_FAKE_CHKDSK_SCRIPT", (dir + "/script").c_str(), 1);
    AttachMessageWindow(1);
    if (!StartChkdsk(u"C:", true)) {
        return 2;
    }
    size_t lines = 0;
    for (int i = 0; i < 3000 && lines < 2000 && appState.chkdskRunning.load(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::lock_guard<std::mutex> guard(appState.chkdskLinesLock);
        lines = appState.chkdskLines.size();
    }
    std::filesystem::remove_all(dir);
    if (lines < 2000 || !appState.chkdskRunning.load()) {
        return 3;  // the check did not run as a flood
    }
    return FinishProgram(0);  // what the window program does once its message loop has ended
}
