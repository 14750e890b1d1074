// Reading the project's test data (real drives' SMART pages).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvanite::test {

// The whole file under the test data folder, or an empty vector when it cannot be read.
std::vector<uint8_t> ReadTestFile(const std::string& relativePath);
std::string ReadTestText(const std::string& relativePath);

}  // namespace corvanite::test
