#pragma once
// An independent reading of the typed-number grammar, for the fuzzers to hold the shell's reader
// against: a state machine over the documented grammar, and the C library's conversion in the
// C locale for the value.
//
//   number := space* sign? mantissa exponent?      (the whole text, nothing after it)
//   mantissa := digit+ ('.' digit*)? | '.' digit+
//   exponent := ('e' | 'E') sign? digit+
//
// Accepted when the text matches and its value is a finite double that is not a nonzero text
// rounded to zero.

#include <locale.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

namespace zeltra5::fuzz {

struct ReferenceNumber {
    bool empty;     // no characters at all
    bool accepted;  // a complete finite number
    double value;   // its value when accepted
};

inline ReferenceNumber reference_number(std::string_view text) {
    if (text.empty()) {
        return {true, false, 0.0};
    }
    enum State { lead, sign, integer, point_first, fraction, exp_mark, exp_sign, exp_digits, bad };
    State state = lead;
    bool nonzero_digit = false;
    for (const char c : text) {
        const bool digit = c >= '0' && c <= '9';
        const bool space =
            c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
        switch (state) {
            case lead:
                state = space                  ? lead
                        : c == '+' || c == '-' ? sign
                        : digit                ? integer
                        : c == '.'             ? point_first
                                               : bad;
                break;
            case sign:
                state = digit ? integer : c == '.' ? point_first : bad;
                break;
            case integer:
                state = digit                  ? integer
                        : c == '.'             ? fraction
                        : c == 'e' || c == 'E' ? exp_mark
                                               : bad;
                break;
            case point_first:  // a full stop with no digit before it needs one after it
                state = digit ? fraction : bad;
                break;
            case fraction:
                state = digit ? fraction : c == 'e' || c == 'E' ? exp_mark : bad;
                break;
            case exp_mark:
                state = digit ? exp_digits : c == '+' || c == '-' ? exp_sign : bad;
                break;
            case exp_sign:
            case exp_digits:
                state = digit ? exp_digits : bad;
                break;
            case bad:
                break;
        }
        if (state == integer || state == fraction) {
            nonzero_digit = nonzero_digit || (digit && c != '0');
        }
        if (state == bad) {
            return {false, false, 0.0};
        }
    }
    if (state != integer && state != fraction && state != exp_digits) {
        return {false, false, 0.0};
    }
    const std::string copy(text);  // zero-terminated for the C library
#ifdef _WIN32
    static const _locale_t c_locale = _create_locale(LC_NUMERIC, "C");
    const double value = _strtod_l(copy.c_str(), nullptr, c_locale);
#else
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    const double value = strtod_l(copy.c_str(), nullptr, c_locale);
#endif
    const bool accepted = std::isfinite(value) && !(value == 0.0 && nonzero_digit);
    return {false, accepted, accepted ? value : 0.0};
}

}  // namespace zeltra5::fuzz
