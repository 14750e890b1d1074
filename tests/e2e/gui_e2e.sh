#!/usr/bin/env bash
# The window of both builds under Xvfb: tests/e2e/gui_e2e.sh --linux | --windows (gui_e2e.py):
# the steps in a 1600 x 1000 screen, the scaled window in a 2600 x 1600 one and, for Windows, a
# 1024 x 768 screen. Needs the linux or windows-cross build of corvanite, corvanite_e2e_gui and
# corvanite_fake_chkdsk. Prints "e2e-<build>: N passed, M failed" last (all runs together) and
# exits non-zero when a check failed.
cd "$(dirname "$0")/../.." && build=${1#--} && mkdir -p build/e2e || exit 2
[[ $build == linux || $build == windows ]] || { echo "usage: $0 --linux | --windows"; exit 64; }
exec 9>"build/e2e/$build.lock"  # one run of a build at a time: one output folder, one Wine prefix
flock -w 600 9 || { echo "e2e-$build: 0 passed, 1 failed (the lock stayed taken)"; exit 1; }
runs=("steps 1600x1000" "scaled 2600x1600")
[ "$build" = windows ] && runs+=("small 1024x768")
log=build/e2e/$build.log && : >"$log"
for run in "${runs[@]}"; do
    rm -rf "build/e2e/$build" && mkdir -p "build/e2e/$build/work" || exit 2
    # At most 5 minutes a run: then its process group is told to stop (the runner still reports).
    CORVANITE_E2E_SCREEN=${run#* } timeout -k 30 300 xvfb-run -a -s "-screen 0 ${run#* }x24 \
        -nolisten tcp -noreset" python3 tests/e2e/gui_e2e.py "$build" "${run% *}" | tee -a "$log"
done
awk '/^e2e-.*: [0-9]+ passed, [0-9]+ failed/ { p += $2; f += $4 }
     END { printf "e2e-%s: %d passed, %d failed\n", build, p, f; exit f > 0 || NR == 0 }' \
    build="$build" "$log"
