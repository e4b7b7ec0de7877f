#pragma once
// The shortest decimal text of a double.

#include <cstddef>

namespace zeltra5 {

// Room for any number format_shortest writes.
inline constexpr std::size_t SHORTEST_TEXT_SIZE = 32;

// The shortest text that reads back as the same double, in plain notation for magnitudes from
// 1e-4 to 1e15 ("1000000", "0.0641723442541975"), with an exponent otherwise
// ("1.2645726954949233e-06"); nothing for NaN or an infinity: the same text as std::to_chars
// (fixed or general, shortest). Uses up to SHORTEST_TEXT_SIZE characters from `out` (no
// terminator; what lies past the answered end is not part of the text) and answers the end of the
// text.
char* format_shortest(char* out, double value);

// Which shortest text a writer uses: `plain` is format_shortest's; `compact` the shorter of the
// plain and the exponent form, as std::to_chars writes without a format ("1e+09" for 1e9,
// "1e+05" for 100000, "123456" for 123456), which the charts' JSON and the cycle's refusals use.
enum class NumberStyle { plain, compact };

// The shortest text of `value` in that style, at `out` (up to SHORTEST_TEXT_SIZE characters, no
// terminator); nothing for NaN or an infinity. Answers the end of the text.
char* format_number(char* out, double value, NumberStyle style);

}  // namespace zeltra5
