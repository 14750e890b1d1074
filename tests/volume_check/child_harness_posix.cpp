// On POSIX the stand-in becomes chkdsk.exe through PATH: a folder of our own holding a link of
// that name, and nothing else on PATH. The window host queues the posted messages.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "state/host.h"
#include "child_harness.h"

namespace corvanite::test {
namespace {

std::filesystem::path folder;
std::string savedPath;
bool hadPath = false;
std::deque<PostedMessage> received;

}  // namespace

bool InstallFakeChecker(std::string& why) {
    char name[] = "/tmp/corvanite-chkdsk-XXXXXX";
    if (mkdtemp(name) == nullptr) {
        why = "no temporary folder";
        return false;
    }
    folder = name;
    std::filesystem::create_directory(folder / "bin");
    std::filesystem::create_symlink(CORVANITE_FAKE_CHKDSK, folder / "bin" / "chkdsk.exe");
    const char* path = getenv("PATH");
    hadPath = path != nullptr;
    savedPath = hadPath ? path : "";
    setenv("PATH", (folder / "bin").c_str(), 1);
    setenv("CORVANITE_FAKE_CHKDSK_SCRIPT", (folder / "script").c_str(), 1);
    setenv("CORVANITE_FAKE_CHKDSK_ARGS", (folder / "invocation").c_str(), 1);
    return true;
}

void RemoveFakeChecker() {
    std::filesystem::remove(folder / "bin" / "chkdsk.exe");
}

void UninstallFakeChecker() {
    if (hadPath) {
        setenv("PATH", savedPath.c_str(), 1);
    } else {
        unsetenv("PATH");
    }
    unsetenv("CORVANITE_FAKE_CHKDSK_SCRIPT");
    unsetenv("CORVANITE_FAKE_CHKDSK_ARGS");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

void WriteScript(const std::string& script) {
    std::ofstream(folder / "script", std::ios::binary) << script;
    std::filesystem::remove(folder / "invocation");
}

std::string RecordedInvocation() {
    std::ifstream in(folder / "invocation", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string InvocationOf(const std::vector<std::string>& words) {
    std::string record;
    for (const std::string& word : words) {
        record += word + "\n";
    }
    return record;
}

bool ClosedOutputEndsThePipe(std::string&) {
    return true;
}

void OpenEventSink() {
    AttachMessageWindow(1);
    TakePostedMessages();
    received.clear();
}

void CloseEventSink() {
    AttachMessageWindow(0);
    TakePostedMessages();
    received.clear();
}

bool NextEvent(PostedMessage& event, uint32_t limitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (received.empty()) {
        for (const PostedMessage& m : TakePostedMessages()) {
            received.push_back(m);
        }
        if (!received.empty() || std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (received.empty()) {
        return false;
    }
    event = received.front();
    received.pop_front();
    return true;
}

}  // namespace corvanite::test
