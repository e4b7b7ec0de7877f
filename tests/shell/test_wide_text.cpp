// The conversions behind the Windows program's wide texts: Windows-1251 and UTF-8 to UTF-16, and
// typed UTF-16 back to Windows-1251 for the number reader.

#include <gtest/gtest.h>

#include <string>

#include "zeltra5/result_table.hpp"
#include "zeltra5/wide_text.hpp"

namespace zeltra5 {
namespace {

struct Cp1251Case {
    const char* name;
    std::string bytes;
    std::u16string text;
};

class Cp1251 : public ::testing::TestWithParam<Cp1251Case> {};

TEST_P(Cp1251, ToUtf16AndBack) {
    const Cp1251Case& c = GetParam();
    EXPECT_EQ(utf16_from_cp1251(c.bytes), c.text);
    EXPECT_EQ(cp1251_from_utf16(c.text), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Cp1251,
    ::testing::Values(Cp1251Case{"ascii", "P, T 10.5e-3", u"P, T 10.5e-3"},
                      Cp1251Case{"capital_and_small_ends", "\xC0\xDF\xE0\xFF", u"АЯая"},
                      Cp1251Case{"yo_and_ukrainian", "\xA8\xB8\xAA\xBA\xAF\xBF\xB2\xB3\xA5\xB4",
                                 u"ЁёЄєЇїІіҐґ"},
                      Cp1251Case{"degree_dot_numero", "\xB0\xB7\xB9", u"°·№"},
                      Cp1251Case{"punctuation", "\x85\x96\x97\xAB\xBB\x88\xA0", u"…–—«»€\u00A0"},
                      Cp1251Case{"serbian", "\x80\x8A\x9A\x8F\x9F", u"ЂЉљЏџ"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cp1251, EveryByteButTheUnassignedOneRoundTrips) {
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::u16string text = utf16_from_cp1251(byte);
        ASSERT_EQ(text.size(), 1u);
        if (b == 0x98) {
            EXPECT_EQ(text[0], u'\uFFFD');
            EXPECT_EQ(cp1251_from_utf16(text), "?");
        } else {
            EXPECT_EQ(cp1251_from_utf16(text), byte) << b;
        }
    }
}

TEST(Cp1251, CharactersTheCodePageLacksBecomeAQuestionMark) {
    // A full-width digit, Greek, a lone surrogate, a pair for U+1F600: none reads as a number.
    EXPECT_EQ(cp1251_from_utf16(u"\uFF11\u03B1\xD800x\U0001F600"), "???x??");
}

TEST(Cp1251, AgreesWithTheUtf8Conversion) {
    for (int row = 0; row < RESULT_ROWS; ++row) {
        const std::string name = result_row_name(row);
        EXPECT_EQ(utf16_from_cp1251(name), utf16_from_utf8(utf8_from_cp1251(name))) << row;
    }
}

struct Utf8Case {
    const char* name;
    std::string bytes;
    std::u16string text;
};

class Utf8 : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8, ToUtf16) {
    EXPECT_EQ(utf16_from_utf8(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8,
    ::testing::Values(Utf8Case{"ascii", "abc", u"abc"},
                      Utf8Case{"cyrillic", "температура 500 °C", u"температура 500 °C"},
                      Utf8Case{"three_bytes", "\xE2\x84\x96\xE2\x80\xA6", u"№…"},
                      Utf8Case{"four_bytes_to_a_pair", "x\xF0\x9F\x98\x80y", u"x\U0001F600y"},
                      Utf8Case{"highest_code_point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
                      Utf8Case{"stray_continuation",
                               "a\x80"
                               "b",
                               u"a\uFFFDb"},
                      Utf8Case{"overlong_two_bytes", "\xC0\xAF", u"\uFFFD\uFFFD"},
                      Utf8Case{"overlong_three_bytes", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
                      Utf8Case{"surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
                      Utf8Case{"beyond_the_last_code_point", "\xF4\x90\x80\x80",
                               u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                      Utf8Case{"cut_at_the_end", "ab\xD0", u"ab\uFFFD"},
                      Utf8Case{"cut_before_ascii",
                               "\xE2\x84"
                               "1",
                               u"\uFFFD1"},
                      Utf8Case{"invalid_lead", "\xFF\xFE", u"\uFFFD\uFFFD"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltra5
