#include "volume_check/line_assembler.h"

#include <algorithm>

namespace corvanite {
namespace {

void EndLine(LineAssembler& lines) {
    lines.ended += lines.current;
    lines.ends.push_back(lines.ended.size());
    lines.current.clear();
    lines.column = 0;
}

// Writes a run of plain bytes at the column: over what is there, then past its end.
void Write(LineAssembler& lines, std::string_view run) {
    while (!run.empty()) {
        if (lines.column == MAX_LINE_BYTES) {
            EndLine(lines);
        }
        const size_t room = MAX_LINE_BYTES - lines.column;
        const std::string_view part = run.substr(0, room);
        lines.current.replace(lines.column, part.size(), part);  // cut where the line ends
        lines.column += part.size();
        run.remove_prefix(part.size());
    }
}

}  // namespace

void AddOutputBytes(LineAssembler& lines, std::string_view chunk) {
    // Lines not taken yet stay; the bytes of those taken go.
    const size_t dropped = lines.taken == 0 ? 0 : lines.ends[lines.taken - 1];
    lines.ended.erase(0, dropped);
    lines.ends.erase(lines.ends.begin(),
                     lines.ends.begin() + static_cast<std::ptrdiff_t>(lines.taken));
    for (size_t& end : lines.ends) {
        end -= dropped;
    }
    lines.taken = 0;
    while (!chunk.empty()) {
        const size_t stop = chunk.find_first_of(std::string_view("\r\n\0", 3));
        Write(lines, chunk.substr(0, stop));
        if (stop == std::string_view::npos) {
            break;
        }
        if (chunk[stop] == '\n') {
            EndLine(lines);
        } else if (chunk[stop] == '\r') {
            lines.column = 0;
        }
        chunk.remove_prefix(stop + 1);
    }
}

bool TakeLine(LineAssembler& lines, std::string_view& line) {
    if (lines.taken == lines.ends.size()) {
        return false;
    }
    const size_t start = lines.taken == 0 ? 0 : lines.ends[lines.taken - 1];
    line = std::string_view(lines.ended).substr(start, lines.ends[lines.taken] - start);
    ++lines.taken;
    return true;
}

std::string_view PartialLine(const LineAssembler& lines) {
    return lines.current;
}

bool TakeLastLine(LineAssembler& lines, std::string_view& line) {
    if (lines.current.empty()) {
        return false;
    }
    EndLine(lines);
    return TakeLine(lines, line);
}

}  // namespace corvanite
