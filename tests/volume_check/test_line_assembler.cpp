#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "volume_check/chkdsk_command.h"
#include "volume_check/line_assembler.h"

namespace corvanite {
namespace {

// Feeds the reads one by one, taking the complete lines after each as the worker does; then the
// last line once the output has ended.
std::vector<std::string> Assemble(const std::vector<std::string>& reads) {
    LineAssembler assembler;
    std::vector<std::string> lines;
    std::string_view line;
    for (const std::string& read : reads) {
        AddOutputBytes(assembler, read);
        while (TakeLine(assembler, line)) {
            lines.emplace_back(line);
        }
    }
    if (TakeLastLine(assembler, line)) {
        lines.emplace_back(line);
    }
    return lines;
}

using Lines = std::vector<std::string>;
using std::string_literals::operator""s;

TEST(LineAssembler, LineEnds) {
    EXPECT_EQ(Assemble({"a\r\nb\r\n"}), (Lines{"a", "b"}));
    // Only the CR right before the LF goes; a lone CR stays in the line.
    EXPECT_EQ(Assemble({"x\ry\r\n"}), (Lines{"x\ry"}));
    EXPECT_EQ(Assemble({"x\r\r\n"}), (Lines{"x\r"}));
    EXPECT_EQ(Assemble({"\r\n"}), (Lines{""}));
    EXPECT_EQ(Assemble({"\n\n"}), (Lines{"", ""}));
    EXPECT_EQ(Assemble({"plain\n"}), (Lines{"plain"}));
    EXPECT_EQ(Assemble({}), (Lines{}));
    EXPECT_EQ(Assemble({""}), (Lines{}));
}

TEST(LineAssembler, LinesSplitAcrossReads) {
    EXPECT_EQ(Assemble({"ab", "c\r\n"}), (Lines{"abc"}));
    // The CR and its LF in different reads.
    EXPECT_EQ(Assemble({"one\r", "\ntwo\r\n"}), (Lines{"one", "two"}));
    // A two-byte character cut in half reaches the conversion whole.
    EXPECT_EQ(Assemble({"caf\xC3", "\xA9\r\n"}), (Lines{"caf\xC3\xA9"}));
    EXPECT_EQ(Assemble({"a", "b", "c", "\n", "d\n"}), (Lines{"abc", "d"}));
}

TEST(LineAssembler, ALastLineWithoutLfIsKept) {
    EXPECT_EQ(Assemble({"done\r\ntail"}), (Lines{"done", "tail"}));
    EXPECT_EQ(Assemble({"done\r\ntail\r"}), (Lines{"done", "tail"}));
    EXPECT_EQ(Assemble({"ta", "il"}), (Lines{"tail"}));
    // Only one CR is removed, as for any line.
    EXPECT_EQ(Assemble({"tail\r\r"}), (Lines{"tail\r"}));
    EXPECT_EQ(Assemble({"\r"}), (Lines{""}));
    EXPECT_EQ(Assemble({"done\n"}), (Lines{"done"}));
}

TEST(LineAssembler, ZeroBytesAreDroppedAlone) {
    EXPECT_EQ(Assemble({"a\0b\r\n"s}), (Lines{"ab"}));
    EXPECT_EQ(Assemble({"\0\0x\0\n\0"s}), (Lines{"x"}));
    // The line in progress goes on in the next read.
    EXPECT_EQ(Assemble({"ab\0c"s, "d\r\n"}), (Lines{"abcd"}));
    EXPECT_EQ(Assemble({"\r\0\n"s}), (Lines{""}));
    EXPECT_EQ(Assemble({"\0"s}), (Lines{}));
}

TEST(LineAssembler, ManyLinesOverManyReadsKeepTheirOrder) {
    std::string output;
    Lines expected;
    for (int i = 0; i < 500; ++i) {
        expected.push_back("line " + std::to_string(i) +
                           std::string(static_cast<size_t>(i % 70), '.'));
        output += expected.back() + "\r\n";
    }
    Lines reads;
    for (size_t at = 0; at < output.size(); at += 97) {
        reads.push_back(output.substr(at, 97));
    }
    EXPECT_EQ(Assemble(reads), expected);
}

TEST(ChkdskCommand, WordsAndCommandLine) {
    EXPECT_EQ(ChkdskCommandLine(u"C:", true), u"chkdsk.exe C: /v");
    EXPECT_EQ(ChkdskCommandLine(u"C:", false), u"chkdsk.exe C: /f /x /v");
    EXPECT_EQ(ChkdskArguments(u"D:", true), (std::vector<std::u16string>{u"D:", u"/v"}));
    EXPECT_EQ(ChkdskArguments(u"D:", false),
              (std::vector<std::u16string>{u"D:", u"/f", u"/x", u"/v"}));
}

TEST(ChkdskCommand, OnlyALetterAndAColonIsAVolume) {
    EXPECT_TRUE(IsVolumeText(u"A:"));
    EXPECT_TRUE(IsVolumeText(u"Z:"));
    for (const char16_t* bad : {u"", u"C", u"c:", u"C:\\", u"CC", u"@:", u"[:", u"C: /f", u"1:"}) {
        EXPECT_FALSE(IsVolumeText(bad)) << testing::PrintToString(std::u16string(bad));
    }
}

}  // namespace
}  // namespace corvanite
