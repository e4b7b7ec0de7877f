// Domain of the argument pairs: the fixed edges with the margins that keep them closed under
// rounding (1e-9 K, and the density solver's tolerance of 1e-9 Pa and 1e-5 Pa at the lowest and
// highest pressure), the computed band edges, and inputs that no comparison can place (NaN,
// infinities, values that overflow the band formulas).

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "zeltra5/calc.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
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
        RangeCase{"saturation at the saturation limit", 1, SATURATION_LIMIT_PRESSURE, 0.0, 0},
        RangeCase{"saturation at the old fitted critical pressure", 1, 11333400.0, 0.0, 0},
        RangeCase{"saturation at the lowest pressure", 1, MIN_PRESSURE, 0.0, 0},
        RangeCase{"saturation a rounding below the lowest pressure", 1,
                  std::nextafter(MIN_PRESSURE, 0.0), 0.0, 0},
        RangeCase{"saturation at the lowest pressure's margin", 1, MIN_PRESSURE - 1e-9, 0.0, 0},
        RangeCase{"saturation at the lowest admitted pressure", 1, LOWEST_ADMITTED_PRESSURE, 0.0,
                  0},
        RangeCase{"saturation below the lowest admitted pressure", 1,
                  std::nextafter(LOWEST_ADMITTED_PRESSURE, 0.0), 0.0, 1},
        RangeCase{"saturation above the saturation limit", 1,
                  std::nextafter(SATURATION_LIMIT_PRESSURE, 2e7), 0.0, 1},
        RangeCase{"saturation at the critical pressure", 1, CRITICAL_PRESSURE, 0.0, 1},
        RangeCase{"quality at the critical pressure", 0, CRITICAL_PRESSURE, 0.5, 1},
        RangeCase{"quality just below the critical pressure", 0,
                  std::nextafter(CRITICAL_PRESSURE, 0.0), 0.5, 1},
        RangeCase{"quality at the saturation limit", 0, SATURATION_LIMIT_PRESSURE, 0.5, 0},
        RangeCase{"quality at the old fitted critical pressure", 0, 11333400.0, 0.5, 0},
        RangeCase{"quality at the lowest pressure", 0, MIN_PRESSURE, 0.5, 0},
        RangeCase{"saturation temperature -77", 2, -77.0, 0.0, 0},
        RangeCase{"saturation temperature 132.25", 2, 132.25, 0.0, 0},
        RangeCase{"saturation temperature at the limit", 2, SATURATION_LIMIT_TEMPERATURE_C, 0.0, 0},
        RangeCase{"saturation temperature above the limit", 2,
                  std::nextafter(SATURATION_LIMIT_TEMPERATURE_C, 200.0), 0.0, 1},
        RangeCase{"saturation temperature critical", 2, EQUATION_CRITICAL_TEMPERATURE_C, 0.0, 1},
        RangeCase{"saturation temperature a rounding below -77", 2, -77.00000000000001, 0.0, 0},
        RangeCase{"saturation temperature below -77 by the margin", 2, -77.000000001, 0.0, 0},
        RangeCase{"saturation temperature below -77 beyond the margin", 2, -77.000000002, 0.0, 1},
        RangeCase{"(P, T) top corner", 3, 84474590.24742904, 450.0, 0},
        RangeCase{"(P, T) bottom corner", 3, MIN_PRESSURE, -77.0, 0},
        RangeCase{"(P, T) at 6417.2 Pa", 3, 6417.2, 20.0, 1},
        RangeCase{"(P, T) a rounding above the highest pressure", 3, 84474590.24742906, 20.0, 0},
        RangeCase{"(P, T) above the highest pressure's margin", 3, 84474590.24744904, 20.0, 1},
        RangeCase{"(P, T) a rounding above 450 degC", 3, 1e5, 450.00000000000006, 0},
        RangeCase{"(P, T) above 450 degC beyond the margin", 3, 1e5, 450.000000002, 1},
        RangeCase{"(P, T) a rounding below -77 degC", 3, 1e5, -77.00000000000001, 0},
        RangeCase{"(P, T) below -77 degC beyond the margin", 3, 1e5, -77.000000002, 1},
        RangeCase{"(P, T) below the lowest admitted pressure", 3,
                  std::nextafter(LOWEST_ADMITTED_PRESSURE, 0.0), 20.0, 1},
        RangeCase{"mode 9", 9, 1e5, 20.0, 1}, RangeCase{"mode -1", -1, 1e5, 20.0, 1},
        RangeCase{"large mode", 1 << 30, 1e5, 20.0, 1},
        RangeCase{"quality far below 0 (enthalpy below the cold liquid)", 0, 1e5, -5.0, 1},
        RangeCase{"quality below 0 inside the band", 0, 1e5, -0.1, 0},
        RangeCase{"quality above 1 inside the band", 0, 1e5, 1.3, 0},
        RangeCase{"quality far above 1", 0, 1e5, 3.0, 1}));

// The band edges are the properties of the (P, -77 degC) and (P, 450 degC) states, widened to the
// states 1e-9 K beyond: the edge values and their neighbours are inside, the widened edges too,
// the next doubles beyond those outside. The cold edge also takes in the saturated liquid at P
// (at the lowest pressure a hair beyond the -77 degC liquid in u, s and density).
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
    auto band = [&](const double cold_t, const double hot_t, const bool with_saturated, double& lo,
                    double& hi) {
        const int stable = 0;
        int phase = 0;
        double x = 0.0;
        FluidState liquid{};
        FluidState vapour{};
        state_from_pressure_temperature(stable, c.pressure, cold_t, phase, x, liquid, vapour);
        const double cold = band_value(c.mode, liquid);
        state_from_pressure_temperature(stable, c.pressure, hot_t, phase, x, liquid, vapour);
        const double hot = band_value(c.mode, vapour);
        double saturated = cold;
        if (with_saturated && c.pressure <= CRITICAL_PRESSURE) {
            double t_s = 0.0;
            saturation_by_pressure(c.pressure, t_s, liquid, vapour);
            saturated = band_value(c.mode, liquid);
        }
        lo = std::fmin(std::fmin(cold, saturated), hot);
        hi = std::fmax(std::fmax(cold, saturated), hot);
    };
    double lo = 0.0, hi = 0.0, wide_lo = 0.0, wide_hi = 0.0;
    band(MIN_TEMPERATURE, MAX_TEMPERATURE, false, lo, hi);
    band(MIN_TEMPERATURE - 1e-9, MAX_TEMPERATURE + 1e-9, true, wide_lo, wide_hi);
    ASSERT_LT(wide_lo, lo);
    ASSERT_GT(wide_hi, hi);
    for (const double inside : {lo, hi, 0.5 * (lo + hi), std::nextafter(lo, -INF),
                                std::nextafter(hi, INF), wide_lo, wide_hi}) {
        EXPECT_EQ(check_input_range(c.pressure, c.mode, inside), 0) << inside;
    }
    // The cold end is exact: the next value is outside. The hot end (the lower one of the
    // density) admits besides the values of the states whose densities lie within the density
    // solver's tolerance (1e-12 of the pressure) of the bounding one's: a part in 1e10 beyond is
    // outside.
    const bool density = c.mode == 7;
    const double beyond_lo =
        density ? wide_lo - 1e-10 * std::fabs(wide_lo) : std::nextafter(wide_lo, -INF);
    const double beyond_hi =
        density ? std::nextafter(wide_hi, INF) : wide_hi + 1e-10 * std::fabs(wide_hi);
    EXPECT_EQ(check_input_range(c.pressure, c.mode, beyond_lo), 1);
    EXPECT_EQ(check_input_range(c.pressure, c.mode, beyond_hi), 1);
}

INSTANTIATE_TEST_SUITE_P(Domain, BandEdges,
                         ::testing::Values(BandCase{4, 1e5}, BandCase{5, 2e6}, BandCase{6, 5e7},
                                           BandCase{7, MIN_PRESSURE}, BandCase{7, 1e6},
                                           BandCase{7, 11333400.0}, BandCase{7, MAX_PRESSURE}));

// The densities at the lowest and highest admitted pressure and their neighbours are inside;
// densities a part in 1e12 beyond, whose pressures lie beyond the margins, outside.
TEST(TemperatureDensityBand, EdgesAreTheDensitiesAtTheLowestAndHighestPressure) {
    for (const double t : {-77.0, 0.0, 132.25, 300.0, 450.0}) {
        const int stable = 0;
        int phase = 0;
        double x = 0.0;
        FluidState liquid{};
        FluidState vapour{};
        // The admitted pressures (a (t, rho) state's own may lie the solvers' tolerance beyond).
        state_from_pressure_temperature(stable, LOWEST_ADMITTED_PRESSURE, t, phase, x, liquid,
                                        vapour);
        const double thin = vapour.rho;
        state_from_pressure_temperature(stable, HIGHEST_ADMITTED_PRESSURE, t, phase, x, liquid,
                                        vapour);
        const double dense = liquid.rho;
        EXPECT_EQ(check_input_range(t, 8, thin), 0) << t;
        EXPECT_EQ(check_input_range(t, 8, dense), 0) << t;
        EXPECT_EQ(check_input_range(t, 8, std::nextafter(thin, 0.0)), 0) << t;
        EXPECT_EQ(check_input_range(t, 8, std::nextafter(dense, INF)), 0) << t;
        EXPECT_EQ(check_input_range(t, 8, thin * (1.0 - 1e-12)), 1) << t;
        EXPECT_EQ(check_input_range(t, 8, dense * (1.0 + 1e-12)), 1) << t;
    }
}

// The (T, rho) band is decided by the state's own pressure (inside the dome the saturation
// pressure at T) against the lowest and highest pressure. On every isotherm, near the critical
// point too, that must admit exactly the densities between those at the two pressures: the
// isotherm rises through both pressures off the dome. Densities from 1e-8 to 1e5 kg/m3; those
// within 1e-9 of an edge density fall in the margins and are not compared.
TEST(TemperatureDensityBand, OwnPressureAdmitsTheDensitiesBetweenTheEdgePressures) {
    for (const double t : {-77.0, -76.9999, -60.0, 0.0, 60.0, 120.0, 131.9, 132.2, 132.249, 132.25,
                           132.26, 132.4, 133.0, 140.0, 200.0, 320.0, 449.9, 450.0}) {
        const int stable = 0;
        int phase = 0;
        double x = 0.0;
        FluidState liquid{};
        FluidState vapour{};
        // The admitted pressures (a (t, rho) state's own may lie the solvers' tolerance beyond).
        state_from_pressure_temperature(stable, LOWEST_ADMITTED_PRESSURE, t, phase, x, liquid,
                                        vapour);
        const double thin = vapour.rho;
        state_from_pressure_temperature(stable, HIGHEST_ADMITTED_PRESSURE, t, phase, x, liquid,
                                        vapour);
        const double dense = liquid.rho;
        int compared = 0;
        for (double rho = 1e-8; rho < 1e5; rho *= 1.02) {
            if (std::fabs(rho / thin - 1.0) < 1e-9 || std::fabs(rho / dense - 1.0) < 1e-9) {
                continue;
            }
            const int expected = thin <= rho && rho <= dense ? 0 : 1;
            EXPECT_EQ(check_input_range(t, 8, rho), expected) << t << " degC, " << rho;
            ++compared;
        }
        EXPECT_GT(compared, 1000);
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
