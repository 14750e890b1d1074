// The project's test data: real drives' pages, golden files, tables of cases, pages by tokens.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace corvanite::test {

// The whole file under tests/data (empty when it cannot be read).
std::string ReadTestText(const std::string& relativePath);
// Compares text with the file whole; CORVANITE_UPDATE_GOLDEN=1 rewrites the file instead.
void CheckGolden(const std::string& relativePath, const std::string& text);
// Each line "INPUT => EXPECTED" of the file must give EXPECTED through run(INPUT); other lines
// are comments. CORVANITE_UPDATE_GOLDEN=1 rewrites the EXPECTED parts with what run gives.
void CheckTable(const std::string& relativePath,
                const std::function<std::string(const std::string& input)>& run);
// The words of a line split at blanks, or its fields split at sep (empty ones kept).
std::vector<std::string> Words(const std::string& line, char sep = ' ');
// Bytes laid out by tokens: "N=V" V as 4 bytes little-endian at N, "N#V" as 8 bytes, "N/HEX" the
// hex bytes from N, "N:TEXT" ASCII from N ('~' a blank, '_' a NUL). Numbers may be 0x-prefixed.
std::vector<uint8_t> Bytes(const std::string& tokens, size_t size);

using Page = std::array<uint8_t, 512>;
// The drives whose captured pages are under ata-smart/ (NAME.data.bin, .thresholds.bin,
// .identify.bin, and NAME.expected.txt from an independent decoding).
extern const char* const REAL_DRIVES[9];
Page PageOf(const std::string& tokens);
// A real drive's page: what is "data", "thresholds" or "identify".
Page RealPage(const std::string& name, const std::string& what);
// The ATA data page (current = worst) or thresholds page of "id/current/threshold/raw" entries,
// one per slot in order; other words are skipped.
Page AtaPage(const std::string& entries, bool thresholds);

}  // namespace corvanite::test
