#!/usr/bin/env bash
# Login-page benchmark under Wine on Xvfb: the time from process start to the login page's first
# request at the stand-in, tn.exe against a minimal program that only initialises OLE, puts the
# browser control in a plain window and navigates to the same URL. Not part of the test command.
# Usage: bench/login.sh [runs]   (BUILD_DIR as for tools/test.sh; TN_BENCH_PORT, default 18096;
# default 11 runs)
set -uo pipefail
source "$(dirname "$0")/../tools/lib.sh"
tn_say_arch
tn_setup_all || exit 1
build=${BUILD_DIR:-$TN_ROOT/build}
# The road's own build: both programs of a run are built for the same architecture.
wdir=$([ "$TN_ARCH" = i686 ] && echo win || echo win64)
port=${TN_BENCH_PORT:-18096}
runs=${1:-11}
TN_BUILD_TARGETS="tn MinimalBrowser LoginBench" tn_build_windows "$TN_ARCH" "$build/$wdir" >/dev/null || exit 1

run_dir=$(mktemp -d /tmp/tn-bench.XXXXXX)
trap 'tn_stop_session; rm -rf "$run_dir"' EXIT
TN_FORCE_XVFB=1 tn_start_session "$run_dir"
python3 "$TN_ROOT/tools/standin.py" --port "$port" --lifetime 3600 --state "$run_dir/standin" \
    >"$run_dir/standin.log" 2>&1 &
TN_PIDS+=($!)
for _ in $(seq 100); do (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done

# Both programs side by side; tn.exe with its skin, and its configuration pointing at the
# stand-in for the login page and the version file.
mkdir -p "$run_dir/app/Skin"
cp "$build/$wdir/windows/tn.exe" "$build/$wdir/bench/MinimalBrowser.exe" "$run_dir/app/"
cp "$build/$wdir/windows/Skin/loginback.png" "$run_dir/app/Skin/"
server="http://127.0.0.1:$port"
data="$WINEPREFIX/drive_c/ProgramData/Brisa/tn"
mkdir -p "$data"
printf '[Common]\r\nGameLoginUrl=%s/bench/login.html\r\nVersionCheck=%s/bench/app.ini\r\n' \
    "$server" "$server" >"$data/lander.ini"
win() { echo "Z:${1//\//\\}"; }
timeout 900 wine "$build/$wdir/bench/LoginBench.exe" "$(win "$run_dir/app/tn.exe")" \
    "$(win "$run_dir/app/MinimalBrowser.exe")" "$server" /bench/login.html "$runs"
