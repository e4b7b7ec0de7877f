#pragma once
// The options every command of the tool shares: units, reference state, equation of state,
// language and output format.

#include <string>
#include <string_view>

#include "zeltra5/calculation.hpp"
#include "zeltra5/cli/output.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::cli {

struct CommonOptions {
    Units units = DISPLAY_UNITS;
    ReferenceState reference = ReferenceState::program;
    Language language = Language::russian;
    Format format = Format::text;
    int model = DEFAULT_MODEL;  // an index of MODELS
    unsigned given = 0;         // which of them were given (take_common_option's bits)

    // Whether --model was given: the text and CSV outputs then name the model (JSON always
    // does), so that the output without it stays as it was.
    bool model_given() const;
};

enum class OptionMatch {
    no,       // not a common option
    yes,      // taken (with its value, when it has one: `i` moved past it)
    invalid,  // a common option with a missing or unknown value: `problem` says which
};

// Takes argv[i] (and its value, "--units si" or "--units=si") when it is one of --si,
// --units, --reference, --model, --lang, --json, --csv. An option with a value given again, --si
// with
// --units, and --json with --csv are invalid; a flag given again says the same and is taken.
OptionMatch take_common_option(int argc, const char* const* argv, int& i, CommonOptions& options,
                               std::string& problem);

// The usage lines of the common options, for --help.
const std::string& common_options_help();

// The names of the models, separated by `separator` and `last` before the last one.
std::string model_names(std::string_view separator, std::string_view last);

// The line a text output gives to name the model: "model: gao2023 (description)".
std::string model_line(int model);

// Appends a trailing `model` column to a CSV text: the name on its first line, an empty unit on
// a line starting "units,", the model's name on every other non-empty line.
std::string with_model_column(std::string_view csv, int model);

}  // namespace zeltra5::cli
