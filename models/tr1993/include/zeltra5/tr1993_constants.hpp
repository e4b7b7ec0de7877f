#pragma once
// The constants of the 1993 equation of state of ammonia: its parameters (gas constant, reducing
// values), its own critical point and the domain it is used in. Only the model's own sources (and
// tests of it) read them; everything else asks the model (Tr1993::CONSTANTS).

#include "zeltra5/fluid_state.hpp"

namespace zeltra5::tr1993 {

inline constexpr double GAS_CONSTANT = 488.2175023;  // specific gas constant R, J/(kg K)
inline constexpr double MOLAR_MASS = 0.01703026;     // kg/mol
inline constexpr double CRITICAL_TEMPERATURE_K = 405.4;
inline constexpr double CRITICAL_TEMPERATURE_C = 132.25;  // 405.4 K in degC: where the fits end
inline constexpr double CRITICAL_DENSITY = 225.0;
inline constexpr double INV_CRITICAL_DENSITY = 0.0044444444444444444;  // stored reciprocal of 225
inline constexpr double IDEAL_REDUCING_TEMPERATURE = 500.0;            // T_0 of the ideal-gas part
inline constexpr double IDEAL_REDUCING_DENSITY = 255.4539;  // rho_0, 15 mol/dm3 x 17.03026
inline constexpr double INV_IDEAL_REDUCING_DENSITY = 0.00391460063831478;  // stored reciprocal
// The equation's own critical point, where its phase equilibrium closes (the reducing
// constants above are the equation's parameters, not this point). Saturation is answered from
// the equilibrium up to SATURATION_LIMIT_MARGIN below it; above CRITICAL_PRESSURE the fluid is
// supercritical.
inline constexpr double EQUATION_CRITICAL_TEMPERATURE_K = 405.50016296737635;
inline constexpr double EQUATION_CRITICAL_TEMPERATURE_C =
    EQUATION_CRITICAL_TEMPERATURE_K - KELVIN_OFFSET;
inline constexpr double EQUATION_CRITICAL_DENSITY = 224.77750916414135;  // kg/m3
inline constexpr double SATURATION_LIMIT_MARGIN = 0.01;                  // K
inline constexpr double SATURATION_LIMIT_TEMPERATURE_C =
    EQUATION_CRITICAL_TEMPERATURE_C - SATURATION_LIMIT_MARGIN;
// The equilibrium pressure at SATURATION_LIMIT_TEMPERATURE_C (checked against the expansion by
// the tests).
inline constexpr double SATURATION_LIMIT_PRESSURE = 11357215.595425857;  // Pa
// Pressure limits used at the solver and range-check interfaces.
inline constexpr double CRITICAL_PRESSURE = 11359196.242759727;  // the equation's own
inline constexpr double MIN_PRESSURE = 6417.234425419756;        // saturation pressure at -77 degC
inline constexpr double MAX_PRESSURE = 84474590.24742904;
inline constexpr double MIN_TEMPERATURE = -77.0;  // degC
inline constexpr double MAX_TEMPERATURE = 450.0;  // degC
// The domain's edges hold under rounding: what a calculation at an edge lands beyond it by its
// own accuracy is inside. Temperatures to 1e-9 K (the caloric solvers meet their targets to
// about 5e-11 K; degC -> K -> degC loses up to 6e-14 K); pressures to the density solver's
// tolerance there (1e-9 Pa at the lowest, 1e-5 Pa at the highest pressure), to which a state
// found at a given pressure reproduces it. At the lowest edge the two bands meet on the
// saturation line: the lowest admitted pressure is the equilibrium pressure at the lowest admitted
// temperature (which the saturation at -77 degC less 1e-9 K answers; 4.8e-7 Pa below
// MIN_PRESSURE) less that tolerance, so that a saturated state at the lowest admitted
// temperature is admitted through its pressure, and one at the lowest admitted pressure has a
// temperature no lower than the lowest admitted (the equilibrium keeps its temperature there).
inline constexpr double EDGE_TEMPERATURE_MARGIN = 1e-9;  // K
inline constexpr double LOWEST_ADMITTED_TEMPERATURE = MIN_TEMPERATURE - EDGE_TEMPERATURE_MARGIN;
inline constexpr double HIGHEST_ADMITTED_TEMPERATURE = MAX_TEMPERATURE + EDGE_TEMPERATURE_MARGIN;
inline constexpr double LOWEST_ADMITTED_EQUILIBRIUM_PRESSURE = 6417.2344249426533;  // Pa
inline constexpr double LOWEST_ADMITTED_PRESSURE = LOWEST_ADMITTED_EQUILIBRIUM_PRESSURE - 1e-9;
inline constexpr double HIGHEST_ADMITTED_PRESSURE = MAX_PRESSURE + 1e-5;  // Pa

// Superheated liquid is sought only for saturation temperatures below this one, degC.
inline constexpr double SUPERHEAT_CEILING = 129.4;

}  // namespace zeltra5::tr1993
