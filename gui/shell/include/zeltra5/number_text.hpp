#pragma once
// The one reader of typed numbers, shared by the input dialog and the command-line tool.
//
// Accepted: leading white space, an optional sign, decimal digits with an optional full stop (at
// least one digit), an optional exponent (e or E, optional sign, digits), nothing after it, and a
// finite double result. Read the same in every locale. Everything else is refused: a comma as
// the decimal separator, trailing blanks, "nan", "inf", hexadecimal forms, and values that do not
// fit a double ("1e999", "1e-999").

#include <string_view>

namespace zeltra5 {

enum class NumberText {
    ok,          // a complete finite number
    empty,       // no characters at all
    bad_format,  // anything else
};

// Reads `text` as a whole; `value` is written only when the answer is ok.
NumberText read_number_text(std::string_view text, double& value);

// The shell's message for a refused text (Windows-1251): "Не задан параметр !" for an empty one,
// "Неверный формат числа !" otherwise; nullptr for ok.
const char* number_text_message(NumberText status);

}  // namespace zeltra5
