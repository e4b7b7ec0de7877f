#include <charconv>
#include <cmath>
#include <system_error>

#include "zeltra5/format_shortest.hpp"

namespace zeltra5 {

char* format_number(char* out, const double value, const NumberStyle style) {
    if (style == NumberStyle::plain) {
        return format_shortest(out, value);
    }
    if (!std::isfinite(value)) {
        return out;
    }
    const auto [end, ec] = std::to_chars(out, out + SHORTEST_TEXT_SIZE, value);
    return ec == std::errc{} ? end : out;
}

}  // namespace zeltra5
