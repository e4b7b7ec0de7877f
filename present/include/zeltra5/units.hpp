#pragma once
// Units: the one registry of the units every interface takes and shows values in.
//
// The calculation works in its base units: Pa, °C, J/kg, J/(kg·K), kg/m³, ... A request names
// its units as a unit system and, optionally, a unit for each of four quantities:
//   si          Pa, K, J/kg, J/(kg·K), kg/m³, ...
//   si-celsius  as si with temperatures in °C (what "si" meant up to version 1.2)
//   display     the Windows program's bar, °C, kJ/kg, kJ/(kg·°C); every other quantity as in si
// and a choice such as "p=kPa,t=K" or "display,t=K": pressure p (Pa, kPa, MPa, bar, psi),
// temperature t (K, degC, degF), energy per mass h (J/kg, kJ/kg; also u and the latent heat) and
// entropy per mass s (J/(kg*K), kJ/(kg*K); also cp and cv). Temperature differences (the
// expansion coefficient, heat capacities) stay per kelvin whatever the temperature unit; the
// derived units of the extended fields (K/bar, bar/K, 1/bar, bar/(kg/m3)) follow the pressure
// unit and take temperature differences in °F-degrees when temperatures are in °F.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zeltra5 {

enum class Language : int { russian = 0, english = 1 };

enum class UnitKind : int {
    none,
    pressure,
    temperature,
    specific_energy,
    specific_entropy,
    density,
    specific_volume,
    conductivity,
    kinematic_viscosity,
    dynamic_viscosity,
    speed,
    surface_tension,
    expansion,
    // Derived from the chosen pressure unit and the temperature difference (K, or °F-degrees
    // when temperatures are in °F): the extended fields' units.
    temperature_per_pressure,  // K/Pa, K/bar, °F/psi, ...
    pressure_per_temperature,  // Pa/K, bar/K, psi/°F, ...
    per_pressure,              // 1/Pa, 1/bar, ...
    pressure_per_density,      // Pa/(kg/m3), bar/(kg/m3), ...
    specific_volume_squared,   // m6/kg2
};

enum class UnitSystem : std::uint8_t { si, si_celsius, display };

// The units a pressure, a temperature, an energy or an entropy per mass can be in.
enum class Unit : std::uint8_t {
#define ZELTRA5_UNIT_CHOICE(id, kind, name, ru, en) id,
#include "zeltra5/texts.inc"
#undef ZELTRA5_UNIT_CHOICE
};

inline constexpr int UNIT_COUNT = 0
#define ZELTRA5_UNIT_CHOICE(id, kind, name, ru, en) +1
#include "zeltra5/texts.inc"
#undef ZELTRA5_UNIT_CHOICE
    ;

// The registry's entries: the quantity a unit measures and its name in a choice ("kPa").
UnitKind unit_kind(Unit unit);
const char* unit_name(Unit unit);

struct Units {
    UnitSystem system = UnitSystem::si;  // the texts of the other quantities (°C or K per ...)
    Unit pressure = Unit::pascal;
    Unit temperature = Unit::kelvin;
    Unit energy = Unit::joule_per_kg;
    Unit entropy = Unit::joule_per_kg_kelvin;

    friend bool operator==(const Units&, const Units&) = default;
};

inline constexpr Units SI_UNITS{};
inline constexpr Units SI_CELSIUS_UNITS{UnitSystem::si_celsius, Unit::pascal, Unit::celsius,
                                        Unit::joule_per_kg, Unit::joule_per_kg_kelvin};
inline constexpr Units DISPLAY_UNITS{UnitSystem::display, Unit::bar, Unit::celsius,
                                     Unit::kilojoule_per_kg, Unit::kilojoule_per_kg_celsius};

// The units of a system with no choice of its own.
Units system_units(UnitSystem system);

// The units of a choice: items separated by ',' (blanks around them allowed): first, optionally,
// a system name; then key=unit items, each key at most once, with the keys p, t, h, s (or
// pressure, temperature, energy, entropy) and the unit names of the registry ("kPa", "K",
// "degC" or "°C", "kJ/kg", "kJ/(kg*K)" or "kJ/(kg·K)"). What the choice does not name stays as in
// `defaults`. Answers false for anything else and leaves `units` unchanged.
bool parse_units(std::string_view choice, const Units& defaults, Units& units);

// What a choice may contain, for messages: "si, si-celsius or display, then p=Pa|kPa|...".
std::string_view units_choices();

// The choice naming `units`: the system's name, then the items where they differ from it
// ("si", "display", "si,p=kPa,t=degC"). parse_units reads it back to the same units.
inline constexpr std::size_t UNITS_NAME_MAX = 64;
struct UnitsName {
    char text[UNITS_NAME_MAX + 1];
    const char* c_str() const { return text; }
    operator std::string_view() const { return text; }
};
UnitsName units_name(const Units& units);

// The unit `units` gives a kind with a choice (pressure, temperature, energy, entropy per mass);
// false for the other kinds.
bool chosen_unit(UnitKind kind, const Units& units, Unit& unit);

// A value in `units` to the base units, and back; a no-op for every other kind. Bar and kJ
// convert exactly as the Windows program converts: bar x 100000 in, Pa x 1e-05 out.
double to_base(UnitKind kind, const Units& units, double value);
double from_base(UnitKind kind, const Units& units, double value);

// A temperature difference (superheat, subcooling) in `units` to kelvin, and back: degrees
// Fahrenheit are 1/1.8 K, kelvin and degrees Celsius the same.
double temperature_difference_to_base(const Units& units, double difference);
double temperature_difference_from_base(const Units& units, double difference);

// The unit of a temperature difference (superheat, subcooling): "K", or "°F" in Fahrenheit.
std::string_view temperature_difference_text(const Units& units, Language language);

// The unit's text, trimmed ("bar", "kJ/kg", "кДж / кг", "K"); empty for a dimensionless quantity.
std::string_view unit_text(UnitKind kind, const Units& units, Language language);

}  // namespace zeltra5
