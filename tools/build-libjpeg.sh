#!/usr/bin/env bash
# Cross-builds libjpeg-turbo for one Windows architecture (i686 or x86_64, default i686) from
# Debian's source package, once, into the cache.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
arch=${1:-i686}
out=$(tn_jpeg_dir "$arch")
[ -f "$out/.tn-ready" ] && exit 0
log "cross-building libjpeg-turbo for $arch from Debian's source package (once)"
list=/etc/apt/sources.list.d/tn-deb-src.sources
if ! apt-get source --print-uris libjpeg-turbo >/dev/null 2>&1; then
    cat >"$list" <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt-get update -qq
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq --download-only libjpeg-turbo >/dev/null 2>&1 &&
    dpkg-source -x --no-check ./*.dsc src >/dev/null)
cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TN_ROOT/cmake/mingw-$arch.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
    -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DCMAKE_INSTALL_PREFIX="$out" >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build" --target install >"$work/build.log" 2>&1 || { tail -50 "$work/build.log"; exit 1; }
touch "$out/.tn-ready"
