#pragma once
// The twenty-row text form of a result, shared by the Windows program and the command-line tool.
// Row texts are Windows-1251 bytes.

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

void format_result_table(PropertyResult result, ResultTable& table);

}  // namespace zeltra5
