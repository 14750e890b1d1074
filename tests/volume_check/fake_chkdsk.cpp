// A stand-in for the volume checker, started as chkdsk.exe by the tests, the end-to-end runs and
// the benchmark. It writes the words it was started with, one a line, to the file named by
// CORVANITE_FAKE_CHKDSK_ARGS (if set), then follows the script CORVANITE_FAKE_CHKDSK_SCRIPT names:
//
//   out HH HH ...      write these bytes (hex) to standard output; err: to standard error
//   lines N W          write N lines of W letters, each ending in CR LF, to standard output
//   sleep MS           pause (a run the worker cancels pauses here until it is killed)
//   close              close both output streams
//   exit CODE          end with this exit code (the end of the script exits with 0)
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "stand_in.h"

using namespace corvanite::test;

int main(int argc, char** argv) {
    if (const char* record = std::getenv("CORVANITE_FAKE_CHKDSK_ARGS")) {
        std::ofstream words(record, std::ios::binary);
        for (int i = 0; i < argc; ++i) {
            words << argv[i] << '\n';
        }
    }
    const char* path = std::getenv("CORVANITE_FAKE_CHKDSK_SCRIPT");
    std::ifstream script(path != nullptr ? path : "", std::ios::binary);
    if (!script) {
        WriteStream(2, "fake chkdsk: no script\n");
        return 97;
    }
    for (std::string command; std::getline(script, command);) {
        std::istringstream words(command);
        std::string verb;
        std::string bytes;
        unsigned long count = 0;
        unsigned long width = 0;
        words >> verb;
        if (verb == "out" || verb == "err") {
            for (std::string hex; words >> hex;) {
                bytes.push_back(static_cast<char>(std::strtoul(hex.c_str(), nullptr, 16)));
            }
            WriteStream(verb == "out" ? 1 : 2, bytes);
        } else if (verb == "lines" && words >> count >> width) {
            std::string line;
            for (unsigned long i = 0; i < width; ++i) {
                line.push_back(static_cast<char>('A' + i % 26));
            }
            for (unsigned long i = 0; i < count; ++i) {  // in blocks of at most 64 KiB
                bytes += line + "\r\n";
                if (bytes.size() + line.size() + 2 > 65536 || i + 1 == count) {
                    WriteStream(1, bytes);
                    bytes.clear();
                }
            }
        } else if (verb == "sleep" && words >> count) {
            std::this_thread::sleep_for(std::chrono::milliseconds(count));
        } else if (verb == "close") {
            CloseStreams();
        } else if (verb == "exit") {
            return std::atoi(command.c_str() + 4);
        }
    }
    return 0;
}
