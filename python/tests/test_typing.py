"""The type stub under mypy: the README's Python examples type-check as they stand, and the
types mypy infers are the ones the calls give (a State from numbers, results from arrays)."""

import os
import re
import subprocess
import sys
from pathlib import Path

import pytest

import zeltra5
from test_readme import python_examples

pytest.importorskip("mypy", reason="mypy is not installed (Debian package mypy): the stub "
                    "and the README's examples are not type-checked")

SETUP = """\
import numpy as np
import zeltra5
t = np.linspace(-50.0, 200.0, 11)
s = zeltra5.calculate("p-t", 1e6, 25.0)
r = zeltra5.calculate("p-t", 1e6, t)
table = zeltra5.table("saturation", t="0:10:1")
"""
# An expression and the type mypy must reveal for it.
REVEALED = [
    ('zeltra5.calculate("p-t", 1e6, 25.0)', "zeltra5.State"),
    ('zeltra5.calculate("p-t", 1000000, 25)', "zeltra5.State"),
    ('zeltra5.calculate("ts-liquid", np.float64(25.0))', "zeltra5.State"),
    ('zeltra5.calculate("ts-liquid", t, units="display")', "zeltra5.Calculation"),
    ('zeltra5.calculate("p-t", [1e6, 2e6], 25.0)', "zeltra5.Calculation"),
    ('zeltra5.calculate("p-t", 1e6, t, threads=2)', "zeltra5.Calculation"),
    ("r.saturated_liquid", "zeltra5.Results"),
    ("r.at(0)", "zeltra5.State"),
    ("r[1:3]", "zeltra5.Calculation"),
    ("r[r.valid]", "zeltra5.Calculation"),
    ("table[::2]", "zeltra5.Table"),
    ('r["p"]', "numpy.ndarray[Any, numpy.dtype[numpy.floating[numpy._typing._64Bit]]]"),
    ('s["rho"]', "builtins.float"),
    ("len(r)", "builtins.int"),
    ("s == s.saturated_vapour", "builtins.bool"),
    ("zeltra5.cycle(-10, 35).states[0]", "zeltra5.State"),
]
# Code mypy must refuse: the overloads tell a State from results.
REFUSED = [
    ('zeltra5.calculate("p-t", 1e6, 25.0).pressure[0]', "not indexable"),
    ('zeltra5.calculate("p-t", [1e6], 25.0).explain()', 'has no attribute "explain"'),
    ('zeltra5.calculate("p-t", 1e6, 25.0).saturated_liquid.shape', 'has no attribute "shape"'),
    ('s[0]', "str"),
]


def run_mypy(tmp_path, files):
    config = tmp_path / "mypy.ini"
    # matplotlib and dask of Debian 12 carry no types of their own.
    config.write_text("[mypy]\n[mypy-matplotlib.*]\nignore_missing_imports = True\n"
                      "[mypy-dask.*]\nignore_missing_imports = True\n", encoding="utf-8")
    env = dict(os.environ, MYPYPATH=str(Path(zeltra5.__file__).parents[1]))
    done = subprocess.run(
        [sys.executable, "-m", "mypy", "--config-file", str(config), "--cache-dir",
         str(tmp_path / "cache"), "--show-error-codes", "--no-error-summary",
         *[str(f) for f in files]],
        cwd=tmp_path, env=env, capture_output=True, text=True, timeout=600)
    messages = {}
    for line in done.stdout.splitlines():
        m = re.match(r"(.*?):(\d+): (\w+): (.*)", line)
        assert m, line
        messages.setdefault((Path(m[1]).name, int(m[2])), []).append((m[3], m[4]))
    return done, messages


def test_readme_examples_and_inferred_types(tmp_path):
    examples = python_examples()
    files = []
    for k, code in enumerate(examples):
        files.append(tmp_path / f"readme_{k + 1}.py")
        files[-1].write_text(code, encoding="utf-8")
    base = SETUP.count("\n")
    checks = SETUP + "".join(f"reveal_type({e})\n" for e, _ in REVEALED)
    refused = SETUP + "".join(f"{e}\n" for e, _ in REFUSED)
    (tmp_path / "reveal.py").write_text(checks, encoding="utf-8")
    (tmp_path / "refused.py").write_text(refused, encoding="utf-8")
    stub = Path(zeltra5.__file__).with_name("__init__.pyi")
    done, messages = run_mypy(tmp_path, files + [tmp_path / "reveal.py", tmp_path / "refused.py",
                                                 stub])
    for f in files:
        errors = [(line, text) for (name, line), found in messages.items() if name == f.name
                  for _, text in found]
        assert not errors, (f.name, errors, done.stderr)
    assert not [key for key in messages if key[0] == stub.name], done.stdout
    for k, (expression, revealed) in enumerate(REVEALED):
        found = messages.get(("reveal.py", base + k + 1), [])
        assert ("note", f'Revealed type is "{revealed}"') in found, (expression, found)
    for k, (expression, words) in enumerate(REFUSED):
        found = messages.get(("refused.py", base + k + 1), [])
        assert any(kind == "error" and words in text for kind, text in found), (expression,
                                                                                found)
    assert len(messages) == len(REVEALED) + len(REFUSED), done.stdout
