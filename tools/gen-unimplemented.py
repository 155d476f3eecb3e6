#!/usr/bin/env python3
"""Writes tests/browser/Unimplemented.h: for each COM interface named below, a base class that
answers every method of the interface and of its bases (IUnknown and IDispatch left out) with
E_NOTIMPL, so that a test double overrides only what it serves.

The declarations are read from the cross compiler's headers (the C++ form of each interface, after
MIDL_INTERFACE); default arguments are dropped and parameter names kept as comments. Append an
interface to INTERFACES and run the script again; its output is checked in.

  python3 tools/gen-unimplemented.py [--include DIR] [--output FILE]
"""

import argparse
import os
import re
import subprocess
import sys

# (header, interface), in the order the classes are written.
INTERFACES = [
    ("objidl.h", "IEnumUnknown"),
    ("objidl.h", "IPersistFile"),
    ("ocidl.h", "IPersistStreamInit"),
    ("oleidl.h", "IOleContainer"),
    ("oleidl.h", "IViewObject"),
    ("docobj.h", "IOleCommandTarget"),
    ("exdisp.h", "IWebBrowser2"),
    ("mshtml.h", "IHTMLElement"),
    ("mshtml.h", "IHTMLElement2"),
    ("mshtml.h", "IHTMLBodyElement"),
    ("mshtml.h", "IHTMLInputElement"),
    ("mshtml.h", "IHTMLSelectElement"),
    ("mshtml.h", "IHTMLTextAreaElement"),
    ("mshtml.h", "IHTMLRect"),
    ("mshtml.h", "IHTMLElementCollection"),
    ("mshtml.h", "IHTMLLocation"),
    ("mshtml.h", "IHTMLSelectionObject"),
    ("mshtml.h", "IHTMLTxtRange"),
    ("mshtml.h", "IHTMLWindow2"),
    ("mshtml.h", "IHTMLDocument2"),
    ("mshtml.h", "IHTMLDocument3"),
    ("urlmon.h", "IInternetSecurityManager"),
    ("urlmon.h", "IInternetZoneManager"),
    ("exdisp.h", "IShellUIHelper"),
    ("shobjidl.h", "IShellFolder"),
    ("exdisp.h", "IShellWindows"),
    ("mshtml.h", "IHTMLFrameElement"),
    ("oleidl.h", "IOleObject"),
]

# Bases whose methods the doubles write themselves.
ROOTS = {"IUnknown", "IDispatch"}

INTERFACE_RE = re.compile(
    r'MIDL_INTERFACE\("[0-9a-fA-F-]+"\)\s*\n(\w+)\s*:\s*public\s+(\w+)\s*\{(.*?)\n\};', re.S)
METHOD_RE = re.compile(r"virtual\s+(.+?)\s+STDMETHODCALLTYPE\s+(\w+)\(\s*(.*?)\)\s*=\s*0;", re.S)


def default_include_dir():
    """The include folder of the i686 cross compiler."""
    try:
        out = subprocess.run(
            ["i686-w64-mingw32-g++-posix", "-xc++", "-E", "-v", "-"],
            input="", capture_output=True, text=True, check=False).stderr
    except OSError:
        out = ""
    for line in out.splitlines():
        path = line.strip()
        if os.path.isfile(os.path.join(path, "mshtml.h")):
            return path
    return "/usr/share/mingw-w64/include"


def split_params(text):
    """Splits a parameter list at its top-level commas (not inside parentheses or literals)."""
    params, depth, current, quote = [], 0, "", None
    i = 0
    while i < len(text):
        c = text[i]
        if quote:
            current += c
            if c == "\\":
                current += text[i + 1]
                i += 1
            elif c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            current += c
        elif c == "(":
            depth += 1
            current += c
        elif c == ")":
            depth -= 1
            current += c
        elif c == "," and depth == 0:
            params.append(current)
            current = ""
        else:
            current += c
        i += 1
    if current.strip():
        params.append(current)
    return [" ".join(p.split()) for p in params]


def strip_default(param):
    """The parameter without its default argument (which may be a string literal)."""
    depth, quote = 0, None
    for i, c in enumerate(param):
        if quote:
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
        elif c == "(":
            depth += 1
        elif c == ")":
            depth -= 1
        elif c == "=" and depth == 0:
            return param[:i].rstrip()
    return param


def comment_name(param):
    """The parameter with its name turned into a comment, so that an unused one draws no
    warning."""
    pointer = re.search(r"\(\s*(?:STDMETHODCALLTYPE\s*)?\*\s*(\w+)\s*\)", param)
    if pointer:
        return param[:pointer.start(1)] + "/*" + pointer.group(1) + "*/" + param[pointer.end(1):]
    array = re.search(r"(\w+)\s*(\[[^\]]*\])$", param)
    if array:
        return param[:array.start(1)] + "/*" + array.group(1) + "*/" + array.group(2)
    name = re.search(r"(\w+)$", param)
    if not name or name.start() == 0:
        return param
    return param[:name.start()] + "/*" + name.group(1) + "*/"


def read_interfaces(include_dir, headers):
    found = {}
    for header in sorted(set(headers)):
        with open(os.path.join(include_dir, header), encoding="latin-1") as f:
            source = f.read()
        for m in INTERFACE_RE.finditer(source):
            name, base, body = m.group(1), m.group(2), m.group(3)
            if "#if" in body:
                sys.exit(f"{header}: {name} has conditional declarations; extend the generator")
            methods = []
            for mm in METHOD_RE.finditer(body):
                ret, method, params = " ".join(mm.group(1).split()), mm.group(2), mm.group(3)
                methods.append((ret, method, [strip_default(p) for p in split_params(params)]))
            found.setdefault(name, (base, methods, header))
    return found


def chain(found, name):
    """The methods of the interface and of its bases below the roots, base methods first."""
    methods = []
    while name not in ROOTS:
        if name not in found:
            sys.exit(f"interface {name} not found; add its header to INTERFACES")
        base, own, _ = found[name]
        methods = own + methods
        name = base
    return methods


def body_for(ret):
    if ret == "void":
        return "{}"
    if ret == "HRESULT":
        return "{ return E_NOTIMPL; }"
    return "{ return {}; }"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--include", default=None, help="the cross compiler's include folder")
    parser.add_argument("--output",
                        default=os.path.join(here, "..", "tests", "browser", "Unimplemented.h"))
    args = parser.parse_args()
    include_dir = args.include or default_include_dir()

    # The headers that hold the bases too (IPersist, IParseDisplayName, the older browser
    # interfaces): every header the list names, and the core COM headers.
    headers = [h for h, _ in INTERFACES] + ["objidl.h", "oleidl.h", "ocidl.h"]
    found = read_interfaces(include_dir, headers)

    out = [
        "// Generated by tools/gen-unimplemented.py from the cross compiler's headers: do not edit,",
        "// append to its list and run it again. Unimplemented<I> answers every method of I and of",
        "// its bases with E_NOTIMPL, except those of IUnknown and IDispatch, which each double",
        "// writes itself.",
        "#pragma once",
        "",
        "#include <windows.h>",
    ]
    for header in dict.fromkeys(h for h, _ in INTERFACES):
        out.append(f"#include <{header}>")
    out += ["", "namespace tn::test {", "", "template <typename I> class Unimplemented;", ""]
    for _, name in INTERFACES:
        out.append(f"template <> class Unimplemented<{name}> : public {name} {{")
        out.append("public:")
        for ret, method, params in chain(found, name):
            plist = ", ".join(comment_name(p) for p in params)
            out.append(
                f"    {ret} STDMETHODCALLTYPE {method}({plist}) override {body_for(ret)}")
        out.append("")
        out.append("protected:")
        out.append("    ~Unimplemented() = default;")
        out.append("};")
        out.append("")
    out.append("} // namespace tn::test")
    with open(args.output, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out) + "\n")
    # The project's layout, so that the checked-in file stays as the formatter leaves it.
    try:
        subprocess.run(["clang-format", "-i", args.output], check=True)
    except (OSError, subprocess.CalledProcessError) as e:
        sys.exit(f"clang-format failed: {e}")


if __name__ == "__main__":
    main()
