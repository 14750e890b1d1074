// What the QEMU guest's busybox lacks, for the system run (tests/system/guest_init.sh):
//   corvanite_guest_tool closes PATH...     until killed, prints "close-write PATH" for each
//                                           close of a PATH that had been opened for writing
//   corvanite_guest_tool nobody PROG ARG... runs PROG as user and group 65534, no other groups
#include <grp.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "nobody") == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) {
            std::perror("corvanite_guest_tool: cannot become nobody");
            return 126;
        }
        execv(argv[2], argv + 2);
        std::perror("corvanite_guest_tool: cannot start the program");
        return 127;
    }
    if (argc > 2 && std::strcmp(argv[1], "closes") == 0) {
        const int watch = inotify_init1(IN_CLOEXEC);
        std::map<int, std::string> paths;
        for (int i = 2; i < argc; ++i) {
            paths[inotify_add_watch(watch, argv[i], IN_CLOSE_WRITE)] = argv[i];
        }
        std::printf("watching %zu\n", paths.size());
        std::fflush(stdout);
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = read(watch, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                std::printf("close-write %s\n", paths[event->wd].c_str());
                std::fflush(stdout);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return 0;
    }
    std::fprintf(stderr, "usage: corvanite_guest_tool closes PATH... | nobody PROG ARG...\n");
    return 64;
}
