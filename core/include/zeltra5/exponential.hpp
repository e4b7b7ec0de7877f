#pragma once
// An inline exponential for the hot loops of the equations of state, where a call to the C
// library's exp costs several times the arithmetic around it. Within about one unit in the last
// place of the exact value (the C library's is within half a unit; tests hold the two together).
//
// exp(x) = 2^(k/128) exp(r) with k the integer nearest x 128/ln2 and |r| <= ln2/256: 2^(k/128)
// is a table entry for k mod 128 with its binary exponent raised by floor(k/128), and exp(r) is
// its Taylor polynomial to r^5 (the first term left out, r^6/720, is below 6e-19).

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace zeltra5 {

namespace exponential_detail {
#include "zeltra5/exponential_table.inc"
}  // namespace exponential_detail

static_assert(std::numeric_limits<double>::is_iec559, "the exponential assembles IEEE doubles");

// Beyond +-708 (and for NaN) the result overflows, underflows into subnormals or is not a number:
// the C library's exp answers those.
inline double exponential(const double x) {
    namespace d = exponential_detail;
    if (!(std::fabs(x) < 708.0)) {
        return std::exp(x);
    }
    // Adding 1.5 2^52 rounds x 128/ln2 to an integer k held in the low bits of the sum.
    constexpr double SHIFT = 0x1.8p52;
    const double shifted = x * d::EXP_N_OVER_LN2 + SHIFT;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(shifted);
    const double k = shifted - SHIFT;
    const double r = (x - k * d::EXP_LN2_OVER_N_HEAD) - k * d::EXP_LN2_OVER_N_TAIL;
    // floor(k/128) into the exponent field (the sum's own exponent bits and the 2^51 of its
    // significand shift out of the word); k mod 128 picks the entry.
    const std::uint64_t raise = (bits >> 7) << 52;
    const double scale =
        std::bit_cast<double>(std::bit_cast<std::uint64_t>(d::EXP2_FRACTIONS[bits & 127]) + raise);
    const double p = r + r * r * (0.5 + r * (1.0 / 6.0 + r * (1.0 / 24.0 + r * (1.0 / 120.0))));
    return scale + scale * p;
}

}  // namespace zeltra5
