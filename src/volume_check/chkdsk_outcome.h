// The rule that turns the end of a volume-check run into its result: the three flags the view
// colours the result line by, and the one sentence the status line and the view show.
#pragma once

#include <cstdint>
#include <string>

namespace corvanite {

// The exit code a child still running after the wait reports (the system's STILL_ACTIVE).
constexpr uint32_t CHKDSK_STILL_ACTIVE = 259;

struct ChkdskResult {
    bool ready = false;        // the run ended without being cancelled
    bool exitNonZero = false;  // the exit code was not 0
    bool fixed = false;        // exit code 1 or 2 in fix mode: errors fixed, or a cleanup done
    std::u16string text;       // the whole result sentence
};

// exitCode is the child's exit code as read after the wait (CHKDSK_STILL_ACTIVE when it had not
// ended); readOnly is the run's mode; cancelled is the cancel request as seen at the end.
ChkdskResult ChkdskOutcome(uint32_t exitCode, bool readOnly, bool cancelled);

// The same for the Linux checker, fsck(8), whose exit code is a sum of bits: 1 errors corrected,
// 2 the system should be restarted, 4 errors left uncorrected, 8 an operational error, 16 a usage
// error, 32 cancelled by request, 128 a shared-library error. readOnly: run with -n (nothing is
// changed, so bit 1, which fsck.fat also gives for errors it found, means errors found);
// otherwise with -y.
ChkdskResult FsckOutcome(uint32_t exitCode, bool readOnly, bool cancelled);

}  // namespace corvanite
