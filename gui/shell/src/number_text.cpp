#include "zeltra5/number_text.hpp"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace zeltra5 {
namespace {

// White space of the C locale.
bool is_space(const char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(const char c) {
    return c >= '0' && c <= '9';
}

std::size_t skip_digits(std::string_view s, std::size_t i) {
    while (i < s.size() && is_digit(s[i])) {
        ++i;
    }
    return i;
}

}  // namespace

NumberText read_number_text(std::string_view text, double& value) {
    if (text.empty()) {
        return NumberText::empty;
    }
    std::size_t i = 0;
    while (i < text.size() && is_space(text[i])) {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    // The number proper, checked against the grammar before it is converted: the library
    // conversion alone would also take "nan", "inf" and, with a sign, stop early without saying.
    const std::size_t start = i;
    const std::size_t int_end = skip_digits(text, i);
    std::size_t end = int_end;
    std::size_t digits = int_end - i;
    if (end < text.size() && text[end] == '.') {
        const std::size_t frac_end = skip_digits(text, end + 1);
        digits += frac_end - (end + 1);
        end = frac_end;
    }
    if (digits == 0) {
        return NumberText::bad_format;
    }
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t j = end + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        const std::size_t exp_end = skip_digits(text, j);
        if (exp_end == j) {
            return NumberText::bad_format;
        }
        end = exp_end;
    }
    if (end != text.size()) {
        return NumberText::bad_format;
    }
    // from_chars reads the C locale's form whatever the process locale, rounds correctly, and
    // reports overflow and underflow instead of returning infinity or zero.
    double magnitude = 0.0;
    const char* first = text.data() + start;
    const char* last = text.data() + end;
    const auto [ptr, ec] = std::from_chars(first, last, magnitude, std::chars_format::general);
    if (ec != std::errc{} || ptr != last || !std::isfinite(magnitude)) {
        return NumberText::bad_format;
    }
    value = negative ? -magnitude : magnitude;
    return NumberText::ok;
}

const char* number_text_message(const NumberText status) {
    switch (status) {
        case NumberText::empty:
            return "Не задан параметр !";
        case NumberText::bad_format:
            return "Неверный формат числа !";
        default:
            return nullptr;
    }
}

}  // namespace zeltra5
