#include "test_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace corvanite::test {

const std::vector<std::string> REAL_DRIVES = Words(
    "FUJITSU_MHY2120BH--0084000D FUJITSU_MHY2250BH--0085000B INTEL_SSDSA2CW120G3--4PC10302 "
    "Maxtor_96147H8--BAC51KJ0--2 SAMSUNG_HD501LJ--CR100-12 SAMSUNG_MMCQE28G8MUP--0VA_VAM08L1Q "
    "ST320410A--3.39 TOSHIBA_MK1651GSY--38IGT0G5T WDC_WD2500JS-75NCB3--10.02E04");

std::string ReadTestText(const std::string& relativePath) {
    std::ifstream in(CORVANITE_TEST_DATA "/" + relativePath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void CheckGolden(const std::string& relativePath, const std::string& text) {
    if (std::getenv("CORVANITE_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(CORVANITE_TEST_DATA "/" + relativePath, std::ios::binary) << text;
    }
    EXPECT_EQ(text, ReadTestText(relativePath)) << relativePath;
}

void CheckTable(const std::string& relativePath,
                const std::function<std::string(const std::string&)>& run) {
    std::istringstream in(ReadTestText(relativePath));
    std::string got;
    for (std::string line; std::getline(in, line); got += line + "\n") {
        const size_t arrow = line.find(" => ");
        if (arrow != std::string::npos && line[0] != '#') {
            const std::string input = line.substr(0, arrow), expected = line.substr(arrow + 4);
            line = input + " => " + run(input);
            EXPECT_EQ(line.substr(arrow + 4), expected) << relativePath << ": " << input;
        }
    }
    EXPECT_NE(got.find(" => "), std::string::npos) << relativePath << " has no case";
    if (std::getenv("CORVANITE_UPDATE_GOLDEN") != nullptr) {
        CheckGolden(relativePath, got);
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
            continue;
        }
        const char kind = token[mark];
        const std::string value = token.substr(mark + 1);
        std::vector<uint64_t> put;
        for (size_t i = 0; i < (kind == '=' ? 4u : kind == '#' ? 8u : 0u); ++i) {
            put.push_back(std::stoull(value, nullptr, 0) >> (8 * i));
        }
        for (size_t i = 0; kind == '/' && i + 1 < value.size(); i += 2) {
            put.push_back(std::stoul(value.substr(i, 2), nullptr, 16));
        }
        for (const char c : kind == ':' ? value : "") {
            put.push_back(c == '~' ? ' ' : c == '_' ? 0 : static_cast<uint8_t>(c));
        }
        for (size_t i = 0, at = std::stoul(token, nullptr, 0); i < put.size() && at + i < size;
             ++i) {
            bytes[at + i] = static_cast<uint8_t>(put[i]);
        }
    }
    return bytes;
}

Page PageOf(const std::string& tokens) {
    Page page;
    std::ranges::copy(Bytes(tokens, page.size()), page.begin());
    return page;
}

Page RealPage(const std::string& name, const std::string& what) {
    const std::string bytes = ReadTestText("ata-smart/" + name + "." + what + ".bin");
    Page page = {};
    std::copy_n(bytes.begin(), std::min(bytes.size(), page.size()), page.begin());
    return page;
}

Page AtaPage(const std::string& entries, bool thresholds) {
    Page page = {};
    size_t slot = 0;
    for (const std::string& entry : Words(entries)) {
        const std::vector<std::string> f = Words(entry, '/');
        if (f.size() == 4 || f.size() == 5) {  // a fifth field: the worst value
            uint8_t* p = page.data() + 2 + 12 * slot++;
            p[0] = static_cast<uint8_t>(std::stoul(f[0]));
            p[thresholds ? 1 : 3] = p[thresholds ? 1 : 4] =
                static_cast<uint8_t>(std::stoul(f[thresholds ? 2 : 1]));
            p[4] = thresholds || f.size() == 4 ? p[4] : static_cast<uint8_t>(std::stoul(f[4]));
            for (size_t b = 0; !thresholds && b < 6; ++b) {
                p[5 + b] = static_cast<uint8_t>(std::stoull(f[3], nullptr, 0) >> (8 * b));
            }
        }
    }
    return page;
}

}  // namespace corvanite::test
