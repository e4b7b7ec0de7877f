#include "zeltra5/decimal_rounding.hpp"

#include <charconv>
#include <cmath>
#include <system_error>

namespace zeltra5 {
namespace {

double read_back(const double value, const std::chars_format format, const int precision) {
    char text[400];  // room for the largest double in fixed notation
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, format, precision);
    double read = value;
    if (ec != std::errc{} || std::from_chars(text, end, read).ec != std::errc{}) {
        return value;
    }
    return read;
}

}  // namespace

double round_to_significant_digits(const double value, const int digits) {
    return read_back(value, std::chars_format::general, digits);
}

double round_to_decimal_places(const double value, const int places) {
    return read_back(value, std::chars_format::fixed, places);
}

double without_last_place_noise(const double value) {
    const double read = round_to_significant_digits(value, 15);
    return std::fabs(read - value) <= 1e-15 * std::fabs(value) ? read : value;
}

}  // namespace zeltra5
