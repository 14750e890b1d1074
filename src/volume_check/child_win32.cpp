// The volume checker as a child process on Windows: the system directory's chkdsk.exe, with a
// hidden window and both output streams on one anonymous pipe.
#include <windows.h>

#include <climits>
#include <string>

#include "volume_check/child_process.h"
#include "volume_check/chkdsk_command.h"

namespace corvanite {

struct ChildProcess {
    HANDLE process = nullptr;
    HANDLE thread = nullptr;
    HANDLE output = nullptr;  // read end of the pipe
};

namespace {

// The command line's buffer, as the process creation gets it (writable).
constexpr size_t COMMAND_LINE_CHARS = 512;
// How often a read slice looks at the pipe while it is empty.
constexpr DWORD PEEK_STEP_MS = 10;

// The system directory; empty when it cannot be learnt.
std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) {
        return std::wstring();
    }
    return std::wstring(folder, length);
}

// The full path of chkdsk.exe in the system directory, so that the search never finds one in
// the program's own folder or the current directory.
std::wstring SystemChkdskPath(const std::wstring& folder) {
    std::wstring path = folder;
    if (path.back() != L'\\') {
        path.push_back(L'\\');
    }
    for (const char16_t unit : CHKDSK_PROGRAM) {
        path.push_back(static_cast<wchar_t>(unit));
    }
    return path;
}

// The job every checker runs in: it ends them when its last handle closes, which is when this
// process ends, however it ends (a crash, Task Manager). Ending a process does not end its
// children: without the job a repair would go on with no window, holding the volume locked. The
// normal close stops the check first (EndVolumeCheckForExit). Null when no job can be made; a
// checker then runs outside one, as before.
HANDLE CheckerJob() {
    static const HANDLE job = [] {
        const HANDLE made = CreateJobObjectW(nullptr, nullptr);
        if (made == nullptr) {
            return made;
        }
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits,
                                     sizeof limits)) {
            CloseHandle(made);
            return HANDLE{nullptr};
        }
        return made;
    }();
    return job;
}

ChildStart Start(std::u16string_view volume, bool readOnly, ChildProcess*& child) {
    const std::wstring folder = SystemFolder();
    const std::u16string command = ChkdskCommandLine(volume, readOnly);
    if (folder.empty() || command.size() >= COMMAND_LINE_CHARS) {
        return CHILD_START_FAILED;
    }
    const std::wstring application = SystemChkdskPath(folder);
    wchar_t commandLine[COMMAND_LINE_CHARS] = {};
    for (size_t i = 0; i < command.size(); ++i) {
        commandLine[i] = static_cast<wchar_t>(command[i]);
    }

    SECURITY_ATTRIBUTES inheritable = {};
    inheritable.nLength = sizeof inheritable;
    inheritable.lpSecurityDescriptor = nullptr;
    inheritable.bInheritHandle = TRUE;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        return CHILD_PIPE_FAILED;
    }
    // Only the write end goes to the child.
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    // Standard input: a pipe holding the answers, its write end closed once they are in (they
    // fit the pipe's buffer, so the write does not wait for the child).
    HANDLE inputRead = nullptr;
    HANDLE inputWrite = nullptr;
    if (!CreatePipe(&inputRead, &inputWrite, &inheritable, 0)) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return CHILD_PIPE_FAILED;
    }
    DWORD written = 0;
    WriteFile(inputWrite, CHECKER_ANSWERS.data(), static_cast<DWORD>(CHECKER_ANSWERS.size()),
              &written, nullptr);
    CloseHandle(inputWrite);

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = inputRead;

    PROCESS_INFORMATION started;
    ZeroMemory(&started, sizeof started);
    // The checker runs in the system directory, whatever this process's current directory is: a
    // current directory on the volume to check would keep the checker from locking it.
    // Started suspended, so that it is in the job before it can start a process of its own.
    const BOOL created = CreateProcessW(application.c_str(), commandLine, nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                                        folder.c_str(), &startup, &started);
    CloseHandle(inputRead);
    if (!created) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        return CHILD_START_FAILED;
    }
    const HANDLE job = CheckerJob();
    if (job != nullptr) {
        AssignProcessToJobObject(job, started.hProcess);
    }
    ResumeThread(started.hThread);
    // Our copy of the write end goes at once: the pipe reports its end when the child is gone.
    CloseHandle(writeEnd);
    child = new ChildProcess{started.hProcess, started.hThread, readEnd};
    return CHILD_STARTED;
}

ChildRead Read(ChildProcess* child, char* buffer, size_t capacity, uint32_t sliceMs,
               size_t& count) {
    count = 0;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        DWORD available = 0;
        // Fails (broken pipe) once the child's write end is closed and every byte was read.
        if (!PeekNamedPipe(child->output, nullptr, 0, nullptr, &available, nullptr)) {
            return CHILD_ENDED;
        }
        if (available > 0) {
            const DWORD limit = capacity < MAXDWORD ? static_cast<DWORD>(capacity) : MAXDWORD;
            DWORD got = 0;
            if (!ReadFile(child->output, buffer, available < limit ? available : limit, &got,
                          nullptr) ||
                got == 0) {
                return CHILD_ENDED;
            }
            count = got;
            return CHILD_OUTPUT;
        }
        const ULONGLONG waited = GetTickCount64() - start;
        if (waited >= sliceMs) {
            return CHILD_QUIET;
        }
        const ULONGLONG left = sliceMs - waited;
        Sleep(left < PEEK_STEP_MS ? static_cast<DWORD>(left) : PEEK_STEP_MS);
    }
}

void Terminate(ChildProcess* child) {
    TerminateProcess(child->process, 0);
}

uint32_t WaitForExit(ChildProcess* child, uint32_t limitMs) {
    WaitForSingleObject(child->process, limitMs);
    DWORD code = STILL_ACTIVE;
    if (!GetExitCodeProcess(child->process, &code)) {
        code = STILL_ACTIVE;
    }
    return code;
}

bool StillRunning(ChildProcess* child) {
    return WaitForSingleObject(child->process, 0) == WAIT_TIMEOUT;
}

void Close(ChildProcess* child) {
    CloseHandle(child->process);
    CloseHandle(child->thread);
    CloseHandle(child->output);
    delete child;
}

std::u16string LineToText(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) {
        return std::u16string();
    }
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) {
        return std::u16string();
    }
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    const int written = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), length, wide.data(), needed);
    wide.resize(written > 0 ? static_cast<size_t>(written) : 0u);
    return std::u16string(wide.begin(), wide.end());
}

constexpr ChildProcessAccess WIN32_CHILD{
    .checkerName = u"chkdsk",
    .outcome = ChkdskOutcome,
    .startVolumeChecker = Start,
    .readChildOutput = Read,
    .terminateChild = Terminate,
    .waitForChildExit = WaitForExit,
    .childStillRunning = StillRunning,
    .closeChild = Close,
    .childLineToText = LineToText,
};

}  // namespace

const ChildProcessAccess& SystemChildProcessAccess() {
    return WIN32_CHILD;
}

}  // namespace corvanite
