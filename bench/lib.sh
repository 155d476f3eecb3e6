# Shared shell pieces of the benchmarks. Sourced, never run.
# bench_prepare BENCH: the road's build of tn.exe, the minimal programs and BENCH, a run folder
# with them beside the skin picture, a Wine session on Xvfb, the stand-in serving the login page,
# and tn.exe's configuration pointing at it. Sets run_dir, wdir, server, login_path.
source "$(dirname "${BASH_SOURCE[0]}")/../tools/lib.sh"

bench_prepare() {
    tn_say_arch
    tn_setup_all || exit 1
    local build=${BUILD_DIR:-$TN_ROOT/build}
    # The road's own build: every program of a run is built for the same architecture.
    wdir=$build/$([ "$TN_ARCH" = i686 ] && echo win || echo win64)
    local port=${TN_BENCH_PORT:-18096}
    TN_BUILD_TARGETS="tn MinimalSkin MinimalBrowser MinimalStart $1" tn_build_windows "$TN_ARCH" "$wdir" >/dev/null || exit 1

    run_dir=$(mktemp -d /tmp/tn-bench.XXXXXX)
    trap 'tn_stop_session; rm -rf "$run_dir"' EXIT
    TN_FORCE_XVFB=1 tn_start_session "$run_dir"
    python3 "$TN_ROOT/tools/standin.py" --port "$port" --lifetime 3600 --state "$run_dir/standin" \
        >"$run_dir/standin.log" 2>&1 &
    TN_PIDS+=($!)
    for _ in $(seq 100); do (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done

    # All programs side by side with the same skin, so they read the same file; tn.exe's
    # configuration points at the stand-in for the login page and the version file.
    mkdir -p "$run_dir/app/Skin"
    cp "$wdir/windows/tn.exe" "$wdir/bench/MinimalSkin.exe" "$wdir/bench/MinimalBrowser.exe" \
        "$wdir/bench/MinimalStart.exe" "$run_dir/app/"
    cp "$wdir/windows/Skin/loginback.png" "$run_dir/app/Skin/"
    server="http://127.0.0.1:$port"
    login_path=/bench/login.html
    local data="$WINEPREFIX/drive_c/ProgramData/Brisa/tn"
    mkdir -p "$data"
    printf '[Common]\r\nGameLoginUrl=%s%s\r\nVersionCheck=%s/bench/app.ini\r\n' \
        "$server" "$login_path" "$server" >"$data/lander.ini"
}

# A path of this machine as Wine names it.
bench_win() { echo "Z:${1//\//\\}"; }
