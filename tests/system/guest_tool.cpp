// What the QEMU guest's busybox lacks (tests/system/guest_init.sh):
//   corvanite_guest_tool closes PATH...      "watching N", then "close-write PATH" for each close
//                                            of a PATH opened for writing, until killed
//   corvanite_guest_tool nobody PROG ARG...  PROG as user and group 65534, in no other group
//   corvanite_guest_tool time PROG ARG...    PROG, then its wall time in seconds on standard error
#include <grp.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

int main(int argc, char** argv) {
    const std::string verb = argc > 2 ? argv[1] : "";
    if (verb == "nobody") {
        if (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0) {
            execv(argv[2], argv + 2);
        }
        std::perror("corvanite_guest_tool");
        return 126;
    }
    if (verb == "time") {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            execvp(argv[2], argv + 2);
            _exit(127);
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child) {
            std::perror("corvanite_guest_tool");
            return 126;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::fprintf(stderr, "%.3f\n", took.count());
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }
    if (verb != "closes") {
        std::fprintf(stderr,
                     "usage: corvanite_guest_tool closes PATH... | nobody PROG ARG... | "
                     "time PROG ARG...\n");
        return 64;
    }
    const int watch = inotify_init1(IN_CLOEXEC);
    std::map<int, std::string> paths;
    for (int i = 2; i < argc; ++i) {
        paths[inotify_add_watch(watch, argv[i], IN_CLOSE_WRITE)] = argv[i];
    }
    std::printf("watching %zu\n", paths.size());
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; std::fflush(stdout), (got = read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            std::printf("close-write %s\n", paths[event->wd].c_str());
            at += sizeof(inotify_event) + event->len;
        }
    }
    return 0;
}
