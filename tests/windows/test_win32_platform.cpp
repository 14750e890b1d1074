// The real Windows layers, run under Wine (or on Windows): the drive probe through
// DeviceIoControl and the report file through CreateFileW.
//
// Wine's \\.\PhysicalDrive0 opens; its storage descriptor answers 40 bytes with bus code 1 and no
// texts; the geometry query answers a size; SMART and NVMe queries fail with error 50.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drives/probe.h"
#include "report/report_file.h"
#include "text/utf.h"

namespace corvanite {
namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

TEST(Win32Platform, ProbeFindsWineDriveZeroAsTheSystemReportsIt) {
    const HANDLE drive =
        CreateFileW(L"\\\\.\\PhysicalDrive0", GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    DISK_GEOMETRY_EX geometry = {};
    DWORD returned = 0;
    const bool answered = drive != INVALID_HANDLE_VALUE &&
                          DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0,
                                          &geometry, sizeof geometry, &returned, nullptr) != 0;
    if (drive != INVALID_HANDLE_VALUE) {
        CloseHandle(drive);
    }
    if (!answered) {
        GTEST_SKIP() << "\\\\.\\PhysicalDrive0 does not answer here; no drive to probe";
    }
    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_FALSE(drives.empty());
    const DriveInfo& first = drives.front();
    EXPECT_EQ(first.driveNumber, 0);
    EXPECT_EQ(first.devicePath, u"\\\\.\\PhysicalDrive0");
    // The descriptor answered without texts: empty identity, not the start record's name.
    EXPECT_EQ(Utf16ToUtf8(first.model.view()) + "|" + Utf16ToUtf8(first.busName.view()), "|Bus01");
    EXPECT_EQ(first.sizeBytes, static_cast<uint64_t>(geometry.DiskSize.QuadPart));
    EXPECT_GT(first.sizeBytes, 0u);
    EXPECT_FALSE(first.smartAvailable);
    EXPECT_EQ(first.health, HEALTH_UNKNOWN);
    EXPECT_EQ(first.errorText,
              u"SMART read refused by the driver (error 50): behind a USB "
              u"bridge or RAID controller");
}

std::string ReadBack(const std::u16string& path) {
    const HANDLE file = CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string bytes = file == INVALID_HANDLE_VALUE ? "(cannot open)" : "";
    char chunk[4096];
    DWORD count = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, chunk, sizeof chunk, &count, nullptr) &&
           count > 0) {
        bytes.append(chunk, count);
    }
    CloseHandle(file);
    return bytes;
}

TEST(Win32Platform, ReportFileWritesReplacesAndFailsWithAReason) {
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    const std::u16string folder = reinterpret_cast<const char16_t*>(temp) +
                                  Utf8ToUtf16("corvanite-" + std::to_string(GetTickCount64()));
    ASSERT_TRUE(CreateDirectoryW(Wide(folder), nullptr));
    // A name with Latin, Greek, CJK letters and a character outside the BMP.
    const std::u16string path = folder + u"\\Bericht-\u00E4\u0394\u65E5\U0001F4BE.txt";
    std::string bytes = "Corvanite Report\r\n";
    bytes += std::string("\0\xC3\xA4\xFF", 4) + std::string(20000, 'x');
    std::u16string reason;
    ASSERT_TRUE(WriteReportFile(path, bytes, reason));
    EXPECT_EQ(ReadBack(path), bytes);
    ASSERT_TRUE(WriteReportFile(path, "shorter\r\n", reason));  // no tail of the old bytes
    EXPECT_EQ(ReadBack(path), "shorter\r\n");

    // A file another program holds without sharing keeps its bytes; a missing folder stays so.
    const HANDLE held =
        CreateFileW(Wide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(WriteReportFile(path, "new\r\n", reason));
    EXPECT_FALSE(reason.empty());
    CloseHandle(held);
    EXPECT_EQ(ReadBack(path), "shorter\r\n");
    reason.clear();
    uint32_t code = 0;
    EXPECT_FALSE(WriteReportFile(folder + u"\\missing\\r.txt", "x", reason, code));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(code, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(Wide(folder + u"\\missing")), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(Wide(path));
    EXPECT_TRUE(RemoveDirectoryW(Wide(folder)));  // nothing else was left in it
}

}  // namespace
}  // namespace corvanite
