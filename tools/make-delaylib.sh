#!/usr/bin/env bash
# Makes a delay-load import library for one system DLL from the toolchain's import library: the
# DLL is then loaded at the first call of one of its functions, not when the program starts.
# Usage: tools/make-delaylib.sh ARCH DLLNAME OUTPUT   (e.g. i686 comctl32 delay/libcomctl32.a)
set -euo pipefail
arch=$1 dll=$2 out=$3
lib=/usr/$arch-w64-mingw32/lib/lib$dll.a
[ -f "$lib" ] || { echo "no import library $lib" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
cd "$(dirname "$out")"
name=$(basename "$out")
def=$name.def
trap 'rm -f "$def"' EXIT
{
    echo "LIBRARY $dll.dll"
    echo "EXPORTS"
    # Every function the import library names (the toolchain's libraries of these DLLs import
    # by name only and hold no data). The 32-bit names keep their argument size: the linker
    # resolves the program's calls by it, and -k leaves it out of the names the DLL is asked for.
    "$arch-w64-mingw32-nm" "$lib" | awk '$2 == "I" && $3 ~ /^__imp_/ { sub(/^__imp_/, "", $3); print $3 }' |
        { if [ "$arch" = i686 ]; then sed 's/^_//'; else cat; fi } | sort -u
} >"$def"
# Run where the library goes: its symbols are named after the output path as given.
"$arch-w64-mingw32-dlltool" $([ "$arch" = i686 ] && echo -k) -d "$def" -D "$dll.dll" -y "$name"
