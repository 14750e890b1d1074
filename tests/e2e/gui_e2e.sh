#!/usr/bin/env bash
# The window of both builds under Xvfb: tests/e2e/gui_e2e.sh --linux | --windows (gui_e2e.py).
# Needs the linux or windows-cross build of corvanite, corvanite_e2e_gui, corvanite_fake_chkdsk.
# Prints "e2e-<build>: N passed, M failed" last and exits non-zero when a check failed.
cd "$(dirname "$0")/../.." && build=${1#--} && mkdir -p build/e2e || exit 2
[[ $build == linux || $build == windows ]] || { echo "usage: $0 --linux | --windows"; exit 64; }
exec 9>"build/e2e/$build.lock"  # one run of a build at a time: one output folder, one Wine prefix
flock -w 600 9 || { echo "e2e-$build: 0 passed, 1 failed (the lock stayed taken)"; exit 1; }
rm -rf "build/e2e/$build" && mkdir -p "build/e2e/$build/work" || exit 2
# At most 5 minutes: then the whole process group is told to stop (the runner still reports).
exec timeout -k 30 300 xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp -noreset" \
    python3 tests/e2e/gui_e2e.py "$build"
