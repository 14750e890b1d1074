// The drive's own self-test from the window: starting or aborting it on the selected drive, and
// looking at a running test every few seconds, each on a worker thread (a request to a drive may
// take as long as the drive takes), one request at a time; MSG_SELF_TEST brings each answer to
// the UI thread.
#pragma once

#include "drives/self_test.h"

namespace corvanite {

// How often a running test is looked at, in window ticks (5 s).
constexpr uint32_t SELF_TEST_POLL_TICKS = 100;

// UI thread: starts a short or extended test on the selected drive, or aborts its running one.
// Refused, with the reason on the status line, while a scan runs, while another self-test
// request is with a drive, for a drive without a self-test, and (a start) on a drive already
// running one. The extended test asks first: how long it may take, that the drive stays usable
// and that the test only reads.
void RequestSelfTest(SelfTestKind kind);

// UI thread, on each tick: every SELF_TEST_POLL_TICKS, a look at the drives whose test runs.
void PollSelfTests();

// UI thread, on MSG_SELF_TEST: the answer into the drive's record, and on the status line what
// happened (started, refused, a test that ended and its result).
void HandleSelfTestAnswer();

}  // namespace corvanite
