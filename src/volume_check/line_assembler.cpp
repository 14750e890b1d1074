#include "volume_check/line_assembler.h"

#include <cstring>

namespace corvanite {
namespace {

std::string_view WithoutFinalCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

}  // namespace

void AddOutputBytes(LineAssembler& lines, std::string_view chunk) {
    if (lines.start > 0) {
        lines.pending.erase(0, lines.start);
        lines.searched -= lines.start;
        lines.start = 0;
    }
    // Copy the runs between zero bytes; the zero bytes themselves are left out.
    while (!chunk.empty()) {
        const void* zero = std::memchr(chunk.data(), 0, chunk.size());
        const size_t run = zero == nullptr
                               ? chunk.size()
                               : static_cast<size_t>(static_cast<const char*>(zero) - chunk.data());
        lines.pending.append(chunk.data(), run);
        chunk.remove_prefix(zero == nullptr ? run : run + 1);
    }
}

bool TakeLine(LineAssembler& lines, std::string_view& line) {
    const size_t end = lines.pending.find('\n', lines.searched);
    if (end == std::string::npos) {
        lines.searched = lines.pending.size();
        return false;
    }
    line = WithoutFinalCr(std::string_view(lines.pending).substr(lines.start, end - lines.start));
    lines.start = end + 1;
    lines.searched = lines.start;
    return true;
}

bool TakeLastLine(LineAssembler& lines, std::string_view& line) {
    if (lines.start >= lines.pending.size()) {
        return false;
    }
    line = WithoutFinalCr(std::string_view(lines.pending).substr(lines.start));
    lines.start = lines.pending.size();
    lines.searched = lines.start;
    return true;
}

}  // namespace corvanite
