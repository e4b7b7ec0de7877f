// (P, T) state: a sweep over the whole admitted domain checking that every returned state sits
// at the requested pressure, with the phase code and output pair the classification implies.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/saturation_fits.hpp"
#include "zeltra5/solvers.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

bool same_record(const FluidState& a, const FluidState& b) {
    return std::memcmp(&a, &b, sizeof(FluidState)) == 0;
}

double celsius(const FluidState& s) {
    return s.T - KELVIN_OFFSET;
}

// Residual allowed for a converged secant result: 10^(e - 12) Pa.
double secant_tolerance(const double& P) {
    return std::pow(10.0, decimal_exponent(P, 13));
}

// True when no density within a few units in the last place does better: the bisection has
// reached the resolution of the number format.
bool at_density_resolution(const double& t, const double& rho, const double& P) {
    double below = rho;
    double above = rho;
    for (int k = 0; k < 4; ++k) {
        below = std::nextafter(below, 0.0);
        above = std::nextafter(above, 1e300);
    }
    return pressure_at(t, below) <= P && pressure_at(t, above) >= P;
}

std::vector<double> sweep_pressures() {
    std::vector<double> p;
    constexpr int n = 64;
    const double ratio = std::log(MAX_PRESSURE / MIN_PRESSURE);
    for (int i = 0; i <= n; ++i) {
        p.push_back(MIN_PRESSURE * std::exp(ratio * i / n));
    }
    p.front() = MIN_PRESSURE;
    p.back() = MAX_PRESSURE;
    const double extra[] = {1e5,
                            1e6,
                            std::nextafter(1e6, 0.0),
                            10782392.95305788,
                            11e6,
                            CRITICAL_PRESSURE,
                            std::nextafter(CRITICAL_PRESSURE, 1e300),
                            11333401.0,
                            11336000.0,
                            11339000.0,
                            11339342.0,
                            11345000.0,
                            69e6,
                            70e6,
                            74e6,
                            80e6,
                            std::nextafter(MAX_PRESSURE, 0.0)};
    p.insert(p.end(), std::begin(extra), std::end(extra));
    return p;
}

std::vector<double> sweep_temperatures(const double& P) {
    std::vector<double> t;
    constexpr int n = 48;
    for (int i = 0; i <= n; ++i) {
        t.push_back(MIN_TEMPERATURE + (MAX_TEMPERATURE - MIN_TEMPERATURE) * i / n);
    }
    const double extra[] = {132.2, 132.22, 132.23, 132.24, 132.249, 132.25, 132.26, 133.0};
    t.insert(t.end(), std::begin(extra), std::end(extra));
    if (P <= CRITICAL_PRESSURE) {
        double T_s = 0.0;
        FluidState l;
        FluidState v;
        saturation_by_pressure(P, T_s, l, v);
        for (const double d : {0.0, -1e-9, 1e-9, -1e-6, 1e-6, -0.5, 0.5}) {
            const double t_near = T_s + d;
            if (t_near >= MIN_TEMPERATURE && t_near <= MAX_TEMPERATURE) {
                t.push_back(t_near);
            }
        }
        t.push_back(std::nextafter(T_s, -1e300));
        t.push_back(std::nextafter(T_s, 1e300));
    }
    return t;
}

struct SweepSummary {
    int points = 0;
    int resolution_limited_points = 0;
    double worst_relative_residual = 0.0;
    std::vector<unsigned long long> pressure_calls;
};

// Checks one (P, T) point with metastable_side = 0 and returns the pressure residual.
double check_point(const double& P, const double& T, SweepSummary& summary) {
    int phase = -1;
    double x = NAN;
    FluidState liquid;
    FluidState vapour;
    reset_evaluation_counters();
    state_from_pressure_temperature(0, P, T, phase, x, liquid, vapour);
    const EvaluationCounters counts = evaluation_counters();

    const FluidState* found = nullptr;
    if (P >= CRITICAL_PRESSURE) {
        EXPECT_EQ(phase, PHASE_SUPERCRITICAL);
        EXPECT_TRUE(same_record(liquid, vapour));
        EXPECT_EQ(x, 0.0);
        EXPECT_EQ(counts.saturation_by_pressure, 0u);
        found = &liquid;
    } else {
        double T_s = 0.0;
        FluidState sat_l;
        FluidState sat_v;
        saturation_by_pressure(P, T_s, sat_l, sat_v);
        if (T == T_s) {
            EXPECT_EQ(phase, PHASE_VAPOUR);
            EXPECT_EQ(x, 1.0);
            EXPECT_TRUE(same_record(vapour, sat_v));
            EXPECT_TRUE(same_record(liquid, sat_l));
            return 0.0;  // the saturated vapour itself, by definition
        }
        if (T < T_s) {
            EXPECT_EQ(phase, PHASE_LIQUID);
            EXPECT_LE(x, 0.0);
            EXPECT_TRUE(same_record(vapour, sat_v));
            found = &liquid;
        } else {
            EXPECT_EQ(phase, PHASE_VAPOUR);
            EXPECT_GE(x, 1.0);
            EXPECT_TRUE(same_record(liquid, sat_l));
            found = &vapour;
        }
    }
    EXPECT_EQ(celsius(*found) + KELVIN_OFFSET, T + KELVIN_OFFSET) << "solved at another T";

    const double residual = std::fabs(pressure_at(T, found->rho) - P);
    const bool converged = residual < secant_tolerance(P);
    if (!converged) {
        ++summary.resolution_limited_points;
        EXPECT_LE(residual, 0.01) << "P=" << P << " T=" << T;
        EXPECT_TRUE(at_density_resolution(T, found->rho, P)) << "P=" << P << " T=" << T;
    }
    // The full state agrees with the pressure the iteration used.
    EXPECT_NEAR(state_pressure(*found), pressure_at(T, found->rho), 1e-12 * P);

    ++summary.points;
    summary.worst_relative_residual = std::max(summary.worst_relative_residual, residual / P);
    summary.pressure_calls.push_back(counts.pressure_at);
    return residual;
}

TEST(PressureTemperatureState, DomainSweepReproducesPressure) {
    SweepSummary summary;
    double worst = 0.0;
    double worst_P = 0.0;
    double worst_T = 0.0;
    for (const double P : sweep_pressures()) {
        for (const double T : sweep_temperatures(P)) {
            const double residual = check_point(P, T, summary);
            if (residual > worst) {
                worst = residual;
                worst_P = P;
                worst_T = T;
            }
            if (testing::Test::HasFailure()) {
                ADD_FAILURE() << "first failing point P=" << P << " T=" << T;
                return;
            }
        }
    }
    EXPECT_GT(summary.points, 3000);
    std::printf(
        "sweep: %d points, worst residual %.3g Pa at (%.17g Pa, %.17g degC), "
        "%d limited by density resolution\n",
        summary.points, worst, worst_P, worst_T, summary.resolution_limited_points);
    if (EVALUATION_COUNTERS_ENABLED) {
        std::vector<unsigned long long>& calls = summary.pressure_calls;
        std::sort(calls.begin(), calls.end());
        std::printf("pressure_at calls per solve: median %llu, worst %llu\n",
                    calls[calls.size() / 2], calls.back());
    }
}

// Superheated liquid requested over the vapour side of the whole subcritical domain: refused
// outside the saturation temperatures [-77, 129.4], collapsed onto the saturated liquid density
// where the depth is zero (below -74 degC), and otherwise a liquid at P at no more than the
// superheat limit temperature.
TEST(PressureTemperatureState, SuperheatedLiquidSweep) {
    int solved = 0;
    for (int i = 0; i <= 80; ++i) {
        // Up to the top of the saturation line (the state is supercritical from 3e-8 Pa below Pc).
        const double P = std::fmin(
            MIN_PRESSURE * std::pow(CRITICAL_PRESSURE / MIN_PRESSURE, i / 80.0), 11359196.0);
        double T_s = 0.0;
        FluidState sat_l;
        FluidState sat_v;
        saturation_by_pressure(P, T_s, sat_l, sat_v);
        for (double T = T_s + 1e-9; T <= MAX_TEMPERATURE; T += T < T_s + 1.0 ? 0.1 : 7.3) {
            int phase = -1;
            double x = NAN;
            FluidState liquid;
            FluidState vapour;
            state_from_pressure_temperature(1, P, T, phase, x, liquid, vapour);
            ASSERT_EQ(phase, PHASE_LIQUID) << P << " " << T;
            ASSERT_TRUE(same_record(vapour, sat_v));
            // Within the edge margin below -77 degC the liquid is solved up to -77 degC.
            if (T_s < MIN_TEMPERATURE - 1e-9 || T_s > 129.4) {
                ASSERT_TRUE(same_record(liquid, sat_l)) << P << " " << T;
                continue;
            }
            const double T_limit = std::max(superheat_limit_temperature(T_s), MIN_TEMPERATURE);
            // Within 1e-5 K beyond the limit the liquid is solved at its own temperature.
            const double T_w = T <= T_limit + 1e-5 ? T : T_limit;
            ASSERT_EQ(liquid.T, T_w + KELVIN_OFFSET) << P << " " << T;
            ASSERT_GT(liquid.rho, sat_v.rho) << P << " " << T;
            ASSERT_GT(x, -1e-9) << P << " " << T;  // zero up to the fit at T_s
            const double residual = std::fabs(pressure_at(T_w, liquid.rho) - P);
            ASSERT_TRUE(residual < secant_tolerance(P) ||
                        (residual <= 0.01 && at_density_resolution(T_w, liquid.rho, P)))
                << P << " " << T << " residual " << residual;
            ++solved;
        }
    }
    EXPECT_GT(solved, 4000);
}

// Near the critical point the fitted bracket reaches across the isotherm's loop: the stable
// root, on its side of the saturated densities at P, is the answer, a hair off the saturation
// temperature on either side.
TEST(PressureTemperatureState, NearTheCriticalLoopTheStableRoot) {
    struct Case {
        double P;
        double dT;  // from the saturation temperature at P
        int phase;
    };
    const Case cases[] = {
        {11339347.654867297, 1.8e-10, PHASE_VAPOUR},
        {11339347.643563729, 5.7e-8, PHASE_VAPOUR},
        {11339347.654867297, 1e-6, PHASE_VAPOUR},
        {11339347.654867297, -1e-6, PHASE_LIQUID},
        {11300000.0, 1e-9, PHASE_VAPOUR},
        {11300000.0, -1e-9, PHASE_LIQUID},
    };
    for (const Case& c : cases) {
        double T_s = 0.0;
        FluidState sat_l;
        FluidState sat_v;
        saturation_by_pressure(c.P, T_s, sat_l, sat_v);
        const double T = T_s + c.dT;
        int phase = -1;
        double x = NAN;
        FluidState liquid;
        FluidState vapour;
        state_from_pressure_temperature(0, c.P, T, phase, x, liquid, vapour);
        ASSERT_EQ(phase, c.phase) << c.P << " " << c.dT;
        const FluidState& s = phase == PHASE_VAPOUR ? vapour : liquid;
        if (phase == PHASE_VAPOUR) {
            EXPECT_LE(s.rho, sat_v.rho * (1 + 1e-9)) << c.P << " " << c.dT;
        } else {
            EXPECT_GE(s.rho, sat_l.rho * (1 - 1e-9)) << c.P << " " << c.dT;
        }
        EXPECT_NEAR(pressure_at(T, s.rho), c.P, 1e-5) << c.P << " " << c.dT;  // the solver's
    }
}

// Where the isotherm is flat the pressure met to the solver's tolerance leaves the density free
// by tolerance / (dp/drho): there it is met to a finer one, and the density of a state given by
// (t, rho) comes back from its own pressure.
TEST(PressureTemperatureState, FlatIsothermNearTheCriticalPointGivesTheDensityBack) {
    const struct {
        double t;
        double rho;
    } cases[] = {
        {132.3510101010101, 225.68181818181816}, {132.4, 230.0}, {133.0, 224.0}, {132.36, 215.0}};
    for (const auto& c : cases) {
        const double P = pressure_at(c.t, c.rho);
        ASSERT_GT(P, CRITICAL_PRESSURE) << c.t << " " << c.rho;
        int phase = -1;
        double x = NAN;
        FluidState liquid;
        FluidState vapour;
        state_from_pressure_temperature(0, P, c.t, phase, x, liquid, vapour);
        ASSERT_EQ(phase, PHASE_SUPERCRITICAL);
        EXPECT_NEAR(liquid.rho, c.rho, 1e-10 * c.rho) << c.t << " " << c.rho;
    }
}

}  // namespace
}  // namespace zeltra5
