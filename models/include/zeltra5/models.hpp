#pragma once
// The closed set of equations of state: every model the program offers, by name, and the one a
// request without a choice gets. The solvers are instantiated for each (ZELTRA5_FOR_EACH_MODEL).

#include <string_view>
#include <type_traits>
#include <variant>

#include "zeltra5/gao2023.hpp"
#include "zeltra5/model.hpp"
#include "zeltra5/tr1993.hpp"

// X(Type) for every model type.
#define ZELTRA5_FOR_EACH_MODEL(X) X(Tr1993) X(Gao2023)

namespace zeltra5 {

using AnyModel = std::variant<Tr1993, Gao2023>;
using DefaultModel = Tr1993;
// DefaultModel's index in AnyModel and MODELS: what a request without a choice gets.
inline constexpr int DEFAULT_MODEL = 0;
static_assert(std::is_same_v<std::variant_alternative_t<DEFAULT_MODEL, AnyModel>, DefaultModel>);

struct ModelInfo {
    const char* name;         // as every interface names it
    const char* description;  // one line, English
    const ModelConstants* constants;
    double molar_mass;  // kg/mol
    int (*saturation_at_temperature)(const double& T_K, SaturationEquilibrium& out);
};

// A model's constants as the interfaces list them, SI with temperatures in K. The triple point
// is the model's lowest temperature, its pressure and densities the model's own phase
// equilibrium there.
struct ModelSummary {
    double molar_mass;                   // kg/mol
    double gas_constant;                 // J/(kg K)
    double critical_temperature;         // K
    double critical_pressure;            // Pa
    double critical_density;             // kg/m3
    double triple_point_temperature;     // K
    double triple_point_pressure;        // Pa
    double triple_point_liquid_density;  // kg/m3
    double triple_point_vapour_density;  // kg/m3
};

// The summary's members by name, in order, for the interfaces that list them.
inline constexpr int MODEL_SUMMARY_COUNT = 9;
struct ModelSummaryItem {
    const char* name;
    const char* unit;
    double ModelSummary::*member;
};
extern const ModelSummaryItem MODEL_SUMMARY_ITEMS[MODEL_SUMMARY_COUNT];

ModelSummary model_summary(const ModelInfo& model);

inline constexpr int MODEL_COUNT = static_cast<int>(std::variant_size_v<AnyModel>);

// In the order of AnyModel's alternatives.
extern const ModelInfo MODELS[MODEL_COUNT];

// The model of that name (exact), or nullptr.
const ModelInfo* find_model(std::string_view name);

// The model's entry in MODELS.
const ModelInfo& model_info(const AnyModel& model);

// The index of the model of that name in MODELS, or -1.
int find_model_index(std::string_view name);

// Whether `model` is an index of MODELS.
constexpr bool is_model_index(const int model) {
    return model >= 0 && model < MODEL_COUNT;
}

// The constants of the model a request without a choice gets.
inline constexpr const ModelConstants& DEFAULT_CONSTANTS = DefaultModel::CONSTANTS;

}  // namespace zeltra5
