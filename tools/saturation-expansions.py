#!/usr/bin/python3
"""Writes models/tr1993/src/saturation_expansion_coefficients.hpp: Chebyshev expansions of the
phase equilibrium of this program's own equation of state (pressure, saturated liquid and vapour
density over temperature, and temperature over pressure), and tests/tr1993/data/
saturation_equilibrium_points.csv, equilibrium points the C++ tests check the expansions against.

The residual Helmholtz energy is read from models/tr1993/src/helmholtz_coefficients.hpp (the 21
terms n tau^t delta^d exp(-delta^l), l = 0 without the exponential), with tau = 405.4 / T and
delta = rho / 225 and the gas constant as models/tr1993/src/helmholtz.cpp and
tr1993_constants.hpp define them,
and evaluated in mpmath at 60 digits. At a temperature the two phases are in equilibrium when
their pressures and Gibbs energies are equal; in reduced form, with J = delta (1 + delta phir_d)
and K = delta phir_d + phir + ln delta (the ideal-gas part adds only ln delta at fixed T):
J(delta') = J(delta'') and K(delta') = K(delta''), solved by Newton's method on both densities.
The critical point is where dJ/d delta = d2J/d delta2 = 0.

Layout. The variable is theta = sqrt(Tc - T): the saturated densities are analytic in it up to
and including the critical point (rho - rho_c goes as theta there), and so is the pressure (an
analytic function of T). [0, theta(196 K)] is cut into intervals by bisection until, on each,
one expansion of degree DEGREE per quantity agrees with the equilibrium to TOLERANCE (relative)
between the interpolation nodes. The inverse expansion gives u = Tc - T over p, fitted to the
forward expansion itself, so that the temperature it gives has the pressure asked for
through the forward expansion (to 2e-14 K; no Newton step is needed). Its pieces are found
from the bits of p without a logarithm or a search: the exponent and two leading significand
bits give a block (a quarter of a binary order of magnitude), which is cut into 2^level equal
pieces, level chosen per block as low as the tolerance allows (finer near the critical point).

Usage: /usr/bin/python3 tools/saturation-expansions.py [--check]
  --check: recompute and compare with the files in the tree instead of writing them.
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import time

import mpmath as mp

mp.mp.dps = 60

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
COEFFICIENTS = os.path.join(ROOT, "models/tr1993/src/helmholtz_coefficients.hpp")
EVALUATION = os.path.join(ROOT, "models/tr1993/src/helmholtz.cpp")
CONSTANTS = os.path.join(ROOT, "models/tr1993/include/zeltra5/tr1993_constants.hpp")
HEADER = os.path.join(ROOT, "models/tr1993/src/saturation_expansion_coefficients.hpp")
POINTS = os.path.join(ROOT, "tests/tr1993/data/saturation_equilibrium_points.csv")

DEGREE = 12  # forward expansions: p, rho', rho'' over theta
INVERSE_DEGREE = 12  # u = Tc - T over p
INVERSE_BLOCK_SHIFT = 50  # a block per value of (bits of p) >> 50: four per binade
INVERSE_MAX_LEVEL = 5
TOLERANCE = mp.mpf("5e-16")  # relative, every quantity, between the nodes
INVERSE_TOLERANCE_K = mp.mpf("2e-14")  # absolute in u: a third of the spacing of doubles near Tc
FIT_LOWEST_T = mp.mpf("196")  # K, a little below the lowest temperature answered
LOWEST_T = 196.15 - 1e-9  # K: -77 degC less the program's edge margin of the temperature
TOP_BELOW_CRITICAL = mp.mpf("1e-9")  # K: equilibrium is answered up to Tc - this


# ---------------------------------------------------------------------------------------------
# The equation of state


def read_text(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def constant(text, name):
    m = re.search(r"constexpr double %s = ([-+0-9.eE]+);" % name, text)
    if not m:
        sys.exit("no constant %s" % name)
    return mp.mpf(m.group(1))


def read_equation():
    text = read_text(COEFFICIENTS)
    block = re.search(r"RESIDUAL_TERMS\[\] = \{(.*?)\n\};", text, re.S)
    if not block:
        sys.exit("no RESIDUAL_TERMS table in " + COEFFICIENTS)
    number = r"([-+0-9.eE]+)"
    row = r"\{\s*(\d+),\s*%s,\s*%s,\s*(-?\d+),\s*(-?\d+)\}" % (number, number)
    terms = [(mp.mpf(n), mp.mpf(t), int(d), int(l)) for _, n, t, d, l in re.findall(row, block[1])]
    if len(terms) != 21:
        sys.exit("expected 21 residual terms, read %d" % len(terms))
    evaluation = read_text(EVALUATION)
    constants = read_text(CONSTANTS)
    return {
        "terms": terms,
        "tau_numerator": constant(evaluation, "REDUCING_TAU_NUMERATOR"),
        "critical_density": constant(constants, "CRITICAL_DENSITY"),
        "gas_constant": constant(constants, "GAS_CONSTANT"),
    }


EOS = read_equation()
R = EOS["gas_constant"]
RHO_R = EOS["critical_density"]
T_R = EOS["tau_numerator"]


def delta_shapes(d, l, order):
    """delta^d exp(-delta^l) and its delta-derivatives up to `order`, each as {power: factor}
    in front of the same exp(-delta^l) (1 for l = 0)."""
    shapes = [{d: mp.mpf(1)}]
    for _ in range(order):
        nxt = {}
        for e, c in shapes[-1].items():
            if e != 0:
                nxt[e - 1] = nxt.get(e - 1, 0) + c * e
            if l > 0:
                nxt[e + l - 1] = nxt.get(e + l - 1, 0) - c * l
        shapes.append(nxt)
    return shapes


MAX_ORDER = 4
SHAPES = [delta_shapes(d, l, MAX_ORDER) for (_, _, d, l) in EOS["terms"]]


def phir_table(delta, tau, delta_order, tau_order):
    """D[i][j] = d^(i+j) phir / d delta^i d tau^j."""
    damping = {l: (mp.exp(-(delta**l)) if l > 0 else mp.mpf(1)) for l in (0, 1, 2, 3)}
    table = [[mp.mpf(0)] * (tau_order + 1) for _ in range(delta_order + 1)]
    for (n, t, _, l), shapes in zip(EOS["terms"], SHAPES):
        tau_factors = []
        falling = mp.mpf(1)
        for j in range(tau_order + 1):
            tau_factors.append(falling * tau ** (t - j))
            falling *= t - j
        for i in range(delta_order + 1):
            f = sum(c * delta**e for e, c in shapes[i].items()) * damping[l]
            for j in range(tau_order + 1):
                table[i][j] += n * f * tau_factors[j]
    return table


def tau_of(T):
    return T_R / T


def jk(delta, tau):
    """J, dJ/d delta, K at one density."""
    D = phir_table(delta, tau, 2, 0)
    J = delta + delta**2 * D[1][0]
    Jd = 1 + 2 * delta * D[1][0] + delta**2 * D[2][0]
    K = delta * D[1][0] + D[0][0] + mp.log(delta)
    return J, Jd, K


def pressure(T, delta):
    D = phir_table(delta, tau_of(T), 1, 0)
    return delta * RHO_R * R * T * (1 + delta * D[1][0])


def critical_point():
    """(delta, tau) where dJ/d delta = d2J/d delta2 = 0, by Newton from (1, 1)."""
    delta, tau = mp.mpf(1), mp.mpf(1)
    for _ in range(100):
        D = phir_table(delta, tau, 4, 1)

        def j_derivs(j):  # dJ/d delta, d2J/d delta2, d3J/d delta3 from the j-th tau-derivatives
            d1 = (1 if j == 0 else 0) + 2 * delta * D[1][j] + delta**2 * D[2][j]
            d2 = 2 * D[1][j] + 4 * delta * D[2][j] + delta**2 * D[3][j]
            d3 = 6 * D[2][j] + 6 * delta * D[3][j] + delta**2 * D[4][j]
            return d1, d2, d3

        f1, f2, f3 = j_derivs(0)
        g1, g2, _ = j_derivs(1)
        # Jacobian of (J_d, J_dd) over (delta, tau).
        det = f2 * g2 - g1 * f3
        step_delta = (f1 * g2 - g1 * f2) / det
        step_tau = (f2 * f2 - f3 * f1) / det
        delta -= step_delta
        tau -= step_tau
        if abs(step_delta) < mp.mpf(10) ** (-mp.mp.dps + 5) and abs(step_tau) < mp.mpf(10) ** (
            -mp.mp.dps + 5
        ):
            return delta, tau
    sys.exit("the critical point did not converge")


CRIT_DELTA, CRIT_TAU = critical_point()
TC = T_R / CRIT_TAU
RHOC = CRIT_DELTA * RHO_R
PC = pressure(TC, CRIT_DELTA)


# ---------------------------------------------------------------------------------------------
# Phase equilibrium


def newton_equilibrium(T, dl, dv, iterations=60):
    """Equal J and K at T from the reduced densities (dl, dv); None when it does not converge."""
    tau = tau_of(T)
    eps = mp.mpf(10) ** (-mp.mp.dps + 20)
    for _ in range(iterations):
        Jl, Jdl, Kl = jk(dl, tau)
        Jv, Jdv, Kv = jk(dv, tau)
        f1, f2 = Jl - Jv, Kl - Kv
        a, b, c, d = Jdl, -Jdv, Jdl / dl, -Jdv / dv
        det = a * d - b * c
        sl = (f1 * d - b * f2) / det
        sv = (a * f2 - c * f1) / det
        dl, dv = dl - sl, dv - sv
        if not (dl > 0 and dv > 0):
            return None
        if abs(sl) < eps * dl and abs(sv) < eps * dv:
            if abs(dl - dv) < mp.mpf(10) ** (-mp.mp.dps // 3):
                return None  # collapsed onto one phase
            return dl, dv
    return None


def start_low_temperature(T):
    """A first equilibrium at a low temperature: the liquid at the vapour's J, the vapour at the
    liquid's K, alternately, then Newton."""
    tau = tau_of(T)
    dl, dv = mp.mpf("3.3"), mp.mpf("1e-5")
    for _ in range(30):
        target_j = jk(dv, tau)[0]
        for _ in range(30):
            J, Jd, _ = jk(dl, tau)
            dl -= (J - target_j) / Jd
        target_k = jk(dl, tau)[2]
        for _ in range(30):
            J, Jd, K = jk(dv, tau)
            dv -= (K - target_k) / (Jd / dv)
    return newton_equilibrium(T, dl, dv)


class Skeleton:
    """Equilibrium along a grid of theta by continuation, from which any theta starts Newton."""

    def __init__(self, theta_max):
        thetas = [theta_max * (1 - mp.mpf(k) / 600) for k in range(600)]
        small = thetas[-1]
        while small > mp.mpf("1e-5"):
            small /= mp.mpf("1.25")
            thetas.append(small)
        self.thetas, self.values = [], []
        for th in thetas:
            T = TC - th**2
            if not self.values:
                sol = start_low_temperature(T)
            else:
                sol = newton_equilibrium(T, *self.guess(th))
            if sol is None:
                sys.exit("continuation lost the equilibrium at theta = %s" % mp.nstr(th, 10))
            self.thetas.append(th)
            self.values.append(sol)

    def guess(self, theta):
        """Lagrange interpolation (extrapolation at the ends) in theta over the nearest points."""
        n = len(self.thetas)
        if n < 4:
            return self.values[-1]
        # Nearest four (the grid is monotonically decreasing).
        k = min(range(n), key=lambda i: abs(self.thetas[i] - theta))
        lo = max(0, min(k - 2, n - 4))
        idx = range(lo, lo + 4)
        out = []
        for q in (0, 1):
            s = mp.mpf(0)
            for i in idx:
                w = mp.mpf(1)
                for j in idx:
                    if j != i:
                        w *= (theta - self.thetas[j]) / (self.thetas[i] - self.thetas[j])
                s += w * self.values[i][q]
            out.append(s)
        return out[0], out[1]


SKELETON = None


def equilibrium_at_theta(theta):
    """(p, rho', rho'') at T = Tc - theta^2; the critical point itself at theta = 0."""
    if theta == 0:
        return PC, RHOC, RHOC
    T = TC - theta**2
    sol = newton_equilibrium(T, *SKELETON.guess(theta))
    if sol is None:
        sys.exit("no equilibrium at T = %s K" % mp.nstr(T, 20))
    dl, dv = sol
    return pressure(T, dv), dl * RHO_R, dv * RHO_R


def equilibrium_at_temperature(T):
    return equilibrium_at_theta(mp.sqrt(TC - T))


# ---------------------------------------------------------------------------------------------
# Chebyshev expansions


def chebyshev_nodes(n):
    return [mp.cos(mp.pi * (2 * j + 1) / (2 * (n + 1))) for j in range(n + 1)]


def chebyshev_fit(values, nodes):
    n = len(nodes) - 1
    coeffs = []
    for k in range(n + 1):
        s = sum(v * mp.cos(k * mp.acos(x)) for v, x in zip(values, nodes))
        coeffs.append(s * (1 if k == 0 else 2) / (n + 1))
    return coeffs


def clenshaw(coeffs, x):
    b1, b2 = mp.mpf(0), mp.mpf(0)
    for c in reversed(coeffs[1:]):
        b1, b2 = 2 * x * b1 - b2 + c, b1
    return x * b1 - b2 + coeffs[0]


def mapping(a, b):
    """x = scale v + offset onto [-1, 1], both rounded to double: the map the program applies."""
    scale = float(2 / (mp.mpf(b) - mp.mpf(a)))
    offset = float(-(mp.mpf(a) + mp.mpf(b)) / (mp.mpf(b) - mp.mpf(a)))
    return scale, offset


def fit_interval(a, b, degree, function, tolerance_of):
    """Expansions of every quantity of `function` on [a, b] (doubles) with double coefficients,
    and the largest error between the nodes (in units of tolerance_of)."""
    scale, offset = mapping(a, b)
    nodes = chebyshev_nodes(degree)
    samples = [function((x - offset) / scale) for x in nodes]
    fits = []
    for q in range(len(samples[0])):
        coeffs = chebyshev_fit([s[q] for s in samples], nodes)
        fits.append([float(c) for c in coeffs])
    # Check between the nodes and at both ends.
    checks = [(nodes[j] + nodes[j + 1]) / 2 for j in range(degree)] + [mp.mpf(1), mp.mpf(-1)]
    worst = [mp.mpf(0)] * len(fits)
    for x in checks:
        exact = function((x - offset) / scale)
        for q, f in enumerate(fits):
            err = abs(clenshaw([mp.mpf(c) for c in f], x) - exact[q]) / tolerance_of(q, exact[q])
            worst[q] = max(worst[q], err)
    return scale, offset, fits, worst


def bisect_fit(lower, upper, degree, function, tolerance_of, label):
    """Intervals [lower, upper] cut in halves until every fit is within tolerance (worst <= 1)."""
    pending = [(lower, upper)]
    done = []
    while pending:
        a, b = pending.pop()
        scale, offset, fits, worst = fit_interval(a, b, degree, function, tolerance_of)
        if max(worst) <= 1:
            done.append((a, b, scale, offset, fits, worst))
            print("  %s [%.17g, %.17g]: worst %s" % (label, a, b, [mp.nstr(w, 3) for w in worst]))
        else:
            mid = float((mp.mpf(a) + mp.mpf(b)) / 2)
            pending += [(mid, b), (a, mid)]
    done.sort(key=lambda piece: piece[0])
    return done


def evaluate_pieces(pieces, v):
    for a, b, scale, offset, fits, _ in pieces:
        if v <= b:
            x = scale * v + offset
            return [clenshaw([mp.mpf(c) for c in f], x) for f in fits]
    a, b, scale, offset, fits, _ = pieces[-1]
    return [clenshaw([mp.mpf(c) for c in f], scale * v + offset) for f in fits]


# ---------------------------------------------------------------------------------------------
# Output


def bits_key(p):
    """The block of the inverse expansion holding p: the top bits of the double."""
    return struct.unpack("<Q", struct.pack("<d", p))[0] >> INVERSE_BLOCK_SHIFT


def bits_double(bits):
    return struct.unpack("<d", struct.pack("<Q", bits))[0]


def key_bound(key):
    """The lowest double of a block."""
    return bits_double(key << INVERSE_BLOCK_SHIFT)


def split_double(x):
    hi = float(x)
    lo = float(x - mp.mpf(hi))
    return hi, lo


def fmt(x):
    return "%.17g" % x


def write_header(forward, inverse, blocks, limits):
    tc_hi, tc_lo = split_double(TC)
    lines = [
        "#pragma once",
        "// Generated by tools/saturation-expansions.py from the residual terms of",
        "// models/tr1993/src/helmholtz_coefficients.hpp (tau = 405.4 / T, delta = rho / 225,",
        "// R = 488.2175023 J/(kg K)); do not edit. Chebyshev expansions of the phase equilibrium of",
        "// that equation.",
        "// Forward: over theta = sqrt(Tc - T), on THETA_BOUNDS[k] <= theta <= THETA_BOUNDS[k + 1],",
        "// x = scale theta + offset, columns p [Pa], rho' and rho'' [kg/m3]. Inverse: u = Tc - T [K]",
        "// over p [Pa], x = scale p + offset; block k holds the p whose bits shifted right by",
        "// INVERSE_BLOCK_SHIFT are INVERSE_FIRST_KEY + k, and in it piece first + ((bits >> shift) &",
        "// mask). Coefficients from T_0 up.",
        "",
        "namespace zeltra5::saturation_expansion {",
        "",
        "// The equation's critical point: Tc = CRITICAL_TEMPERATURE_HI + CRITICAL_TEMPERATURE_LO.",
        "inline constexpr double CRITICAL_TEMPERATURE_HI = %s;  // K" % fmt(tc_hi),
        "inline constexpr double CRITICAL_TEMPERATURE_LO = %s;" % fmt(tc_lo),
        "inline constexpr double CRITICAL_PRESSURE = %s;  // Pa" % fmt(float(PC)),
        "inline constexpr double CRITICAL_DENSITY = %s;  // kg/m3" % fmt(float(RHOC)),
        "",
        "// Equilibrium is answered from LOWEST_TEMPERATURE (-77 degC less 1e-9 K) to",
        "// HIGHEST_TEMPERATURE (Tc - %s K), and between the pressures there." % mp.nstr(TOP_BELOW_CRITICAL, 3),
        "inline constexpr double LOWEST_TEMPERATURE = %s;  // K" % fmt(limits["T_low"]),
        "inline constexpr double HIGHEST_TEMPERATURE = %s;  // K" % fmt(limits["T_high"]),
        "inline constexpr double LOWEST_PRESSURE = %s;  // Pa" % fmt(limits["p_low"]),
        "inline constexpr double HIGHEST_PRESSURE = %s;  // Pa" % fmt(limits["p_high"]),
        "",
        "inline constexpr int DEGREE = %d;" % DEGREE,
        "inline constexpr int INTERVAL_COUNT = %d;" % len(forward),
        "inline constexpr int INVERSE_DEGREE = %d;" % INVERSE_DEGREE,
        "inline constexpr int INVERSE_INTERVAL_COUNT = %d;" % len(inverse),
        "inline constexpr int INVERSE_BLOCK_COUNT = %d;" % len(blocks),
        "inline constexpr int INVERSE_BLOCK_SHIFT = %d;" % INVERSE_BLOCK_SHIFT,
        "inline constexpr unsigned long long INVERSE_FIRST_KEY = %dULL;" % bits_key(inverse[0][0]),
        "",
        "struct ForwardPiece {",
        "    double scale;",
        "    double offset;",
        "    double c[DEGREE + 1][3];  // T_k coefficients of p, rho', rho''",
        "};",
        "",
        "struct InverseBlock {",
        "    int first;                // its first piece",
        "    int shift;                // its pieces: (bits of p >> shift) & mask",
        "    unsigned long long mask;",
        "};",
        "",
        "struct InversePiece {",
        "    double scale;",
        "    double offset;",
        "    double c[INVERSE_DEGREE + 1];  // T_k coefficients of u = Tc - T",
        "};",
        "",
        "// clang-format off",
        "inline constexpr double THETA_BOUNDS[INTERVAL_COUNT + 1] = {",
    ]
    lines += ["    %s," % fmt(a) for (a, *_rest) in forward] + ["    %s," % fmt(forward[-1][1]), "};", ""]
    lines.append("inline constexpr ForwardPiece FORWARD[INTERVAL_COUNT] = {")
    for a, b, scale, offset, fits, _ in forward:
        lines.append("    {%s, %s, {  // theta in [%s, %s]" % (fmt(scale), fmt(offset), fmt(a), fmt(b)))
        for k in range(DEGREE + 1):
            lines.append("        {%s, %s, %s}," % tuple(fmt(f[k]) for f in fits))
        lines.append("    }},")
    lines += ["};", "", "inline constexpr InverseBlock INVERSE_BLOCKS[INVERSE_BLOCK_COUNT] = {"]
    for first, shift in blocks:
        lines.append("    {%d, %d, %dULL}," % (first, shift, 2 ** (INVERSE_BLOCK_SHIFT - shift) - 1))
    lines += ["};", ""]
    lines.append("inline constexpr InversePiece INVERSE[INVERSE_INTERVAL_COUNT] = {")
    for a, b, scale, offset, fits, _ in inverse:
        lines.append("    {%s, %s, {  // p in [%s, %s]" % (fmt(scale), fmt(offset), fmt(a), fmt(b)))
        for k in range(INVERSE_DEGREE + 1):
            lines.append("        %s," % fmt(fits[0][k]))
        lines.append("    }},")
    lines += ["};", "// clang-format on", "", "}  // namespace zeltra5::saturation_expansion", ""]
    return clang_formatted("\n".join(lines))


def clang_formatted(text):
    """The text as the project's .clang-format lays it out (the tables are exempt)."""
    tool = shutil.which("clang-format")
    if tool is None:
        print("warning: no clang-format; the header is written as generated")
        return text
    return subprocess.run([tool, "--assume-filename=" + HEADER], input=text, capture_output=True,
                          text=True, check=True).stdout


def check_temperatures(top):
    """About 200 doubles: both ends, a uniform spread, and ever closer to Tc."""
    ts = [-77.0 + 273.15, 196.15, top]
    n = 150
    for k in range(1, n):
        ts.append(196.15 + (float(TC) - 196.15) * k / n)
    for e in range(0, 9):
        for m in (5.0, 2.0, 1.0):
            gap = m * 10.0 ** -(e + 1) * 10
            ts.append(float(TC - mp.mpf(gap)))
    ts += [float(TC - mp.mpf("3e-9")), float(TC - mp.mpf("1.5e-9"))]
    for t in (0.0, 25.0, 50.0, 100.0, 120.0, 130.0, 131.0, 132.0, 132.1, 132.2):
        ts.append(t + 273.15)
    return sorted(set(t for t in ts if LOWEST_T <= t <= top))


def main():
    global SKELETON
    check_only = "--check" in sys.argv[1:]
    started = time.time()
    print("critical point of the equation: T = %s K (%s degC), rho = %s kg/m3, p = %s Pa"
          % (mp.nstr(TC, 20), mp.nstr(TC - mp.mpf("273.15"), 20), mp.nstr(RHOC, 20), mp.nstr(PC, 20)))
    theta_max = float(mp.sqrt(TC - FIT_LOWEST_T))
    SKELETON = Skeleton(mp.mpf(theta_max))
    print("continuation: %d equilibrium points down to theta = %s (Tc - T = %s K), %.0f s"
          % (len(SKELETON.thetas), mp.nstr(SKELETON.thetas[-1], 3),
             mp.nstr(SKELETON.thetas[-1] ** 2, 3), time.time() - started))

    def relative(q, value):
        return TOLERANCE * abs(value)

    forward = bisect_fit(0.0, theta_max, DEGREE, equilibrium_at_theta, relative, "theta")

    top = float(TC - TOP_BELOW_CRITICAL)
    while mp.mpf(top) > TC - TOP_BELOW_CRITICAL:
        top = float(mp.mpf(top) - mp.mpf("1e-13"))

    def forward_at(T):
        return evaluate_pieces(forward, mp.sqrt(TC - T))

    p_low = float(forward_at(mp.mpf(LOWEST_T))[0])
    p_high = float(forward_at(mp.mpf(top))[0])

    def u_at_p(p):
        """u = Tc - T where the forward expansion gives p, by Newton in theta."""
        # Start from a plain bisection over the forward expansion, then Newton.
        lo, hi = mp.mpf(0), mp.mpf(theta_max)
        for _ in range(60):
            mid = (lo + hi) / 2
            if evaluate_pieces(forward, mid)[0] > p:
                lo = mid
            else:
                hi = mid
        theta = (lo + hi) / 2
        for _ in range(40):
            f = evaluate_pieces(forward, theta)[0] - p
            h = theta * mp.mpf("1e-20") + mp.mpf("1e-30")
            df = (evaluate_pieces(forward, theta + h)[0] - evaluate_pieces(forward, theta - h)[0]) / (2 * h)
            step = f / df
            theta -= step
            if abs(step) < mp.mpf("1e-40"):
                break
        return [theta**2]

    def absolute(q, value):
        return INVERSE_TOLERANCE_K + TOLERANCE * abs(value)

    # Pieces from a little below the lowest pressure (the forward expansions reach 196 K) to the
    # highest pressure answered.
    p_fit_low = float(evaluate_pieces(forward, mp.mpf(theta_max))[0])
    inverse, blocks = [], []
    key = bits_key(p_fit_low)
    while key_bound(key) <= p_high:
        for level in range(INVERSE_MAX_LEVEL + 1):
            shift = INVERSE_BLOCK_SHIFT - level
            pieces = []
            for j in range(2**level):
                a = max(p_fit_low, bits_double((key << INVERSE_BLOCK_SHIFT) + (j << shift)))
                b = min(p_high, bits_double((key << INVERSE_BLOCK_SHIFT) + ((j + 1) << shift)))
                if a >= b:  # outside the range: never looked up
                    pieces.append((a, a, 0.0, 0.0, [[0.0] * (INVERSE_DEGREE + 1)], [mp.mpf(0)]))
                    continue
                piece = fit_interval(a, b, INVERSE_DEGREE, u_at_p, absolute)
                pieces.append((a, b) + piece)
                if piece[3][0] > 1:
                    break
            if max(pc[5][0] for pc in pieces) <= 1:
                break
        else:
            sys.exit("the inverse block from %.17g Pa needs a higher level" % key_bound(key))
        print("  p [%.17g, %.17g]: level %d, worst %s" % (pieces[0][0], pieces[-1][1], level,
                                                          mp.nstr(max(pc[5][0] for pc in pieces), 3)))
        blocks.append((len(inverse), shift))
        inverse += pieces
        key += 1

    limits = {"T_low": LOWEST_T, "T_high": top, "p_low": p_low, "p_high": p_high}
    header = write_header(forward, inverse, blocks, limits)

    rows = ["T_K,p_Pa,rho_liquid,rho_vapour"]
    worst = [mp.mpf(0)] * 3
    for t in check_temperatures(top):
        p, rl, rv = equilibrium_at_temperature(mp.mpf(t))
        rows.append(",".join(fmt(float(v)) for v in (t, p, rl, rv)))
        for q, (e, v) in enumerate(zip(forward_at(mp.mpf(t)), (p, rl, rv))):
            worst[q] = max(worst[q], abs(e - v) / abs(v))
    csv = "\n".join(rows) + "\n"

    print("forward: %d intervals of degree %d; inverse: %d blocks, %d intervals of degree %d"
          % (len(forward), DEGREE, len(blocks), len(inverse), INVERSE_DEGREE))
    print("largest relative error at the %d check points (expansions in exact arithmetic): "
          "p %s, rho' %s, rho'' %s" % (len(rows) - 1, *(mp.nstr(w, 3) for w in worst)))
    print("largest fit error between nodes (units of the tolerance): forward %s, inverse %s"
          % (mp.nstr(max(max(p[5]) for p in forward), 3), mp.nstr(max(max(p[5]) for p in inverse), 3)))
    print("answered: T in [%s, %s] K, p in [%s, %s] Pa" % (fmt(LOWEST_T), fmt(top), fmt(p_low), fmt(p_high)))

    if check_only:
        same = read_text(HEADER) == header and read_text(POINTS) == csv
        print("files in the tree are " + ("up to date" if same else "DIFFERENT"))
        sys.exit(0 if same else 1)
    with open(HEADER, "w", encoding="utf-8") as f:
        f.write(header)
    os.makedirs(os.path.dirname(POINTS), exist_ok=True)
    with open(POINTS, "w", encoding="utf-8") as f:
        f.write(csv)
    print("wrote %s and %s in %.0f s" % (os.path.relpath(HEADER, ROOT), os.path.relpath(POINTS, ROOT),
                                         time.time() - started))


if __name__ == "__main__":
    main()
