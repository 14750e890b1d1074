// Cuts the volume checker's output into lines as a console shows them. Bytes arrive in chunks of
// any size. An LF ends a line; a CR moves back to the line's start, so that what follows
// overwrites it character by character (checkers redraw a progress line this way, and end a line
// with CR LF); a zero byte is dropped. Lines are handed out as bytes; each whole line is converted
// to text on its own, so a multi-byte character split across two reads is converted whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvanite {

// A line that reaches this many bytes without an LF (a child writing without end) is handed out
// and the rest goes on a new line: memory stays bounded whatever the child writes.
constexpr size_t MAX_LINE_BYTES = 4096;

struct LineAssembler {
    // Lines ended since the last AddOutputBytes, one after another, and where each ends; those
    // before `taken` were handed out.
    std::string ended;
    std::vector<size_t> ends;
    size_t taken = 0;
    // The line being written, and where the next byte goes in it.
    std::string current;
    size_t column = 0;
};

// Adds the bytes of one read.
void AddOutputBytes(LineAssembler& lines, std::string_view chunk);

// Takes the next complete line, if an LF has arrived. `line` stays valid until the next
// AddOutputBytes on the same assembler.
bool TakeLine(LineAssembler& lines, std::string_view& line);

// The line being written (no LF yet) as the console shows it: a question waiting for its answer,
// a progress line being redrawn. Valid until the next AddOutputBytes.
std::string_view PartialLine(const LineAssembler& lines);

// Once the output has ended: the line being written, if it holds anything, as one last line.
bool TakeLastLine(LineAssembler& lines, std::string_view& line);

}  // namespace corvanite
