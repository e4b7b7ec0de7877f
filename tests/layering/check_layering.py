#!/usr/bin/env python3
"""The layout's dependency rules, checked over the sources.

Each folder of the library may include the headers of the folders below it only: surfaces ->
tables, cycle, tabulated, charts -> present -> calc -> flash -> fluid <- models; core below them all. Above
models/ nothing includes a particular model's header or names one: only the seam
(zeltra5/model.hpp) and the registry of models (zeltra5/models.hpp).
Usage: check_layering.py SOURCE_ROOT   (prints each breach; status 1 when there is one)
       check_layering.py --self-test     (the rules against a small tree of known breaches)
"""
import os
import re
import sys
import tempfile

# Folder -> the folders whose headers it may include (besides its own).
ALLOWED = {
    "core": [],
    "fluid": ["core"],
    "models": ["core", "fluid"],
    "flash": ["core", "fluid", "models"],
    "calc": ["core", "fluid", "models", "flash"],
    "present": ["core", "fluid", "models", "flash", "calc"],
    "tables": ["core", "fluid", "models", "flash", "calc", "present"],
    "cycle": ["core", "fluid", "models", "flash", "calc", "present"],
    "tabulated": ["core", "fluid", "models", "flash", "calc", "present"],
    "charts": ["core", "fluid", "models", "flash", "calc", "present", "tables", "cycle"],
}
# The umbrella header of the C++ library sits in calc/ for its installed name but gathers every
# layer, the Windows shell's result table included.
EXEMPT_FILES = {"calc/include/zeltra5/zeltra5.hpp"}
SURFACES = ["gui", "cli", "capi", "python", "web"]
# Above models/ only these of its headers are used.
SEAM_HEADERS = {"model.hpp", "models.hpp"}
MODEL_NAMES = re.compile(r"\b(Tr1993|tr1993::|Gao2023|gao2023::)")
INCLUDE = re.compile(r'^\s*#\s*include\s+"zeltra5/([^"]+)"', re.M)


def layer_of(rel):
    top = rel.split("/", 1)[0]
    return top


def header_owners(root):
    owners = {}
    for top in list(ALLOWED) + SURFACES:
        for dirpath, _, files in os.walk(os.path.join(root, top)):
            if os.sep + "include" + os.sep + "zeltra5" not in dirpath + os.sep:
                continue
            for f in files:
                rel_dir = os.path.relpath(dirpath, os.path.join(root, top))
                inner = rel_dir.split("include" + os.sep + "zeltra5", 1)[1].lstrip(os.sep)
                name = os.path.join(inner, f) if inner else f
                owners.setdefault(name, set()).add(top)
    return owners


def check(root):
    owners = header_owners(root)
    breaches = []
    for top in list(ALLOWED) + SURFACES:
        for dirpath, _, files in os.walk(os.path.join(root, top)):
            if "/node_modules" in dirpath or "/test" in dirpath.replace(root, ""):
                continue
            for f in files:
                if not f.endswith((".cpp", ".hpp", ".h", ".inc")):
                    continue
                path = os.path.join(dirpath, f)
                rel = os.path.relpath(path, root)
                if rel in EXEMPT_FILES:
                    continue
                text = open(path, encoding="utf-8", errors="replace").read()
                for header in INCLUDE.findall(text):
                    for owner in owners.get(header, ()):
                        if owner == top or owner in SURFACES:
                            continue
                        if top in ALLOWED and owner not in ALLOWED[top]:
                            breaches.append("%s includes zeltra5/%s of %s/" % (rel, header, owner))
                        if top != "models" and owner == "models" and header not in SEAM_HEADERS:
                            breaches.append("%s includes zeltra5/%s, a model's own header" %
                                            (rel, header))
                if top != "models":
                    for line_no, line in enumerate(text.splitlines(), 1):
                        if MODEL_NAMES.search(line):
                            breaches.append("%s:%d names a model: %s" % (rel, line_no,
                                                                         line.strip()))
    return breaches


# A small tree: (file, its text, how many breaches it holds).
SELF_TEST_TREE = [
    ("core/include/zeltra5/powers.hpp", "", 0),
    ("fluid/include/zeltra5/model.hpp", '#include "zeltra5/powers.hpp"\n', 0),
    ("models/include/zeltra5/models.hpp", '#include "zeltra5/tr1993.hpp"\n', 0),
    ("models/tr1993/include/zeltra5/tr1993.hpp", '#include "zeltra5/model.hpp"\n', 0),
    ("models/tr1993/src/eos.cpp", "tr1993::GAS_CONSTANT; Tr1993 m;\n", 0),
    ("flash/include/zeltra5/flash.hpp", '#include "zeltra5/model.hpp"\n', 0),
    ("flash/src/ok.cpp", '#include "zeltra5/models.hpp"\n#include "zeltra5/flash.hpp"\n', 0),
    # a model's own header above models/
    ("flash/src/direct.cpp", '#include "zeltra5/tr1993.hpp"\n', 1),
    # a layer below including one above
    ("fluid/src/up.cpp", '#include "zeltra5/flash.hpp"\n', 1),
    ("core/src/up.cpp", '#include "zeltra5/model.hpp"\n', 1),
    # naming a model or its constants above models/
    ("calc/src/named.cpp", "double p = tr1993::CRITICAL_PRESSURE;\nTr1993 model;\n", 2),
    ("calc/src/named2.cpp", "double m = gao2023::MOLAR_MASS;\nGao2023 model;\n", 2),
    # surfaces may include anything but a model's own header
    ("cli/src/main.cpp", '#include "zeltra5/flash.hpp"\n#include "zeltra5/models.hpp"\n', 0),
    ("capi/src/c.cpp", '#include "zeltra5/tr1993.hpp"\n', 1),
    # tests of a surface are not checked
    ("python/tests/t.cpp", '#include "zeltra5/tr1993.hpp"\n', 0),
]


def self_test():
    with tempfile.TemporaryDirectory() as root:
        for rel, text, _ in SELF_TEST_TREE:
            os.makedirs(os.path.dirname(os.path.join(root, rel)), exist_ok=True)
            with open(os.path.join(root, rel), "w", encoding="utf-8") as f:
                f.write(text)
        breaches = check(root)
        failures = 0
        for rel, _, expected in SELF_TEST_TREE:
            found = sum(1 for b in breaches if b.startswith(rel))
            if found != expected:
                print("%s: %d breaches found, %d expected" % (rel, found, expected))
                failures += 1
        print("self-test: %d of %d files as expected" %
              (len(SELF_TEST_TREE) - failures, len(SELF_TEST_TREE)))
        return 1 if failures else 0


def main():
    if sys.argv[1] == "--self-test":
        return self_test()
    root = os.path.abspath(sys.argv[1])
    breaches = check(root)
    for b in breaches:
        print(b)
    print("%d breaches of the layering" % len(breaches))
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main())
