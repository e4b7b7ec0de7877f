#pragma once
// How the command-line tool writes results: the text table, JSON and CSV, in the units, on the
// reference state and in the language the options choose. Shared by every command.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

#include "zeltra5/calculation.hpp"

namespace zeltra5::cli {

enum class Format { text, json, csv };

struct OutputOptions {
    Format format = Format::text;
    Language language = Language::russian;  // names in the text table, phase names
};

// Room for any number write_number writes.
inline constexpr std::size_t NUMBER_TEXT_SIZE = SHORTEST_TEXT_SIZE;

// The shortest text that reads back as the same double (format_shortest), at `out`; nothing for
// a NaN or an infinity. Answers the end of what it wrote.
char* write_number(char* out, double value);
std::string number_text(double value);

// A value that JSON can take: the number, or null when it is not finite (undefined fields).
std::string json_number(double value);
std::string json_string(std::string_view text);

// A CSV cell: as it is, or quoted (with doubled quotes) when it holds a comma, a quote or a line
// end.
std::string csv_cell(std::string_view text);

// The reason of a refusal in English ("temperature 500 °C is above 450 °C"), with "with
// --superheat: " before the reasons that the option brings about.
std::string refusal_text(const StateResult& result);

// The twenty rows of the results panel: names, values, units, in the options' language.
void write_text_table(const StateResult& result, Language language, std::ostream& out);

// The members of one result's JSON object, each on its own line after `indent`, without the
// braces: status, the 19 fields (null where undefined), phase, phase_detail, phase_name, error.
void write_json_members(const StateResult& result, Language language, std::string_view indent,
                        std::ostream& out);

// The unit of every field as a JSON object: {"system": "display", "pressure": "bar", ...}.
std::string json_units(UnitSystem units);

// CSV columns of a result: the 19 fields, phase, phase_detail, phase_name.
extern const char* const CSV_RESULT_COLUMNS;
// The units of those columns, comma-separated, in the same order.
std::string csv_result_units(UnitSystem units);
// One result's cells in those columns; empty cells where a field is undefined or the result is
// not valid.
void write_csv_result(const StateResult& result, Language language, std::string& line);

}  // namespace zeltra5::cli
