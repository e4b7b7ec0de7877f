// The typed-number grammar: what the dialog and the command line accept and refuse.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "comma_locale.hpp"
#include "zeltra5/number_text.hpp"

namespace zeltra5 {
namespace {

struct Accepted {
    const char* text;
    double value;
};

class AcceptedText : public ::testing::TestWithParam<Accepted> {};

TEST_P(AcceptedText, ReadsTheValue) {
    double v = -12345.0;
    ASSERT_EQ(read_number_text(GetParam().text, v), NumberText::ok) << GetParam().text;
    EXPECT_EQ(v, GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, AcceptedText,
    ::testing::Values(Accepted{"10", 10.0}, Accepted{"  10", 10.0}, Accepted{"\t25.5", 25.5},
                      Accepted{"-50", -50.0}, Accepted{"+7.7", 7.7}, Accepted{"1e5", 1e5},
                      Accepted{"1E+05", 1e5}, Accepted{"2.5e-3", 2.5e-3}, Accepted{".5", 0.5},
                      Accepted{"5.", 5.0}, Accepted{"-.5e1", -5.0}, Accepted{"0", 0.0},
                      Accepted{"007", 7.0},
                      Accepted{"1.7976931348623157e308", 1.7976931348623157e308},
                      Accepted{"4.9e-324", 4.9e-324},
                      Accepted{"0.1000000000000000055511151231257827", 0.1}));

struct Refused {
    const char* text;
    NumberText status;
};

class RefusedText : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedText, RefusedAndValueKept) {
    double v = -12345.0;
    EXPECT_EQ(read_number_text(GetParam().text, v), GetParam().status) << GetParam().text;
    EXPECT_EQ(v, -12345.0);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, RefusedText,
    ::testing::Values(
        Refused{"", NumberText::empty}, Refused{" ", NumberText::bad_format},
        Refused{"10 ", NumberText::bad_format}, Refused{"2,5", NumberText::bad_format},
        Refused{"abc", NumberText::bad_format}, Refused{"1e", NumberText::bad_format},
        Refused{"1e+", NumberText::bad_format}, Refused{".", NumberText::bad_format},
        Refused{"-", NumberText::bad_format}, Refused{"+-1", NumberText::bad_format},
        Refused{"--1", NumberText::bad_format}, Refused{"nan", NumberText::bad_format},
        Refused{"NAN", NumberText::bad_format}, Refused{"inf", NumberText::bad_format},
        Refused{"-Infinity", NumberText::bad_format}, Refused{"0x1p3", NumberText::bad_format},
        Refused{"0x10", NumberText::bad_format}, Refused{"1e999", NumberText::bad_format},
        Refused{"-1e999", NumberText::bad_format}, Refused{"1e-999", NumberText::bad_format},
        Refused{"1.5.2", NumberText::bad_format}, Refused{"1 000", NumberText::bad_format},
        Refused{"10bar", NumberText::bad_format}));

TEST(NumberText, StopsAtTheGivenLengthNotAtATerminator) {
    double v = 0.0;
    const std::string with_zero(
        "12\0"
        "34",
        5);
    EXPECT_EQ(read_number_text(with_zero, v), NumberText::bad_format);
    EXPECT_EQ(read_number_text(std::string_view("1234", 2), v), NumberText::ok);
    EXPECT_EQ(v, 12.0);
}

TEST(NumberText, SameReadingInACommaDecimalLocale) {
    const testing_support::CommaDecimalLocale comma;
    if (!comma.available) {
        GTEST_SKIP() << "no comma-decimal locale installed";
    }
    double v = 0.0;
    EXPECT_EQ(read_number_text("2.5", v), NumberText::ok);
    EXPECT_EQ(v, 2.5);
    EXPECT_EQ(read_number_text("2,5", v), NumberText::bad_format);
}

TEST(NumberText, MessagesOfTheDialog) {
    // Windows-1251 bytes of "Не задан параметр !" and "Неверный формат числа !".
    EXPECT_STREQ(number_text_message(NumberText::empty),
                 "\xCD\xE5 \xE7\xE0\xE4\xE0\xED \xEF\xE0\xF0\xE0\xEC\xE5\xF2\xF0 !");
    EXPECT_STREQ(
        number_text_message(NumberText::bad_format),
        "\xCD\xE5\xE2\xE5\xF0\xED\xFB\xE9 \xF4\xEE\xF0\xEC\xE0\xF2 \xF7\xE8\xF1\xEB\xE0 !");
    EXPECT_EQ(number_text_message(NumberText::ok), nullptr);
}

}  // namespace
}  // namespace zeltra5
