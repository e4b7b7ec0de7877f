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

}  // namespace zeltra5
