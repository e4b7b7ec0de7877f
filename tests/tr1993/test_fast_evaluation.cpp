// The fast evaluation of the equation of state (powers of tau and delta built once per call)
// against the straightforward one (exp(t ln tau) and exp((d - 1) ln delta) per term), over a
// dense grid: every field must agree to 1e-12 relative.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "../reference/straightforward_helmholtz.cpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/saturation_fits.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check

namespace {

// Relative difference, scaled by the largest magnitude a field takes through its own terms.
double field_deviation(double fast, double slow, double scale) {
    if (fast == slow) return 0.0;
    return std::fabs(fast - slow) / std::max(std::fabs(slow), scale);
}

TEST(FastEvaluation, MatchesStraightforwardEvaluationOverTheDomain) {
    double worst[20] = {};
    int points = 0;
    for (double t = -77.0; t <= 450.0; t += 1.7) {
        for (double rho = 0.001; rho <= 740.0; rho *= 1.08) {
            // States the system reports: outside the saturation dome.
            if (t < CRITICAL_TEMPERATURE_C && rho > sat_vapour_density(t) &&
                rho < sat_liquid_density(t)) {
                continue;
            }
            FluidState fast, slow;
            evaluate_state(t, rho, fast);
            reference::evaluate_state(t, rho, slow);
            const double* f = &fast.T;
            const double* s = &slow.T;
            for (int k = 0; k < 18; ++k) {
                // Residual fields pass through zero (dilute gas, the Boyle line); there they
                // are measured against 1e-3, far below their size at liquid densities.
                const double dev = field_deviation(f[k], s[k], k >= 12 ? 1e-3 : 0.0);
                worst[k] = std::max(worst[k], dev);
                ASSERT_LE(dev, 1e-12) << "field " << k << " at t=" << t << " rho=" << rho;
            }
            const double pf = pressure_at(t, rho);
            const double ps = reference::pressure_at(t, rho);
            // Inside the dome p = (1 + delta phir_d) rho R T cancels to nearly nothing; measure
            // against the size of its terms.
            const double p_scale =
                rho * GAS_CONSTANT * slow.T * (1.0 + std::fabs(slow.delta * slow.phir_d));
            worst[18] = std::max(worst[18], std::fabs(pf - ps) / p_scale);
            ASSERT_LE(std::fabs(pf - ps), 1e-12 * p_scale) << "t=" << t << " rho=" << rho;
            ++points;
        }
    }
    std::printf(
        "%d points; worst relative deviation phir %.2g phir_d %.2g phir_dd %.2g phir_t "
        "%.2g phir_tt %.2g phir_dt %.2g phi0 %.2g pressure %.2g\n",
        points, worst[12], worst[13], worst[14], worst[15], worst[16], worst[17], worst[6],
        worst[18]);
}

}  // namespace
}  // namespace zeltra5
