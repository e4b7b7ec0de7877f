// The twenty rows of a result: names, units, phase names and the values in display units.
// This file is compiled to Windows-1251 (see gui/shell/CMakeLists.txt); the sources stay UTF-8.

#include "zeltra5/result_table.hpp"

#include <charconv>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "zeltra5/quantities.hpp"
#include "zeltra5/wide_text.hpp"

namespace zeltra5 {
namespace {

static_assert(sizeof("Ж") == 2 && static_cast<unsigned char>("Ж"[0]) == 0xC6,
              "row texts must be compiled to Windows-1251");

// The table's words, compiled from the same source as the library's UTF-8 texts.
constexpr const char* ROW_NAMES[RESULT_ROWS] = {
#define ZELTRA5_ROW(ru, en) ru,
#include "zeltra5/texts.inc"
#undef ZELTRA5_ROW
};

// The units' texts: those with a choice by Unit, the others by kind with their display text.
constexpr const char* UNIT_CHOICE_TEXTS[] = {
#define ZELTRA5_UNIT_CHOICE(id, kind, name, ru, en) ru,
#include "zeltra5/texts.inc"
#undef ZELTRA5_UNIT_CHOICE
};

struct FixedUnitText {
    UnitKind kind;
    const char* text;
};
constexpr FixedUnitText FIXED_UNIT_TEXTS[] = {
#define ZELTRA5_UNIT(kind, ru_si, ru_display, en_si, en_display) {UnitKind::kind, ru_display},
#include "zeltra5/texts.inc"
#undef ZELTRA5_UNIT
};

const char* display_unit_text(const UnitKind kind) {
    Unit unit{};
    if (chosen_unit(kind, DISPLAY_UNITS, unit)) {
        return UNIT_CHOICE_TEXTS[static_cast<int>(unit)];
    }
    for (const FixedUnitText& f : FIXED_UNIT_TEXTS) {
        if (f.kind == kind) {
            return f.text;
        }
    }
    return "";
}

constexpr const char* PHASE_NAMES[] = {
#define ZELTRA5_PHASE(name, ru, en) ru,
#include "zeltra5/texts.inc"
#undef ZELTRA5_PHASE
};

constexpr const char* BLANK_ROW = " ";

constexpr bool fits_row(const char* text) {
    std::size_t n = 0;
    while (text[n] != '\0') {
        ++n;
    }
    return n < static_cast<std::size_t>(RESULT_ROW_SIZE);
}

constexpr bool all_fit_rows() {
    for (const char* name : PHASE_NAMES) {
        if (!fits_row(name)) {
            return false;
        }
    }
    return true;
}
static_assert(all_fit_rows(), "every phase name fits a row");

void set_row(char (&row)[RESULT_ROW_SIZE], const char* text) {
    std::strncpy(row, text, RESULT_ROW_SIZE - 1);
    row[RESULT_ROW_SIZE - 1] = '\0';
}

}  // namespace

// "% -.16g" without the C library's locale: a blank before a value that is not negative, up to
// 16 significant digits, fixed or exponent notation as the general format chooses, trailing
// zeros dropped. At most 23 characters ("-1.234567890123456e-308").
void format_table_value(const double value, char (&row)[RESULT_ROW_SIZE]) {
    char* const first = row + 1;
    const auto [end, ec] =
        std::to_chars(first, row + RESULT_ROW_SIZE - 1, value, std::chars_format::general, 16);
    if (ec != std::errc{}) {
        set_row(row, BLANK_ROW);  // cannot happen with 28 characters of room
        return;
    }
    *end = '\0';
    if (first[0] == '-') {
        std::memmove(row, first, static_cast<std::size_t>(end - first) + 1);
    } else {
        row[0] = ' ';
    }
}

namespace {}  // namespace

const char* result_row_name(const int row) {
    return row >= 0 && row < RESULT_ROWS ? ROW_NAMES[row] : "";
}

const char* result_row_unit(const int row) {
    const int field = table_row_field(row);
    if (row < 0 || row >= RESULT_ROWS) {
        return "";
    }
    return display_unit_text(field < 0 ? UnitKind::none : RESULT_FIELDS[field].unit);
}

const char* phase_state_name(const int phase, const int phase_detail) {
    const int text = phase_state_index(phase, phase_detail);
    return text < 0 ? nullptr : PHASE_NAMES[text];
}

void format_result_table(const PropertyResult result, ResultTable& table) {
    if (const char* name = phase_state_name(result.phase, result.phase_detail)) {
        set_row(table.rows[0], name);
    }
    // Each value in display units; the rows that do not apply to the phase blank.
    const ResultValues values = result_values(result);
    for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
        char(&row)[RESULT_ROW_SIZE] = table.rows[RESULT_FIELDS[k].table_row];
        const bool known_phase =
            result.phase >= PHASE_TWO_PHASE && result.phase <= PHASE_SUPERCRITICAL;
        if (!known_phase || result_field_defined(result.phase, result.phase_detail, k)) {
            format_table_value(from_base(RESULT_FIELDS[k].unit, DISPLAY_UNITS, values.value[k]),
                               row);
        } else {
            set_row(row, BLANK_ROW);
        }
    }
}

std::string utf8_from_cp1251(const std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        const char32_t code = unicode_from_cp1251(c);
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

}  // namespace zeltra5
