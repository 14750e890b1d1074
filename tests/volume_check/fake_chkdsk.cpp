// A stand-in for the volume checker, started by the tests as chkdsk.exe. It follows a script
// named by the environment variable CORVANITE_FAKE_CHKDSK_SCRIPT, one command a line:
//
//   out HH HH ...      write these bytes (hex) to standard output
//   err HH HH ...      write them to standard error
//   lines N W          write N lines of W letters, each ending in CR LF, to standard output
//   sleep MS           pause (a run the worker cancels pauses here until it is killed)
//   close              close both output streams
//   exit CODE          end with this exit code (the end of the script exits with 0)
//
// When CORVANITE_FAKE_CHKDSK_ARGS names a file, it first writes there how it was started.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "fake_chkdsk_io.h"

namespace {

using namespace corvanite::test;

std::string HexBytes(std::istringstream& words) {
    std::string bytes;
    std::string word;
    while (words >> word) {
        bytes.push_back(static_cast<char>(std::stoul(word, nullptr, 16)));
    }
    return bytes;
}

void WriteLines(unsigned long count, unsigned long width) {
    std::string line;
    for (unsigned long i = 0; i < width; ++i) {
        line.push_back(static_cast<char>('A' + i % 26));
    }
    line += "\r\n";
    std::string block;
    for (unsigned long written = 0; written < count;) {
        block.clear();
        while (written < count && block.size() + line.size() <= 65536) {
            block += line;
            ++written;
        }
        WriteStream(1, block);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* record = std::getenv("CORVANITE_FAKE_CHKDSK_ARGS")) {
        std::ofstream(record, std::ios::binary) << Invocation(argc, argv);
    }
    const char* scriptPath = std::getenv("CORVANITE_FAKE_CHKDSK_SCRIPT");
    std::ifstream script(scriptPath != nullptr ? scriptPath : "", std::ios::binary);
    if (!script) {
        WriteStream(2, "fake chkdsk: no script\n");
        return 97;
    }
    std::string command;
    while (std::getline(script, command)) {
        std::istringstream words(command);
        std::string verb;
        words >> verb;
        if (verb == "out" || verb == "err") {
            WriteStream(verb == "out" ? 1 : 2, HexBytes(words));
        } else if (verb == "lines") {
            unsigned long count = 0;
            unsigned long width = 0;
            words >> count >> width;
            WriteLines(count, width);
        } else if (verb == "sleep") {
            uint32_t ms = 0;
            words >> ms;
            PauseMs(ms);
        } else if (verb == "close") {
            CloseStreams();
        } else if (verb == "exit") {
            int code = 0;
            words >> code;
            return code;
        }
    }
    return 0;
}
