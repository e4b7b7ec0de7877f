// Domain of the argument pairs: the fixed edges, the computed band edges taken exactly, and
// inputs that no comparison can place (NaN, infinities, values that overflow the band formulas).

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "zeltra5/calc.hpp"

namespace zeltra5 {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();

struct RangeCase {
    const char* what;
    int mode;
    double first;
    double second;
    int expected;  // 0 inside, 1 outside
};

class FixedEdges : public ::testing::TestWithParam<RangeCase> {};

TEST_P(FixedEdges, Classified) {
    const RangeCase& c = GetParam();
    EXPECT_EQ(check_input_range(c.first, c.mode, c.second), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Domain, FixedEdges,
    ::testing::Values(
        RangeCase{"saturation at the critical pressure", 1, 11333400.0, 0.0, 0},
        RangeCase{"saturation at the lowest pressure", 1, MIN_PRESSURE, 0.0, 0},
        RangeCase{"saturation just below the lowest pressure", 1, std::nextafter(MIN_PRESSURE, 0.0),
                  0.0, 1},
        RangeCase{"saturation above the critical pressure", 1, 11333400.000001, 0.0, 1},
        RangeCase{"quality at the critical pressure", 0, 11333400.0, 0.5, 1},
        RangeCase{"quality just below the critical pressure", 0, std::nextafter(11333400.0, 0.0),
                  0.5, 0},
        RangeCase{"quality at the lowest pressure", 0, MIN_PRESSURE, 0.5, 0},
        RangeCase{"saturation temperature -77", 2, -77.0, 0.0, 0},
        RangeCase{"saturation temperature 132.25", 2, 132.25, 0.0, 0},
        RangeCase{"saturation temperature above critical", 2, 132.25000000000003, 0.0, 1},
        RangeCase{"saturation temperature below -77", 2, -77.00000000000001, 0.0, 1},
        RangeCase{"(P, T) top corner", 3, 84474590.24742904, 450.0, 0},
        RangeCase{"(P, T) bottom corner", 3, MIN_PRESSURE, -77.0, 0},
        RangeCase{"(P, T) at 6417.2 Pa", 3, 6417.2, 20.0, 1},
        RangeCase{"(P, T) above the highest pressure", 3, 84474590.24742906, 20.0, 1},
        RangeCase{"(P, T) above 450 degC", 3, 1e5, 450.00000000000006, 1},
        RangeCase{"(P, T) below -77 degC", 3, 1e5, -77.00000000000001, 1},
        RangeCase{"mode 9", 9, 1e5, 20.0, 1}, RangeCase{"mode -1", -1, 1e5, 20.0, 1},
        RangeCase{"large mode", 1 << 30, 1e5, 20.0, 1},
        RangeCase{"quality far below 0 (enthalpy below the cold liquid)", 0, 1e5, -5.0, 1},
        RangeCase{"quality below 0 inside the band", 0, 1e5, -0.1, 0},
        RangeCase{"quality above 1 inside the band", 0, 1e5, 1.3, 0},
        RangeCase{"quality far above 1", 0, 1e5, 3.0, 1}));

// The band edges are the properties of the (P, -77 degC) and (P, 450 degC) states: the edge values
// themselves are inside, the next doubles beyond them outside.
struct BandCase {
    int mode;
    double pressure;
};

class BandEdges : public ::testing::TestWithParam<BandCase> {};

double band_value(const int mode, const FluidState& s) {
    switch (mode) {
        case MODE_PRESSURE_ENTHALPY:
            return state_enthalpy(s);
        case MODE_PRESSURE_ENERGY:
            return state_internal_energy(s);
        case MODE_PRESSURE_ENTROPY:
            return state_entropy(s);
        default:
            return s.rho;
    }
}

TEST_P(BandEdges, EdgeValuesInsideNextValuesOutside) {
    const BandCase& c = GetParam();
    const int stable = 0;
    int phase = 0;
    double x = 0.0;
    FluidState liquid{};
    FluidState vapour{};
    state_from_pressure_temperature(stable, c.pressure, MIN_TEMPERATURE, phase, x, liquid, vapour);
    const double cold = band_value(c.mode, liquid);
    state_from_pressure_temperature(stable, c.pressure, MAX_TEMPERATURE, phase, x, liquid, vapour);
    const double hot = band_value(c.mode, vapour);
    const double lo = std::fmin(cold, hot);
    const double hi = std::fmax(cold, hot);
    EXPECT_EQ(check_input_range(c.pressure, c.mode, lo), 0);
    EXPECT_EQ(check_input_range(c.pressure, c.mode, hi), 0);
    EXPECT_EQ(check_input_range(c.pressure, c.mode, 0.5 * (lo + hi)), 0);
    EXPECT_EQ(check_input_range(c.pressure, c.mode, std::nextafter(lo, -INF)), 1);
    EXPECT_EQ(check_input_range(c.pressure, c.mode, std::nextafter(hi, INF)), 1);
}

INSTANTIATE_TEST_SUITE_P(Domain, BandEdges,
                         ::testing::Values(BandCase{4, 1e5}, BandCase{5, 2e6}, BandCase{6, 5e7},
                                           BandCase{7, MIN_PRESSURE}, BandCase{7, 1e6},
                                           BandCase{7, 11333400.0}, BandCase{7, MAX_PRESSURE}));

TEST(TemperatureDensityBand, EdgesAreTheDensitiesAtTheLowestAndHighestPressure) {
    for (const double t : {-77.0, 0.0, 132.25, 300.0, 450.0}) {
        const int stable = 0;
        int phase = 0;
        double x = 0.0;
        FluidState liquid{};
        FluidState vapour{};
        state_from_pressure_temperature(stable, MIN_PRESSURE, t, phase, x, liquid, vapour);
        const double thin = vapour.rho;
        state_from_pressure_temperature(stable, MAX_PRESSURE, t, phase, x, liquid, vapour);
        const double dense = liquid.rho;
        EXPECT_EQ(check_input_range(t, 8, thin), 0) << t;
        EXPECT_EQ(check_input_range(t, 8, dense), 0) << t;
        EXPECT_EQ(check_input_range(t, 8, std::nextafter(thin, 0.0)), 1) << t;
        EXPECT_EQ(check_input_range(t, 8, std::nextafter(dense, INF)), 1) << t;
    }
}

// NaN passes every "v < lo or v > hi" test; infinities and huge finite values must not slip
// through a band whose edges they turn into infinities.
TEST(NonFiniteInputs, OutsideInEveryModeAndField) {
    const double good_first[9] = {5e5, 5e5, 20.0, 5e5, 5e5, 5e5, 5e5, 5e5, 20.0};
    const double good_second[9] = {0.5, 0.0, 0.0, 20.0, 1e6, 1e6, 5e3, 100.0, 100.0};
    for (int mode = 0; mode <= 8; ++mode) {
        ASSERT_EQ(check_input_range(good_first[mode], mode, good_second[mode]), 0) << mode;
        for (const double bad : {NaN, -NaN, INF, -INF}) {
            EXPECT_EQ(check_input_range(bad, mode, good_second[mode]), 1) << mode;
            EXPECT_EQ(check_input_range(good_first[mode], mode, bad), 1) << mode;
        }
        for (const double huge : {1e305, -1e305, std::numeric_limits<double>::max()}) {
            EXPECT_EQ(check_input_range(huge, mode, good_second[mode]), 1) << mode;
            // The second value is not used by the saturation modes.
            const int expected = mode == 1 || mode == 2 ? 0 : 1;
            EXPECT_EQ(check_input_range(good_first[mode], mode, huge), expected) << mode;
        }
    }
}

TEST(NonFiniteInputs, QualityThatOverflowsTheMixtureEnthalpy) {
    // (1 - x) h' = -inf and x h'' = +inf: the sum is NaN.
    EXPECT_EQ(check_input_range(5e5, 0, 1e305), 1);
    EXPECT_EQ(check_input_range(5e5, 0, -1e305), 1);
}

}  // namespace
}  // namespace zeltra5
