// States from pressure and enthalpy, internal energy, entropy or density: round trips against the
// (P, T) solver over the domain, the classification at the saturated values and the edges of the
// superheated-liquid search.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <string_view>
#include <vector>

#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/saturation_fits.hpp"
#include "zeltra5/solvers.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

using Solver = void (*)(const int&, const double&, const double&, int&, double&, FluidState&,
                        FluidState&);

// The pressure-quality mode's call: saturation computed by the caller, then handed in.
void enthalpy_given_saturation(const int& metastable_side, const double& P, const double& target,
                               int& phase, double& x, FluidState& liquid, FluidState& vapour) {
    double t_s = 0.0;
    FluidState sat_liquid{};
    FluidState sat_vapour{};
    if (!(P > CRITICAL_PRESSURE)) {
        saturation_by_pressure(P, t_s, sat_liquid, sat_vapour);
    }
    state_from_pressure_enthalpy_given_saturation(metastable_side, P, target, sat_liquid,
                                                  sat_vapour, phase, x, liquid, vapour);
}

struct Member {
    const char* name;
    Solver solve;
    double (*property)(const FluidState&);
    bool rising;
    double t_hot;  // upper temperature of the targets the range check admits
};

const Member MEMBERS[] = {
    {"enthalpy", state_from_pressure_enthalpy, state_enthalpy, true, 450.0},
    {"energy", state_from_pressure_energy, state_internal_energy, true, 450.0},
    {"entropy", state_from_pressure_entropy, state_entropy, true, 450.0},
    {"density", state_from_pressure_density, state_density, false, 450.0},
    {"enthalpy_given_saturation", enthalpy_given_saturation, state_enthalpy, true, 450.0},
};

void PrintTo(const Member& m, std::ostream* os) {
    *os << m.name;
}

// Secant stage only: two range ends, at most 100 trials and the superheat limit state.
constexpr unsigned long long SECANT_ONLY_CALLS = 103;

// The secant tolerance, about 14 significant digits of the target. Targets of small magnitude
// (u or s near their zero) may stop a few times above it, where the property's own rounding
// makes two trials coincide; ten times the tolerance still means 13 digits.
double tolerance(const double& target) {
    return 10.0 * std::pow(10.0, decimal_exponent(target, 14));
}

struct Solution {
    int phase = -1;
    double x = 0.0;
    FluidState liquid{};
    FluidState vapour{};
    unsigned long long calls = 0;
    const FluidState& state() const { return phase == PHASE_VAPOUR ? vapour : liquid; }
    double t() const { return state().T - KELVIN_OFFSET; }
};

Solution solve(const Member& m, const int& side, const double& P, const double& target) {
    Solution r;
    reset_evaluation_counters();
    m.solve(side, P, target, r.phase, r.x, r.liquid, r.vapour);
    r.calls = evaluation_counters().density_solver;
    return r;
}

Solution from_pressure_temperature(const int& side, const double& P, const double& T) {
    Solution r;
    state_from_pressure_temperature(side, P, T, r.phase, r.x, r.liquid, r.vapour);
    return r;
}

// The value of the matched property the solution stands for (a mixture's from its quality).
double reproduced(const Member& m, const Solution& r) {
    if (r.phase != PHASE_TWO_PHASE) {
        return m.property(r.state());
    }
    if (!m.rising) {
        return 1.0 / ((1.0 - r.x) / r.liquid.rho + r.x / r.vapour.rho);
    }
    return (1.0 - r.x) * m.property(r.liquid) + r.x * m.property(r.vapour);
}

double saturation_temperature(const double& P) {
    double t_s = CRITICAL_TEMPERATURE_C;
    FluidState liquid{};
    FluidState vapour{};
    if (!(P > CRITICAL_PRESSURE)) {
        saturation_by_pressure(P, t_s, liquid, vapour);
    }
    return t_s;
}

std::vector<double> pressures(const int& count, const double& low, const double& high) {
    std::vector<double> result;
    for (int i = 0; i <= count; ++i) {
        result.push_back(low * std::pow(high / low, static_cast<double>(i) / count));
    }
    return result;
}

bool same_record(const FluidState& a, const FluidState& b) {
    return std::memcmp(&a, &b, sizeof(FluidState)) == 0;
}

class CaloricSolverMember : public ::testing::TestWithParam<Member> {};

TEST_P(CaloricSolverMember, RoundTripFromPressureTemperatureStates) {
    const Member& m = GetParam();
    std::vector<double> ps = pressures(28, MIN_PRESSURE, MAX_PRESSURE);
    ps.push_back(CRITICAL_PRESSURE);
    ps.push_back(std::nextafter(CRITICAL_PRESSURE, MAX_PRESSURE));
    std::vector<unsigned long long> calls;
    for (const double P : ps) {
        const double t_s = saturation_temperature(P);
        for (int j = 0; j <= 34; ++j) {
            const double T = MIN_TEMPERATURE + (MAX_TEMPERATURE - MIN_TEMPERATURE) * j / 34.0;
            if (std::fabs(T - t_s) < 1e-6) {
                continue;  // on the saturation line the target may fall on either side
            }
            const Solution given = from_pressure_temperature(0, P, T);
            const double target = m.property(given.state());
            const Solution found = solve(m, 0, P, target);
            SCOPED_TRACE(testing::Message() << m.name << " P=" << P << " T=" << T);
            ASSERT_EQ(found.phase, given.phase);
            EXPECT_NEAR(found.t(), T, 1e-7);
            EXPECT_LT(std::fabs(m.property(found.state()) - target), tolerance(target));
            EXPECT_NEAR(found.x, given.x, 1e-8 * std::fmax(1.0, std::fabs(given.x)));
            calls.push_back(found.calls);
        }
    }
    if (EVALUATION_COUNTERS_ENABLED) {
        std::sort(calls.begin(), calls.end());
        EXPECT_LE(calls.back(), SECANT_ONLY_CALLS) << "the bisection stage ran";
        EXPECT_LE(calls[calls.size() / 2], 12u);
    }
}

// The range check admits targets between the states at -77 degC and at the member's upper
// temperature; the search range must reach both ends at every pressure.
TEST_P(CaloricSolverMember, RangeCheckBoundsAreReached) {
    const Member& m = GetParam();
    const bool quality_mode = std::string_view(m.name) == "enthalpy_given_saturation";
    std::vector<double> ps = pressures(90, MIN_PRESSURE, quality_mode ? 11.3e6 : MAX_PRESSURE);
    ps.push_back(CRITICAL_PRESSURE);
    if (!quality_mode) {
        ps.push_back(std::nextafter(CRITICAL_PRESSURE, MAX_PRESSURE));
    }
    for (const double P : ps) {
        const double ends[2] = {m.property(from_pressure_temperature(0, P, MIN_TEMPERATURE).liquid),
                                m.property(from_pressure_temperature(0, P, m.t_hot).vapour)};
        for (const double target : ends) {
            const Solution found = solve(m, 0, P, target);
            SCOPED_TRACE(testing::Message() << m.name << " P=" << P << " target=" << target);
            EXPECT_LT(std::fabs(reproduced(m, found) - target), tolerance(target));
            if (EVALUATION_COUNTERS_ENABLED) {
                EXPECT_LE(found.calls, SECANT_ONLY_CALLS);
            }
        }
    }
}

TEST_P(CaloricSolverMember, TwoPhaseTargetsGiveTheQuality) {
    const Member& m = GetParam();
    for (const double P : pressures(12, MIN_PRESSURE, 11.3e6)) {
        double t_s = 0.0;
        FluidState liquid{};
        FluidState vapour{};
        saturation_by_pressure(P, t_s, liquid, vapour);
        for (const double q : {0.001, 0.25, 0.5, 0.75, 0.999}) {
            const double target =
                m.rising ? m.property(liquid) + q * (m.property(vapour) - m.property(liquid))
                         : 1.0 / ((1.0 - q) / liquid.rho + q / vapour.rho);
            const Solution found = solve(m, 0, P, target);
            SCOPED_TRACE(testing::Message() << m.name << " P=" << P << " q=" << q);
            ASSERT_EQ(found.phase, PHASE_TWO_PHASE);
            EXPECT_NEAR(found.x, q, 1e-10);
            EXPECT_TRUE(same_record(found.liquid, liquid));
            EXPECT_TRUE(same_record(found.vapour, vapour));
        }
    }
}

TEST_P(CaloricSolverMember, SuperheatedLiquidRoundTripAndLimit) {
    const Member& m = GetParam();
    // Saturation temperatures from about -73 degC (below -74 the liquid is not stretched) to 128.
    for (const double P : pressures(10, 8500.0, 10.5e6)) {
        const double t_s = saturation_temperature(P);
        const double t_lim = superheat_limit_temperature(t_s);
        for (const double f : {0.2, 0.6, 0.95}) {
            const double T = t_s + f * (t_lim - t_s);
            const Solution given = from_pressure_temperature(1, P, T);
            const Solution found = solve(m, 1, P, m.property(given.liquid));
            SCOPED_TRACE(testing::Message() << m.name << " P=" << P << " T=" << T);
            ASSERT_EQ(found.phase, PHASE_LIQUID);
            EXPECT_NEAR(found.t(), T, 1e-7);
            EXPECT_GT(found.x, 0.0);
        }
        // The saturated vapour's value lies beyond every liquid: the limit state is returned.
        const Solution vapour_side =
            solve(m, 1, P, m.property(from_pressure_temperature(0, P, t_s + 1.0).vapour));
        EXPECT_EQ(vapour_side.phase, PHASE_LIQUID);
        EXPECT_NEAR(vapour_side.t(), t_lim, 1e-9);
    }
}

// A target equal to a saturated value falls to that single-phase side, with the saturated
// state's relative enthalpy.
TEST_P(CaloricSolverMember, SaturatedValuesFallToTheSinglePhaseSide) {
    const Member& m = GetParam();
    for (const double P : {MIN_PRESSURE, 2.0e4, 1.0e6, 8.0e6, 11.3e6}) {
        double t_s = 0.0;
        FluidState liquid{};
        FluidState vapour{};
        saturation_by_pressure(P, t_s, liquid, vapour);
        SCOPED_TRACE(testing::Message() << m.name << " P=" << P);
        const Solution at_liquid = solve(m, 0, P, m.property(liquid));
        EXPECT_EQ(at_liquid.phase, PHASE_LIQUID);
        EXPECT_NEAR(at_liquid.t(), t_s, 1e-7);
        EXPECT_NEAR(at_liquid.x, 0.0, 1e-9);
        const Solution at_vapour = solve(m, 0, P, m.property(vapour));
        EXPECT_EQ(at_vapour.phase, PHASE_VAPOUR);
        EXPECT_NEAR(at_vapour.t(), t_s, 1e-7);
        EXPECT_NEAR(at_vapour.x, 1.0, 1e-9);
    }
}

// Near the critical point the saturated record answers its own value, reached by the search
// ending at T_s, up to the saturation limit and beyond it to the critical pressure.
TEST_P(CaloricSolverMember, SaturatedValuesNearTheCriticalPointGiveTheRecords) {
    const Member& m = GetParam();
    int checked = 0;
    for (int i = 0; i <= 159; ++i) {
        const double P = 11.2e6 + 1000.0 * i;
        double t_s = 0.0;
        FluidState liquid{};
        FluidState vapour{};
        saturation_by_pressure(P, t_s, liquid, vapour);
        ++checked;
        SCOPED_TRACE(testing::Message() << m.name << " P=" << P);
        const Solution at_liquid = solve(m, 0, P, m.property(liquid));
        EXPECT_EQ(at_liquid.phase, PHASE_LIQUID);
        EXPECT_EQ(std::memcmp(&at_liquid.liquid, &liquid, sizeof liquid), 0);
        EXPECT_EQ(at_liquid.x, 0.0);
        const Solution at_vapour = solve(m, 0, P, m.property(vapour));
        EXPECT_EQ(at_vapour.phase, PHASE_VAPOUR);
        EXPECT_EQ(std::memcmp(&at_vapour.vapour, &vapour, sizeof vapour), 0);
        EXPECT_EQ(at_vapour.x, 1.0);
    }
    EXPECT_EQ(checked, 160);
}

// Flag values that must change nothing: 2 anywhere, 1 above the critical pressure (where the
// state found fills both records and x is 0).
TEST_P(CaloricSolverMember, FlagValuesWithoutEffect) {
    const Member& m = GetParam();
    const double above = std::nextafter(CRITICAL_PRESSURE, MAX_PRESSURE);
    const struct {
        int side;
        double P;
    } cases[] = {{2, 5.0e4}, {2, 2.0e6}, {1, CRITICAL_PRESSURE}, {1, above}, {1, 5.0e7}};
    for (const auto& c : cases) {
        for (const double T : {-20.0, 60.0, 132.0, 200.0}) {
            const Solution given = from_pressure_temperature(0, c.P, T);
            for (const double target :
                 {m.property(given.state()),
                  0.5 * (m.property(given.liquid) + m.property(given.vapour))}) {
                const Solution none = solve(m, 0, c.P, target);
                const Solution flagged = solve(m, c.side, c.P, target);
                SCOPED_TRACE(testing::Message() << m.name << " P=" << c.P << " T=" << T);
                EXPECT_EQ(flagged.phase, none.phase);
                EXPECT_EQ(flagged.x, none.x);
                EXPECT_TRUE(same_record(flagged.liquid, none.liquid));
                EXPECT_TRUE(same_record(flagged.vapour, none.vapour));
                if (c.P >= CRITICAL_PRESSURE) {
                    EXPECT_EQ(none.phase, PHASE_SUPERCRITICAL);
                    EXPECT_EQ(none.x, 0.0);
                    EXPECT_TRUE(same_record(none.liquid, none.vapour));
                }
            }
        }
    }
}

// Superheated liquid is not sought at a saturation temperature of 129.4 degC or more: the
// saturated pair comes back as liquid, with the saturated liquid's quality 0, whatever x held (up
// to the top of the saturation line; at the critical pressure the state is supercritical).
TEST_P(CaloricSolverMember, RefusedSuperheatReturnsSaturatedLiquidWithZeroQuality) {
    const Member& m = GetParam();
    for (const double P : {10.9e6, 11.2e6, 11359196.0}) {
        double t_s = 0.0;
        FluidState liquid{};
        FluidState vapour{};
        saturation_by_pressure(P, t_s, liquid, vapour);
        ASSERT_GE(t_s, 129.4);
        Solution r;
        r.x = 123.0;
        m.solve(1, P, m.property(from_pressure_temperature(0, P, 300.0).vapour), r.phase, r.x,
                r.liquid, r.vapour);
        EXPECT_EQ(r.phase, PHASE_LIQUID);
        EXPECT_EQ(r.x, 0.0);
        EXPECT_TRUE(same_record(r.liquid, liquid));
        EXPECT_TRUE(same_record(r.vapour, vapour));
    }
}

TEST_P(CaloricSolverMember, NotANumberEndsWithoutAResult) {
    const Member& m = GetParam();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double cases[][2] = {{1.0e6, nan}, {nan, 1000.0}, {5.0e7, nan}};
    for (const auto& c : cases) {
        for (const int side : {0, 1}) {
            const Solution r = solve(m, side, c[0], c[1]);
            EXPECT_TRUE(std::isnan(r.x));
            EXPECT_TRUE(std::isnan(r.state().T));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllMembers, CaloricSolverMember, ::testing::ValuesIn(MEMBERS),
                         [](const auto& info) { return std::string(info.param.name); });

// A target the range cannot reach (the range check keeps these out) exhausts the secant stage;
// the bisection stage then runs to the end of the range and stops there.
TEST(CaloricSolvers, UnreachableTargetEndsAtTheRangeEnd) {
    for (const double P : {1.0e5, 3.0e7}) {
        const double beyond = state_enthalpy(from_pressure_temperature(0, P, 450.0).vapour) + 1e5;
        const Solution r = solve(MEMBERS[0], 0, P, beyond);
        EXPECT_NEAR(r.t(), 450.0, 1e-9);
        if (EVALUATION_COUNTERS_ENABLED) {
            EXPECT_GT(r.calls, SECANT_ONLY_CALLS);
            EXPECT_LT(r.calls, SECANT_ONLY_CALLS + 200);
        }
    }
}

// Mixture of 20 kg/m3 at 1 MPa: x is the vapour mass fraction from specific volumes, so that the
// mixture's specific volume is the target's; the linear form in density would be far off.
TEST(CaloricSolvers, DensityQualityComesFromSpecificVolumes) {
    const double P = 1.0e6;
    const double target = 20.0;
    int phase = -1;
    double x = 0.0;
    FluidState liquid{};
    FluidState vapour{};
    state_from_pressure_density(0, P, target, phase, x, liquid, vapour);
    ASSERT_EQ(phase, PHASE_TWO_PHASE);
    EXPECT_NEAR((1.0 - x) / liquid.rho + x / vapour.rho, 1.0 / target, 1e-15);
    EXPECT_GT(std::fabs(x - (target - liquid.rho) / (vapour.rho - liquid.rho)), 0.5);
}

}  // namespace
}  // namespace zeltra5
