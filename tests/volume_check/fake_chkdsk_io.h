// What the stand-in volume checker needs of its platform: raw writes to its two output streams,
// closing them, pausing, and the words it was started with.
#pragma once

#include <cstdint>
#include <string>

namespace corvanite::test {

// Writes the bytes exactly (no line-end translation) to standard output (1) or error (2).
void WriteStream(int stream, const std::string& bytes);
void CloseStreams();
void PauseMs(uint32_t ms);
// How the program was started: argv one word a line on POSIX; the command line on Windows.
std::string Invocation(int argc, char** argv);

}  // namespace corvanite::test
