"""The Python call against `zeltra5-calc --batch`: the same random requests of every pair, in
and out of the domain, must give identical statuses and phases and bit-identical doubles."""

import csv
import io
import struct
import subprocess

import numpy as np
import pytest

import zeltra5

# Ranges wider than the domain (6417 Pa to 84.47 MPa, -77 to 450 degC) in SI units.
RANGES = {
    "p": ("log", 1e3, 2e8),
    "t": ("lin", -110.0, 520.0),
    "x": ("lin", -0.2, 1.2),
    "h": ("lin", -4e5, 3.2e6),
    "u": ("lin", -4e5, 3.0e6),
    "s": ("lin", -2e3, 1.3e4),
    "rho": ("log", 1e-3, 900.0),
}
PAIR_VALUES = {
    "p-x": ("p", "x"), "ps-liquid": ("p",), "ps-vapour": ("p",), "ts-liquid": ("t",),
    "ts-vapour": ("t",), "p-t": ("p", "t"), "p-h": ("p", "h"), "p-u": ("p", "u"),
    "p-s": ("p", "s"), "p-rho": ("p", "rho"), "t-rho": ("t", "rho"),
}
# Display units: bar and kJ.
DISPLAY_SCALE = {"p": 1e-5, "h": 1e-3, "u": 1e-3, "s": 1e-3}
POINTS = 800


def draw(rng, quantity, n, units):
    kind, lo, hi = RANGES[quantity]
    v = np.exp(rng.uniform(np.log(lo), np.log(hi), n)) if kind == "log" else rng.uniform(lo, hi, n)
    if units == "display":
        v = v * DISPLAY_SCALE.get(quantity, 1.0)
    # Round to a few digits now and then, as people type them (and hit edges exactly).
    typed = rng.random(n) < 0.3
    v[typed] = np.round(v[typed], 2)
    return v


def bits(v):
    return struct.pack("<d", v)


def same_double(a, b):
    return (np.isnan(a) and np.isnan(b)) or bits(a) == bits(b)


@pytest.mark.parametrize("units,reference", [("si", "default"), ("display", "iir"),
                                             ("si", "nbp")])
def test_vector_and_scalar_calls_equal_the_batch_bit_for_bit(calc_program, units, reference):
    rng = np.random.default_rng(20261209)
    groups = []  # (pair, superheat, first, second)
    for pair, quantities in PAIR_VALUES.items():
        for superheat in ([False] if len(quantities) == 1 else [False, True]):
            first = draw(rng, quantities[0], POINTS, units)
            second = draw(rng, quantities[1], POINTS, units) if len(quantities) == 2 else None
            groups.append((pair, superheat, first, second))
    lines = []
    for pair, superheat, first, second in groups:
        side = 1 if superheat else 0
        for i in range(len(first)):
            b = repr(float(second[i])) if second is not None else "0"
            lines.append(f"{pair},{side},{float(first[i])!r},{b}")
    command = [calc_program, "--batch", "--units", units, "--reference", reference, "--lang", "en"]
    run = subprocess.run(command,
                         input="\n".join(lines) + "\n", capture_output=True, text=True,
                         check=True)
    rows = list(csv.reader(io.StringIO(run.stdout)))[2:]
    assert len(rows) == len(lines)
    header = list(csv.reader(io.StringIO(run.stdout)))[0]
    col = {name: k for k, name in enumerate(header)}

    at = 0
    statuses = set()
    for pair, superheat, first, second in groups:
        r = zeltra5.calculate(pair, first, second, superheat=superheat, units=units,
                              reference=reference)
        names = r.phase_name
        for i in range(len(first)):
            row = rows[at]
            at += 1
            where = f"{pair} {first[i]!r} {None if second is None else second[i]!r}"
            status = int(row[col["status"]])
            statuses.add(status)
            assert int(r.status[i]) == status, where
            for name in zeltra5.FIELDS:
                text = row[col[name]]
                expected = float(text) if text else float("nan")
                got = float(getattr(r, name)[i])
                assert same_double(got, expected), f"{where}: {name} {got!r} != {text}"
            if status == 0:
                assert int(r.phase[i]) == int(row[col["phase"]]), where
                assert int(r.phase_detail[i]) == int(row[col["phase_detail"]]), where
                assert names[i] == row[col["phase_name"]], where
            # Every tenth point again through the scalar call, with its refusal's words.
            if i % 10 == 0:
                s = zeltra5.calculate(pair, float(first[i]),
                                      None if second is None else float(second[i]),
                                      superheat=superheat, units=units, reference=reference)
                assert s.status == status, where
                assert all(same_double(getattr(s, n), getattr(r, n)[i]) for n in zeltra5.FIELDS)
                if status == 1:
                    assert row[col["error"]].endswith(s.error), where
    # The random set reaches both sides of the domain's edges.
    assert statuses == {0, 1}
