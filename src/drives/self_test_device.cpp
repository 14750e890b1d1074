#include "drives/self_test_device.h"

#include <array>

#include "drives/device_error.h"
#include "drives/self_test.h"
#include "text/text_format.h"

namespace corvanite {
namespace {

// One SMART command: directly, or through the bridge's ATA PASS-THROUGH form.
bool AtaCommand(DriveHandle handle, const DriveInfo& drive, ata::AtaRegisters registers,
                uint8_t* data) {
    const size_t form = drive.selfTest.passThrough;
    if (form == 0) {
        return SendSmartCommand(handle, drive.driveNumber, registers, data);
    }
    registers.driveHead = ata::AtaDriveHead(ata::PASS_THROUGH_DRIVE);
    const ata::CommandBlock cdb = ata::AtaPassThroughCdb(registers, data != nullptr, form);
    return SendAtaPassThrough(handle, cdb.bytes.data(), cdb.length, data,
                              data != nullptr ? SMART_PAGE_SIZE : 0);
}

void ReadAtaLog(DriveHandle handle, DriveInfo& drive) {
    uint8_t page[SMART_PAGE_SIZE] = {};
    drive.selfTest.logRead =
        AtaCommand(handle, drive,
                   ata::ReadLogRegisters(drive.driveNumber, ata::SELF_TEST_LOG_ADDRESS), page) &&
        ata::ParseSelfTestLog(page, drive.selfTest.log);
}

void ReadNvme(DriveHandle handle, DriveInfo& drive) {
    std::array<uint8_t, nvme::IDENTIFY_CONTROLLER_SIZE> controller = {};
    if (!ReadNvmeIdentify(handle, controller.data())) {
        drive.selfTest = SelfTestUnsupported(
            u"the drive's Identify Controller data could not be read, which tells whether it has "
            u"a Device Self-test");
        return;
    }
    drive.selfTest = nvme::SelfTestFromIdentify(controller.data());
    std::array<uint8_t, nvme::SELF_TEST_LOG_SIZE> log = {};
    if (drive.selfTest.supported &&
        ReadNvmeLog(handle, nvme::LOG_DEVICE_SELF_TEST, log.data(), log.size())) {
        nvme::ParseSelfTestLog(log.data(), drive.selfTest);
    }
}

void AppendMinutes(std::u16string& text, int64_t seconds) {
    AppendUnsigned(text, static_cast<uint64_t>(seconds / 60));
    text.append(seconds % 60 < 10 ? u":0" : u":");
    AppendUnsigned(text, static_cast<uint64_t>(seconds % 60));
}

}  // namespace

void ReadSelfTest(DriveHandle handle, DriveInfo& drive) {
    if (drive.access != ACCESS_FULL) {
        drive.selfTest =
            SelfTestUnsupported(u"the drive could not be opened with the rights a self-test needs");
    } else if (drive.smartSource == SOURCE_NVME) {
        ReadNvme(handle, drive);
    } else if (drive.smartSource != SOURCE_ATA) {
        drive.selfTest = SelfTestUnsupported(u"the drive gave no SMART or NVMe health data");
    } else if (drive.selfTest.supported) {
        ReadAtaLog(handle, drive);
    }
}

bool RefreshSelfTest(DriveHandle handle, DriveInfo& drive) {
    if (drive.smartSource == SOURCE_NVME) {
        ReadNvme(handle, drive);
        return drive.selfTest.supported;
    }
    // SMART READ DATA as a SMART command of its own: the same bytes the scan's page read sends.
    uint8_t page[SMART_PAGE_SIZE] = {};
    const size_t form = drive.selfTest.passThrough;
    if (!AtaCommand(handle, drive, ata::SmartRegisters(drive.driveNumber, SMART_FEATURE_READ_DATA),
                    page)) {
        return false;
    }
    drive.selfTest = ata::SelfTestFromDataPage(page);
    drive.selfTest.passThrough = form;
    if (drive.selfTest.supported) {
        ReadAtaLog(handle, drive);
    }
    return true;
}

bool SendSelfTest(DriveHandle handle, const DriveInfo& drive, SelfTestKind kind) {
    if (drive.smartSource == SOURCE_NVME) {
        return SendNvmeSelfTest(handle, nvme::SelfTestCode(kind));
    }
    return AtaCommand(handle, drive,
                      ata::ExecuteOfflineRegisters(drive.driveNumber, ata::OfflineSubcommand(kind)),
                      nullptr);
}

std::u16string SelfTestProgressText(const SelfTestState& state, SelfTestKind kind,
                                    int64_t secondsSoFar) {
    const SelfTestKind shown = kind != SELF_TEST_NONE ? kind : state.runningKind;
    // ATA does not tell which test runs.
    std::u16string text(shown != SELF_TEST_NONE ? SelfTestKindWord(shown) : u"a");
    text.append(u" self-test: ");
    AppendUnsigned(text, static_cast<uint64_t>(state.percentDone));
    text.append(u" % done");
    if (secondsSoFar >= 0) {
        text.append(u", ");
        AppendMinutes(text, secondsSoFar);
        text.append(u" so far");
    }
    const int32_t minutes = kind == SELF_TEST_EXTENDED ? state.extendedMinutes
                            : kind == SELF_TEST_SHORT  ? state.shortMinutes
                                                       : 0;
    if (minutes > 0) {
        text.append(u", about ");
        AppendUnsigned(text, static_cast<uint64_t>(minutes));
        text.append(u" min");
    }
    return text;
}

std::u16string SelfTestResultText(const SelfTestState& state) {
    if (state.log.empty()) {
        return {};
    }
    const SelfTestLogEntry& last = state.log.front();
    std::u16string text(SelfTestKindWord(last.kind));
    text.append(u" self-test ").append(SelfTestOutcomeWord(last.outcome)).append(u" at ");
    AppendUnsigned(text, last.powerOnHours);
    text.append(u" hours");
    if (last.outcome != SELF_TEST_PASSED) {
        text.append(u": ").append(SelfTestStatusWords(last, state.nvme));
    }
    if (last.lbaValid) {
        text.append(u", first failing LBA ");
        AppendUnsigned(text, last.failingLba);
    }
    return text;
}

}  // namespace corvanite
