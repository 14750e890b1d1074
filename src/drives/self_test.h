// The drive's own self-test, short or extended, on ATA drives (SMART EXECUTE OFF-LINE IMMEDIATE,
// the self-test log through SMART READ LOG) and NVMe drives (Device Self-test, its log page 06h):
// whether the drive has one, how far a running test is, what the log says, and the requests'
// registers. Pure bytes and words here; the probe and the self-test runner ask the device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "drives/sat.h"

namespace corvanite {

// Which test: the short one (minutes), the extended one (a read of the whole surface), or an
// abort of the running one.
using SelfTestKind = int32_t;
constexpr SelfTestKind SELF_TEST_NONE = 0;
constexpr SelfTestKind SELF_TEST_SHORT = 1;
constexpr SelfTestKind SELF_TEST_EXTENDED = 2;
constexpr SelfTestKind SELF_TEST_ABORT = 3;
constexpr SelfTestKind SELF_TEST_OTHER = 4;  // a log entry of another test (conveyance, offline)

// How a logged test ended.
using SelfTestOutcome = int32_t;
constexpr SelfTestOutcome SELF_TEST_PASSED = 0;
constexpr SelfTestOutcome SELF_TEST_FAILED = 1;
constexpr SelfTestOutcome SELF_TEST_ABORTED = 2;  // aborted or interrupted
constexpr SelfTestOutcome SELF_TEST_RUNNING = 3;

struct SelfTestLogEntry {
    SelfTestKind kind = SELF_TEST_OTHER;
    uint8_t code = 0;    // the test as logged: ATA's LBA low register, NVMe's self-test code
    uint8_t status = 0;  // ATA: the execution status nibble; NVMe: the result nibble
    SelfTestOutcome outcome = SELF_TEST_PASSED;
    uint64_t powerOnHours = 0;
    int32_t segment = 0;  // NVMe: the segment that failed (0: none given)
    bool lbaValid = false;
    uint64_t failingLba = 0;
};

// What a drive tells of its self-test, read by the scan and refreshed while a test runs.
struct SelfTestState {
    bool supported = false;
    std::u16string unsupported;  // why not, for the views ("the drive has no self-test")
    bool nvme = false;
    bool running = false;
    SelfTestKind runningKind = SELF_TEST_NONE;  // NVMe tells it; ATA does not (NONE)
    int32_t percentDone = 0;                    // of the running test
    int32_t shortMinutes = 0;                   // expected durations (0: not told)
    int32_t extendedMinutes = 0;
    bool logRead = false;
    std::vector<SelfTestLogEntry> log;  // newest first
    // ATA behind a bridge: the ATA PASS-THROUGH form it takes (ata::CDB16 or CDB12); 0: the
    // drive takes SMART commands directly.
    size_t passThrough = 0;
};

// "short", "extended", "abort", "other".
std::u16string_view SelfTestKindWord(SelfTestKind kind);
// "passed", "FAILED", "aborted", "running".
std::u16string_view SelfTestOutcomeWord(SelfTestOutcome outcome);
// What an entry's status means, in words ("completed without error", "failed: read element").
std::u16string SelfTestStatusWords(const SelfTestLogEntry& entry, bool nvme);

// The state when the drive has no self-test the tool can start, and why.
SelfTestState SelfTestUnsupported(std::u16string_view why);

namespace ata {

constexpr uint8_t SMART_FEATURE_EXECUTE_OFFLINE = 0xD4;
constexpr uint8_t SMART_FEATURE_READ_LOG = 0xD5;
constexpr uint8_t SELF_TEST_LOG_ADDRESS = 0x06;
constexpr uint8_t OFFLINE_SHORT = 0x01;
constexpr uint8_t OFFLINE_EXTENDED = 0x02;
constexpr uint8_t OFFLINE_ABORT = 0x7F;

// SMART EXECUTE OFF-LINE IMMEDIATE (non-data) with the subcommand in LBA low, and SMART READ LOG
// of one sector at a log address.
AtaRegisters ExecuteOfflineRegisters(int driveNumber, uint8_t subcommand);
AtaRegisters ReadLogRegisters(int driveNumber, uint8_t logAddress);
// The subcommand of a kind (short, extended, abort).
uint8_t OfflineSubcommand(SelfTestKind kind);

// From the SMART READ DATA page: supported (EXECUTE OFF-LINE IMMEDIATE and self-tests both
// implemented, byte 367), running and how far (self-test execution status, byte 363), and the
// polling times (bytes 372-373, the word at 375 when 373 is FFh).
SelfTestState SelfTestFromDataPage(const uint8_t* dataPage);

// The self-test log (log address 06h, 512 bytes): its entries newest first, from the ring's
// index (byte 508, 1 to 21; 0: none). False when the index lies outside the ring.
bool ParseSelfTestLog(const uint8_t* page, std::vector<SelfTestLogEntry>& log);

}  // namespace ata

namespace nvme {

constexpr uint8_t ADMIN_DEVICE_SELF_TEST = 0x14;
constexpr uint8_t LOG_DEVICE_SELF_TEST = 0x06;
constexpr size_t SELF_TEST_LOG_SIZE = 564;
constexpr size_t IDENTIFY_CONTROLLER_SIZE = 4096;
constexpr uint8_t SELF_TEST_CODE_SHORT = 0x1;
constexpr uint8_t SELF_TEST_CODE_EXTENDED = 0x2;
constexpr uint8_t SELF_TEST_CODE_ABORT = 0xF;

// The Device Self-test command's code for a kind (its CDW10, all namespaces).
uint8_t SelfTestCode(SelfTestKind kind);

// From Identify Controller: supported (OACS bit 4) and the extended test's time (EDSTT, minutes;
// the short one takes at most two minutes).
SelfTestState SelfTestFromIdentify(const uint8_t* controller);

// The Device Self-test log page: the running test and how far it is, and the results newest
// first (unused entries, result Fh, left out). Sets running, runningKind, percentDone and log.
void ParseSelfTestLog(const uint8_t* page, SelfTestState& state);

}  // namespace nvme

}  // namespace corvanite
