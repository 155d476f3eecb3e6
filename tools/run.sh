#!/usr/bin/env bash
# Runs the launcher's main job: builds tn.exe, starts the local stand-in of the platform's servers,
# lays out an install folder and a lander.ini pointing at it, and starts tn.exe under Wine.
# Usage: tools/run.sh [tn.exe arguments...]
# On a desktop (DISPLAY set) the launcher runs until it ends; without one it runs under Xvfb for
# TN_RUN_SECONDS (default 20) and a screenshot is saved.
# Where this machine cannot execute 32-bit x86 code it runs the x86_64 build of the same sources
# (TN_TEST_ARCH=i686|x86_64 forces one).
set -uo pipefail
source "$(dirname "$0")/lib.sh"
tn_say_arch
tn_setup_all || exit 1

port=${TN_RUN_PORT:-18090}
if [ "$TN_ARCH" = i686 ]; then
    build="$TN_ROOT/build/run" what="the 32-bit tn.exe"
else
    build="$TN_ROOT/build/run64"
    what="the x86_64 build of tn.exe (the same code as the 32-bit program, which is not run: $TN_ARCH_REASON)"
fi
out="$TN_ROOT/build/run-output"
mkdir -p "$TN_ROOT/build" "$out"
log "building $what (servers at 127.0.0.1:$port)"
TN_BUILD_TARGETS="tn tn_fake_installer" tn_build_windows "$TN_ARCH" "$build" -DTN_TEST_PORT="$port" >"$out/build.log" 2>&1 || { tail -40 "$out/build.log"; exit 1; }

run_dir=$(mktemp -d /tmp/tn-run.XXXXXX)
trap 'tn_stop_session; rm -rf "$run_dir"' EXIT
tn_start_session "$run_dir"
python3 "$TN_ROOT/tools/standin.py" --port "$port" --lifetime 3600 --state "$run_dir/standin" \
    --files "$build/standin-files" >"$out/standin.log" 2>&1 &
TN_PIDS+=($!)
for _ in $(seq 50); do curl -sf "http://127.0.0.1:$port/_standin/ping" >/dev/null 2>&1 && break; sleep 0.1; done

# The install folder as the setup program leaves it: tn.exe with its skin beside it.
c_drive="$WINEPREFIX/drive_c"
install="$c_drive/Program Files/BrisaTarn"
mkdir -p "$install"
cp "$build/windows/tn.exe" "$install/"
[ -d "$build/windows/Skin" ] && cp -r "$build/windows/Skin" "$install/"
data="$c_drive/ProgramData/Brisa/tn"
mkdir -p "$data"
server="http://127.0.0.1:$port"
# The login page is the stand-in's play page: the login window's first navigation is the hand-over,
# so the run goes the whole road to the game window.
play="$server/tn/wd2/wd_play_1016.php?sid=s1"
printf '[Common]\r\nLanderExeName=tn\r\nGameLoginUrl=%s\r\nVersionCheck=%s/Varkel/tn/official/app.ini\r\nVersionDownLoad=%s/Varkel/tn/official/Setup_Varkelbn.exe\r\nreferer=client\r\n' \
    "$play" "$server" "$server" >"$data/lander.ini"

log "install folder: C:\\Program Files\\BrisaTarn (tn.exe$([ -d "$install/Skin" ] && echo ', Skin\loginback.png'))"
log "lander.ini: C:\\ProgramData\\Brisa\\tn\\lander.ini -> $server (login page: the play page)"
first=$(tr 'A-Z' 'a-z' <<<"${1:-}")
shows=""
case "$first" in
/uninst) road="the uninstall road" ;;
/setupsucc | /setupsuccanddown) road="the setup report road" ;;
*)
    road="the ordinary start (module start-up, resource check, background and login windows, the hand-over at the play page, the game window)"
    shows=" (the game window)"
    ;;
esac
log "starting $what: tn.exe $* -> $road"
start=$(date +%s.%N)
if [ -n "${TN_XVFB:-}" ]; then
    (cd "$install" && timeout -k 5 "${TN_RUN_SECONDS:-20}" wine tn.exe "$@") &
    app=$!
    # The screenshot is taken once the windows had time to show, unless the launcher ended first.
    for _ in $(seq $((${TN_SHOT_AFTER:-8} * 5))); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
    if kill -0 "$app" 2>/dev/null; then
        import -display "$DISPLAY" -window root "$out/screenshot.png" 2>/dev/null &&
            log "screenshot: $out/screenshot.png$shows"
    fi
    wait "$app"
    rc=$?
else
    (cd "$install" && wine tn.exe "$@")
    rc=$?
fi
end=$(date +%s.%N)
[ "$rc" = 124 ] && log "tn.exe was still running after ${TN_RUN_SECONDS:-20} s and was ended" ||
    log "$what ended with exit code $rc after $(printf '%.1f' "$(echo "$end - $start" | bc 2>/dev/null || echo 0)") s"
log "requests the stand-in saw:"
curl -s "http://127.0.0.1:$port/_standin/requests" | sed 's/^/    /'
log "files in the data folder: $(ls "$data" | tr '\n' ' ')"
[ -f "$data/lander.ini" ] && { log "lander.ini now:"; tr -d '\r' <"$data/lander.ini" | sed 's/^/    /'; }
exit 0
