// The refrigeration cycle against a calculation by hand from single-state requests, its energy
// balance, and its refusals.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "single_state.hpp"
#include "zeltra5/refrigeration_cycle.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

double rel(const double a, const double b) {
    return std::fabs(a - b) / std::fabs(b);
}

const CycleInput CLASSIC{-10.0, 35.0, 5.0, 0.0, 0.75, 100.0};

// -10 degC evaporating, 35 degC condensing, 5 K superheat, no subcooling, eta = 0.75: each
// figure as a person computes it from the program's single states, on every unit system and
// reference state.
TEST(Cycle, ClassicCaseMatchesTheHandCalculation) {
    const CalcOptions options[] = {{DISPLAY_UNITS, ReferenceState::program, false},
                                   {SI_CELSIUS_UNITS, ReferenceState::program, false},
                                   {DISPLAY_UNITS, ReferenceState::iir, false}};
    double cop_display = 0.0;
    for (const CalcOptions& o : options) {
        SCOPED_TRACE(std::string(units_name(o.units)) + " " +
                     reference_state_name(o.reference));
        CycleResult c;
        ASSERT_EQ(calculate_cycle(CLASSIC, o, c), STATUS_VALID);
        const double p0 = single("ts-vapour", -10.0, 0.0, o).values[FIELD_PRESSURE];
        const StateResult s1 = single("p-t", p0, -5.0, o);
        const StateResult s3 = single("ts-liquid", 35.0, 0.0, o);
        const double pc = s3.values[FIELD_PRESSURE];
        const double h1 = s1.values[FIELD_ENTHALPY];
        const double h2s = single("p-s", pc, s1.values[FIELD_ENTROPY], o).values[FIELD_ENTHALPY];
        const StateResult s2 = single("p-h", pc, h1 + (h2s - h1) / 0.75, o);
        const double h3 = s3.values[FIELD_ENTHALPY];
        const StateResult s4 = single("p-h", p0, h3, o);
        for (const auto& [state, want] : {std::pair{CYCLE_SUCTION, &s1},
                                          {CYCLE_DISCHARGE, &s2},
                                          {CYCLE_LIQUID, &s3},
                                          {CYCLE_EVAPORATOR_INLET, &s4}}) {
            EXPECT_EQ(std::memcmp(c.states[state].values, want->values, sizeof want->values), 0)
                << cycle_state_name(state, Language::english);
        }
        EXPECT_EQ(c.states[CYCLE_EVAPORATOR_INLET].phase, PHASE_TWO_PHASE);
        const double q0 = h1 - s4.values[FIELD_ENTHALPY];
        const double w = s2.values[FIELD_ENTHALPY] - h1;
        const double* f = c.figures;
        EXPECT_EQ(f[CYCLE_REFRIGERATING_EFFECT], q0);
        EXPECT_EQ(f[CYCLE_COMPRESSOR_WORK], w);
        EXPECT_EQ(f[CYCLE_COP], q0 / w);
        EXPECT_EQ(f[CYCLE_DISCHARGE_TEMPERATURE], s2.values[FIELD_TEMPERATURE]);
        EXPECT_EQ(f[CYCLE_PRESSURE_RATIO], pc / p0);
        EXPECT_EQ(f[CYCLE_VOLUMETRIC_CAPACITY], q0 * s1.values[FIELD_DENSITY]);
        // The energy balance closes: q0 + w = qc.
        EXPECT_LE(
            rel(f[CYCLE_REFRIGERATING_EFFECT] + f[CYCLE_COMPRESSOR_WORK], f[CYCLE_HEAT_REJECTED]),
            1e-9);
        // 100 kW: m = Q / q0, the suction volume flow m / rho1, in m3/h.
        const double q0_si = to_base(UnitKind::specific_energy, o.units, q0);
        EXPECT_LE(rel(f[CYCLE_MASS_FLOW], 100e3 / q0_si), 1e-12);
        EXPECT_LE(rel(f[CYCLE_DISPLACEMENT], 100e3 / q0_si / s1.values[FIELD_DENSITY] * 3600.0),
                  1e-12);
        EXPECT_LE(rel(f[CYCLE_COMPRESSOR_POWER] + 100.0, f[CYCLE_CONDENSER_DUTY]), 1e-9);
        // The reference state and the units change no difference of enthalpies.
        if (cop_display == 0.0) {
            cop_display = f[CYCLE_COP];
        }
        EXPECT_LE(rel(f[CYCLE_COP], cop_display), 1e-9);
    }
    // The figures of the classic case (display units): COP 3.60, q0 1097 kJ/kg, t2 137.9 degC.
    CycleResult c;
    calculate_cycle(CLASSIC, options[0], c);
    EXPECT_NEAR(c.figures[CYCLE_COP], 3.6008, 5e-4);
    EXPECT_NEAR(c.figures[CYCLE_REFRIGERATING_EFFECT], 1097.20, 0.01);
    EXPECT_NEAR(c.figures[CYCLE_COMPRESSOR_WORK], 304.71, 0.01);
    EXPECT_NEAR(c.figures[CYCLE_DISCHARGE_TEMPERATURE], 137.93, 0.01);
    EXPECT_NEAR(c.figures[CYCLE_PRESSURE_RATIO], 4.6464, 1e-4);
}

// Without superheat or subcooling, the suction state is the saturated vapour at t0 and the
// liquid the saturated liquid at tc, as the single requests give them.
TEST(Cycle, SaturatedEndsAreTheSaturatedStates) {
    const CalcOptions o{DISPLAY_UNITS, ReferenceState::program, false};
    CycleResult c;
    ASSERT_EQ(calculate_cycle({-20.0, 40.0, 0.0, 0.0, 1.0, 0.0}, o, c), STATUS_VALID);
    const StateResult v = single("ts-vapour", -20.0, 0.0, o);
    const StateResult l = single("ts-liquid", 40.0, 0.0, o);
    EXPECT_EQ(std::memcmp(c.states[CYCLE_SUCTION].values, v.values, sizeof v.values), 0);
    EXPECT_EQ(std::memcmp(c.states[CYCLE_LIQUID].values, l.values, sizeof l.values), 0);
    // eta = 1: the discharge is the isentropic state.
    EXPECT_NEAR(c.states[CYCLE_DISCHARGE].values[FIELD_ENTROPY], v.values[FIELD_ENTROPY],
                1e-9 * v.values[FIELD_ENTROPY]);
    EXPECT_TRUE(std::isnan(c.figures[CYCLE_MASS_FLOW]));  // no capacity given
    // Subcooled liquid before the valve.
    ASSERT_EQ(calculate_cycle({-20.0, 40.0, 0.0, 10.0, 1.0, 0.0}, o, c), STATUS_VALID);
    EXPECT_EQ(c.states[CYCLE_LIQUID].phase, PHASE_LIQUID);
    EXPECT_EQ(c.states[CYCLE_LIQUID].values[FIELD_TEMPERATURE], 30.0);
}

// At the largest capacity taken every figure is finite, in both unit systems, also where the
// refrigerating effect is small (condensing next to the critical point, no subcooling).
TEST(Cycle, LargestCapacityGivesFiniteFigures) {
    const CycleInput inputs[] = {{-10.0, 35.0, 5.0, 0.0, 0.75, MAX_CYCLE_CAPACITY},
                                 {-30.0, 40.0, 0.0, 0.0, 0.8, MAX_CYCLE_CAPACITY},
                                 {120.0, 131.0, 0.0, 0.0, 1.0, MAX_CYCLE_CAPACITY},
                                 {110.0, 131.0, 0.0, 0.0, 1.0, MAX_CYCLE_CAPACITY}};
    for (const Units& units : {DISPLAY_UNITS, SI_CELSIUS_UNITS}) {
        for (const CycleInput& in : inputs) {
            SCOPED_TRACE(in.evaporating_temperature);
            CycleResult r;
            ASSERT_EQ(calculate_cycle(in, {units, ReferenceState::program, false}, r),
                      STATUS_VALID);
            for (const double f : r.figures) {
                EXPECT_TRUE(std::isfinite(f));
            }
        }
    }
}

TEST(Cycle, RefusesWithAReason) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        CycleInput input;
        CycleRefusal refusal;
        int state;
        const char* words;  // a part of the English reason
    };
    const Case cases[] = {
        {{-10, 35, 5, 0, 0.0, 0}, CycleRefusal::efficiency_outside, -1, "isentropic efficiency 0"},
        {{-10, 35, 5, 0, 1.2, 0}, CycleRefusal::efficiency_outside, -1, "outside (0, 1]"},
        {{-10, 35, 5, 0, nan, 0}, CycleRefusal::not_finite, -1, "not a finite number"},
        {{-10, 35, -1, 0, 0.7, 0}, CycleRefusal::negative_superheat, -1, "superheat -1 K"},
        {{-10, 35, 5, -2, 0.7, 0}, CycleRefusal::negative_subcooling, -1, "subcooling -2 K"},
        {{-10, 35, 5, 0, 0.7, -5}, CycleRefusal::negative_capacity, -1, "-5 kW"},
        {{-10, 35, 5, 0, 0.7, 1e308}, CycleRefusal::capacity_too_large, -1, "1e+308 kW is above"},
        {{-10, 35, 5, 0, 0.7, 1.000001e9}, CycleRefusal::capacity_too_large, -1, "1e+09 kW"},
        {{35, 35, 5, 0, 0.7, 0},
         CycleRefusal::evaporating_not_below_condensing,
         -1,
         "evaporating temperature 35 °C is not below the condensing temperature 35 °C"},
        {{40, 35, 5, 0, 0.7, 0}, CycleRefusal::evaporating_not_below_condensing, -1, "40 °C"},
        {{-10, 132.345, 5, 0, 0.7, 0},
         CycleRefusal::condensing_not_below_critical,
         -1,
         "above the saturation limit near the critical point, 132.3401629673764 °C"},
        {{-10, 140, 5, 0, 0.7, 0}, CycleRefusal::condensing_not_below_critical, -1, "140 °C"},
        {{-80, 35, 5, 0, 0.7, 0},
         CycleRefusal::state_outside,
         CYCLE_SUCTION,
         "suction: temperature -80 °C is below -77 °C"},
        {{-10, 35, 470, 0, 0.7, 0},
         CycleRefusal::state_outside,
         CYCLE_SUCTION,
         "suction: temperature 460 °C is above 450 °C"},
        {{-10, 35, 5, 120, 0.7, 0},
         CycleRefusal::state_outside,
         CYCLE_LIQUID,
         "liquid: temperature -85 °C is below -77 °C"},
        {{-10, 35, 200, 0, 0.5, 0}, CycleRefusal::state_outside, CYCLE_DISCHARGE, "discharge: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words);
        CycleResult r;
        EXPECT_EQ(
            calculate_cycle(c.input, {DISPLAY_UNITS, ReferenceState::program, false}, r),
            STATUS_OUTSIDE_DOMAIN);
        EXPECT_EQ(r.refusal, c.refusal);
        EXPECT_EQ(r.state, c.state);
        EXPECT_TRUE(std::isnan(r.figures[CYCLE_COP]));
        char text[400];
        const std::size_t n = describe_cycle_refusal(r, Language::english, text, sizeof text);
        EXPECT_EQ(n, std::strlen(text));
        EXPECT_NE(std::string(text).find(c.words), std::string::npos) << text;
        EXPECT_GT(describe_cycle_refusal(r, Language::russian, text, sizeof text), 0u);
    }
    // Condensing at 132.2 degC was refused (its saturated liquid was unstable with the fitted
    // densities); with the equilibrium it is answered, up to the saturation limit.
    for (const double tc : {132.2, SATURATION_LIMIT_TEMPERATURE_C}) {
        CycleResult r;
        EXPECT_EQ(calculate_cycle({-10, tc, 5, 0, 0.7, 0},
                                  {DISPLAY_UNITS, ReferenceState::program, false}, r),
                  STATUS_VALID)
            << tc;
    }
}

// The cycle's temperatures are in the units' temperature, its superheat a difference in them.
TEST(Cycle, InKelvinAndFahrenheitIsTheCycleInCelsius) {
    CycleResult celsius;
    ASSERT_EQ(
        calculate_cycle({-10.0, 35.0, 5.0, 3.0, 0.75, 100.0}, {DISPLAY_UNITS, {}, false}, celsius),
        STATUS_VALID);
    struct Case {
        const char* choice;
        CycleInput input;
    };
    const Case cases[] = {
        {"display,t=K", {263.15, 308.15, 5.0, 3.0, 0.75, 100.0}},
        {"display,t=degF", {14.0, 95.0, 9.0, 5.4, 0.75, 100.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        CalcOptions o;
        ASSERT_TRUE(parse_units(c.choice, SI_UNITS, o.units));
        CycleResult r;
        ASSERT_EQ(calculate_cycle(c.input, o, r), STATUS_VALID);
        for (const int f : {CYCLE_COP, CYCLE_REFRIGERATING_EFFECT, CYCLE_MASS_FLOW}) {
            EXPECT_NEAR(r.figures[f], celsius.figures[f], 1e-9 * celsius.figures[f]);
        }
        EXPECT_NEAR(to_base(UnitKind::temperature, o.units, r.figures[CYCLE_DISCHARGE_TEMPERATURE]),
                    celsius.figures[CYCLE_DISCHARGE_TEMPERATURE], 1e-9);
    }
    // The critical limit is checked in the caller's unit.
    CycleResult hot;
    EXPECT_EQ(calculate_cycle({263.15, 413.15}, {SI_UNITS, {}, false}, hot), STATUS_OUTSIDE_DOMAIN);
    EXPECT_EQ(hot.refusal, CycleRefusal::condensing_not_below_critical);
}

}  // namespace
}  // namespace zeltra5
