// The report file through CreateFileW under Wine (or Windows). The probe through DeviceIoControl
// runs in corvanite_report_runs: Wine's \\.\PhysicalDrive0 answers no SMART request.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "drives/volumes.h"
#include "report/report_file.h"
#include "text/utf.h"

namespace corvanite {
namespace {

// A name in several scripts; replaced without a tail of the old bytes; a file another program
// holds without sharing keeps its bytes; a missing folder is not made.
// The system's volumes: every one a letter and a colon with its file system, in letter order,
// the system drive among them.
TEST(Win32Platform, VolumesListedWithTheirFileSystems) {
    const VolumeList list = SystemVolumeAccess().listVolumes();
    ASSERT_TRUE(list.known);
    wchar_t windows[MAX_PATH + 1] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH + 1), 0u);
    const std::u16string systemVolume{static_cast<char16_t>(windows[0]), u':'};
    const VolumeInfo* system = FindVolume(list, systemVolume);
    ASSERT_NE(system, nullptr);
    EXPECT_FALSE(system->fileSystem.empty());
    EXPECT_GT(system->sizeBytes, 0u);
    for (size_t i = 0; i < list.volumes.size(); ++i) {
        const std::u16string& name = list.volumes[i].name;
        EXPECT_TRUE(name.size() == 2 && name[0] >= u'A' && name[0] <= u'Z' && name[1] == u':');
        EXPECT_TRUE(i == 0 || list.volumes[i - 1].name < name);
    }
}

TEST(Win32Platform, ReportFileWritesReplacesAndFailsWithAReason) {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    const std::u16string folder = reinterpret_cast<const char16_t*>(temp) +
                                  Utf8ToUtf16("corvanite-" + std::to_string(GetTickCount64()));
    const auto wide = [](const std::u16string& s) {
        return reinterpret_cast<const wchar_t*>(s.c_str());
    };
    const auto ReadBack = [&](const std::u16string& file) {
        std::ifstream in(std::filesystem::path(wide(file)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    ASSERT_TRUE(CreateDirectoryW(wide(folder), nullptr));
    const std::u16string path = folder + u"\\Bericht-\u00E4\u0394\u65E5\U0001F4BE.txt";
    const std::string bytes =
        "Report\r\n" + std::string("\0\xC3\xA4\xFF", 4) + std::string(20000, 'x');
    std::u16string reason;
    ASSERT_TRUE(WriteReportFile(path, bytes, reason));
    EXPECT_EQ(ReadBack(path), bytes);
    ASSERT_TRUE(WriteReportFile(path, "shorter\r\n", reason));
    const HANDLE held =
        CreateFileW(wide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(WriteReportFile(path, "new\r\n", reason));
    EXPECT_FALSE(reason.empty());
    CloseHandle(held);
    EXPECT_EQ(ReadBack(path), "shorter\r\n");
    // A report 300 characters deep, past MAX_PATH: written, and read back by its extended form.
    const std::u16string deep = folder + u"\\" + std::u16string(120, u'd');
    ASSERT_TRUE(CreateDirectoryW(wide(u"\\\\?\\" + deep), nullptr));
    const std::u16string longPath =
        deep + u"\\" + std::u16string(300 - deep.size() - 12, u'r') + u"-report.txt";
    ASSERT_EQ(longPath.size(), 300u);
    ASSERT_TRUE(WriteReportFile(longPath, bytes, reason)) << Utf16ToUtf8(reason);
    EXPECT_EQ(ReadBack(u"\\\\?\\" + longPath), bytes);
    uint32_t code = 0;
    EXPECT_FALSE(WriteReportFile(folder + u"\\missing\\r.txt", "x", reason, code));
    EXPECT_EQ(code, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(wide(folder + u"\\missing")), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(wide(path));
    EXPECT_TRUE(DeleteFileW(wide(u"\\\\?\\" + longPath)));
    EXPECT_TRUE(RemoveDirectoryW(wide(u"\\\\?\\" + deep)));
    EXPECT_TRUE(RemoveDirectoryW(wide(folder)));  // nothing else was left in it
}

}  // namespace
}  // namespace corvanite
