// The text table of the command line: the results panel's three columns.

#include <algorithm>
#include <cmath>
#include <ostream>

#include "zeltra5/cli/output.hpp"
#include "zeltra5/result_table.hpp"

namespace zeltra5::cli {
namespace {

std::size_t utf8_length(const std::string_view s) {
    std::size_t n = 0;
    for (const char c : s) {
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return n;
}

void pad(std::string& line, const std::size_t width, const std::string_view text) {
    line += text;
    for (std::size_t n = utf8_length(text); n < width; ++n) {
        line += ' ';
    }
}

// " text" (and " text " when `after`): the cells of the panel's columns. Appended piecewise (GCC
// 12 warns falsely about operator+ on temporaries).
std::string blank_around(const std::string_view text, const bool after) {
    std::string cell(1, ' ');
    cell.append(text);
    if (after) {
        cell += ' ';
    }
    return cell;
}

std::string_view phase_name(const StateResult& r, const Language language) {
    return r.status == STATUS_VALID ? phase_state_text(r.phase, r.phase_detail, language)
                                    : std::string_view();
}

}  // namespace

// The panel's three columns: each name and unit with a blank before it, each value as the panel
// shows it (a blank before a value that is not negative, up to 16 significant digits).
void write_text_table(const StateResult& result, const Language language, std::ostream& out) {
    std::string names[TABLE_ROW_COUNT];
    std::string values[TABLE_ROW_COUNT];
    std::string units[TABLE_ROW_COUNT];
    std::size_t name_width = 0;
    std::size_t value_width = 0;
    for (int row = 0; row < TABLE_ROW_COUNT; ++row) {
        names[row] = blank_around(table_row_name(row, language), true);
        const int field = table_row_field(row);
        if (field < 0) {
            values[row] = blank_around(phase_name(result, language), false);
        } else if (std::isnan(result.values[field])) {
            values[row].assign(1, ' ');
        } else {
            char cell[RESULT_ROW_SIZE];
            format_table_value(result.values[field], cell);
            values[row] = cell;
        }
        if (field >= 0) {
            units[row] = blank_around(
                unit_text(RESULT_FIELDS[field].unit, result.options.units, language), false);
        }
        name_width = std::max(name_width, utf8_length(names[row]));
        value_width = std::max(value_width, utf8_length(values[row]));
    }
    for (int row = 0; row < TABLE_ROW_COUNT; ++row) {
        std::string line;
        pad(line, name_width, names[row]);
        pad(line, value_width + 1, values[row]);
        line += units[row];
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out << line << '\n';
    }
}

}  // namespace zeltra5::cli
