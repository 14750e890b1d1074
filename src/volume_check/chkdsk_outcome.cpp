#include "volume_check/chkdsk_outcome.h"

namespace corvanite {

ChkdskResult ChkdskOutcome(uint32_t exitCode, bool readOnly, bool cancelled) {
    ChkdskResult result;
    result.ready = !cancelled;
    // Both flags follow the exit code even for a cancelled run; the view draws no result line
    // then, but the values stay true to what the child reported.
    result.exitNonZero = exitCode != 0;
    // chkdsk's exit codes: 0 no errors; 1 errors found and fixed; 2 disk cleanup done, or not
    // done because /f was not given; 3 the disk could not be checked, errors could not be fixed,
    // or errors were not fixed because /f was not given. A read-only run fixes nothing, so there
    // 1 and 3 can only mean errors found, and 2 a cleanup still to do.
    result.fixed = !readOnly && (exitCode == 1 || exitCode == 2);
    if (cancelled) {
        result.text = u"Operation cancelled";
    } else if (exitCode == 0) {
        result.text = u"No errors found";
    } else if (exitCode == 1) {
        result.text = readOnly ? u"Errors found: run SCAN + FIX to repair them"
                               : u"Errors found and corrected";
    } else if (exitCode == 2) {
        result.text = readOnly ? u"No errors, but the volume needs a cleanup: SCAN + FIX does it"
                               : u"Disk cleanup done; no errors remain";
    } else if (exitCode == 3) {
        result.text = readOnly ? u"Errors found and left as they are (read-only), or the volume "
                                 u"could not be checked: see the output"
                               : u"The volume could not be checked, or its errors could not be "
                                 u"fixed; a volume in use (the system's own) can only be repaired "
                                 u"at a restart: see the output";
    } else {
        result.text = u"chkdsk returned unexpected exit code";
    }
    return result;
}

ChkdskResult FsckOutcome(uint32_t exitCode, bool readOnly, bool cancelled) {
    constexpr uint32_t CORRECTED = 1, RESTART = 2, LEFT = 4, OPERATIONAL = 8, USAGE = 16,
                       CANCELLED = 32, LIBRARY = 128;
    ChkdskResult result;
    result.ready = !cancelled;
    result.exitNonZero = exitCode != 0;
    const bool known = exitCode <= 0xFF;
    result.fixed = known && !readOnly && (exitCode & CORRECTED) != 0 && (exitCode & LEFT) == 0;
    const auto has = [exitCode](uint32_t bit) { return (exitCode & bit) != 0; };
    if (cancelled) {
        result.text = u"Operation cancelled";
    } else if (!known) {
        result.text = u"fsck returned unexpected exit code";
    } else if (has(LIBRARY)) {
        result.text = u"fsck could not load a library it needs: see the output";
    } else if (has(USAGE)) {
        result.text = u"fsck did not take its command line (usage error): see the output";
    } else if (has(OPERATIONAL)) {
        result.text = u"The filesystem could not be checked (operational error): see the output";
    } else if (has(CANCELLED)) {
        result.text = u"fsck stopped the check itself (cancelled): see the output";
    } else if (has(LEFT) || (readOnly && has(CORRECTED))) {
        // A read-only run changes nothing: its "corrected" (fsck.fat's 1 for any error found)
        // means found.
        result.text = readOnly ? u"Errors found and left as they are (read-only): SCAN + FIX "
                                 u"repairs them once the filesystem is unmounted"
                               : u"Errors found that could not all be corrected: see the output";
    } else if (has(CORRECTED)) {
        result.text = u"Errors found and corrected";
    } else {
        result.text = u"No errors found";
    }
    if (!cancelled && known && has(RESTART)) {
        result.text.append(u"; restart the system now");
    }
    return result;
}

}  // namespace corvanite
