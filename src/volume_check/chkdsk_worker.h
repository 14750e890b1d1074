// The volume-check worker: runs the volume checker on its own thread, hands its output to the
// window line by line and ends with the run's result (chkdsk_outcome.h).
//
// Shared state (app_state.h): chkdskRunning guards the one run; chkdskCancel asks it to end;
// chkdskLines and the four result fields are only touched under chkdskLinesLock. The window
// learns of each line, and of the end, by MSG_CHKDSK_EVENT: CHKDSK_EVENT_LINE per appended line,
// then CHKDSK_EVENT_DONE, or CHKDSK_EVENT_FAILED alone when the checker could not be started.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "state/app_state.h"

namespace corvanite {

// One run, created by StartChkdsk and owned (and finally deleted) by the worker.
struct ChkdskJob {
    std::u16string volume;  // a letter and a colon, e.g. "C:"
    bool readOnly = true;   // false: fix mode
};

// Called on the UI thread. Starts a run on `volume` unless one exists already, the last run's
// checker is still alive (chkdskCheckerAlive), the volume is not a capital letter and a colon, or
// the thread cannot be created; false in those cases, with nothing changed and no event. A
// start drops a cancel request left from before. The events reach the window through the host's
// PostWindowMessage.
bool StartChkdsk(std::u16string_view volume, bool readOnly);

// Called as the program ends, on the UI thread: a running check is asked to stop, and waited for
// (at most EXIT_WAIT_LIMIT_MS) while the worker ends its checker and waits for the checker's end,
// so that no checker outlives the program unseen. True when no check runs any more.
constexpr uint32_t EXIT_WAIT_LIMIT_MS = 8000;
bool EndVolumeCheckForExit();

// The worker thread's body. Resets the lines and the result, runs the checker and reads its
// output until it ends or a cancel request is seen, then sets the result, clears chkdskRunning
// and posts the final event (again, for a while, if the post is refused), in that order. A line
// event is posted only while none is pending (chkdskLineEventPending). A checker still running
// after the wait for its end keeps chkdskCheckerAlive set until it has gone.
void ChkdskWorker(ChkdskJob* job);

}  // namespace corvanite
