// What the C++ library of Debian's emscripten (an older libc++) lacks of C++20 and the sources
// use: std::bit_cast and std::to_chars / std::from_chars for double. Included ahead of every
// source of the web build only (-include); the native builds use their library's own.
//
// The texts are those of GCC's library on x86-64 (web/test/charconv_check.cpp compares them):
// with a precision, printf's %f, %e or %g in the "C" locale; without one, the fewest significant
// digits that read back as the same double, the closest of them to it: fixed or scientific,
// whichever is shorter (fixed on a tie), or as asked; for chars_format::general, fixed for
// decimal exponents from -4 to 5, as %g's default precision chooses.
#pragma once

#include <bit>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#if defined(_LIBCPP_VERSION) && !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
namespace std {
namespace charconv_compat {

inline to_chars_result copy_out(char* first, char* last, const char* text, int length) {
    if (length < 0 || length > last - first) return {last, errc::value_too_large};
    std::memcpy(first, text, static_cast<size_t>(length));
    return {first + length, errc{}};
}

// The shortest round-trip digits of a finite nonzero |v| ("12345", no dot) and its decimal
// exponent: v = 0.d1d2... x 10^(exponent + 1), i.e. d1.d2... x 10^exponent.
inline int shortest_digits(double v, char* digits, int& exponent) {
    char text[40];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*e", precision - 1, v);
        if (std::strtod(text, nullptr) == v || precision == 17) {
            int n = 0;
            const char* p = text;
            for (; *p != 'e'; ++p) {
                if (*p >= '0' && *p <= '9') digits[n++] = *p;
            }
            exponent = std::atoi(p + 1);
            while (n > 1 && digits[n - 1] == '0') --n;
            return n;
        }
    }
    return 0;
}

// Fixed notation of the digits; a whole number (no digit after the point) is written exactly,
// as printf's %.0f writes it (1e23 is 99999999999999991611392).
inline int fixed_text(char* out, bool negative, const char* digits, int n, int exponent, double v) {
    if (exponent >= n - 1) return std::snprintf(out, 400, "%.0f", v);
    int k = 0;
    if (negative) out[k++] = '-';
    if (exponent < 0) {
        out[k++] = '0';
        out[k++] = '.';
        for (int i = -1; i > exponent; --i) out[k++] = '0';
        for (int i = 0; i < n; ++i) out[k++] = digits[i];
    } else {
        for (int i = 0; i < n; ++i) {
            if (i == exponent + 1) out[k++] = '.';
            out[k++] = digits[i];
        }
    }
    return k;
}

inline int scientific_text(char* out, bool negative, const char* digits, int n, int exponent) {
    int k = 0;
    if (negative) out[k++] = '-';
    out[k++] = digits[0];
    if (n > 1) {
        out[k++] = '.';
        for (int i = 1; i < n; ++i) out[k++] = digits[i];
    }
    k += std::snprintf(out + k, 8, "e%c%02d", exponent < 0 ? '-' : '+',
                       exponent < 0 ? -exponent : exponent);
    return k;
}

enum class Style { plain, general, fixed, scientific };

inline to_chars_result shortest(char* first, char* last, double v, Style style) {
    char text[400];
    int length;
    if (!std::isfinite(v) || (v == 0 && style != Style::scientific)) {
        length = std::snprintf(text, sizeof text, "%g", v);
    } else if (v == 0) {
        length = std::snprintf(text, sizeof text, "%.0e", v);
    } else {
        char digits[20];
        int exponent = 0;
        const int n = shortest_digits(std::fabs(v), digits, exponent);
        const bool negative = v < 0;
        if (style == Style::scientific) {
            length = scientific_text(text, negative, digits, n, exponent);
        } else if (style == Style::fixed) {
            length = fixed_text(text, negative, digits, n, exponent, v);
        } else if (style == Style::general) {
            length = exponent >= -4 && exponent < 6
                         ? fixed_text(text, negative, digits, n, exponent, v)
                         : scientific_text(text, negative, digits, n, exponent);
        } else {
            char sci[40];
            const int sci_length = scientific_text(sci, negative, digits, n, exponent);
            const int fixed_length = fixed_text(text, negative, digits, n, exponent, v);
            if (sci_length < fixed_length) {
                std::memcpy(text, sci, static_cast<size_t>(sci_length));
                length = sci_length;
            } else {
                length = fixed_length;
            }
        }
    }
    return copy_out(first, last, text, length);
}

}  // namespace charconv_compat

inline to_chars_result to_chars(char* first, char* last, double v) {
    return charconv_compat::shortest(first, last, v, charconv_compat::Style::plain);
}

inline to_chars_result to_chars(char* first, char* last, double v, chars_format format) {
    using charconv_compat::Style;
    const Style style = format == chars_format::general ? Style::general
                        : format == chars_format::fixed ? Style::fixed
                                                        : Style::scientific;
    return charconv_compat::shortest(first, last, v, style);
}

inline to_chars_result to_chars(char* first, char* last, double v, chars_format format,
                                int precision) {
    char text[1100];
    const char* conversion = format == chars_format::fixed        ? "%.*f"
                             : format == chars_format::scientific ? "%.*e"
                                                                  : "%.*g";
    return charconv_compat::copy_out(first, last, text,
                                     std::snprintf(text, sizeof text, conversion, precision, v));
}

// As the standard's: no leading blank or '+', no hexadecimal; the longest number at the start;
// out of range leaves the value alone.
inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format format = chars_format::general) {
    const char* p = first;
    if (p != last && *p == '-') ++p;
    auto digits = [&](const char*& q) {
        const char* start = q;
        while (q != last && *q >= '0' && *q <= '9') ++q;
        return q - start;
    };
    auto nocase = [&](const char* q, const char* word) {
        for (; *word; ++word, ++q) {
            if (q == last || (*q | 0x20) != *word) return false;
        }
        return true;
    };
    char text[512];
    const char* end;
    if (nocase(p, "inf") || nocase(p, "nan")) {
        end = p + 3;
        if (nocase(p, "infinity")) {
            end = p + 8;
        } else if (nocase(p, "nan(")) {
            const char* q = p + 4;
            while (q != last && (std::isalnum(static_cast<unsigned char>(*q)) || *q == '_')) ++q;
            if (q != last && *q == ')') end = q + 1;
        }
    } else {
        long n = digits(p);
        if (p != last && *p == '.') {
            ++p;
            n += digits(p);
        }
        if (n == 0) return {first, errc::invalid_argument};
        if (format != chars_format::fixed && p != last && (*p == 'e' || *p == 'E')) {
            const char* q = p + 1;
            if (q != last && (*q == '+' || *q == '-')) ++q;
            if (digits(q) > 0) p = q;
        }
        end = p;
    }
    if (end - first >= static_cast<long>(sizeof text)) return {first, errc::invalid_argument};
    std::memcpy(text, first, static_cast<size_t>(end - first));
    text[end - first] = '\0';
    errno = 0;
    const double parsed = std::strtod(text, nullptr);
    if (errno == ERANGE && (std::isinf(parsed) || parsed == 0))
        return {end, errc::result_out_of_range};
    value = *first == '-' ? -std::fabs(parsed) : parsed;  // the sign of "-nan" too
    return {end, errc{}};
}

}  // namespace std
#endif
