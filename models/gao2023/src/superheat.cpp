// The superheated (metastable) liquid of the 2023 model: the highest temperature it is sought at
// for a saturation temperature, and how far below the saturated liquid's density its density
// bracket reaches, to the equation's own liquid spinodal at that temperature.

#include <cmath>

#include "superheat_limit_coefficients.hpp"
#include "zeltra5/gao2023.hpp"

namespace zeltra5::gao2023 {

namespace sl = superheat_limit;

double superheat_limit_temperature(const double& ts) {
    if (!(ts > MIN_TEMPERATURE && ts < SUPERHEAT_CEILING)) {
        return ts;  // NaN stays NaN
    }
    const double x = sl::SCALE * ts + sl::OFFSET;
    const double two_x = 2.0 * x;
    double b1 = sl::MARGIN[sl::DEGREE];
    double b2 = 0.0;
    for (int k = sl::DEGREE - 1; k >= 1; --k) {
        const double b0 = two_x * b1 - b2 + sl::MARGIN[k];
        b2 = b1;
        b1 = b0;
    }
    const double limit = ts + (x * b1 - b2 + sl::MARGIN[0]);
    return limit > CRITICAL_TEMPERATURE_C ? CRITICAL_TEMPERATURE_C : (limit < ts ? ts : limit);
}

double superheat_depth(const double& ts) {
    if (!(ts >= LOWEST_ADMITTED_TEMPERATURE && ts < SUPERHEAT_CEILING)) {
        return 0.0;
    }
    SaturationEquilibrium e{};
    if (saturation_at_temperature(ts + KELVIN_OFFSET, e) != SATURATION_EQUILIBRIUM_OK) {
        return 0.0;
    }
    // The limit at the coldest saturation temperatures is ts itself, whose spinodal still lies
    // well below the saturated liquid: the bracket reaches it.
    const double rho = liquid_spinodal_density(superheat_limit_temperature(ts));
    return std::isfinite(rho) && rho < e.rho_liquid ? e.rho_liquid - rho : 0.0;
}

}  // namespace zeltra5::gao2023
