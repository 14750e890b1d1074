#!/usr/bin/env bash
# The window of both builds under Xvfb (gui_e2e.py): tests/e2e/gui_e2e.sh --linux | --windows. Needs
# the build's corvanite, corvanite_e2e_gui and corvanite_fake_chkdsk; ends "e2e-<build>: N passed,
# M failed". Screen 0 fits the window at 200 % too; screen 1 is a 1024 x 768 one.
cd "$(dirname "$0")/../.." && build=${1#--} || exit 2
[[ $build == linux || $build == windows ]] || { echo "usage: $0 --linux | --windows"; exit 64; }
mkdir -p build/e2e && exec 9>"build/e2e/$build.lock"  # one run a build: one folder, one prefix
flock -w 600 9 || { echo "e2e-$build: 0 passed, 1 failed (the lock stayed taken)"; exit 1; }
rm -rf "build/e2e/$build" && mkdir -p "build/e2e/$build/work" || exit 2
timeout -k 30 600 xvfb-run -a -s "-screen 0 2600x1600x24 -screen 1 1024x768x24 -nolisten tcp \
    -noreset" python3 tests/e2e/gui_e2e.py "$build"
