// The phase equilibrium of the 2023 equation: both phases' pressure and Gibbs energy agree, the
// triple point is the paper's, saturation at a pressure inverts saturation at a temperature, the
// edges are refused, and the density brackets hold the root the solver finds.

#include <gtest/gtest.h>

#include <cmath>

#include "zeltra5/flash.hpp"
#include "zeltra5/gao2023.hpp"

namespace zeltra5 {
namespace {

using namespace gao2023;

double gibbs(const FluidState& s) {
    return state_enthalpy(s) - s.T * state_entropy(s);
}

TEST(Gao2023Saturation, BothPhasesAgreeInPressureAndGibbsEnergy) {
    for (const double T : {195.49, 200.0, 239.8, 273.15, 300.0, 350.0, 390.0, 400.0, 405.0, 405.5,
                           SATURATION_LIMIT_TEMPERATURE_K}) {
        SCOPED_TRACE(T);
        SaturationEquilibrium e{};
        ASSERT_EQ(saturation_at_temperature(T, e), SATURATION_EQUILIBRIUM_OK);
        EXPECT_EQ(e.T_K, T);
        EXPECT_GT(e.rho_liquid, e.rho_vapour);
        FluidState l{};
        FluidState v{};
        evaluate(T - KELVIN_OFFSET, e.rho_liquid, l);
        evaluate(T - KELVIN_OFFSET, e.rho_vapour, v);
        // The liquid's pressure moves by (dp/drho) times one double of its density: that, or
        // 1e-12 of the pressure, whichever is larger.
        const double ulp = std::nextafter(e.rho_liquid, 1e9) - e.rho_liquid;
        const double liquid_step = ulp / drho_dp_t(l);
        EXPECT_NEAR(state_pressure(l), e.p, std::max(1e-12 * e.p, 4.0 * liquid_step));
        EXPECT_NEAR(state_pressure(v), e.p, 1e-12 * e.p);
        EXPECT_NEAR(gibbs(l), gibbs(v), 1e-12 * std::fabs(gibbs(v)) + 1e-12 * GAS_CONSTANT * T);
    }
}

// The triple point as the paper gives it (Table 1): 6.05339 kPa, 43.091 and 0.003740 mol/dm3
// (the equation's vapour, 0.0037408, one unit of that last digit away);
// and the ancillary equations within their stated accuracy of the equilibrium.
TEST(Gao2023Saturation, TriplePointAndAncillaries) {
    SaturationEquilibrium e{};
    ASSERT_EQ(saturation_at_temperature(TRIPLE_POINT_TEMPERATURE, e), SATURATION_EQUILIBRIUM_OK);
    EXPECT_NEAR(e.p, 6053.39, 0.005);
    EXPECT_NEAR(e.rho_liquid / (MOLAR_MASS * 1e3), 43.091, 0.0005);
    EXPECT_NEAR(e.rho_vapour / (MOLAR_MASS * 1e3), 0.003740, 0.000001);
    for (const double T : {200.0, 250.0, 300.0, 350.0, 400.0}) {
        ASSERT_EQ(saturation_at_temperature(T, e), SATURATION_EQUILIBRIUM_OK);
        EXPECT_NEAR(ancillary_vapour_pressure(T), e.p, 2e-3 * e.p) << T;
        EXPECT_NEAR(ancillary_liquid_density(T), e.rho_liquid, 2e-3 * e.rho_liquid) << T;
        EXPECT_NEAR(ancillary_vapour_density(T), e.rho_vapour, 5e-3 * e.rho_vapour) << T;
    }
}

TEST(Gao2023Saturation, AtPressureInvertsAtTemperature) {
    for (const double T : {196.0, 239.8, 300.0, 380.0, 405.0, 405.54}) {
        SaturationEquilibrium by_t{};
        ASSERT_EQ(saturation_at_temperature(T, by_t), SATURATION_EQUILIBRIUM_OK);
        SaturationEquilibrium by_p{};
        ASSERT_EQ(saturation_at_pressure(by_t.p, by_p), SATURATION_EQUILIBRIUM_OK);
        EXPECT_EQ(by_p.p, by_t.p);
        EXPECT_NEAR(by_p.T_K, T, 1e-12 * T) << T;
        EXPECT_NEAR(by_p.rho_vapour, by_t.rho_vapour, 1e-10 * by_t.rho_vapour) << T;
    }
}

TEST(Gao2023Saturation, RefusedOutsideTheTriplePointToJustBelowTc) {
    SaturationEquilibrium e{};
    for (const double T : {190.0, 195.48, SATURATION_LIMIT_TEMPERATURE_K + 1e-6, 405.56, 500.0}) {
        EXPECT_EQ(saturation_at_temperature(T, e), SATURATION_EQUILIBRIUM_OUTSIDE) << T;
        EXPECT_TRUE(std::isnan(e.rho_liquid));
    }
    for (const double p : {1000.0, 6000.0, SATURATION_LIMIT_PRESSURE + 1.0, 2e7}) {
        EXPECT_EQ(saturation_at_pressure(p, e), SATURATION_EQUILIBRIUM_OUTSIDE) << p;
        EXPECT_TRUE(std::isnan(e.T_K));
    }
}

// The (p, T) densities through the solvers: each the root of its isotherm, in its phase, and
// inside the model's bracket.
TEST(Gao2023Saturation, PressureTemperatureDensitiesThroughTheSolvers) {
    struct Case {
        double p;
        double t;
        int phase;
    };
    for (const Case& k :
         {Case{1e5, -50.0, PHASE_LIQUID}, Case{5e6, 20.0, PHASE_LIQUID},
          Case{1e8, -70.0, PHASE_LIQUID}, Case{1e5, 0.0, PHASE_VAPOUR},
          Case{1e6, 100.0, PHASE_VAPOUR}, Case{1e4, 400.0, PHASE_VAPOUR},
          Case{2e7, 140.0, PHASE_SUPERCRITICAL}, Case{1e9, 450.0, PHASE_SUPERCRITICAL},
          Case{5e7, 100.0, PHASE_SUPERCRITICAL}}) {
        SCOPED_TRACE(testing::Message() << k.p << " Pa, " << k.t << " degC");
        double liquid_rho = 0.0;
        double vapour_rho = 0.0;
        flash::PressureTemperature<Gao2023>::densities_from_pressure_temperature(
            k.p, k.t, liquid_rho, vapour_rho);
        const double rho = k.phase == PHASE_VAPOUR ? vapour_rho : liquid_rho;
        EXPECT_NEAR(pressure(k.t, rho), k.p, 1e-9 * k.p);
        double lo = 0.0;
        double hi = 0.0;
        density_bracket(k.p, k.t, k.phase, lo, hi);
        EXPECT_LE(lo, rho);
        EXPECT_GE(hi, rho);
        FluidState s{};
        evaluate(k.t, rho, s);
        EXPECT_GT(1.0 / drho_dp_t(s), 0.0);  // mechanically stable
        if (k.phase == PHASE_LIQUID) {
            EXPECT_GT(rho, 500.0);
        } else if (k.phase == PHASE_VAPOUR) {
            EXPECT_LT(rho, 10.0);
        }
    }
}

TEST(Gao2023Saturation, SaturationThroughTheSolvers) {
    for (const double t : {-77.0, -33.0, 25.0, 100.0, 132.0}) {
        double p = 0.0;
        FluidState l{};
        FluidState v{};
        flash::Saturation<Gao2023>::saturation_by_temperature(t, p, l, v);
        SaturationEquilibrium e{};
        ASSERT_EQ(saturation_at_temperature(t + KELVIN_OFFSET, e), SATURATION_EQUILIBRIUM_OK);
        EXPECT_NEAR(p, e.p, 1e-12 * e.p) << t;
        EXPECT_NEAR(l.rho, e.rho_liquid, 1e-12 * e.rho_liquid) << t;
        double t_back = 0.0;
        flash::Saturation<Gao2023>::saturation_by_pressure(p, t_back, l, v);
        EXPECT_NEAR(t_back, t, 1e-9) << t;
        EXPECT_NEAR(v.rho, e.rho_vapour, 1e-9 * e.rho_vapour) << t;
    }
}

}  // namespace
}  // namespace zeltra5
