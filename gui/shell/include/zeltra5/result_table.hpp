#pragma once
// The twenty-row text form of a result, shared by the Windows program and the command-line tool.
// Row texts are Windows-1251 bytes.

#include <string>
#include <string_view>

#include "zeltra5/calc.hpp"

namespace zeltra5 {

inline constexpr int RESULT_ROWS = 20;
inline constexpr int RESULT_ROW_SIZE = 30;  // bytes per row, terminator included

struct ResultTable {
    char rows[RESULT_ROWS][RESULT_ROW_SIZE];
};

// Row names and units as the results panel lists them (Windows-1251).
const char* result_row_name(int row);
const char* result_row_unit(int row);

// Row 0 text of a (phase, phase_detail) pair (Windows-1251); nullptr for a pair that has none,
// for which format_result_table leaves row 0 as it was.
const char* phase_state_name(int phase, int phase_detail);

void format_result_table(PropertyResult result, ResultTable& table);

// One value as the table shows it ("% -.16g": a blank before a value that is not negative, up to
// 16 significant digits, locale-independent).
void format_table_value(double value, char (&row)[RESULT_ROW_SIZE]);

// Windows-1251 text to UTF-8, for terminals and files (0x98, unassigned, becomes U+FFFD).
std::string utf8_from_cp1251(std::string_view text);

}  // namespace zeltra5
