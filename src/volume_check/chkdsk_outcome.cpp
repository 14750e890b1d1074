#include "volume_check/chkdsk_outcome.h"

namespace corvanite {

ChkdskResult ChkdskOutcome(uint32_t exitCode, bool readOnly, bool cancelled) {
    ChkdskResult result;
    result.ready = !cancelled;
    // Both flags follow the exit code even for a cancelled run; the view draws no result line
    // then, but the values stay true to what the child reported.
    result.exitNonZero = exitCode != 0;
    result.fixed = exitCode == 1 && !readOnly;
    if (cancelled) {
        result.text = u"Operation cancelled";
    } else if (exitCode == 0) {
        result.text = u"No errors found";
    } else if (exitCode == 1) {
        result.text =
            readOnly ? u"Errors detected (run without /f to fix)" : u"Errors found and corrected";
    } else if (exitCode == 2) {
        result.text = u"Volume requires cleanup (chkdsk /f recommended)";
    } else if (exitCode == 3) {
        result.text = u"Could not check disk \u2014 volume may be in use";
    } else {
        result.text = u"chkdsk returned unexpected exit code";
    }
    return result;
}

}  // namespace corvanite
