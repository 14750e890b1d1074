// Cuts the volume checker's output into lines. Bytes arrive in chunks of any size; a line is the
// bytes before an LF, without the one CR right before that LF (a CR elsewhere stays part of the
// line). Lines are handed out as bytes; each whole line is converted to text on its own, so a
// multi-byte character split across two reads is converted whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvanite {

struct LineAssembler {
    // Bytes received and not yet handed out start at `start`; the bytes before it were handed
    // out and are dropped on the next AddOutputBytes.
    std::string pending;
    size_t start = 0;
    // Where the next search for an LF begins: the bytes from `start` up to here hold none.
    size_t searched = 0;
};

// Adds the bytes of one read. A zero byte is dropped on its own; the bytes after it are kept.
void AddOutputBytes(LineAssembler& lines, std::string_view chunk);

// Takes the next complete line, if an LF has arrived. `line` stays valid until the next
// AddOutputBytes on the same assembler.
bool TakeLine(LineAssembler& lines, std::string_view& line);

// Once the output has ended: the bytes after the last LF, if there are any, as one last line
// (with one CR at its end removed, as for any line).
bool TakeLastLine(LineAssembler& lines, std::string_view& line);

}  // namespace corvanite
