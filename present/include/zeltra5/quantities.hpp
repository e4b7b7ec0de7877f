#pragma once
// Units, names and symbols of the result's fields and of the rows of the result table, for every
// interface (command line, C library, Python, the web page, the Windows program). Texts are UTF-8.

#include <cstddef>
#include <string_view>

#include "zeltra5/calc.hpp"
#include "zeltra5/format_shortest.hpp"
#include "zeltra5/units.hpp"

namespace zeltra5 {

// "ru" or "en".
bool parse_language(std::string_view name, Language& language);

// One numeric field of a result: its name in machine output (JSON keys, CSV columns, Python
// attributes), its short symbol, its unit and its row in the result table.
struct FieldInfo {
    const char* name;
    const char* symbol;
    UnitKind unit;
    int table_row;
};

// Every field in order (zeltra5/fields.inc): the record's nineteen (relative_enthalpy x,
// pressure p, temperature t, specific_enthalpy h, mass_density rho, specific_volume v,
// specific_internal_energy u, specific_entropy s, isobaric_heat_capacity cp,
// isochoric_heat_capacity cv, isentropic_coefficient kappa, thermal_conductivity lambda,
// kinematic_viscosity nu, dynamic_viscosity eta, prandtl_number pr, speed_of_sound w,
// surface_tension sigma, expansion_coefficient beta, latent_heat r), then the extended ones
// (table_row -1).
extern const FieldInfo RESULT_FIELDS[FIELD_COUNT];

// The field named `name` (machine name or symbol, exact) among the first `count`, or -1.
int find_field(std::string_view name, int count = FIELD_COUNT);
// ... among the record's nineteen.
int find_result_field(std::string_view name);

// Whether a field has a value for a state of this phase (fields.inc): the table leaves the cell
// blank and machine output writes null / NaN / an empty cell where this is false. For the
// nineteen: a mixture has no heat capacities to expansion coefficient, a supercritical fluid no
// relative enthalpy, only a liquid a surface tension, only a saturated state a latent heat.
bool field_defined(int phase, int phase_detail, int field);
// ... of the record's nineteen only (false for the extended fields).
bool result_field_defined(int phase, int phase_detail, int field);

// Rows of the result table: 0 the phase, then one row per field (table_row of FieldInfo).
inline constexpr int TABLE_ROW_COUNT = 20;
// The row's name, trimmed ("Давление", "Pressure"); empty outside 0 to 19.
std::string_view table_row_name(int row, Language language);
// The field a row shows, or -1 for row 0.
int table_row_field(int row);

// The phase state of a (phase, phase_detail) pair as an index into the ZELTRA5_PHASE texts of
// "zeltra5/texts.inc", or -1 for a pair that names none.
int phase_state_index(int phase, int phase_detail);

// The name of a phase state, trimmed ("Перегретый пар", "Superheated vapour"); empty for a pair
// that names none.
std::string_view phase_state_text(int phase, int phase_detail, Language language);

}  // namespace zeltra5
