#include "drives/self_test.h"

#include <algorithm>

#include "drives/byte_order.h"
#include "text/text_format.h"

namespace corvanite {
namespace {

// ATA self-test execution status (the high nibble of byte 363 and of each log entry's status).
constexpr uint8_t ATA_STATUS_ABORTED_BY_HOST = 1;
constexpr uint8_t ATA_STATUS_INTERRUPTED = 2;
constexpr uint8_t ATA_STATUS_IN_PROGRESS = 0xF;

constexpr std::u16string_view ATA_STATUS_WORDS[] = {
    u"completed without error",
    u"aborted by the host",
    u"interrupted by a reset",
    u"fatal error: not completed",
    u"failed: element unknown",
    u"failed: electrical element",
    u"failed: servo / seek element",
    u"failed: read element",
    u"failed: handling damage suspected",
};

// NVMe Device Self-test result codes (bits 3:0 of a result entry's first byte).
constexpr uint8_t NVME_RESULT_FATAL = 5;
constexpr uint8_t NVME_RESULT_FAILED_SEGMENT = 7;
constexpr uint8_t NVME_RESULT_UNUSED = 0xF;

constexpr std::u16string_view NVME_RESULT_WORDS[] = {
    u"completed without error",         u"aborted by a Device Self-test command",
    u"aborted by a controller reset",   u"aborted: its namespace was removed",
    u"aborted by a Format NVM command", u"fatal error or unknown test error: not completed",
    u"failed: segment unknown",         u"failed in segment ",
    u"aborted: reason unknown",         u"aborted by a sanitize operation",
};

// The ATA log's ring: 21 entries of 24 bytes from byte 2; the index of the newest at byte 508.
constexpr size_t ATA_LOG_ENTRIES = 21;
constexpr size_t ATA_LOG_ENTRY_SIZE = 24;
constexpr size_t ATA_LOG_ENTRY_DEFINED = 9;  // its bytes the standard defines
constexpr size_t ATA_LOG_FIRST = 2;
constexpr size_t ATA_LOG_INDEX_AT = 508;
constexpr uint64_t ATA_LBA28_NONE = 0x0FFFFFFF;  // a 28-bit LBA field with no address in it

// The NVMe log: 20 results of 28 bytes from byte 4.
constexpr size_t NVME_LOG_RESULTS = 20;
constexpr size_t NVME_RESULT_SIZE = 28;
constexpr size_t NVME_RESULTS_AT = 4;
constexpr uint8_t NVME_VALID_FAILING_LBA = 0x02;

SelfTestKind AtaKind(uint8_t code) {
    switch (code) {
        case 0x01:
        case 0x81:  // captive
            return SELF_TEST_SHORT;
        case 0x02:
        case 0x82:
            return SELF_TEST_EXTENDED;
        default:
            return SELF_TEST_OTHER;
    }
}

SelfTestOutcome AtaOutcome(uint8_t status) {
    if (status == ATA_STATUS_IN_PROGRESS) {
        return SELF_TEST_RUNNING;
    }
    if (status == ATA_STATUS_ABORTED_BY_HOST || status == ATA_STATUS_INTERRUPTED) {
        return SELF_TEST_ABORTED;
    }
    // Codes 9 to 14 are reserved: a drive that reports one did not say it passed.
    return status == 0 ? SELF_TEST_PASSED : SELF_TEST_FAILED;
}

SelfTestOutcome NvmeOutcome(uint8_t result) {
    if (result == 0) {
        return SELF_TEST_PASSED;
    }
    return result >= NVME_RESULT_FATAL && result <= NVME_RESULT_FAILED_SEGMENT ? SELF_TEST_FAILED
                                                                               : SELF_TEST_ABORTED;
}

}  // namespace

std::u16string_view SelfTestKindWord(SelfTestKind kind) {
    switch (kind) {
        case SELF_TEST_SHORT:
            return u"short";
        case SELF_TEST_EXTENDED:
            return u"extended";
        case SELF_TEST_ABORT:
            return u"abort";
        case SELF_TEST_NONE:
            return u"none";
        default:
            return u"other";
    }
}

std::u16string_view SelfTestOutcomeWord(SelfTestOutcome outcome) {
    switch (outcome) {
        case SELF_TEST_PASSED:
            return u"passed";
        case SELF_TEST_FAILED:
            return u"FAILED";
        case SELF_TEST_ABORTED:
            return u"aborted";
        default:
            return u"running";
    }
}

std::u16string SelfTestStatusWords(const SelfTestLogEntry& entry, bool nvme) {
    std::u16string words;
    if (nvme && entry.status < std::size(NVME_RESULT_WORDS)) {
        words = NVME_RESULT_WORDS[entry.status];
        if (entry.status == NVME_RESULT_FAILED_SEGMENT) {
            AppendUnsigned(words, static_cast<uint64_t>(entry.segment));
        }
    } else if (!nvme && entry.status < std::size(ATA_STATUS_WORDS)) {
        words = ATA_STATUS_WORDS[entry.status];
    } else if (!nvme && entry.status == ATA_STATUS_IN_PROGRESS) {
        words = u"in progress";
    } else {
        words = u"status ";
        AppendUnsigned(words, entry.status);
    }
    return words;
}

SelfTestState SelfTestUnsupported(std::u16string_view why) {
    SelfTestState state;
    state.unsupported = why;
    return state;
}

namespace ata {

AtaRegisters ExecuteOfflineRegisters(int driveNumber, uint8_t subcommand) {
    AtaRegisters r = SmartRegisters(driveNumber, SMART_FEATURE_ENABLE_OPERATIONS);
    r.feature = SMART_FEATURE_EXECUTE_OFFLINE;
    r.sectorNumber = subcommand;
    return r;
}

AtaRegisters ReadLogRegisters(int driveNumber, uint8_t logAddress) {
    AtaRegisters r = SmartRegisters(driveNumber, SMART_FEATURE_READ_DATA);
    r.feature = SMART_FEATURE_READ_LOG;
    r.sectorNumber = logAddress;
    return r;
}

uint8_t OfflineSubcommand(SelfTestKind kind) {
    return kind == SELF_TEST_EXTENDED ? OFFLINE_EXTENDED
           : kind == SELF_TEST_ABORT  ? OFFLINE_ABORT
                                      : OFFLINE_SHORT;
}

SelfTestState SelfTestFromDataPage(const uint8_t* page) {
    constexpr uint8_t EXECUTE_OFFLINE_IMPLEMENTED = 0x01;
    constexpr uint8_t SELF_TEST_IMPLEMENTED = 0x10;
    const uint8_t capability = page[367];
    if ((capability & EXECUTE_OFFLINE_IMPLEMENTED) == 0 ||
        (capability & SELF_TEST_IMPLEMENTED) == 0) {
        return SelfTestUnsupported(u"the drive has no self-test (its SMART data says so)");
    }
    SelfTestState state;
    state.supported = true;
    const uint8_t status = page[363];
    state.running = status >> 4 == ATA_STATUS_IN_PROGRESS;
    // The low nibble: tenths of the test still to run.
    const int remaining = status & 0x0F;
    state.percentDone = state.running ? 100 - 10 * (remaining > 10 ? 10 : remaining) : 0;
    state.shortMinutes = page[372];
    state.extendedMinutes =
        page[373] != 0xFF ? page[373] : static_cast<int32_t>(ReadLittleEndian(page + 375, 2));
    return state;
}

bool ParseSelfTestLog(const uint8_t* page, std::vector<SelfTestLogEntry>& log) {
    log.clear();
    const size_t newest = page[ATA_LOG_INDEX_AT];
    if (newest > ATA_LOG_ENTRIES) {
        return false;
    }
    for (size_t n = 0; n < ATA_LOG_ENTRIES && newest != 0; ++n) {
        const size_t slot = (newest - 1 + ATA_LOG_ENTRIES - n) % ATA_LOG_ENTRIES;
        const uint8_t* e = page + ATA_LOG_FIRST + slot * ATA_LOG_ENTRY_SIZE;
        // A slot the ring has not reached yet: nothing in the test's number, status, hours,
        // checkpoint and failing LBA (the bytes after them are the vendor's).
        if (std::all_of(e, e + ATA_LOG_ENTRY_DEFINED, [](uint8_t b) { return b == 0; })) {
            continue;
        }
        SelfTestLogEntry entry;
        entry.code = e[0];
        entry.kind = AtaKind(e[0]);
        entry.status = static_cast<uint8_t>(e[1] >> 4);
        entry.outcome = AtaOutcome(entry.status);
        entry.powerOnHours = ReadLittleEndian(e + 2, 2);
        entry.failingLba = ReadLittleEndian(e + 5, 4) & ATA_LBA28_NONE;
        entry.lbaValid = entry.outcome == SELF_TEST_FAILED && entry.failingLba != ATA_LBA28_NONE;
        log.push_back(entry);
    }
    return true;
}

}  // namespace ata

namespace nvme {

uint8_t SelfTestCode(SelfTestKind kind) {
    return kind == SELF_TEST_EXTENDED ? SELF_TEST_CODE_EXTENDED
           : kind == SELF_TEST_ABORT  ? SELF_TEST_CODE_ABORT
                                      : SELF_TEST_CODE_SHORT;
}

SelfTestState SelfTestFromIdentify(const uint8_t* controller) {
    constexpr uint16_t OACS_DEVICE_SELF_TEST = 0x0010;
    if ((ReadLittleEndian(controller + 256, 2) & OACS_DEVICE_SELF_TEST) == 0) {
        return SelfTestUnsupported(
            u"the drive has no Device Self-test (its Identify Controller data says so)");
    }
    SelfTestState state;
    state.supported = true;
    state.nvme = true;
    state.shortMinutes = 2;  // the short test's limit
    state.extendedMinutes = static_cast<int32_t>(ReadLittleEndian(controller + 316, 2));
    return state;
}

void ParseSelfTestLog(const uint8_t* page, SelfTestState& state) {
    const uint8_t operation = page[0] & 0x0F;
    state.running = operation != 0;
    state.runningKind = operation == SELF_TEST_CODE_SHORT      ? SELF_TEST_SHORT
                        : operation == SELF_TEST_CODE_EXTENDED ? SELF_TEST_EXTENDED
                        : state.running                        ? SELF_TEST_OTHER
                                                               : SELF_TEST_NONE;
    state.percentDone = state.running ? page[1] & 0x7F : 0;
    state.log.clear();
    for (size_t n = 0; n < NVME_LOG_RESULTS; ++n) {
        const uint8_t* r = page + NVME_RESULTS_AT + n * NVME_RESULT_SIZE;
        SelfTestLogEntry entry;
        entry.status = r[0] & 0x0F;
        entry.code = static_cast<uint8_t>(r[0] >> 4);
        // Unused entries say so (result Fh); code 0 is reserved, as in an entry left zero.
        if (entry.status == NVME_RESULT_UNUSED || entry.code == 0) {
            continue;
        }
        entry.kind = entry.code == SELF_TEST_CODE_SHORT      ? SELF_TEST_SHORT
                     : entry.code == SELF_TEST_CODE_EXTENDED ? SELF_TEST_EXTENDED
                                                             : SELF_TEST_OTHER;
        entry.outcome = NvmeOutcome(entry.status);
        entry.segment = r[1];
        entry.powerOnHours = ReadLittleEndian(r + 4, 8);
        entry.lbaValid = (r[2] & NVME_VALID_FAILING_LBA) != 0;
        entry.failingLba = ReadLittleEndian(r + 16, 8);  // read where lbaValid says so
        state.log.push_back(entry);
    }
    state.logRead = true;
}

}  // namespace nvme

}  // namespace corvanite
