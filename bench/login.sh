#!/usr/bin/env bash
# Login-page benchmark under Wine on Xvfb: the time from process start to the login page's first
# request at the stand-in, and to the skin shown, tn.exe against a minimal program that only
# initialises OLE, puts the browser control in a plain window and navigates to the same URL, and
# against the floor program that first shows the skin as well. Not part of the test command.
# Usage: bench/login.sh [runs]   (BUILD_DIR as for tools/test.sh; TN_BENCH_PORT, default 18096;
# default 11 runs)
set -uo pipefail
source "$(dirname "$0")/lib.sh"
bench_prepare LoginBench
app=$run_dir/app
timeout 1800 wine "$wdir/bench/LoginBench.exe" "$(bench_win "$app/tn.exe")" \
    "$(bench_win "$app/MinimalBrowser.exe")" "$(bench_win "$app/MinimalStart.exe")" \
    "$server" "$login_path" "${1:-11}"
