#!/usr/bin/python3
"""Writes core/src/pow10_table.inc: the 126-bit powers of ten, the logarithm constants and the
per-exponent shifts of the shortest double-to-text conversion (core/src/format_shortest.cpp), and
proves, with exact integer arithmetic, the facts that conversion relies on:

1. The integer approximations of floor(q log10 2), floor(log10(3/4 2^q)) and floor(e log2 10) are
   exact over every exponent a finite double needs.
2. For every binary exponent q and every scaled significand cp the conversion uses (4c - 2, 4c - 1,
   4c, 4c + 2 for a significand c), the product of cp << h with the table entry g(-k), divided
   by 2^128, floored and with its lowest bit set when the next 64 bits are not all zero, equals
   the exact T = cp 2^q 10^-k rounded to odd (floor(T), with the lowest bit set when T is not an
   integer). That is what lets the conversion compare the product with even integers as if it
   were exact. Each case is also checked on a few significands against exact arithmetic.
3. The half-width of the rounding interval, as the fast way reads it from the table, stays below 20
   quarters with its margin (BINARY_EXPONENTS).

Table entry for e = -k: g(e) = floor(10^e / 2^r) + 1 with r = floor(log2 10^e) - 125, so that
2^125 <= g < 2^126 and 0 < g - 10^e / 2^r <= 1.

Usage: /usr/bin/python3 tools/pow10-table.py [output]   (default core/src/pow10_table.inc)
"""

import math
import os
import random
import sys

Q_MIN, Q_MAX = -1074, 971  # binary exponents of a double: value = c 2^q, c < 2^53
CP_MAX = 4 * (2**53 - 1) + 2  # largest scaled significand 4c + 2
G_BITS = 126


def at_least_pow10(num, den, k):
    """num / den >= 10^k."""
    return num >= den * 10**k if k >= 0 else num * 10**-k >= den


def floor_log10(num, den):
    """floor(log10(num / den)) for positive integers."""
    k = len(str(num)) - len(str(den))
    while not at_least_pow10(num, den, k):
        k -= 1
    while at_least_pow10(num, den, k + 1):
        k += 1
    return k


def floor_log2_pow10(e):
    if e >= 0:
        return (10**e).bit_length() - 1
    return -((10**-e).bit_length())  # 10^n is not a power of two for n >= 1


def pow2_fraction(q):
    return (2**q, 1) if q >= 0 else (1, 2**-q)


def exact_log10_pow2(q):
    num, den = pow2_fraction(q)
    return floor_log10(num, den)


def exact_log10_three_quarters_pow2(q):
    num, den = pow2_fraction(q)
    return floor_log10(3 * num, 4 * den)


def find_log10_constants(lo, hi):
    """The smallest shift s, with a multiplier m near log10(2) 2^s and an offset b near
    log10(3/4) 2^s, such that (q m) >> s == floor(q log10 2) and (q m + b) >> s ==
    floor(log10(3/4 2^q)) for every q in [lo, hi]."""
    plain = {q: exact_log10_pow2(q) for q in range(lo, hi + 1)}
    three_quarters = {q: exact_log10_three_quarters_pow2(q) for q in range(lo, hi + 1)}
    for s in range(8, 48):
        m0 = round(0.30102999566398120 * 2**s)
        b0 = round(-0.12493873660829995 * 2**s)
        for m in (m0, m0 - 1, m0 + 1):
            if any((q * m) >> s != k for q, k in plain.items()):
                continue
            for b in range(b0 - 2, b0 + 3):
                if all((q * m + b) >> s == k for q, k in three_quarters.items()):
                    return m, b, s
    raise SystemExit("no log10 constants found")


def find_log2_constants(lo, hi):
    """The smallest shift s with (e m) >> s == floor(e log2 10) for every e in [lo, hi]."""
    exact = {e: floor_log2_pow10(e) for e in range(lo, hi + 1)}
    for s in range(8, 48):
        m0 = round(3.32192809488736235 * 2**s)
        for m in (m0, m0 - 1, m0 + 1):
            if all((e * m) >> s == k for e, k in exact.items()):
                return m, s
    raise SystemExit("no log2 constant found")


def continued_fraction_min_distance(num, den, limit):
    """min over 1 <= x <= limit of |x num / den - nearest integer| as a fraction (n, den): the
    best approximations of the second kind are the convergents, so the minimum sits at the
    largest convergent denominator not above `limit`."""
    p_prev, p = 0, 1
    q_prev, q = 1, 0
    a, b = num, den
    best = None
    while b:
        t = a // b
        a, b = b, a - t * b
        p_prev, p = p, t * p + p_prev
        q_prev, q = q, t * q + q_prev
        if q > limit:
            break
        best = (p, q)
    p, q = best
    return abs(q * num - p * den)


def rounded_product(g, x):
    product = g * x
    return (product >> 128) | (1 if (product >> 64) & (2**64 - 1) else 0)


def exact_round_to_odd(num, den):
    whole, rest = divmod(num, den)
    return whole | (1 if rest else 0)


def sample_significands(q, irregular):
    if irregular:
        return (2**54 - 1, 2**54, 2**54 + 2)
    rng = random.Random(q)
    low = 1 if q == Q_MIN else 2**52
    cs = [low, 2**53 - 1] + [rng.randrange(low, 2**53) for _ in range(3)]
    return [4 * c + d for c in cs for d in (-2, 0, 2) if 4 * c + d > 0]


def main():
    out_path = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "core", "src", "pow10_table.inc"))

    # Decimal exponents k of every case, and the powers 10^-k they need.
    cases = []  # (q, irregular)
    for q in range(Q_MIN, Q_MAX + 1):
        cases.append((q, False))
        if q > Q_MIN:
            cases.append((q, True))

    log10_mul, log10_add, log10_shift = find_log10_constants(Q_MIN, Q_MAX)
    ks = [exact_log10_three_quarters_pow2(q) if irr else exact_log10_pow2(q) for q, irr in cases]
    e_min, e_max = -max(ks), -min(ks)
    log2_mul, log2_shift = find_log2_constants(e_min, e_max)

    entries = []
    for e in range(e_min, e_max + 1):
        r = floor_log2_pow10(e) - (G_BITS - 1)
        if e >= 0:
            g = (10**e >> r if r >= 0 else 10**e << -r) + 1
        else:
            g = (2**-r) // 10**-e + 1
        assert 2 ** (G_BITS - 1) <= g < 2**G_BITS
        entries.append(g)

    # The rounding proof, case by case.
    h_values = set()
    checked = 0
    for (q, irregular), k in zip(cases, ks):
        e = -k
        g = entries[e - e_min]
        h = q + floor_log2_pow10(e) + 3
        h_values.add(h)
        assert (CP_MAX << h) < 2**64, (q, h)
        # alpha = 2^q 10^-k = num / den in lowest terms.
        num, den = pow2_fraction(q)
        if e >= 0:
            num *= 10**e
        else:
            den *= 10**-e
        common = math.gcd(num, den)
        num, den = num // common, den // common
        # The product is g (cp << h) / 2^128 = T + delta with T = cp alpha and 0 < delta < 2^-64.
        # Taking its floor, with the lowest bit set when the next 64 bits are not all zero, gives
        # the exact T rounded to odd (the conversion compares it only with even integers), so
        # long as T is an even integer or at least 2^-64 from every even integer: near an odd
        # integer n both T and the product round to n whichever side they fall. This holds
        # without further work when den <= 2^64.
        if den <= 2**64:
            pass
        elif irregular:
            # Only c = 2^52: cp is 4c - 1, 4c or 4c + 2.
            for cp in (2**54 - 1, 2**54, 2**54 + 2):
                rest = cp * num % (2 * den)  # T modulo 2, times den
                assert rest == 0 or min(rest, 2 * den - rest) * 2**64 >= den, (q, cp)
        else:
            # cp = 2y with y = 2c - 1, 2c or 2c + 1 <= 2^54 + 1 (c < 2^52 for the subnormals), and
            # the distance of T to the even integers is twice that of y alpha to the integers.
            dist = continued_fraction_min_distance(num, den, 2**54 + 1)
            assert dist * 2**65 >= den, (q, dist / den)
        for cp in sample_significands(q, irregular):
            assert rounded_product(g, cp << h) == exact_round_to_odd(cp * num, den), (q, cp)
        checked += 1

    lines = [
        "// Generated by tools/pow10-table.py; do not edit.",
        "// POW10_G[e - POW10_E_MIN] = floor(10^e / 2^r) + 1 with r = floor(log2 10^e) - 125, in",
        "// [2^125, 2^126), as {high 64 bits, low 64 bits}.",
        "",
        f"inline constexpr int POW10_E_MIN = {e_min};",
        f"inline constexpr int POW10_E_MAX = {e_max};",
        "",
        "// floor(q log10 2) = (q * LOG10_2_MUL) >> LOG10_2_SHIFT, and floor(log10(3/4 2^q)) =",
        "// (q * LOG10_2_MUL + LOG10_3_4_ADD) >> LOG10_2_SHIFT, for every binary exponent q of a double;",
        "// floor(e log2 10) = (e * LOG2_10_MUL) >> LOG2_10_SHIFT for POW10_E_MIN <= e <= POW10_E_MAX.",
    ]
    lines += [
        f"inline constexpr std::int64_t LOG10_2_MUL = {log10_mul};",
        f"inline constexpr std::int64_t LOG10_3_4_ADD = {log10_add};",
        f"inline constexpr int LOG10_2_SHIFT = {log10_shift};",
        f"inline constexpr std::int64_t LOG2_10_MUL = {log2_mul};",
        f"inline constexpr int LOG2_10_SHIFT = {log2_shift};",
        "",
        f"inline constexpr Uint128Parts POW10_G[{len(entries)}] = {{",
    ]
    for e, g in zip(range(e_min, e_max + 1), entries):
        lines.append(f"    {{0x{g >> 64:016x}, 0x{g & (2**64 - 1):016x}}},  // 10^{e}")
    lines.append("};")
    # k and h of each biased exponent with regular spacing (q = biased - 1075; 0 as 1).
    lines += [
        "",
        "// BINARY_EXPONENTS[b] for the biased exponent b of a double with regular spacing, q = b - 1075",
        "// (b = 0 as b = 1): {k, the index of 10^-k in POW10_G, h + 2, 7 - h} with",
        "// k = floor(q log10 2) and h = q + floor(-k log2 10) + 3.",
        "inline constexpr BinaryExponent BINARY_EXPONENTS[2047] = {",
    ]
    row = []
    for b in range(0, 2047):
        q = max(b, 1) - 1075
        k = exact_log10_pow2(q)
        h = q + floor_log2_pow10(-k) + 3
        assert k == (q * log10_mul) >> log10_shift and 3 <= h <= 6
        # The fast way's half-width in 56-bit fixed point (quarters), plus its margin of 4, is
        # below 20: its test for no multiple of 10 in the interval subtracts twice that from 40.
        half_width = entries[-k - e_min] >> (71 - h)
        assert 2 * (half_width + 4) < 40 * 2**56, q
        row.append(f"{{{k}, {-k - e_min}, {h + 2}, {7 - h}}},")
        if len(row) == 4 or b == 2046:
            lines.append("    " + " ".join(row))
            row = []
    lines.append("};")
    with open(out_path, "w") as f:
        f.write("\n".join(lines) + "\n")
    print(f"{out_path}: {len(entries)} powers 10^{e_min}..10^{e_max}, {checked} exponent cases "
          f"proved, h in {min(h_values)}..{max(h_values)}")


if __name__ == "__main__":
    main()
