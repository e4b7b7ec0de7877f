#pragma once
// The extended fields of a record of the model M, for the calculation that has just formed it.

#include "zeltra5/calc.hpp"
#include "zeltra5/flash.hpp"
#include "zeltra5/fluid_state.hpp"

namespace zeltra5 {

// What calculate_extended_fields gives for `record`, bit for bit. `state` (may be null) is the
// calculation's own single-phase state behind the record (the record's cp is its state_cp): used
// instead of a new evaluation where it lies at the record's temperature and density; `third`
// (may be null) its third derivatives where the solver formed them with it.
template <class M>
void extended_fields_of(const PropertyResult& record, const FluidState* state,
                        const flash::ThirdDerivatives* third, ExtendedValues& out);

// The single-phase state a calculation formed its record from, and its third derivatives where
// the solver formed them with it (for a caller that changes the record before forming its
// extended fields).
struct FormedState {
    bool single_phase = false;
    FluidState state{};
    flash::ThirdDerivatives third{};
};

// calculate_properties_for<M>, keeping the state behind a single-phase record in `kept`.
template <class M>
int calculate_properties_keeping_state(const CalcRequest& request, PropertyResult& result,
                                       FormedState& kept, Refusal& why);

// calculate_properties_for<M> with the extended fields of the record, formed from the
// calculation's own state (every field NaN when the request is refused).
template <class M>
int calculate_properties_and_extended_for(const CalcRequest& request, PropertyResult& result,
                                          ExtendedValues& extended, Refusal& why);

}  // namespace zeltra5
