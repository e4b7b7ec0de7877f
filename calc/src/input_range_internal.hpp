#pragma once
// The range check with the saturation at the request's pressure supplied, so that the front end
// forms it once per request for the check, the solver and the result.

#include "zeltra5/calc.hpp"
#include "zeltra5/solvers.hpp"

namespace zeltra5 {

// As check_input_range; `saturation_at_first` (may be null) is the saturation at first_value,
// used by the pressure modes 0 and 4 to 7 when that pressure does not exceed the critical one.
// `why` (may be null) receives the reason of a refusal.
int check_input_range_with(const double& first_value, const int& mode, const double& second_value,
                           const PressureSaturation* saturation_at_first, Refusal* why);

}  // namespace zeltra5
