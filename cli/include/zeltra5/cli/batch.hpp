#pragma once
// Batch calculation: CSV requests in, CSV results out, one line for one line, in input order,
// streaming with bounded memory, on one or more threads.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

#include "zeltra5/calculation.hpp"

namespace zeltra5::cli {

// Longest input line read as a request; a longer one is answered with an error line.
inline constexpr std::size_t BATCH_LINE_LIMIT = 1024;

// The column names of the output, in order, as its first header line lists them. The second
// header line gives each column's unit.
extern const char* const BATCH_RESULT_HEADER;
// Status, error, the four inputs, the nineteen fields, the three phase columns, the extended
// fields.
inline constexpr int BATCH_COLUMNS = 28 + EXTENDED_FIELD_COUNT;

struct BatchRequest {
    const ArgPair* pair = nullptr;
    bool superheat = false;
    double first = 0.0;
    double second = 0.0;
};

// Reads one input line ("mode,side,first_value,second_value", blanks around the fields allowed)
// without its line end. The mode is 0 to 8 or a pair name ("p-t", "ts-liquid", ...); the side 0
// to 2: in modes 1 and 2 by number 1 is the liquid and 2 the vapour, in the other modes 1 asks for
// the superheated liquid; with a saturation pair's name the side is 0 or the pair's own. Answers
// nullptr and fills `request`, or a short reason and leaves `request` alone.
const char* parse_batch_line(std::string_view line, BatchRequest& request);

struct BatchOptions {
    Units units = DISPLAY_UNITS;
    ReferenceState reference = ReferenceState::program;
    Language language = Language::russian;  // of the phase names
    int threads = 1;
    int model = DEFAULT_MODEL;  // an index of MODELS
    // A trailing `model` column with the model's name (what --model brings); without it the
    // columns are BATCH_COLUMNS.
    bool model_column = false;
};

struct BatchSummary {
    unsigned long long lines;   // output lines written (= input lines, header excluded)
    unsigned long long valid;   // status 0
    unsigned long long domain;  // status 1
    unsigned long long errors;  // status 2: malformed lines
    std::string read_error;     // why the input could not be read to its end; empty when it was
};

// Appends the output line of one input line (without its line end) to `out`: status (0 valid,
// 1 outside the domain, 2 input error), the reason of an error or refusal, the four inputs as
// given, the result's fields in the options' units (empty where undefined), phase, phase_detail
// and phase_name. `defect`: why the line is an input error without being read ("line too long"
// when it was cut at BATCH_LINE_LIMIT), or nullptr.
void format_batch_line(std::string_view line, const char* defect, const BatchOptions& options,
                       std::string& out, BatchSummary& summary);

// Reads request lines from `in` until its end and writes the two header lines and one result line
// per input line to `out`, in input order. An optional first line starting with "mode" (after an
// optional UTF-8 byte order mark) is a header and is skipped. Memory use does not grow with the
// input or with the number of threads beyond a few blocks of lines.
// Streams: whenever no more input is waiting (in.rdbuf()->in_avail() is not above 0), the lines
// read so far are answered and `out` is flushed before the next read, so that a writer that waits
// for each answer gets it. Stops at the first failed write (`out` is then bad), and at a read
// error after answering what was read (`read_error` says why). A helper thread that fails (out of
// memory) leaves its lines to this one, and later blocks use fewer threads.
BatchSummary run_batch(std::istream& in, std::ostream& out, const BatchOptions& options = {});

}  // namespace zeltra5::cli
