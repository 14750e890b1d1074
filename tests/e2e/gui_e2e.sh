#!/usr/bin/env bash
# End-to-end test of the window in Xvfb: tests/e2e/gui_e2e.sh --linux | --windows
# (see gui_e2e.py), then the same build at another display scale (dpi_e2e.py: Windows at 144 DPI
# and in a 1024 x 768 screen, Linux at GDK_SCALE=2). Prints "e2e-<build>: N passed, M failed"
# and "e2e-<build>-dpi: ..."; exits non-zero when either run failed.
dir=$(dirname "$0")
python3 "$dir/gui_e2e.py" "$@"
status=$?
python3 "$dir/dpi_e2e.py" "$@" || status=1
exit $status
