#include "fake_host.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/window_host.h"
#include "host/host.h"
#include "report/report_file.h"

namespace corvanite {
namespace {

std::mutex lock;
std::condition_variable posted;
std::vector<PostedMessage> messages;
test::FakeHostState host;
test::FakeReportFile file;
bool attached = false;  // guarded by lock

void Attach(PlatformHandle window) {
    std::lock_guard<std::mutex> guard(lock);
    attached = window != 0;
}

bool Post(uint32_t message, uintptr_t wParam) {
    std::lock_guard<std::mutex> guard(lock);
    const bool taken = attached && host.refusePosts == 0;
    host.refusePosts -= attached && !taken ? 1 : 0;  // refused as by a full queue
    if (taken) {
        messages.push_back(PostedMessage{message, wParam});
        posted.notify_all();
    }
    return taken;
}

void Repaint() {
    std::lock_guard<std::mutex> guard(lock);
    ++host.repaints;
}

bool StartThread(void (*procedure)(void*), void* parameter) {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (host.refuseThreads) {
            return false;
        }
        ++host.threadsStarted;
    }
    if (host.beforeThread != nullptr) {
        host.beforeThread();
    }
    // As the program starts them: under Wine a detached std::thread now and then never runs
    // when another one has just ended.
#ifdef _WIN32
    using Start = std::pair<void (*)(void*), void*>;
    const auto run = [](void* start) -> DWORD {
        const Start s = *static_cast<Start*>(start);
        delete static_cast<Start*>(start);
        s.first(s.second);
        return 0;
    };
    CloseHandle(CreateThread(nullptr, 0, run, new Start{procedure, parameter}, 0, nullptr));
#else
    std::thread(procedure, parameter).detach();
#endif
    return true;
}

// The system's table with the window's messages, repaints and threads replaced.
const HostServices FAKE_HOST = [] {
    HostServices table = SystemHostServices();
    table.attachMessageWindow = Attach;
    table.postWindowMessage = Post;
    table.requestRepaint = Repaint;
    table.startDetachedThread = StartThread;
    return table;
}();

bool WriteReport(std::u16string_view path, std::string_view bytes, std::u16string& reason,
                 uint32_t& errorCode) {
    ++file.writes;
    file.path = path;
    file.bytes = file.fail ? file.bytes : std::string(bytes);
    reason = file.fail ? u"Access is denied" : reason;
    errorCode = file.fail ? 5 : errorCode;
    return !file.fail;
}

constexpr ReportFileAccess FAKE_REPORT_FILE{.writeReportFile = WriteReport};

void Place(Rect bounds) {
    host.bounds = bounds;
    host.placements.push_back(bounds);
}

constexpr WindowHost FAKE_WINDOW{
    .mainWindowBounds = [] { return host.bounds; },
    .moveMainWindow =
        [](int32_t x, int32_t y) {
            Place(Rect{x, y, x + host.bounds.Width(), y + host.bounds.Height()});
        },
    .placeMainWindow = Place,
    .clientToScreen =  // the client area starts at the window's corner
    [](Point client) {
        return Point{client.x + host.bounds.left, client.y + host.bounds.top};
    },
    .monitorWorkArea = [] { return host.workArea; },
    .minimizeMainWindow = [] { ++host.minimized; },
    .closeMainWindow = [] { ++host.closed; },
    .captureMouse = [] { host.captured = true; },
    .releaseMouse = [] { host.captured = false; },
    .trackMouseLeave = [] { ++host.leaveRequests; },
    .askYesNo =
        [](std::u16string_view text, std::u16string_view caption) {
            host.questions.push_back(std::u16string(caption) + u"|" + std::u16string(text));
            if (host.beforeAnswer != nullptr) {
                host.beforeAnswer();
            }
            return host.answerYes;
        },
    .askReportPath =
        [](std::u16string& path, uint32_t& dialogError) {
            ++host.saveDialogs;
            if (host.saveDialogError != 0) {  // a cancel leaves it as it was
                dialogError = host.saveDialogError;
            }
            path = host.saveChosen ? host.savePath : path;
            return host.saveChosen;
        },
    .copyToClipboard =
        [](std::u16string_view text) {
            host.clipboard = host.refuseClipboard ? host.clipboard : std::u16string(text);
            return !host.refuseClipboard;
        },
};

}  // namespace

namespace test {

const HostServices& FakeHostServices() {
    return FAKE_HOST;
}
const ReportFileAccess& FakeReportFileAccess() {
    return FAKE_REPORT_FILE;
}
const WindowHost& FakeWindowHost() {
    return FAKE_WINDOW;
}
FakeHostState& Host() {
    return host;
}
FakeReportFile& ReportFile() {
    return file;
}
void ResetHost() {
    std::lock_guard<std::mutex> guard(lock);
    messages.clear();
    host = FakeHostState();
    file = FakeReportFile();
}

std::vector<PostedMessage> WaitForMessage(uint32_t message) {
    std::unique_lock<std::mutex> guard(lock);
    posted.wait_for(guard, std::chrono::seconds(10), [&] {
        return std::any_of(messages.begin(), messages.end(),
                           [&](const PostedMessage& m) { return m.message == message; });
    });
    return messages;
}

std::vector<PostedMessage> PostedSoFar() {
    std::lock_guard<std::mutex> guard(lock);
    return messages;
}

}  // namespace test

}  // namespace corvanite
