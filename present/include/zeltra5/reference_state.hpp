#pragma once
// Reference states of enthalpy and entropy. The program's own puts h = s = 0 for the saturated
// liquid at the triple point; tables on other conventions differ from it by constants, which
// shift h, u and s of every state alike and leave every difference and every other property as
// it is. The constants are this program's own saturated liquid at the defining state.

#include <string_view>

#include "zeltra5/calc.hpp"

namespace zeltra5 {

enum class ReferenceState : int {
    program = 0,  // "default": h = s = 0 for the saturated liquid at the triple point
    iir = 1,      // h = 200 kJ/kg, s = 1 kJ/(kg K) for the saturated liquid at 0 degC
    ashrae = 2,   // h = s = 0 for the saturated liquid at -40 degC
    nbp = 3,      // h = s = 0 for the saturated liquid at the normal boiling point, 101325 Pa
};

// "default", "iir", "ashrae", "nbp".
bool parse_reference_state(std::string_view name, ReferenceState& reference);
const char* reference_state_name(ReferenceState reference);

// What a reference adds to h and u (J/kg) and to s (J/(kg K)) of the program's values.
struct ReferenceOffset {
    double enthalpy;
    double entropy;
};
ReferenceOffset reference_offset(ReferenceState reference);

// What `reference` adds to a result field (an index of RESULT_VALUE_NAMES): the enthalpy offset
// to h and u, the entropy offset to s, 0 to every other field.
double reference_shift(ReferenceState reference, int field);

// The program's result on `reference`: h, u and s shifted.
void shift_result_to_reference(PropertyResult& result, ReferenceState reference);

// A request whose h, u or s (modes 4, 5, 6) is given on `reference`, on the program's own.
void shift_request_from_reference(CalcRequest& request, ReferenceState reference);

}  // namespace zeltra5
