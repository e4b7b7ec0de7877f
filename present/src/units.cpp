// The registry of units and the conversions to and from the base units.

#include "zeltra5/units.hpp"

#include <cstring>

#include "zeltra5/blanks.hpp"
#include "zeltra5/bounded_text.hpp"
#include "zeltra5/decimal_rounding.hpp"
#include "zeltra5/fluid_state.hpp"

namespace zeltra5 {
namespace {

constexpr double PASCAL_PER_BAR = 100000.0;
constexpr double BAR_PER_PASCAL = 1e-05;
constexpr double THOUSAND = 1000.0;
constexpr double THOUSANDTH = 0.001;
constexpr double MILLION = 1e6;
constexpr double MILLIONTH = 1e-6;
// 1 lbf/in² = 4.4482216152605 N / (0.0254 m)² exactly.
constexpr double PASCAL_PER_PSI = 4.4482216152605 / (0.0254 * 0.0254);
// Temperatures convert so that round values stay round. To °C: a subtraction (or (5 t - 160) / 9
// from Fahrenheit) without the last place's noise, so that 196.15 K, the lowest temperature, is
// -77 °C and not -77.00000000000003 °C, which would lie outside the domain. From °C: through
// hundredths of a kelvin, 273.15 K being 27315 / 100, so that -77 °C is 196.15 K and not
// 196.14999999999998 K, and through (9 t + 160) / 5 to Fahrenheit, exact in integers.
constexpr double KELVIN_AT_ZERO_CELSIUS = KELVIN_OFFSET;
constexpr double HUNDREDTHS_PER_KELVIN = 100.0;
constexpr double KELVIN_AT_ZERO_CELSIUS_HUNDREDTHS = 27315.0;
static_assert(KELVIN_AT_ZERO_CELSIUS_HUNDREDTHS / HUNDREDTHS_PER_KELVIN == KELVIN_AT_ZERO_CELSIUS);
constexpr double FAHRENHEIT_NINTHS_PER_KELVIN = 9.0;
constexpr double FAHRENHEIT_FIFTHS_PER_KELVIN = 5.0;
constexpr double FAHRENHEIT_AT_ZERO_CELSIUS_FIFTHS = 160.0;

struct UnitInfo {
    UnitKind kind;
    const char* name;
    const char* text[2];  // [language]
};

constexpr UnitInfo UNITS[] = {
#define ZELTRA5_UNIT_CHOICE(id, kind, name, ru, en) {UnitKind::kind, name, {ru, en}},
#include "zeltra5/texts.inc"
#undef ZELTRA5_UNIT_CHOICE
};
static_assert(sizeof(UNITS) / sizeof(UNITS[0]) == UNIT_COUNT);

struct FixedUnitTexts {
    UnitKind kind;
    const char* text[2][2];  // [language][display]
};

constexpr FixedUnitTexts FIXED_UNIT_TEXTS[] = {
#define ZELTRA5_UNIT(kind, ru_si, ru_display, en_si, en_display) \
    {UnitKind::kind, {{ru_si, ru_display}, {en_si, en_display}}},
#include "zeltra5/texts.inc"
#undef ZELTRA5_UNIT
};

struct PressureDerivedTexts {
    Unit pressure;
    UnitKind kind;
    const char* text[2][2];  // [fahrenheit][language]
};

constexpr PressureDerivedTexts PRESSURE_DERIVED_TEXTS[] = {
#define ZELTRA5_PRESSURE_DERIVED(unit, kind, ru, en, ru_f, en_f) \
    {Unit::unit, UnitKind::kind, {{ru, en}, {ru_f, en_f}}},
#include "zeltra5/texts.inc"
#undef ZELTRA5_PRESSURE_DERIVED
};

bool pressure_derived(const UnitKind kind) {
    return kind == UnitKind::temperature_per_pressure ||
           kind == UnitKind::pressure_per_temperature || kind == UnitKind::per_pressure ||
           kind == UnitKind::pressure_per_density;
}

struct SystemInfo {
    const char* name;
    Units units;
};

constexpr SystemInfo SYSTEMS[] = {
    {"si", SI_UNITS},
    {"si-celsius", SI_CELSIUS_UNITS},
    {"display", DISPLAY_UNITS},
};

// Other spellings of the unit names: the typographic ones of the texts and common ASCII forms.
struct Alias {
    const char* name;
    Unit unit;
};
constexpr Alias ALIASES[] = {
    {"°C", Unit::celsius},
    {"C", Unit::celsius},
    {"°F", Unit::fahrenheit},
    {"F", Unit::fahrenheit},
    {"J/(kg·K)", Unit::joule_per_kg_kelvin},
    {"J/(kg K)", Unit::joule_per_kg_kelvin},
    {"J/kg/K", Unit::joule_per_kg_kelvin},
    {"kJ/(kg·K)", Unit::kilojoule_per_kg_kelvin},
    {"kJ/(kg K)", Unit::kilojoule_per_kg_kelvin},
    {"kJ/kg/K", Unit::kilojoule_per_kg_kelvin},
    {"kJ/(kg·°C)", Unit::kilojoule_per_kg_celsius},
    {"kJ/(kg degC)", Unit::kilojoule_per_kg_celsius},
};

// The quantities with a choice of unit: their keys and where Units keeps their unit.
struct Quantity {
    UnitKind kind;
    const char* key;
    const char* long_key;
    Unit Units::*unit;
};
constexpr Quantity QUANTITIES[] = {
    {UnitKind::pressure, "p", "pressure", &Units::pressure},
    {UnitKind::temperature, "t", "temperature", &Units::temperature},
    {UnitKind::specific_energy, "h", "energy", &Units::energy},
    {UnitKind::specific_entropy, "s", "entropy", &Units::entropy},
};

const Quantity* quantity_of(const UnitKind kind) {
    for (const Quantity& q : QUANTITIES) {
        if (q.kind == kind) {
            return &q;
        }
    }
    return nullptr;
}

bool find_unit(const std::string_view name, const UnitKind kind, Unit& unit) {
    for (int k = 0; k < UNIT_COUNT; ++k) {
        if (UNITS[k].kind == kind && name == UNITS[k].name) {
            unit = static_cast<Unit>(k);
            return true;
        }
    }
    for (const Alias& a : ALIASES) {
        if (UNITS[static_cast<int>(a.unit)].kind == kind && name == a.name) {
            unit = a.unit;
            return true;
        }
    }
    return false;
}

bool parse_item(const std::string_view item, Units& units, unsigned& seen) {
    const std::size_t eq = item.find('=');
    if (eq == std::string_view::npos) {
        return false;
    }
    const std::string_view key = trim_blanks(item.substr(0, eq));
    const std::string_view name = trim_blanks(item.substr(eq + 1));
    for (int q = 0; q < static_cast<int>(sizeof(QUANTITIES) / sizeof(QUANTITIES[0])); ++q) {
        const Quantity& quantity = QUANTITIES[q];
        if (key != quantity.key && key != quantity.long_key) {
            continue;
        }
        const unsigned bit = 1U << q;
        Unit unit{};
        if ((seen & bit) != 0 || !find_unit(name, quantity.kind, unit)) {
            return false;
        }
        seen |= bit;
        units.*quantity.unit = unit;
        return true;
    }
    return false;
}

}  // namespace

UnitKind unit_kind(const Unit unit) {
    return UNITS[static_cast<int>(unit)].kind;
}

const char* unit_name(const Unit unit) {
    return UNITS[static_cast<int>(unit)].name;
}

Units system_units(const UnitSystem system) {
    for (const SystemInfo& s : SYSTEMS) {
        if (s.units.system == system) {
            return s.units;
        }
    }
    return SYSTEMS[0].units;
}

bool parse_units(const std::string_view choice, const Units& defaults, Units& units) {
    Units out = defaults;
    unsigned seen = 0;
    std::string_view rest = choice;
    bool first = true;
    for (;;) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = trim_blanks(rest.substr(0, comma));
        bool system = false;
        if (first) {
            for (const SystemInfo& s : SYSTEMS) {
                if (item == s.name) {
                    out = s.units;
                    system = true;
                }
            }
        }
        if (!system && !parse_item(item, out, seen)) {
            return false;
        }
        first = false;
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    units = out;
    return true;
}

std::string_view units_choices() {
    return "si, si-celsius or display, then p=Pa|kPa|MPa|bar|psi, t=K|degC|degF, h=J/kg|kJ/kg, "
           "s=J/(kg*K)|kJ/(kg*K)|kJ/(kg*degC), separated by commas (\"si,p=kPa\", \"t=K\")";
}

UnitsName units_name(const Units& units) {
    UnitsName name{};
    BoundedText t(name.text, sizeof name.text);
    const Units base = system_units(units.system);
    for (const SystemInfo& s : SYSTEMS) {
        if (s.units.system == units.system) {
            t << s.name;
        }
    }
    for (const Quantity& q : QUANTITIES) {
        if (units.*q.unit != base.*q.unit) {
            t << "," << q.key << "=" << UNITS[static_cast<int>(units.*q.unit)].name;
        }
    }
    return name;
}

namespace {

// A value of a derived kind from the base units (from_base) or to them: the pressure part
// scaled as a pressure, the temperature difference as one.
double convert_derived(const UnitKind kind, const Units& units, const double value,
                       const bool out) {
    // Pascals per shown pressure unit, kelvin per shown temperature degree.
    const double pascals = to_base(UnitKind::pressure, units, 1.0);
    const double kelvins = temperature_difference_to_base(units, 1.0);
    double per_shown = 1.0;  // base units in one shown unit
    switch (kind) {
        case UnitKind::temperature_per_pressure:
            per_shown = kelvins / pascals;
            break;
        case UnitKind::pressure_per_temperature:
            per_shown = pascals / kelvins;
            break;
        case UnitKind::per_pressure:
            per_shown = 1.0 / pascals;
            break;
        case UnitKind::pressure_per_density:
            per_shown = pascals;
            break;
        default:
            break;
    }
    return out ? value / per_shown : value * per_shown;
}

}  // namespace

double to_base(const UnitKind kind, const Units& units, const double value) {
    if (pressure_derived(kind)) {
        return convert_derived(kind, units, value, false);
    }
    const Quantity* q = quantity_of(kind);
    if (q == nullptr) {
        return value;
    }
    switch (units.*q->unit) {
        case Unit::kilopascal:
        case Unit::kilojoule_per_kg:
        case Unit::kilojoule_per_kg_kelvin:
        case Unit::kilojoule_per_kg_celsius:
            return value * THOUSAND;
        case Unit::megapascal:
            return value * MILLION;
        case Unit::bar:
            return value * PASCAL_PER_BAR;
        case Unit::psi:
            return value * PASCAL_PER_PSI;
        case Unit::kelvin:
            return without_last_place_noise(value - KELVIN_AT_ZERO_CELSIUS);
        case Unit::fahrenheit:
            return without_last_place_noise(
                (value * FAHRENHEIT_FIFTHS_PER_KELVIN - FAHRENHEIT_AT_ZERO_CELSIUS_FIFTHS) /
                FAHRENHEIT_NINTHS_PER_KELVIN);
        default:
            return value;
    }
}

double from_base(const UnitKind kind, const Units& units, const double value) {
    if (pressure_derived(kind)) {
        return convert_derived(kind, units, value, true);
    }
    const Quantity* q = quantity_of(kind);
    if (q == nullptr) {
        return value;
    }
    switch (units.*q->unit) {
        case Unit::kilopascal:
        case Unit::kilojoule_per_kg:
        case Unit::kilojoule_per_kg_kelvin:
        case Unit::kilojoule_per_kg_celsius:
            return value * THOUSANDTH;
        case Unit::megapascal:
            return value * MILLIONTH;
        case Unit::bar:
            return value * BAR_PER_PASCAL;
        case Unit::psi:
            return value / PASCAL_PER_PSI;
        case Unit::kelvin:
            return (value * HUNDREDTHS_PER_KELVIN + KELVIN_AT_ZERO_CELSIUS_HUNDREDTHS) /
                   HUNDREDTHS_PER_KELVIN;
        case Unit::fahrenheit:
            return (value * FAHRENHEIT_NINTHS_PER_KELVIN + FAHRENHEIT_AT_ZERO_CELSIUS_FIFTHS) /
                   FAHRENHEIT_FIFTHS_PER_KELVIN;
        default:
            return value;
    }
}

bool chosen_unit(const UnitKind kind, const Units& units, Unit& unit) {
    const Quantity* q = quantity_of(kind);
    if (q != nullptr) {
        unit = units.*q->unit;
    }
    return q != nullptr;
}

double temperature_difference_to_base(const Units& units, const double difference) {
    return units.temperature == Unit::fahrenheit
               ? difference * FAHRENHEIT_FIFTHS_PER_KELVIN / FAHRENHEIT_NINTHS_PER_KELVIN
               : difference;
}

double temperature_difference_from_base(const Units& units, const double difference) {
    return units.temperature == Unit::fahrenheit
               ? difference * FAHRENHEIT_NINTHS_PER_KELVIN / FAHRENHEIT_FIFTHS_PER_KELVIN
               : difference;
}

std::string_view temperature_difference_text(const Units& units, const Language language) {
    if (units.temperature == Unit::fahrenheit) {
        return unit_text(UnitKind::temperature, units, language);
    }
    return unit_text(UnitKind::temperature, SI_UNITS, language);
}

std::string_view unit_text(const UnitKind kind, const Units& units, const Language language) {
    const int l = language == Language::english ? 1 : 0;
    if (const Quantity* q = quantity_of(kind)) {
        return trim_blanks(UNITS[static_cast<int>(units.*q->unit)].text[l]);
    }
    if (pressure_derived(kind)) {
        const int f = units.temperature == Unit::fahrenheit ? 1 : 0;
        for (const PressureDerivedTexts& d : PRESSURE_DERIVED_TEXTS) {
            if (d.kind == kind && d.pressure == units.pressure) {
                return trim_blanks(d.text[f][l]);
            }
        }
        return "";
    }
    for (const FixedUnitTexts& f : FIXED_UNIT_TEXTS) {
        if (f.kind == kind) {
            return trim_blanks(f.text[l][units.system == UnitSystem::display ? 1 : 0]);
        }
    }
    return "";
}

}  // namespace zeltra5
