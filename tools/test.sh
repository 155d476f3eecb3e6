#!/usr/bin/env bash
# The whole test suite: set-up, the Windows build under Wine in Xvfb, the native sanitizer build.
# Usage: tools/test.sh [ctest arguments...]   (e.g. -R Http to run a subset)
# BUILD_DIR (default build) and TN_TEST_PORT (default 18080) let several runs share one machine.
# The tests run the 32-bit program where this machine executes 32-bit x86 code, else the same
# sources built for x86_64 (build/win64); TN_TEST_ARCH=i686|x86_64 forces one.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
tn_say_arch
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
log "Windows build: the 32-bit program (build/win)"
tn_build_windows i686 "$build/win" -DTN_TEST_PORT="$port" || exit 1
tests="$build/win"
if [ "$TN_ARCH" = x86_64 ]; then
    log "Windows build: the same sources for x86_64, which the tests run (build/win64)"
    tn_build_windows x86_64 "$build/win64" -DTN_TEST_PORT="$port" \
        -DTN_SHIPPED_PROGRAM="$build/win/windows/tn.exe" || exit 1
    tests="$build/win64"
fi

status=0
if [ "${TN_SKIP_NATIVE:-}" != 1 ]; then
    log "native tests"
    (cd "$build/native" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --output-on-failure -j"$(nproc)" "$@") || status=1
fi

log "Windows tests under Wine ($TN_ARCH, $(basename "$tests"))"
export TN_RUN_DIR="$run_dir"
TN_FORCE_XVFB=1 tn_start_session "$run_dir"
python3 "$TN_ROOT/tools/standin.py" --port "$port" --lifetime 3000 --state "$run_dir/standin" \
    --files "$tests/standin-files" >"$run_dir/standin.log" 2>&1 &
TN_PIDS+=($!)
for _ in $(seq 100); do (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done
export TN_STANDIN_PORT=$port
# One at a time: the window tests share one display, where focus, activation and menus are
# global, so a test run beside another could steal what it checks.
(cd "$tests" && ctest --output-on-failure "$@") || status=1
exit $status
