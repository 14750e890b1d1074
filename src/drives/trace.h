// A scan's drive requests as a trace (JSON Lines, described in docs/trace.md): recorded from the
// device access table while a scan runs, and replayed as a device access table that answers
// every request as the recorded machine did. The trace sits at the level both platforms share,
// so a Windows trace replays on Linux and the other way round; on Windows each DeviceIoControl
// is recorded too, for a person to read (a replay does not need it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "drives/device_access.h"

namespace corvanite {

// The trace format this program writes and reads.
constexpr int TRACE_FORMAT = 1;

// The requests' names in a trace ("request" of each line).
namespace trace_request {
constexpr std::string_view PRIVILEGED = "privileged";
constexpr std::string_view DRIVE_COUNT = "drive-count";
constexpr std::string_view PATH = "path";
constexpr std::string_view OPEN = "open";
constexpr std::string_view OPEN_LIMITED = "open-limited";
constexpr std::string_view IDENTITY = "identity";
constexpr std::string_view SIZE = "size";
constexpr std::string_view SMART_ENABLE = "smart-enable";
constexpr std::string_view SMART_PAGE = "smart-page";
constexpr std::string_view ATA_PASS_THROUGH = "ata-pass-through";
constexpr std::string_view NVME_LOG = "nvme-log";
constexpr std::string_view SMART_COMMAND = "smart-command";
constexpr std::string_view NVME_IDENTIFY = "nvme-identify";
constexpr std::string_view NVME_LOG_PAGE = "nvme-log-page";
constexpr std::string_view NVME_SELF_TEST = "nvme-self-test";
constexpr std::string_view DEVICE_CONTROL = "ioctl";
}  // namespace trace_request

// Where the trace's lines go: one call per line (ending in "\n"), from any thread, one at a
// time. False when the line could not be written; the trace then writes nothing more.
struct TraceSink {
    void* context = nullptr;
    bool (*writeLine)(void* context, std::string_view line) = nullptr;
};

// The trace's first line: what recorded it, where and when.
struct TraceHeader {
    std::string program;  // "corvanite-report"
    std::string version;
    std::string system;  // the system's name and version (SystemVersionText)
    std::string time;    // UTC, "2026-12-08T11:59:45Z" (UtcTimeText)
};

// Starts a trace: writes the header and returns a table that asks inner and writes one line per
// request. One trace at a time, until StopDeviceTrace; inner must outlive it.
const DeviceAccess& StartDeviceTrace(const DeviceAccess& inner, const TraceHeader& header,
                                     const TraceSink& sink);
void StopDeviceTrace();

// The Windows device layer's note of one DeviceIoControl (code, input bytes, output bytes as
// returned, its outcome): one line while a trace runs, nothing otherwise.
void TraceDeviceControl(uint32_t code, const void* input, size_t inputSize, const void* output,
                        size_t outputSize, bool ok, uint32_t error);

// "2026-12-08T11:59:45Z" for a time in seconds since 1970-01-01 00:00 UTC.
std::string UtcTimeText(int64_t secondsSince1970);

// Defined by the platform's device layer: the system's own words for one of its error codes
// (FormatMessage, strerror), and the system's name and version ("Windows 10.0.19045",
// "Linux 6.1.0-18-amd64 x86_64").
std::u16string SystemErrorMessage(int32_t error);
std::string SystemVersionText();

// A trace file's bytes, whole. False when it cannot be opened or read, with errno's value then.
bool ReadTraceFile(const std::filesystem::path& file, std::string& text, int& error);

// Reads a trace as the machine to replay (replacing one read before). False on a malformed trace,
// with "line N: what is wrong" in problem; the replay is then empty.
bool LoadDeviceReplay(std::string_view trace, std::string& problem);
// The replayed machine: every request answered as the trace recorded it, in the order it was
// recorded for that drive (the last answer again when asked more often); a request the trace
// does not hold answers as the recorded platform's "not supported".
const DeviceAccess& ReplayDeviceAccess();

}  // namespace corvanite
