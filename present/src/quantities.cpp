// Units, field names and the words of the result table.

#include "zeltra5/quantities.hpp"

#include "zeltra5/blanks.hpp"

namespace zeltra5 {
namespace {

constexpr const char* ROW_NAMES[TABLE_ROW_COUNT][2] = {
#define ZELTRA5_ROW(ru, en) {ru, en},
#include "zeltra5/texts.inc"
#undef ZELTRA5_ROW
};

enum PhaseText : int {
#define ZELTRA5_PHASE(name, ru, en) PHASE_TEXT_##name,
#include "zeltra5/texts.inc"
#undef ZELTRA5_PHASE
};

constexpr const char* PHASE_NAMES[][2] = {
#define ZELTRA5_PHASE(name, ru, en) {ru, en},
#include "zeltra5/texts.inc"
#undef ZELTRA5_PHASE
};

int language_index(const Language language) {
    return language == Language::english ? 1 : 0;
}

}  // namespace

const FieldInfo RESULT_FIELDS[RESULT_VALUE_COUNT] = {
    {"relative_enthalpy", "x", UnitKind::none, 1},
    {"pressure", "p", UnitKind::pressure, 2},
    {"temperature", "t", UnitKind::temperature, 3},
    {"specific_enthalpy", "h", UnitKind::specific_energy, 4},
    {"mass_density", "rho", UnitKind::density, 6},
    {"specific_volume", "v", UnitKind::specific_volume, 5},
    {"specific_internal_energy", "u", UnitKind::specific_energy, 7},
    {"specific_entropy", "s", UnitKind::specific_entropy, 8},
    {"isobaric_heat_capacity", "cp", UnitKind::specific_entropy, 9},
    {"isochoric_heat_capacity", "cv", UnitKind::specific_entropy, 10},
    {"isentropic_coefficient", "kappa", UnitKind::none, 11},
    {"thermal_conductivity", "lambda", UnitKind::conductivity, 12},
    {"kinematic_viscosity", "nu", UnitKind::kinematic_viscosity, 13},
    {"dynamic_viscosity", "eta", UnitKind::dynamic_viscosity, 14},
    {"prandtl_number", "pr", UnitKind::none, 15},
    {"speed_of_sound", "w", UnitKind::speed, 16},
    {"surface_tension", "sigma", UnitKind::surface_tension, 17},
    {"expansion_coefficient", "beta", UnitKind::expansion, 18},
    {"latent_heat", "r", UnitKind::specific_energy, 19},
};

bool parse_language(const std::string_view name, Language& language) {
    if (name == "ru") {
        language = Language::russian;
    } else if (name == "en") {
        language = Language::english;
    } else {
        return false;
    }
    return true;
}

int find_result_field(const std::string_view name) {
    for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
        if (name == RESULT_FIELDS[k].name || name == RESULT_FIELDS[k].symbol) {
            return k;
        }
    }
    return -1;
}

bool result_field_defined(const int phase, const int phase_detail, const int field) {
    if (field < 0 || field >= RESULT_VALUE_COUNT) {
        return false;
    }
    const bool saturated = phase_detail == 0;
    switch (phase) {
        case PHASE_TWO_PHASE:
            return field < FIELD_CP || field > FIELD_EXPANSION;
        case PHASE_LIQUID:
            return field != FIELD_LATENT_HEAT || saturated;
        case PHASE_VAPOUR:
            return field != FIELD_SURFACE_TENSION && (field != FIELD_LATENT_HEAT || saturated);
        case PHASE_SUPERCRITICAL:
            return field != FIELD_RELATIVE_ENTHALPY && field != FIELD_SURFACE_TENSION &&
                   field != FIELD_LATENT_HEAT;
        default:
            return false;
    }
}

std::string_view table_row_name(const int row, const Language language) {
    if (row < 0 || row >= TABLE_ROW_COUNT) {
        return {};
    }
    return trim_blanks(ROW_NAMES[row][language_index(language)]);
}

int table_row_field(const int row) {
    for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
        if (RESULT_FIELDS[k].table_row == row) {
            return k;
        }
    }
    return -1;
}

int phase_state_index(const int phase, const int phase_detail) {
    switch (phase) {
        case PHASE_TWO_PHASE:
            return PHASE_TEXT_mixture;
        case PHASE_LIQUID:
            return phase_detail == -1  ? PHASE_TEXT_subcooled_liquid
                   : phase_detail == 0 ? PHASE_TEXT_saturated_liquid
                                       : PHASE_TEXT_superheated_liquid;
        case PHASE_VAPOUR:
            return phase_detail == 1   ? PHASE_TEXT_superheated_vapour
                   : phase_detail == 0 ? PHASE_TEXT_saturated_vapour
                                       : -1;
        case PHASE_SUPERCRITICAL:
            return PHASE_TEXT_supercritical;
        default:
            return -1;
    }
}

std::string_view phase_state_text(const int phase, const int phase_detail,
                                  const Language language) {
    const int text = phase_state_index(phase, phase_detail);
    return text < 0 ? std::string_view() : trim_blanks(PHASE_NAMES[text][language_index(language)]);
}

}  // namespace zeltra5
