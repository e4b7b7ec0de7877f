// Viscosity against the check values published with the ammonia viscosity correlation:
//   A. Fenghour, W. A. Wakeham, V. Vesovic, J. T. R. Watson, J. Millat, E. Vogel,
//   "The viscosity of ammonia", J. Phys. Chem. Ref. Data 24, 1649-1667 (1995),
//   doi:10.1063/1.555961. Appendix II (single-phase states at given T and p) and
//   Appendix III (saturated liquid and vapour at given T and molar density).
// The values are tabulated to 0.01 micro-Pa s.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "transport_test_support.hpp"

namespace zeltra5 {
namespace {

constexpr double CHECK_TOLERANCE = 5e-4;  // relative
constexpr double MOLAR_MASS = 17.03026;   // g/mol

struct TemperatureDensityCase {
    const char* name;
    double T;      // K
    double rho_m;  // mol/dm3
    double eta;    // micro-Pa s
};

class PublishedSaturationViscosity : public ::testing::TestWithParam<TemperatureDensityCase> {};

// Appendix III: the correlation evaluated directly at the tabulated (T, rho), independent of
// the equation of state.
TEST_P(PublishedSaturationViscosity, MatchesCheckValue) {
    const auto& c = GetParam();
    FluidState s{};
    s.T = c.T;
    s.rho = c.rho_m * MOLAR_MASS;
    EXPECT_NEAR(state_viscosity(s), c.eta, CHECK_TOLERANCE * c.eta);
}

INSTANTIATE_TEST_SUITE_P(
    AppendixIII, PublishedSaturationViscosity,
    ::testing::Values(TemperatureDensityCase{"T196_vapour", 196.0, 0.0039, 6.85},
                      TemperatureDensityCase{"T196_liquid", 196.0, 43.0041, 553.31},
                      TemperatureDensityCase{"T240_vapour", 240.0, 0.0527, 8.06},
                      TemperatureDensityCase{"T240_liquid", 240.0, 40.0318, 254.85},
                      TemperatureDensityCase{"T300_vapour", 300.0, 0.4845, 9.89},
                      TemperatureDensityCase{"T300_liquid", 300.0, 35.2298, 129.33},
                      TemperatureDensityCase{"T350_vapour", 350.0, 1.8399, 11.79},
                      TemperatureDensityCase{"T350_liquid", 350.0, 30.0867, 80.43},
                      TemperatureDensityCase{"T402_vapour", 402.0, 8.5479, 19.69},
                      TemperatureDensityCase{"T402_liquid", 402.0, 19.1642, 39.20}),
    [](const auto& info) { return std::string(info.param.name); });

struct TemperaturePressureCase {
    const char* name;
    double T;      // K
    double p;      // Pa
    double guess;  // kg/m3, picks the branch
    double eta;    // micro-Pa s
};

class PublishedSinglePhaseViscosity : public ::testing::TestWithParam<TemperaturePressureCase> {};

// Appendix II: density from the equation of state at (T, p), then the viscosity.
TEST_P(PublishedSinglePhaseViscosity, MatchesCheckValue) {
    const auto& c = GetParam();
    const double t = c.T - KELVIN_OFFSET;
    const double rho = test::density_at(t, c.p, c.guess);
    ASSERT_TRUE(std::isfinite(rho));
    const FluidState s = test::state_at(t, rho);
    EXPECT_NEAR(state_viscosity(s), c.eta, CHECK_TOLERANCE * c.eta);
    EXPECT_DOUBLE_EQ(state_dynamic_viscosity(s), state_viscosity(s) * 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    AppendixII, PublishedSinglePhaseViscosity,
    ::testing::Values(TemperaturePressureCase{"T200_p100kPa", 200.0, 0.1e6, 730.0, 507.47},
                      TemperaturePressureCase{"T290_p1MPa", 290.0, 1.0e6, 650.0, 142.93},
                      TemperaturePressureCase{"T250_p10MPa", 250.0, 10.0e6, 700.0, 233.81},
                      TemperaturePressureCase{"T300_p100kPa", 300.0, 0.1e6, 0.7, 10.16},
                      TemperaturePressureCase{"T350_p18MPa", 350.0, 18.0e6, 600.0, 91.36},
                      TemperaturePressureCase{"T400_p50MPa", 400.0, 50.0e6, 500.0, 77.29},
                      TemperaturePressureCase{"T490_p1MPa", 490.0, 1.0e6, 4.0, 17.49},
                      TemperaturePressureCase{"T550_p100kPa", 550.0, 0.1e6, 0.4, 19.79},
                      TemperaturePressureCase{"T680_p50MPa", 680.0, 50.0e6, 150.0, 31.90}),
    [](const auto& info) { return std::string(info.param.name); });

// At high temperature and low density the viscosity tends to the dilute-gas value: the density
// terms fall off linearly (initial-density) and quadratically (residual) with density.
TEST(Viscosity, TendsToDiluteGasValueAtLowDensity) {
    for (double t : {0.0, 200.0, 450.0}) {
        for (double rho : {1.0, 1e-2, 1e-4, 1e-6}) {
            const FluidState s = test::state_at(t, rho);
            ViscosityTerms terms;
            viscosity_terms(s, terms);
            const double excess = std::fabs(state_viscosity(s) / terms.dilute_gas - 1.0);
            EXPECT_LT(excess, 1e-2 * rho) << "t=" << t << " rho=" << rho;
            EXPECT_LT(std::fabs(terms.residual), 1e-3 * rho * rho) << "t=" << t;
        }
    }
}

TEST(Viscosity, NegativeDensityGivesNaN) {
    FluidState s{};
    s.T = 300.0;
    s.rho = -1.0;
    EXPECT_TRUE(std::isnan(state_viscosity(s)));
    EXPECT_TRUE(std::isnan(state_dynamic_viscosity(s)));
}

}  // namespace
}  // namespace zeltra5
