// The stand-in checker, started as chkdsk.exe by the tests, the end-to-end runs and the benchmark:
// writes its words, one a line, to the file CORVANITE_FAKE_CHKDSK_ARGS names, then follows the
// script CORVANITE_FAKE_CHKDSK_SCRIPT names (none: exit 0 at once), a command a line:
//   out HH HH ... / err HH ...  these bytes (hex) to standard output / standard error
//   lines N W                   N lines of W x, each ending in CR LF, to standard output
//   sleep MS / close (both output streams) / exit CODE (the script's end exits with 0)
//   ask                         "Proceed (Y/N)? " with no line end, then the line read from
//                               standard input, or "(no answer)" at its end, and CR LF
#include <unistd.h>  // close(), also in mingw-w64
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32  // the bytes as they are, with no CR added before an LF
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    if (const char* record = std::getenv("CORVANITE_FAKE_CHKDSK_ARGS")) {
        std::ofstream words(record, std::ios::binary);
        for (int i = 0; i < argc; ++i) {
            words << argv[i] << '\n';
        }
    }
    const char* path = std::getenv("CORVANITE_FAKE_CHKDSK_SCRIPT");
    std::ifstream script(path != nullptr ? path : "", std::ios::binary);
    // Each command's output goes to the pipe before the next command.
    for (std::string command; std::getline(script, command); std::fflush(stdout)) {
        std::istringstream words(command);
        std::string verb;
        unsigned long count = 0, width = 0;
        words >> verb;
        for (std::string hex; (verb == "out" || verb == "err") && words >> hex;) {
            std::fputc(static_cast<int>(std::strtoul(hex.c_str(), nullptr, 16)),
                       verb == "out" ? stdout : stderr);
        }
        if (verb == "lines" && words >> count >> width) {
            const std::string line = std::string(width, 'x') + "\r\n";
            for (unsigned long i = 0; i < count; ++i) {
                std::fputs(line.c_str(), stdout);
            }
        } else if (verb == "sleep" && words >> count) {
            std::this_thread::sleep_for(std::chrono::milliseconds(count));
        } else if (verb == "ask") {
            std::fputs("Proceed (Y/N)? ", stdout);
            std::fflush(stdout);
            std::string answer;
            if (!std::getline(std::cin, answer)) {
                answer = "(no answer)";
            }
            if (!answer.empty() && answer.back() == '\r') {
                answer.pop_back();
            }
            std::fputs((answer + "\r\n").c_str(), stdout);
        } else if (verb == "close") {
            close(1);
            close(2);
        } else if (verb == "exit") {
            return std::atoi(command.c_str() + 4);
        }
    }
}
