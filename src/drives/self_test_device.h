// The drive's self-test over the device layer: reading what the drive tells of it (the scan does
// this after the health data, the runner while a test runs), starting and aborting one, and
// waiting for one to end.
#pragma once

#include <cstdint>
#include <string>

#include "drives/device_access.h"
#include "drives/drive_info.h"

namespace corvanite {

// After the drive's health data was read (drive.smartSource, and for ATA drive.selfTest from the
// data page): the self-test log, and for NVMe whether Device Self-test is supported and how far
// a running one is. A drive without health data, or without the rights, gets the reason why it
// cannot be tested.
void ReadSelfTest(DriveHandle handle, DriveInfo& drive);

// The same for a drive read before: ATA drives read their SMART data page again for the running
// test's progress. False when the drive did not answer (the reason in LastDeviceError).
bool RefreshSelfTest(DriveHandle handle, DriveInfo& drive);

// Starts a short or extended test, or aborts the running one (SELF_TEST_ABORT). The drive must
// have been read by the scan (its record tells ATA or NVMe, and the bridge's form). False when
// the drive or the system refused it (LastDeviceError tells why).
bool SendSelfTest(DriveHandle handle, const DriveInfo& drive, SelfTestKind kind);

// "short self-test: 40 % done, 0:48 so far, about 2 min" from the state and the seconds since it
// started (negative: unknown, as for a test another program started).
std::u16string SelfTestProgressText(const SelfTestState& state, SelfTestKind kind,
                                    int64_t secondsSoFar);

// "short self-test passed at 1234 hours", "extended self-test FAILED at 1234 hours: failed: read
// element, first failing LBA 123456"; empty for an empty log.
std::u16string SelfTestResultText(const SelfTestState& state);

}  // namespace corvanite
