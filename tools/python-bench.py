#!/usr/bin/python3
"""Benchmark of the Python package against the C++ loop over the same points, in-process.

  /usr/bin/python3 tools/python-bench.py [--build build/native] [--points 1000000] [--repeats 3]
                                         [--callgrind 20000]

Prints, for a million (p, t) points in and out of the domain: the best wall time of the
vectorised zeltra5.calculate with threads=1 and threads=2, and of the C++ loop
(bench/zeltra5-loop-bench: calculate_state per point into arrays) with one and two threads;
then the time of a scalar call against the calculation itself. With --callgrind N, also the
instructions per point of both (callgrind, N points less an almost empty run), which a busy
machine does not blur. Needs a build with -DZELTRA5_BUILD_BENCHMARKS=ON.
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile
import time
import timeit

import numpy as np


def points(n, seed=1):
    rng = np.random.default_rng(seed)
    # Pressures over the domain's decades, temperatures over its range and a little beyond.
    p = np.exp(rng.uniform(np.log(1e4), np.log(8e7), n))
    t = rng.uniform(-80.0, 455.0, n)
    return p, t


def run_loop(program, path, threads, repeats):
    out = subprocess.run([program, path, str(threads), str(repeats)], capture_output=True,
                         text=True, check=True).stdout
    m = re.search(r"best ([0-9.]+) s cpu ([0-9.]+) s", out)
    return float(m.group(1)), float(m.group(2))


def best_of(repeats, fn):
    """The best wall time and the processor time (every thread) of that run."""
    best = (float("inf"), 0.0)
    for _ in range(repeats):
        cpu = time.process_time()
        start = time.perf_counter()
        fn()
        wall = time.perf_counter() - start
        if wall < best[0]:
            best = (wall, time.process_time() - cpu)
    return best


def callgrind_instructions(command, env=None):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "cg.out")
        subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}"] + command,
                       capture_output=True, check=True, env=env)
        with open(out) as f:
            for line in f:
                if line.startswith("summary:") or line.startswith("totals:"):
                    return int(line.split()[1])
    raise RuntimeError("no callgrind summary")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--build", default=os.path.join(here, "..", "build", "native"))
    ap.add_argument("--points", type=int, default=1_000_000)
    ap.add_argument("--repeats", type=int, default=3)
    ap.add_argument("--callgrind", type=int, default=0, metavar="N")
    args = ap.parse_args()
    build = os.path.abspath(args.build)
    sys.path.insert(0, os.path.join(build, "python"))
    import zeltra5

    program = os.path.join(build, "bench", "zeltra5-loop-bench")
    if not os.path.exists(program):
        sys.exit(f"{program} is missing: configure with -DZELTRA5_BUILD_BENCHMARKS=ON and build it")

    p, t = points(args.points)
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "points.f64")
        np.concatenate([p, t]).tofile(path)
        # Interleaved, so that the machine's other work weighs on both alike; the best of each.
        cpp = {1: (float("inf"), 0.0), 2: (float("inf"), 0.0)}
        py = dict(cpp)
        for _ in range(args.repeats):
            for k in (1, 2):
                cpp[k] = min(cpp[k], run_loop(program, path, k, 1))
                py[k] = min(py[k], best_of(1, lambda: zeltra5.calculate("p-t", p, t, threads=k)))
    r = zeltra5.calculate("p-t", p, t)
    n = args.points
    print(f"{n} (p, t) points, {np.count_nonzero(r.valid)} valid; best of {args.repeats},"
          " interleaved:")
    print(f"  {'':26}{'threads=1':>14}{'threads=2':>14}{'speed-up':>10}"
          f"{'CPU/wall at 2':>15}")
    for name, d in (("C++ loop (calculate_state)", cpp), ("zeltra5.calculate", py)):
        print(f"  {name:26}{d[1][0]:11.3f} s {d[2][0]:11.3f} s {d[1][0] / d[2][0]:9.2f}x"
              f"{d[2][1] / d[2][0]:14.2f}")
    print(f"  per point: C++ {cpp[1][0] / n * 1e6:.3f} us, Python {py[1][0] / n * 1e6:.3f} us;"
          f" Python / C++: {py[1][0] / cpp[1][0]:.3f} (1 thread),"
          f" {py[2][0] / cpp[2][0]:.3f} (2 threads)")
    print("  (CPU/wall: processor time of all threads over wall time; 2.0 when both threads ran"
          " at once all the time, less when the machine's other work held a core)")

    calls = 200_000
    state = (1e6, 25.0)
    cpp_ns = py_ns = float("inf")
    for _ in range(args.repeats):
        out = subprocess.run([program, "--scalar", str(state[0]), str(state[1]), str(calls)],
                             capture_output=True, text=True, check=True).stdout
        cpp_ns = min(cpp_ns, float(re.search(r"([0-9.]+) ns/call", out).group(1)))
        py_ns = min(py_ns, timeit.timeit(lambda: zeltra5.calculate("p-t", *state),
                                         number=calls) / calls * 1e9)
    print(f"scalar call p-t 1e6 Pa 25 degC, best of {args.repeats}: C++ {cpp_ns / 1000:.3f} us,"
          f" zeltra5.calculate {py_ns / 1000:.3f} us, overhead {(py_ns - cpp_ns) / 1000:.3f} us")

    if args.callgrind:
        m = args.callgrind
        # A fixed hash seed: the interpreter then runs the same way in both runs.
        env = dict(os.environ, PYTHONPATH=os.path.join(build, "python"), PYTHONHASHSEED="0")
        with tempfile.TemporaryDirectory() as tmp:
            counts = {}
            for size in (m, 1):
                path = os.path.join(tmp, f"p{size}.f64")
                a, b = points(size)
                np.concatenate([a, b]).tofile(path)
                counts[("cpp", size)] = callgrind_instructions([program, path, "1", "1"])
                script = (f"import numpy as np, zeltra5; a = np.fromfile({path!r});"
                          f" zeltra5.calculate('p-t', a[:{size}], a[{size}:])")
                counts[("py", size)] = callgrind_instructions([sys.executable, "-c", script], env)
            calls = m
            for k in (calls, 1):
                counts[("cpp scalar", k)] = callgrind_instructions(
                    [program, "--scalar", "1e6", "25", str(k)])
                script = ("import zeltra5\n"
                          f"for _ in range({k}): zeltra5.calculate('p-t', 1e6, 25.0)")
                counts[("py scalar", k)] = callgrind_instructions([sys.executable, "-c", script],
                                                                  env)
        cpp_ir = (counts[("cpp", m)] - counts[("cpp", 1)]) / (m - 1)
        py_ir = (counts[("py", m)] - counts[("py", 1)]) / (m - 1)
        print(f"callgrind, {m} points: C++ loop {cpp_ir:,.0f}, zeltra5.calculate {py_ir:,.0f}"
              f" instructions per point (Python / C++ {py_ir / cpp_ir:.4f})")
        cpp_call = (counts[("cpp scalar", m)] - counts[("cpp scalar", 1)]) / (m - 1)
        py_call = (counts[("py scalar", m)] - counts[("py scalar", 1)]) / (m - 1)
        print(f"callgrind, {m} scalar calls: C++ {cpp_call:,.0f}, zeltra5.calculate"
              f" {py_call:,.0f} instructions per call (overhead {py_call - cpp_call:,.0f})")


if __name__ == "__main__":
    main()
