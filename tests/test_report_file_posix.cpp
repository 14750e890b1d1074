#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "report/report_file.h"
#include "text/utf.h"

namespace corvanite {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ReportFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dirTemplate[] = "/tmp/corvanite-report-XXXXXX";
        ASSERT_NE(mkdtemp(dirTemplate), nullptr);
        dir = dirTemplate;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
    std::string dir;
};

TEST_F(ReportFileTest, WritesReplacesAndHandlesNonAsciiNames) {
    const std::string path = dir + "/r\xC3\xA9port \xE6\x97\xA5.txt";
    std::u16string reason;
    std::string bytes =
        "\xEF\xBB\xBF"
        "line\r\n";
    bytes.append(300000, 'x');
    ASSERT_TRUE(WriteReportFile(Utf8ToUtf16(path), bytes, reason));
    EXPECT_EQ(ReadAll(path), bytes);
    ASSERT_TRUE(WriteReportFile(Utf8ToUtf16(path), "short", reason));
    EXPECT_EQ(ReadAll(path), "short");
}

TEST_F(ReportFileTest, FailuresGiveTheSystemsReason) {
    std::u16string reason;
    EXPECT_FALSE(WriteReportFile(Utf8ToUtf16(dir + "/missing/r.txt"), "x", reason));
    EXPECT_EQ(Utf16ToUtf8(reason), "No such file or directory");
    reason.clear();
    EXPECT_FALSE(WriteReportFile(Utf8ToUtf16(dir), "x", reason));
    EXPECT_FALSE(reason.empty());
}

TEST_F(ReportFileTest, AFullDeviceLeavesNoPartialReport) {
    if (access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "/dev/full is not writable here";
    }
    // /dev/full accepts the open and fails every write: the failure is told, and the device
    // node, not being a regular file, is left alone.
    std::u16string reason;
    EXPECT_FALSE(WriteReportFile(u"/dev/full", "report", reason));
    EXPECT_EQ(Utf16ToUtf8(reason), "No space left on device");
    struct stat info {};
    EXPECT_EQ(stat("/dev/full", &info), 0);
}

}  // namespace
}  // namespace corvanite
