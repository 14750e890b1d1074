// The real Windows layers under Wine (or Windows): the probe through DeviceIoControl, where Wine's
// \\.\PhysicalDrive0 answers a descriptor with bus code 1 and no texts, a geometry and no SMART
// request; and the report file through CreateFileW.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "drives/probe.h"
#include "report/report_file.h"
#include "text/utf.h"

namespace corvanite {
namespace {

TEST(Win32Platform, ProbeFindsWineDriveZeroAsTheSystemReportsIt) {
    const HANDLE drive =
        CreateFileW(L"\\\\.\\PhysicalDrive0", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    DISK_GEOMETRY_EX geometry = {};
    DWORD returned = 0;
    const bool answered = DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0,
                                          &geometry, sizeof geometry, &returned, nullptr);
    CloseHandle(drive);
    if (!answered) {
        GTEST_SKIP() << "\\\\.\\PhysicalDrive0 does not answer here";
    }
    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_FALSE(drives.empty());
    const DriveInfo& first = drives.front();
    // The descriptor answered without texts: an empty identity, not the start record's name.
    EXPECT_EQ(Utf16ToUtf8(first.devicePath.view()) + "|" + Utf16ToUtf8(first.model.view()) + "|" +
                  Utf16ToUtf8(first.busName.view()) + "|" + Utf16ToUtf8(HealthWord(first.health)),
              "\\\\.\\PhysicalDrive0||Bus01|N/A");
    EXPECT_EQ(first.sizeBytes, static_cast<uint64_t>(geometry.DiskSize.QuadPart));
}

std::string ReadBack(const std::u16string& path) {
    std::ifstream in(std::filesystem::path(reinterpret_cast<const wchar_t*>(path.c_str())),
                     std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "(cannot open)";
}

// A name in several scripts; replaced without a tail of the old bytes; a file another program
// holds without sharing keeps its bytes; a missing folder is not made.
TEST(Win32Platform, ReportFileWritesReplacesAndFailsWithAReason) {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    const std::u16string folder = reinterpret_cast<const char16_t*>(temp) +
                                  Utf8ToUtf16("corvanite-" + std::to_string(GetTickCount64()));
    const auto wide = [](const std::u16string& s) {
        return reinterpret_cast<const wchar_t*>(s.c_str());
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
    uint32_t code = 0;
    EXPECT_FALSE(WriteReportFile(folder + u"\\missing\\r.txt", "x", reason, code));
    EXPECT_EQ(code, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(wide(folder + u"\\missing")), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(wide(path));
    EXPECT_TRUE(RemoveDirectoryW(wide(folder)));  // nothing else was left in it
}

}  // namespace
}  // namespace corvanite
