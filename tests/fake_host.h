// A stand-in for the host, the window host and the report file: records what was posted,
// repainted, asked and written, and starts threads (or refuses to, when told).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/window_host.h"
#include "host/host.h"
#include "host/host_queue.h"
#include "report/report_file.h"
#include "state/geometry.h"

namespace corvanite::test {

struct FakeHostState {
    bool refuseThreads = false;
    int refusePosts = 0;               // posts refused before the next is taken, as by a full queue
    void (*beforeThread)() = nullptr;  // called as a thread is about to start
    int repaints = 0;
    int threadsStarted = 0;
    // The window as the fake system keeps it.
    Rect bounds{100, 50, 1300, 800};
    Rect workArea{0, 0, 1920, 1040};
    std::vector<Rect> placements;  // every move or placement, in order
    bool captured = false;
    int leaveRequests = 0;
    int minimized = 0;
    int closed = 0;
    // Dialogs: the answers given, and what was asked.
    bool answerYes = false;
    void (*beforeAnswer)() = nullptr;  // called while a question is open
    std::vector<std::u16string> questions;
    bool saveChosen = false;
    uint32_t saveDialogError = 0;
    std::u16string savePath;
    int saveDialogs = 0;
    bool refuseClipboard = false;
    std::u16string clipboard;
};

// The tables corvanite_tests installs (fake_seams.cpp).
const HostServices& FakeHostServices();
const ReportFileAccess& FakeReportFileAccess();
const WindowHost& FakeWindowHost();

FakeHostState& Host();
// The report file written last (or refused with "Access is denied", error 5, when fail is set).
struct FakeReportFile {
    bool fail = false;
    int writes = 0;
    std::u16string path;
    std::string bytes;
};
FakeReportFile& ReportFile();
void ResetHost();

// Waits (10 s at most) until a message with this id is posted; returns all posted so far.
std::vector<PostedMessage> WaitForMessage(uint32_t message);
std::vector<PostedMessage> PostedSoFar();

}  // namespace corvanite::test
