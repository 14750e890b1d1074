// The volume checker as a child process on POSIX systems: fsck(8) from the system's folders. The
// tests' stand-in (a program called chkdsk.exe on PATH that honours the Windows checker's
// contract) runs through the same code (child_posix_testing.h).
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "drives/volumes.h"
#include "text/utf.h"
#include "volume_check/child_posix_testing.h"
#include "volume_check/child_process.h"
#include "volume_check/chkdsk_command.h"
#include "volume_check/chkdsk_outcome.h"

extern char** environ;

namespace corvanite {

struct ChildProcess {
    pid_t pid = -1;
    int output = -1;      // read end of the pipe
    bool killed = false;  // we sent SIGKILL
    bool reaped = false;
};

namespace {

constexpr uint32_t WAIT_STEP_MS = 10;

uint64_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

void SleepMs(uint32_t ms) {
    timespec pause{0, static_cast<long>(ms) * 1000000L};
    nanosleep(&pause, nullptr);
}

// The exit code as the Windows checker would report it. A child we killed reports 0, as
// TerminateProcess(child, 0) makes it; one killed by anything else reports 128 + the signal.
uint32_t ExitCodeOf(int status, bool killed) {
    if (WIFEXITED(status)) {
        return static_cast<uint32_t>(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        return killed && signal == SIGKILL ? 0u : 128u + static_cast<uint32_t>(signal);
    }
    return CHKDSK_STILL_ACTIVE;
}

// A child left running is reaped by a thread of its own when it ends, so that it does not stay
// behind as a zombie.
void* ReapChild(void* pid) {
    waitpid(static_cast<pid_t>(reinterpret_cast<intptr_t>(pid)), nullptr, 0);
    return nullptr;
}

}  // namespace

ChildStart StartProgram(const std::string& program, const std::vector<std::u16string>& arguments,
                        ChildProcess*& child) {
    int ends[2];
    // Close-on-exec on both ends: the child gets the write end only as its descriptors 1 and 2,
    // and no other program started meanwhile inherits either end.
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return CHILD_PIPE_FAILED;
    }

    std::vector<std::string> words{program};
    for (const std::u16string& word : arguments) {
        words.push_back(Utf16ToUtf8(word));
    }
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    // Standard input: a pipe holding the answers, its write end closed once they are in (they
    // fit the pipe's buffer, so the write does not wait for the child).
    int input[2];
    if (pipe2(input, O_CLOEXEC) != 0) {
        close(ends[0]);
        close(ends[1]);
        return CHILD_PIPE_FAILED;
    }
    const ssize_t written = write(input[1], CHECKER_ANSWERS.data(), CHECKER_ANSWERS.size());
    static_cast<void>(written);  // a checker that finds no answer reads the input's end
    close(input[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 2);

    // The child starts with no blocked signals and with SIGPIPE at its default, whatever this
    // process has set for itself.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));

    pid_t pid = -1;
    // A path is started as it is; a bare name (the tests' stand-in) is looked for on PATH.
    const int failed =
        program.find('/') != std::string::npos
            ? posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ)
            : posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    // Our copy of the write end goes at once: the pipe reports its end when the child is gone.
    close(ends[1]);
    close(input[0]);
    if (failed != 0) {
        close(ends[0]);
        return CHILD_START_FAILED;
    }
    child = new ChildProcess{pid, ends[0], false, false};
    return CHILD_STARTED;
}

namespace {

// fsck from the system's own folders, never through PATH: "fsck -n DEVICE" or "fsck -y DEVICE".
ChildStart Start(std::u16string_view volume, bool readOnly, ChildProcess*& child) {
    for (const char* folder : SYSTEM_PROGRAM_FOLDERS) {
        const std::string fsck = std::string(folder) + "/fsck";
        if (access(fsck.c_str(), X_OK) == 0) {
            // The filesystem's type, as the system lists it now, chooses its checker's words.
            const VolumeList volumes = ListVolumes();
            const VolumeInfo* found = FindVolume(volumes, volume);
            return StartProgram(
                fsck, FsckArguments(volume, readOnly, found != nullptr ? found->fileSystem : u""),
                child);
        }
    }
    return CHILD_START_FAILED;
}

// The Windows checker's contract through a program called chkdsk.exe on PATH.
ChildStart StartStandIn(std::u16string_view volume, bool readOnly, ChildProcess*& child) {
    return StartProgram(Utf16ToUtf8(CHKDSK_PROGRAM), ChkdskArguments(volume, readOnly), child);
}

ChildRead Read(ChildProcess* child, char* buffer, size_t capacity, uint32_t sliceMs,
               size_t& count) {
    count = 0;
    pollfd ready{child->output, POLLIN, 0};
    const int polled = poll(&ready, 1, static_cast<int>(sliceMs));
    if (polled == 0 || (polled < 0 && errno == EINTR)) {
        return CHILD_QUIET;
    }
    if (polled < 0) {
        return CHILD_ENDED;
    }
    const ssize_t got = read(child->output, buffer, capacity);
    if (got < 0) {
        return errno == EINTR || errno == EAGAIN ? CHILD_QUIET : CHILD_ENDED;
    }
    if (got == 0) {
        return CHILD_ENDED;
    }
    count = static_cast<size_t>(got);
    return CHILD_OUTPUT;
}

void Terminate(ChildProcess* child) {
    if (!child->reaped && kill(child->pid, SIGKILL) == 0) {
        child->killed = true;
    }
}

uint32_t WaitForExit(ChildProcess* child, uint32_t limitMs) {
    const uint64_t start = NowMs();
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(child->pid, &status, WNOHANG);
        if (ended == child->pid) {
            child->reaped = true;
            return ExitCodeOf(status, child->killed);
        }
        if (ended < 0 && errno != EINTR) {
            // Someone else reaped it (SIGCHLD ignored, say): its exit code is lost.
            child->reaped = true;
            return CHKDSK_STILL_ACTIVE;
        }
        const uint64_t waited = NowMs() - start;
        if (waited >= limitMs) {
            return CHKDSK_STILL_ACTIVE;
        }
        const uint64_t left = limitMs - waited;
        SleepMs(left < WAIT_STEP_MS ? static_cast<uint32_t>(left) : WAIT_STEP_MS);
    }
}

bool StillRunning(ChildProcess* child) {
    if (child->reaped) {
        return false;
    }
    int status = 0;
    pid_t ended = waitpid(child->pid, &status, WNOHANG);
    while (ended < 0 && errno == EINTR) {
        ended = waitpid(child->pid, &status, WNOHANG);
    }
    if (ended == 0) {
        return true;
    }
    child->reaped = true;  // ended, or reaped by someone else
    return false;
}

void Close(ChildProcess* child) {
    close(child->output);
    if (!child->reaped) {
        pthread_t reaper;
        void* pid = reinterpret_cast<void*>(static_cast<intptr_t>(child->pid));
        if (pthread_create(&reaper, nullptr, ReapChild, pid) == 0) {
            pthread_detach(reaper);
        }
    }
    delete child;
}

std::u16string LineToText(std::string_view bytes) {
    return Utf8ToUtf16(bytes);
}

constexpr ChildProcessAccess POSIX_CHILD{
    .checkerName = u"fsck",
    .outcome = FsckOutcome,
    .startVolumeChecker = Start,
    .readChildOutput = Read,
    .terminateChild = Terminate,
    .waitForChildExit = WaitForExit,
    .childStillRunning = StillRunning,
    .closeChild = Close,
    .childLineToText = LineToText,
};

constexpr ChildProcessAccess STAND_IN_CHILD = [] {
    ChildProcessAccess table = POSIX_CHILD;
    table.checkerName = u"chkdsk";
    table.outcome = ChkdskOutcome;
    table.startVolumeChecker = StartStandIn;
    return table;
}();

}  // namespace

const ChildProcessAccess& SystemChildProcessAccess() {
    return POSIX_CHILD;
}

const ChildProcessAccess& StandInChildProcessAccess() {
    return STAND_IN_CHILD;
}

}  // namespace corvanite
