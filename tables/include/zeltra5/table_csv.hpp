#pragma once
// The CSV of results and of property tables, as the command line writes them and the C interface
// hands them out: one writer, so that both give the same bytes.

#include <string>
#include <string_view>

#include "zeltra5/calculation.hpp"
#include "zeltra5/property_table.hpp"

namespace zeltra5 {

// A CSV cell: as it is, or quoted (with doubled quotes) when it holds a comma, a quote or a line
// end.
std::string csv_cell(std::string_view text);

// The reason of a refusal in English ("temperature 500 °C is above 450 °C"), with "with
// --superheat: " before the reasons that the option brings about.
std::string refusal_text(const StateResult& result);

// CSV columns of a result: the 19 fields, phase, phase_detail, phase_name.
extern const char* const CSV_RESULT_COLUMNS;
// The extended fields' columns to append after those, each after a comma
// (",compressibility_factor,...").
extern const char* const CSV_EXTENDED_COLUMNS;
// The units of those columns, comma-separated, in the same order (with the extended fields' after
// them when `extended`).
std::string csv_result_units(const Units& units, bool extended = false);
// One result's cells in those columns (and the extended fields' when `extended`, computed here);
// empty cells where a field is undefined or the result is not valid.
void write_csv_result(const StateResult& result, Language language, std::string& line,
                      bool extended = false);

// A property table as CSV: the header, the units' line and one line per row (row kind, status,
// refusal, pair, its two values, the result's columns), each ended by '\n'.
std::string property_table_csv(const PropertyTable& table, Language language);

}  // namespace zeltra5
