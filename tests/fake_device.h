// A scripted stand-in for the platform's drive access: each drive number answers as told, and
// every call is logged so tests can check what was asked, in which order.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "drives/device_access.h"

namespace corvanite::test {

struct FakeDrive {
    bool present = false;
    std::u16string devicePath;  // empty: the Windows path
    bool secondOpenFails = false;
    bool openRefused = false;   // present, but no open succeeds
    uint32_t openError = 5;     // ERROR_ACCESS_DENIED
    int32_t requestError = 50;  // a failed SMART or NVMe request: ERROR_NOT_SUPPORTED
    bool identityAnswers = true;
    DriveIdentity identity;
    bool sizeAnswers = true;
    uint64_t sizeBytes = 0;
    bool smartDataAnswers = false;
    std::array<uint8_t, SMART_PAGE_SIZE> smartData = {};
    bool smartThresholdsAnswer = false;
    std::array<uint8_t, SMART_PAGE_SIZE> smartThresholds = {};
    bool nvmeAnswers = false;
    std::array<uint8_t, NVME_LOG_PAGE_SIZE> nvmeLog = {};
    bool nvmeDeviceQueryRefused = false;  // StorageQuery: the device-level query is refused
    // A bridge behind the SCSI pass-through: the ATA PASS-THROUGH forms it takes (it answers
    // IDENTIFY DEVICE with `identify`, SMART READ DATA and THRESHOLDS with the pages above), and
    // the system's error for a block it refuses.
    bool takes16 = false;
    bool takes12 = false;
    std::array<uint8_t, SMART_PAGE_SIZE> identify = {};
    int32_t refusalError = 1;  // ERROR_INVALID_FUNCTION
};

struct FakeMachine {
    std::array<FakeDrive, 16> drives;
    std::vector<std::string> calls;  // e.g. "open 0", "identity 0", "smart 0 D0"
    int openHandles = 0;
    int maxOpenHandles = 0;
    std::array<int, 16> opens = {};
    int32_t errorKind = 0;  // ERRORS_WIN32
};

// The machine the fake answers from; reset by each test.
FakeMachine& Machine();
// Holds or releases a scan in progress (OpenDrive waits while held).
void HoldScan(bool hold);
void ResetMachine();

// IOCTL_STORAGE_QUERY_PROPERTY for the NVMe health log as a Windows driver answers it (a
// win32::StorageQuerySender): the log after a 48-byte descriptor, or refused with error 1.
bool StorageQuery(DriveHandle handle, const uint8_t* query, size_t querySize, uint8_t* reply,
                  size_t replySize);

}  // namespace corvanite::test
