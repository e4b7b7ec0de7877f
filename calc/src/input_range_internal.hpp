#pragma once
// The front end's parts shared by its files, templates over the model and instantiated for each
// (ZELTRA5_FOR_EACH_MODEL): the range check with the saturation at the request's pressure
// supplied, so that the front end forms it once per request for the check, the solver and the
// result; the domain's pressure edges; the calculation of the modes 0 to 8.

#include "zeltra5/calc.hpp"
#include "zeltra5/solvers.hpp"

namespace zeltra5 {

// As check_input_range; `saturation_at_first` (may be null) is the saturation at first_value,
// used by the pressure modes 0 and 4 to 7 when that pressure does not exceed the critical one.
// `why` (may be null) receives the reason of a refusal.
template <class M>
int check_input_range_with(const double& first_value, const int& mode, const double& second_value,
                           const PressureSaturation* saturation_at_first, Refusal* why);

// A (T, rho) state's own pressure reproduces that of the state at a given pressure it was taken
// from only to the solvers' tolerance: the density solver's 1e-9 Pa at the lowest pressure, the
// (P, rho) polish's 1e-4 Pa at the highest (a stiff liquid there moves 4e6 Pa per kg/m3). A
// (T, rho) state within that of the admitted pressures is inside, and shown at the admitted
// pressure it lies beyond (pressure_inside_domain), where the pressure pairs take it back.
inline constexpr double LOW_EDGE_PRESSURE_TOLERANCE = 1e-9;   // Pa
inline constexpr double HIGH_EDGE_PRESSURE_TOLERANCE = 1e-4;  // Pa
template <class M>
double pressure_inside_domain(const double& p);

// Whether the (t, rho) state's own pressure p lies within the admitted pressures as far as it can
// reproduce a pressure it was found at: LOW_EDGE_PRESSURE_TOLERANCE, or below the lowest, the
// step of the pressure from one double of density to the next, twice (a liquid at -77 degC moves
// 3.4e-6 Pa per double: the density the solver found at the lowest pressure gives it back only to
// that, 1.4e-7 Pa below it).
template <class M>
bool pressure_admitted_for_state(const double& t, const double& rho, const double& p);

// calculate_properties_with_reason for the model M.
template <class M>
int calculate_properties_for(const CalcRequest& request, PropertyResult& result, Refusal& why);

}  // namespace zeltra5
