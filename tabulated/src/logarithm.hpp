#pragma once
// An inline natural logarithm for the table's evaluation, where the C library's log costs more
// than the arithmetic around it. Within a few units in the last place for positive normal x
// (tests hold it to std::log); anything else (zero, negative, subnormal, infinite, NaN) goes to
// std::log.
//
// x = 2^k m with m in [sqrt(1/2), sqrt(2)); ln x = k ln 2 + 2 atanh(s), s = (m - 1)/(m + 1),
// |s| <= 0.1716, by the series 2 (s + s^3/3 + ... + s^21/21): the first term left out,
// 2 s^23/23, is below 2e-19.

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace zeltra5::tabulated {

static_assert(std::numeric_limits<double>::is_iec559, "the logarithm takes IEEE doubles apart");

inline double logarithm(const double x) {
    if (!(x >= std::numeric_limits<double>::min() && x <= std::numeric_limits<double>::max())) {
        return std::log(x);
    }
    constexpr std::uint64_t MANTISSA = (std::uint64_t{1} << 52) - 1;
    // sqrt(1/2): its significand bits split each binade where m is halved or not.
    constexpr std::uint64_t SQRT_HALF_BITS = 0x3FE6A09E667F3BCDull;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    // x in [2^(e-1), 2^e): with a significand at least sqrt(2)'s, k = e and m = x 2^-k lies in
    // [sqrt(1/2), 1); else k = e - 1 and m lies in [1, sqrt(2)).
    const auto e = static_cast<std::int64_t>(bits >> 52) - 1022;
    const bool upper = (bits & MANTISSA) >= (SQRT_HALF_BITS & MANTISSA);
    const std::int64_t k = upper ? e : e - 1;
    // m = x 2^-k: the significand with the exponent field of 2^-1 (upper) or 2^0.
    const double m = std::bit_cast<double>(
        (bits & MANTISSA) | (upper ? std::uint64_t{1022} : std::uint64_t{1023}) << 52);
    // f exact; ln(1 + f) = 2 atanh(s) = 2 s + s R with s = f/(2 + f), and 2 s = f - s f, so
    // ln(1 + f) = f - (f^2/2 - s (f^2/2 + R)): f itself carries no rounding, the rest is small.
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double s2 = s * s;
    const double series =
        1.0 / 3 +
        s2 *
            (1.0 / 5 +
             s2 *
                 (1.0 / 7 +
                  s2 * (1.0 / 9 +
                        s2 * (1.0 / 11 +
                              s2 * (1.0 / 13 +
                                    s2 * (1.0 / 15 +
                                          s2 * (1.0 / 17 + s2 * (1.0 / 19 + s2 * (1.0 / 21)))))))));
    const double r = 2.0 * s2 * series;
    const double half_f2 = 0.5 * f * f;
    // ln 2 in two parts, the first with trailing zeros so that k times it is exact.
    constexpr double LN2_HEAD = 0x1.62e42fefa3000p-1;
    constexpr double LN2_TAIL = 0x1.3de6af278ece6p-42;
    const auto kd = static_cast<double>(k);
    return kd * LN2_HEAD - ((half_f2 - (s * (half_f2 + r) + kd * LN2_TAIL)) - f);
}

}  // namespace zeltra5::tabulated
