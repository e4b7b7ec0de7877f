// (h, s): the state of given enthalpy and entropy.

#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::flash {

template <class M>
void EnthalpyEntropy<M>::state_from_enthalpy_entropy(const int& /*metastable_side*/,
                                                     const double& /*h*/, const double& /*s*/,
                                                     LineState& out) {
    out = LineState{};
}

#define ZELTRA5_INSTANTIATE(Model) template struct EnthalpyEntropy<Model>;
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

}  // namespace zeltra5::flash
