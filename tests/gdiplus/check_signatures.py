#!/usr/bin/env python3
"""The bound GDI+ signatures against the platform's own record of them, without running 32-bit code.

Usage: check_signatures.py NM OBJECT IMPORT_LIBRARY [ENTRY_NAMES]

OBJECT is SignatureOracle.cpp compiled for 32-bit x86: it refers to each entry of the list as the
__stdcall function the program binds, so each of its undefined symbols is _Name@N, N being the bytes
the program's 32-bit calls push. IMPORT_LIBRARY is the system's 32-bit import library for GDI+,
whose exports are _Name@M, M being the bytes the library's functions take off the stack again. Any
N other than M fails and names the function. ENTRY_NAMES, when given, is the list of the names
the program binds, which the object must cover exactly.
"""
import re
import subprocess
import sys

# Exports the import library does not list, with the bytes their published parameter lists take.
UNLISTED = {
    "GdipSetImageAttributesICMMode": 8,  # GpImageAttributes*, BOOL
    "GdipFontCollectionEnumerable": 12,  # GpFontCollection*, GpGraphics*, INT*
    "GdipFontCollectionEnumerate": 20,  # GpFontCollection*, INT, GpFontFamily**, INT*, GpGraphics*
}

DECORATED = re.compile(r"^_(\w+)@(\d+)$")


def symbols(nm, path, kind):
    """{name: bytes} of the decorated symbols of one kind ('U' undefined, 'T' defined code)."""
    out = subprocess.run([nm, path], check=True, capture_output=True, text=True).stdout
    found = {}
    for line in out.splitlines():
        fields = line.split()
        if len(fields) < 2 or fields[-2] != kind:
            continue
        m = DECORATED.match(fields[-1])
        if m:
            found[m.group(1)] = int(m.group(2))
    return found


def main():
    nm, obj, implib = sys.argv[1:4]
    names = sys.argv[4] if len(sys.argv) > 4 else None
    ours = symbols(nm, obj, "U")
    library = symbols(nm, implib, "T")
    failures = []
    if not ours:
        failures.append(f"{obj} refers to no __stdcall function")
    if names:
        with open(names) as f:
            listed = {line.strip() for line in f if line.strip()}
        failures += [f"{n}: listed but not declared" for n in sorted(listed - ours.keys())]
        failures += [f"{n}: declared but not listed" for n in sorted(ours.keys() - listed)]
    for name, pushed in sorted(ours.items()):
        if name in library:
            if pushed != library[name]:
                failures.append(f"{name}: the program's 32-bit calls push {pushed} bytes, "
                                f"the library's function takes {library[name]}")
            if name in UNLISTED:
                failures.append(f"{name}: the library lists it now; take it off the unlisted ones")
        elif name in UNLISTED:
            if pushed != UNLISTED[name]:
                failures.append(f"{name}: the program's 32-bit calls push {pushed} bytes, "
                                f"its published parameters take {UNLISTED[name]}")
        else:
            failures.append(f"{name}: the library does not list it, nor does this check "
                            f"(the program's calls push {pushed} bytes)")
    for line in failures:
        print(line)
    print(f"{len(ours)} signatures, {len(failures)} failure{'' if len(failures) == 1 else 's'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
