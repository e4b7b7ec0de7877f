#pragma once
// Batch calculation: CSV requests in, CSV results out, one line for one line, streaming.

#include <cstddef>
#include <iosfwd>
#include <string_view>

#include "zeltra5/calc.hpp"

namespace zeltra5::cli {

// Longest input line read as a request; a longer one is answered with an error line.
inline constexpr std::size_t BATCH_LINE_LIMIT = 1024;

// The column names of the output, in order, as its header line lists them.
extern const char* const BATCH_RESULT_HEADER;

// Reads one input line ("mode,side,first_value,second_value": integers, then two numbers in SI
// units) without its line end. Answers nullptr and fills `request`, or answers a short reason
// (no commas in it) and leaves `request` alone.
const char* parse_batch_line(std::string_view line, CalcRequest& request);

// Writes the output line of one input line, without the line end, into `out` (room for
// BATCH_OUTPUT_SIZE characters) and answers its length. Every line has 22 fields: the status
// (0, 1 or "error") first; a status 0 line carries every result field with 17 significant
// digits, a status 1 line leaves them empty, an error line gives its reason in the second field.
inline constexpr std::size_t BATCH_OUTPUT_SIZE = 1024;
std::size_t format_batch_result(int status, const PropertyResult& result, char* out);
std::size_t format_batch_error(const char* reason, char* out);

struct BatchSummary {
    unsigned long long lines;   // output lines written (= input lines, header excluded)
    unsigned long long valid;   // status 0
    unsigned long long domain;  // status 1
    unsigned long long errors;  // malformed lines
};

// Reads request lines from `in` until its end and writes the header and one result line per
// input line to `out`, in input order. An optional first line starting with "mode" (after an
// optional UTF-8 byte order mark) is a header and is skipped. Memory use does not grow with the
// input: lines are read one at a time into a fixed buffer.
BatchSummary run_batch(std::istream& in, std::ostream& out);

}  // namespace zeltra5::cli
