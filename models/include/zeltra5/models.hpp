#pragma once
// The closed set of equations of state: every model the program offers, by name, and the one a
// request without a choice gets. The solvers are instantiated for each (ZELTRA5_FOR_EACH_MODEL).

#include <string_view>
#include <variant>

#include "zeltra5/gao2023.hpp"
#include "zeltra5/model.hpp"
#include "zeltra5/tr1993.hpp"

// X(Type) for every model type.
#define ZELTRA5_FOR_EACH_MODEL(X) X(Tr1993) X(Gao2023)

namespace zeltra5 {

using AnyModel = std::variant<Tr1993, Gao2023>;
using DefaultModel = Tr1993;

struct ModelInfo {
    const char* name;         // as every interface names it
    const char* description;  // one line, English
    const ModelConstants* constants;
};

inline constexpr int MODEL_COUNT = static_cast<int>(std::variant_size_v<AnyModel>);

// In the order of AnyModel's alternatives.
extern const ModelInfo MODELS[MODEL_COUNT];

// The model of that name (exact), or nullptr.
const ModelInfo* find_model(std::string_view name);

// The model's entry in MODELS.
const ModelInfo& model_info(const AnyModel& model);

// The constants of the model a request without a choice gets.
inline constexpr const ModelConstants& DEFAULT_CONSTANTS = DefaultModel::CONSTANTS;

}  // namespace zeltra5
