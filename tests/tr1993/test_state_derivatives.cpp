// Density derivatives against finite differences of the pressure, the isentropic exponent of a
// dilute gas, and the surface-tension limits.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "transport_test_support.hpp"

namespace zeltra5 {
namespace {

class DensityDerivatives : public ::testing::TestWithParam<test::StatePoint> {};

TEST_P(DensityDerivatives, MatchCentralDifferencesOfPressure) {
    const auto& c = GetParam();
    const FluidState s = test::state_at(c.t, c.rho);

    const double hr = 1e-5 * c.rho;
    const double dp_drho = (pressure_at(c.t, c.rho + hr) - pressure_at(c.t, c.rho - hr)) / (2 * hr);
    EXPECT_NEAR(state_drho_dp_t(s) * dp_drho, 1.0, 1e-6);

    const double ht = 1e-3;
    const double dp_dt = (pressure_at(c.t + ht, c.rho) - pressure_at(c.t - ht, c.rho)) / (2 * ht);
    EXPECT_NEAR(state_dp_dt_rho(s) / dp_dt, 1.0, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(States, DensityDerivatives, ::testing::ValuesIn(test::SINGLE_PHASE_STATES),
                         [](const auto& info) { return std::string(info.param.name); });

// For an ideal gas rho w^2 / p = c_p / c_v.
TEST(IsentropicExponent, EqualsHeatCapacityRatioOfDiluteGas) {
    for (double t : {-70.0, 0.0, 100.0, 300.0, 450.0}) {
        const FluidState s = test::state_at(t, 1e-6);
        EXPECT_NEAR(state_isentropic_exponent(s), state_cp(s) / state_cv(s), 1e-7) << t;
        EXPECT_GT(state_isentropic_exponent(s), 1.0);
        EXPECT_LT(state_isentropic_exponent(s), 4.0 / 3.0);
    }
}

struct SurfaceTensionCase {
    const char* name;
    double T;  // K
    bool positive;
};

class SurfaceTension : public ::testing::TestWithParam<SurfaceTensionCase> {};

TEST_P(SurfaceTension, IsPositiveBelowAndZeroFromTheCriticalTemperature) {
    const auto& c = GetParam();
    FluidState s{};
    s.T = c.T;
    const double sigma = state_surface_tension(s);
    EXPECT_FALSE(std::isnan(sigma));
    if (c.positive) {
        EXPECT_GT(sigma, 0.0);
    } else {
        EXPECT_EQ(sigma, 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Temperatures, SurfaceTension,
    ::testing::Values(SurfaceTensionCase{"lowest_temperature", 196.15, true},
                      SurfaceTensionCase{"room_temperature", 298.15, true},
                      SurfaceTensionCase{"near_critical", 405.0, true},
                      SurfaceTensionCase{"just_below_critical", 405.39, true},
                      SurfaceTensionCase{"critical_kelvin", 405.4, false},
                      SurfaceTensionCase{"critical_celsius", 132.25 + 273.15, false},
                      SurfaceTensionCase{"one_ulp_above", std::nextafter(405.4, 406.0), false},
                      SurfaceTensionCase{"above_critical", 405.41, false},
                      SurfaceTensionCase{"highest_temperature", 723.15, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Half-way to the critical temperature the law gives 0.0912 * 0.5^1.1028.
TEST(SurfaceTensionLaw, DecreasesWithTemperatureFromKnownValue) {
    FluidState s{};
    s.T = 202.7;
    EXPECT_NEAR(state_surface_tension(s), 0.0912 * std::exp2(-1.1028), 1e-15);
    double previous = INFINITY;
    for (double t = -77.0; t < 132.25; t += 7.5) {
        s.T = t + KELVIN_OFFSET;
        const double sigma = state_surface_tension(s);
        EXPECT_LT(sigma, previous) << t;
        previous = sigma;
    }
}

}  // namespace
}  // namespace zeltra5
