#!/usr/bin/env bash
# tn.exe must be a static GUI program that needs nothing but the system's own DLLs, shipped stripped:
# PE32 (the 32-bit program users get) or PE32+ (its x86_64 twin that the 64-bit test road runs).
# Usage: check-pe.sh EXE PE32|PE32+
set -euo pipefail
exe=$1
kind=${2:-PE32}
[ -n "$exe" ] && [ -f "$exe" ] || { echo "no program to check at '$exe'"; exit 1; }
case $kind in
PE32) want='^PE32 executable \(GUI\) Intel 80386'; objdump=i686-w64-mingw32-objdump ;;
PE32+) want='^PE32\+ executable \(GUI\) x86-64'; objdump=x86_64-w64-mingw32-objdump ;;
*) echo "unknown kind $kind"; exit 1 ;;
esac
file -b "$exe" | grep -Eq "$want" || { echo "not a $kind GUI program: $(file -b "$exe")"; exit 1; }
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|wininet|ws2_32|wsock32|iphlpapi|shlwapi|urlmon|uxtheme|msvcrt|version|winmm|msimg32|crypt32|secur32|mpr|imm32|rpcrt4|userenv|winspool\.drv|hhctrl\.ocx|mapi32)\.dll$|^winspool\.drv$'
bad=$($objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | grep -Ev "$allowed" || true)
[ -z "$bad" ] || { echo "imports non-system DLLs: $bad"; exit 1; }
# Shipped stripped: the debug information lies beside it, named by the program's debug link.
sections=$($objdump -h "$exe")
! grep -q ' \.debug_' <<<"$sections" || { echo "carries debug sections"; exit 1; }
grep -q ' \.gnu_debuglink ' <<<"$sections" || { echo "names no debug file"; exit 1; }
$objdump -h "$exe.debug" | grep -q ' \.debug_info ' || { echo "no debug information in $exe.debug"; exit 1; }
# The DLLs loaded at a function's first call: system ones too, each function looked up by the
# name the DLL exports it under (a 32-bit name with its argument size, "f@8", is not exported),
# and each function's slot starting at its own loader stub.
delayed=$(python3 "$(dirname "$0")/delay-imports.py" "$exe" "$exe.debug" "${objdump%objdump}nm") ||
    { echo "delay-loaded imports wrong or unreadable (above)"; exit 1; }
bad=$(cut -d' ' -f1 <<<"$delayed" | tr 'A-Z' 'a-z' | grep -Ev "$allowed" || true)
[ -z "$bad" ] || { echo "delay-loads non-system DLLs: $bad"; exit 1; }
bad=$(tr ' ' '\n' <<<"$delayed" | grep -F '@' || true)
[ -z "$bad" ] || { echo "delay-loaded functions named as no DLL exports them: $bad"; exit 1; }
echo "ok: $(file -b "$exe"), $(stat -c %s "$exe") bytes, debug information in $(basename "$exe").debug"
[ -z "$delayed" ] || echo "delay-loaded: $(cut -d' ' -f1 <<<"$delayed" | tr '\n' ' ')"
