#pragma once
// The values a table or a set of diagram lines runs over, read from text: "FROM:TO:STEP" (an
// additive step), "FROM:TO:*F" (each value F times the one before) or a list "a,b,c" (one value
// is a list of one). Refused with a reason, never a hang: a step that is zero, not finite or
// points away from TO, a factor that is not above zero or is 1, and more than MAX_RANGE_VALUES
// values.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "zeltra5/quantities.hpp"

namespace zeltra5 {

inline constexpr std::size_t MAX_RANGE_VALUES = 10000;

enum class RangeError : int {
    none = 0,
    bad_form,         // not FROM:TO:STEP, FROM:TO:*F or a comma list
    bad_number,       // a part is not a number
    not_finite,       // a part is NaN or infinite
    zero_step,        // STEP is 0
    wrong_direction,  // STEP or F leads away from TO
    bad_factor,       // F is not above 0, or is 1
    factor_sign,      // with a factor, FROM and TO not both non-zero and of one sign
    too_many_values,  // more than MAX_RANGE_VALUES
};

// The values of `text` in order, FROM first, TO last when the steps reach it (within 1e-9 of a
// step; it is then exactly TO). Additive steps on decimal numbers give the decimal values
// exactly as they would be read from text ("0:1:0.1" gives 0.3, not 0.30000000000000004).
// `values` is left empty after an error.
RangeError parse_value_range(std::string_view text, std::vector<double>& values);

// Why a range was refused, naming the text ("range \"0:10:0\": the step is zero").
std::string describe_range_error(RangeError error, std::string_view text, Language language);

}  // namespace zeltra5
