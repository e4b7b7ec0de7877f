#!/usr/bin/python3
"""The ctypes example of README.md's C section, run against the built library.

  test_readme_ctypes.py README.md LIBZELTRA5_SO

Takes the one fenced python block of the section "C library and Excel" that loads the library
with ctypes, runs it with this interpreter (ZELTRA5_LIBRARY naming the library) and compares its
printed lines with the block's "# -> " comments, in order: the example must run and say what the
README says it says.
"""

import os
import re
import subprocess
import sys


def example(readme):
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    section = re.search(r"^## C library and Excel\n(.*?)(?=^## )", text, re.S | re.M)
    if not section:
        sys.exit(f"{readme}: no section \"C library and Excel\"")
    blocks = [b for b in re.findall(r"^```python\n(.*?)^```$", section.group(1), re.S | re.M)
              if "ctypes.CDLL" in b]
    if len(blocks) != 1:
        sys.exit(f"{readme}: {len(blocks)} ctypes examples in the C section, not one")
    return blocks[0]


def main():
    readme, library = sys.argv[1:3]
    code = example(readme)
    expected = [m.group(1) for m in re.finditer(r"# -> (.*)$", code, re.M)]
    if len(expected) < 3:
        sys.exit("the example states fewer than 3 printed lines (# -> ...)")
    run = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                         env={**os.environ, "ZELTRA5_LIBRARY": os.path.abspath(library)},
                         timeout=120, check=False)
    printed = run.stdout.splitlines()
    failures = []
    if run.returncode != 0:
        failures.append(f"the example exited {run.returncode}: {run.stderr[-2000:]}")
    if printed != expected:
        failures.append(f"the example printed {printed}, the README says {expected}")
    for failure in failures:
        print("FAILED:", failure)
    if not failures:
        print(f"README's ctypes example: {len(expected)} lines as stated")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
