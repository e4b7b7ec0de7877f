#include "zeltra5/models.hpp"

namespace zeltra5 {

const ModelInfo MODELS[MODEL_COUNT] = {
    {Tr1993::NAME, "ammonia, the 1993 Helmholtz equation of state and its transport correlations",
     &Tr1993::CONSTANTS},
    {Gao2023::NAME,
     "ammonia, the 2023 reference equation of state with the 2018 transport correlations",
     &Gao2023::CONSTANTS},
};

const ModelInfo* find_model(const std::string_view name) {
    for (const ModelInfo& m : MODELS) {
        if (name == m.name) {
            return &m;
        }
    }
    return nullptr;
}

const ModelInfo& model_info(const AnyModel& model) {
    return MODELS[model.index()];
}

}  // namespace zeltra5
