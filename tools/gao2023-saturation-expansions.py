#!/usr/bin/python3
"""Writes models/gao2023/src/saturation_expansion_coefficients.hpp: Chebyshev expansions of the
phase equilibrium of the 2023 equation of state (pressure, saturated liquid and vapour density
over temperature, and temperature over pressure); models/gao2023/src/
saturated_record_coefficients.hpp: expansions of the sums the saturated records hold; and
tests/gao2023/data/saturation_equilibrium_points.csv and saturated_record_points.csv, equilibrium
points and the records' sums there (with each sum's scale) the C++ tests check the expansions
against.

The residual Helmholtz energy is read from models/gao2023/src/coefficients.hpp (8 power terms
n tau^t delta^d exp(-delta^l), 10 Gaussian terms n tau^t delta^d exp(-eta (delta - epsilon)^2 -
beta (tau - gamma)^2) and 2 association terms n tau^t delta^d exp(-eta (delta - epsilon)^2 +
1 / (beta (tau - gamma)^2 + b))), with tau = 405.56 / T, delta = rho / (13.696 mol/dm3 M) and
R = 8.314462618 / M as models/gao2023/include/zeltra5/gao2023.hpp forms them in doubles, and
evaluated in mpmath at 40 digits. At a temperature the two phases are in equilibrium when their
pressures and Gibbs energies are equal; in reduced form, with J = delta (1 + delta phir_d) and
K = delta phir_d + phir + ln delta (the ideal-gas part adds only ln delta at fixed T):
J(delta') = J(delta'') and K(delta') = K(delta''), solved by Newton's method on both densities.
The equation's critical point is where dJ/d delta = d2J/d delta2 = 0.

Layout as tools/saturation-expansions.py (the 1993 equation's): the variable is
theta = sqrt(Tc - T), in which the saturated densities and the pressure are analytic up to the
critical point; [0, theta(195.4 K)] is cut by bisection until one expansion of degree DEGREE per
quantity agrees with the equilibrium to TOLERANCE (relative) between the nodes. The inverse
expansion gives u = Tc - T over p, fitted to the forward expansion itself to 1e-13 K (two
doubles of T at the top of the range), its pieces found from the bits of p.

The saturated records: at the equilibrium's densities, the residual sums phir, phir_d, phir_dd,
phir_t, phir_tt, phir_dt of each side, the ideal part with each side's ln delta, and its
tau-derivatives are analytic in theta too. They have pieces of their own (RECORD_DEGREE), cut
by bisection until each is within RECORD_TOLERANCE of its scale: its own size, or where it
crosses zero a fraction of its terms' magnitudes (RECORD_SCALE_SPREAD). About 60 to 80 s in all.

Usage: /usr/bin/python3 tools/gao2023-saturation-expansions.py [--check]
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

mp.mp.dps = 40

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
COEFFICIENTS = os.path.join(ROOT, "models/gao2023/src/coefficients.hpp")
CONSTANTS = os.path.join(ROOT, "models/gao2023/include/zeltra5/gao2023.hpp")
HEADER = os.path.join(ROOT, "models/gao2023/src/saturation_expansion_coefficients.hpp")
RECORD_HEADER = os.path.join(ROOT, "models/gao2023/src/saturated_record_coefficients.hpp")
POINTS = os.path.join(ROOT, "tests/gao2023/data/saturation_equilibrium_points.csv")
RECORD_POINTS = os.path.join(ROOT, "tests/gao2023/data/saturated_record_points.csv")
THIRD_HEADER = os.path.join(ROOT, "models/gao2023/src/saturated_third_coefficients.hpp")
THIRD_POINTS = os.path.join(ROOT, "tests/gao2023/data/saturated_third_points.csv")

DEGREE = 12  # forward expansions: p, rho', rho'' over theta
INVERSE_DEGREE = 12  # u = Tc - T over p
INVERSE_BLOCK_SHIFT = 50  # a block per value of (bits of p) >> 50: four per binade
INVERSE_MAX_LEVEL = 8
RECORD_DEGREE = 8  # the saturated records' sums over theta
TOLERANCE = mp.mpf("5e-16")  # relative, every quantity, between the nodes
# Absolute in u: two doubles of T near Tc. The forward pieces near the top of the range are
# narrow, and the small kinks between them keep a fit across them from getting much closer.
INVERSE_TOLERANCE_K = mp.mpf("1e-13")
FIT_LOWEST_T = mp.mpf("195.4")  # K, a little below the lowest temperature answered
LOWEST_T = (195.49 - 273.15 - 1e-9) + 273.15  # K: the lowest admitted temperature, as in degC
TOP_T = 405.56 - 0.01  # K: equilibrium is answered up to the saturation limit
# The expansions start a little above the critical point (Tc - T = 0.0025 K), below the
# highest temperature answered: the equilibrium's conditioning near Tc needs more digits.
THETA_LOW = mp.mpf("0.05")
# The saturated records' sums are fitted to RECORD_TOLERANCE of their scale: the sum itself, or
# where that is far smaller than its terms (a sum crossing zero) 1 / RECORD_SCALE_SPREAD of the
# sum of its terms' magnitudes, the size of a double evaluation's own rounding there.
RECORD_TOLERANCE = mp.mpf("5e-16")
RECORD_SCALE_SPREAD = 64


# ---------------------------------------------------------------------------------------------
# The equation of state


def read_text(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


NUMBER = r"([-+0-9.eE]+)"


def table(text, name):
    block = re.search(r"%s\[\d+\] = \{(.*?)\n\};" % name, text, re.S)
    if not block:
        sys.exit("no table %s in %s" % (name, COEFFICIENTS))
    rows = re.findall(r"\{([^{}]*)\}", block[1])
    return [[mp.mpf(v.strip()) for v in row.split(",")] for row in rows]


def read_equation():
    text = read_text(COEFFICIENTS)
    power = table(text, "POWER_TERMS")
    gaussian = table(text, "GAUSSIAN_TERMS")
    association = table(text, "ASSOCIATION_TERMS")
    if (len(power), len(gaussian), len(association)) != (8, 10, 2):
        sys.exit("expected 8 + 10 + 2 residual terms")
    header = read_text(CONSTANTS)
    for name in ("MOLAR_GAS_CONSTANT", "MOLAR_MASS", "REDUCING_TEMPERATURE"):
        if not re.search(r"constexpr double %s = " % name, header):
            sys.exit("no constant %s" % name)
    ideal = {}
    for name in ("IDEAL_A1", "IDEAL_A2", "IDEAL_C0"):
        found = re.search(r"constexpr double %s = %s;" % (name, NUMBER), text)
        if not found:
            sys.exit("no constant %s in %s" % (name, COEFFICIENTS))
        ideal[name] = mp.mpf(found[1])
    for name in ("IDEAL_V", "IDEAL_U"):
        found = re.search(r"constexpr double %s\[3\] = \{([^}]*)\};" % name, text)
        if not found:
            sys.exit("no table %s in %s" % (name, COEFFICIENTS))
        ideal[name] = [mp.mpf(v.strip()) for v in found[1].split(",")]
    # The doubles the program forms: R = 8.314462618 / M, rho_r = 13.696e3 * M.
    molar_mass = 0.01703052
    return {
        "ideal": ideal,
        "power": power,
        "bell": gaussian + [row for row in association],
        "association_count": len(association),
        "gas_constant": mp.mpf(8.314462618 / molar_mass),
        "reducing_density": mp.mpf(13.696e3 * molar_mass),
        "reducing_temperature": mp.mpf("405.56"),
    }


EOS = read_equation()
R = EOS["gas_constant"]
RHO_R = EOS["reducing_density"]
T_R = EOS["reducing_temperature"]
ASSOCIATION_FROM = len(EOS["bell"]) - EOS["association_count"]


def phir_derivatives(delta, tau):
    """phir, d phir / d delta, d2 phir / d delta2 at (delta, tau)."""
    f0 = f1 = f2 = mp.mpf(0)
    for n, t, d, l in EOS["power"]:
        d, l = int(d), int(l)
        e = -(delta**l) if l > 0 else mp.mpf(0)
        e1 = -l * delta ** (l - 1) if l > 0 else mp.mpf(0)
        e2 = -l * (l - 1) * delta ** (l - 2) if l > 1 else mp.mpf(0)
        value = n * tau**t * delta**d * mp.exp(e)
        a1 = d / delta + e1
        a2 = -d / delta**2 + e2
        f0 += value
        f1 += value * a1
        f2 += value * (a2 + a1 * a1)
    for k, (n, t, d, eta, beta, gamma, epsilon, b) in enumerate(EOS["bell"]):
        y = tau - gamma
        g = -beta * y * y if k < ASSOCIATION_FROM else 1 / (beta * y * y + b)
        x = delta - epsilon
        value = n * tau**t * delta**d * mp.exp(-eta * x * x + g)
        a1 = d / delta - 2 * eta * x
        a2 = -d / delta**2 - 2 * eta
        f0 += value
        f1 += value * a1
        f2 += value * (a2 + a1 * a1)
    return f0, f1, f2


def tau_of(T):
    return T_R / T


def jk(delta, tau):
    """J, dJ/d delta, K at one density."""
    p0, p1, p2 = phir_derivatives(delta, tau)
    J = delta + delta**2 * p1
    Jd = 1 + 2 * delta * p1 + delta**2 * p2
    K = delta * p1 + p0 + mp.log(delta)
    return J, Jd, K


def pressure(T, delta):
    p1 = phir_derivatives(delta, tau_of(T))[1]
    return delta * RHO_R * R * T * (1 + delta * p1)


def record_sums(delta, tau):
    """phir, phir_d, phir_dd, phir_t, phir_tt, phir_dt at (delta, tau), and for each the sum of
    its terms' magnitudes."""
    sums = [mp.mpf(0)] * 6
    sizes = [mp.mpf(0)] * 6

    def add(v, a1, a2, b1, b2):
        for q, c in enumerate((v, v * a1, v * (a2 + a1 * a1), v * b1, v * (b2 + b1 * b1), v * a1 * b1)):
            sums[q] += c
            sizes[q] += abs(c)

    for n, t, d, l in EOS["power"]:
        d, l = int(d), int(l)
        e = -(delta**l) if l > 0 else mp.mpf(0)
        e1 = -l * delta ** (l - 1) if l > 0 else mp.mpf(0)
        e2 = -l * (l - 1) * delta ** (l - 2) if l > 1 else mp.mpf(0)
        add(n * tau**t * delta**d * mp.exp(e), d / delta + e1, -d / delta**2 + e2, t / tau, -t / tau**2)
    for k, (n, t, d, eta, beta, gamma, epsilon, b) in enumerate(EOS["bell"]):
        y = tau - gamma
        if k < ASSOCIATION_FROM:
            g, g1, g2 = -beta * y * y, -2 * beta * y, -2 * beta
        else:
            q = beta * y * y + b
            g, g1, g2 = 1 / q, -2 * beta * y / q**2, -2 * beta / q**2 + 8 * beta**2 * y * y / q**3
        x = delta - epsilon
        add(n * tau**t * delta**d * mp.exp(-eta * x * x + g), d / delta - 2 * eta * x,
            -d / delta**2 - 2 * eta, t / tau + g1, -t / tau**2 + g2)
    return sums, sizes


def ideal_in_tau(tau):
    """The ideal part without ln delta, its tau-derivatives, and their terms' magnitudes."""
    c = EOS["ideal"]
    terms0 = [c["IDEAL_A1"], c["IDEAL_A2"] * tau, (c["IDEAL_C0"] - 1) * mp.log(tau)]
    terms1 = [c["IDEAL_A2"], (c["IDEAL_C0"] - 1) / tau]
    terms2 = [-(c["IDEAL_C0"] - 1) / tau**2]
    for v, u in zip(c["IDEAL_V"], c["IDEAL_U"]):
        theta = u / T_R
        e = mp.exp(-theta * tau)
        terms0.append(v * mp.log(1 - e))
        terms1.append(v * theta * e / (1 - e))
        terms2.append(-v * theta**2 * e / (1 - e) ** 2)
    return [(sum(ts), sum(abs(x) for x in ts)) for ts in (terms0, terms1, terms2)]


def third_sums(delta, tau):
    """phir_ddd, phir_ddt at (delta, tau), and for each the sum of its terms' magnitudes. A term
    v(delta, tau) with a1 = d ln v / d delta (a function of delta alone), a2 and a3 its next
    derivatives and b1 = d ln v / d tau adds v (a3 + 3 a1 a2 + a1^3) and v b1 (a2 + a1^2)."""
    sums = [mp.mpf(0)] * 2
    sizes = [mp.mpf(0)] * 2

    def add(v, a1, a2, a3, b1):
        for q, c in enumerate((v * (a3 + 3 * a1 * a2 + a1**3), v * b1 * (a2 + a1 * a1))):
            sums[q] += c
            sizes[q] += abs(c)

    for n, t, d, l in EOS["power"]:
        d, l = int(d), int(l)
        e = -(delta**l) if l > 0 else mp.mpf(0)
        e1 = -l * delta ** (l - 1) if l > 0 else mp.mpf(0)
        e2 = -l * (l - 1) * delta ** (l - 2) if l > 1 else mp.mpf(0)
        e3 = -l * (l - 1) * (l - 2) * delta ** (l - 3) if l > 2 else mp.mpf(0)
        add(n * tau**t * delta**d * mp.exp(e), d / delta + e1, -d / delta**2 + e2, 2 * d / delta**3 + e3,
            t / tau)
    for k, (n, t, d, eta, beta, gamma, epsilon, b) in enumerate(EOS["bell"]):
        y = tau - gamma
        if k < ASSOCIATION_FROM:
            g, g1 = -beta * y * y, -2 * beta * y
        else:
            q = beta * y * y + b
            g, g1 = 1 / q, -2 * beta * y / q**2
        x = delta - epsilon
        add(n * tau**t * delta**d * mp.exp(-eta * x * x + g), d / delta - 2 * eta * x, -d / delta**2 - 2 * eta,
            2 * d / delta**3, t / tau + g1)
    return sums, sizes


def low_density_sums(tau):
    """The limits of phir_d and phir_dd at zero density, and their terms' magnitudes: a term
    n delta^d g(tau) h(delta) adds n g h(0) to the first when d = 1; to the second 2 n g h'(0)
    when d = 1 and 2 n g h(0) when d = 2."""
    sums = [mp.mpf(0)] * 2
    sizes = [mp.mpf(0)] * 2

    def add(d, value, slope):
        parts = {1: ((0, value), (1, 2 * value * slope)), 2: ((1, 2 * value),)}.get(d, ())
        for q, c in parts:
            sums[q] += c
            sizes[q] += abs(c)

    for n, t, d, l in EOS["power"]:
        d, l = int(d), int(l)
        add(d, n * tau**t, -1 if l == 1 else 0)
    for k, (n, t, d, eta, beta, gamma, epsilon, b) in enumerate(EOS["bell"]):
        y = tau - gamma
        g = -beta * y * y if k < ASSOCIATION_FROM else 1 / (beta * y * y + b)
        add(int(d), n * tau**t * mp.exp(-eta * epsilon * epsilon + g), 2 * eta * epsilon)
    return sums, sizes


def critical_point():
    """(delta, tau) where dJ/d delta = d2J/d delta2 = 0, from the reducing point."""

    def slope(delta, tau):
        return jk(delta, tau)[1]

    def equations(delta, tau):
        return [slope(delta, tau), mp.diff(lambda z: slope(z, tau), delta)]

    delta, tau = mp.findroot(equations, (mp.mpf(1), mp.mpf(1)))
    return delta, tau


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
        while small > THETA_LOW / 2:
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
    if theta in EQUILIBRIUM_CACHE:
        return EQUILIBRIUM_CACHE[theta]
    T = TC - theta**2
    sol = newton_equilibrium(T, *SKELETON.guess(theta))
    if sol is None:
        sys.exit("no equilibrium at T = %s K" % mp.nstr(T, 20))
    dl, dv = sol
    EQUILIBRIUM_CACHE[theta] = (pressure(T, dv), dl * RHO_R, dv * RHO_R)
    return EQUILIBRIUM_CACHE[theta]


EQUILIBRIUM_CACHE = {}


def records_at_theta(theta):
    """The saturated records' sums at T = Tc - theta^2 (RECORD_COLUMNS), then their scales."""
    T = TC - theta**2
    tau = tau_of(T)
    _, rl, rv = equilibrium_at_theta(theta)
    values, scales = [], []
    for rho in (rl, rv):
        sums, sizes = record_sums(rho / RHO_R, tau)
        values += sums
        scales += sizes
    (i0, s0), (i1, s1), (i2, s2) = ideal_in_tau(tau)
    for rho in (rl, rv):
        ln_delta = mp.log(rho / RHO_R)
        values.append(ln_delta + i0)
        scales.append(abs(ln_delta) + s0)
    values += [i1, i2]
    scales += [s1, s2]
    return values + [max(abs(v), s / RECORD_SCALE_SPREAD) for v, s in zip(values, scales)]


# The columns of the saturated records' expansions: the liquid's residual sums, the vapour's, the
# ideal part of each (with its ln delta), and the ideal part's tau-derivatives.
SUM_NAMES = ("phir", "phir_d", "phir_dd", "phir_t", "phir_tt", "phir_dt")
RECORD_COLUMNS = ([n + "'" for n in SUM_NAMES] + [n + "''" for n in SUM_NAMES]
                  + ["phi0'", "phi0''", "phi0_t", "phi0_tt"])


# The columns of the third derivatives' expansions: phir_ddd and phir_ddt of the liquid and of
# the vapour at the equilibrium's densities, and the zero-density limits of phir_d and phir_dd
# (the virial coefficients' sums; a function of the temperature alone).
THIRD_COLUMNS = ("phir_ddd'", "phir_ddt'", "phir_ddd''", "phir_ddt''", "phir_d(0)", "phir_dd(0)")


def third_at_theta(theta):
    """The THIRD_COLUMNS at T = Tc - theta^2, then their scales (as records_at_theta)."""
    tau = tau_of(TC - theta**2)
    _, rl, rv = equilibrium_at_theta(theta)
    values, scales = [], []
    for rho in (rl, rv):
        sums, sizes = third_sums(rho / RHO_R, tau)
        values += sums
        scales += sizes
    sums, sizes = low_density_sums(tau)
    values += sums
    scales += sizes
    return values + [max(abs(v), s / RECORD_SCALE_SPREAD) for v, s in zip(values, scales)]


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


def fit_interval(a, b, degree, function, tolerance_of, fitted=None):
    """Expansions of the first `fitted` quantities of `function` (all by default) on [a, b]
    (doubles) with double coefficients, and the largest error between the nodes (in units of
    tolerance_of(q, values), which may read the quantities `function` gives beyond those)."""
    scale, offset = mapping(a, b)
    nodes = chebyshev_nodes(degree)
    samples = [function((x - offset) / scale) for x in nodes]
    fits = []
    for q in range(len(samples[0]) if fitted is None else fitted):
        coeffs = chebyshev_fit([s[q] for s in samples], nodes)
        fits.append([float(c) for c in coeffs])
    # Check between the nodes and at both ends.
    checks = [(nodes[j] + nodes[j + 1]) / 2 for j in range(degree)] + [mp.mpf(1), mp.mpf(-1)]
    worst = [mp.mpf(0)] * len(fits)
    for x in checks:
        exact = function((x - offset) / scale)
        for q, f in enumerate(fits):
            err = abs(clenshaw([mp.mpf(c) for c in f], x) - exact[q]) / tolerance_of(q, exact)
            worst[q] = max(worst[q], err)
    return scale, offset, fits, worst


def bisect_fit(lower, upper, degree, function, tolerance_of, label, fitted=None):
    """Intervals [lower, upper] cut in halves until every fit is within tolerance (worst <= 1)."""
    pending = [(lower, upper)]
    done = []
    while pending:
        a, b = pending.pop()
        scale, offset, fits, worst = fit_interval(a, b, degree, function, tolerance_of, fitted)
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
        "// models/gao2023/src/coefficients.hpp (tau = 405.56 / T, delta = rho / (13.696 mol/dm3 M),",
        "// R = 8.314462618 J/(mol K) / M); do not edit. Chebyshev expansions of the phase equilibrium",
        "// of the 2023 equation.",
        "// Forward: over theta = sqrt(Tc - T), on THETA_BOUNDS[k] <= theta <= THETA_BOUNDS[k + 1],",
        "// x = scale theta + offset, columns p [Pa], rho' and rho'' [kg/m3]. Inverse: u = Tc - T [K]",
        "// over p [Pa], x = scale p + offset; block k holds the p whose bits shifted right by",
        "// INVERSE_BLOCK_SHIFT are INVERSE_FIRST_KEY + k, and in it piece first + ((bits >> shift) &",
        "// mask). Coefficients from T_0 up.",
        "",
        "namespace zeltra5::gao2023::saturation_expansion {",
        "",
        "// The equation's critical point: Tc = CRITICAL_TEMPERATURE_HI + CRITICAL_TEMPERATURE_LO.",
        "inline constexpr double CRITICAL_TEMPERATURE_HI = %s;  // K" % fmt(tc_hi),
        "inline constexpr double CRITICAL_TEMPERATURE_LO = %s;" % fmt(tc_lo),
        "inline constexpr double CRITICAL_PRESSURE = %s;  // Pa" % fmt(float(PC)),
        "inline constexpr double CRITICAL_DENSITY = %s;  // kg/m3" % fmt(float(RHOC)),
        "",
        "// Equilibrium is answered from LOWEST_TEMPERATURE (the triple point less 1e-9 K, as the",
        "// program forms it) to HIGHEST_TEMPERATURE (the reducing temperature less 0.01 K), and",
        "// between the pressures there.",
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
    lines += ["};", "// clang-format on", "", "}  // namespace zeltra5::gao2023::saturation_expansion", ""]
    return clang_formatted("\n".join(lines))


def write_expansion_header(pieces, namespace, about, columns, path):
    """A header of piecewise expansions over theta: `about` the comment lines after the common
    first ones, `columns` the lines of the Column enumeration before COLUMN_COUNT."""
    lines = [
        "#pragma once",
        "// Generated by tools/gao2023-saturation-expansions.py from the terms of",
        "// models/gao2023/src/coefficients.hpp (tau = 405.56 / T, delta = rho / (13.696 mol/dm3 M));",
    ] + about + [
        "",
        "namespace zeltra5::gao2023::%s {" % namespace,
        "",
        "enum Column : int {",
    ] + columns + [
        "    COLUMN_COUNT",
        "};",
        "",
        "inline constexpr int DEGREE = %d;" % RECORD_DEGREE,
        "inline constexpr int INTERVAL_COUNT = %d;" % len(pieces),
        "",
        "struct Piece {",
        "    double scale;",
        "    double offset;",
        "    double c[DEGREE + 1][COLUMN_COUNT];",
        "};",
        "",
        "// clang-format off",
        "inline constexpr double THETA_BOUNDS[INTERVAL_COUNT + 1] = {",
    ]
    lines += ["    %s," % fmt(a) for (a, *_rest) in pieces] + ["    %s," % fmt(pieces[-1][1]), "};", ""]
    lines.append("inline constexpr Piece PIECES[INTERVAL_COUNT] = {")
    for a, b, scale, offset, fits, _ in pieces:
        lines.append("    {%s, %s, {  // theta in [%s, %s]" % (fmt(scale), fmt(offset), fmt(a), fmt(b)))
        for k in range(RECORD_DEGREE + 1):
            lines.append("        {%s}," % ", ".join(fmt(f[k]) for f in fits))
        lines.append("    }},")
    lines += ["};", "// clang-format on", "", "}  // namespace zeltra5::gao2023::%s" % namespace, ""]
    return clang_formatted("\n".join(lines), path)


def write_record_header(pieces):
    return write_expansion_header(pieces, "saturated_record_expansion", [
        "// do not edit. Chebyshev expansions over theta = sqrt(Tc - T) (Tc as in",
        "// saturation_expansion_coefficients.hpp) of the sums the saturated records hold, at the",
        "// equilibrium's densities: on THETA_BOUNDS[k] <= theta <= THETA_BOUNDS[k + 1],",
        "// x = scale theta + offset, coefficients from T_0 up, columns as Column names them.",
    ], [
        "    // The liquid's residual sums, then the vapour's.",
        "    LIQUID_PHIR, LIQUID_PHIR_D, LIQUID_PHIR_DD, LIQUID_PHIR_T, LIQUID_PHIR_TT, LIQUID_PHIR_DT,",
        "    VAPOUR_PHIR, VAPOUR_PHIR_D, VAPOUR_PHIR_DD, VAPOUR_PHIR_T, VAPOUR_PHIR_TT, VAPOUR_PHIR_DT,",
        "    // The ideal part of each (with its ln delta), and its tau-derivatives.",
        "    LIQUID_PHI0, VAPOUR_PHI0, PHI0_T, PHI0_TT,",
    ], RECORD_HEADER)


def write_third_header(pieces):
    return write_expansion_header(pieces, "saturated_third_expansion", [
        "// do not edit. Chebyshev expansions over theta = sqrt(Tc - T) (Tc as in",
        "// saturation_expansion_coefficients.hpp) of the third residual derivatives at the",
        "// equilibrium's densities and of the zero-density limits of phir_d and phir_dd: on",
        "// THETA_BOUNDS[k] <= theta <= THETA_BOUNDS[k + 1], x = scale theta + offset, coefficients",
        "// from T_0 up, columns as Column names them.",
    ], [
        "    LIQUID_PHIR_DDD, LIQUID_PHIR_DDT, VAPOUR_PHIR_DDD, VAPOUR_PHIR_DDT,",
        "    // The limits of phir_d and phir_dd at zero density.",
        "    LOW_DENSITY_D, LOW_DENSITY_DD,",
    ], THIRD_HEADER)


def clang_formatted(text, path=HEADER):
    """The text as the project's .clang-format lays it out (the tables are exempt)."""
    tool = shutil.which("clang-format")
    if tool is None:
        print("warning: no clang-format; the header is written as generated")
        return text
    return subprocess.run([tool, "--assume-filename=" + path], input=text, capture_output=True,
                          text=True, check=True).stdout


def check_temperatures(top):
    """About 200 doubles: both ends, a uniform spread, and ever closer to Tc."""
    ts = [LOWEST_T, 195.49, top]
    n = 150
    for k in range(1, n):
        ts.append(195.49 + (float(TC) - 195.49) * k / n)
    for e in range(0, 9):
        for m in (5.0, 2.0, 1.0):
            gap = m * 10.0 ** -(e + 1) * 10
            ts.append(float(TC - mp.mpf(gap)))
    ts += [float(TC - mp.mpf("3e-9")), float(TC - mp.mpf("1.5e-9"))]
    for t in (-77.0, 0.0, 25.0, 50.0, 100.0, 120.0, 130.0, 131.0, 132.0, 132.3, 132.39):
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

    def relative(q, values):
        return TOLERANCE * abs(values[q])

    forward = bisect_fit(float(THETA_LOW), theta_max, DEGREE, equilibrium_at_theta, relative, "theta")

    top = TOP_T

    def forward_at(T):
        return evaluate_pieces(forward, mp.sqrt(TC - T))

    p_low = float(forward_at(mp.mpf(LOWEST_T))[0])
    p_high = float(forward_at(mp.mpf(top))[0])

    def p_only(theta, exact):
        """The forward expansion's pressure at theta: in doubles, or exact over mpf."""
        for lo_, hi_, scale, offset, fits, _ in forward:
            if theta <= hi_:
                break
        x = scale * theta + offset
        c = fits[0] if not exact else [mp.mpf(v) for v in fits[0]]
        b1 = b2 = 0.0 if not exact else mp.mpf(0)
        for coefficient in reversed(c[1:]):
            b1, b2 = 2 * x * b1 - b2 + coefficient, b1
        return x * b1 - b2 + c[0]

    def u_at_p(p):
        """u = Tc - T where the forward expansion gives p: bisection in doubles, then Newton in
        theta over the exact expansion (quadratic: a few steps reach the working precision)."""
        lo, hi = 0.0, theta_max
        for _ in range(70):
            mid = (lo + hi) / 2
            if p_only(mid, False) > p:
                lo = mid
            else:
                hi = mid
        theta = mp.mpf((lo + hi) / 2)
        for _ in range(8):
            f = p_only(theta, True) - p
            h = theta * mp.mpf("1e-15")
            df = (p_only(theta + h, True) - p_only(theta - h, True)) / (2 * h)
            step = f / df
            theta -= step
            if abs(step) < mp.mpf("1e-36") * theta:
                break
        return [theta**2]

    def absolute(q, values):
        return INVERSE_TOLERANCE_K + TOLERANCE * abs(values[q])

    # Pieces from a little below the lowest pressure (the forward expansions reach 195.4 K) to the
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
                    print("    level %d: piece [%.17g, %.17g] off by %s" % (level, a, b, mp.nstr(piece[3][0], 3)))
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

    columns = len(RECORD_COLUMNS)

    def record_scale(q, values):
        return RECORD_TOLERANCE * values[columns + q]

    records = bisect_fit(float(THETA_LOW), theta_max, RECORD_DEGREE, records_at_theta, record_scale,
                         "records", columns)
    record_header = write_record_header(records)

    third_count = len(THIRD_COLUMNS)

    def third_scale(q, values):
        return RECORD_TOLERANCE * values[third_count + q]

    thirds = bisect_fit(float(THETA_LOW), theta_max, RECORD_DEGREE, third_at_theta, third_scale,
                        "third", third_count)
    third_header = write_third_header(thirds)

    rows = ["T_K,p_Pa,rho_liquid,rho_vapour"]
    worst = [mp.mpf(0)] * 3
    for t in check_temperatures(top):
        p, rl, rv = equilibrium_at_temperature(mp.mpf(t))
        rows.append(",".join(fmt(float(v)) for v in (t, p, rl, rv)))
        for q, (e, v) in enumerate(zip(forward_at(mp.mpf(t)), (p, rl, rv))):
            worst[q] = max(worst[q], abs(e - v) / abs(v))
    csv = "\n".join(rows) + "\n"
    record_worst = [mp.mpf(0)] * columns
    record_rows = ["T_K," + ",".join(RECORD_COLUMNS) + "," + ",".join("scale " + n for n in RECORD_COLUMNS)]
    for t in check_temperatures(top):
        theta = mp.sqrt(TC - mp.mpf(t))
        exact = records_at_theta(theta)
        record_rows.append(",".join(fmt(float(v)) for v in [t] + exact))
        for q, e in enumerate(evaluate_pieces(records, theta)):
            record_worst[q] = max(record_worst[q], abs(e - exact[q]) / exact[columns + q])

    third_worst = [mp.mpf(0)] * third_count
    third_rows = ["T_K," + ",".join(THIRD_COLUMNS) + "," + ",".join("scale " + n for n in THIRD_COLUMNS)]
    for t in check_temperatures(top):
        theta = mp.sqrt(TC - mp.mpf(t))
        exact = third_at_theta(theta)
        third_rows.append(",".join(fmt(float(v)) for v in [t] + exact))
        for q, e in enumerate(evaluate_pieces(thirds, theta)):
            third_worst[q] = max(third_worst[q], abs(e - exact[q]) / exact[third_count + q])
    third_csv = "\n".join(third_rows) + "\n"

    print("forward: %d intervals of degree %d; inverse: %d blocks, %d intervals of degree %d"
          % (len(forward), DEGREE, len(blocks), len(inverse), INVERSE_DEGREE))
    print("largest relative error at the %d check points (expansions in exact arithmetic): "
          "p %s, rho' %s, rho'' %s" % (len(rows) - 1, *(mp.nstr(w, 3) for w in worst)))
    print("largest fit error between nodes (units of the tolerance): forward %s, inverse %s"
          % (mp.nstr(max(max(p[5]) for p in forward), 3), mp.nstr(max(max(p[5]) for p in inverse), 3)))
    record_csv = "\n".join(record_rows) + "\n"
    print("saturated records: %d intervals of degree %d; largest error at the check points "
          "(expansions in exact arithmetic), in units of each column's scale:" % (len(records), RECORD_DEGREE))
    print("  " + ", ".join("%s %s" % (n, mp.nstr(w, 3)) for n, w in zip(RECORD_COLUMNS, record_worst)))
    print("third derivatives and zero-density limits: %d intervals of degree %d; largest error at the "
          "check points, in units of each column's scale:" % (len(thirds), RECORD_DEGREE))
    print("  " + ", ".join("%s %s" % (n, mp.nstr(w, 3)) for n, w in zip(THIRD_COLUMNS, third_worst)))
    print("answered: T in [%s, %s] K, p in [%s, %s] Pa" % (fmt(LOWEST_T), fmt(top), fmt(p_low), fmt(p_high)))

    if check_only:
        same = (read_text(HEADER) == header and read_text(POINTS) == csv
                and os.path.exists(RECORD_HEADER) and read_text(RECORD_HEADER) == record_header
                and os.path.exists(RECORD_POINTS) and read_text(RECORD_POINTS) == record_csv
                and os.path.exists(THIRD_HEADER) and read_text(THIRD_HEADER) == third_header
                and os.path.exists(THIRD_POINTS) and read_text(THIRD_POINTS) == third_csv)
        print("files in the tree are " + ("up to date" if same else "DIFFERENT"))
        sys.exit(0 if same else 1)
    with open(HEADER, "w", encoding="utf-8") as f:
        f.write(header)
    os.makedirs(os.path.dirname(POINTS), exist_ok=True)
    with open(RECORD_HEADER, "w", encoding="utf-8") as f:
        f.write(record_header)
    with open(THIRD_HEADER, "w", encoding="utf-8") as f:
        f.write(third_header)
    with open(THIRD_POINTS, "w", encoding="utf-8") as f:
        f.write(third_csv)
    with open(POINTS, "w", encoding="utf-8") as f:
        f.write(csv)
    with open(RECORD_POINTS, "w", encoding="utf-8") as f:
        f.write(record_csv)
    print("wrote %s in %.0f s" % (", ".join(os.path.relpath(f, ROOT) for f in (HEADER, RECORD_HEADER, THIRD_HEADER, POINTS, RECORD_POINTS, THIRD_POINTS)),
                                  time.time() - started))


if __name__ == "__main__":
    main()
