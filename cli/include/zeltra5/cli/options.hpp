#pragma once
// The options every command of the tool shares: units, reference state, language and output
// format.

#include <string>
#include <string_view>

#include "zeltra5/calculation.hpp"
#include "zeltra5/cli/output.hpp"

namespace zeltra5::cli {

struct CommonOptions {
    Units units = DISPLAY_UNITS;
    ReferenceState reference = ReferenceState::program;
    Language language = Language::russian;
    Format format = Format::text;
    unsigned given = 0;  // which of them were given (take_common_option's bits)
};

enum class OptionMatch {
    no,       // not a common option
    yes,      // taken (with its value, when it has one: `i` moved past it)
    invalid,  // a common option with a missing or unknown value: `problem` says which
};

// Takes argv[i] (and its value, "--units si" or "--units=si") when it is one of --si,
// --units, --reference, --lang, --json, --csv. An option with a value given again, --si with
// --units, and --json with --csv are invalid; a flag given again says the same and is taken.
OptionMatch take_common_option(int argc, const char* const* argv, int& i, CommonOptions& options,
                               std::string& problem);

// The usage lines of the common options, for --help.
const std::string& common_options_help();

}  // namespace zeltra5::cli
