#pragma once
// How the command-line tool writes results: the text table, JSON and CSV, in the units, on the
// reference state and in the language the options choose. Shared by every command.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

#include "zeltra5/calculation.hpp"
#include "zeltra5/json_text.hpp"
#include "zeltra5/table_csv.hpp"

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

// A value that JSON can take: the number, or null when it is not finite (undefined fields); a
// string quoted and escaped (json_text).
using zeltra5::json_number;
using zeltra5::json_string;

// The CSV cells and the refusal's words, shared with the C interface.
using zeltra5::csv_cell;
using zeltra5::refusal_text;

// The twenty rows of the results panel: names, values, units, in the options' language.
void write_text_table(const StateResult& result, Language language, std::ostream& out);

// The members of one result's JSON object, each on its own line after `indent`, without the
// braces: status, the 19 fields (null where undefined), with `extended` the extended fields
// after them (computed here), phase, phase_detail, phase_name, error.
void write_json_members(const StateResult& result, Language language, std::string_view indent,
                        std::ostream& out, bool extended = false);

// The unit of every field (the nineteen, or all with `extended`) as a JSON object:
// {"system": "display", "pressure": "bar", ...}.
std::string json_units(const Units& units, bool extended = false);

using zeltra5::CSV_EXTENDED_COLUMNS;
using zeltra5::CSV_RESULT_COLUMNS;
using zeltra5::csv_result_units;
using zeltra5::write_csv_result;

}  // namespace zeltra5::cli
