// The superheated liquid of the 2023 model: its limit temperature (the 1993 model's curve over
// the saturation temperature, identity outside the range), the depth of its density bracket (to
// the equation's liquid spinodal at the limit), and the superheated liquid through the
// calculations with the superheat option, as the 1993 model answers it.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "zeltra5/calculation.hpp"
#include "zeltra5/gao2023.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/pairs.hpp"
#include "zeltra5/tr1993.hpp"

namespace zeltra5 {
namespace {

using namespace gao2023;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(Gao2023Superheat, LimitFollowsTheCurveInsideAndIsIdentityOutside) {
    // Inside: the 1993 model's limit curve (its fit evaluated in extended precision) to 1e-9 K.
    for (double ts = -76.9; ts < SUPERHEAT_CEILING; ts += 0.731) {
        const double limit = gao2023::superheat_limit_temperature(ts);
        EXPECT_NEAR(limit, Tr1993::superheat_limit_temperature(ts), 1e-9) << ts;
        EXPECT_GE(limit, ts);
        EXPECT_LE(limit, CRITICAL_TEMPERATURE_C);
    }
    EXPECT_NEAR(gao2023::superheat_limit_temperature(24.9), 43.64,
                0.01);  // 10 bar: 18.7 K of superheat
    EXPECT_GT(gao2023::superheat_limit_temperature(MIN_TEMPERATURE + 0.01), MIN_TEMPERATURE + 20.0);
    for (const double ts : {MIN_TEMPERATURE, -100.0, SUPERHEAT_CEILING, 131.0, 140.0}) {
        EXPECT_EQ(gao2023::superheat_limit_temperature(ts), ts) << ts;
    }
    EXPECT_TRUE(std::isnan(gao2023::superheat_limit_temperature(NaN)));
}

TEST(Gao2023Superheat, DepthReachesTheSpinodalAtTheLimit) {
    for (const double ts :
         {LOWEST_ADMITTED_TEMPERATURE, -70.0, -33.6, 0.0, 24.9, 60.0, 100.0, 125.0, 129.0}) {
        SCOPED_TRACE(ts);
        SaturationEquilibrium e{};
        ASSERT_EQ(saturation_at_temperature(ts + KELVIN_OFFSET, e), SATURATION_EQUILIBRIUM_OK);
        const double depth = gao2023::superheat_depth(ts);
        ASSERT_GT(depth, 0.0);
        const double limit = std::max(gao2023::superheat_limit_temperature(ts), MIN_TEMPERATURE);
        const double rho = e.rho_liquid - depth;
        // (dp/drho)_T vanishes there: against the slope of the saturated liquid, 1e-9 of it.
        FluidState at{};
        FluidState sat{};
        evaluate(limit, rho, at);
        evaluate(limit, e.rho_liquid, sat);
        EXPECT_LT(std::fabs(1.0 / drho_dp_t(at)), 1e-9 / drho_dp_t(sat));
        // The bracket's lower end lies below the saturation pressure and above the vapour.
        EXPECT_LT(pressure(limit, rho), e.p);
        EXPECT_GT(rho, e.rho_vapour);
    }
    for (const double ts :
         {LOWEST_ADMITTED_TEMPERATURE - 1e-9, SUPERHEAT_CEILING, 131.0, 200.0, NaN}) {
        EXPECT_EQ(gao2023::superheat_depth(ts), 0.0) << ts;
    }
    // Above Tc no spinodal.
    EXPECT_TRUE(std::isnan(liquid_spinodal_density(150.0)));
}

StateResult state(const char* pair, double first, double second, bool superheat) {
    CalcOptions options;
    options.units = SI_CELSIUS_UNITS;
    options.superheat = superheat;
    options.model = find_model_index("gao2023");
    StateResult r;
    calculate_state(*find_arg_pair(pair), first, second, options, r);
    return r;
}

TEST(Gao2023Superheat, PressureTemperatureAnswersTheSuperheatedLiquid) {
    struct Case {
        double p;
        double t;
    };
    for (const Case& c :
         {Case{1e5, -30.0}, Case{1e5, -20.0}, Case{5e5, 10.0}, Case{2e6, 60.0}, Case{7e3, -70.0}}) {
        SCOPED_TRACE(testing::Message() << c.p << " Pa, " << c.t << " degC");
        const StateResult liquid = state("p-t", c.p, c.t, true);
        ASSERT_EQ(liquid.status, STATUS_VALID);
        EXPECT_EQ(liquid.phase, PHASE_LIQUID);
        EXPECT_EQ(liquid.phase_detail, 1);
        EXPECT_EQ(liquid.values[FIELD_TEMPERATURE], c.t);
        const double rho = liquid.values[FIELD_DENSITY];
        EXPECT_NEAR(pressure(c.t, rho), c.p, 1e-9 * c.p);
        // Lighter than the saturated liquid at its pressure, far denser than the vapour.
        SaturationEquilibrium e{};
        ASSERT_EQ(saturation_at_pressure(c.p, e), SATURATION_EQUILIBRIUM_OK);
        EXPECT_LT(rho, e.rho_liquid);
        EXPECT_GT(rho, 0.8 * e.rho_liquid);
        // Without the option: the stable vapour.
        const StateResult plain = state("p-t", c.p, c.t, false);
        ASSERT_EQ(plain.status, STATUS_VALID);
        EXPECT_EQ(plain.phase, PHASE_VAPOUR);
        // Its density and enthalpy give it back with the option.
        for (const char* pair : {"t-rho", "p-h"}) {
            const double second =
                pair[2] == 'h' ? liquid.values[FIELD_ENTHALPY] : liquid.values[FIELD_DENSITY];
            const StateResult back = state(pair, pair[0] == 't' ? c.t : c.p, second, true);
            ASSERT_EQ(back.status, STATUS_VALID) << pair;
            EXPECT_EQ(back.phase, PHASE_LIQUID) << pair;
            EXPECT_NEAR(back.values[FIELD_DENSITY], rho, 1e-9 * rho) << pair;
        }
    }
    // Beyond the limit (43.6 degC at 10 bar) the liquid is refused with the option, as with the
    // 1993 model.
    const StateResult beyond = state("p-t", 1e6, 60.0, true);
    EXPECT_NE(beyond.status, STATUS_VALID);
}

}  // namespace
}  // namespace zeltra5
