#!/usr/bin/python3
"""The C library's exports against zeltra5.h, zeltra5.def and the Excel module's declarations.

  check_exports.py --header zeltra5.h --def zeltra5.def --bas zeltra5.bas [--dll zeltra5.dll]
                   [--so libzeltra5.so.1]

Checks that the header, the .def file and the exports of each library name the same functions;
that every function zeltra5.bas declares is exported under that name, with argument and result
types that pass what the header's prototype takes (so that a renamed export or a wrong VBA type
cannot ship); that the .bas declares only PtrSafe functions inside "#If Win64" and is ASCII text
with CRLF lines, as the VBA editor imports it; that the DLL is a 64-bit DLL importing only system
DLLs; and that the shared object carries its soname. Prints the DLL's size and imports.
"""

import argparse
import os
import re
import struct
import subprocess
import sys

# DLLs every Windows has; anything else would have to ship beside zeltra5.dll.
SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll"}

# What a VBA declaration passes, as the C type that receives it (the x64 calling convention).
VBA_ARGUMENT_TYPES = {
    ("ByVal", "String"): "const char*",  # a pointer to an ANSI copy of the string
    ("ByVal", "Double"): "double",
    ("ByRef", "Double"): "double*",
    ("ByVal", "Long"): "int",
    ("ByRef", "Long"): "int*",
    ("ByRef", "Byte"): "char*",  # the first element of a Byte array
}
VBA_RESULT_TYPES = {"Long": "int", "Double": "double", "LongPtr": "const char*"}

problems = []


def problem(text):
    problems.append(text)


def header_prototypes(path):
    """{name: (result type, [parameter types])} of the ZELTRA5_API functions."""
    with open(path, encoding="ascii") as f:
        text = re.sub(r"/\*.*?\*/", " ", f.read(), flags=re.S)
    prototypes = {}
    for m in re.finditer(r"ZELTRA5_API\s+([^;(]*?)\b(zeltra5_\w+)\s*\(([^)]*)\)\s*;", text):
        params = []
        for p in m.group(3).split(","):
            p = " ".join(p.split())
            if p == "void":
                continue
            # "const char* options" -> "const char*"
            params.append(re.sub(r"\s*\b\w+$", "", p).replace(" *", "*"))
        prototypes[m.group(2)] = (" ".join(m.group(1).split()).replace(" *", "*"), params)
    return prototypes


def def_exports(path):
    with open(path, encoding="ascii") as f:
        lines = [line.split(";")[0].strip() for line in f]
    start = lines.index("EXPORTS")
    return {line.split()[0] for line in lines[start + 1:] if line}


def bas_declarations(path):
    """[(name, lib, [(passing, type)], result type, inside #If Win64)] of the Declare lines."""
    with open(path, "rb") as f:
        raw = f.read()
    try:
        text = raw.decode("ascii")
    except UnicodeDecodeError:
        problem(f"{path}: not ASCII (the VBA editor imports it in the system's code page)")
        text = raw.decode("latin-1")
    if raw.count(b"\n") != raw.count(b"\r\n"):
        problem(f"{path}: lines must end in CRLF, as the VBA editor imports them")
    if not text.startswith('Attribute VB_Name = "'):
        problem(f"{path}: the first line must name the module (Attribute VB_Name)")
    text = text.replace(" _\r\n", " ")
    declarations = []
    depth_win64 = []
    for line in text.split("\r\n"):
        stripped = line.strip()
        if stripped.startswith("#If "):
            depth_win64.append(stripped.startswith("#If Win64 Then"))
        elif stripped.startswith("#Else"):
            depth_win64[-1] = False
        elif stripped.startswith("#End If"):
            depth_win64.pop()
        if "Declare " not in stripped or stripped.startswith("'"):
            continue
        m = re.match(
            r'(?:Private |Public )?Declare (PtrSafe )?Function (\w+) Lib "([^"]+)" '
            r"\((.*)\) As (\w+)$",
            " ".join(stripped.split()),
        )
        if not m:
            problem(f"{path}: cannot read the declaration: {stripped}")
            continue
        if not m.group(1):
            problem(f"{path}: {m.group(2)} is not PtrSafe (64-bit Office refuses it)")
        params = []
        for p in m.group(4).replace("( ", "(").split(","):
            p = p.strip()
            if not p:
                continue
            pm = re.match(r"(ByVal|ByRef) \w+ As (\w+)$", p)
            if not pm:
                problem(f"{path}: {m.group(2)}: say ByVal or ByRef and the type: {p}")
                continue
            params.append((pm.group(1), pm.group(2)))
        declarations.append((m.group(2), m.group(3), params, m.group(5), any(depth_win64)))
    return declarations


class PE:
    """The export and import tables of a PE file."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError(f"{path} is not a PE file")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path} has no PE header")
        (self.machine, sections, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", d, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", d, optional)[0]
        directory = optional + (112 if self.magic == 0x20B else 96)
        self.directories = [struct.unpack_from("<II", d, directory + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            vsize, va, raw_size, raw = struct.unpack_from("<IIII", d, table + 40 * i + 8)
            self.sections.append((va, max(vsize, raw_size), raw))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def exports(self):
        rva, size = self.directories[0]
        if size == 0:
            return set()
        fields = struct.unpack_from("<IIHHIIIIIII", self.data, self.offset(rva))
        count, names = fields[7], fields[9]
        return {self.text(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
                for i in range(count)}

    def imports(self):
        rva, size = self.directories[1]
        dlls = []
        at = self.offset(rva) if size else None
        while at is not None:
            _, _, _, name, thunk = struct.unpack_from("<IIIII", self.data, at)
            if name == 0 and thunk == 0:
                break
            dlls.append(self.text(name))
            at += 20
        return dlls


def check_bas(bas, prototypes):
    declarations = bas_declarations(bas)
    declared = 0
    for name, lib, params, result, win64 in declarations:
        if not win64:
            problem(f"{bas}: {name} is declared outside #If Win64 (the DLL is 64-bit only)")
        if lib.lower() != "zeltra5.dll":
            continue
        declared += 1
        if name not in prototypes:
            problem(f"{bas}: {name} is not a function of zeltra5.h")
            continue
        c_result, c_params = prototypes[name]
        vba = [VBA_ARGUMENT_TYPES.get(p, f"{p[0]} {p[1]}") for p in params]
        if vba != c_params:
            problem(f"{bas}: {name} passes ({', '.join(vba)}), zeltra5.h takes "
                    f"({', '.join(c_params)})")
        if VBA_RESULT_TYPES.get(result) != c_result:
            problem(f"{bas}: {name} returns {result}, zeltra5.h {c_result}")
    if declared == 0:
        problem(f"{bas}: declares no function of zeltra5.dll")
    return {d[0] for d in declarations if d[1].lower() == "zeltra5.dll"}


def check_dll(dll, functions, declared):
    pe = PE(dll)
    if pe.machine != 0x8664 or pe.magic != 0x20B:
        problem(f"{dll}: not a 64-bit (x86-64, PE32+) image")
    if not pe.characteristics & 0x2000:
        problem(f"{dll}: not a DLL")
    exports = pe.exports()
    if exports != functions:
        problem(f"{dll}: exports {sorted(exports - functions)} beyond zeltra5.h, "
                f"lacks {sorted(functions - exports)}")
    for name in sorted(declared - exports):
        problem(f"{dll}: zeltra5.bas declares {name}, which the DLL does not export")
    imports = pe.imports()
    for name in imports:
        if name.lower() not in SYSTEM_DLLS:
            problem(f"{dll}: imports {name}, which is not a system DLL")
    print(f"{os.path.basename(dll)}: {os.path.getsize(dll)} bytes, "
          f"{len(exports)} exports, imports {', '.join(imports)}")


def check_so(so, functions):
    symbols = subprocess.run(["nm", "-D", "--defined-only", so], check=True,
                             capture_output=True, text=True).stdout
    exports = set()
    for line in symbols.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] in "TtWiDdBbRr":
            exports.add(parts[2].split("@")[0])
    if exports != functions:
        problem(f"{so}: exports {sorted(exports - functions)} beyond zeltra5.h, "
                f"lacks {sorted(functions - exports)}")
    dynamic = subprocess.run(["readelf", "-d", so], check=True, capture_output=True,
                             text=True).stdout
    if "Library soname: [libzeltra5.so.1]" not in dynamic:
        problem(f"{so}: soname is not libzeltra5.so.1")
    print(f"{os.path.basename(so)}: {os.path.getsize(so)} bytes, {len(exports)} exports")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--header", required=True)
    parser.add_argument("--def", dest="def_file", required=True)
    parser.add_argument("--bas", required=True)
    parser.add_argument("--dll")
    parser.add_argument("--so")
    args = parser.parse_args()

    prototypes = header_prototypes(args.header)
    functions = set(prototypes)
    if len(functions) < 3:
        problem(f"{args.header}: found only {sorted(functions)}")
    exported = def_exports(args.def_file)
    if exported != functions:
        problem(f"{args.def_file}: exports {sorted(exported - functions)} beyond zeltra5.h, "
                f"lacks {sorted(functions - exported)}")
    declared = check_bas(args.bas, prototypes)
    if args.dll:
        check_dll(args.dll, functions, declared)
    if args.so:
        check_so(args.so, functions)
    print(f"zeltra5.h: {len(functions)} functions; zeltra5.bas declares {len(declared)}")
    for p in problems:
        print("FAILED:", p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
