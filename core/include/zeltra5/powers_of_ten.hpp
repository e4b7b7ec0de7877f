#pragma once
// Powers of ten for the solvers' tolerances, correctly rounded on every platform (some C
// libraries' pow(10, -7) is not the double nearest 1e-7).

#include <cmath>

namespace zeltra5::detail {

// 1e0 ... 1e22, each exactly a double.
inline constexpr double POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                           1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr int EXACT_POWERS = 22;

// 10^e: exact for 0 <= e <= 22, correctly rounded for -22 <= e < 0 (one division of exact
// values), pow beyond.
inline double power_of_ten(int e) {
    if (e >= 0 && e <= EXACT_POWERS) return POWERS_OF_TEN[e];
    if (e < 0 && e >= -EXACT_POWERS) return 1.0 / POWERS_OF_TEN[-e];
    return std::pow(10.0, e);
}

}  // namespace zeltra5::detail
