// The model seam: each model's constants agree with its own functions (a constant that drifted
// from the equation would put the domain's edges or the critical point in the wrong place), the
// registry finds every model, and the solvers reached through the seam give what the default
// model's solvers give.

#include <gtest/gtest.h>

#include <cmath>
#include <string_view>
#include <type_traits>

#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/solvers.hpp"

namespace zeltra5 {
namespace {

template <class M>
void expect_constants_agree_with_the_equation() {
    const ModelConstants& c = M::CONSTANTS;
    const DomainLimits& d = c.domain;
    SCOPED_TRACE(M::NAME);

    // The record carries the model's gas constant, and the pressure formed from it.
    FluidState s{};
    M::evaluate(20.0, 610.0, s);
    EXPECT_EQ(s.R, c.gas_constant);
    EXPECT_NEAR(state_pressure(s), M::pressure(20.0, 610.0), 1e-13 * M::pressure(20.0, 610.0));

    // The critical point: the equation's pressure there, and no equilibrium beyond it.
    M::evaluate(c.critical_temperature, c.critical_density, s);
    EXPECT_NEAR(state_pressure(s), c.critical_pressure, 1e-9 * c.critical_pressure);
    SaturationEquilibrium e{};
    EXPECT_EQ(M::saturation_at_temperature(c.critical_temperature + KELVIN_OFFSET + 1e-6, e),
              SATURATION_EQUILIBRIUM_OUTSIDE);
    EXPECT_TRUE(std::isnan(e.p));

    // Saturation's own limit and the domain's lowest pressure are equilibrium pressures (the
    // latter rounded from an earlier solve: 5e-12 relative).
    ASSERT_EQ(M::saturation_at_temperature(c.saturation_limit_temperature + KELVIN_OFFSET, e),
              SATURATION_EQUILIBRIUM_OK);
    EXPECT_NEAR(e.p, c.saturation_limit_pressure, 1e-12 * e.p);
    ASSERT_EQ(M::saturation_at_temperature(d.min_temperature + KELVIN_OFFSET, e),
              SATURATION_EQUILIBRIUM_OK);
    EXPECT_NEAR(e.p, d.min_pressure, 1e-11 * e.p);

    // The admitted band lies just outside the domain, by the margins it states.
    EXPECT_EQ(d.lowest_admitted_temperature, d.min_temperature - d.temperature_margin);
    EXPECT_EQ(d.highest_admitted_temperature, d.max_temperature + d.temperature_margin);
    EXPECT_LT(d.lowest_admitted_pressure, d.min_pressure);
    // At the lowest edge the two bands meet on the saturation line: the lowest admitted pressure
    // is the equilibrium's at the lowest admitted temperature less 1e-9 Pa, and the equilibrium
    // there keeps a temperature no lower than the lowest admitted. An equilibrium solved by
    // Newton steps through the platform's exp and log (gao2023) lands within a few bits of the
    // stored value on another C library (mingw's under Wine), one from expansions bit for bit.
    ASSERT_EQ(M::saturation_at_temperature(d.lowest_admitted_temperature + KELVIN_OFFSET, e),
              SATURATION_EQUILIBRIUM_OK);
    EXPECT_NEAR(d.lowest_admitted_pressure, e.p - 1e-9, 1e-14 * e.p);
    ASSERT_EQ(M::saturation_at_pressure(d.lowest_admitted_pressure, e), SATURATION_EQUILIBRIUM_OK);
    EXPECT_GE(e.T_K - KELVIN_OFFSET, d.lowest_admitted_temperature);
    // A (T, rho) state's own pressure may lie below it by a liquid's pressure step of one double
    // of density (3.4e-6 Pa): the equilibrium answers to 1e-5 Pa below.
    EXPECT_EQ(M::saturation_at_pressure(d.lowest_admitted_pressure - 2e-5, e),
              SATURATION_EQUILIBRIUM_OUTSIDE);
    EXPECT_GT(d.highest_admitted_pressure, d.max_pressure);
    EXPECT_LT(c.saturation_limit_temperature, c.critical_temperature);
    EXPECT_LT(c.superheat_ceiling, c.saturation_limit_temperature);

    // A density bracket is a positive, ordered starting interval; where it holds the state the
    // solver finds there, the solver need not move it.
    struct Case {
        double p;
        double t;
        int phase;
        bool holds;
    };
    for (const Case& k :
         {Case{1e6, 0.0, PHASE_LIQUID, true}, Case{1e5, 50.0, PHASE_VAPOUR, true},
          Case{2e7, 150.0, PHASE_SUPERCRITICAL, true}, Case{8e7, 300.0, PHASE_SUPERCRITICAL, false},
          Case{d.max_pressure, d.max_temperature, PHASE_SUPERCRITICAL, false}}) {
        double lo = 0.0;
        double hi = 0.0;
        M::density_bracket(k.p, k.t, k.phase, lo, hi);
        EXPECT_GT(lo, 0.0);
        EXPECT_LT(lo, hi);
        double liquid_rho = 0.0;
        double vapour_rho = 0.0;
        flash::PressureTemperature<M>::densities_from_pressure_temperature(k.p, k.t, liquid_rho,
                                                                           vapour_rho);
        const double rho = k.phase == PHASE_VAPOUR ? vapour_rho : liquid_rho;
        // Where the 1993 model's fitted bracket misses the state is its own; another model's
        // bracket may hold it there too.
        if (std::is_same_v<M, Tr1993> || k.holds) {
            EXPECT_EQ(lo <= rho && rho <= hi, k.holds)
                << k.p << " Pa, " << k.t << " degC: " << lo << " " << rho << " " << hi;
        }
    }
}

TEST(ModelSeam, ConstantsAgreeWithEachModelsEquation) {
    std::visit(
        [](const auto& model) {
            expect_constants_agree_with_the_equation<std::decay_t<decltype(model)>>();
        },
        AnyModel{});
    expect_constants_agree_with_the_equation<Tr1993>();
    expect_constants_agree_with_the_equation<Gao2023>();
}

TEST(ModelSeam, RegistryNamesEveryModelOnce) {
    for (int i = 0; i < MODEL_COUNT; ++i) {
        const ModelInfo& m = MODELS[i];
        EXPECT_EQ(find_model(m.name), &m);
        EXPECT_NE(std::string_view(m.description), "");
        for (int j = 0; j < i; ++j) {
            EXPECT_NE(std::string_view(MODELS[j].name), m.name);
        }
    }
    EXPECT_EQ(&model_info(AnyModel{Tr1993{}}), find_model("tr1993"));
    EXPECT_EQ(&model_info(AnyModel{Gao2023{}}), find_model("gao2023"));
    EXPECT_EQ(MODELS[0].constants, &DEFAULT_CONSTANTS);
    EXPECT_EQ(model_info(AnyModel{}).constants, &DEFAULT_CONSTANTS);
    for (const char* unknown : {"", "TR1993", "tr1993 ", "gao"}) {
        EXPECT_EQ(find_model(unknown), nullptr) << unknown;
    }
}

// The default model's solvers are the templates for it: the same records bit for bit.
TEST(ModelSeam, DefaultSolversAreTheTemplatesForTheDefaultModel) {
    struct Case {
        double p;
        double h;
    };
    for (const Case& k : {Case{1e5, 1.5e6}, Case{1e6, 5e5}, Case{1e6, 1.7e6}, Case{2e7, 1.2e6}}) {
        int phase_a = -1;
        int phase_b = -1;
        double x_a = 0.0;
        double x_b = 0.0;
        FluidState la{};
        FluidState va{};
        FluidState lb{};
        FluidState vb{};
        state_from_pressure_enthalpy(0, k.p, k.h, phase_a, x_a, la, va);
        flash::Isobar<DefaultModel>::state_from_pressure_property(IsobarProperty::enthalpy, 0, k.p,
                                                                  k.h, phase_b, x_b, lb, vb);
        EXPECT_EQ(phase_a, phase_b);
        EXPECT_EQ(x_a, x_b);
        EXPECT_EQ(la.rho, lb.rho);
        EXPECT_EQ(va.T, vb.T);
        EXPECT_EQ(state_enthalpy(k.h > 1e6 ? va : la), state_enthalpy(k.h > 1e6 ? vb : lb));
    }
}

}  // namespace
}  // namespace zeltra5
