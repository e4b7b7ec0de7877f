// State from temperature and density: round trips from (P, T) states, the two-phase mixture
// and its use by the front end, relabelled liquid inside the dome, and the classification edges.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "zeltra5/helmholtz.hpp"
#include "zeltra5/solvers.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

struct Result {
    int phase = -1;
    double x = 0.0;
    FluidState liquid{};
    FluidState vapour{};
};

Result from_temperature_density(const int& side, const double& T, const double& rho) {
    Result r;
    state_from_temperature_density(side, T, rho, r.phase, r.x, r.liquid, r.vapour);
    return r;
}

bool same_record(const FluidState& a, const FluidState& b) {
    return std::memcmp(&a, &b, sizeof(FluidState)) == 0;
}

// Both sides of the dome and above the critical pressure.
TEST(TemperatureDensity, RoundTripFromPressureTemperatureStates) {
    std::vector<double> ps;
    for (int i = 0; i <= 24; ++i) {
        ps.push_back(MIN_PRESSURE * std::pow(60.0e6 / MIN_PRESSURE, i / 24.0));
    }
    for (const double P : ps) {
        double t_s = CRITICAL_TEMPERATURE_C;
        FluidState sat_liquid{};
        FluidState sat_vapour{};
        if (!(P > CRITICAL_PRESSURE)) {
            saturation_by_pressure(P, t_s, sat_liquid, sat_vapour);
        }
        for (int j = 0; j <= 30; ++j) {
            const double T = MIN_TEMPERATURE + (MAX_TEMPERATURE - MIN_TEMPERATURE) * j / 30.0;
            if (std::fabs(T - t_s) < 1e-3 || std::fabs(P / CRITICAL_PRESSURE - 1.0) < 1e-4) {
                continue;  // the fitted saturation line and the state's pressure may disagree
            }
            Result given;
            state_from_pressure_temperature(0, P, T, given.phase, given.x, given.liquid,
                                            given.vapour);
            const FluidState& s = given.phase == PHASE_LIQUID ? given.liquid : given.vapour;
            const Result found = from_temperature_density(0, T, s.rho);
            SCOPED_TRACE(testing::Message() << "P=" << P << " T=" << T);
            ASSERT_EQ(found.phase, given.phase);
            const FluidState& f = found.phase == PHASE_LIQUID ? found.liquid : found.vapour;
            EXPECT_NEAR(state_pressure(f), state_pressure(s), 1e-12 * P + 1e-6);
            EXPECT_NEAR(found.x, given.x, 1e-8 * std::fmax(1.0, std::fabs(given.x)));
            if (found.phase == PHASE_SUPERCRITICAL) {
                EXPECT_TRUE(same_record(found.liquid, found.vapour));
            } else {
                // The other record holds the saturated state at the state's pressure.
                const FluidState& other = found.phase == PHASE_LIQUID ? found.vapour : found.liquid;
                const FluidState& sat = found.phase == PHASE_LIQUID ? sat_vapour : sat_liquid;
                EXPECT_NEAR(other.T, sat.T, 1e-5);
            }
        }
    }
}

// Inside the dome the mixture lies at the saturated vapour's pressure at T, the records are the
// saturated states saturation_by_pressure forms there, and x the vapour mass fraction from their
// specific volumes. That saturation comes back to T to 1e-9 K up to 132.03 degC; nearer the
// critical point its search falls short (the front end refuses there).
TEST(TemperatureDensity, TwoPhaseMixtureLiesAtTheSaturationPressureOfItsTemperature) {
    std::vector<double> temperatures = {20.0, -50.0, -77.0, 132.0, 132.2, 132.249};
    for (int i = 0; i <= 52; ++i) {
        temperatures.push_back(MIN_TEMPERATURE + 4.0 * i);
    }
    for (const double T : temperatures) {
        double p_s = 0.0;
        FluidState at_t_liquid{};
        FluidState at_t_vapour{};
        saturation_by_temperature(T, p_s, at_t_liquid, at_t_vapour);
        for (const double q : {1e-6, 0.1, 0.5, 0.9, 1.0 - 1e-6}) {
            const double rho = 1.0 / ((1.0 - q) / at_t_liquid.rho + q / at_t_vapour.rho);
            Result r;
            double P = 0.0;
            PressureSaturation sat{};
            state_from_temperature_density(0, T, rho, r.phase, r.x, r.liquid, r.vapour, P, sat);
            SCOPED_TRACE(testing::Message() << "T=" << T << " q=" << q);
            ASSERT_EQ(r.phase, PHASE_TWO_PHASE);
            EXPECT_EQ(P, p_s);
            double t_s = 0.0;
            FluidState liquid{};
            FluidState vapour{};
            saturation_by_pressure(P, t_s, liquid, vapour);
            EXPECT_EQ(sat.T_s, t_s);
            EXPECT_TRUE(same_record(r.liquid, liquid) && same_record(sat.liquid, liquid));
            EXPECT_TRUE(same_record(r.vapour, vapour) && same_record(sat.vapour, vapour));
            if (T < 132.03) {
                EXPECT_NEAR(t_s, T, 1e-9);
                const double v_liquid = 1.0 / liquid.rho;
                EXPECT_EQ(r.x, (1.0 / rho - v_liquid) / (1.0 / vapour.rho - v_liquid));
                EXPECT_NEAR(r.x, q, 1e-9);
            }
        }
    }
    // Points whose single-phase pressure is negative or enormous inside the dome.
    for (const auto& [T, rho] : {std::pair{20.0, 100.0}, std::pair{-50.0, 300.0}}) {
        const Result r = from_temperature_density(0, T, rho);
        EXPECT_EQ(r.phase, PHASE_TWO_PHASE);
        EXPECT_GT(r.x, 0.0);
        EXPECT_LT(r.x, 1.0);
        EXPECT_GT(state_pressure(r.liquid), 0.0);
        EXPECT_LT(state_pressure(r.liquid), CRITICAL_PRESSURE);
    }
}

// With the superheated-liquid request every state at or below the critical pressure is
// reported as liquid, also inside the spinodal where the state is mechanically unstable. The
// call must still return that state without fault.
TEST(TemperatureDensity, MetastableRequestRelabelsTheDomeAsLiquid) {
    int unstable = 0;
    for (int i = 0; i <= 40; ++i) {
        const double T =
            MIN_TEMPERATURE + (CRITICAL_TEMPERATURE_C - 0.05 - MIN_TEMPERATURE) * i / 40;
        double p_s = 0.0;
        FluidState sat_liquid{};
        FluidState sat_vapour{};
        saturation_by_temperature(T, p_s, sat_liquid, sat_vapour);
        for (int j = 1; j < 40; ++j) {
            const double rho = sat_vapour.rho + (sat_liquid.rho - sat_vapour.rho) * j / 40;
            const Result r = from_temperature_density(1, T, rho);
            const FluidState& s = r.liquid;
            unstable += 1.0 + 2.0 * s.delta * s.phir_d + s.delta * s.delta * s.phir_dd <= 0.0;
            ASSERT_EQ(r.phase, PHASE_LIQUID) << "T=" << T << " rho=" << rho;
            EXPECT_EQ(s.rho, rho);
            EXPECT_NEAR(s.T, T + KELVIN_OFFSET, 1e-12);
        }
    }
    EXPECT_GT(unstable, 100);
    // Gas above the critical temperature is relabelled as well.
    EXPECT_EQ(from_temperature_density(1, 200.0, 5.0).phase, PHASE_LIQUID);
}

TEST(TemperatureDensity, ClassificationEdges) {
    for (const double T : {-77.0, -20.0, 50.0, 130.0}) {
        double p_s = 0.0;
        FluidState sat_liquid{};
        FluidState sat_vapour{};
        saturation_by_temperature(T, p_s, sat_liquid, sat_vapour);
        EXPECT_EQ(from_temperature_density(0, T, sat_liquid.rho).phase, PHASE_LIQUID) << T;
        EXPECT_EQ(from_temperature_density(0, T, sat_vapour.rho).phase, PHASE_VAPOUR) << T;
        EXPECT_EQ(from_temperature_density(2, T, sat_vapour.rho).phase, PHASE_VAPOUR) << T;
    }
    // At and above the critical temperature: never two-phase or liquid without the request.
    for (const double T : {EQUATION_CRITICAL_TEMPERATURE_C, 133.0, 300.0}) {
        for (const double rho : {1.0, 225.0, 400.0}) {
            const Result r = from_temperature_density(0, T, rho);
            const bool dense = state_pressure(r.liquid) > CRITICAL_PRESSURE;
            EXPECT_EQ(r.phase, dense ? PHASE_SUPERCRITICAL : PHASE_VAPOUR) << T << " " << rho;
        }
    }
    // Compressed liquid below the critical temperature above the critical pressure.
    for (const int side : {0, 1}) {
        const Result r = from_temperature_density(side, 20.0, 650.0);
        EXPECT_EQ(r.phase, PHASE_SUPERCRITICAL);
        EXPECT_EQ(r.x, 0.0);
        EXPECT_TRUE(same_record(r.liquid, r.vapour));
        EXPECT_GT(state_pressure(r.liquid), CRITICAL_PRESSURE);
    }
}

}  // namespace
}  // namespace zeltra5
