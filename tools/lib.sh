# Shared shell pieces of setup.sh, test.sh and run.sh. Sourced, never run.
# Everything here is idempotent and quick when already done.

TN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TN_CACHE=${TN_CACHE:-/var/cache/tn-launcher}
TN_TEMPLATE="$TN_CACHE/wine-template"
TN_LOCALE=zh_CN.UTF-8

TN_APT_PACKAGES=(
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
    libz-mingw-w64-dev zlib1g-dev wine wine32:i386 xvfb x11-utils xcompmgr imagemagick
    cmake ninja-build googletest clang libclang-rt-14-dev
    fonts-noto-cjk fonts-dejavu-core locales python3 dpkg-dev curl bc file
)

log() { printf '[tn] %s\n' "$*" >&2; }

tn_need_root() {
    if [ "$(id -u)" -ne 0 ]; then
        log "run this as root: it installs packages"
        exit 1
    fi
}

tn_setup_packages() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        log "adding the i386 architecture"
        dpkg --add-architecture i386
        TN_APT_UPDATED=
    fi
    local missing=()
    for p in "${TN_APT_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        log "installing: ${missing[*]}"
        DEBIAN_FRONTEND=noninteractive apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

tn_setup_locale() {
    if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
        log "generating the $TN_LOCALE locale"
        localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
    fi
}

# Environment of every Wine call: 32-bit, quiet, no install prompts.
tn_wine_env() {
    export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
    export LANG=$TN_LOCALE LC_ALL=$TN_LOCALE
}

# A 32-bit prefix made once; every run works on a fresh copy of it. It is marked ready only when
# every step succeeded: a failed or timed-out step leaves no template behind.
tn_setup_template() {
    [ -f "$TN_TEMPLATE/.tn-ready" ] && return 0
    log "making the Wine prefix template (once)"
    rm -rf "$TN_TEMPLATE"
    mkdir -p "$TN_CACHE"
    if ! (
        tn_wine_env
        export WINEPREFIX="$TN_TEMPLATE"
        timeout 300 wineboot -i >/dev/null 2>&1 || exit 1
        # Without a window manager every top-level close would wait about 2 s.
        timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || exit 1
        # GDI+ needs the generic families mapped onto installed fonts.
        for fam in "Microsoft Sans Serif" "Arial" "Times New Roman" "Courier New" "Tahoma"; do
            timeout 60 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$fam" /d "DejaVu Sans" /f >/dev/null 2>&1 || exit 1
        done
        timeout 60 wineserver -w || exit 1
    ); then
        log "making the Wine prefix template failed; nothing is kept"
        (tn_wine_env; WINEPREFIX="$TN_TEMPLATE" timeout 20 wineserver -k >/dev/null 2>&1)
        rm -rf "$TN_TEMPLATE"
        return 1
    fi
    touch "$TN_TEMPLATE/.tn-ready"
}

tn_setup_all() {
    tn_need_root
    tn_setup_packages
    tn_setup_locale
    tn_setup_template || return 1
    bash "$TN_ROOT/tools/build-libjpeg.sh"
}

# --- a run's own Wine prefix and display -------------------------------------

TN_PIDS=()

tn_start_session() {
    local run_dir=$1
    mkdir -p "$run_dir"
    tn_wine_env
    export WINEPREFIX="$run_dir/prefix"
    rm -rf "$WINEPREFIX"
    cp -a "$TN_TEMPLATE" "$WINEPREFIX"
    if [ -z "${DISPLAY:-}" ] || [ "${TN_FORCE_XVFB:-}" = 1 ]; then
        local n=90
        while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$run_dir/xvfb.log" 2>&1 &
        TN_PIDS+=($!)
        export DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
        TN_XVFB=1
    fi
    # Kept alive for the whole run, so each test start stays short.
    timeout -k 5 7200 wineserver -p -f >/dev/null 2>&1 &
    TN_PIDS+=($!)
    timeout -k 5 60 wineboot >/dev/null 2>&1 || true
}

tn_stop_session() {
    [ -n "${WINEPREFIX:-}" ] && timeout 20 wineserver -k >/dev/null 2>&1 || true
    local p
    for p in "${TN_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in "${TN_PIDS[@]}"; do wait "$p" 2>/dev/null || true; done
    TN_PIDS=()
}

# --- builds ------------------------------------------------------------------

# TN_BUILD_TARGETS (optional) limits the build to those targets.
tn_build_windows() {
    local dir=$1; shift
    cmake -S "$TN_ROOT" -B "$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$TN_ROOT/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DTN_JPEG_ROOT="$TN_CACHE/libjpeg" "$@" >"$dir.configure.log" 2>&1 ||
        { cat "$dir.configure.log"; return 1; }
    local targets=()
    for t in ${TN_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
    cmake --build "$dir" "${targets[@]}" -- -k 0
}

tn_build_native() {
    local dir=$1; shift
    CC=clang CXX=clang++ cmake -S "$TN_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DTN_NATIVE=ON "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
    cmake --build "$dir" -- -k 0
}
