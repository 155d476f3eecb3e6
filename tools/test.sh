#!/usr/bin/env bash
# The whole test suite: set-up, the Windows build under Wine in Xvfb, the native sanitizer build.
# Usage: tools/test.sh [ctest arguments...]   (e.g. -R Http to run a subset)
# BUILD_DIR (default build) and TN_TEST_PORT (default 18080) let several runs share one machine.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
tn_setup_all || exit 1

build=${BUILD_DIR:-$TN_ROOT/build}
port=${TN_TEST_PORT:-18080}
mkdir -p "$build"
run_dir=$(mktemp -d /tmp/tn-test.XXXXXX)
trap 'tn_stop_session; rm -rf "$run_dir"' EXIT

# TN_SKIP_NATIVE=1 leaves the native build and its tests out (for quick runs of a subset).
if [ "${TN_SKIP_NATIVE:-}" != 1 ]; then
    log "native build (AddressSanitizer, UndefinedBehaviorSanitizer)"
    tn_build_native "$build/native" || exit 1
fi
log "Windows build"
tn_build_windows "$build/win" -DTN_TEST_PORT="$port" || exit 1

status=0
if [ "${TN_SKIP_NATIVE:-}" != 1 ]; then
    log "native tests"
    (cd "$build/native" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --output-on-failure -j"$(nproc)" "$@") || status=1
fi

log "Windows tests under Wine"
export TN_RUN_DIR="$run_dir"
TN_FORCE_XVFB=1 tn_start_session "$run_dir"
python3 "$TN_ROOT/tools/standin.py" --port "$port" --lifetime 3000 --state "$run_dir/standin" \
    --files "$build/win/standin-files" >"$run_dir/standin.log" 2>&1 &
TN_PIDS+=($!)
for _ in $(seq 100); do (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done
export TN_STANDIN_PORT=$port
# One at a time: the window tests share one display, where focus, activation and menus are
# global, so a test run beside another could steal what it checks.
(cd "$build/win" && ctest --output-on-failure "$@") || status=1
exit $status
