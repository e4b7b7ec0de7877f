// The argument pairs by name.

#include "zeltra5/pairs.hpp"

#include "zeltra5/calc.hpp"

namespace zeltra5 {

const ArgPair ARG_PAIRS[ARG_PAIR_COUNT] = {
    {"p-x", MODE_PRESSURE_QUALITY, SIDE_NONE, 2, FIELD_PRESSURE, FIELD_RELATIVE_ENTHALPY},
    {"ps-liquid", MODE_SATURATION_PRESSURE, SIDE_LIQUID, 1, FIELD_PRESSURE, -1},
    {"ps-vapour", MODE_SATURATION_PRESSURE, SIDE_VAPOUR, 1, FIELD_PRESSURE, -1},
    {"ts-liquid", MODE_SATURATION_TEMPERATURE, SIDE_LIQUID, 1, FIELD_TEMPERATURE, -1},
    {"ts-vapour", MODE_SATURATION_TEMPERATURE, SIDE_VAPOUR, 1, FIELD_TEMPERATURE, -1},
    {"p-t", MODE_PRESSURE_TEMPERATURE, SIDE_NONE, 2, FIELD_PRESSURE, FIELD_TEMPERATURE},
    {"p-h", MODE_PRESSURE_ENTHALPY, SIDE_NONE, 2, FIELD_PRESSURE, FIELD_ENTHALPY},
    {"p-u", MODE_PRESSURE_ENERGY, SIDE_NONE, 2, FIELD_PRESSURE, FIELD_INTERNAL_ENERGY},
    {"p-s", MODE_PRESSURE_ENTROPY, SIDE_NONE, 2, FIELD_PRESSURE, FIELD_ENTROPY},
    {"p-rho", MODE_PRESSURE_DENSITY, SIDE_NONE, 2, FIELD_PRESSURE, FIELD_DENSITY},
    {"t-rho", MODE_TEMPERATURE_DENSITY, SIDE_NONE, 2, FIELD_TEMPERATURE, FIELD_DENSITY},
    {"t-x", MODE_TEMPERATURE_QUALITY, SIDE_NONE, 2, FIELD_TEMPERATURE, FIELD_RELATIVE_ENTHALPY},
    {"t-h", MODE_TEMPERATURE_ENTHALPY, SIDE_NONE, 2, FIELD_TEMPERATURE, FIELD_ENTHALPY},
    {"t-s", MODE_TEMPERATURE_ENTROPY, SIDE_NONE, 2, FIELD_TEMPERATURE, FIELD_ENTROPY},
    {"t-u", MODE_TEMPERATURE_ENERGY, SIDE_NONE, 2, FIELD_TEMPERATURE, FIELD_INTERNAL_ENERGY},
    {"rho-h", MODE_DENSITY_ENTHALPY, SIDE_NONE, 2, FIELD_DENSITY, FIELD_ENTHALPY},
    {"rho-s", MODE_DENSITY_ENTROPY, SIDE_NONE, 2, FIELD_DENSITY, FIELD_ENTROPY},
    {"rho-u", MODE_DENSITY_ENERGY, SIDE_NONE, 2, FIELD_DENSITY, FIELD_INTERNAL_ENERGY},
    {"h-s", MODE_ENTHALPY_ENTROPY, SIDE_NONE, 2, FIELD_ENTHALPY, FIELD_ENTROPY},
};

std::string arg_pair_names() {
    std::string names;
    for (const ArgPair& pair : ARG_PAIRS) {
        names += names.empty() ? "" : ", ";
        names += pair.name;
    }
    return names;
}

const ArgPair* find_arg_pair(const std::string_view name) {
    for (const ArgPair& pair : ARG_PAIRS) {
        if (name == pair.name) {
            return &pair;
        }
    }
    return nullptr;
}

const ArgPair* find_arg_pair(const int mode, const int side) {
    const bool saturation = mode == MODE_SATURATION_PRESSURE || mode == MODE_SATURATION_TEMPERATURE;
    for (const ArgPair& pair : ARG_PAIRS) {
        if (pair.mode == mode && (!saturation || pair.side == side)) {
            return &pair;
        }
    }
    return nullptr;
}

}  // namespace zeltra5
