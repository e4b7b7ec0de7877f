#pragma once
// Reading the arguments of the table, cycle and diagram commands.

#include <string>
#include <string_view>

#include "zeltra5/refrigeration_cycle.hpp"

namespace zeltra5::cli::args {

// "--name VALUE" or "--name=VALUE": whether argv[i] is the option, its value in `value` (i moved
// past a separate value). `missing` is set when the option is there without a value.
bool option(int argc, const char* const* argv, int& i, std::string_view name,
            std::string_view& value, bool& missing);

// A number as the tool reads every number: full stop, optional exponent, blanks around it
// allowed on either side (as in the batch's fields).
bool number(std::string_view text, double& value);

// Pads `text` with blanks on the left (pad_left) or right (pad_right) to `width` characters
// (UTF-8 code points).
std::string pad_left(std::string_view text, std::size_t width);
std::string pad_right(std::string_view text, std::size_t width);

// Six significant digits, for text tables; "-" for NaN.
std::string short_number(double value);

// Takes argv[i] when it is one of the cycle's options (--evaporating, --condensing, --superheat,
// --subcooling, --efficiency, --capacity) and reads its value into `input`, noting which were
// given in `given` (bits in that order). 0: not a cycle option, 1: taken, -1: `problem` says why
// not (no number, or given twice).
int take_cycle_option(int argc, const char* const* argv, int& i, CycleInput& input, unsigned& given,
                      std::string& problem);

// Whether the cycle's two temperatures were given; `problem` names the one missing.
bool cycle_complete(unsigned given, std::string& problem);

}  // namespace zeltra5::cli::args
