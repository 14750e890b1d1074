// The stand-in and its tests on Windows, where the worker starts the system directory's
// chkdsk.exe: the stand-in is copied there only under Wine, into the test's own Wine prefix.
#include <windows.h>

#include "stand_in.h"

namespace corvanite::test {

const char* const E_ACUTE = "\x82";  // code page 437, the OEM code page of Wine's English locale
const char* const CLOSED_OUTPUT_UNTESTABLE =
    "under Wine the console host made for a CREATE_NO_WINDOW child holds the pipe's write end "
    "until the child ends";

void WriteStream(int stream, const std::string& bytes) {
    DWORD wrote = 0;
    WriteFile(GetStdHandle(stream == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE), bytes.data(),
              static_cast<DWORD>(bytes.size()), &wrote, nullptr);
}

void CloseStreams() {
    CloseHandle(GetStdHandle(STD_OUTPUT_HANDLE));
    CloseHandle(GetStdHandle(STD_ERROR_HANDLE));
}

std::filesystem::path PlaceChecker(const std::filesystem::path& fake, const std::filesystem::path&,
                                   std::string& why) {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    wchar_t system[MAX_PATH + 1] = {};
    const std::filesystem::path checker =
        std::wstring(system, GetSystemDirectoryW(system, MAX_PATH + 1)) + L"\\chkdsk.exe";
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
        why = "not under Wine: the system's own chkdsk.exe is not replaced";
    } else if (!CopyFileW(std::filesystem::path(fake).make_preferred().c_str(), checker.c_str(),
                          FALSE)) {
        why = "cannot copy the stand-in (error " + std::to_string(GetLastError()) + ")";
    }
    return why.empty() ? checker : std::filesystem::path();
}

void SetVariable(const char* name, const std::filesystem::path& value) {
    SetEnvironmentVariableW(std::filesystem::path(name).c_str(),
                            value.empty() ? nullptr : value.c_str());
}

}  // namespace corvanite::test
