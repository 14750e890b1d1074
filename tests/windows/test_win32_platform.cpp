// The real Windows layers, run under Wine (or on Windows): the drive probe through
// DeviceIoControl and the report file through CreateFileW.
//
// What Wine gives for drives: \\.\PhysicalDrive0 opens; the storage descriptor query answers 40
// bytes with bus code 1 and no texts; the geometry query answers a size; the SMART and NVMe
// queries fail with ERROR_NOT_SUPPORTED (50).
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "drives/drive_info.h"
#include "drives/probe.h"
#include "report/report_file.h"

namespace corvanite {
namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) {
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return out;
}

// The disk size as the system reports it, read through the SDK structure. False when drive 0
// cannot be opened or does not answer.
bool SystemDiskSize(const std::u16string& path, uint64_t& size, DWORD& error) {
    const HANDLE drive =
        CreateFileW(Wide(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (drive == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return false;
    }
    DISK_GEOMETRY_EX geometry;
    std::memset(&geometry, 0, sizeof geometry);
    DWORD returned = 0;
    const bool answered = DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0,
                                          &geometry, sizeof geometry, &returned, nullptr) != 0;
    error = answered ? 0 : GetLastError();
    CloseHandle(drive);
    size = static_cast<uint64_t>(geometry.DiskSize.QuadPart);
    return answered;
}

TEST(Win32Platform, ProbeFindsWineDriveZero) {
    const std::u16string path0 = u"\\\\.\\PhysicalDrive0";
    uint64_t systemSize = 0;
    DWORD error = 0;
    if (!SystemDiskSize(path0, systemSize, error)) {
        GTEST_SKIP() << "\\\\.\\PhysicalDrive0 does not open or answer the geometry query here"
                     << " (error " << error << "); this Wine has no drive to probe";
    }

    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_FALSE(drives.empty());
    ASSERT_LE(drives.size(), static_cast<size_t>(MAX_DRIVES));
    for (size_t i = 0; i < drives.size(); ++i) {
        const DriveInfo& drive = drives[i];
        SCOPED_TRACE(testing::Message() << "record " << i << ", drive " << drive.driveNumber);
        EXPECT_GE(drive.driveNumber, 0);
        EXPECT_LT(drive.driveNumber, MAX_DRIVES);
        if (i > 0) {
            EXPECT_GT(drive.driveNumber, drives[i - 1].driveNumber);
        }
        EXPECT_EQ(Narrow(drive.devicePath.view()),
                  "\\\\.\\PhysicalDrive" + std::to_string(drive.driveNumber));
    }

    const DriveInfo& first = drives.front();
    EXPECT_EQ(first.driveNumber, 0);
    EXPECT_EQ(Narrow(first.devicePath.view()), "\\\\.\\PhysicalDrive0");
    // The descriptor answered without texts: the identity fields are empty, not the start
    // record's "PhysicalDrive0".
    EXPECT_EQ(Narrow(first.model.view()), "");
    EXPECT_EQ(Narrow(first.serial.view()), "");
    EXPECT_EQ(Narrow(first.firmware.view()), "");
    EXPECT_EQ(Narrow(first.busName.view()), "Bus01");
    EXPECT_EQ(first.mediaType, MEDIA_UNKNOWN);
    EXPECT_GT(first.sizeBytes, 0u);
    EXPECT_EQ(first.sizeBytes, systemSize);
    // Neither SMART nor the NVMe log answers under Wine.
    EXPECT_FALSE(first.smartAvailable);
    EXPECT_EQ(first.smartSource, SOURCE_NONE);
    EXPECT_TRUE(first.attributes.empty());
    EXPECT_EQ(first.temperatureC, -1);
    EXPECT_EQ(first.lifeRemaining, -1);
    EXPECT_EQ(first.health, HEALTH_UNKNOWN);
    EXPECT_EQ(Narrow(first.healthDetails.view()), "SMART data unavailable");
    // The first request of its class tells why: the ATA reader's, as the bus says nothing.
    EXPECT_EQ(Narrow(first.errorText.view()),
              "SMART read refused by the driver (error 50): behind a USB bridge or RAID "
              "controller");
}

// A folder of its own under the system's temporary folder, removed with its files afterwards.
class Win32ReportFile : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        ASSERT_GT(length, 0u);
        ASSERT_LE(length, static_cast<DWORD>(MAX_PATH));
        folder_.assign(temp, temp + length);
        const std::string unique = "corvanite-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(GetTickCount64());
        folder_.append(unique.begin(), unique.end());
        ASSERT_TRUE(CreateDirectoryW(Wide(folder_), nullptr)) << "error " << GetLastError();
    }

    void TearDown() override {
        for (const std::u16string& name : Names()) {
            DeleteFileW(Wide(In(name)));
        }
        RemoveDirectoryW(Wide(folder_));
    }

    std::u16string In(std::u16string_view name) const {
        return folder_ + u"\\" + std::u16string(name);
    }

    // The folder's entries, as the system lists them.
    std::vector<std::u16string> Names() const {
        std::vector<std::u16string> names;
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW(Wide(In(u"*")), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            const std::u16string name(reinterpret_cast<const char16_t*>(found.cFileName));
            if (name != u"." && name != u"..") {
                names.push_back(name);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    // The file's whole contents; sets ok to false when it cannot be read.
    static std::string ReadBack(const std::u16string& path, bool& ok) {
        ok = false;
        const HANDLE file = CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return {};
        }
        std::string bytes;
        char chunk[4096];
        DWORD count = 0;
        while (ReadFile(file, chunk, sizeof chunk, &count, nullptr) && count > 0) {
            bytes.append(chunk, count);
        }
        CloseHandle(file);
        ok = true;
        return bytes;
    }

    std::u16string folder_;
};

TEST_F(Win32ReportFile, WritesExactBytesAndReplacesAnExistingFile) {
    const std::u16string path = In(u"report.txt");
    // CR LF line ends, a NUL, bytes above 0x7F and UTF-8 text go out untouched.
    std::string bytes = "Corvanite Report\r\n================\r\n";
    bytes.push_back('\0');
    bytes += "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x92\xBE\xFF\x80\r\n";
    for (int i = 0; i < 20000; ++i) {
        bytes.push_back(static_cast<char>(i * 31 % 251));
    }
    std::u16string reason;
    ASSERT_TRUE(WriteReportFile(path, bytes, reason)) << Narrow(reason);
    EXPECT_TRUE(reason.empty());
    bool ok = false;
    EXPECT_EQ(ReadBack(path, ok), bytes);
    EXPECT_TRUE(ok);

    // A shorter report replaces the longer one whole, with no tail of the old bytes left.
    const std::string shorter = "Corvanite Report\r\n";
    ASSERT_TRUE(WriteReportFile(path, shorter, reason)) << Narrow(reason);
    EXPECT_EQ(ReadBack(path, ok), shorter);

    // An empty report makes an empty file.
    ASSERT_TRUE(WriteReportFile(path, "", reason)) << Narrow(reason);
    EXPECT_EQ(ReadBack(path, ok), "");
    EXPECT_TRUE(ok);
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"report.txt"});
}

TEST_F(Win32ReportFile, FailuresGiveAReasonAndLeaveNothingBehind) {
    // A folder that does not exist: no file and no folder appear.
    std::u16string reason;
    uint32_t code = 0;
    EXPECT_FALSE(WriteReportFile(In(u"missing\\report.txt"), "text\r\n", reason, code));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(code, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND)) << Narrow(reason);
    EXPECT_EQ(GetFileAttributesW(Wide(In(u"missing"))), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(Names().empty());

    // A file another program holds open without sharing: the write fails with a reason, and
    // that file keeps its bytes.
    const std::u16string path = In(u"held.txt");
    ASSERT_TRUE(WriteReportFile(path, "previous\r\n", reason)) << Narrow(reason);
    const HANDLE held = CreateFileW(Wide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    reason.clear();
    EXPECT_FALSE(WriteReportFile(path, "new\r\n", reason));
    EXPECT_FALSE(reason.empty());
    CloseHandle(held);
    bool ok = false;
    EXPECT_EQ(ReadBack(path, ok), "previous\r\n");
    EXPECT_TRUE(ok);
}

TEST_F(Win32ReportFile, NonAsciiFileName) {
    // Latin, Greek and CJK letters and a character outside the BMP (a surrogate pair).
    const std::u16string name =
        u"Bericht-\u00E4\u00F6\u00FC-\u0394\u03B9\u03C3\u03BA-\u65E5\u672C-"
        u"\U0001F4BE.txt";
    const std::u16string path = In(name);
    const std::string bytes = "Corvanite Report\r\n";
    std::u16string reason;
    ASSERT_TRUE(WriteReportFile(path, bytes, reason)) << Narrow(reason);
    bool ok = false;
    EXPECT_EQ(ReadBack(path, ok), bytes);
    EXPECT_TRUE(ok);
    // The folder lists exactly that name, unit for unit.
    const std::vector<std::u16string> names = Names();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names[0] == name) << "listed as " << Narrow(names[0]);
}

}  // namespace
}  // namespace corvanite
