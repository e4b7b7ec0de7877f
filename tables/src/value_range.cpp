// Ranges of values from text: FROM:TO:STEP, FROM:TO:*F and comma lists.

#include "zeltra5/value_range.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "zeltra5/blanks.hpp"
#include "zeltra5/decimal_rounding.hpp"
#include "zeltra5/echo_text.hpp"

namespace zeltra5 {
namespace {

// A number in the C locale's form; a leading '+' is allowed.
RangeError read_number(std::string_view text, double& value) {
    text = trim_blanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return RangeError::bad_number;
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        return RangeError::not_finite;
    }
    if (ec != std::errc{} || ptr != end) {
        return RangeError::bad_number;
    }
    return std::isfinite(value) ? RangeError::none : RangeError::not_finite;
}

// Digits after the decimal point of a plain decimal number, or -1 when it has an exponent or
// more digits than the exact integer arithmetic below allows.
int decimal_places(std::string_view text) {
    text = trim_blanks(text);
    int places = 0;
    bool point = false;
    for (const char c : text) {
        if (c == 'e' || c == 'E') {
            return -1;
        }
        if (c == '.') {
            point = true;
        } else if (point && c >= '0' && c <= '9') {
            ++places;
        }
    }
    return places <= 9 ? places : -1;
}

constexpr double POWERS_OF_TEN[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// The additive range. On decimal texts the values are (F + i S) / 10^d with F, S integers:
// correctly rounded, so each is the double its decimal text reads as.
RangeError additive(const double from, const double to, const double step, const int places,
                    std::vector<double>& values) {
    if (step == 0.0) {
        return RangeError::zero_step;
    }
    if (from == to) {
        values.push_back(from);
        return RangeError::none;
    }
    if ((to - from) * step < 0.0) {
        return RangeError::wrong_direction;
    }
    const double steps = (to - from) / step;
    if (!(steps < static_cast<double>(MAX_RANGE_VALUES))) {
        return RangeError::too_many_values;
    }
    const double scale = places >= 0 ? POWERS_OF_TEN[places] : 0.0;
    // 2^53 bounds the integers that doubles hold exactly.
    const bool exact = places >= 0 && std::fabs(from) * scale < 9e15 &&
                       std::fabs(to) * scale < 9e15 && std::fabs(step) * scale < 9e15;
    const auto count = static_cast<std::size_t>(std::floor(steps + 1e-9)) + 1;
    values.reserve(count);
    if (exact) {
        const auto f = static_cast<std::int64_t>(std::llround(from * scale));
        const auto s = static_cast<std::int64_t>(std::llround(step * scale));
        for (std::size_t i = 0; i < count; ++i) {
            values.push_back(static_cast<double>(f + static_cast<std::int64_t>(i) * s) / scale);
        }
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            double v = from + static_cast<double>(i) * step;
            if (std::fabs(v) < 1e-9 * std::fabs(step)) {
                v = 0.0;
            }
            values.push_back(v);
        }
    }
    if (std::fabs(values.back() - to) <= 1e-9 * std::fabs(step)) {
        values.back() = to;
    }
    return RangeError::none;
}

RangeError multiplying(const double from, const double to, const double factor,
                       std::vector<double>& values) {
    if (!(factor > 0.0) || factor == 1.0) {
        return RangeError::bad_factor;
    }
    if (from == 0.0 || to == 0.0 || (from < 0.0) != (to < 0.0)) {
        return RangeError::factor_sign;
    }
    if (from == to) {
        values.push_back(from);
        return RangeError::none;
    }
    const double ratio = to / from;
    if ((ratio > 1.0) != (factor > 1.0)) {
        return RangeError::wrong_direction;
    }
    const double steps = std::log(ratio) / std::log(factor);
    if (!(steps < static_cast<double>(MAX_RANGE_VALUES))) {
        return RangeError::too_many_values;
    }
    const auto count = static_cast<std::size_t>(std::floor(steps + 1e-9)) + 1;
    values.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        values.push_back(without_last_place_noise(from * std::pow(factor, static_cast<double>(i))));
    }
    if (std::fabs(values.back() - to) <= 1e-9 * std::fabs(to)) {
        values.back() = to;
    }
    return RangeError::none;
}

RangeError parse(const std::string_view text, std::vector<double>& values) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        // A comma list (or one value).
        std::size_t start = 0;
        while (true) {
            const std::size_t comma = text.find(',', start);
            const std::string_view part = text.substr(start, comma - start);
            if (values.size() == MAX_RANGE_VALUES) {
                return RangeError::too_many_values;
            }
            double v = 0.0;
            if (const RangeError e = read_number(part, v); e != RangeError::none) {
                return e;
            }
            values.push_back(v);
            if (comma == std::string_view::npos) {
                return RangeError::none;
            }
            start = comma + 1;
        }
    }
    const std::size_t second = text.find(':', colon + 1);
    if (second == std::string_view::npos || text.find(':', second + 1) != std::string_view::npos ||
        text.find(',') != std::string_view::npos) {
        return RangeError::bad_form;
    }
    const std::string_view from_text = text.substr(0, colon);
    const std::string_view to_text = text.substr(colon + 1, second - colon - 1);
    std::string_view step_text = trim_blanks(text.substr(second + 1));
    const bool factor = !step_text.empty() && step_text.front() == '*';
    if (factor) {
        step_text.remove_prefix(1);
    }
    double from = 0.0;
    double to = 0.0;
    double step = 0.0;
    for (const auto& [part, value] :
         {std::pair{from_text, &from}, std::pair{to_text, &to}, std::pair{step_text, &step}}) {
        if (const RangeError e = read_number(part, *value); e != RangeError::none) {
            return e;
        }
    }
    if (factor) {
        return multiplying(from, to, step, values);
    }
    int places = decimal_places(from_text);
    for (const std::string_view part : {to_text, step_text}) {
        const int p = decimal_places(part);
        places = places < 0 || p < 0 ? -1 : std::max(places, p);
    }
    return additive(from, to, step, places, values);
}

}  // namespace

RangeError parse_value_range(const std::string_view text, std::vector<double>& values) {
    values.clear();
    const RangeError error = parse(text, values);
    if (error != RangeError::none) {
        values.clear();
    }
    return error;
}

std::string describe_range_error(const RangeError error, const std::string_view text,
                                 const Language language) {
    const bool en = language == Language::english;
    const char* why = "";
    std::string more;  // the limit, after `why`
    switch (error) {
        case RangeError::none:
            return {};
        case RangeError::bad_form:
            why = en ? "expected FROM:TO:STEP, FROM:TO:*FACTOR or a list a,b,c"
                     : "ожидается НАЧАЛО:КОНЕЦ:ШАГ, НАЧАЛО:КОНЕЦ:*МНОЖИТЕЛЬ или список a,b,c";
            break;
        case RangeError::bad_number:
            why = en ? "a value is not a number" : "значение не является числом";
            break;
        case RangeError::not_finite:
            why = en ? "a value is not a finite number" : "значение не является конечным числом";
            break;
        case RangeError::zero_step:
            why = en ? "the step is zero" : "шаг равен нулю";
            break;
        case RangeError::wrong_direction:
            why = en ? "the step leads away from the last value"
                     : "шаг ведет в сторону от конечного значения";
            break;
        case RangeError::bad_factor:
            why = en ? "the factor must be above 0 and not 1"
                     : "множитель должен быть больше 0 и не равен 1";
            break;
        case RangeError::factor_sign:
            why = en ? "with a factor, the first and last values must be non-zero and of one sign"
                     : "с множителем начальное и конечное значения должны быть ненулевыми и "
                       "одного знака";
            break;
        case RangeError::too_many_values:
            more = std::to_string(MAX_RANGE_VALUES);
            why = en ? "more than " : "больше ";
            break;
    }
    std::string message = en ? "range \"" : "диапазон \"";
    append_echo(message, text);
    message += "\": ";
    message += why;
    if (!more.empty()) {
        message += more + (en ? " values" : " значений");
    }
    return message;
}

}  // namespace zeltra5
