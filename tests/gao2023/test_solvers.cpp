// The solvers instantiated for the 2023 model: (p, T) states and their (p, h) and (p, s)
// inverses, the two-phase region by quality, and the critical point and the normal boiling
// point where the paper and common tables put them.

#include <gtest/gtest.h>

#include <cmath>

#include "zeltra5/flash.hpp"
#include "zeltra5/gao2023.hpp"

namespace zeltra5 {
namespace {

using namespace gao2023;

TEST(Gao2023Solvers, PressureEnthalpyAndEntropyInvertPressureTemperature) {
    struct Case {
        double p;
        double t;
        int phase;
    };
    for (const Case& k :
         {Case{1e5, -50.0, PHASE_LIQUID}, Case{2e6, 20.0, PHASE_LIQUID},
          Case{1e5, 20.0, PHASE_VAPOUR}, Case{1e6, 150.0, PHASE_VAPOUR},
          Case{2e7, 150.0, PHASE_SUPERCRITICAL}, Case{5e7, 400.0, PHASE_SUPERCRITICAL}}) {
        SCOPED_TRACE(testing::Message() << k.p << " Pa, " << k.t << " degC");
        int phase = -1;
        double x = 0.0;
        FluidState l{};
        FluidState v{};
        flash::PressureTemperature<Gao2023>::state_from_pressure_temperature(0, k.p, k.t, phase, x,
                                                                             l, v);
        ASSERT_EQ(phase, k.phase);
        const FluidState& s = phase == PHASE_VAPOUR ? v : l;
        EXPECT_NEAR(state_pressure(s), k.p, 1e-9 * k.p);
        for (const IsobarProperty property : {IsobarProperty::enthalpy, IsobarProperty::entropy}) {
            const double target =
                property == IsobarProperty::enthalpy ? state_enthalpy(s) : state_entropy(s);
            int phase_back = -1;
            double x_back = 0.0;
            FluidState lb{};
            FluidState vb{};
            flash::Isobar<Gao2023>::state_from_pressure_property(property, 0, k.p, target,
                                                                 phase_back, x_back, lb, vb);
            EXPECT_EQ(phase_back, k.phase);
            const FluidState& b = phase_back == PHASE_VAPOUR ? vb : lb;
            EXPECT_NEAR(b.T - KELVIN_OFFSET, k.t, 1e-7);
        }
    }
}

TEST(Gao2023Solvers, TwoPhaseByEnthalpy) {
    for (const double p : {1e4, 1e5, 1e6, 1e7}) {
        SaturationEquilibrium e{};
        ASSERT_EQ(saturation_at_pressure(p, e), SATURATION_EQUILIBRIUM_OK);
        FluidState l{};
        FluidState v{};
        evaluate(e.T_K - KELVIN_OFFSET, e.rho_liquid, l);
        evaluate(e.T_K - KELVIN_OFFSET, e.rho_vapour, v);
        const double h = state_enthalpy(l) + 0.3 * (state_enthalpy(v) - state_enthalpy(l));
        int phase = -1;
        double x = 0.0;
        FluidState lb{};
        FluidState vb{};
        flash::Isobar<Gao2023>::state_from_pressure_property(IsobarProperty::enthalpy, 0, p, h,
                                                             phase, x, lb, vb);
        EXPECT_EQ(phase, PHASE_TWO_PHASE) << p;
        EXPECT_NEAR(x, 0.3, 1e-9) << p;
        EXPECT_NEAR(lb.T, e.T_K, 1e-9) << p;
    }
}

// The paper's critical pressure, 11.3634 MPa, is the equation's at its critical temperature and
// density to the digits given; the normal boiling point lies within 0.02 K of the common tables'
// 239.82 K (-33.33 degC; the 1993 equation gives 239.823 K, this one 239.834 K).
TEST(Gao2023Solvers, CriticalPointAndNormalBoilingPoint) {
    EXPECT_NEAR(Gao2023::CONSTANTS.critical_pressure, 11.3634e6, 0.00005e6);
    SaturationEquilibrium e{};
    ASSERT_EQ(saturation_at_pressure(101325.0, e), SATURATION_EQUILIBRIUM_OK);
    EXPECT_NEAR(e.T_K, 239.82, 0.02);
}

// A grid over the whole domain, from the triple-point pressure to 1000 MPa and from the lowest to
// the highest temperature: the density solved at every (p, T) through the model's brackets
// reproduces its pressure, and the (p, h) inverse finds the temperature again.
TEST(Gao2023Solvers, GridOverTheDomain) {
    const DomainLimits& d = Gao2023::CONSTANTS.domain;
    int count = 0;
    for (double lp = std::log10(d.min_pressure); lp <= 9.0; lp += 0.25) {
        for (double t = d.min_temperature; t <= d.max_temperature; t += 11.9) {
            const double p = std::pow(10.0, lp);
            SCOPED_TRACE(testing::Message() << p << " Pa, " << t << " degC");
            int phase = -1;
            double x = 0.0;
            FluidState l{};
            FluidState v{};
            flash::PressureTemperature<Gao2023>::state_from_pressure_temperature(0, p, t, phase, x,
                                                                                 l, v);
            const FluidState& s = phase == PHASE_VAPOUR ? v : l;
            ASSERT_NE(phase, PHASE_TWO_PHASE);
            EXPECT_NEAR(state_pressure(s), p, 1e-9 * p);
            int phase_back = -1;
            FluidState lb{};
            FluidState vb{};
            flash::Isobar<Gao2023>::state_from_pressure_property(
                IsobarProperty::enthalpy, 0, p, state_enthalpy(s), phase_back, x, lb, vb);
            EXPECT_EQ(phase_back, phase);
            EXPECT_NEAR((phase_back == PHASE_VAPOUR ? vb : lb).T, s.T, 1e-7);
            ++count;
        }
    }
    EXPECT_GT(count, 500);
}

}  // namespace
}  // namespace zeltra5
