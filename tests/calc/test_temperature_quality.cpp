// Temperature and quality (t-x): the saturated pair at t as ts-liquid and ts-vapour give it, the
// mixture between them by the lever rule, and the given values held bit for bit.

#include <gtest/gtest.h>

#include <cmath>

#include "zeltra5/calculation.hpp"
#include "zeltra5/pairs.hpp"

namespace zeltra5 {
namespace {

StateResult state(const char* pair, const double first, const double second,
                  const CalcOptions& options = CalcOptions{}) {
    StateResult r;
    calculate_state(*find_arg_pair(pair), first, second, options, r);
    return r;
}

CalcOptions celsius() {
    CalcOptions o;
    o.units = SI_CELSIUS_UNITS;
    return o;
}

TEST(TemperatureQuality, MixturesFollowTheLeverRuleOnTheSaturatedPair) {
    const double temperatures[] = {-77.0, -33.3, -10.0, 0.0, 25.0, 100.0, 130.0, 132.34};
    const double qualities[] = {1e-300, 1e-9, 0.2, 0.5, 0.999999, 1.0 - 0x1p-53};
    for (const double t : temperatures) {
        const StateResult l = state("ts-liquid", t, 0.0, celsius());
        const StateResult v = state("ts-vapour", t, 0.0, celsius());
        ASSERT_EQ(l.status, STATUS_VALID) << t;
        ASSERT_EQ(v.status, STATUS_VALID) << t;
        for (const double x : qualities) {
            const StateResult m = state("t-x", t, x, celsius());
            ASSERT_EQ(m.status, STATUS_VALID) << t << " " << x;
            EXPECT_EQ(m.phase, PHASE_TWO_PHASE);
            EXPECT_EQ(m.values[FIELD_TEMPERATURE], t);
            EXPECT_EQ(m.values[FIELD_RELATIVE_ENTHALPY], x);
            EXPECT_EQ(m.values[FIELD_PRESSURE], l.values[FIELD_PRESSURE]);
            for (const int k : {FIELD_ENTHALPY, FIELD_INTERNAL_ENERGY, FIELD_ENTROPY}) {
                const double lever = (1.0 - x) * l.values[k] + x * v.values[k];
                EXPECT_NEAR(m.values[k], lever, 1e-12 * std::fabs(lever) + 1e-9)
                    << t << " " << x << " " << RESULT_VALUE_NAMES[k];
            }
            const double volume =
                (1.0 - x) * l.values[FIELD_SPECIFIC_VOLUME] + x * v.values[FIELD_SPECIFIC_VOLUME];
            EXPECT_NEAR(m.values[FIELD_SPECIFIC_VOLUME], volume, 1e-12 * volume);
            EXPECT_EQ(m.values[FIELD_LATENT_HEAT],
                      v.values[FIELD_ENTHALPY] - l.values[FIELD_ENTHALPY]);
            EXPECT_TRUE(std::isnan(m.values[FIELD_CP]));
        }
    }
}

TEST(TemperatureQuality, TheEndsAreTheSaturatedStatesBitForBit) {
    for (const double t : {-77.0, -10.0, 50.0, 132.0}) {
        for (const auto& [x, pair] : {std::pair{0.0, "ts-liquid"}, std::pair{1.0, "ts-vapour"}}) {
            const StateResult end = state("t-x", t, x, celsius());
            const StateResult saturated = state(pair, t, 0.0, celsius());
            ASSERT_EQ(end.status, STATUS_VALID);
            EXPECT_EQ(end.phase, saturated.phase);
            EXPECT_EQ(end.phase_detail, 0);
            for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
                if (std::isnan(saturated.values[k])) {
                    EXPECT_TRUE(std::isnan(end.values[k])) << RESULT_VALUE_NAMES[k];
                } else {
                    EXPECT_EQ(end.values[k], saturated.values[k]) << t << RESULT_VALUE_NAMES[k];
                }
            }
        }
    }
}

// The evaporator inlet of the README: -10 degC and 0.2 in display units, t exactly -10.
TEST(TemperatureQuality, UnitsAndReferenceStates) {
    CalcOptions display;
    display.units = DISPLAY_UNITS;
    display.reference = ReferenceState::iir;
    const StateResult m = state("t-x", -10.0, 0.2, display);
    ASSERT_EQ(m.status, STATUS_VALID);
    EXPECT_EQ(m.values[FIELD_TEMPERATURE], -10.0);
    const StateResult kelvin = state("t-x", 263.15, 0.2);
    ASSERT_EQ(kelvin.status, STATUS_VALID);
    EXPECT_EQ(kelvin.values[FIELD_TEMPERATURE], 263.15);
    EXPECT_NEAR(kelvin.values[FIELD_PRESSURE], m.values[FIELD_PRESSURE] * 1e5, 1e-6);
    const StateResult liquid = state("ts-liquid", -10.0, 0.0, display);
    const StateResult vapour = state("ts-vapour", -10.0, 0.0, display);
    EXPECT_NEAR(m.values[FIELD_ENTHALPY],
                0.8 * liquid.values[FIELD_ENTHALPY] + 0.2 * vapour.values[FIELD_ENTHALPY], 1e-9);
}

TEST(TemperatureQuality, RefusesWhatIsNoSaturatedState) {
    struct Case {
        double t;
        double x;
        RefusalReason reason;
        int input;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {-77.01, 0.5, RefusalReason::below_minimum, 0},
        {132.35, 0.5, RefusalReason::above_maximum, 0},
        {200.0, 0.5, RefusalReason::above_maximum, 0},
        {0.0, -1e-300, RefusalReason::below_minimum, 1},
        {0.0, 1.0000000000000002, RefusalReason::above_maximum, 1},
        {nan, 0.5, RefusalReason::not_finite, 0},
        {0.0, nan, RefusalReason::not_finite, 1},
        {0.0, INFINITY, RefusalReason::not_finite, 1},
    };
    for (const Case& c : cases) {
        const StateResult r = state("t-x", c.t, c.x, celsius());
        EXPECT_EQ(r.status, STATUS_OUTSIDE_DOMAIN) << c.t << " " << c.x;
        EXPECT_EQ(r.refusal.reason, c.reason) << c.t << " " << c.x;
        EXPECT_EQ(r.refusal.input, c.input) << c.t << " " << c.x;
        for (const double v : r.values) {
            EXPECT_TRUE(std::isnan(v));
        }
    }
    CalcOptions superheat = celsius();
    superheat.superheat = true;
    EXPECT_EQ(state("t-x", 0.0, 0.5, superheat).status, STATUS_BAD_ARGUMENT);
}

}  // namespace
}  // namespace zeltra5
