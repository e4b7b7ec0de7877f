// The twenty rows of a result: names, units, phase names and the values in display units.
// This file is compiled to Windows-1251 (see gui/shell/CMakeLists.txt); the sources stay UTF-8.

#include "zeltra5/result_table.hpp"

#include <charconv>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace zeltra5 {
namespace {

static_assert(sizeof("Ж") == 2 && static_cast<unsigned char>("Ж"[0]) == 0xC6,
              "row texts must be compiled to Windows-1251");

struct RowText {
    const char* name;
    const char* unit;
};

constexpr RowText ROW_TEXTS[RESULT_ROWS] = {
    {" Фазовое состояние ", " "},
    {" Относительная энтальпия ", " "},
    {" Давление ", " бар"},
    {" Температура ", " °C"},
    {" Энтальпия ", " кДж / кг"},
    {" Удельный объем ", " м3 / кг"},
    {" Плотность ", " кг / м3"},
    {" Внутренняя энергия ", " кДж / кг"},
    {" Энтропия ", " кДж / (кг·°C)"},
    {" Изобарная теплоемкость ", " кДж / (кг·°C)"},
    {" Изохорная теплоемкость ", " кДж / (кг·°C)"},
    {" Коэффициент изоэнтропы ", " "},
    {" Теплопроводность ", " Вт / (м·°C)"},
    {" Кинематическая вязкость ", " м2 / сек"},
    {" Динамическая вязкость ", " Па·сек"},
    {" Критерий Прандтля ", " "},
    {" Скорость звука ", " м / с"},
    {" К-т поверхностного натяжения ", " н / м"},
    {" Темп. к-т объемного расширения ", " 1 / °C"},
    {" Теплота парообразования ", " кДж / кг"},
};

// Display factor of each row (1 where the value is shown in its SI unit).
constexpr double ROW_FACTORS[RESULT_ROWS] = {1.0,   1.0,   1e-05, 1.0,   0.001, 1.0,  1.0,
                                             0.001, 0.001, 0.001, 0.001, 1.0,   1.0,  1.0,
                                             1.0,   1.0,   1.0,   1.0,   1.0,   0.001};

constexpr const char* BLANK_ROW = " ";

constexpr bool fits_row(const char* text) {
    std::size_t n = 0;
    while (text[n] != '\0') {
        ++n;
    }
    return n < static_cast<std::size_t>(RESULT_ROW_SIZE);
}

constexpr const char* PHASE_MIXTURE = " Парожидкостная смесь";
constexpr const char* PHASE_SUBCOOLED_LIQUID = " Недогретая ж-ть";
constexpr const char* PHASE_SATURATED_LIQUID = " Насыщенная ж-ть";
constexpr const char* PHASE_SUPERHEATED_LIQUID = " Перегретая ж-ть";
constexpr const char* PHASE_SUPERHEATED_VAPOUR = " Перегретый пар";
constexpr const char* PHASE_SATURATED_VAPOUR = " Насыщенный пар";
constexpr const char* PHASE_SUPERCRITICAL_NAME = " Закритика";

static_assert(fits_row(PHASE_MIXTURE) && fits_row(PHASE_SUBCOOLED_LIQUID) &&
              fits_row(PHASE_SATURATED_LIQUID) && fits_row(PHASE_SUPERHEATED_LIQUID) &&
              fits_row(PHASE_SUPERHEATED_VAPOUR) && fits_row(PHASE_SATURATED_VAPOUR) &&
              fits_row(PHASE_SUPERCRITICAL_NAME));

void set_row(char (&row)[RESULT_ROW_SIZE], const char* text) {
    std::strncpy(row, text, RESULT_ROW_SIZE - 1);
    row[RESULT_ROW_SIZE - 1] = '\0';
}

// "% -.16g" without the C library's locale: a blank before a value that is not negative, up to
// 16 significant digits, fixed or exponent notation as the general format chooses, trailing
// zeros dropped. At most 23 characters ("-1.234567890123456e-308").
void format_value(const double value, char (&row)[RESULT_ROW_SIZE]) {
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

// Unicode code points of the Windows-1251 bytes 0x80 to 0xBF (0x98 is unassigned); 0xC0 to 0xFF
// are U+0410 to U+044F in order.
constexpr char16_t CP1251_HIGH[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

}  // namespace

const char* result_row_name(const int row) {
    return row >= 0 && row < RESULT_ROWS ? ROW_TEXTS[row].name : "";
}

const char* result_row_unit(const int row) {
    return row >= 0 && row < RESULT_ROWS ? ROW_TEXTS[row].unit : "";
}

const char* phase_state_name(const int phase, const int phase_detail) {
    switch (phase) {
        case PHASE_TWO_PHASE:
            return PHASE_MIXTURE;
        case PHASE_LIQUID:
            if (phase_detail == -1) {
                return PHASE_SUBCOOLED_LIQUID;
            }
            return phase_detail == 0 ? PHASE_SATURATED_LIQUID : PHASE_SUPERHEATED_LIQUID;
        case PHASE_VAPOUR:
            if (phase_detail == 1) {
                return PHASE_SUPERHEATED_VAPOUR;
            }
            return phase_detail == 0 ? PHASE_SATURATED_VAPOUR : nullptr;
        case PHASE_SUPERCRITICAL:
            return PHASE_SUPERCRITICAL_NAME;
        default:
            return nullptr;
    }
}

void format_result_table(const PropertyResult result, ResultTable& table) {
    if (const char* name = phase_state_name(result.phase, result.phase_detail)) {
        set_row(table.rows[0], name);
    }
    const double values[RESULT_ROWS] = {0.0,
                                        result.relative_enthalpy,
                                        result.pressure,
                                        result.temperature,
                                        result.specific_enthalpy,
                                        result.specific_volume,
                                        result.mass_density,
                                        result.specific_internal_energy,
                                        result.specific_entropy,
                                        result.isobaric_heat_capacity,
                                        result.isochoric_heat_capacity,
                                        result.isentropic_coefficient,
                                        result.thermal_conductivity,
                                        result.kinematic_viscosity,
                                        result.dynamic_viscosity,
                                        result.prandtl_number,
                                        result.speed_of_sound,
                                        result.surface_tension,
                                        result.expansion_coefficient,
                                        result.latent_heat};
    for (int row = 1; row < RESULT_ROWS; ++row) {
        format_value(values[row] * ROW_FACTORS[row], table.rows[row]);
    }
    // Rows that do not apply to the phase.
    const bool saturated = result.phase_detail == 0;
    switch (result.phase) {
        case PHASE_TWO_PHASE:
            for (int row = 9; row <= 18; ++row) {
                set_row(table.rows[row], BLANK_ROW);
            }
            break;
        case PHASE_LIQUID:
            if (!saturated) {
                set_row(table.rows[19], BLANK_ROW);
            }
            break;
        case PHASE_VAPOUR:
            set_row(table.rows[17], BLANK_ROW);
            if (!saturated) {
                set_row(table.rows[19], BLANK_ROW);
            }
            break;
        case PHASE_SUPERCRITICAL:
            set_row(table.rows[1], BLANK_ROW);
            set_row(table.rows[17], BLANK_ROW);
            set_row(table.rows[19], BLANK_ROW);
            break;
        default:
            break;
    }
}

std::string utf8_from_cp1251(const std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        char32_t code = byte;
        if (byte >= 0xC0) {
            code = 0x0410 + (byte - 0xC0);
        } else if (byte >= 0x80) {
            code = CP1251_HIGH[byte - 0x80];
        }
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
