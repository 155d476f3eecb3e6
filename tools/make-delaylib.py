#!/usr/bin/env python3
"""Makes a delay-load import library for one system DLL from the toolchain's import library: the
DLL is then loaded at the first call of one of its functions, not when the program starts.

Usage: make-delaylib.py ARCH DLLNAME OUTPUT   (e.g. i686 comdlg32 delay/libcomdlg32.a)

Each function gets two members. One holds its slot in the delay-load address table, which points
at the function's loader thunk until the first call, and the slot's name entry. The other holds
the code: the jump through the slot (for calls made without the import declaration) and the
thunk. The i686 linker drops the code of an import-library member whose jump nothing calls, and
a program calls most functions through the slot alone (the headers declare them imported), so the
thunk must not share a member with the slot: its own member is pulled in by the slot's reference.
"""
import concurrent.futures
import os
import subprocess
import sys
import tempfile


def functions(arch, dll):
    """(symbol, exported name) of every function the toolchain's import library names. Those
    libraries import by name only and hold no data. A 32-bit symbol keeps its argument size, by
    which the linker resolves the program's calls; the DLL exports the name without it."""
    lib = f"/usr/{arch}-w64-mingw32/lib/lib{dll}.a"
    if not os.path.isfile(lib):
        raise SystemExit(f"no import library {lib}")
    out = subprocess.run([f"{arch}-w64-mingw32-nm", lib], check=True, capture_output=True,
                         text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] == "I" and parts[2].startswith("__imp_"):
            symbol = parts[2][len("__imp_"):]
            exported = symbol[1:] if arch == "i686" else symbol
            if arch == "i686" and "@" in exported:
                exported = exported[:exported.rindex("@")]
            names.add((symbol, exported))
    if not names:
        raise SystemExit(f"{lib} names no function")
    return sorted(names)


def q(symbol):
    return f'"{symbol}"'


class Target:
    def __init__(self, arch, tag):
        self.arch = arch
        self.wide = arch == "x86_64"
        self.word = ".quad" if self.wide else ".long"
        self.align = 3 if self.wide else 2
        # A C name as the assembler sees it: 32-bit names carry a leading underscore.
        self.tail_merge = ("" if self.wide else "_") + f"__tailMerge_{tag}"
        self.descriptor = f"__DELAY_IMPORT_DESCRIPTOR_{tag}"
        self.iname = f"__{tag}_iname"
        self.tag = tag

    def head(self):
        t = self.tag
        if self.wide:
            # The four argument registers, the four vector ones among them, survive the loading;
            # the unwind data lets an exception the loader raises pass through.
            merge = f"""
	.seh_proc {q(self.tail_merge)}
	pushq %rcx
	.seh_pushreg %rcx
	pushq %rdx
	.seh_pushreg %rdx
	pushq %r8
	.seh_pushreg %r8
	pushq %r9
	.seh_pushreg %r9
	subq $0x68, %rsp
	.seh_stackalloc 0x68
	movdqa %xmm0, 0x20(%rsp)
	.seh_savexmm %xmm0, 0x20
	movdqa %xmm1, 0x30(%rsp)
	.seh_savexmm %xmm1, 0x30
	movdqa %xmm2, 0x40(%rsp)
	.seh_savexmm %xmm2, 0x40
	movdqa %xmm3, 0x50(%rsp)
	.seh_savexmm %xmm3, 0x50
	.seh_endprologue
	movq %rax, %rdx
	leaq {q(self.descriptor)}(%rip), %rcx
	call __delayLoadHelper2
	movdqa 0x20(%rsp), %xmm0
	movdqa 0x30(%rsp), %xmm1
	movdqa 0x40(%rsp), %xmm2
	movdqa 0x50(%rsp), %xmm3
	addq $0x68, %rsp
	popq %r9
	popq %r8
	popq %rdx
	popq %rcx
	jmp *%rax
	.seh_endproc"""
        else:
            # The helper takes its two arguments off the stack; ecx and edx may carry arguments.
            merge = f"""
	pushl %ecx
	pushl %edx
	pushl %eax
	pushl ${q(self.descriptor)}
	call "___delayLoadHelper2@8"
	popl %edx
	popl %ecx
	jmp *%eax"""
        return f"""	.text
	.p2align 4
	.globl {q(self.tail_merge)}
{q(self.tail_merge)}:{merge}

	.data
	.p2align {self.align}
__handle_{t}:
	{self.word} 0

	.section .rdata,"dr"
	.p2align 2
	.globl {q(self.descriptor)}
{q(self.descriptor)}:
	.long 1
	.rva {q(self.iname)}
	.rva __handle_{t}
	.rva __iat_{t}
	.rva __int_{t}
	.long 0, 0, 0

	.section .idata$5,"w"
	.p2align {self.align}
	{self.word} 0
__iat_{t}:
	.section .idata$4,"w"
	.p2align {self.align}
	{self.word} 0
__int_{t}:
"""

    def tail(self, dll):
        return f"""	.section .idata$4,"w"
	.p2align {self.align}
	{self.word} 0
	.section .idata$5,"w"
	.p2align {self.align}
	{self.word} 0
	.section .idata$7,"w"
	.globl {q(self.iname)}
{q(self.iname)}:
	.asciz "{dll}.dll"
"""

    @staticmethod
    def thunk(symbol):
        return f"__tn_delay_load_{symbol}"

    def slot(self, symbol, exported):
        # The slot points at the thunk until the first call has put the function's address there.
        name_entry = ".rva 1f\n\t.long 0" if self.wide else ".rva 1f"
        return f"""	.section .idata$5,"w"
	.p2align {self.align}
	.globl {q("__imp_" + symbol)}
{q("__imp_" + symbol)}:
	{self.word} {q(self.thunk(symbol))}
	.section .idata$4,"w"
	.p2align {self.align}
	{name_entry}
	.section .idata$6,"w"
	.p2align 1
1:	.short 0
	.asciz "{exported}"
	.p2align 1
"""

    def code(self, symbol):
        slot = q("__imp_" + symbol)
        if self.wide:
            jump, load = f"jmp *{slot}(%rip)", f"leaq {slot}(%rip), %rax"
        else:
            jump, load = f"jmp *{slot}", f"movl ${slot}, %eax"
        return f"""	.text
	.p2align 2
	.globl {q(symbol)}
{q(symbol)}:
	{jump}
	.globl {q(self.thunk(symbol))}
{q(self.thunk(symbol))}:
	{load}
	jmp {q(self.tail_merge)}
"""


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("i686", "x86_64"):
        raise SystemExit(__doc__.split("\n\n")[1])
    arch, dll, output = sys.argv[1:4]
    tag = f"lib{dll}_a"
    target = Target(arch, tag)
    # The linker orders the table's pieces by member name: head, slots, tail.
    members = [(f"{tag}_h", target.head())]
    for i, (symbol, exported) in enumerate(functions(arch, dll)):
        members.append((f"{tag}_s{i:05d}", target.slot(symbol, exported)))
        members.append((f"{tag}_c{i:05d}", target.code(symbol)))
    members.append((f"{tag}_t", target.tail(dll)))

    output = os.path.abspath(output)
    os.makedirs(os.path.dirname(output), exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        def assemble(member):
            name, source = member
            path = os.path.join(work, name)
            with open(path + ".s", "w") as f:
                f.write(source)
            subprocess.run([f"{arch}-w64-mingw32-as", "-o", path + ".o", path + ".s"], check=True)
            return name + ".o"

        with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
            objects = list(pool.map(assemble, members))
        partial = output + ".part"
        if os.path.exists(partial):
            os.remove(partial)
        subprocess.run([f"{arch}-w64-mingw32-ar", "rcs", partial, *objects], check=True, cwd=work)
        os.replace(partial, output)


if __name__ == "__main__":
    main()
