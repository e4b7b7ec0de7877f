// Density solver at given pressure and temperature: tolerance exponent, classification,
// metastable branches, brackets that miss the pressure, and where the (P, T) state differs.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <ostream>

#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/powers_of_ten.hpp"
#include "zeltra5/saturation_fits.hpp"
#include "zeltra5/solvers.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double SUPERHEAT_CEILING = 129.4;

bool same_record(const FluidState& a, const FluidState& b) {
    return std::memcmp(&a, &b, sizeof(FluidState)) == 0;
}

double celsius(const FluidState& s) {
    return s.T - KELVIN_OFFSET;
}

// The solver's pressure tolerance at P, formed as the solver forms it.
double tolerance(const double& P) {
    return detail::power_of_ten(decimal_exponent(P, 13));
}

// The state at (t, rho) reproduces P to the solver's tolerance, or, for a stiff liquid whose
// tolerance is finer than one density step, as closely as the number format allows.
bool reproduces_pressure(const double& t, const double& rho, const double& P) {
    const double residual = std::fabs(pressure_at(t, rho) - P);
    if (residual < tolerance(P)) {
        return true;
    }
    double below = rho;
    double above = rho;
    for (int k = 0; k < 4; ++k) {
        below = std::nextafter(below, 0.0);
        above = std::nextafter(above, INF);
    }
    return residual <= 0.01 && pressure_at(t, below) <= P && pressure_at(t, above) >= P;
}

// Saturated records at P and the saturation temperature the density solver derives from them.
struct Saturation {
    double T_s;
    FluidState liquid;
    FluidState vapour;
};

Saturation saturation_at(const double& P) {
    Saturation s{};
    double T_s_search = 0.0;
    saturation_by_pressure(P, T_s_search, s.liquid, s.vapour);
    s.T_s = s.liquid.T - KELVIN_OFFSET;
    return s;
}

struct Solved {
    int phase = -1;
    double x = NaN;
    FluidState liquid{};
    FluidState vapour{};
};

Solved solve(const int& side, const double& P, const double& T, const Saturation& s) {
    Solved r;
    solve_density_at_pressure_temperature(side, P, T, s.liquid, s.vapour, r.phase, r.x, r.liquid,
                                          r.vapour);
    return r;
}

Solved solve_pt(const int& side, const double& P, const double& T) {
    Solved r;
    state_from_pressure_temperature(side, P, T, r.phase, r.x, r.liquid, r.vapour);
    return r;
}

bool same_result(const Solved& a, const Solved& b) {
    return a.phase == b.phase && std::memcmp(&a.x, &b.x, sizeof a.x) == 0 &&
           same_record(a.liquid, b.liquid) && same_record(a.vapour, b.vapour);
}

// --- decimal_exponent -------------------------------------------------------------------------

struct ExponentCase {
    double value;
    int digits;
    int expected;
};

void PrintTo(const ExponentCase& c, std::ostream* os) {
    *os << "(" << c.value << ", " << c.digits << ")";
}

class DecimalExponent : public testing::TestWithParam<ExponentCase> {};

TEST_P(DecimalExponent, ReadsTheExponentOfTheScientificText) {
    const ExponentCase& c = GetParam();
    EXPECT_EQ(decimal_exponent(c.value, c.digits), c.expected) << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, DecimalExponent,
    testing::Values(ExponentCase{1e5, 13, -7}, ExponentCase{1e7, 13, -5}, ExponentCase{1e6, 13, -6},
                    // Just below a power of ten the text keeps the lower exponent, where
                    // floor(log10) would round up to 6.
                    ExponentCase{std::nextafter(1e6, 0.0), 13, -7},
                    ExponentCase{MAX_PRESSURE, 13, -5}, ExponentCase{MIN_PRESSURE, 13, -9},
                    ExponentCase{-1e5, 13, -7}, ExponentCase{0.0, 13, -12},
                    ExponentCase{-0.0, 13, -12}, ExponentCase{1.5e6, 14, -7},
                    ExponentCase{600.0, 14, -11}, ExponentCase{1e-300, 13, -312},
                    ExponentCase{5e-324, 13, -336}, ExponentCase{1.7976931348623157e308, 13, 296},
                    ExponentCase{NaN, 13, 0}, ExponentCase{INF, 13, 0}, ExponentCase{-INF, 14, 0}));

TEST(DecimalExponent, GivesExactPowerOfTenTolerances) {
    EXPECT_EQ(tolerance(1e5), 1e-7);
    EXPECT_EQ(tolerance(3e5), 1e-7);
    EXPECT_EQ(tolerance(1e7), 1e-5);
    EXPECT_EQ(tolerance(CRITICAL_PRESSURE), 1e-5);
}

// --- classification and outputs ---------------------------------------------------------------

// Near the top of the saturation line, still below the 3e-8 Pa under the critical pressure where
// the equilibrium has no solution (and the state is supercritical).
constexpr double TOP_OF_THE_LINE = 11359196.0;

// On the line the saturated vapour, or with the superheated liquid asked for (side 1) the
// saturated liquid, where that branch ends (up to the top of the line).
TEST(DensitySolver, OnTheSaturationLineReturnsTheSaturatedPhaseOfTheSide) {
    for (const double P : {MIN_PRESSURE, 1e5, 5e6, 11e6, TOP_OF_THE_LINE}) {
        const Saturation s = saturation_at(P);
        for (const int side : {0, 1, 2}) {
            reset_evaluation_counters();
            const Solved r = solve(side, P, s.T_s, s);
            EXPECT_EQ(r.phase, side == 1 ? PHASE_LIQUID : PHASE_VAPOUR) << P << " side " << side;
            EXPECT_EQ(r.x, side == 1 ? 0.0 : 1.0) << P << " side " << side;
            EXPECT_TRUE(same_record(r.vapour, s.vapour));
            EXPECT_TRUE(same_record(r.liquid, s.liquid));
            EXPECT_EQ(evaluation_counters().pressure_at, 0u) << "iterated on the line";
        }
    }
}

TEST(DensitySolver, AboveCriticalPressureIgnoresTheSaturatedRecordsAndTheSide) {
    FluidState poisoned;
    double* fields = &poisoned.T;
    for (int i = 0; i < 18; ++i) {
        fields[i] = NaN;
    }
    const Saturation unread{NaN, poisoned, poisoned};
    // From the critical pressure itself: there the saturated records would both be the critical
    // point, leaving no relative enthalpy to form.
    for (const double P :
         {CRITICAL_PRESSURE, std::nextafter(CRITICAL_PRESSURE, INF), 2e7, 7e7, MAX_PRESSURE}) {
        for (const double T : {MIN_TEMPERATURE, 0.0, 132.25, 300.0, MAX_TEMPERATURE}) {
            const Solved r0 = solve(0, P, T, unread);
            EXPECT_EQ(r0.phase, PHASE_SUPERCRITICAL);
            EXPECT_EQ(r0.x, 0.0);
            EXPECT_TRUE(same_record(r0.liquid, r0.vapour));
            EXPECT_TRUE(reproduces_pressure(T, r0.liquid.rho, P)) << P << " " << T;
            EXPECT_TRUE(same_result(solve(1, P, T, unread), r0));
            EXPECT_TRUE(same_result(solve(2, P, T, unread), r0));
            EXPECT_TRUE(same_result(solve_pt(1, P, T), r0));
        }
    }
}

// The outputs may be the very records that carry the saturation states in.
TEST(DensitySolver, OutputsMayAliasTheSaturatedRecords) {
    for (const double T : {-20.0, 80.0}) {
        for (const int side : {0, 1, 2}) {
            const double P = 1e6;
            const Saturation s = saturation_at(P);
            const Solved separate = solve(side, P, T, s);
            Solved aliased;
            aliased.liquid = s.liquid;
            aliased.vapour = s.vapour;
            solve_density_at_pressure_temperature(side, P, T, aliased.liquid, aliased.vapour,
                                                  aliased.phase, aliased.x, aliased.liquid,
                                                  aliased.vapour);
            EXPECT_TRUE(same_result(aliased, separate)) << T << " side " << side;
        }
    }
}

// --- brackets that miss the pressure ---------------------------------------------------------

struct MissCase {
    double P;
    double T;
    double rho_near;  // density quoted for the state, kg/m3
};

void PrintTo(const MissCase& c, std::ostream* os) {
    *os << "(" << c.P << " Pa, " << c.T << " degC)";
}

class BracketMiss : public testing::TestWithParam<MissCase> {};

// Above about 69 MPa the fitted isobars end below the density sought; near the critical point
// the fitted saturated liquid density already lies above the pressure. Both brackets are moved
// until they hold P.
TEST_P(BracketMiss, ReturnsTheStateAtTheRequestedPressure) {
    const MissCase& c = GetParam();
    const Solved r = solve_pt(0, c.P, c.T);
    ASSERT_EQ(r.phase, PHASE_SUPERCRITICAL);
    EXPECT_TRUE(reproduces_pressure(c.T, r.liquid.rho, c.P));
    EXPECT_NEAR(r.liquid.rho, c.rho_near, 0.1);
    EXPECT_EQ(celsius(r.liquid) + KELVIN_OFFSET, c.T + KELVIN_OFFSET);
}

INSTANTIATE_TEST_SUITE_P(Points, BracketMiss,
                         testing::Values(MissCase{MAX_PRESSURE, 0.0, 683.9},
                                         MissCase{MAX_PRESSURE, 450.0, 248.1},
                                         MissCase{80e6, 0.0, 681.96},
                                         // just above the equation's critical pressure
                                         MissCase{11360000.0, 132.25, 273.17}));

TEST(BracketMiss, NonFiniteInputsStillReturn) {
    const Saturation s = saturation_at(1e5);
    const double values[] = {NaN, INF, -INF};
    for (const double P : values) {
        for (const double T : {NaN, 20.0}) {
            reset_evaluation_counters();
            const Solved r = solve(0, P, T, s);
            EXPECT_TRUE(r.phase >= PHASE_LIQUID && r.phase <= PHASE_SUPERCRITICAL);
            if (EVALUATION_COUNTERS_ENABLED) {
                EXPECT_LE(evaluation_counters().pressure_at, 2u + 120u + 100u + 2000u);
            }
        }
    }
    for (const double T : values) {
        const Solved r = solve(0, 1e5, T, s);
        EXPECT_TRUE(r.phase >= PHASE_LIQUID && r.phase <= PHASE_SUPERCRITICAL);
    }
}

// --- superheated liquid ----------------------------------------------------------------------

TEST(SuperheatedLiquid, RefusedOutsideTheSaturationTemperatureRange) {
    // Below -77 degC (5000 Pa, no saturation: NaN) and above 129.4 degC (11 MPa) the saturated
    // liquid comes back.
    for (const double P : {5000.0, 11e6, TOP_OF_THE_LINE}) {
        const Saturation s = saturation_at(P);
        ASSERT_FALSE(s.T_s >= MIN_TEMPERATURE && s.T_s < SUPERHEAT_CEILING) << s.T_s;
        for (const Solved& r : {solve(1, P, s.T_s + 1.0, s), solve_pt(1, P, s.T_s + 1.0)}) {
            EXPECT_EQ(r.phase, PHASE_LIQUID);
            EXPECT_TRUE(same_record(r.liquid, s.liquid));
            EXPECT_TRUE(same_record(r.vapour, s.vapour));
            if (!std::isnan(s.T_s)) {
                EXPECT_EQ(r.x, 0.0);
            }
        }
    }
}

TEST(SuperheatedLiquid, AtSaturationTemperatureOfExactlyTheCeilingOnlyThePtStateSolves) {
    // The (P, T) state refuses only above 129.4 degC and applies the limit with no depth at
    // 129.4 itself: the bracket collapses onto the saturated liquid density at the limit
    // temperature. Find a pressure whose saturation temperature is exactly 129.4.
    double P = 10782392.95305788;
    double T_s = 0.0;
    FluidState l;
    FluidState v;
    bool found = false;
    for (int k = 0; k < 400 && !found; ++k) {
        for (const double direction : {-INF, INF}) {
            double p = 10782392.95305788;
            for (int i = 0; i < k; ++i) {
                p = std::nextafter(p, direction);
            }
            saturation_by_pressure(p, T_s, l, v);
            if (T_s == SUPERHEAT_CEILING) {
                P = p;
                found = true;
                break;
            }
        }
    }
    if (!found) {
        GTEST_SKIP() << "no pressure near the band limit has a saturation temperature of 129.4";
    }
    const Solved r = solve_pt(1, P, 131.0);
    EXPECT_EQ(r.phase, PHASE_LIQUID);
    EXPECT_EQ(r.liquid.rho, l.rho);
    EXPECT_EQ(r.liquid.T, superheat_limit_temperature(SUPERHEAT_CEILING) + KELVIN_OFFSET);
    EXPECT_TRUE(same_record(r.vapour, v));
}

// Below -74 degC the bracket reaches as deep as at -74 degC (it used to be the saturated liquid
// density alone, the state evaluated there far off the pressure): the superheated liquid is
// solved on its stable branch up to the limit, and a hotter request stops at the limit state.
TEST(SuperheatedLiquid, BelowMinus74SolvedOnTheStableBranch) {
    for (const double P : {6417.2344249416528, MIN_PRESSURE, 7164.0, 8033.5934138646207}) {
        const Saturation s = saturation_at(P);
        ASSERT_GE(s.T_s, MIN_TEMPERATURE - 1e-9);
        ASSERT_LT(s.T_s, -74.0);
        const double T_limit = std::max(superheat_limit_temperature(s.T_s), MIN_TEMPERATURE);
        for (const double T : {s.T_s + 1e-9, s.T_s + 1.0, -50.0, T_limit, MAX_TEMPERATURE}) {
            if (T < MIN_TEMPERATURE) {
                continue;
            }
            const Solved r = solve(1, P, T, s);
            const double T_w = T <= T_limit + 1e-5 ? T : T_limit;
            EXPECT_EQ(r.phase, PHASE_LIQUID) << P << " " << T;
            EXPECT_EQ(r.liquid.T, T_w + KELVIN_OFFSET) << P << " " << T;
            EXPECT_LE(r.liquid.rho, s.liquid.rho) << P << " " << T;
            EXPECT_GT(r.liquid.rho, 600.0) << P << " " << T << ": not the stable liquid";
            EXPECT_TRUE(reproduces_pressure(T_w, r.liquid.rho, P)) << P << " " << T;
        }
    }
}

// A liquid up to 1e-5 K beyond its superheat limit (the margin the front end admits) is solved at
// its own temperature; the state at the limit shown at the given temperature would not come back
// through (t, rho).
TEST(SuperheatedLiquid, WithinTheLimitMarginSolvedAtItsOwnTemperature) {
    for (const double P : {MIN_PRESSURE, 1e5, 2e6}) {
        const Saturation s = saturation_at(P);
        const double T_limit = std::max(superheat_limit_temperature(s.T_s), MIN_TEMPERATURE);
        for (const double dT : {1e-9, 0.9e-5}) {
            const Solved r = solve(1, P, T_limit + dT, s);
            EXPECT_EQ(r.phase, PHASE_LIQUID) << P;
            EXPECT_EQ(r.liquid.T, T_limit + dT + KELVIN_OFFSET) << P << " " << dT;
            EXPECT_TRUE(reproduces_pressure(T_limit + dT, r.liquid.rho, P)) << P << " " << dT;
        }
        EXPECT_EQ(solve(1, P, T_limit + 2e-5, s).liquid.T, T_limit + KELVIN_OFFSET) << P;
    }
}

// --- subcooled vapour and ignored requests ----------------------------------------------------

TEST(SubcooledVapour, StaysWithinItsBracketAboveTheSaturatedVapour) {
    for (const double P : {MIN_PRESSURE, 1e5, 1e6, 10782392.95305788}) {
        const Saturation s = saturation_at(P);
        for (const double dT : {-1e-6, -1.0, -20.0}) {
            const double T = s.T_s + dT;
            const Solved r = solve(2, P, T, s);
            EXPECT_EQ(r.phase, PHASE_VAPOUR);
            EXPECT_GE(r.vapour.rho, s.vapour.rho);
            EXPECT_LE(r.vapour.rho, std::min(s.liquid.rho, s.vapour.rho + 1.0));
            EXPECT_LT(r.x, 1.0) << "a subcooled vapour keeps its unclipped value";
            EXPECT_TRUE(same_record(r.liquid, s.liquid));
        }
    }
    // At moderate pressure the metastable vapour lies inside that bracket.
    const Saturation s = saturation_at(1e5);
    const Solved r = solve(2, 1e5, s.T_s - 1.0, s);
    EXPECT_TRUE(reproduces_pressure(s.T_s - 1.0, r.vapour.rho, 1e5));
}

TEST(MetastableRequest, HasNoEffectOnItsStableSide) {
    for (const double P : {1e5, 5e6}) {
        const Saturation s = saturation_at(P);
        const double below = s.T_s - 5.0;
        const double above = s.T_s + 5.0;
        EXPECT_TRUE(same_result(solve(1, P, below, s), solve(0, P, below, s)));
        EXPECT_TRUE(same_result(solve(2, P, above, s), solve(0, P, above, s)));
        EXPECT_TRUE(same_result(solve(7, P, below, s), solve(0, P, below, s)));
        // The (P, T) state honours only the superheated-liquid request.
        EXPECT_TRUE(same_result(solve_pt(2, P, below), solve_pt(0, P, below)));
        EXPECT_TRUE(same_result(solve_pt(-1, P, above), solve_pt(0, P, above)));
    }
}

}  // namespace
}  // namespace zeltra5
