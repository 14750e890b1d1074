#include <windows.h>

#include <string>

#include "report/report_file.h"

namespace corvanite {
namespace {

std::u16string SystemReason(DWORD code) {
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::u16string reason;
    if (length != 0 && message != nullptr) {
        reason.assign(message, message + length);
        while (!reason.empty() && (reason.back() == u'\r' || reason.back() == u'\n' ||
                                   reason.back() == u' ' || reason.back() == u'.')) {
            reason.pop_back();
        }
    }
    if (message != nullptr) {
        LocalFree(message);
    }
    if (reason.empty()) {
        const std::string number = std::to_string(code);
        reason = u"error " + std::u16string(number.begin(), number.end());
    }
    return reason;
}

bool Write(std::u16string_view path, std::string_view bytes, std::u16string& reason,
           uint32_t& errorCode) {
    // Past MAX_PATH the path is handed over in its extended form, made from the full path.
    std::wstring widePath(path.begin(), path.end());
    const DWORD fullLength = GetFullPathNameW(widePath.c_str(), 0, nullptr, nullptr);
    if (fullLength >= MAX_PATH) {
        std::wstring full(fullLength, L'\0');
        const DWORD written = GetFullPathNameW(widePath.c_str(), fullLength, full.data(), nullptr);
        if (written > 0 && written < fullLength) {
            full.resize(written);
            const std::u16string extended =
                ExtendedLengthPath(std::u16string(full.begin(), full.end()));
            widePath.assign(extended.begin(), extended.end());
        }
    }
    const HANDLE file = CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        errorCode = GetLastError();
        reason = SystemReason(errorCode);
        // CREATE_ALWAYS refuses to replace a hidden or system file with a normal one.
        const DWORD existing = GetFileAttributesW(widePath.c_str());
        if (errorCode == ERROR_ACCESS_DENIED && existing != INVALID_FILE_ATTRIBUTES &&
            (existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
            reason += u": the file there is hidden or a system file, which is not replaced";
        }
        return false;
    }
    bool written = true;
    DWORD error = 0;
    size_t done = 0;
    while (written && done < bytes.size()) {
        const size_t left = bytes.size() - done;
        const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD count = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &count, nullptr) || count == 0) {
            error = GetLastError();
            written = false;
        }
        done += count;
    }
    if (!CloseHandle(file) && written) {
        error = GetLastError();
        written = false;
    }
    if (!written) {
        errorCode = error;
        reason = SystemReason(error);
        DeleteFileW(widePath.c_str());
    }
    return written;
}

constexpr ReportFileAccess WIN32_REPORT_FILE{.writeReportFile = Write};

}  // namespace

const ReportFileAccess& SystemReportFileAccess() {
    return WIN32_REPORT_FILE;
}

}  // namespace corvanite
