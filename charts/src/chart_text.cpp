// Texts of numbers on a chart and the width of a label.

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "chart_internal.hpp"

namespace zeltra5::chart_detail {
namespace {

// Advance widths in em of Liberation Sans (metric-compatible with Arial).
double advance(const std::uint32_t c) {
    if (c >= '0' && c <= '9') {
        return 0.556;
    }
    switch (c) {
        case ' ':
        case '.':
        case ',':
        case '/':
        case 'f':
        case 't':
        case 'i':
        case 'l':
        case 'j':
            return 0.278;
        case '-':
        case '(':
        case ')':
        case 'r':
            return 0.333;
        case 0x2212:  // minus
        case '=':
        case '+':
            return 0.584;
        case 0xB0:  // degree
            return 0.4;
        case 0xB7:  // middle dot
            return 0.278;
        case 'm':
            return 0.833;
        case 'w':
            return 0.722;
        case 'C':
        case 'K':
        case 'D':
        case 'R':
            return 0.722;
        case 'x':
        case 's':
        case 'k':
        case 'c':
        case 'v':
        case 'y':
        case 'z':
        case 'J':
            return 0.5;
        default:
            if (c >= 0x2070 && c <= 0x209F) {
                return 0.36;  // superscript digits
            }
            if (c == 0xB2 || c == 0xB3 || c == 0xB9) {
                return 0.36;
            }
            return 0.58;
    }
}

const char* const SUPERSCRIPT[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};

}  // namespace

double text_width(const std::string_view utf8, const double font_size) {
    double em = 0.0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t n = 1;
        em += advance(decode_utf8(utf8, i, n));
        i += n;
    }
    return em * font_size;
}

std::string number_text(const double value) {
    if (!std::isfinite(value)) {
        return {};
    }
    std::string out;
    if (value < 0.0) {
        out = "−";
    }
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e5) {
        // m·10^e with the shortest m.
        int e = static_cast<int>(std::floor(std::log10(magnitude)));
        double m = magnitude / std::pow(10.0, e);
        if (m >= 9.9999999999) {
            m /= 10.0;
            ++e;
        }
        char digits[32];
        const auto [end, ec] =
            std::to_chars(digits, digits + sizeof digits, m, std::chars_format::general, 6);
        std::string_view mantissa(digits, ec == std::errc{} ? end - digits : 0);
        if (mantissa != "1") {
            out.append(mantissa);
            out += "·";
        }
        out += "10";
        for (const char d : std::to_string(e)) {
            out += SUPERSCRIPT[d - '0'];
        }
        return out;
    }
    char digits[64];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, magnitude);
    out.append(digits, ec == std::errc{} ? end - digits : 0);
    return out;
}

}  // namespace zeltra5::chart_detail
