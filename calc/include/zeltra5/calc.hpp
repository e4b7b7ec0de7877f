#pragma once
// The calculation front end: one request in SI units -> one result record and a status.

#include <cstdint>

#include "zeltra5/solvers.hpp"

namespace zeltra5 {

// Argument pairs.
enum ArgMode : std::int32_t {
    MODE_PRESSURE_QUALITY = 0,        // P [Pa], x
    MODE_SATURATION_PRESSURE = 1,     // P [Pa]
    MODE_SATURATION_TEMPERATURE = 2,  // t [degC]
    MODE_PRESSURE_TEMPERATURE = 3,    // P [Pa], t [degC]
    MODE_PRESSURE_ENTHALPY = 4,       // P [Pa], h [J/kg]
    MODE_PRESSURE_ENERGY = 5,         // P [Pa], u [J/kg]
    MODE_PRESSURE_ENTROPY = 6,        // P [Pa], s [J/(kg K)]
    MODE_PRESSURE_DENSITY = 7,        // P [Pa], rho [kg/m3]
    MODE_TEMPERATURE_DENSITY = 8,     // t [degC], rho [kg/m3]
    // The pairs the Windows program does not offer (calculate_request only).
    MODE_TEMPERATURE_QUALITY = 9,    // t [degC], x
    MODE_TEMPERATURE_ENTHALPY = 10,  // t [degC], h [J/kg]
    MODE_TEMPERATURE_ENTROPY = 11,   // t [degC], s [J/(kg K)]
    MODE_TEMPERATURE_ENERGY = 12,    // t [degC], u [J/kg]
    MODE_DENSITY_ENTHALPY = 13,      // rho [kg/m3], h [J/kg]
    MODE_DENSITY_ENTROPY = 14,       // rho [kg/m3], s [J/(kg K)]
    MODE_DENSITY_ENERGY = 15,        // rho [kg/m3], u [J/kg]
    MODE_ENTHALPY_ENTROPY = 16,      // h [J/kg], s [J/(kg K)]
};
inline constexpr int LAST_PROGRAM_MODE = MODE_TEMPERATURE_DENSITY;
inline constexpr int LAST_MODE = MODE_ENTHALPY_ENTROPY;

enum SaturationSide : std::int32_t {
    SIDE_NONE = 0,
    SIDE_LIQUID = 1,
    SIDE_VAPOUR = 2,
};

struct CalcRequest {
    std::int32_t mode;
    std::int32_t side;
    double first_value;
    double second_value;
};

struct PropertyResult {
    double relative_enthalpy;         // quality, or (h - h')/(h'' - h') for one phase
    double pressure;                  // Pa
    double temperature;               // degC
    double specific_enthalpy;         // J/kg
    double mass_density;              // kg/m3
    double specific_volume;           // m3/kg
    double specific_internal_energy;  // J/kg
    double specific_entropy;          // J/(kg K)
    double isobaric_heat_capacity;    // J/(kg K)
    double isochoric_heat_capacity;   // J/(kg K)
    double isentropic_coefficient;    // rho w^2 / p
    double thermal_conductivity;      // W/(m K)
    double kinematic_viscosity;       // m2/s
    double dynamic_viscosity;         // Pa s
    double prandtl_number;
    double speed_of_sound;         // m/s
    double surface_tension;        // N/m
    double expansion_coefficient;  // 1/K
    double latent_heat;            // J/kg
    std::int32_t phase;            // PhaseRegion
    std::int32_t phase_detail;     // -1 subcooled, 0 saturated, 1 superheated, 3 supercritical
};

// Where a field is defined (fields.inc): in the two-phase mixture, the liquid, the vapour, the
// supercritical fluid; DEFINED_SATURATED_ONLY restricts the single phases to their saturated
// states.
enum FieldPhases : unsigned {
    DEFINED_MIXTURE = 1U,
    DEFINED_LIQUID = 2U,
    DEFINED_VAPOUR = 4U,
    DEFINED_SUPERCRITICAL = 8U,
    DEFINED_SATURATED_ONLY = 16U,
    DEFINED_ALL = DEFINED_MIXTURE | DEFINED_LIQUID | DEFINED_VAPOUR | DEFINED_SUPERCRITICAL,
    DEFINED_SUBCRITICAL = DEFINED_MIXTURE | DEFINED_LIQUID | DEFINED_VAPOUR,
    DEFINED_SINGLE_PHASE = DEFINED_LIQUID | DEFINED_VAPOUR | DEFINED_SUPERCRITICAL,
    DEFINED_SATURATION = DEFINED_SUBCRITICAL | DEFINED_SATURATED_ONLY,
};

// The numeric fields of a result (zeltra5/fields.inc), in order: the nineteen of the record,
// then the extended fields computed on request. For code that checks, prints or compares every
// field.
enum ResultFieldIndex : int {
#define ZELTRA5_FIELD(id, name, symbol, unit, row, phases) FIELD_##id,
#include "zeltra5/fields.inc"
#undef ZELTRA5_FIELD
    FIELD_COUNT
};
// The record's fields (PropertyResult, version 1 of the C interface).
inline constexpr int RESULT_VALUE_COUNT = 19;
static_assert(FIELD_COMPRESSIBILITY_FACTOR == RESULT_VALUE_COUNT);
// The fields after the record's.
inline constexpr int EXTENDED_FIELD_COUNT = FIELD_COUNT - RESULT_VALUE_COUNT;

// Every field's machine name; the first RESULT_VALUE_COUNT are RESULT_VALUE_NAMES.
inline constexpr const char* FIELD_MACHINE_NAMES[FIELD_COUNT] = {
#define ZELTRA5_FIELD(id, name, symbol, unit, row, phases) name,
#include "zeltra5/fields.inc"
#undef ZELTRA5_FIELD
};
inline constexpr const char* const* RESULT_VALUE_NAMES = FIELD_MACHINE_NAMES;

// Where each field is defined (FieldPhases).
inline constexpr unsigned FIELD_PHASES[FIELD_COUNT] = {
#define ZELTRA5_FIELD(id, name, symbol, unit, row, phases) phases,
#include "zeltra5/fields.inc"
#undef ZELTRA5_FIELD
};

struct ResultValues {
    double value[RESULT_VALUE_COUNT];
};

inline ResultValues result_values(const PropertyResult& r) {
    return {{r.relative_enthalpy, r.pressure, r.temperature, r.specific_enthalpy, r.mass_density,
             r.specific_volume, r.specific_internal_energy, r.specific_entropy,
             r.isobaric_heat_capacity, r.isochoric_heat_capacity, r.isentropic_coefficient,
             r.thermal_conductivity, r.kinematic_viscosity, r.dynamic_viscosity, r.prandtl_number,
             r.speed_of_sound, r.surface_tension, r.expansion_coefficient, r.latent_heat}};
}

// Why a request was refused: the rule it broke, the value that broke it and the limit, so that
// every interface can say "temperature 500 degC is above 450 degC" instead of only "outside".
enum class RefusalReason : std::int32_t {
    none = 0,
    bad_request,      // mode outside 0 to 8 (0 to 16 for calculate_request), or a saturation
                      // side outside 0 to 2
    not_finite,       // input `input` is NaN or infinite
    below_minimum,    // `value` (input `input`, or the state's own when -1) is below `limit`
    above_maximum,    // ... above `limit`
    below_band,       // `value` is below `limit`, its value in the state at (edge_pressure,
                      // edge_temperature) that bounds the domain at the given pressure or
                      // temperature
    above_band,       // ... above it
    no_two_phase,     // quality given at or above the critical pressure `limit`
    superheat_limit,  // a liquid at `value` degC beyond its superheat limit `limit` at
                      // edge_pressure
    unstable_state,   // the only state found is mechanically unstable (near the critical point)
    not_reproduced,   // no state found reproduces the given values
    not_superheated_liquid,  // with the superheat option, a (T, rho) state that is no superheated
                             // liquid at its own pressure
    option_not_applicable,   // the superheat option asked of a saturation pair
    melting_line,  // the pressure `value` is above the melting pressure `limit` at the state's
                   // temperature edge_temperature: the state would be solid
};

struct Refusal {
    RefusalReason reason = RefusalReason::none;
    std::int32_t input = -1;  // 0 the first value, 1 the second, -1 a value of the state found
    std::int32_t field = -1;  // what `value` and `limit` are: an index of RESULT_VALUE_NAMES
    double value = 0.0;       // SI units, temperatures in degC
    double limit = 0.0;
    double edge_pressure = 0.0;     // Pa
    double edge_temperature = 0.0;  // degC
};

// 0 inside the domain, 1 outside. Values in the front end's units.
int check_input_range(const double& first_value, const int& mode, const double& second_value);

// 0: `result` holds a valid state. 1: outside the domain (the record must not be shown).
int calculate_properties(const CalcRequest& request, PropertyResult& result);

// The same calculation; after a 1 `why` says what was refused (left alone after a 0). Costs
// nothing more when the request is valid.
int calculate_properties_with_reason(const CalcRequest& request, PropertyResult& result,
                                     Refusal& why);

// As calculate_properties_with_reason, for every mode: also the pairs 9 to 16 that the Windows
// program does not offer. In those a field that is a given value holds it bit for bit.
int calculate_request(const CalcRequest& request, PropertyResult& result, Refusal& why);

// The same for the model `model`, an index of MODELS (zeltra5/models.hpp): 0 is the default model
// the functions above answer for. Another index is refused as a bad request.
int calculate_request(int model, const CalcRequest& request, PropertyResult& result, Refusal& why);

// The extended fields of a valid record, SI on the program's reference (value[k] is field
// RESULT_VALUE_COUNT + k), NaN where a field is not defined for the record's phase or cannot be
// formed. Costs one evaluation of the equation at the record's state (the saturated pair for a
// mixture or a saturated state).
struct ExtendedValues {
    double value[EXTENDED_FIELD_COUNT];
};
void calculate_extended_fields(const PropertyResult& record, ExtendedValues& out);
// The same for a record of the model `model` (an index of MODELS); every field NaN for another
// index.
void calculate_extended_fields(int model, const PropertyResult& record, ExtendedValues& out);

// calculate_request(model, ...) and then calculate_extended_fields(model, ...) of its record in one
// call, each bit for bit what the two give (`extended` all NaN when the request is refused): the
// extended fields are formed from the calculation's own state, without evaluating it again.
int calculate_request(int model, const CalcRequest& request, PropertyResult& result,
                      ExtendedValues& extended, Refusal& why);

}  // namespace zeltra5
