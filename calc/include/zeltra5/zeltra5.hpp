#pragma once
// Everything a program needs to calculate ammonia properties with this library:
// - calculate_properties (CalcRequest -> PropertyResult) and check_input_range;
// - format_result_table (PropertyResult -> ResultTable of 20 rows, Windows-1251 text);
// - evaluate_state, FluidState and its property operations (state_pressure, state_enthalpy, ...);
// - the saturation operations and the state solvers of every argument pair;
// - the transport and surface properties of a state;
// - the models behind the seam of zeltra5/model.hpp (zeltra5/models.hpp), the 1993 equation's
//   functions among them.
// Temperatures cross these interfaces in degC, everything else in SI units.

#include "zeltra5/calc.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/result_table.hpp"
#include "zeltra5/solvers.hpp"
