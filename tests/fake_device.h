// A scripted stand-in for the platform's drive access: each drive number answers as told, and
// every call is logged ("open 0", "identity 0", "smart 0 D0", ...) in order, per drive.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "drives/device_access.h"
#include "drives/volumes.h"

namespace corvanite::test {

using Page = std::array<uint8_t, 512>;

struct FakeDrive {
    bool present = false;
    std::u16string devicePath;  // empty: the Windows path
    bool openRefused = false;   // every open fails with error 5 (access denied)
    bool limitedOpens = false;  // a refused drive still takes a handle with no access
    bool secondOpenFails = false;
    int32_t requestError = 50;  // of a refused SMART or NVMe request: ERROR_NOT_SUPPORTED
    bool identityAnswers = true;
    DriveIdentity identity;
    bool sizeAnswers = true;
    uint64_t sizeBytes = 0;
    bool smartDataAnswers = false;
    bool smartThresholdsAnswer = false;
    Page smartData = {};
    Page smartThresholds = {};
    bool nvmeAnswers = false;
    Page nvmeLog = {};
    // A USB bridge: the ATA PASS-THROUGH forms it takes (IDENTIFY DEVICE answered with
    // `identify`, SMART READ DATA and THRESHOLDS with the pages above); else error 1.
    bool takes16 = false;
    bool takes12 = false;
    Page identify = {};
    // Self-test: the self-test log SMART READ LOG answers; Identify Controller (its first 512
    // bytes, zeros after) and the Device Self-test log, answered when set. A start or abort
    // ("selftest N CODE") is taken unless refused; each SMART data page read after one answers
    // the next of `statusAfterStart` as its self-test status byte (the last one again).
    bool smartLogAnswers = false;
    Page smartLog = {};
    Page smartLogAfterStart = {};  // what READ LOG answers once a test was sent (when set)
    bool nvmeIdentifyAnswers = false;
    Page nvmeIdentify = {};
    bool nvmeSelfTestLogAnswers = false;
    std::array<uint8_t, 564> nvmeSelfTestLog = {};
    bool selfTestRefused = false;
    bool goneAfterStart = false;  // unplugged once a test was sent: no open finds it
    std::vector<uint8_t> statusAfterStart;
    int selfTestsSent = 0;
    size_t statusReads = 0;
    int opens = 0;
    int closes = 0;
    // Slow: the identity query waits (10 s at most) until drive waitsFor has been closed twice
    // (its existence test and its probe), so it answers only after that drive.
    int waitsFor = -1;
    // Held: the identity query waits (10 s at most) while HoldSlowDrives(true) is in force.
    bool slow = false;
};

struct FakeMachine {
    std::array<FakeDrive, 16> drives;
    std::string calls;                       // the scan's own calls, one line a call
    std::array<std::string, 16> driveCalls;  // each drive's, one line a call
    int openHandles = 0;
    int maxOpenHandles = 0;
    VolumeList volumes;       // what the machine's volume table lists
    bool privileged = false;  // the process runs with administrator rights
};

// The table corvanite_tests installs (fake_seams.cpp).
const DeviceAccess& FakeDeviceAccess();
const VolumeAccess& FakeVolumeAccess();
FakeMachine& Machine();
void ResetMachine();
// Holds or releases a scan in progress (OpenDrive waits while held).
void HoldScan(bool hold);
void HoldSlowDrives(bool hold);
// The scan's calls, then each drive's in drive order (drives are asked side by side).
std::string MachineCalls();

}  // namespace corvanite::test
