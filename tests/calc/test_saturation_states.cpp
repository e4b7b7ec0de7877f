// Saturated states through the front end against the equation's phase equilibrium solved to 60
// digits (tests/tr1993/data), the equality of both phases' pressures, and the approach to the
// critical point.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "saturation_points.hpp"
#include "zeltra5/calc.hpp"
#include "zeltra5/calculation.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/solvers.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

using Point = test_support::SaturationPoint;
constexpr auto check_points = test_support::saturation_check_points;

PropertyResult saturated(const int mode, const int side, const double value) {
    PropertyResult r{};
    const int status = calculate_properties(CalcRequest{mode, side, value, 0.0}, r);
    EXPECT_EQ(status, 0) << mode << " " << side << " " << value;
    return r;
}

double relative(const double a, const double b) {
    return std::fabs(a - b) / std::fabs(b);
}

// Every check point up to the saturation limit, asked by temperature and by pressure: p, both
// densities, and h, s of both phases (those of the equation at the reference densities) to
// 1e-10.
TEST(SaturationStates, AgreeWithTheHighPrecisionEquilibrium) {
    int checked = 0;
    for (const Point& point : check_points()) {
        const double t = point.T_K - KELVIN_OFFSET;
        if (!(t >= MIN_TEMPERATURE && t <= SATURATION_LIMIT_TEMPERATURE_C)) {
            continue;
        }
        FluidState liquid_ref{};
        FluidState vapour_ref{};
        evaluate_state(t, point.rho_liquid, liquid_ref);
        evaluate_state(t, point.rho_vapour, vapour_ref);
        const double latent = state_enthalpy(vapour_ref) - state_enthalpy(liquid_ref);
        for (const int side : {SIDE_LIQUID, SIDE_VAPOUR}) {
            const FluidState& ref = side == SIDE_LIQUID ? liquid_ref : vapour_ref;
            const double rho = side == SIDE_LIQUID ? point.rho_liquid : point.rho_vapour;
            for (const int mode : {MODE_SATURATION_TEMPERATURE, MODE_SATURATION_PRESSURE}) {
                const PropertyResult r =
                    saturated(mode, side, mode == MODE_SATURATION_TEMPERATURE ? t : point.p);
                EXPECT_LT(relative(r.pressure, point.p), 1e-10) << t << " side " << side;
                EXPECT_NEAR(r.temperature, t, 1e-11) << t;
                EXPECT_LT(relative(r.mass_density, rho), 1e-10) << t << " side " << side;
                // h and s near zero at the triple point: relative to the latent heat there.
                EXPECT_NEAR(r.specific_enthalpy, state_enthalpy(ref), 1e-10 * latent)
                    << t << " side " << side;
                EXPECT_NEAR(r.specific_entropy, state_entropy(ref), 1e-10 * latent / point.T_K)
                    << t << " side " << side;
            }
        }
        ++checked;
    }
    EXPECT_GT(checked, 150);
}

// Both saturated phases at one temperature show one pressure, exactly: asked by temperature,
// and as the saturated tables beside a result at that pressure.
TEST(SaturationStates, LiquidAndVapourShowTheSamePressure) {
    for (double t = MIN_TEMPERATURE; t <= SATURATION_LIMIT_TEMPERATURE_C; t += 0.173) {
        const PropertyResult liquid = saturated(MODE_SATURATION_TEMPERATURE, SIDE_LIQUID, t);
        const PropertyResult vapour = saturated(MODE_SATURATION_TEMPERATURE, SIDE_VAPOUR, t);
        ASSERT_EQ(liquid.pressure, vapour.pressure) << t;
        const PropertyResult liquid_p =
            saturated(MODE_SATURATION_PRESSURE, SIDE_LIQUID, liquid.pressure);
        const PropertyResult vapour_p =
            saturated(MODE_SATURATION_PRESSURE, SIDE_VAPOUR, liquid.pressure);
        ASSERT_EQ(liquid_p.pressure, vapour_p.pressure) << t;
        ASSERT_NEAR(liquid_p.temperature, t, 1e-11) << t;
    }
}

// From 1 K below the limit up to it: the latent heat stays positive and falls smoothly toward
// zero, cp is positive and finite, no temperature is refused.
TEST(SaturationStates, LatentHeatGoesSmoothlyToZeroTowardTheCriticalPoint) {
    double previous = INFINITY;
    double previous_step = 0.0;
    const double step = 1e-4;  // K
    int points = 0;
    for (double t = SATURATION_LIMIT_TEMPERATURE_C - 1.0; t <= SATURATION_LIMIT_TEMPERATURE_C;
         t += step) {
        const PropertyResult liquid = saturated(MODE_SATURATION_TEMPERATURE, SIDE_LIQUID, t);
        const PropertyResult vapour = saturated(MODE_SATURATION_TEMPERATURE, SIDE_VAPOUR, t);
        const double r = vapour.specific_enthalpy - liquid.specific_enthalpy;
        ASSERT_GT(r, 0.0) << t;
        ASSERT_LT(r, previous) << t;
        ASSERT_EQ(liquid.latent_heat, vapour.latent_heat) << t;
        ASSERT_GT(liquid.isobaric_heat_capacity, 0.0) << t;
        ASSERT_GT(vapour.isobaric_heat_capacity, 0.0) << t;
        ASSERT_TRUE(std::isfinite(vapour.speed_of_sound) && vapour.speed_of_sound > 0.0) << t;
        if (previous_step > 0.0) {
            // The fall grows steadily toward the critical point, with no jump.
            const double fall = previous - r;
            ASSERT_GT(fall, 0.9 * previous_step) << t;
            ASSERT_LT(fall, 1.5 * previous_step) << t;
        }
        if (std::isfinite(previous)) {
            previous_step = previous - r;
        }
        previous = r;
        ++points;
    }
    EXPECT_GT(points, 9990);
    EXPECT_LT(previous, 20e3);  // 18.8 kJ/kg at the limit
}

// The saturation limit: answered at it, refused just above it with the limit named.
TEST(SaturationStates, RefusedOnlyAboveTheLimit) {
    const double above_t = std::nextafter(SATURATION_LIMIT_TEMPERATURE_C, 200.0);
    const double above_p = std::nextafter(SATURATION_LIMIT_PRESSURE, 2e7);
    struct Case {
        int mode;
        double first, second;
        double limit;
    };
    for (const Case& c :
         {Case{MODE_SATURATION_TEMPERATURE, above_t, 0.0, SATURATION_LIMIT_TEMPERATURE_C},
          Case{MODE_SATURATION_PRESSURE, above_p, 0.0, SATURATION_LIMIT_PRESSURE},
          Case{MODE_PRESSURE_QUALITY, above_p, 0.5, SATURATION_LIMIT_PRESSURE}}) {
        PropertyResult r{};
        Refusal why{};
        EXPECT_EQ(calculate_properties_with_reason(
                      CalcRequest{c.mode, SIDE_LIQUID, c.first, c.second}, r, why),
                  1)
            << c.mode;
        EXPECT_EQ(why.limit, c.limit) << c.mode;
    }
    saturated(MODE_SATURATION_TEMPERATURE, SIDE_VAPOUR, SATURATION_LIMIT_TEMPERATURE_C);
    saturated(MODE_SATURATION_PRESSURE, SIDE_VAPOUR, SATURATION_LIMIT_PRESSURE);
    // The lowest temperature admitted, 1e-9 K below -77 degC, is answered on both sides.
    saturated(MODE_SATURATION_TEMPERATURE, SIDE_LIQUID, LOWEST_ADMITTED_TEMPERATURE);
    saturated(MODE_SATURATION_TEMPERATURE, SIDE_VAPOUR, LOWEST_ADMITTED_TEMPERATURE);
    PropertyResult r{};
    EXPECT_EQ(calculate_properties(
                  CalcRequest{MODE_PRESSURE_QUALITY, SIDE_NONE, SATURATION_LIMIT_PRESSURE, 0.5}, r),
              0);
    // A (T, rho) mixture between the limit and the critical temperature.
    Refusal why{};
    EXPECT_EQ(calculate_properties_with_reason(
                  CalcRequest{MODE_TEMPERATURE_DENSITY, SIDE_NONE, above_t + 0.005, 224.8}, r, why),
              1);
    EXPECT_EQ(why.limit, SATURATION_LIMIT_TEMPERATURE_C);
}

// Phase labels between the old fitted critical pressure and the equation's own: inside the
// equation's dome nothing is supercritical.
TEST(SaturationStates, SupercriticalOnlyAboveTheEquationsCriticalPressure) {
    struct Case {
        double p, t;
        int phase;
    };
    for (const Case& c :
         {Case{11340000.0, 100.0, PHASE_LIQUID}, Case{11340000.0, 200.0, PHASE_VAPOUR},
          Case{11359196.0, 200.0, PHASE_VAPOUR}, Case{11359197.0, 200.0, PHASE_SUPERCRITICAL},
          Case{11359197.0, 100.0, PHASE_SUPERCRITICAL}}) {
        PropertyResult r{};
        ASSERT_EQ(
            calculate_properties(CalcRequest{MODE_PRESSURE_TEMPERATURE, SIDE_NONE, c.p, c.t}, r), 0)
            << c.p << " " << c.t;
        EXPECT_EQ(r.phase, c.phase) << c.p << " " << c.t;
    }
}

// A (T, rho) mixture up to the limit lies at the equilibrium pressure of its temperature and is
// shown at that temperature (the band refused before below 132.25 degC is answered).
TEST(SaturationStates, TemperatureDensityMixturesUpToTheLimit) {
    for (const double t : {-77.0, 0.0, 100.0, 132.0301, 132.1, 132.2, 132.3, 132.34}) {
        const PropertyResult liquid = saturated(MODE_SATURATION_TEMPERATURE, SIDE_LIQUID, t);
        const PropertyResult vapour = saturated(MODE_SATURATION_TEMPERATURE, SIDE_VAPOUR, t);
        const double rho = 2.0 / (1.0 / liquid.mass_density + 1.0 / vapour.mass_density);
        PropertyResult r{};
        ASSERT_EQ(calculate_properties(CalcRequest{MODE_TEMPERATURE_DENSITY, SIDE_NONE, t, rho}, r),
                  0)
            << t;
        EXPECT_EQ(r.phase, PHASE_TWO_PHASE) << t;
        EXPECT_EQ(r.temperature, t);
        EXPECT_EQ(r.pressure, liquid.pressure) << t;
        EXPECT_NEAR(r.relative_enthalpy, 0.5, 1e-12) << t;
    }
}

}  // namespace
}  // namespace zeltra5
