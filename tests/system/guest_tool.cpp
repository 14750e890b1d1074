// What the QEMU guest's busybox lacks (tests/system/guest_init.sh):
//   corvanite_guest_tool closes PATH...      "watching N", then "close-write PATH" for each close
//                                            of a PATH opened for writing, until killed
//   corvanite_guest_tool nobody PROG ARG...  PROG as user and group 65534, in no other group
#include <grp.h>
#include <sys/inotify.h>
#include <unistd.h>

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
    if (verb != "closes") {
        std::fprintf(stderr, "usage: corvanite_guest_tool closes PATH... | nobody PROG ARG...\n");
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
