// Why a drive has no health data, in words a technician can act on: which request failed and
// the system's error code, with what that code usually means for a drive.
#pragma once

#include <cstdint>
#include <string>

namespace corvanite {

// Whose error codes the device layer reports: Windows system error codes (GetLastError) or
// POSIX errno values.
using SystemErrorKind = int32_t;
constexpr SystemErrorKind ERRORS_WIN32 = 0;
constexpr SystemErrorKind ERRORS_POSIX = 1;

// The error a device request reports when it came back but the drive or bridge reported a
// failed command status.
constexpr int32_t DEVICE_ERROR_STATUS = -1;

// The requests a reason names.
using DeviceRequest = int32_t;
constexpr DeviceRequest REQUEST_OPEN = 0;
constexpr DeviceRequest REQUEST_SMART_READ = 1;
constexpr DeviceRequest REQUEST_NVME_LOG = 2;
constexpr DeviceRequest REQUEST_SELF_TEST = 3;

// One line: "SMART read refused by the driver (error 50): behind a USB bridge or RAID
// controller", "cannot open the drive (error 5): run as administrator", "NVMe health log
// rejected by the drive (failed command status)", ... error is a system code, 0 when the request
// succeeded without giving data, or DEVICE_ERROR_STATUS.
// A privileged process (administrator, root) is not told to get rights it has: a refusal is
// then given in the system's own words.
std::u16string DeviceFailureText(DeviceRequest request, int32_t error, SystemErrorKind kind,
                                 bool privileged = false);

// What a system error code means, in a few words ("access denied", "I/O error"); empty for a
// code without words.
std::u16string_view SystemErrorWords(int32_t error, SystemErrorKind kind);

// True when an open failed because there is no drive with that number (nothing to report).
bool IsAbsentDriveError(uint32_t error, SystemErrorKind kind);

// How long the system lets one device request run before it gives up on it.
constexpr int32_t DEVICE_REQUEST_TIMEOUT_SECONDS = 60;

// After a request that timed out or found the drive gone, the drive is asked nothing more in
// this scan.
using DriveStop = int32_t;
constexpr DriveStop STOP_NONE = 0;
constexpr DriveStop STOP_TIMED_OUT = 1;
constexpr DriveStop STOP_GONE = 2;
DriveStop DriveStopAfter(int32_t error, SystemErrorKind kind);

// "did not answer the SMART read within 60 s", "disconnected during the scan".
std::u16string DriveStopText(DriveStop stop, DeviceRequest request);

// The drives a scan could not open at all (absent numbers not counted), and the first one's
// error code.
struct ProbeSkipped {
    int32_t count = 0;
    uint32_t firstError = 0;
    bool privileged = false;  // the scanning process had administrator or root rights
};

// "2 disks could not be opened (access denied), run as administrator" (no advice for a
// privileged process); empty when none.
std::u16string SkippedDrivesText(const ProbeSkipped& skipped, SystemErrorKind kind);

}  // namespace corvanite
