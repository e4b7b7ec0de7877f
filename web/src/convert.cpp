// The values of a field rewritten from one choice of units into another, for the page's inputs
// when its units change (see zeltra5_web.h).

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "zeltra5/blanks.hpp"
#include "zeltra5/quantities.hpp"
#include "zeltra5/units.hpp"
#include "zeltra5/value_range.hpp"
#include "zeltra5_web.h"

namespace zeltra5 {
namespace {

double convert(const UnitKind kind, const Units& from, const Units& to, const double value) {
    return from_base(kind, to, to_base(kind, from, value));
}

// A difference (a step): temperatures without their units' offsets, every other kind as a value.
double convert_difference(const UnitKind kind, const Units& from, const Units& to,
                          const double value) {
    if (kind != UnitKind::temperature) {
        return convert(kind, from, to, value);
    }
    return temperature_difference_from_base(to, temperature_difference_to_base(from, value));
}

// False for a value that overflowed in the new units (1e305 bar in Pa): the text stays as typed.
bool append_number(std::string& out, double value) {
    if (!std::isfinite(value)) {
        return false;
    }
    if (value == 0.0) {
        value = 0.0;  // no "-0"
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    out += text;
    return true;
}

// One number of a range's part, read as the range reads it.
bool read_number(const std::string_view part, double& value) {
    std::vector<double> values;
    if (parse_value_range(part, values) != RangeError::none || values.size() != 1) {
        return false;
    }
    value = values[0];
    return true;
}

bool convert_text(const UnitKind kind, const std::string_view text, const Units& from,
                  const Units& to, std::string& out) {
    std::vector<double> values;
    if (parse_value_range(text, values) != RangeError::none) {
        return false;
    }
    const std::size_t colon = text.find(':');
    const std::size_t colon2 = colon == std::string_view::npos ? colon : text.find(':', colon + 1);
    if (colon2 != std::string_view::npos) {
        const std::string_view third = trim_blanks(text.substr(colon2 + 1));
        const bool factor = !third.empty() && third.front() == '*';
        const bool proportional = convert(kind, from, to, 0.0) == 0.0;
        double first = 0.0, last = 0.0, step = 0.0;
        if ((!factor || proportional) && read_number(text.substr(0, colon), first) &&
            read_number(text.substr(colon + 1, colon2 - colon - 1), last) &&
            read_number(factor ? third.substr(1) : third, step)) {
            const double numbers[3] = {convert(kind, from, to, first),
                                       convert(kind, from, to, last),
                                       factor ? step : convert_difference(kind, from, to, step)};
            std::string parts[3];
            for (int k = 0; k < 3; ++k) {
                if (!append_number(parts[k], numbers[k])) {
                    return false;
                }
            }
            out = parts[0] + ":" + parts[1] + (factor ? ":*" : ":") + parts[2];
            return true;
        }
    }
    // A list, or a factor range of temperatures: each value.
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (k > 0) {
            out += ',';
        }
        if (!append_number(out, convert(kind, from, to, values[k]))) {
            return false;
        }
    }
    return true;
}

}  // namespace
}  // namespace zeltra5

extern "C" int zeltra5_convert_values(const int field, const char* values, const char* from_units,
                                      const char* to_units, char* buffer, const int size) {
    using namespace zeltra5;
    if (size < 0 || (buffer == nullptr && size > 0)) {
        return -1;
    }
    if (size > 0) {
        buffer[0] = '\0';
    }
    Units from, to;
    std::string out;
    if (field < 0 || field >= RESULT_VALUE_COUNT || values == nullptr || from_units == nullptr ||
        to_units == nullptr || !parse_units(from_units, SI_UNITS, from) ||
        !parse_units(to_units, SI_UNITS, to) ||
        !convert_text(RESULT_FIELDS[field].unit, values, from, to, out)) {
        return -1;
    }
    // ASCII only: a cut needs no care for UTF-8.
    if (size > 0) {
        const std::size_t n = std::min(out.size(), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, out.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<int>(out.size());
}
