// Saturation states at a given temperature and at a given pressure.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/saturation_fits.hpp"
#include "zeltra5/solvers.hpp"

namespace zeltra5 {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();
// Pressure bands of the saturation-temperature search; the middle limit is the saturation
// pressure at 129.4 degC, the lower one that at 0 degC.
constexpr double BAND_LOW_UPPER = 429384.6393556987;
constexpr double BAND_MID_UPPER = 10782392.95305788;

bool same_record(const FluidState& a, const FluidState& b) {
    return std::memcmp(&a, &b, sizeof(FluidState)) == 0;
}

FluidState critical_state() {
    FluidState s;
    evaluate_state(CRITICAL_TEMPERATURE_C, CRITICAL_DENSITY, s);
    return s;
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
    // The critical state's own pressure lies above the cap.
    EXPECT_GT(state_pressure(critical), CRITICAL_PRESSURE);
    EXPECT_EQ(P_s, CRITICAL_PRESSURE);
}

INSTANTIATE_TEST_SUITE_P(Temperatures, SaturationAtOrAboveCriticalTemperature,
                         testing::Values(132.25, std::nextafter(132.25, 200.0), 132.2500001, 140.0,
                                         450.0, 1e6, INF, NaN));

TEST(SaturationByTemperature, LineIsPhaseEquilibriumWithPressureRisingToTheCap) {
    double previous = 0.0;
    int points = 0;
    for (double T = MIN_TEMPERATURE; T <= 132.3; T += 0.0071) {
        double P_s = 0.0;
        FluidState liquid;
        FluidState vapour;
        saturation_by_temperature(T, P_s, liquid, vapour);
        ASSERT_LE(P_s, CRITICAL_PRESSURE) << T;
        ASSERT_GE(P_s, previous) << T;
        previous = P_s;
        ++points;
        if (T >= CRITICAL_TEMPERATURE_C) {
            continue;
        }
        ASSERT_EQ(liquid.T, T + KELVIN_OFFSET);
        ASSERT_EQ(vapour.T, T + KELVIN_OFFSET);
        ASSERT_GT(liquid.rho, vapour.rho) << T;
        if (T <= 130.0) {
            // Equal pressure and Gibbs energy in both records.
            EXPECT_NEAR(state_pressure(vapour), P_s, 1e-13 * P_s) << T;
            EXPECT_NEAR(state_pressure(liquid), P_s, 1e-4 * P_s) << T;
            EXPECT_NEAR(gibbs(liquid), gibbs(vapour),
                        1e-8 * (state_enthalpy(vapour) - state_enthalpy(liquid)))
                << T;
        }
    }
    EXPECT_GT(points, 29000);
    EXPECT_EQ(previous, CRITICAL_PRESSURE);
}

TEST(SaturationByPressure, RoundTripThroughTemperature) {
    int points = 0;
    for (double T = MIN_TEMPERATURE; T <= 132.2; T += 0.0437) {
        double P_s = 0.0;
        FluidState liquid;
        FluidState vapour;
        saturation_by_temperature(T, P_s, liquid, vapour);
        double T_s = 0.0;
        saturation_by_pressure(P_s, T_s, liquid, vapour);
        // Two secant steps from the fit: near-exact below the band of 129.4 degC, looser in
        // the wide near-critical band.
        const bool wide_band = P_s >= BAND_MID_UPPER;
        ASSERT_NEAR(T_s, T, wide_band ? 1e-6 : 1e-10) << T;
        ASSERT_NEAR(state_pressure(vapour), P_s, (wide_band ? 1e-8 : 1e-12) * P_s) << T;
        ++points;
    }
    EXPECT_GT(points, 4700);
}

// The records returned are those of the evaluation at the returned T_s, never an earlier one.
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
    if (P < CRITICAL_PRESSURE) {
        EXPECT_NEAR(state_pressure(vapour), P, 1e-8 * P);
    }
}

TEST_P(SaturationByPressureAt, MakesExactlyFourTemperatureEvaluations) {
    if (!EVALUATION_COUNTERS_ENABLED) {
        GTEST_SKIP() << "evaluation counters not compiled in";
    }
    const double P = GetParam();
    if (P >= CRITICAL_PRESSURE) {
        GTEST_SKIP() << "coincident capped pressures end the search early";
    }
    double T_s = 0.0;
    FluidState liquid;
    FluidState vapour;
    reset_evaluation_counters();
    saturation_by_pressure(P, T_s, liquid, vapour);
    EXPECT_EQ(evaluation_counters().saturation_by_temperature, 4u);
    EXPECT_EQ(evaluation_counters().saturation_by_pressure, 1u);
}

// Band edges and their neighbours, pressures across the domain and the near-critical band
// where the second point is taken below the fitted temperature.
INSTANTIATE_TEST_SUITE_P(Pressures, SaturationByPressureAt,
                         testing::Values(MIN_PRESSURE, std::nextafter(MIN_PRESSURE, 0.0), 6000.0,
                                         1e5, BAND_LOW_UPPER, std::nextafter(BAND_LOW_UPPER, 0.0),
                                         1e6, 5e6, BAND_MID_UPPER,
                                         std::nextafter(BAND_MID_UPPER, 0.0), 11e6, 11.3e6,
                                         11330000.0, CRITICAL_PRESSURE));

TEST(SaturationByPressure, CappedStartingPressuresEndTheSearchAtTheFittedTemperature) {
    // Near the critical pressure, and at it, both starting temperatures have saturation
    // pressures at the cap; they coincide, no secant step is taken and the fitted temperature
    // (132.25 at the critical pressure) is returned.
    for (const double P : {11333300.0, 11333399.7326, CRITICAL_PRESSURE}) {
        double T_fit = 0.0;
        sat_temperature(P, T_fit);
        double T_s = 0.0;
        FluidState liquid;
        FluidState vapour;
        reset_evaluation_counters();
        saturation_by_pressure(P, T_s, liquid, vapour);
        EXPECT_EQ(T_s, T_fit) << P;
        EXPECT_LE(T_s, CRITICAL_TEMPERATURE_C) << P;
        EXPECT_EQ(liquid.T, T_s + KELVIN_OFFSET) << P;
        if (EVALUATION_COUNTERS_ENABLED) {
            EXPECT_EQ(evaluation_counters().saturation_by_temperature, 2u) << P;
        }
    }
}

class SaturationAboveCriticalPressure : public testing::TestWithParam<double> {};

TEST_P(SaturationAboveCriticalPressure, GivesTheCriticalStateWithoutSearch) {
    double T_s = 0.0;
    FluidState liquid;
    FluidState vapour;
    reset_evaluation_counters();
    saturation_by_pressure(GetParam(), T_s, liquid, vapour);
    EXPECT_EQ(T_s, CRITICAL_TEMPERATURE_C);
    EXPECT_TRUE(same_record(liquid, critical_state()));
    EXPECT_TRUE(same_record(vapour, liquid));
    EXPECT_EQ(evaluation_counters().saturation_by_temperature, 0u);
}

INSTANTIATE_TEST_SUITE_P(Pressures, SaturationAboveCriticalPressure,
                         testing::Values(std::nextafter(CRITICAL_PRESSURE, INF), 11333401.0, 2e7,
                                         MAX_PRESSURE, INF, NaN));

}  // namespace
}  // namespace zeltra5
