// Drive access on Windows, the system's DeviceAccess table: the physical drives through
// DeviceIoControl. Request bytes and reply layouts come from win32_layout.h; this file only calls
// the system and converts texts.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "drives/device_access.h"
#include "drives/device_error.h"
#include "drives/drive_info.h"
#include "drives/identity.h"
#include "drives/sat.h"
#include "drives/self_test.h"
#include "drives/trace.h"
#include "drives/win32_layout.h"

namespace corvanite {
namespace {

// The error of the last failed request on this thread (the scan runs on one worker thread).
thread_local int32_t lastDeviceError = 0;

// The STORAGE_PROTOCOL_DATA_DESCRIPTOR before a protocol query's data.
constexpr size_t NVME_PROTOCOL_DESCRIPTOR_SIZE = 48;

// A reply that came back but cannot be read as the request's answer.
constexpr int32_t ERROR_INVALID_DATA_CODE = ERROR_INVALID_DATA;

HANDLE AsHandle(DriveHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

bool Control(DriveHandle handle, uint32_t code, const void* in, size_t inSize, void* out,
             size_t outSize, DWORD& bytesReturned) {
    bytesReturned = 0;
    const bool ok =
        DeviceIoControl(AsHandle(handle), code, const_cast<void*>(in), static_cast<DWORD>(inSize),
                        out, static_cast<DWORD>(outSize), &bytesReturned, nullptr) != 0;
    const DWORD error = ok ? 0 : GetLastError();
    TraceDeviceControl(code, in, inSize, out, bytesReturned, ok, error);
    if (!ok) {
        lastDeviceError = static_cast<int32_t>(error);
    }
    return ok;
}

bool SendStorageQuery(DriveHandle handle, const uint8_t* query, size_t querySize, uint8_t* reply,
                      size_t replySize) {
    DWORD returned = 0;
    return Control(handle, win32::IOCTL_STORAGE_QUERY_PROPERTY_CODE, query, querySize, reply,
                   replySize, returned);
}

// An NVMe drive's own model, serial and firmware: the descriptor's serial is often the EUI-64 or
// NGUID ("0025_3885_9100_7D4F."), not the serial on the label. Left as they are when refused.
void ReadNvmeControllerIdentity(DriveHandle handle, win32::DescriptorTexts& texts,
                                uint8_t (&reply)[win32::NVME_IDENTIFY_REPLY_SIZE]) {
    const auto query = win32::NvmeIdentifyControllerQuery();
    if (SendStorageQuery(handle, query.data(), query.size(), reply, sizeof reply)) {
        win32::ApplyIdentifyControllerReply(reply, texts);
    }
}

// ANSI code page text to UTF-16.
std::u16string FromAnsi(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return std::u16string(wide.begin(), wide.end());
}

int32_t LastError() {
    return lastDeviceError;
}

void BeginScan() {}

std::u16string DevicePath(int driveNumber) {
    return PhysicalDrivePath(driveNumber);
}

bool OpenWithAccess(int driveNumber, DWORD access, DriveHandle& handle, uint32_t& errorCode) {
    const std::u16string path = PhysicalDrivePath(driveNumber);
    const HANDLE h =
        CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), access,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        errorCode = GetLastError();
        lastDeviceError = static_cast<int32_t>(errorCode);
        return false;
    }
    handle = reinterpret_cast<DriveHandle>(h);
    return true;
}

// SMART_RCV_DRIVE_DATA, SMART_SEND_DRIVE_COMMAND and IOCTL_SCSI_PASS_THROUGH are defined with
// FILE_READ_ACCESS | FILE_WRITE_ACCESS, so the handle needs both; the property and geometry
// queries need none.
bool Open(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    return OpenWithAccess(driveNumber, GENERIC_READ | GENERIC_WRITE, handle, errorCode);
}

// No access rights at all: IOCTL_STORAGE_QUERY_PROPERTY (the descriptor and the NVMe health log)
// and IOCTL_DISK_GET_DRIVE_GEOMETRY_EX are FILE_ANY_ACCESS, so they answer on such a handle.
bool OpenLimited(int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
    return OpenWithAccess(driveNumber, 0, handle, errorCode);
}

int NumberLimit() {
    return MAX_DRIVES;
}

// An elevated token: a member of the Administrators group with the rights in force (User
// Account Control's split token is not), or SYSTEM as WinPE runs.
bool Privileged() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) != 0 &&
        elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return elevated;
}

void Close(DriveHandle handle) {
    CloseHandle(AsHandle(handle));
}

bool QueryIdentity(DriveHandle handle, DriveIdentity& identity) {
    const auto query = win32::DescriptorQuery();
    uint8_t reply[win32::DESCRIPTOR_REPLY_SIZE] = {};
    DWORD returned = 0;
    if (!Control(handle, win32::IOCTL_STORAGE_QUERY_PROPERTY_CODE, query.data(), query.size(),
                 reply, sizeof reply, returned)) {
        return false;
    }
    win32::DescriptorTexts texts = win32::ParseDescriptorReply(reply, sizeof reply, returned);
    // The texts may point into either reply buffer; both live to the end of the conversion.
    uint8_t identifyReply[win32::NVME_IDENTIFY_REPLY_SIZE] = {};
    if (texts.busType == BUS_NVME) {
        ReadNvmeControllerIdentity(handle, texts, identifyReply);
    }
    identity.vendor = FromAnsi(texts.vendor);
    identity.product = FromAnsi(texts.product);
    identity.serial = FromAnsi(texts.serial);
    identity.revision = FromAnsi(texts.revision);
    identity.busType = texts.busType;
    return true;
}

bool QuerySize(DriveHandle handle, uint64_t& sizeBytes) {
    uint8_t reply[win32::GEOMETRY_REPLY_SIZE] = {};
    DWORD returned = 0;
    if (!Control(handle, win32::IOCTL_DISK_GET_DRIVE_GEOMETRY_EX_CODE, nullptr, 0, reply,
                 sizeof reply, returned)) {
        return false;
    }
    sizeBytes = win32::GeometryDiskSize(reply);
    return true;
}

void SmartEnable(DriveHandle handle, int driveNumber) {
    const auto command = win32::SmartCommand(driveNumber, SMART_FEATURE_ENABLE_OPERATIONS);
    uint8_t reply[win32::SMART_ENABLE_REPLY_SIZE] = {};
    DWORD returned = 0;
    Control(handle, win32::SMART_SEND_DRIVE_COMMAND_CODE, command.data(), command.size(), reply,
            sizeof reply, returned);
}

bool SmartPage(DriveHandle handle, int driveNumber, uint8_t feature,
               uint8_t (&page)[SMART_PAGE_SIZE]) {
    const auto command = win32::SmartCommand(driveNumber, feature);
    uint8_t reply[win32::SMART_PAGE_REPLY_SIZE] = {};
    DWORD returned = 0;
    if (!Control(handle, win32::SMART_RCV_DRIVE_DATA_CODE, command.data(), command.size(), reply,
                 sizeof reply, returned)) {
        return false;
    }
    if (!win32::SmartReplyPage(reply, page)) {
        lastDeviceError = DEVICE_ERROR_STATUS;  // the driver reported the command failed
        return false;
    }
    return true;
}

bool PassThrough(DriveHandle handle, const uint8_t* cdb, size_t cdbLength, uint8_t* data,
                 size_t dataSize) {
    if (cdbLength > 16 || (data != nullptr && dataSize > win32::SPT_DATA_SIZE)) {
        lastDeviceError = ERROR_INVALID_PARAMETER;
        return false;
    }
    const size_t reads = data != nullptr ? dataSize : 0;
    win32::ScsiPassThroughBuffer buffer = win32::ScsiPassThroughRequest(cdb, cdbLength, reads);
    DWORD returned = 0;
    const bool sent = Control(handle, win32::IOCTL_SCSI_PASS_THROUGH_CODE, buffer.data(),
                              buffer.size(), buffer.data(), buffer.size(), returned);
    if (!sent) {
        return false;  // Control has recorded the system's error
    }
    if (!ata::PassThroughSucceeded(win32::ScsiPassThroughOutcome(buffer, sent, reads))) {
        lastDeviceError = DEVICE_ERROR_STATUS;
        return false;
    }
    if (reads != 0) {
        std::memcpy(data, buffer.data() + win32::SPT_DATA_AT, reads);
    }
    return true;
}

bool NvmeLogPage(DriveHandle handle, uint8_t (&page)[NVME_LOG_PAGE_SIZE]) {
    const int32_t before = lastDeviceError;
    for (const auto& query : win32::NvmeHealthQueries()) {
        uint8_t reply[win32::NVME_REPLY_SIZE] = {};
        if (SendStorageQuery(handle, query.data(), query.size(), reply, sizeof reply)) {
            if (win32::LocateNvmeLogPage(reply, page)) {
                lastDeviceError = before;  // a refused first query is no failure of the read
                return true;
            }
            lastDeviceError = ERROR_INVALID_DATA_CODE;  // answered, but the log lay outside it
            return false;
        }
    }
    return false;  // both refused: SendStorageQuery has recorded the system's error
}

// SMART with any registers: SMART_RCV_DRIVE_DATA when a sector comes back, else
// SMART_SEND_DRIVE_COMMAND.
bool SmartCommand(DriveHandle handle, int driveNumber, const ata::AtaRegisters& registers,
                  uint8_t* data) {
    const auto command = win32::SmartCommandFor(driveNumber, registers);
    uint8_t reply[win32::SMART_PAGE_REPLY_SIZE] = {};
    DWORD returned = 0;
    const bool reads = data != nullptr;
    if (!Control(handle,
                 reads ? win32::SMART_RCV_DRIVE_DATA_CODE : win32::SMART_SEND_DRIVE_COMMAND_CODE,
                 command.data(), command.size(), reply,
                 reads ? sizeof reply : win32::SMART_ENABLE_REPLY_SIZE, returned)) {
        return false;
    }
    if (reply[win32::SMART_REPLY_DRIVER_ERROR_AT] != 0) {
        lastDeviceError = DEVICE_ERROR_STATUS;
        return false;
    }
    if (reads) {
        std::memcpy(data, reply + win32::SMART_REPLY_PAGE_AT, SMART_PAGE_SIZE);
    }
    return true;
}

// Protocol data through IOCTL_STORAGE_QUERY_PROPERTY: the query's reply, size bytes of its data.
bool ProtocolData(DriveHandle handle, const uint8_t* query, size_t querySize, uint8_t* data,
                  size_t size) {
    std::vector<uint8_t> reply(NVME_PROTOCOL_DESCRIPTOR_SIZE + size);
    if (!SendStorageQuery(handle, query, querySize, reply.data(), reply.size())) {
        return false;
    }
    if (!win32::LocateProtocolData(reply.data(), reply.size(), data, size)) {
        lastDeviceError = ERROR_INVALID_DATA_CODE;
        return false;
    }
    return true;
}

bool NvmeIdentify(DriveHandle handle, uint8_t* data) {
    const auto query = win32::NvmeIdentifyControllerQuery();
    return ProtocolData(handle, query.data(), query.size(), data, nvme::IDENTIFY_CONTROLLER_SIZE);
}

bool NvmeLog(DriveHandle handle, uint8_t logId, uint8_t* data, size_t size) {
    std::memset(data, 0, size);
    const auto query = win32::NvmeLogQuery(logId, static_cast<uint32_t>(size));
    return ProtocolData(handle, query.data(), query.size(), data, size);
}

// Device Self-test through IOCTL_STORAGE_PROTOCOL_COMMAND; the driver's ReturnStatus tells
// whether the drive took it.
bool NvmeSelfTest(DriveHandle handle, uint8_t code) {
    auto command = win32::NvmeSelfTestCommand(code);
    DWORD returned = 0;
    if (!Control(handle, win32::IOCTL_STORAGE_PROTOCOL_COMMAND_CODE, command.data(), command.size(),
                 command.data(), command.size(), returned)) {
        return false;
    }
    uint32_t status = 0;
    std::memcpy(&status, command.data() + win32::PROTOCOL_COMMAND_RETURN_STATUS_AT, sizeof status);
    if (status != win32::STORAGE_PROTOCOL_STATUS_SUCCESS) {
        lastDeviceError = DEVICE_ERROR_STATUS;
        return false;
    }
    return true;
}

constexpr DeviceAccess WIN32_DEVICES{
    .errorKind = ERRORS_WIN32,
    .beginDriveScan = BeginScan,
    .driveDevicePath = DevicePath,
    .openDrive = Open,
    .closeDrive = Close,
    .openDriveLimited = OpenLimited,
    .driveNumberLimit = NumberLimit,
    .processPrivileged = Privileged,
    .queryDriveIdentity = QueryIdentity,
    .queryDriveSize = QuerySize,
    .sendSmartEnable = SmartEnable,
    .readSmartPage = SmartPage,
    .sendAtaPassThrough = PassThrough,
    .readNvmeLogPage = NvmeLogPage,
    .sendSmartCommand = SmartCommand,
    .readNvmeIdentify = NvmeIdentify,
    .readNvmeLog = NvmeLog,
    .sendNvmeSelfTest = NvmeSelfTest,
    .lastDeviceError = LastError,
};

}  // namespace

const DeviceAccess& SystemDeviceAccess() {
    return WIN32_DEVICES;
}

std::u16string SystemErrorMessage(int32_t error) {
    if (error == DEVICE_ERROR_STATUS) {
        return u"the drive reported a failed command status";
    }
    wchar_t text[512] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(error), 0, text, sizeof text / sizeof text[0], nullptr);
    std::u16string words(text, text + length);
    while (!words.empty() &&
           (words.back() == u'\r' || words.back() == u'\n' || words.back() == u' ')) {
        words.pop_back();
    }
    return words;
}

// The version the system itself reports (RtlGetVersion): GetVersionEx answers what the
// program's manifest declares it was written for.
std::string SystemVersionText() {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (rtlGetVersion == nullptr || rtlGetVersion(&info) != 0) {
        return "Windows";
    }
    return "Windows " + std::to_string(info.dwMajorVersion) + "." +
           std::to_string(info.dwMinorVersion) + "." + std::to_string(info.dwBuildNumber);
}

}  // namespace corvanite
