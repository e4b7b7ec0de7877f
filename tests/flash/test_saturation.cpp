// Saturation states at a given temperature and at a given pressure.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/solvers.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();

bool same_record(const FluidState& a, const FluidState& b) {
    return std::memcmp(&a, &b, sizeof(FluidState)) == 0;
}

// The equation's own critical point, which stands for both records beyond the equilibrium's
// range.
FluidState critical_state() {
    FluidState s;
    evaluate_state(EQUATION_CRITICAL_TEMPERATURE_C, EQUATION_CRITICAL_DENSITY, s);
    return s;
}

// What the last bits of a density move the pressure by: the liquid's own pressure cannot agree
// better (near -77 degC (dp/drho) rho / p is about 5e5).
double pressure_rounding(const FluidState& s) {
    const double dp_drho =
        GAS_CONSTANT * s.T * (1.0 + 2.0 * s.delta * s.phir_d + s.delta * s.delta * s.phir_dd);
    return 1e-15 * s.rho * std::fabs(dp_drho);
}

double gibbs(const FluidState& s) {
    return state_enthalpy(s) - s.T * state_entropy(s);
}

class SaturationAtOrAboveCriticalTemperature : public testing::TestWithParam<double> {};

TEST_P(SaturationAtOrAboveCriticalTemperature, GivesTheCriticalStateInBothRecords) {
    double P_s = 0.0;
    FluidState liquid;
    FluidState vapour;
    saturation_by_temperature(GetParam(), P_s, liquid, vapour);
    const FluidState critical = critical_state();
    EXPECT_TRUE(same_record(liquid, critical));
    EXPECT_TRUE(same_record(vapour, critical));
    // The critical point's own pressure is the equation's critical pressure.
    EXPECT_NEAR(state_pressure(critical), CRITICAL_PRESSURE, 1e-9 * CRITICAL_PRESSURE);
    EXPECT_EQ(P_s, CRITICAL_PRESSURE);
}

INSTANTIATE_TEST_SUITE_P(Temperatures, SaturationAtOrAboveCriticalTemperature,
                         testing::Values(EQUATION_CRITICAL_TEMPERATURE_C,
                                         std::nextafter(EQUATION_CRITICAL_TEMPERATURE_C, 200.0),
                                         EQUATION_CRITICAL_TEMPERATURE_C - 1e-10, 140.0, 450.0, 1e6,
                                         INF));

// Below the equilibrium's range (and for NaN) nothing is answered: no fitted state stands in.
TEST(SaturationByTemperature, BelowTheRangeOrNaNGivesNaN) {
    for (const double T : {-77.1, -200.0, -INF, NaN}) {
        double P_s = 0.0;
        FluidState liquid;
        FluidState vapour;
        saturation_by_temperature(T, P_s, liquid, vapour);
        EXPECT_TRUE(std::isnan(P_s)) << T;
        EXPECT_TRUE(std::isnan(liquid.rho) && std::isnan(vapour.rho)) << T;
        EXPECT_TRUE(std::isnan(saturation_pressure(T))) << T;
    }
}

TEST(SaturationByTemperature, LineIsPhaseEquilibriumWithPressureRisingToTheLimit) {
    double previous = 0.0;
    int points = 0;
    double T = MIN_TEMPERATURE;
    for (; T <= SATURATION_LIMIT_TEMPERATURE_C; T += 0.0071) {
        double P_s = 0.0;
        FluidState liquid;
        FluidState vapour;
        saturation_by_temperature(T, P_s, liquid, vapour);
        ASSERT_GT(P_s, previous) << T;
        previous = P_s;
        ++points;
        ASSERT_EQ(liquid.T, T + KELVIN_OFFSET);
        ASSERT_EQ(vapour.T, T + KELVIN_OFFSET);
        ASSERT_GT(liquid.rho, vapour.rho) << T;
        // Equal pressure and Gibbs energy in both records, and the pressure reported is theirs.
        EXPECT_NEAR(state_pressure(vapour), P_s, 1e-12 * P_s) << T;
        EXPECT_NEAR(state_pressure(liquid), P_s, 1e-12 * P_s + pressure_rounding(liquid)) << T;
        EXPECT_NEAR(gibbs(liquid), gibbs(vapour),
                    1e-10 * (state_enthalpy(vapour) - state_enthalpy(liquid)))
            << T;
        EXPECT_EQ(saturation_pressure(T), P_s) << T;
    }
    EXPECT_GT(points, 29000);
    double P_limit = 0.0;
    FluidState liquid;
    FluidState vapour;
    saturation_by_temperature(SATURATION_LIMIT_TEMPERATURE_C, P_limit, liquid, vapour);
    EXPECT_EQ(P_limit, SATURATION_LIMIT_PRESSURE);
    EXPECT_LT(previous, P_limit);
    EXPECT_LT(P_limit, CRITICAL_PRESSURE);
}

TEST(SaturationByPressure, RoundTripThroughTemperature) {
    int points = 0;
    for (double T = MIN_TEMPERATURE; T <= SATURATION_LIMIT_TEMPERATURE_C; T += 0.0437) {
        double P_s = 0.0;
        FluidState liquid;
        FluidState vapour;
        saturation_by_temperature(T, P_s, liquid, vapour);
        double T_s = 0.0;
        saturation_by_pressure(P_s, T_s, liquid, vapour);
        // The inverse expansion meets the forward one to about 1e-13 K.
        ASSERT_NEAR(T_s, T, 1e-11) << T;
        ASSERT_NEAR(state_pressure(vapour), P_s, 1e-12 * P_s) << T;
        ASSERT_NEAR(state_pressure(liquid), P_s, 1e-12 * P_s + pressure_rounding(liquid)) << T;
        ++points;
    }
    EXPECT_GT(points, 4750);
}

// The records returned are those of the evaluation at the returned T_s.
class SaturationByPressureAt : public testing::TestWithParam<double> {};

TEST_P(SaturationByPressureAt, RecordsBelongToTheReturnedTemperature) {
    const double P = GetParam();
    double T_s = 0.0;
    FluidState liquid;
    FluidState vapour;
    saturation_by_pressure(P, T_s, liquid, vapour);
    double P_s = 0.0;
    FluidState l_again;
    FluidState v_again;
    saturation_by_temperature(T_s, P_s, l_again, v_again);
    EXPECT_TRUE(same_record(liquid, l_again));
    EXPECT_TRUE(same_record(vapour, v_again));
    EXPECT_EQ(saturation_temperature(P), T_s);
    EXPECT_NEAR(state_pressure(vapour), P, 1e-12 * P);
    EXPECT_NEAR(state_pressure(liquid), P, 1e-12 * P + pressure_rounding(liquid));
}

// No search: one call of the expansions, no saturation by temperature on the way.
TEST_P(SaturationByPressureAt, MakesNoTemperatureEvaluations) {
    if (!EVALUATION_COUNTERS_ENABLED) {
        GTEST_SKIP() << "evaluation counters not compiled in";
    }
    double T_s = 0.0;
    FluidState liquid;
    FluidState vapour;
    reset_evaluation_counters();
    saturation_by_pressure(GetParam(), T_s, liquid, vapour);
    EXPECT_EQ(evaluation_counters().saturation_by_temperature, 0u);
    EXPECT_EQ(evaluation_counters().saturation_by_pressure, 1u);
}

// Pressures across the domain, up to the saturation limit and between it and the critical
// pressure (answered there too: the range check, not the solver, draws the limit).
INSTANTIATE_TEST_SUITE_P(Pressures, SaturationByPressureAt,
                         testing::Values(MIN_PRESSURE, std::nextafter(MIN_PRESSURE, 0.0), 1e5,
                                         429384.6393556987, 1e6, 5e6, 10782392.95305788, 11e6,
                                         11.3e6, 11333400.0, SATURATION_LIMIT_PRESSURE, 11358000.0,
                                         11359196.0));

TEST(SaturationByPressure, BetweenTheLimitAndTheCriticalPressureAnsweredFromTheEquilibrium) {
    // Where the old fitted curves were capped (11333400 Pa) the equilibrium still has two
    // distinct phases; at the critical pressure itself the critical point stands.
    for (const double P : {11333399.7326, 11333400.0, 11358500.0, 11359196.2}) {
        double T_s = 0.0;
        FluidState liquid;
        FluidState vapour;
        saturation_by_pressure(P, T_s, liquid, vapour);
        EXPECT_LT(T_s, EQUATION_CRITICAL_TEMPERATURE_C) << P;
        EXPECT_GT(liquid.rho, vapour.rho) << P;
        EXPECT_EQ(liquid.T, T_s + KELVIN_OFFSET) << P;
    }
    double T_s = 0.0;
    FluidState liquid;
    FluidState vapour;
    saturation_by_pressure(CRITICAL_PRESSURE, T_s, liquid, vapour);
    EXPECT_EQ(T_s, EQUATION_CRITICAL_TEMPERATURE_C);
    EXPECT_TRUE(same_record(liquid, critical_state()));
}

class SaturationAboveCriticalPressure : public testing::TestWithParam<double> {};

TEST_P(SaturationAboveCriticalPressure, GivesTheCriticalStateWithoutSearch) {
    double T_s = 0.0;
    FluidState liquid;
    FluidState vapour;
    reset_evaluation_counters();
    saturation_by_pressure(GetParam(), T_s, liquid, vapour);
    EXPECT_EQ(T_s, EQUATION_CRITICAL_TEMPERATURE_C);
    EXPECT_TRUE(same_record(liquid, critical_state()));
    EXPECT_TRUE(same_record(vapour, liquid));
    EXPECT_EQ(evaluation_counters().saturation_by_temperature, 0u);
}

INSTANTIATE_TEST_SUITE_P(Pressures, SaturationAboveCriticalPressure,
                         testing::Values(std::nextafter(CRITICAL_PRESSURE, INF), 11359197.0, 2e7,
                                         MAX_PRESSURE, INF));

bool same_value(const double a, const double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

// One side of the saturation (what a saturation request shows) is that side's record of the
// pair, bit for bit, with the same pressure or temperature and the other record's enthalpy;
// inside the range, at its ends, beyond them (the critical point) and below them (NaN).
TEST(SaturatedSide, IsThatSideOfThePairWithTheOtherSidesEnthalpy) {
    const double temperatures[] = {-77.0 - 1e-9, -77.0, -40.0,
                                   0.0,          1.5,   60.0,
                                   120.0,        132.2, EQUATION_CRITICAL_TEMPERATURE_C - 1e-10,
                                   140.0,        -80.0, NaN};
    const double pressures[] = {
        MIN_PRESSURE,      6500.0, 1e5,    4.294e5, 2e6, 8e6, SATURATION_LIMIT_PRESSURE, 11.3e6,
        CRITICAL_PRESSURE, 2e7,    6000.0, NaN};
    for (const int side : {PHASE_LIQUID, PHASE_VAPOUR}) {
        for (const double T : temperatures) {
            double P_s = 0.0;
            FluidState pair[2];
            saturation_by_temperature(T, P_s, pair[0], pair[1]);
            const FluidState& same = side == PHASE_LIQUID ? pair[0] : pair[1];
            const FluidState& other = side == PHASE_LIQUID ? pair[1] : pair[0];
            double P_side = 0.0;
            FluidState state;
            double h_other = 0.0;
            saturated_side_by_temperature(T, side, P_side, state, h_other);
            EXPECT_TRUE(same_record(state, same)) << side << " " << T;
            EXPECT_TRUE(same_value(P_side, P_s)) << side << " " << T;
            EXPECT_TRUE(same_value(h_other, state_enthalpy(other))) << side << " " << T;
        }
        for (const double P : pressures) {
            double T_s = 0.0;
            FluidState pair[2];
            saturation_by_pressure(P, T_s, pair[0], pair[1]);
            const FluidState& same = side == PHASE_LIQUID ? pair[0] : pair[1];
            const FluidState& other = side == PHASE_LIQUID ? pair[1] : pair[0];
            double T_side = 0.0;
            FluidState state;
            double h_other = 0.0;
            saturated_side_by_pressure(P, side, T_side, state, h_other);
            EXPECT_TRUE(same_record(state, same)) << side << " " << P;
            EXPECT_TRUE(same_value(T_side, T_s)) << side << " " << P;
            EXPECT_TRUE(same_value(h_other, state_enthalpy(other))) << side << " " << P;
        }
    }
}

TEST(SaturationByPressure, BelowTheRangeOrNaNGivesNaN) {
    for (const double P : {6000.0, 0.0, -1.0, NaN}) {
        double T_s = 0.0;
        FluidState liquid;
        FluidState vapour;
        saturation_by_pressure(P, T_s, liquid, vapour);
        EXPECT_TRUE(std::isnan(T_s)) << P;
        EXPECT_TRUE(std::isnan(liquid.rho) && std::isnan(vapour.rho)) << P;
    }
}

}  // namespace
}  // namespace zeltra5
