#!/usr/bin/env bash
# Start-up benchmark under Wine on Xvfb: tn.exe against a minimal program that only shows the
# same skin picture as a layered window. Not part of the test command.
# Usage: bench/run.sh [runs]   (BUILD_DIR as for tools/test.sh; default 11 runs)
set -uo pipefail
source "$(dirname "$0")/../tools/lib.sh"
tn_say_arch
tn_setup_all || exit 1
build=${BUILD_DIR:-$TN_ROOT/build}
# The road's own build: both programs of a run are built for the same architecture.
wdir=$([ "$TN_ARCH" = i686 ] && echo win || echo win64)
runs=${1:-11}
tn_build_windows "$TN_ARCH" "$build/$wdir" >/dev/null || exit 1

run_dir=$(mktemp -d /tmp/tn-bench.XXXXXX)
trap 'tn_stop_session; rm -rf "$run_dir"' EXIT
# Both programs side by side with the same skin, so they read the same file.
mkdir -p "$run_dir/app/Skin"
cp "$build/$wdir/windows/tn.exe" "$build/$wdir/bench/MinimalSkin.exe" "$run_dir/app/"
cp "$build/$wdir/windows/Skin/loginback.png" "$run_dir/app/Skin/"
TN_FORCE_XVFB=1 tn_start_session "$run_dir"
win() { echo "Z:${1//\//\\}"; }
timeout 900 wine "$build/$wdir/bench/StartupBench.exe" "$(win "$run_dir/app/tn.exe")" \
    "$(win "$run_dir/app/MinimalSkin.exe")" "$runs"
