#!/usr/bin/python3
"""The tabulated properties of libzeltra5.so through Python's ctypes, as a caller declares them.

  test_tabulated_ctypes.py LIBZELTRA5_SO

For both models: a handle opened by name; random (p, h) states (by (p, T) and (p, x) over the
domain, some enthalpies pushed beyond it) through zeltra5_tabulated_calculate_array against
zeltra5_calculate one by one: the same status and phase everywhere and the same explanation of a
refusal; T within 1 mK and density, enthalpy and cp within 1e-6 outside the near-critical region.
A bad model or pair, a closed handle and too little room are refused; the handle closes once.
"""

import ctypes
import math
import random
import sys

N = 19
lib = ctypes.CDLL(sys.argv[1])
c_str, c_double, c_int = ctypes.c_char_p, ctypes.c_double, ctypes.c_int
P_double, P_int, handle_t = ctypes.POINTER(c_double), ctypes.POINTER(c_int), ctypes.c_void_p

lib.zeltra5_tabulated_open.restype = c_int
lib.zeltra5_tabulated_open.argtypes = [c_str, c_str, ctypes.POINTER(handle_t)]
lib.zeltra5_tabulated_close.restype = c_int
lib.zeltra5_tabulated_close.argtypes = [handle_t]
lib.zeltra5_tabulated_explain_open.restype = c_int
lib.zeltra5_tabulated_explain_open.argtypes = [c_str, c_str, ctypes.c_char_p, c_int]
lib.zeltra5_tabulated_calculate.restype = c_int
lib.zeltra5_tabulated_calculate.argtypes = [handle_t, c_double, c_double, P_double, c_int, P_int,
                                            P_int]
lib.zeltra5_tabulated_calculate_array.restype = c_int
lib.zeltra5_tabulated_calculate_array.argtypes = [handle_t, c_int, P_double, P_double, P_double,
                                                  c_int, P_int, P_int, P_int]
lib.zeltra5_tabulated_explain.restype = c_int
lib.zeltra5_tabulated_explain.argtypes = [handle_t, c_double, c_double, ctypes.c_char_p, c_int]
lib.zeltra5_calculate.restype = c_int
lib.zeltra5_calculate.argtypes = [c_str, c_double, c_double, c_str, P_double, c_int, P_int, P_int]
lib.zeltra5_explain.restype = c_int
lib.zeltra5_explain.argtypes = [c_str, c_double, c_double, c_str, ctypes.c_char_p, c_int]

failures = []


def check(ok, text):
    if not ok:
        failures.append(text)
        if len(failures) <= 30:
            print("FAILED:", text)


def text_of(call, *args):
    buffer = ctypes.create_string_buffer(400)
    call(*args, buffer, len(buffer))
    return buffer.value.decode()


def random_states(model, rng, n):
    options = f"model={model}".encode()
    v = (c_double * N)()
    states = []
    while len(states) < n:
        p = 6.5e3 * (8e7 / 6.5e3) ** rng.random()
        if rng.random() < 0.3:
            status = lib.zeltra5_calculate(b"p-x", p, rng.random(), options, v, N, None, None)
        else:
            status = lib.zeltra5_calculate(b"p-t", p, 196.0 + 525.0 * rng.random(), options, v,
                                           N, None, None)
        if status == 0:
            push = 1.0 + (1.2 * (rng.random() - 0.5) if len(states) % 10 == 0 else 0.0)
            states.append((p, v[3] * push))
    return states


def run_model(model, critical_t, critical_p):
    handle = handle_t()
    check(lib.zeltra5_tabulated_open(model.encode(), b"p-h", ctypes.byref(handle)) == 0,
          f"{model}: open")
    options = f"model={model}".encode()
    states = random_states(model, random.Random(model), 2000)
    n = len(states)
    first = (c_double * n)(*[p for p, _ in states])
    second = (c_double * n)(*[h for _, h in states])
    values = (c_double * (n * N))()
    phases, statuses = (c_int * n)(), (c_int * n)()
    lib.zeltra5_tabulated_calculate_array(handle, n, first, second, values, n * N, phases, None,
                                          statuses)
    refused = compared = 0
    v = (c_double * N)()
    phase = c_int()
    for i, (p, h) in enumerate(states):
        status = lib.zeltra5_calculate(b"p-h", p, h, options, v, N, ctypes.byref(phase), None)
        check(statuses[i] == status, f"{model} p={p!r} h={h!r}: status {statuses[i]} vs {status}")
        if status != 0:
            refused += 1
            want = text_of(lib.zeltra5_explain, b"p-h", p, h, options)
            got = text_of(lib.zeltra5_tabulated_explain, handle, p, h)
            check(got == want, f"{model} p={p!r} h={h!r}: {got!r} vs {want!r}")
            continue
        check(phases[i] == phase.value, f"{model} p={p!r} h={h!r}: phase")
        row = values[i * N:(i + 1) * N]
        if 0.97 < p / critical_p < 3 and 0.98 < v[2] / critical_t < 1.2:
            continue
        if model == "gao2023" and 2.4e8 < p < 4.2e8 and v[2] < 333.15:
            continue
        compared += 1
        check(abs(row[2] - v[2]) <= 1e-3, f"{model} p={p!r} h={h!r}: T {row[2]} vs {v[2]}")
        for k, scale in ((3, 2e5), (4, 0.0), (8, 0.0)):
            if not math.isnan(v[k]):
                check(abs(row[k] - v[k]) <= 1e-6 * max(abs(v[k]), scale),
                      f"{model} p={p!r} h={h!r}: field {k} {row[k]} vs {v[k]}")
    check(refused > 10 and compared > 1500, f"{model}: {refused} refused, {compared} compared")
    # Too little room: refused, nothing written, explained.
    check(lib.zeltra5_tabulated_calculate(handle, 1e6, 1.5e6, v, N - 1, None, None) == 2,
          "room for 18")
    check(text_of(lib.zeltra5_tabulated_explain, handle, 1e6, 1.5e6)
          == 'room for 18 values in "values", 19 needed', "room for 18 explained")
    check(lib.zeltra5_tabulated_close(handle) == 0, f"{model}: close")
    check(lib.zeltra5_tabulated_close(handle) == 2, f"{model}: closed twice")
    check(lib.zeltra5_tabulated_calculate(handle, 1e6, 1.5e6, v, N, None, None) == 2,
          f"{model}: closed handle used")


for name, t_c, p_c in (("tr1993", 405.50016296737635, 11359196.242759727),
                       ("gao2023", 405.56, 11363395.0)):
    run_model(name, t_c, p_c)
bad = handle_t()
check(lib.zeltra5_tabulated_open(b"gao2023", b"p-s", ctypes.byref(bad)) == 2 and not bad.value,
      "p-s refused")
check(text_of(lib.zeltra5_tabulated_explain_open, b"gao2023", b"p-s")
      == 'no table is built for the pair "p-s" (p-h)', "p-s explained")
print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
