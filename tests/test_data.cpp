#include "test_data.h"

#include <fstream>
#include <iterator>

namespace corvanite::test {

std::vector<uint8_t> ReadTestFile(const std::string& relativePath) {
    std::ifstream in(std::string(CORVANITE_TEST_DATA) + "/" + relativePath, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

std::string ReadTestText(const std::string& relativePath) {
    const std::vector<uint8_t> bytes = ReadTestFile(relativePath);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace corvanite::test
