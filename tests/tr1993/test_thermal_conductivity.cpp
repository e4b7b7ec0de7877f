// Thermal conductivity and Prandtl number: limits of the background terms, size of the critical
// enhancement, and the refusal of states where the correlation has no meaning.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "transport_test_support.hpp"
#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

double background(const ThermalConductivityTerms& terms) {
    return terms.dilute_gas + terms.residual + terms.exponential;
}

ThermalConductivityTerms terms_at(double t, double rho) {
    ThermalConductivityTerms terms;
    EXPECT_EQ(thermal_conductivity_terms(test::state_at(t, rho), terms), 0)
        << "t=" << t << " rho=" << rho;
    return terms;
}

// delta^-5 grows without bound as the density falls, so the exponential correction vanishes and
// the conductivity of a dilute gas is the dilute-gas polynomial plus a vanishing residual.
TEST(ThermalConductivity, ExponentialCorrectionVanishesAtLowDensity) {
    for (double t : {-70.0, 100.0, 450.0}) {
        for (double rho : {0.05, 1e-3, 1e-70}) {
            const ThermalConductivityTerms terms = terms_at(t, rho);
            EXPECT_LT(std::fabs(terms.exponential), 1e-6 * terms.dilute_gas)
                << "t=" << t << " rho=" << rho;
        }
        const ThermalConductivityTerms dilute = terms_at(t, 1e-70);
        EXPECT_EQ(dilute.exponential, 0.0);
        EXPECT_DOUBLE_EQ(state_thermal_conductivity(test::state_at(t, 1e-70)),
                         0.001 * dilute.dilute_gas);
    }
}

struct EnhancementCase {
    const char* name;
    double t;      // degC
    double p;      // Pa, or 0 to use rho directly
    double rho;    // kg/m3: the density, or the starting guess when p is given
    double limit;  // upper bound of critical / background
};

class CriticalEnhancementAwayFromCriticalPoint : public ::testing::TestWithParam<EnhancementCase> {
};

// Away from the critical point the enhancement is a small positive (or zero) addition.
TEST_P(CriticalEnhancementAwayFromCriticalPoint, IsNegligible) {
    const auto& c = GetParam();
    const double rho = c.p > 0.0 ? test::density_at(c.t, c.p, c.rho) : c.rho;
    const ThermalConductivityTerms terms = terms_at(c.t, rho);
    EXPECT_GE(terms.critical, 0.0);
    EXPECT_LT(terms.critical, c.limit * background(terms));
}

INSTANTIATE_TEST_SUITE_P(
    States, CriticalEnhancementAwayFromCriticalPoint,
    ::testing::Values(EnhancementCase{"liquid_25C_20bar", 25.0, 2e6, 600.0, 0.01},
                      EnhancementCase{"vapour_1bar_100C", 100.0, 1e5, 0.6, 0.001},
                      EnhancementCase{"cold_liquid", -70.0, 1e6, 730.0, 0.01},
                      EnhancementCase{"hot_dense_gas", 450.0, 30e6, 100.0, 0.01},
                      EnhancementCase{"dilute_gas", 200.0, 0.0, 1e-3, 1e-6}),
    [](const auto& info) { return std::string(info.param.name); });

// Just above the critical temperature on the critical isochore the enhancement dominates.
TEST(CriticalEnhancement, DominatesNearTheCriticalPoint) {
    const ThermalConductivityTerms terms = terms_at(133.0, 225.0);
    EXPECT_TRUE(std::isfinite(terms.critical));
    EXPECT_GT(terms.critical, 0.0);
    EXPECT_GT(terms.critical, background(terms));
}

// The equation of state's own critical point lies slightly above 132.25 degC; at 132.25 degC
// and 225 kg/m3 d rho/d p is negative and c_p has the wrong sign. The conductivity there is
// undefined, and a background-only value (or a negative Prandtl number) must not come out.
TEST(ThermalConductivity, MechanicallyUnstableStateGivesNaN) {
    const FluidState s = test::state_at(CRITICAL_TEMPERATURE_C, CRITICAL_DENSITY);
    ASSERT_LT(state_drho_dp_t(s), 0.0);
    ThermalConductivityTerms terms;
    EXPECT_EQ(thermal_conductivity_terms(s, terms), 1);
    EXPECT_TRUE(std::isnan(terms.critical));
    EXPECT_TRUE(std::isnan(state_thermal_conductivity(s)));
    EXPECT_TRUE(std::isnan(state_prandtl(s)));
}

TEST(ThermalConductivity, NonPositiveDensityGivesNaN) {
    for (double rho : {0.0, -0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        FluidState s = test::state_at(25.0, 600.0);
        s.rho = rho;
        s.delta = rho * INV_CRITICAL_DENSITY;
        ThermalConductivityTerms terms;
        EXPECT_EQ(thermal_conductivity_terms(s, terms), 1) << rho;
        EXPECT_TRUE(std::isnan(terms.dilute_gas));
        EXPECT_TRUE(std::isnan(state_thermal_conductivity(s))) << rho;
        EXPECT_TRUE(std::isnan(state_prandtl(s))) << rho;
    }
}

// The conductivity evaluates exactly one further state, and of it only the residual density
// derivatives (the reference state at 334.95 degC).
TEST(ThermalConductivity, EvaluatesOneReferenceState) {
    if (!EVALUATION_COUNTERS_ENABLED) {
        GTEST_SKIP() << "evaluation counters not compiled in";
    }
    const FluidState s = test::state_at(25.0, 600.0);
    reset_evaluation_counters();
    (void)state_thermal_conductivity(s);
    EXPECT_EQ(evaluation_counters().evaluate_state, 0u);
    EXPECT_EQ(evaluation_counters().pressure_at, 1u);
}

// Formed together, viscosity, conductivity and Prandtl number are bit for bit the values of the
// three separate functions, over liquid, vapour, supercritical and near-critical states and one
// where the conductivity is undefined (zero density).
TEST(ThermalConductivity, TransportPropertiesTogetherAreTheSeparateFunctions) {
    const double states[][2] = {{25.0, 600.0},  {100.0, 0.6},   {200.0, 300.0},
                                {132.3, 225.0}, {140.0, 240.0}, {25.0, 0.0}};
    for (const auto& ts : states) {
        const FluidState s = test::state_at(ts[0], ts[1]);
        TransportProperties p{};
        state_transport_properties(s, p);
        EXPECT_EQ(p.viscosity, state_viscosity(s)) << ts[0] << " " << ts[1];
        const double lambda = state_thermal_conductivity(s);
        const double prandtl = state_prandtl(s);
        if (std::isnan(lambda)) {
            EXPECT_TRUE(std::isnan(p.thermal_conductivity) && std::isnan(p.prandtl));
        } else {
            EXPECT_EQ(p.thermal_conductivity, lambda) << ts[0] << " " << ts[1];
            EXPECT_EQ(p.prandtl, prandtl) << ts[0] << " " << ts[1];
        }
    }
}

// Magnitudes that catch a wrong unit (mW against W, micro-Pa s against Pa s): liquid ammonia
// at 25 degC conducts about 0.47 W/(m K) with a Prandtl number near 1.35; the vapour at 1 bar
// and 100 degC about 0.034 W/(m K) and 0.86.
TEST(ThermalConductivity, ConductivityAndPrandtlHaveTheKnownMagnitude) {
    const FluidState liquid = test::state_at(25.0, test::density_at(25.0, 2e6, 600.0));
    const FluidState vapour = test::state_at(100.0, test::density_at(100.0, 1e5, 0.6));
    EXPECT_NEAR(state_thermal_conductivity(liquid), 0.47, 0.03);
    EXPECT_NEAR(state_thermal_conductivity(vapour), 0.034, 0.003);
    EXPECT_NEAR(state_prandtl(liquid), 1.35, 0.1);
    EXPECT_NEAR(state_prandtl(vapour), 0.86, 0.05);
}

}  // namespace
}  // namespace zeltra5
