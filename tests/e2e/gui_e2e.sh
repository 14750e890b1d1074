#!/usr/bin/env bash
# End-to-end test of the window in Xvfb: tests/e2e/gui_e2e.sh --linux | --windows
# (see gui_e2e.py). Prints "e2e-<build>: N passed, M failed"; exits non-zero on failure.
exec python3 "$(dirname "$0")/gui_e2e.py" "$@"
