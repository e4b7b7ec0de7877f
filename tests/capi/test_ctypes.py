#!/usr/bin/python3
"""libzeltra5.so through Python's ctypes against zeltra5-calc: the same doubles, bit for bit.

  test_ctypes.py LIBZELTRA5_SO ZELTRA5_CALC

For a grid over every argument pair (valid states, states outside the domain, the superheated
liquid) in several unit systems and reference states, zeltra5-calc --batch answers each request
and the library answers it through zeltra5_calculate and zeltra5_property; status, phase, every
field (empty cell = NaN), the refusal's words and the phase's name must agree. A few states also
go through zeltra5-calc --json and zeltra5_saturated, and a few property tables and diagrams
through zeltra5-calc table --csv and diagram: the same bytes.
"""

import csv
import ctypes
import io
import json
import math
import struct
import subprocess
import sys

FIELDS = 19

# (pair, mode, side, first values, second values), display units: bar, degC, kJ/kg, kJ/(kg degC).
AXES = [
    ("p-x", 0, 0, [0.05, 0.5, 10, 60, 113, 120], [-0.1, 0, 0.3, 1, 1.2]),
    ("ps-liquid", 1, 1, [0.06, 0.07, 1.01325, 10, 113.3, 113.4], [0]),
    ("ps-vapour", 1, 2, [0.5, 25, 113], [0]),
    ("ts-liquid", 2, 1, [-78, -77, -33.3, 0, 132, 132.5], [0]),
    ("ts-vapour", 2, 2, [-50, 25, 130], [0]),
    ("p-t", 3, 0, [0.05, 0.5, 10, 50, 113.5, 300, 900], [-80, -50, 0, 25, 132.4, 200, 460]),
    ("p-t", 3, 1, [1, 10], [-30, 20, 40, 60]),
    ("p-h", 4, 0, [0.5, 10, 113.34, 200], [-100, 0, 500, 1200, 1500, 1700, 2500, 5000]),
    ("p-u", 5, 0, [2, 40], [100, 900, 1500]),
    ("p-s", 6, 0, [0.5, 10, 150], [0, 1, 3, 5, 6, 8, 12]),
    ("p-rho", 7, 0, [1, 10, 120], [0.5, 5, 50, 300, 600, 700]),
    ("t-rho", 8, 0, [-60, 0, 132.3, 300], [0.1, 8, 235, 400, 650, 800]),
]

# (zeltra5-calc options, the library's options text)
CONFIGURATIONS = [
    ([], "units=display"),
    (["--si"], "units=si"),
    (["--reference", "iir"], "units=display;reference=iir"),
    (["--si", "--reference", "nbp"], "units=si;reference=nbp"),
    (["--units", "display", "--reference", "ashrae"], "reference=ashrae;units=display"),
]

failures = []


def fail(text):
    failures.append(text)
    if len(failures) <= 40:
        print("FAILED:", text)


def bits(x):
    return struct.pack("<d", x)


def load(path):
    lib = ctypes.CDLL(path)
    c_str, c_double, c_int = ctypes.c_char_p, ctypes.c_double, ctypes.c_int
    p_double, p_int = ctypes.POINTER(c_double), ctypes.POINTER(c_int)
    signatures = {
        "zeltra5_version": (c_str, []),
        "zeltra5_version_number": (c_int, []),
        "zeltra5_property_v2": (c_double, [c_str, c_str, c_double, c_double, c_str, p_int]),
        "zeltra5_property": (c_double, [c_str, c_str, c_double, c_double, c_str]),
        "zeltra5_calculate": (c_int, [c_str, c_double, c_double, c_str, p_double, c_int, p_int,
                                      p_int]),
        "zeltra5_saturated": (c_int, [c_str, c_double, c_double, c_str, c_int, p_double, c_int,
                                      p_int, p_int]),
        "zeltra5_explain": (c_int, [c_str, c_double, c_double, c_str, c_str, c_int]),
        "zeltra5_explain_saturated": (c_int, [c_str, c_double, c_double, c_str, c_int, c_str,
                                              c_int]),
        "zeltra5_field_count": (c_int, []),
        "zeltra5_field_name": (c_str, [c_int]),
        "zeltra5_field_symbol": (c_str, [c_int]),
        "zeltra5_field_index": (c_int, [c_str]),
        "zeltra5_field_unit": (c_str, [c_int, c_str]),
        "zeltra5_field_defined": (c_int, [c_int, c_int, c_int]),
        "zeltra5_phase_name": (c_str, [c_int, c_int, c_str]),
        "zeltra5_pair_count": (c_int, []),
        "zeltra5_pair_name": (c_str, [c_int]),
        "zeltra5_pair_value_count": (c_int, [c_str]),
        "zeltra5_pair_count_v2": (c_int, []),
        "zeltra5_pair_name_v2": (c_str, [c_int]),
        "zeltra5_table_csv": (c_int, [c_str, c_double, c_str, c_str, c_str, c_int]),
        "zeltra5_diagram_svg": (c_int, [c_str, c_str, c_double, c_double, c_str, c_str, c_int]),
        "zeltra5_diagram_cycle_svg": (c_int, [c_str, c_double, c_double, c_double, c_double,
                                              c_double, c_str, c_str, c_int]),
    }
    for name, (result, arguments) in signatures.items():
        f = getattr(lib, name)
        f.restype = result
        f.argtypes = arguments
    return lib


class Library:
    def __init__(self, path):
        self.lib = load(path)
        self.names = [self.lib.zeltra5_field_name(k).decode() for k in range(FIELDS)]
        self.symbols = [self.lib.zeltra5_field_symbol(k).decode() for k in range(FIELDS)]

    def calculate(self, pair, first, second, options, side=0):
        values = (ctypes.c_double * FIELDS)()
        phase, detail = ctypes.c_int(-99), ctypes.c_int(-99)
        args = (pair.encode(), first, second, options.encode())
        if side:
            status = self.lib.zeltra5_saturated(*args, side, values, FIELDS, ctypes.byref(phase),
                                                ctypes.byref(detail))
        else:
            status = self.lib.zeltra5_calculate(*args, values, FIELDS, ctypes.byref(phase),
                                                ctypes.byref(detail))
        return status, list(values), phase.value, detail.value

    def explain(self, pair, first, second, options, side=0):
        args = (pair.encode(), first, second, options.encode())
        if side:
            length = self.lib.zeltra5_explain_saturated(*args, side, None, 0)
            text = ctypes.create_string_buffer(length + 1)
            self.lib.zeltra5_explain_saturated(*args, side, text, length + 1)
        else:
            length = self.lib.zeltra5_explain(*args, None, 0)
            text = ctypes.create_string_buffer(length + 1)
            self.lib.zeltra5_explain(*args, text, length + 1)
        return text.value.decode()

    def phase_name(self, phase, detail, options):
        return self.lib.zeltra5_phase_name(phase, detail, options.encode()).decode()


def requests(si):
    """(pair, side, first text, second text, options suffix) in display or SI units."""
    for pair, mode, side, firsts, seconds in AXES:
        pressure_first = mode not in (2, 8)
        kilo_second = mode in (4, 5, 6)
        for a in firsts:
            for b in seconds:
                if si and pressure_first:
                    a_text = repr(a * 100000.0)
                else:
                    a_text = repr(float(a))
                b_text = repr(b * 1000.0 if si and kilo_second else float(b))
                superheat = side == 1 and mode not in (1, 2)
                yield mode, side, pair, a_text, b_text, ";superheat=1" if superheat else ""


def number(cell):
    return math.nan if cell in ("", None) else float(cell)


def same(a, b):
    return (math.isnan(a) and math.isnan(b)) or bits(a) == bits(b)


def compare_batch(lib, calc, cli_options, options):
    si = "units=si" in options
    grid = list(requests(si))
    text = "".join(f"{mode},{side},{a},{b}\n" for mode, side, _, a, b, _ in grid)
    run = subprocess.run([calc, "--batch", *cli_options], input=text.encode(),
                         capture_output=True, check=False)
    if run.returncode not in (0, 1):
        fail(f"zeltra5-calc --batch {' '.join(cli_options)} exited {run.returncode}: "
             f"{run.stderr.decode()[:300]}")
        return 0, 0
    reader = csv.DictReader(io.StringIO(run.stdout.decode()))
    rows = list(reader)
    missing = {"status", "error", "phase", "phase_detail", "phase_name", *lib.names}
    missing -= set(reader.fieldnames or [])
    if missing:
        fail(f"zeltra5-calc --batch {' '.join(cli_options)} gives no column {sorted(missing)}")
        return 0, 0
    if not rows or rows[0]["status"] != "units":
        fail(f"zeltra5-calc --batch {' '.join(cli_options)} gives no line of units")
        return 0, 0
    units = rows.pop(0)
    for k, name in enumerate(lib.names):
        unit = lib.lib.zeltra5_field_unit(k, options.encode()).decode()
        if unit != units[name]:
            fail(f"unit of {name} {unit!r}, zeltra5-calc {units[name]!r} ({options})")
    if len(rows) != len(grid):
        fail(f"{len(rows)} answers to {len(grid)} requests ({options})")
        return 0, 0
    valid = 0
    for (mode, side, pair, a_text, b_text, suffix), row in zip(grid, rows):
        where = f"{pair} {a_text} {b_text}{suffix} [{options}]"
        opts = options + suffix
        a, b = float(a_text), float(b_text)
        status, values, phase, detail = lib.calculate(pair, a, b, opts)
        if str(status) != row["status"]:
            fail(f"{where}: status {status}, zeltra5-calc {row['status']}")
            continue
        valid += status == 0
        if status == 0 and (str(phase), str(detail)) != (row["phase"], row["phase_detail"]):
            fail(f"{where}: phase {phase} {detail}, zeltra5-calc {row['phase']} "
                 f"{row['phase_detail']}")
        for k, name in enumerate(lib.names):
            expected = number(row[name])
            if not same(values[k], expected):
                fail(f"{where}: {name} {values[k]!r}, zeltra5-calc {row[name]!r}")
            one = lib.lib.zeltra5_property(lib.symbols[k].encode(), pair.encode(), a, b,
                                           opts.encode())
            if not same(one, values[k]):
                fail(f"{where}: zeltra5_property({lib.symbols[k]}) {one!r}")
        # The command line names its own option where the library's text names superheat=1.
        expected_error = row["error"].replace("with --superheat:", "with superheat=1:")
        if lib.explain(pair, a, b, opts) != expected_error:
            fail(f"{where}: explanation {lib.explain(pair, a, b, opts)!r}, zeltra5-calc "
                 f"{row['error']!r}")
        if status == 0 and lib.phase_name(phase, detail, "lang=ru") != row["phase_name"]:
            fail(f"{where}: phase name {lib.phase_name(phase, detail, 'lang=ru')!r}, "
                 f"zeltra5-calc {row['phase_name']!r}")
        # zeltra5_property_v2: the same values, and an empty cell of a valid row is "undefined"
        # (after the explanation: an undefined field is explained to the next zeltra5_explain).
        for k, name in enumerate(lib.names):
            v2_status = ctypes.c_int(-99)
            two = lib.lib.zeltra5_property_v2(name.encode(), pair.encode(), a, b, opts.encode(),
                                              ctypes.byref(v2_status))
            expected_status = status if status != 0 else 3 if row[name] == "" else 0
            if not same(two, values[k]) or v2_status.value != expected_status:
                fail(f"{where}: zeltra5_property_v2({name}) {two!r}, status {v2_status.value}, "
                     f"not {expected_status}")
    return len(grid), valid


def compare_json(lib, calc):
    """Single states through --json, with the units of every field and the saturated states."""
    cases = [("p-t", "10", "25", [], "units=display"),
             ("p-h", "1000000", "1500000", ["--si"], "units=si"),
             ("p-x", "5", "0.3", ["--reference", "iir"], "units=display;reference=iir"),
             ("p-t", "10", "500", [], "units=display"),
             ("ts-vapour", "-10", None, ["--lang", "en"], "units=display")]
    for pair, a_text, b_text, cli_options, options in cases:
        args = [calc, pair, a_text] + ([b_text] if b_text else []) + ["--json", *cli_options]
        run = subprocess.run(args, capture_output=True, check=False)
        where = " ".join(args[1:])
        try:
            answer = json.loads(run.stdout.decode())
        except ValueError:
            fail(f"{where}: no JSON: {run.stdout.decode()[:200]!r}")
            continue
        a, b = float(a_text), float(b_text or 0)
        status, values, phase, detail = lib.calculate(pair, a, b, options)
        if status != answer["status"] or run.returncode != status:
            fail(f"{where}: status {status}, zeltra5-calc {answer['status']}")
        for k, name in enumerate(lib.names):
            expected = math.nan if answer[name] is None else float(answer[name])
            if not same(values[k], expected):
                fail(f"{where}: {name} {values[k]!r}, zeltra5-calc {answer[name]!r}")
            unit = lib.lib.zeltra5_field_unit(k, options.encode()).decode()
            if unit != answer["units"][name]:
                fail(f"{where}: unit of {name} {unit!r}, zeltra5-calc {answer['units'][name]!r}")
        if (answer["error"] or "") != lib.explain(pair, a, b, options):
            fail(f"{where}: explanation {lib.explain(pair, a, b, options)!r}")
        for side in (1, 2):
            s, sat, sat_phase, sat_detail = lib.calculate(pair, a, b, options, side)
            if s == 0:
                if (sat_phase, sat_detail) != (side, 0) or not same(sat[1], values[1]):
                    fail(f"{where}: saturated side {side}: phase {sat_phase}, p {sat[1]!r}")
            elif status == 0 and phase != 3:
                fail(f"{where}: no saturated state {side}: {lib.explain(pair, a, b, options, side)}")


# (zeltra5-calc table arguments, the library's kind, fixed value, range and options)
TABLES = [
    (["saturation", "t=-70:130:5"], "saturation-t", 0.0, "-70:130:5", "units=display;lang=ru"),
    (["isotherm", "t=25", "p=1:100:*1.5", "--si", "--lang", "en"], "isotherm", 25.0,
     "1:100:*1.5", ""),
    (["isobar", "p=10", "t=20,30,40", "--superheat", "--lang", "en"], "isobar", 10.0,
     "20,30,40", "units=display;superheat=1"),
]

# (zeltra5-calc diagram arguments, the library's type, pair, values and options)
DIAGRAMS = [
    (["ph", "--state", "p-t", "10", "25", "--lang", "en"], "ph", "p-t", 10.0, 25.0,
     "units=display"),
    (["ts", "--state", "ts-vapour", "-10", "--reference", "iir"], "ts", "ts-vapour", -10.0, 0.0,
     "units=display;reference=iir;lang=ru"),
    (["ph", "--si", "--lang", "en"], "ph", "", 0.0, 0.0, None),
]


def text_of(function, *args):
    length = function(*args, None, 0)
    if length < 0:
        return None
    text = ctypes.create_string_buffer(length + 1)
    function(*args, text, length + 1)
    return text.raw[:length]


def compare_texts(lib, calc):
    """The table CSV and the diagram SVG: zeltra5-calc's bytes."""
    for cli_args, kind, fixed, values, options in TABLES:
        expected = subprocess.run([calc, "table", *cli_args, "--csv"], capture_output=True).stdout
        got = text_of(lib.lib.zeltra5_table_csv, kind.encode(), fixed, values.encode(),
                      options.encode())
        if got != expected:
            fail(f"table {' '.join(cli_args)}: the CSV differs from zeltra5-calc's")
    for cli_args, kind, pair, first, second, options in DIAGRAMS:
        expected = subprocess.run([calc, "diagram", *cli_args], capture_output=True).stdout
        got = text_of(lib.lib.zeltra5_diagram_svg, kind.encode(), pair.encode(), first, second,
                      None if options is None else options.encode())
        if got != expected:
            fail(f"diagram {' '.join(cli_args)}: the SVG differs from zeltra5-calc's")
    cycle = ["ph", "--cycle", "--evaporating", "-10", "--condensing", "35", "--superheat", "5",
             "--subcooling", "2", "--efficiency", "0.75", "--lang", "en"]
    expected = subprocess.run([calc, "diagram", *cycle], capture_output=True).stdout
    got = text_of(lib.lib.zeltra5_diagram_cycle_svg, b"ph", -10.0, 35.0, 5.0, 2.0, 0.75,
                  b"units=display")
    if got != expected:
        fail("diagram with a cycle: the SVG differs from zeltra5-calc's")


def main():
    lib = Library(sys.argv[1])
    calc = sys.argv[2]
    version = lib.lib.zeltra5_version().decode()
    if version != "1.8.0" or lib.lib.zeltra5_field_count() != FIELDS:
        fail(f"version {version}, {lib.lib.zeltra5_field_count()} fields")
    states = valid = 0
    for cli_options, options in CONFIGURATIONS:
        n, v = compare_batch(lib, calc, cli_options, options)
        states += n
        valid += v
    compare_json(lib, calc)
    compare_texts(lib, calc)
    print(f"{states} states ({valid} valid) in {len(CONFIGURATIONS)} unit and reference choices: "
          f"{'bit for bit the same as zeltra5-calc' if not failures else 'DIFFERENT'}")
    return 1 if failures or valid == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
