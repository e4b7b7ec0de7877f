// The calculation as the interfaces offer it: unit systems, reference states, the options' rules,
// undefined fields and the words of a refusal.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "zeltra5/calculation.hpp"

namespace zeltra5 {
namespace {

StateResult state(const char* pair, const double first, const double second,
                  const CalcOptions& options = {SI_CELSIUS_UNITS}) {
    StateResult r;
    calculate_state(*find_arg_pair(pair), first, second, options, r);
    return r;
}

// Every reference state puts its defining saturated liquid exactly at its published values on
// every model (the model's own saturated liquid), and shifts h, u and s of any other state by the
// same constants.
TEST(ReferenceState, DefiningStatesComeOutExactly) {
    struct Case {
        ReferenceState reference;
        const char* pair;
        double value;  // SI; NaN for the model's lowest temperature
        double h;
        double s;
    };
    const Case cases[] = {{ReferenceState::iir, "ts-liquid", 0.0, 200000.0, 1000.0},
                          {ReferenceState::ashrae, "ts-liquid", -40.0, 0.0, 0.0},
                          {ReferenceState::nbp, "ps-liquid", 101325.0, 0.0, 0.0},
                          {ReferenceState::program, "ts-liquid", NAN, 0.0, 0.0}};
    // The 2023 equation's triple point is its lowest temperature; the 1993 one's (195.495 K, where
    // its own constants put h = s = 0) lies below its range and is not asked.
    for (int model = 0; model < MODEL_COUNT; ++model) {
        SCOPED_TRACE(MODELS[model].name);
        const CalcOptions own_options{SI_CELSIUS_UNITS, ReferenceState::program, false, model};
        const StateResult own = state("ts-liquid", 10.0, 0.0, own_options);
        for (const Case& c : cases) {
            SCOPED_TRACE(reference_state_name(c.reference));
            const CalcOptions options{SI_CELSIUS_UNITS, c.reference, false, model};
            const double value =
                std::isnan(c.value) ? MODELS[model].constants->domain.min_temperature : c.value;
            const StateResult r = state(c.pair, value, 0.0, options);
            ASSERT_EQ(r.status, STATUS_VALID);
            if (c.reference != ReferenceState::program || model != DEFAULT_MODEL) {
                EXPECT_EQ(r.values[FIELD_ENTHALPY], c.h);
                EXPECT_EQ(r.values[FIELD_ENTROPY], c.s);
            }
            const StateResult shifted = state("ts-liquid", 10.0, 0.0, options);
            // Exact against the default reference where that adds nothing (the 1993 model's).
            const ReferenceOffset offset = reference_offset(c.reference, model);
            const ReferenceOffset base = reference_offset(ReferenceState::program, model);
            const double dh = offset.enthalpy - base.enthalpy;
            const double ds = offset.entropy - base.entropy;
            const double tolerance = base.enthalpy == 0.0 && base.entropy == 0.0 ? 0.0 : 1e-9;
            EXPECT_NEAR(shifted.values[FIELD_ENTHALPY], own.values[FIELD_ENTHALPY] + dh, tolerance);
            EXPECT_NEAR(shifted.values[FIELD_INTERNAL_ENERGY],
                        own.values[FIELD_INTERNAL_ENERGY] + dh, tolerance);
            EXPECT_NEAR(shifted.values[FIELD_ENTROPY], own.values[FIELD_ENTROPY] + ds, tolerance);
            EXPECT_EQ(shifted.values[FIELD_LATENT_HEAT], own.values[FIELD_LATENT_HEAT]);
            EXPECT_EQ(shifted.values[FIELD_CP], own.values[FIELD_CP]);
        }
    }
}

// h, u and s given on a reference state are read on it: a state's own values on that reference
// give the state back, and the given value is shown as given.
TEST(ReferenceState, GivenValuesAreReadOnTheSameReference) {
    for (const ReferenceState reference :
         {ReferenceState::program, ReferenceState::iir, ReferenceState::ashrae}) {
        for (const Units& units : {SI_CELSIUS_UNITS, DISPLAY_UNITS}) {
            const CalcOptions options{units, reference, false};
            const double p = units == DISPLAY_UNITS ? 12.3 : 1.23e6;
            const StateResult pt = state("p-t", p, 60.0, options);
            ASSERT_EQ(pt.status, STATUS_VALID);
            for (const int field : {FIELD_ENTHALPY, FIELD_INTERNAL_ENERGY, FIELD_ENTROPY}) {
                const char* pair = field == FIELD_ENTHALPY          ? "p-h"
                                   : field == FIELD_INTERNAL_ENERGY ? "p-u"
                                                                    : "p-s";
                const StateResult back = state(pair, p, pt.values[field], options);
                ASSERT_EQ(back.status, STATUS_VALID) << pair;
                EXPECT_EQ(back.values[field], pt.values[field]) << pair;
                EXPECT_EQ(back.values[FIELD_PRESSURE], p) << pair;
                EXPECT_NEAR(back.values[FIELD_TEMPERATURE], 60.0, 1e-9) << pair;
            }
        }
    }
}

// Display units are the program's conversion (bar x 100000, kJ x 1000 in; x 1e-05, x 0.001 out)
// and change nothing else; a field not defined for the phase is NaN, never 0.
TEST(Calculation, UnitsAndUndefinedFields) {
    struct Case {
        const char* pair;
        double first_si, second_si, first_display, second_display;
    };
    const Case cases[] = {
        {"p-t", 1e6, 25.0, 10.0, 25.0},        {"p-h", 1e6, 1.2e6, 10.0, 1200.0},
        {"p-x", 5e5, 0.3, 5.0, 0.3},           {"ts-vapour", 10.0, 0.0, 10.0, 0.0},
        {"p-t", 2e7, 200.0, 200.0, 200.0},     {"p-s", 2e5, 3000.0, 2.0, 3.0},
        {"t-rho", -20.0, 600.0, -20.0, 600.0}, {"ps-liquid", 3e5, 0.0, 3.0, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pair);
        const StateResult si = state(c.pair, c.first_si, c.second_si);
        const StateResult shown =
            state(c.pair, c.first_display, c.second_display, {DISPLAY_UNITS, {}, false});
        ASSERT_EQ(si.status, STATUS_VALID);
        ASSERT_EQ(shown.status, STATUS_VALID);
        EXPECT_EQ(std::memcmp(&si.record, &shown.record, sizeof si.record), 0);
        for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
            SCOPED_TRACE(RESULT_FIELDS[k].name);
            const bool defined = result_field_defined(si.phase, si.phase_detail, k);
            EXPECT_EQ(std::isnan(si.values[k]), !defined);
            // A given value is shown as given (200 bar, not 2e7 Pa x 1e-05 = 200.00000000000003).
            const ArgPair& pair = *find_arg_pair(c.pair);
            if (k == pair.first_field && si.values[k] == c.first_si) {
                EXPECT_EQ(shown.values[k], c.first_display);
            } else if (k == pair.second_field && si.values[k] == c.second_si) {
                EXPECT_EQ(shown.values[k], c.second_display);
            } else if (defined) {
                EXPECT_EQ(shown.values[k],
                          from_base(RESULT_FIELDS[k].unit, DISPLAY_UNITS, si.values[k]));
            }
        }
    }
}

TEST(Calculation, RequestRules) {
    StateResult r = state("ts-liquid", 0.0, 0.0, {SI_CELSIUS_UNITS, {}, true});
    EXPECT_EQ(r.status, STATUS_BAD_ARGUMENT);
    EXPECT_EQ(r.refusal.reason, RefusalReason::option_not_applicable);
    EXPECT_EQ(r.phase, NO_PHASE);
    r = state("p-t", 1e5, 500.0);
    EXPECT_EQ(r.status, STATUS_OUTSIDE_DOMAIN);
    EXPECT_EQ(r.phase, NO_PHASE);
    for (const double v : r.values) {
        EXPECT_TRUE(std::isnan(v));
    }
    // The superheat option asks for the superheated liquid.
    r = state("p-t", 1e5, -30.0, {SI_CELSIUS_UNITS, {}, true});
    EXPECT_EQ(r.status, STATUS_VALID);
    EXPECT_EQ(r.phase_detail, 1);
}

// The saturated states beside a result are the Windows program's follow-ups at its pressure.
TEST(Calculation, SaturatedStatesAtTheResultsPressure) {
    const CalcOptions options{DISPLAY_UNITS, ReferenceState::iir, false};
    const StateResult r = state("p-t", 12.3, 60.0, options);
    for (const int side : {SIDE_LIQUID, SIDE_VAPOUR}) {
        StateResult sat;
        ASSERT_EQ(calculate_saturated(r, side, sat), STATUS_VALID);
        EXPECT_EQ(sat.phase, side);
        EXPECT_EQ(sat.values[FIELD_PRESSURE], 12.3);
        const StateResult direct =
            state(side == SIDE_LIQUID ? "ps-liquid" : "ps-vapour", 12.3, 0.0, options);
        EXPECT_EQ(std::memcmp(sat.values, direct.values, sizeof sat.values), 0);
    }
    // No saturated state beside a supercritical or a refused one; the refusal says why.
    struct Refused {
        const char* pair;
        double first, second;
        const char* english;
    };
    const Refused refused[] = {
        {"p-t", 200.0, 200.0,
         "pressure 200 bar is not below the critical pressure, 113.59196242759728 bar: there is no "
         "two-phase state"},
        {"p-t", 10.0, 500.0, "temperature 500 °C is above 450 °C"},
    };
    for (const Refused& c : refused) {
        StateResult sat;
        EXPECT_EQ(calculate_saturated(state(c.pair, c.first, c.second, options), SIDE_VAPOUR, sat),
                  STATUS_OUTSIDE_DOMAIN);
        EXPECT_EQ(sat.phase, NO_PHASE);
        char text[200];
        describe_refusal(sat, Language::english, text, sizeof text);
        EXPECT_STREQ(text, c.english);
    }
}

// A refusal in words names the value as given and the limit in the request's units.
TEST(Calculation, RefusalInWords) {
    struct Case {
        const char* pair;
        double first, second;
        CalcOptions options;
        const char* english;
        const char* russian;
    };
    const CalcOptions display{DISPLAY_UNITS, {}, false};
    const CalcOptions superheat{DISPLAY_UNITS, {}, true};
    const Case cases[] = {
        {"p-t", 10.0, 500.0, display, "temperature 500 °C is above 450 °C",
         "температура 500 °C выше 450 °C"},
        {"p-t", 0.064, 25.0, display, "pressure 0.064 bar is below 0.064172344254197",
         "давление 0.064 бар ниже 0.064172344254197"},
        {"p-t",
         1e5,
         50.0,
         {SI_CELSIUS_UNITS, {}, true},
         "50 °C is above the liquid's superheat limit at 100000 Pa, ",
         "при 100000 Па, "},
        {"p-t", 10.0, 60.0, superheat, "60 °C is above the liquid's superheat limit at 10 bar, ",
         "60 °C выше предела перегрева жидкости при 10 бар, "},
        {"p-h", 10.0, 5000.0, display, "enthalpy 5000 kJ/kg is above ",
         "(значение при 10 бар и 450 °C)"},
        {"p-x", 1.0, 9.0, display, "quality 9, enthalpy ", "при степени сухости 9, энтальпия "},
        {"p-x", 120.0, 0.5, display, "not below the critical pressure, 113.59196242759728 bar",
         "не ниже критического, 113.59196242759728 бар"},
        {"ts-liquid", 20.0, 0.0, superheat, "does not apply", "неприменим"},
    };
    for (const Case& c : cases) {
        const StateResult r = state(c.pair, c.first, c.second, c.options);
        ASSERT_NE(r.status, STATUS_VALID) << c.pair;
        char text[200];
        describe_refusal(r, Language::english, text, sizeof text);
        EXPECT_NE(std::string(text).find(c.english), std::string::npos) << text;
        describe_refusal(r, Language::russian, text, sizeof text);
        EXPECT_NE(std::string(text).find(c.russian), std::string::npos) << text;
    }
}

// The message never runs past the caller's buffer and is always terminated.
TEST(Calculation, RefusalTextIsBounded) {
    const StateResult r = state("p-t", 1e6, 500.0);
    char whole[100];
    const std::size_t length = describe_refusal(r, Language::english, whole, sizeof whole);
    ASSERT_EQ(length, std::strlen(whole));
    for (const std::size_t size : {std::size_t{1}, std::size_t{5}, length, length + 1}) {
        char text[100];
        std::memset(text, 'X', sizeof text);
        EXPECT_EQ(describe_refusal(r, Language::english, text, size), length);
        const std::size_t kept = std::min(size - 1, length);
        EXPECT_EQ(std::string(text), std::string(whole, kept));
        EXPECT_EQ(text[size], 'X');
    }
    EXPECT_EQ(describe_refusal(r, Language::english, nullptr, 0), length);
}

}  // namespace
}  // namespace zeltra5
