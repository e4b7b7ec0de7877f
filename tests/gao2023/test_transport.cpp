// Transport of the 2023 model: the check values the 2018 correlations' papers give, NaN outside
// their ranges, and the surface tension.

#include <gtest/gtest.h>

#include <cmath>

#include "zeltra5/gao2023.hpp"

namespace zeltra5 {
namespace {

using namespace gao2023;

// Monogenidou, Assael and Huber (2018), the viscosity paper's check values: 300 K at 0, 8 and
// 609 kg/m3, micro-Pa s to four decimals.
TEST(Gao2023Transport, ViscosityCheckValues) {
    struct Case {
        double rho;
        double eta;
    };
    for (const Case& k : {Case{1e-12, 10.1812}, Case{8.0, 9.9219}, Case{609.0, 133.3937}}) {
        EXPECT_NEAR(viscosity(300.0, k.rho), k.eta, 0.5e-4) << k.rho;
    }
}

// The thermal conductivity paper's check values at 390 K: the dilute gas and 415 kg/m3 (with
// the critical enhancement), mW/(m K) to six decimals; the enhancement here, formed with the
// 2023 equation, lands one unit of the last decimal (4e-9 relative) from the paper's.
TEST(Gao2023Transport, ThermalConductivityCheckValues) {
    struct Case {
        double rho;
        double lambda;
    };
    for (const Case& k : {Case{1e-12, 35.969501}, Case{415.0, 264.129743}}) {
        FluidState s{};
        evaluate(390.0 - KELVIN_OFFSET, k.rho, s);
        EXPECT_NEAR(thermal_conductivity(s) * 1e3, k.lambda, 1.5e-6) << k.rho;
    }
}

TEST(Gao2023Transport, NaNOutsideTheCorrelationsRanges) {
    FluidState s{};
    // A liquid above 80 MPa at 300 K: beyond both correlations' pressures.
    evaluate(26.85, 660.0, s);
    ASSERT_GT(state_pressure(s), 80e6);
    TransportProperties t{};
    transport(s, t);
    EXPECT_TRUE(std::isnan(t.viscosity));
    EXPECT_TRUE(std::isnan(t.thermal_conductivity));
    EXPECT_TRUE(std::isnan(t.prandtl));
    // 700 K, 1 MPa: viscosity (to 725 K) but no thermal conductivity (to 680 K).
    evaluate(700.0 - KELVIN_OFFSET, 3.0, s);
    transport(s, t);
    EXPECT_FALSE(std::isnan(t.viscosity));
    EXPECT_TRUE(std::isnan(t.thermal_conductivity));
    // A state between 50 and 80 MPa: thermal conductivity only.
    evaluate(100.0, 560.0, s);
    ASSERT_GT(state_pressure(s), 50e6);
    ASSERT_LT(state_pressure(s), 80e6);
    transport(s, t);
    EXPECT_TRUE(std::isnan(t.viscosity));
    EXPECT_FALSE(std::isnan(t.thermal_conductivity));
    // Inside both: a finite Prandtl number.
    evaluate(20.0, 610.0, s);
    transport(s, t);
    EXPECT_GT(t.prandtl, 0.5);
    EXPECT_LT(t.prandtl, 5.0);
    // Inside the spinodal: no thermal conductivity.
    evaluate(100.0, 200.0, s);
    ASSERT_LT(1.0 / drho_dp_t(s), 0.0);
    EXPECT_TRUE(std::isnan(thermal_conductivity(s)));
}

// Mulero et al. (2012) for ammonia, two terms in 1 - T/405.4: checked at one temperature from
// the coefficients by hand (0.1028 x^1.211 - 0.09453 x^5.585 at x = 1 - 300/405.4), positive
// below the correlation's Tc and 0 from it on.
TEST(Gao2023Transport, SurfaceTension) {
    FluidState s{};
    evaluate(300.0 - KELVIN_OFFSET, 600.0, s);
    const double x = 1.0 - 300.0 / 405.4;
    EXPECT_NEAR(surface_tension(s), 0.1028 * std::pow(x, 1.211) - 0.09453 * std::pow(x, 5.585),
                1e-15);
    EXPECT_NEAR(surface_tension(s), 0.0202, 0.0005);
    evaluate(405.4 - KELVIN_OFFSET, 233.0, s);
    EXPECT_EQ(surface_tension(s), 0.0);
    evaluate(405.5 - KELVIN_OFFSET, 233.0, s);
    EXPECT_EQ(surface_tension(s), 0.0);
}

}  // namespace
}  // namespace zeltra5
