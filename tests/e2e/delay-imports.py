#!/usr/bin/env python3
"""Prints the delay-loaded imports of a MinGW-built program, one line per DLL: its name, then the
names its functions are looked up by ("#N" for one by ordinal).

Fails (naming each) where a function's address slot does not start at its own loader stub: code
that loads this slot's address and jumps to the DLL's common loading routine. A slot that starts
anywhere else sends the function's first call there (to address 0 where the linker dropped the
stub).

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
            flags = struct.unpack_from("<I", self.data, table + 40 * i + 36)[0]
            self.sections.append((va, max(vsize, raw_size), raw, flags))

    def section(self, rva):
        for va, size, raw, flags in self.sections:
            if va <= rva < va + size:
                return va, raw, flags
        return None

    def offset(self, rva):
        found = self.section(rva)
        if not found:
            raise SystemExit(f"RVA {rva:#x} lies in no section")
        va, raw, _ = found
        return raw + rva - va

    def executable(self, rva):
        found = self.section(rva)
        return found is not None and found[2] & 0x20000000 != 0

    def code(self, rva, size):
        at = self.offset(rva)
        return self.data[at:at + size]

    def stub_target(self, stub_rva, slot_rva):
        """The routine the stub at stub_rva jumps to when it loads slot_rva's address, else None."""
        if not self.executable(stub_rva):
            return None
        code = self.code(stub_rva, 12)
        if self.pe32plus:  # lea rax, [rip + slot]; jmp rel32
            if code[:3] != b"\x48\x8d\x05" or code[7] != 0xE9:
                return None
            loads = stub_rva + 7 + struct.unpack_from("<i", code, 3)[0]
            end = 12
        else:  # mov eax, slot; jmp rel32
            if code[0] != 0xB8 or code[5] != 0xE9:
                return None
            loads = struct.unpack_from("<I", code, 1)[0] - self.base
            end = 10
        if loads != slot_rva:
            return None
        return stub_rva + end + struct.unpack_from("<i", code, end - 4)[0]

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
    wrong = []
    for va in sorted(descriptors(debug_file, nm)):
        rva = va - image.base
        attributes, name, _, slots, names = (image.u32(rva + 4 * i) for i in range(5))
        if attributes & 1 == 0:
            raise SystemExit(f"descriptor at {va:#x} does not use RVAs")
        dll = image.text(name)
        functions = []
        merges = set()
        entry = names
        while (thunk := image.pointer(entry)) != 0:
            function = f"#{thunk & 0xFFFF}" if thunk & ordinal_flag else image.text(thunk + 2)
            functions.append(function)
            slot = slots + (entry - names)
            start = image.pointer(slot)
            merge = image.stub_target(start - image.base, slot) if start else None
            if merge is None:
                wrong.append(f"{dll} {function}: its slot starts at {start:#x}, not at its own stub")
            else:
                merges.add(merge)
            entry += step
        if len(merges) > 1:
            wrong.append(f"{dll}: the stubs jump to {len(merges)} different loading routines")
        print(dll, *functions)
    if wrong:
        print("\n".join(wrong), file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
