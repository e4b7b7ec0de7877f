#include "zeltra5/models.hpp"

#include <cmath>

namespace zeltra5 {

const ModelInfo MODELS[MODEL_COUNT] = {
    {Tr1993::NAME, "ammonia, the 1993 Helmholtz equation of state and its transport correlations",
     &Tr1993::CONSTANTS, Tr1993::MOLAR_MASS, &Tr1993::saturation_at_temperature},
    {Gao2023::NAME,
     "ammonia, the 2023 reference equation of state with the 2018 transport correlations",
     &Gao2023::CONSTANTS, Gao2023::MOLAR_MASS, &Gao2023::saturation_at_temperature},
};

const ModelSummaryItem MODEL_SUMMARY_ITEMS[MODEL_SUMMARY_COUNT] = {
    {"molar_mass", "kg/mol", &ModelSummary::molar_mass},
    {"gas_constant", "J/(kg·K)", &ModelSummary::gas_constant},
    {"critical_temperature", "K", &ModelSummary::critical_temperature},
    {"critical_pressure", "Pa", &ModelSummary::critical_pressure},
    {"critical_density", "kg/m3", &ModelSummary::critical_density},
    {"triple_point_temperature", "K", &ModelSummary::triple_point_temperature},
    {"triple_point_pressure", "Pa", &ModelSummary::triple_point_pressure},
    {"triple_point_liquid_density", "kg/m3", &ModelSummary::triple_point_liquid_density},
    {"triple_point_vapour_density", "kg/m3", &ModelSummary::triple_point_vapour_density},
};

namespace {

// degC to K through hundredths, so that -77 degC is 196.15 K and not 196.14999999999998 K. A
// temperature a rounding away from whole hundredths (195.49 K - 273.15 K is -77.66000000000003
// degC) is taken at them.
constexpr double KELVIN_AT_ZERO_CELSIUS_HUNDREDTHS = 27315.0;
static_assert(KELVIN_AT_ZERO_CELSIUS_HUNDREDTHS / 100.0 == KELVIN_OFFSET);

double kelvin(const double t) {
    const double hundredths = t * 100.0;
    const double whole = std::round(hundredths);
    return ((std::fabs(hundredths - whole) <= 1e-9 ? whole : hundredths) +
            KELVIN_AT_ZERO_CELSIUS_HUNDREDTHS) /
           100.0;
}

}  // namespace

ModelSummary model_summary(const ModelInfo& model) {
    const ModelConstants& c = *model.constants;
    const double triple_T = kelvin(c.domain.min_temperature);
    SaturationEquilibrium triple{};
    model.saturation_at_temperature(triple_T, triple);
    return {model.molar_mass,
            c.gas_constant,
            c.critical_temperature + KELVIN_OFFSET,
            c.critical_pressure,
            c.critical_density,
            triple_T,
            triple.p,
            triple.rho_liquid,
            triple.rho_vapour};
}

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

int find_model_index(const std::string_view name) {
    const ModelInfo* m = find_model(name);
    return m == nullptr ? -1 : static_cast<int>(m - MODELS);
}

}  // namespace zeltra5
