// Units: choices read and named, conversions to the base units (Pa, °C, J/kg, J/(kg·K)), and the
// same state through every choice.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "zeltra5/calculation.hpp"
#include "zeltra5/pairs.hpp"
#include "zeltra5/units.hpp"

namespace zeltra5 {
namespace {

Units with(Units u, Unit p, Unit t, Unit h, Unit s) {
    u.pressure = p;
    u.temperature = t;
    u.energy = h;
    u.entropy = s;
    return u;
}

TEST(Units, ChoicesAreReadAndNamedBack) {
    using enum Unit;
    struct Case {
        const char* choice;
        Units defaults;
        Units want;
        const char* name;
    };
    const Case cases[] = {
        {"si", DISPLAY_UNITS, SI_UNITS, "si"},
        {"si-celsius", SI_UNITS, SI_CELSIUS_UNITS, "si-celsius"},
        {"display", SI_UNITS, DISPLAY_UNITS, "display"},
        {"p=kPa,t=K", DISPLAY_UNITS,
         with(DISPLAY_UNITS, kilopascal, kelvin, kilojoule_per_kg, kilojoule_per_kg_celsius),
         "display,p=kPa,t=K"},
        {"p=kPa,t=K", SI_UNITS,
         with(SI_UNITS, kilopascal, kelvin, joule_per_kg, joule_per_kg_kelvin), "si,p=kPa"},
        {" si , t = degF , s = kJ/(kg*K) ", DISPLAY_UNITS,
         with(SI_UNITS, pascal, fahrenheit, joule_per_kg, kilojoule_per_kg_kelvin),
         "si,t=degF,s=kJ/(kg*K)"},
        {"display,t=°C", SI_UNITS, DISPLAY_UNITS, "display"},
        {"pressure=MPa,temperature=C,energy=kJ/kg,entropy=kJ/(kg·K)", SI_UNITS,
         with(SI_UNITS, megapascal, celsius, kilojoule_per_kg, kilojoule_per_kg_kelvin),
         "si,p=MPa,t=degC,h=kJ/kg,s=kJ/(kg*K)"},
        {"si-celsius,p=psi,t=°F", SI_UNITS,
         with(SI_CELSIUS_UNITS, psi, fahrenheit, joule_per_kg, joule_per_kg_kelvin),
         "si-celsius,p=psi,t=degF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        Units u{};
        ASSERT_TRUE(parse_units(c.choice, c.defaults, u));
        EXPECT_TRUE(u == c.want);
        EXPECT_STREQ(units_name(u).c_str(), c.name);
        // The name reads back to the same units whatever the defaults.
        Units back{};
        ASSERT_TRUE(parse_units(units_name(u), DISPLAY_UNITS, back));
        EXPECT_TRUE(back == u);
    }
}

TEST(Units, BadChoicesLeaveTheUnitsAlone) {
    for (const char* choice :
         {"",      " ",          "SI",         "kelvin",      "si,",
          ",si",   "si,display", "p=kPa,si",   "p=kPa,p=bar", "p=kPa,pressure=bar",
          "t=kPa", "p=K",        "h=J/(kg*K)", "s=kJ/kg",     "p=pa",
          "p=",    "=kPa",       "x=kPa",      "u=kJ/kg",     "p=kPa;t=K",
          "p:kPa"}) {
        SCOPED_TRACE(choice);
        Units u = DISPLAY_UNITS;
        EXPECT_FALSE(parse_units(choice, SI_UNITS, u));
        EXPECT_TRUE(u == DISPLAY_UNITS);
    }
}

// Conversions to the base units, each exact where the value is exact in both units.
TEST(Units, ConversionsToTheBaseUnits) {
    Units kpa = SI_UNITS;
    kpa.pressure = Unit::kilopascal;
    Units mpa_f = SI_UNITS;
    mpa_f.pressure = Unit::megapascal;
    mpa_f.temperature = Unit::fahrenheit;
    Units psi = DISPLAY_UNITS;
    psi.pressure = Unit::psi;
    struct Case {
        UnitKind kind;
        Units units;
        double value;
        double base;
    };
    const Case cases[] = {
        {UnitKind::pressure, SI_UNITS, 101325.0, 101325.0},
        {UnitKind::pressure, DISPLAY_UNITS, 10.0, 1e6},
        {UnitKind::pressure, kpa, 101.325, 101325.0},
        {UnitKind::pressure, mpa_f, 11.3333, 11333300.0},
        {UnitKind::temperature, SI_UNITS, 298.15, 25.0},
        {UnitKind::temperature, SI_UNITS, 196.15, -77.0},
        {UnitKind::temperature, SI_UNITS, 723.15, 450.0},
        {UnitKind::temperature, SI_UNITS, 273.15, 0.0},
        {UnitKind::temperature, SI_CELSIUS_UNITS, 25.0, 25.0},
        {UnitKind::temperature, mpa_f, 77.0, 25.0},
        {UnitKind::temperature, mpa_f, -40.0, -40.0},
        {UnitKind::temperature, mpa_f, 212.0, 100.0},
        {UnitKind::temperature, mpa_f, 842.0, 450.0},
        {UnitKind::specific_energy, DISPLAY_UNITS, 1626.5, 1626500.0},
        {UnitKind::specific_entropy, DISPLAY_UNITS, 5.5, 5500.0},
        {UnitKind::density, DISPLAY_UNITS, 600.0, 600.0},
        {UnitKind::expansion, mpa_f, 0.005, 0.005},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(units_name(c.units)) + " " + std::to_string(c.value));
        EXPECT_EQ(to_base(c.kind, c.units, c.value), c.base);
        EXPECT_EQ(from_base(c.kind, c.units, c.base), c.value);
    }
    // 1 psi is 6894.757293168361 Pa (0.45359237 kg x 9.80665 m/s² per (0.0254 m)²).
    EXPECT_NEAR(to_base(UnitKind::pressure, psi, 1.0), 6894.757293168361, 1e-9);
    EXPECT_NEAR(from_base(UnitKind::pressure, psi, 1e5), 14.503773773020923, 1e-12);
}

// Back and forth within an ulp or two everywhere in the domain, in every unit.
TEST(Units, ConversionsComeBack) {
    for (const Unit t : {Unit::kelvin, Unit::celsius, Unit::fahrenheit}) {
        Units u = SI_UNITS;
        u.temperature = t;
        for (double c = -77.0; c <= 450.0; c += 0.37) {
            const double there = from_base(UnitKind::temperature, u, c);
            EXPECT_NEAR(to_base(UnitKind::temperature, u, there), c, 4e-14 * 450.0) << c;
        }
    }
    for (int k = 0; k < UNIT_COUNT; ++k) {
        const auto unit = static_cast<Unit>(k);
        if (unit_kind(unit) != UnitKind::pressure) {
            continue;
        }
        Units u = SI_UNITS;
        u.pressure = unit;
        for (double p = 1e3; p < 1e8; p *= 1.7) {
            const double back = to_base(UnitKind::pressure, u, from_base(UnitKind::pressure, u, p));
            EXPECT_NEAR(back, p, 3e-16 * p) << unit_name(unit);
        }
    }
}

TEST(Units, TextsSayWhatTheValuesAre) {
    Units f = DISPLAY_UNITS;
    f.temperature = Unit::fahrenheit;
    struct Case {
        UnitKind kind;
        Units units;
        Language language;
        const char* text;
    };
    const Case cases[] = {
        {UnitKind::temperature, SI_UNITS, Language::english, "K"},
        {UnitKind::temperature, SI_UNITS, Language::russian, "К"},
        {UnitKind::temperature, SI_CELSIUS_UNITS, Language::english, "°C"},
        {UnitKind::temperature, f, Language::english, "°F"},
        {UnitKind::pressure, DISPLAY_UNITS, Language::russian, "бар"},
        {UnitKind::specific_entropy, SI_UNITS, Language::english, "J/(kg·K)"},
        {UnitKind::specific_entropy, DISPLAY_UNITS, Language::english, "kJ/(kg·°C)"},
        {UnitKind::expansion, SI_UNITS, Language::english, "1/K"},
        {UnitKind::expansion, DISPLAY_UNITS, Language::english, "1/°C"},
        {UnitKind::none, SI_UNITS, Language::russian, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(unit_text(c.kind, c.units, c.language), c.text);
    }
    EXPECT_EQ(temperature_difference_to_base(f, 9.0), 5.0);
    EXPECT_EQ(temperature_difference_from_base(f, 5.0), 9.0);
    EXPECT_EQ(temperature_difference_to_base(SI_UNITS, 5.0), 5.0);
    EXPECT_EQ(temperature_difference_text(SI_CELSIUS_UNITS, Language::english), "K");
    EXPECT_EQ(temperature_difference_text(f, Language::english), "°F");
}

// 10 bar and 25 °C in every choice: one state, each value in its unit.
TEST(Units, OneStateThroughEveryChoice) {
    StateResult display;
    ASSERT_EQ(
        calculate_state(*find_arg_pair("p-t"), 10.0, 25.0, {DISPLAY_UNITS, {}, false}, display),
        STATUS_VALID);
    struct Case {
        const char* choice;
        double p;
        double t;
    };
    const Case cases[] = {
        {"si", 1e6, 298.15},
        {"si-celsius", 1e6, 25.0},
        {"si,p=kPa,h=kJ/kg", 1000.0, 298.15},
        {"display,p=MPa,t=degF", 1.0, 77.0},
        {"display,p=psi", 145.03773773020922, 25.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        CalcOptions o;
        ASSERT_TRUE(parse_units(c.choice, SI_UNITS, o.units));
        StateResult r;
        ASSERT_EQ(calculate_state(*find_arg_pair("p-t"), c.p, c.t, o, r), STATUS_VALID);
        EXPECT_EQ(r.values[FIELD_PRESSURE], c.p);  // given values come back as given
        EXPECT_EQ(r.values[FIELD_TEMPERATURE], c.t);
        EXPECT_EQ(r.phase_detail, display.phase_detail);
        for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
            const double base = to_base(RESULT_FIELDS[k].unit, o.units, r.values[k]);
            const double want = to_base(RESULT_FIELDS[k].unit, DISPLAY_UNITS, display.values[k]);
            if (std::isnan(want)) {
                EXPECT_TRUE(std::isnan(base)) << RESULT_FIELDS[k].name;
            } else {
                EXPECT_NEAR(base, want, 1e-12 * std::fabs(want)) << RESULT_FIELDS[k].name;
            }
        }
    }
}

// The domain's edges given in other units are inside it, not a rounding error outside.
TEST(Units, TheDomainsEdgesStayInside) {
    struct Case {
        const char* choice;
        double p;
        double t;
    };
    const Case cases[] = {
        {"si", 1e5, 196.15},
        {"si", 1e6, 723.15},
        {"si", 8e7, 723.15},
        {"display,t=degF", 1.0, -106.6},
        {"display,t=degF", 10.0, 842.0},
        {"si-celsius", 1e6, 450.0},
        {"display,p=MPa", 80.0, 450.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.choice) + " " + std::to_string(c.t));
        CalcOptions o;
        ASSERT_TRUE(parse_units(c.choice, SI_UNITS, o.units));
        StateResult r;
        EXPECT_EQ(calculate_state(*find_arg_pair("p-t"), c.p, c.t, o, r), STATUS_VALID);
        EXPECT_EQ(r.values[FIELD_TEMPERATURE], c.t);
    }
}

// Refusals name their value and limit in the caller's temperature unit, with round limits.
TEST(Units, RefusalsSpeakTheCallersUnits) {
    struct Case {
        const char* choice;
        double p;
        double t;
        const char* text;
    };
    const Case cases[] = {
        {"si", 1e6, 800.0, "temperature 800 K is above 723.15 K"},
        {"si", 1e6, 150.0, "temperature 150 K is below 196.15 K"},
        {"display,t=degF", 10.0, 900.0, "temperature 900 °F is above 842 °F"},
        {"si-celsius", 1e6, 500.0, "temperature 500 °C is above 450 °C"},
    };
    for (const Case& c : cases) {
        CalcOptions o;
        ASSERT_TRUE(parse_units(c.choice, SI_UNITS, o.units));
        StateResult r;
        EXPECT_EQ(calculate_state(*find_arg_pair("p-t"), c.p, c.t, o, r), STATUS_OUTSIDE_DOMAIN);
        char text[200];
        describe_refusal(r, Language::english, text, sizeof text);
        EXPECT_STREQ(text, c.text);
    }
}

}  // namespace
}  // namespace zeltra5
