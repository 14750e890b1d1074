// The project's test data under tests/data: real drives' pages, golden files, tables of cases.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace corvanite::test {

// The whole file (empty when it cannot be read).
std::string ReadTestText(const std::string& relativePath);
// Compares text with the file whole; CORVANITE_UPDATE_GOLDEN=1 rewrites the file instead.
void CheckGolden(const std::string& relativePath, const std::string& text);
// Each line "INPUT => EXPECTED" (not starting with '#') must give EXPECTED through run(INPUT);
// CORVANITE_UPDATE_GOLDEN=1 rewrites the EXPECTED parts with what run gives.
void CheckTable(const std::string& relativePath,
                const std::function<std::string(const std::string& input)>& run);
// The words of a line split at blanks, or its fields split at sep (empty ones kept).
std::vector<std::string> Words(const std::string& line, char sep = ' ');
// Bytes laid out by tokens ("N=V" V as 4 bytes little-endian at N, "N#V" 8 bytes, "N/HEX" hex
// bytes from N, "N:TEXT" ASCII from N, '~' a blank, '_' a NUL; other words are skipped).
std::vector<uint8_t> Bytes(const std::string& tokens, size_t size);

using Page = std::array<uint8_t, 512>;
Page PageOf(const std::string& tokens);
// The drives captured under ata-smart/: NAME.data.bin, .thresholds.bin, .identify.bin (what);
// NAME.expected.txt from an independent decoding.
extern const std::vector<std::string> REAL_DRIVES;
Page RealPage(const std::string& name, const std::string& what);
// The ATA data page (current = worst) or thresholds page of "id/current/threshold/raw" entries,
// one per slot in order; other words are skipped.
Page AtaPage(const std::string& entries, bool thresholds);

}  // namespace corvanite::test
