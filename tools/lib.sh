# Shared shell pieces of setup.sh, test.sh and run.sh. Sourced, never run.
# Everything here is idempotent and quick when already done.

TN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TN_CACHE=${TN_CACHE:-/var/cache/tn-launcher}
TN_LOCALE=zh_CN.UTF-8

TN_APT_PACKAGES=(
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    libz-mingw-w64-dev zlib1g-dev wine wine64 xvfb x11-utils xcompmgr imagemagick
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

# --- the test architecture ---------------------------------------------------

# Runs a 96-byte static 32-bit x86 Linux program that only exits with status 42. Kernels built
# without 32-bit emulation refuse it ("Exec format error"); no package is needed to try.
tn_runs_x86_32() {
    local probe
    probe=$(mktemp /tmp/tn-x86-32.XXXXXX) || return 1
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0\270\1\0\0\0\273\52\0\0\0\315\200' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    local rc=$?
    rm -f "$probe"
    [ "$rc" = 42 ]
}

# Decides once per run (the scripts a run starts inherit it) which build the tests run:
# TN_ARCH i686 (the 32-bit program under 32-bit Wine) where this machine executes 32-bit x86 code,
# else x86_64 (the same sources under 64-bit Wine). TN_TEST_ARCH=i686|x86_64 forces it.
tn_decide_arch() {
    [ -n "${TN_ARCH:-}" ] && return 0
    case "${TN_TEST_ARCH:-}" in
    i686)
        if ! tn_runs_x86_32; then
            log "TN_TEST_ARCH=i686 cannot be used: this machine cannot execute 32-bit x86 code (a 32-bit probe program does not run)"
            exit 1
        fi
        TN_ARCH=i686 TN_ARCH_REASON="forced by TN_TEST_ARCH=i686" ;;
    x86_64) TN_ARCH=x86_64 TN_ARCH_REASON="forced by TN_TEST_ARCH=x86_64" ;;
    "")
        if tn_runs_x86_32; then
            TN_ARCH=i686 TN_ARCH_REASON="this machine executes 32-bit x86 code"
        else
            TN_ARCH=x86_64 TN_ARCH_REASON="this machine cannot execute 32-bit x86 code: a 32-bit probe program does not run"
        fi ;;
    *)
        log "TN_TEST_ARCH must be i686 or x86_64, not '$TN_TEST_ARCH'"
        exit 1 ;;
    esac
    export TN_ARCH TN_ARCH_REASON
    if [ "$TN_ARCH" = i686 ]; then
        export TN_TEMPLATE="$TN_CACHE/wine-template" TN_WINEARCH=win32
    else
        export TN_TEMPLATE="$TN_CACHE/wine-template-win64" TN_WINEARCH=win64
    fi
}

# The first lines of every script that runs Windows programs: which build, and why.
tn_say_arch() {
    tn_decide_arch
    if [ "$TN_ARCH" = i686 ]; then
        log "road: i686, the 32-bit program under 32-bit Wine ($TN_ARCH_REASON)"
    else
        log "road: x86_64, the 64-bit build of the same code under 64-bit Wine ($TN_ARCH_REASON)"
    fi
}

tn_jpeg_dir() { [ "$1" = i686 ] && echo "$TN_CACHE/libjpeg" || echo "$TN_CACHE/libjpeg-$1"; }

tn_setup_packages() {
    local packages=("${TN_APT_PACKAGES[@]}")
    # The 32-bit Wine only where it can run; where it is installed, Debian's wine prefers it.
    if [ "$TN_ARCH" = i686 ]; then
        packages+=(wine32:i386)
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            log "adding the i386 architecture"
            dpkg --add-architecture i386
        fi
    fi
    local missing=()
    for p in "${packages[@]}"; do
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

# On the x86_64 road every Wine call goes through these: Debian's wine and wineboot would pick the
# 32-bit loader whenever wine32 is installed.
tn_wine64_shims() {
    local dir="$TN_CACHE/wine64-bin"
    if [ ! -x "$dir/wineboot" ]; then
        mkdir -p "$dir"
        printf '#!/bin/sh\nWINELOADER=/usr/lib/wine/wine64 exec /usr/lib/wine/wine64 "$@"\n' >"$dir/wine"
        printf '#!/bin/sh\nexec "%s/wine" wineboot.exe "$@"\n' "$dir" >"$dir/wineboot"
        chmod +x "$dir/wine" "$dir/wineboot"
    fi
    echo "$dir"
}

# Environment of every Wine call: the road's prefix kind, quiet, no install prompts, and no menu
# or desktop launchers written into this machine's home for the links the tests make.
TN_WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
tn_wine_env() {
    tn_decide_arch
    export WINEARCH=$TN_WINEARCH WINEDEBUG=-all WINEDLLOVERRIDES=$TN_WINEDLLOVERRIDES
    export LANG=$TN_LOCALE LC_ALL=$TN_LOCALE
    if [ "$TN_ARCH" = x86_64 ]; then
        local shims
        shims=$(tn_wine64_shims)
        case ":$PATH:" in *":$shims:"*) ;; *) export PATH="$shims:$PATH" ;; esac
        export WINELOADER=/usr/lib/wine/wine64
    fi
}

# Wine links the user's desktop and document folders to this machine's home: the tests make and
# remove links there, so runs side by side (and the developer's own files) would meet. A prefix's
# folders are made its own; a later boot of the prefix leaves them so.
tn_own_user_folders() {
    local d
    for d in "$1"/drive_c/users/*/*; do
        [ -L "$d" ] || continue
        rm -f "$d" && mkdir -p "$d" || return 1
    done
}

# A prefix made once per architecture; every run works on a fresh copy of it. It is marked ready
# only when every step succeeded: a failed or timed-out step leaves no template behind.
tn_setup_template() {
    if [ -f "$TN_TEMPLATE/.tn-ready" ]; then
        tn_own_user_folders "$TN_TEMPLATE" # templates made before this step
        return
    fi
    log "making the $TN_WINEARCH Wine prefix template (once)"
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
        tn_own_user_folders "$TN_TEMPLATE" || exit 1
    ); then
        log "making the Wine prefix template failed; nothing is kept"
        (tn_wine_env; WINEPREFIX="$TN_TEMPLATE" timeout 20 wineserver -k >/dev/null 2>&1)
        rm -rf "$TN_TEMPLATE"
        return 1
    fi
    touch "$TN_TEMPLATE/.tn-ready"
}

# The builds of a run: the 32-bit program always, and on the x86_64 road its 64-bit twin.
tn_built_arches() { [ "$TN_ARCH" = i686 ] && echo i686 || echo "i686 x86_64"; }

tn_setup_all() {
    tn_need_root
    tn_decide_arch
    tn_setup_packages
    tn_setup_locale
    tn_setup_template || return 1
    local a
    for a in $(tn_built_arches); do bash "$TN_ROOT/tools/build-libjpeg.sh" "$a" || return 1; done
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

# tn_build_windows ARCH DIR [cmake arguments...]; TN_BUILD_TARGETS (optional) limits the build to
# those targets.
tn_build_windows() {
    local arch=$1 dir=$2; shift 2
    cmake -S "$TN_ROOT" -B "$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$TN_ROOT/cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DTN_JPEG_ROOT="$(tn_jpeg_dir "$arch")" "$@" >"$dir.configure.log" 2>&1 ||
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
