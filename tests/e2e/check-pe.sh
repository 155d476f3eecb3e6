#!/usr/bin/env bash
# tn.exe must be a 32-bit GUI program that needs nothing but the system's own DLLs, shipped stripped.
set -euo pipefail
exe=$1
file -b "$exe" | grep -q '^PE32 executable (GUI) Intel 80386' || { echo "not a PE32 GUI i386 program: $(file -b "$exe")"; exit 1; }
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|wininet|ws2_32|wsock32|iphlpapi|shlwapi|urlmon|uxtheme|msvcrt|version|winmm|msimg32|crypt32|secur32|mpr|imm32|rpcrt4|userenv|winspool\.drv|hhctrl\.ocx|mapi32)\.dll$|^winspool\.drv$'
bad=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | grep -Ev "$allowed" || true)
[ -z "$bad" ] || { echo "imports non-system DLLs: $bad"; exit 1; }
# Shipped stripped: the debug information lies beside it, named by the program's debug link.
sections=$(i686-w64-mingw32-objdump -h "$exe")
! grep -q ' \.debug_' <<<"$sections" || { echo "carries debug sections"; exit 1; }
grep -q ' \.gnu_debuglink ' <<<"$sections" || { echo "names no debug file"; exit 1; }
i686-w64-mingw32-objdump -h "$exe.debug" | grep -q ' \.debug_info ' || { echo "no debug information in $exe.debug"; exit 1; }
echo "ok: $(file -b "$exe"), $(stat -c %s "$exe") bytes, debug information in $(basename "$exe").debug"
