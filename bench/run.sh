#!/usr/bin/env bash
# Start-up benchmark under Wine on Xvfb: the skin shown and the first wait for input, tn.exe
# against a minimal program that only shows the same skin picture as a layered window, and
# against the floor program that also puts the browser control in a second window and navigates
# it to the same login page. Not part of the test command.
# Usage: bench/run.sh [runs]   (BUILD_DIR as for tools/test.sh; TN_BENCH_PORT, default 18096;
# default 11 runs)
set -uo pipefail
source "$(dirname "$0")/lib.sh"
bench_prepare StartupBench
app=$run_dir/app
timeout 1800 wine "$wdir/bench/StartupBench.exe" "$(bench_win "$app/tn.exe")" \
    "$(bench_win "$app/MinimalSkin.exe")" "$(bench_win "$app/MinimalStart.exe")" \
    "$server$login_path" "${1:-11}"
