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

const FieldInfo RESULT_FIELDS[FIELD_COUNT] = {
#define ZELTRA5_FIELD(id, name, symbol, unit, row, phases) {name, symbol, UnitKind::unit, row},
#include "zeltra5/fields.inc"
#undef ZELTRA5_FIELD
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

int find_field(const std::string_view name, const int count) {
    for (int k = 0; k < count && k < FIELD_COUNT; ++k) {
        if (name == RESULT_FIELDS[k].name || name == RESULT_FIELDS[k].symbol) {
            return k;
        }
    }
    return -1;
}

int find_result_field(const std::string_view name) {
    return find_field(name, RESULT_VALUE_COUNT);
}

bool result_field_defined(const int phase, const int phase_detail, const int field) {
    return field < RESULT_VALUE_COUNT && field_defined(phase, phase_detail, field);
}

bool field_defined(const int phase, const int phase_detail, const int field) {
    if (field < 0 || field >= FIELD_COUNT) {
        return false;
    }
    const unsigned where = FIELD_PHASES[field];
    switch (phase) {
        case PHASE_TWO_PHASE:
            return (where & DEFINED_MIXTURE) != 0;
        case PHASE_LIQUID:
        case PHASE_VAPOUR:
        case PHASE_SUPERCRITICAL: {
            const unsigned bit = phase == PHASE_LIQUID   ? DEFINED_LIQUID
                                 : phase == PHASE_VAPOUR ? DEFINED_VAPOUR
                                                         : DEFINED_SUPERCRITICAL;
            return (where & bit) != 0 &&
                   ((where & DEFINED_SATURATED_ONLY) == 0 || phase_detail == 0);
        }
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
