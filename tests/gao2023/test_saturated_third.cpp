// The third residual derivatives of the saturated records and the zero-density limits behind the
// virial coefficients, formed from expansions along the saturation curve: against the
// generator's 40-digit values, and the direct evaluation outside the expansions' range.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "zeltra5/gao2023.hpp"

namespace zeltra5 {
namespace {

using namespace gao2023;

constexpr double EPS = std::numeric_limits<double>::epsilon();
constexpr int COLUMNS = 6;

// T, then phir_ddd and phir_ddt of the liquid and of the vapour, the limits of phir_d and
// phir_dd at zero density, and the six scales (each value, or where it crosses zero a fraction
// of its terms' magnitudes).
struct ThirdPoint {
    double T_K;
    double value[COLUMNS];
    double scale[COLUMNS];
};

std::vector<ThirdPoint> third_points() {
    std::vector<ThirdPoint> out;
    std::ifstream in(ZELTRA5_SATURATED_THIRD_POINTS_CSV);
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::replace(line.begin(), line.end(), ',', ' ');
        std::istringstream row(line);
        ThirdPoint pt{};
        row >> pt.T_K;
        for (double& v : pt.value) row >> v;
        for (double& v : pt.scale) row >> v;
        if (row) out.push_back(pt);
    }
    return out;
}

// Within 32 units of each column's scale: the expansions' own error (at most 5e-16 of the scale
// between their nodes) and Clenshaw's rounding (measured: 22, the vapour's phir_ddd near 223 K
// where it crosses zero; at most 11 elsewhere).
TEST(Gao2023SaturatedThird, MatchTheHighPrecisionValues) {
    const std::vector<ThirdPoint> points = third_points();
    ASSERT_GE(points.size(), 150u);
    double worst[COLUMNS] = {};
    for (const ThirdPoint& pt : points) {
        SCOPED_TRACE(testing::Message() << pt.T_K << " K");
        SaturationEquilibrium e{};
        ASSERT_EQ(saturation_at_temperature(pt.T_K, e), SATURATION_EQUILIBRIUM_OK);
        const double t = pt.T_K - KELVIN_OFFSET;
        double got[COLUMNS];
        saturated_third(t, e, PHASE_LIQUID, got[0], got[1]);
        saturated_third(t, e, PHASE_VAPOUR, got[2], got[3]);
        low_density_limit(t, got[4], got[5]);
        for (int q = 0; q < COLUMNS; ++q) {
            const double units = std::fabs(got[q] - pt.value[q]) / (EPS * pt.scale[q]);
            EXPECT_LE(units, 32.0) << "column " << q;
            worst[q] = std::max(worst[q], units);
        }
    }
    std::printf("largest difference from the 40-digit values (units of the scale):");
    for (const double w : worst) std::printf(" %.2g", w);
    std::printf("\n");
}

// Outside the expansions' range (above the saturation curve's top, in the supercritical fluid
// and gas) the limits are the terms' own, and within it they agree with them to the rounding of
// a direct sum; the third derivatives likewise with third_derivatives at each side's density.
TEST(Gao2023SaturatedThird, AgreeWithTheDirectSums) {
    struct Case {
        double t;  // degC
        bool saturated;
    };
    const Case cases[] = {{-77.0, true}, {-33.0, true},  {25.0, true},   {100.0, true},
                          {132.0, true}, {132.4, false}, {200.0, false}, {450.0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.t << " degC");
        double d = 0.0;
        double dd = 0.0;
        low_density_limit(c.t, d, dd);
        // The direct sums at a density so low that the next order is below the rounding.
        FluidState s{};
        evaluate(c.t, 1e-15, s);
        EXPECT_NEAR(d, s.phir_d, 1e-13 * std::fabs(s.phir_d) + 1e-15);
        if (!c.saturated) {
            continue;
        }
        SaturationEquilibrium e{};
        ASSERT_EQ(saturation_at_temperature(c.t + KELVIN_OFFSET, e), SATURATION_EQUILIBRIUM_OK);
        for (const int side : {PHASE_LIQUID, PHASE_VAPOUR}) {
            double ddd = 0.0;
            double ddt = 0.0;
            double direct_ddd = 0.0;
            double direct_ddt = 0.0;
            saturated_third(c.t, e, side, ddd, ddt);
            const double rho = side == PHASE_VAPOUR ? e.rho_vapour : e.rho_liquid;
            third_derivatives(c.t, rho, direct_ddd, direct_ddt);
            // The direct sums form the terms with d = 1 as v (2/delta^3 - 3/delta^3 + 1/delta^3)
            // and v b1 (-1/delta^2 + 1/delta^2), v ~ delta: at the low vapour densities they lose
            // up to some 100 eps / delta^2 and eps / delta, which the expansions (from 40-digit
            // values) do not.
            const double delta = rho / REDUCING_DENSITY;
            EXPECT_NEAR(ddd, direct_ddd,
                        1e-12 * std::fabs(direct_ddd) + 256.0 * EPS / (delta * delta))
                << side;
            EXPECT_NEAR(ddt, direct_ddt, 1e-12 * std::fabs(direct_ddt) + 64.0 * EPS / delta)
                << side;
        }
    }
}

}  // namespace
}  // namespace zeltra5
