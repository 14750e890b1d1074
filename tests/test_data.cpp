#include "test_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace corvanite::test {
namespace {

void Update(const std::string& relativePath, const std::string& text) {
    std::ofstream(std::string(CORVANITE_TEST_DATA) + "/" + relativePath, std::ios::binary) << text;
}

}  // namespace

std::vector<uint8_t> ReadTestFile(const std::string& relativePath) {
    std::ifstream in(std::string(CORVANITE_TEST_DATA) + "/" + relativePath, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

std::string ReadTestText(const std::string& relativePath) {
    const std::vector<uint8_t> bytes = ReadTestFile(relativePath);
    return std::string(bytes.begin(), bytes.end());
}

void CheckGolden(const std::string& relativePath, const std::string& text) {
    if (std::getenv("CORVANITE_UPDATE_GOLDEN") != nullptr) {
        Update(relativePath, text);
    }
    EXPECT_EQ(text, ReadTestText(relativePath)) << relativePath;
}

void CheckTable(const std::string& relativePath,
                const std::function<std::string(const std::string&)>& run) {
    std::istringstream in(ReadTestText(relativePath));
    std::string updated;
    int cases = 0;
    for (std::string line; std::getline(in, line);) {
        const size_t arrow = line.find(" => ");
        if (arrow != std::string::npos && line[0] != '#') {
            const std::string input = line.substr(0, arrow);
            const std::string got = run(input);
            EXPECT_EQ(got, line.substr(arrow + 4)) << relativePath << ": " << input;
            line = input + " => " + got;
            ++cases;
        }
        updated += line + "\n";
    }
    EXPECT_GT(cases, 0) << relativePath;
    if (std::getenv("CORVANITE_UPDATE_GOLDEN") != nullptr) {
        Update(relativePath, updated);
    }
}

std::vector<std::string> Words(const std::string& line, char sep) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; std::getline(in, word, sep);) {
        if (!word.empty() || sep != ' ') {
            words.push_back(word);
        }
    }
    return words;
}

std::vector<uint8_t> Bytes(const std::string& tokens, size_t size) {
    std::vector<uint8_t> bytes(size, 0);
    for (const std::string& token : Words(tokens)) {
        const size_t mark = token.find_first_of("=#/:");
        if (mark == std::string::npos || token[0] < '0' || token[0] > '9') {
            continue;  // a word of the case, not a byte
        }
        size_t at = std::stoul(token.substr(0, mark), nullptr, 0);
        const std::string value = token.substr(mark + 1);
        const auto put = [&](uint8_t b) {
            if (at < size) {
                bytes[at++] = b;
            }
        };
        if (token[mark] == '=' || token[mark] == '#') {
            const uint64_t v = std::stoull(value, nullptr, 0);
            for (int i = 0; i < (token[mark] == '=' ? 4 : 8); ++i) {
                put(static_cast<uint8_t>(v >> (8 * i)));
            }
        } else if (token[mark] == '/') {
            for (size_t i = 0; i + 1 < value.size(); i += 2) {
                put(static_cast<uint8_t>(std::stoul(value.substr(i, 2), nullptr, 16)));
            }
        } else {
            for (const char c : value) {
                put(static_cast<uint8_t>(c == '~' ? ' ' : c == '_' ? '\0' : c));
            }
        }
    }
    return bytes;
}

}  // namespace corvanite::test
