#!/usr/bin/env python3
"""Batch requests (SI, `zeltra5-calc --batch --units si-celsius`: Pa, °C) over the whole domain, every pair and side.

Meant for before/after comparisons of a change: run the batch on both builds over the same
requests and diff the results line by line. Pressures go log-spaced with an irrational step so
that no grid line sits on a round number; the band near the critical point is sampled densely.
Usage: tools/grid-requests.py [scale] > requests.csv   (scale 1 gives about 300,000 lines)
"""
import math
import sys


def logspace(lo, hi, n):
    return [lo * (hi / lo) ** (i / (n - 1)) for i in range(n)]


def linspace(lo, hi, n):
    return [lo + (hi - lo) * i / (n - 1) for i in range(n)]


def main():
    scale = float(sys.argv[1]) if len(sys.argv) > 1 else 1.0
    k = lambda n: max(2, int(n * scale))
    p_min, p_max = 6417.234425419756, 84474590.24742904
    pressures = logspace(p_min * 0.999, p_max * 1.001, k(160))
    pressures += linspace(10.5e6, 11.4e6, k(40))  # the near-critical band
    temperatures = linspace(-77.5, 450.5, k(150)) + linspace(125.0, 133.0, k(40))
    out = sys.stdout
    out.write("mode,side,first_value,second_value\n")
    for p in pressures:
        for x in linspace(-0.01, 1.01, k(20)):
            for side in (0, 1):
                out.write("0,%d,%r,%r\n" % (side, p, x))
        for side in (1, 2):
            out.write("1,%d,%r,0\n" % (side, p))
    for t in linspace(-77.5, 133.0, k(2000)) + linspace(131.0, 132.6, k(400)):
        for side in (1, 2):
            out.write("2,%d,%r,0\n" % (side, t))
    for p in pressures:
        for side in (0, 1):
            for t in temperatures:
                out.write("3,%d,%r,%r\n" % (side, p, t))
            for h in linspace(-1.5e5, 3.2e6, k(120)):
                out.write("4,%d,%r,%r\n" % (side, p, h))
            for u in linspace(-1.5e5, 2.9e6, k(60)):
                out.write("5,%d,%r,%r\n" % (side, p, u))
            for s in linspace(-800.0, 1.2e4, k(120)):
                out.write("6,%d,%r,%r\n" % (side, p, s))
            for rho in logspace(0.03, 740.0, k(80)):
                out.write("7,%d,%r,%r\n" % (side, p, rho))
    for t in temperatures + linspace(-77.0, 450.0, k(100)):
        for side in (0, 1):
            for rho in logspace(0.03, 740.0, k(120)) + linspace(150.0, 300.0, k(30)):
                out.write("8,%d,%r,%r\n" % (side, t, rho))


if __name__ == "__main__":
    main()
