// On Windows the worker starts the system directory's chkdsk.exe. Only under Wine is the
// stand-in copied there, into the test's own Wine prefix; under Windows the tests are skipped,
// so the system's checker is never touched. The worker's messages go to a message-only window
// of the test's thread, whose queue the test reads.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "state/host.h"
#include "child_harness.h"

namespace corvanite::test {
namespace {

constexpr wchar_t SINK_CLASS[] = L"CorvaniteChkdskTestSink";

std::wstring folder;
HWND sink = nullptr;

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring Widen(const std::string& text) {
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::wstring SystemChecker() {
    wchar_t system[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH + 1);
    return std::wstring(system, length) + L"\\chkdsk.exe";
}

std::wstring In(const wchar_t* name) {
    return folder + L"\\" + name;
}

}  // namespace

bool InstallFakeChecker(std::string& why) {
    if (!UnderWine()) {
        why = "not under Wine: the system's own chkdsk.exe is not replaced";
        return false;
    }
    std::wstring fake = Widen(CORVANITE_FAKE_CHKDSK);
    for (wchar_t& c : fake) {
        c = c == L'/' ? L'\\' : c;
    }
    if (!CopyFileW(fake.c_str(), SystemChecker().c_str(), FALSE)) {
        why = "cannot copy the stand-in into the system directory (error " +
              std::to_string(GetLastError()) + ")";
        return false;
    }
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    folder =
        std::wstring(temp, length) + L"corvanite-chkdsk-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    SetEnvironmentVariableW(L"CORVANITE_FAKE_CHKDSK_SCRIPT", In(L"script").c_str());
    SetEnvironmentVariableW(L"CORVANITE_FAKE_CHKDSK_ARGS", In(L"invocation").c_str());
    return true;
}

void RemoveFakeChecker() {
    DeleteFileW(SystemChecker().c_str());
}

void UninstallFakeChecker() {
    SetEnvironmentVariableW(L"CORVANITE_FAKE_CHKDSK_SCRIPT", nullptr);
    SetEnvironmentVariableW(L"CORVANITE_FAKE_CHKDSK_ARGS", nullptr);
    DeleteFileW(In(L"script").c_str());
    DeleteFileW(In(L"invocation").c_str());
    RemoveDirectoryW(folder.c_str());
}

void WriteScript(const std::string& script) {
    std::ofstream(std::filesystem::path(In(L"script")), std::ios::binary) << script;
    DeleteFileW(In(L"invocation").c_str());
}

std::string RecordedInvocation() {
    std::ifstream in(std::filesystem::path(In(L"invocation")), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string InvocationOf(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        line += (line.empty() ? "" : " ") + word;
    }
    return line;
}

bool ClosedOutputEndsThePipe(std::string& why) {
    if (UnderWine()) {
        why =
            "under Wine the headless console host made for a CREATE_NO_WINDOW child inherits "
            "the pipe's write end and holds it until the child ends";
        return false;
    }
    return true;
}

void OpenEventSink() {
    WNDCLASSW type = {};
    type.lpfnWndProc = DefWindowProcW;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = SINK_CLASS;
    RegisterClassW(&type);  // fails harmlessly when already registered
    sink = CreateWindowExW(0, SINK_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(sink, nullptr) << "error " << GetLastError();
    AttachMessageWindow(reinterpret_cast<PlatformHandle>(sink));
}

void CloseEventSink() {
    AttachMessageWindow(0);
    if (sink != nullptr) {
        DestroyWindow(sink);
        sink = nullptr;
    }
}

bool NextEvent(PostedMessage& event, uint32_t limitMs) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        MSG message;
        if (PeekMessageW(&message, sink, MSG_CHKDSK_EVENT, MSG_CHKDSK_EVENT, PM_REMOVE)) {
            event = PostedMessage{message.message, static_cast<uintptr_t>(message.wParam)};
            return true;
        }
        const ULONGLONG waited = GetTickCount64() - start;
        if (waited >= limitMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(limitMs - waited),
                                  QS_POSTMESSAGE);
    }
}

}  // namespace corvanite::test
