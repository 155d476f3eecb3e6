#!/usr/bin/env python3
"""Prints the delay-loaded imports of a MinGW-built program, one line per DLL: its name, then the
names its functions are looked up by ("#N" for one by ordinal).

Usage: delay-imports.py EXE DEBUG_FILE NM

The linker leaves the delay-import directory of the PE header empty for delay-load import
libraries made by dlltool; the descriptors are found by their symbols in the debug file, which
the shipped program names.
"""
import struct
import subprocess
import sys


class Image:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise SystemExit(f"{path}: not a PE file")
        sections, optional_size = struct.unpack_from("<H12xH", self.data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        self.pe32plus = magic == 0x20B
        self.base = struct.unpack_from("<Q" if self.pe32plus else "<I", self.data,
                                       optional + (24 if self.pe32plus else 28))[0]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            vsize, va, raw_size, raw = struct.unpack_from("<IIII", self.data, table + 40 * i + 8)
            self.sections.append((va, max(vsize, raw_size), raw))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise SystemExit(f"RVA {rva:#x} lies in no section")

    def u32(self, rva):
        return struct.unpack_from("<I", self.data, self.offset(rva))[0]

    def pointer(self, rva):
        return struct.unpack_from("<Q" if self.pe32plus else "<I", self.data, self.offset(rva))[0]

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")


def descriptors(debug_file, nm):
    out = subprocess.run([nm, debug_file], check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and "__DELAY_IMPORT_DESCRIPTOR_" in parts[2]:
            yield int(parts[0], 16)


def main():
    exe, debug_file, nm = sys.argv[1:4]
    image = Image(exe)
    ordinal_flag = 1 << (63 if image.pe32plus else 31)
    step = 8 if image.pe32plus else 4
    for va in sorted(descriptors(debug_file, nm)):
        rva = va - image.base
        attributes, name, _, _, names = (image.u32(rva + 4 * i) for i in range(5))
        if attributes & 1 == 0:
            raise SystemExit(f"descriptor at {va:#x} does not use RVAs")
        functions = []
        entry = names
        while (thunk := image.pointer(entry)) != 0:
            functions.append(f"#{thunk & 0xFFFF}" if thunk & ordinal_flag else image.text(thunk + 2))
            entry += step
        print(image.text(name), *functions)


if __name__ == "__main__":
    main()
