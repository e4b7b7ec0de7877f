// Density brackets of the 1993 equation's solvers: the fitted isobars and saturation curves that
// enclose a stable phase's density at (P, T), and the depth of the superheated liquid's bracket.

#include <algorithm>

#include "zeltra5/tr1993.hpp"

namespace zeltra5 {

using namespace tr1993;

namespace {

// Density margins (kg/m3) added to the isobar curves that bound the search.
constexpr double ISOBAR_690_MARGIN = 0.04;
constexpr double ISOBAR_741_MARGIN = 0.01;

// The depth fit holds from -74 degC; colder saturation temperatures (down to the domain's
// coldest) take its value there.
constexpr double SUPERHEAT_DEPTH_FLOOR = -74.0;
// Depth c(T_s) = 0.5 (a0 - a1 T_s + a2 T_s^2) / (1 - b1 T_s + b2 T_s^2), kg/m3.
constexpr double DEPTH_A0 = 243.0227971516306;
constexpr double DEPTH_A1 = 3.383844686707354;
constexpr double DEPTH_A2 = 0.01166184497938142;
constexpr double DEPTH_B1 = 0.008964434065874795;
constexpr double DEPTH_B2 = 1.033728650696136e-05;

}  // namespace

double tr1993_superheat_depth(const double& saturation_temperature) {
    if (!(saturation_temperature >= LOWEST_ADMITTED_TEMPERATURE &&
          saturation_temperature < SUPERHEAT_CEILING)) {
        return 0.0;
    }
    // Below the floor the liquid is stiffer and its spinodal farther from the saturated density,
    // so the depth at the floor still ends beyond the stable branch's root (a depth of 0 left the
    // bracket one point wide: the saturated liquid's density, answered at any superheat).
    const double T_s = std::max(saturation_temperature, SUPERHEAT_DEPTH_FLOOR);
    return 0.5 * (DEPTH_A0 - DEPTH_A1 * T_s + DEPTH_A2 * T_s * T_s) /
           (1.0 - DEPTH_B1 * T_s + DEPTH_B2 * T_s * T_s);
}

void tr1993_density_bracket(const double& P, const double& T, const int& phase, double& lo,
                            double& hi) {
    if (phase == PHASE_SUPERCRITICAL) {
        if (P >= MAX_PRESSURE) {
            lo = rho_isobar_690(T) - ISOBAR_690_MARGIN;
            hi = rho_isobar_741(T) + ISOBAR_741_MARGIN;
        } else if (T <= CRITICAL_TEMPERATURE_C) {
            lo = sat_liquid_density(T);
            hi = rho_isobar_690(T) + ISOBAR_690_MARGIN;
        } else {
            lo = rho_isobar_113(T);
            hi = rho_isobar_690(T) + ISOBAR_690_MARGIN;
        }
    } else if (phase == PHASE_LIQUID) {
        lo = sat_liquid_density(T);
        hi = rho_isobar_690(T) + ISOBAR_690_MARGIN;
    } else if (T <= CRITICAL_TEMPERATURE_C) {
        lo = rho_isobar_min(T);
        hi = sat_vapour_density(T);
    } else {
        lo = rho_isobar_min(T);
        hi = rho_isobar_115(T);
    }
}

}  // namespace zeltra5
