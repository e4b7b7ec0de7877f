#pragma once
// Reference states of enthalpy and entropy. The program's own puts h = s = 0 for the saturated
// liquid at the triple point; tables on other conventions differ from it by constants, which
// shift h, u and s of every state alike and leave every difference and every other property as
// it is. The constants are each model's own saturated liquid at the defining state, so that a
// reference state means the same on every model (the models differ in everything else).

#include <cstddef>
#include <string>
#include <string_view>

#include "zeltra5/calc.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {

enum class ReferenceState : int {
    program = 0,  // "default": h = s = 0 for the saturated liquid at the triple point
    iir = 1,      // h = 200 kJ/kg, s = 1 kJ/(kg K) for the saturated liquid at 0 degC
    ashrae = 2,   // h = s = 0 for the saturated liquid at -40 degC
    nbp = 3,      // h = s = 0 for the saturated liquid at the normal boiling point, 101325 Pa
};

// A reference state by its name on every interface and its definition, the one text each
// surface shows or is checked against.
struct ReferenceStateInfo {
    ReferenceState reference;
    const char* name;
    const char* definition;  // UTF-8, as the README's table says it
    const char* brief;       // the command line's help after the name, read in the list
};

inline constexpr int REFERENCE_STATE_COUNT = 4;
// In the order of ReferenceState.
extern const ReferenceStateInfo REFERENCE_STATES[REFERENCE_STATE_COUNT];

// The names joined by `separator`, the last two by `last`: "default|iir|ashrae|nbp",
// "default, iir, ashrae or nbp".
std::string reference_state_names(std::string_view separator, std::string_view last);

// Each state as "name brief", separated by "; " and filled into lines of at most `width`
// characters after `indent` blanks (a state is never split); every line ends in a newline.
std::string reference_states_help(std::size_t indent, std::size_t width);

// "default", "iir", "ashrae", "nbp".
bool parse_reference_state(std::string_view name, ReferenceState& reference);
const char* reference_state_name(ReferenceState reference);

// What a reference adds to h and u (J/kg) and to s (J/(kg K)) of the values of `model` (an index
// of MODELS), as the front end gives them; 0 for an index outside MODELS.
struct ReferenceOffset {
    double enthalpy;
    double entropy;
};
ReferenceOffset reference_offset(ReferenceState reference, int model);

// What `reference` adds to a result field (an index of RESULT_VALUE_NAMES) of `model`: the
// enthalpy offset to h and u, the entropy offset to s, 0 to every other field.
double reference_shift(ReferenceState reference, int model, int field);

// The front end's result of `model` on `reference`: h, u and s shifted.
void shift_result_to_reference(PropertyResult& result, ReferenceState reference, int model);

// A request of `model` whose h, u or s is given on `reference`, on the model's own.
void shift_request_from_reference(CalcRequest& request, ReferenceState reference, int model);

}  // namespace zeltra5
