// The shortest text that reads back as the same double (format_shortest), as std::to_chars writes
// it: fixed notation from 1e-4 to 1e15, scientific with a signed two- or three-digit exponent
// otherwise.
//
// The digits come from the Schubfach method (R. Giulietti, "The Schubfach way to render doubles",
// 2020). A double v = c 2^q rounds back from every number in its rounding interval R, from
// (c - 1/2) 2^q to (c + 1/2) 2^q, bounds included when c is even (the reader rounds ties to even);
// at the bottom of a binade (c = 2^52) the lower bound is (c - 1/4) 2^q. Scaled by 10^-k, with k
// the largest integer such that 10^k is at most the width of R, the interval is at least 1 and
// less than 10 wide. So it holds at most one multiple of 10, and when it does, that one has the
// fewest digits; otherwise the fewest digits are those of the integers in it, and the nearest of
// them to v is floor(v 10^-k) or the next integer (a tie to the even one). The scaled v and the
// bounds are computed with a 126-bit 10^-k, and only compared with even integers (in quarter
// units), which tools/pow10-table.py proves exact for every exponent.
//
// Most doubles take a shorter way (format_shortest below): the interval's half-width, known from
// the exponent alone, and the scaled v with 56 fraction bits settle which candidates lie in the
// interval without computing its bounds, unless a distance falls within a few units in the last
// place of those fixed-point figures of the half-width; then, and for the bottom of a binade, the
// subnormals and zero, the bounds are computed (format_exact).

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "zeltra5/format_shortest.hpp"

namespace zeltra5 {
namespace {

struct Uint128Parts {
    std::uint64_t high;
    std::uint64_t low;
};

// What the fast way needs of a binary exponent q with regular spacing.
struct alignas(8) BinaryExponent {
    std::int16_t k;                 // floor(q log10 2)
    std::uint16_t pow10_index;      // of 10^-k in POW10_G
    std::uint8_t scale_shift;       // h + 2, h = q + floor(-k log2 10) + 3 (see exact_decimal)
    std::uint8_t half_width_shift;  // 7 - h
};

#include "pow10_table.inc"

// The 128-bit product a b: its high half returned, its low half in `low`.
inline std::uint64_t multiply_wide(const std::uint64_t a, const std::uint64_t b,
                                   std::uint64_t& low) {
#if defined(__SIZEOF_INT128__)
    const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    low = static_cast<std::uint64_t>(product);
    return static_cast<std::uint64_t>(product >> 64);
#else
    const std::uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32;
    const std::uint64_t b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
    const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const std::uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    low = (middle << 32) | (p00 & 0xFFFFFFFFu);
    return p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32);
#endif
}

// g x / 2^128 in 64.64 fixed point (truncated).
struct Scaled {
    std::uint64_t whole;
    std::uint64_t fraction;
};

inline Scaled scale(const Uint128Parts& g, const std::uint64_t x) {
    std::uint64_t low_low;  // below the 64 bits that decide; dropped
    const std::uint64_t low_high = multiply_wide(g.low, x, low_low);
    std::uint64_t high_low;
    const std::uint64_t high_high = multiply_wide(g.high, x, high_low);
    const std::uint64_t fraction = high_low + low_high;
    return {high_high + (fraction < high_low ? 1 : 0), fraction};
}

// The integer part of g x / 2^128, with the lowest bit set when the fraction is not zero: the
// exact x 2^q 10^-k rounded to odd (see tools/pow10-table.py).
inline std::uint64_t round_to_odd(const Scaled& v) {
    return v.whole | (v.fraction != 0 ? 1 : 0);
}

// digits 10^exponent.
struct Decimal {
    std::uint64_t digits;
    int exponent;
};

// The shortest decimal in the rounding interval of c 2^q, the nearest to it among those, from the
// bounds themselves. `c` is the significand with its hidden bit, `irregular` that it is 2^52
// above the smallest binade.
inline Decimal exact_decimal(const std::uint64_t c, const int q, const bool irregular) {
    const int k =
        static_cast<int>((q * LOG10_2_MUL + (irregular ? LOG10_3_4_ADD : 0)) >> LOG10_2_SHIFT);
    const int h = q + static_cast<int>((-k * LOG2_10_MUL) >> LOG2_10_SHIFT) + 3;
    const Uint128Parts& g = POW10_G[-k - POW10_E_MIN];
    // In quarters, scaled by 10^-k and rounded to odd: v and the bounds below and above it.
    const std::uint64_t cb = c << 2;
    const std::uint64_t vb = round_to_odd(scale(g, cb << h));
    const std::uint64_t vb_low = round_to_odd(scale(g, (irregular ? cb - 1 : cb - 2) << h));
    const std::uint64_t vb_high = round_to_odd(scale(g, (cb + 2) << h));
    const std::uint64_t open = c & 1;  // an odd c does not own the bounds of its interval

    const std::uint64_t s = vb >> 2;  // floor(v 10^-k)
    const std::uint64_t t = s + 1;
    // The multiples of 10 around v: at most one lies in the interval (it is less than 10 wide),
    // and if one does, it has the fewest digits.
    const std::uint64_t s10 = s / 10 * 10;
    const std::uint64_t t10 = s10 + 10;
    const bool s10_in = vb_low + open <= s10 << 2;
    const bool t10_in = (t10 << 2) + open <= vb_high;
    if (s10_in != t10_in) {
        return {s10_in ? s10 : t10, k};
    }
    // Otherwise s or t, whichever lies in it, or the nearer to v, the even one on a tie (4 v 10^-k
    // against 4 s + 2).
    const bool s_in = vb_low + open <= s << 2;
    const bool t_in = (t << 2) + open <= vb_high;
    if (s_in != t_in) {
        return {s_in ? s : t, k};
    }
    const std::uint64_t middle = (s << 2) + 2;
    return {vb < middle || (vb == middle && (s & 1) == 0) ? s : t, k};
}

// The eight decimal digits of x < 10^8 (0 to 9 each) as the bytes of a word, the first digit in
// the highest byte. Split into two 4-digit lanes, each into two 2-digit lanes, each into two
// digits: a lane holding q b + r (b = 10^4, 100, 10) becomes q 2^n + r by adding q (2^n - b), with
// q from a multiplication that divides exactly in these ranges.
inline std::uint64_t eight_digits(const std::uint32_t x) {
    const std::uint64_t q4 = x / 10000;
    std::uint64_t w = x + q4 * ((std::uint64_t{1} << 32) - 10000);
    const std::uint64_t q2 = ((w * 10486) >> 20) & 0x0000007F0000007Fu;
    w += q2 * ((1u << 16) - 100);
    const std::uint64_t q1 = ((w * 103) >> 10) & 0x000F000F000F000Fu;
    return w + q1 * ((1u << 8) - 10);
}

// The digits of eight_digits as text at `out`.
inline void store_digits(char* out, const std::uint64_t digits) {
    std::uint64_t text = digits + 0x3030303030303030u;  // '0' in each byte
    if constexpr (std::endian::native == std::endian::little) {
        text = (text >> 56) | ((text >> 40) & 0xFF00u) | ((text >> 24) & 0xFF0000u) |
               ((text >> 8) & 0xFF000000u) | ((text << 8) & 0xFF00000000u) |
               ((text << 24) & 0xFF0000000000u) | ((text << 40) & 0xFF000000000000u) | (text << 56);
    }
    std::memcpy(out, &text, 8);
}

constexpr std::uint64_t SIGN_BIT = std::uint64_t{1} << 63;
constexpr std::uint64_t INFINITY_BITS = std::bit_cast<std::uint64_t>(HUGE_VAL);
constexpr std::uint64_t HIDDEN_BIT = std::uint64_t{1} << 52;
constexpr std::uint64_t SIGNIFICAND_MASK = HIDDEN_BIT - 1;
// The bit patterns of 1e-4 and 1e15: positive doubles order as their patterns do.
constexpr std::uint64_t PLAIN_LOW = std::bit_cast<std::uint64_t>(1e-4);
constexpr std::uint64_t PLAIN_HIGH = std::bit_cast<std::uint64_t>(1e15);

// The text of a non-zero double, its sign at out[0], its digits (10 tens + unit) 10^exponent with
// tens < 10^16 and unit < 10.
[[gnu::always_inline]] inline char* write_text(char* const out, const std::uint64_t bits,
                                               const std::uint64_t tens, const unsigned unit,
                                               const int unit_exponent) {
    out[0] = '-';
    char* const p = out + (bits >> 63);

    // The digits, always 17 of them with leading zeros.
    const std::uint64_t upper = tens / 100000000;
    const std::uint64_t high = eight_digits(static_cast<std::uint32_t>(upper));
    const std::uint64_t low = eight_digits(static_cast<std::uint32_t>(tens - upper * 100000000));
    char digits[48];  // the copies below read past the 17 digits: zeros, not kept
    store_digits(digits, high);
    store_digits(digits + 8, low);
    digits[16] = static_cast<char>('0' + unit);
    std::memset(digits + 17, '0', sizeof digits - 17);
    // Zero digits are zero bytes: count them from either end of the words (8 in a zero word).
    int leading = std::countl_zero(high) / 8;
    if (leading == 8) leading += std::countl_zero(low) / 8;
    int trailing = 0;
    if (unit == 0) {
        trailing = 1 + std::countr_zero(low) / 8;
        if (trailing == 9) trailing += std::countr_zero(high) / 8;
    }
    const char* const significant = digits + leading;
    const int count = 17 - leading - trailing;
    const int exponent = unit_exponent + 16 - leading;  // of the first significant digit

    // Every copy stays within SHORTEST_TEXT_SIZE of `out`, the longest text being
    // "-1.2345678901234567e-308".
    if ((bits & ~SIGN_BIT) - PLAIN_LOW < PLAIN_HIGH - PLAIN_LOW) {
        if (exponent >= 0) {
            // 1 to 15 digits before the point (zeros among the 17 digits when the value is a
            // whole number: unit_exponent < 0 below 1e15); then p[i] = significant[i - 1].
            const int whole = exponent + 1;
            std::memcpy(p, significant, 16);
            std::memcpy(p + whole, significant + whole - 1, 16);
            p[17] = significant[16];
            p[whole] = '.';
            return p + (count > whole ? count + 1 : whole);
        }
        // 0.0001 to 0.999...: up to three zeros after the point.
        std::memcpy(p, "0.000000", 8);
        std::memcpy(p + 1 - exponent, significant, 24);
        return p + 1 - exponent + count;
    }
    p[0] = significant[0];
    p[1] = '.';
    std::memcpy(p + 2, significant + 1, 16);
    char* e = p + (count > 1 ? count + 1 : 1);
    e[0] = 'e';
    e[1] = exponent < 0 ? '-' : '+';
    unsigned decimal_exponent = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
    e += 2;
    if (decimal_exponent >= 100) {
        *e++ = static_cast<char>('0' + decimal_exponent / 100);
        decimal_exponent %= 100;
    }
    e[0] = static_cast<char>('0' + decimal_exponent / 10);
    e[1] = static_cast<char>('0' + decimal_exponent % 10);
    return e + 2;
}

// format_shortest from the bounds of the interval, for any finite non-zero double.
[[gnu::noinline]] char* format_exact(char* const out, const std::uint64_t bits) {
    const std::uint64_t fraction = bits & SIGNIFICAND_MASK;
    const int biased_exponent = static_cast<int>((bits & ~SIGN_BIT) >> 52);
    const Decimal d = biased_exponent == 0
                          ? exact_decimal(fraction, -1074, false)
                          : exact_decimal(fraction | HIDDEN_BIT, biased_exponent - 1075,
                                          fraction == 0 && biased_exponent > 1);
    return write_text(out, bits, d.digits / 10, static_cast<unsigned>(d.digits % 10), d.exponent);
}

}  // namespace

char* format_shortest(char* const out, const double value) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const std::uint64_t fraction = bits & SIGNIFICAND_MASK;
    const unsigned biased_exponent = static_cast<unsigned>(bits >> 52) & 0x7FF;
    if (biased_exponent - 1 >= 0x7FE || fraction == 0) {
        // Zero, a subnormal, the bottom of a binade; NaN or an infinity.
        const std::uint64_t magnitude = bits & ~SIGN_BIT;
        if (magnitude >= INFINITY_BITS) {
            return out;
        }
        if (magnitude == 0) {
            out[0] = '-';
            char* const p = out + (bits >> 63);
            p[0] = '0';
            return p + 1;
        }
        return format_exact(out, bits);
    }

    // Regular spacing: the half-width D of the interval is 2^(q+1) 10^-k quarters, that is
    // g_exact / 2^(127-h), and T = 4 v 10^-k; both in fixed point with 56 fraction bits, each
    // within 1 of the exact value, decide which candidates lie in the interval whenever every
    // distance from T to a candidate is at least MARGIN away from D.
    const BinaryExponent e = BINARY_EXPONENTS[biased_exponent];
    const Uint128Parts& g = POW10_G[e.pow10_index];
    const Scaled scaled = scale(g, (fraction | HIDDEN_BIT) << e.scale_shift);
    const std::uint64_t s = scaled.whole >> 2;  // floor(v 10^-k)
    std::uint64_t tens = s / 10;  // the multiples of 10 around v: 10 tens and the next
    const std::uint64_t s10 = tens * 10;
    constexpr std::uint64_t MARGIN = 4;
    constexpr std::uint64_t ONE = std::uint64_t{1} << 56;
    const std::uint64_t half_width = g.high >> e.half_width_shift;
    const std::uint64_t from_s10 = ((scaled.whole - (s10 << 2)) << 56) | (scaled.fraction >> 8);
    unsigned unit = 0;
    const std::uint64_t reach = half_width + MARGIN;  // further from T is surely outside
    if (from_s10 - reach <= 40 * ONE - 2 * reach) {
        // Neither s10 nor s10 + 10 (D < 20, so 2 reach < 40). Then the nearer of s and s + 1 to
        // v: at least one of them lies in the interval (it is at least 1 wide), so the nearer
        // does; on a tie both do (D > 2 when T - 4 s = 2).
        std::uint64_t nearer = (scaled.whole + 2) >> 2;
        if ((scaled.whole & 3) == 2 && scaled.fraction == 0) nearer &= ~std::uint64_t{1};
        unit = static_cast<unsigned>(nearer - s10);
        if (unit == 10) {
            unit = 0;
            ++tens;
        }
    } else if (from_s10 + MARGIN <= half_width) {
        // At most one multiple of 10 lies in the interval (it is less than 10 wide); if one
        // does, it has the fewest digits.
    } else if (40 * ONE + MARGIN <= half_width + from_s10) {
        ++tens;
    } else {
        return format_exact(out, bits);
    }
    return write_text(out, bits, tens, unit, e.k);
}

}  // namespace zeltra5
