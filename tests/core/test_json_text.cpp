// The JSON pieces: strings escaped and always valid UTF-8, numbers in their shortest text, null
// for what is not a finite number.

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "zeltra5/json_text.hpp"

namespace zeltra5 {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double INF = std::numeric_limits<double>::infinity();

struct StringCase {
    std::string text;
    std::string json;
};

class JsonString : public ::testing::TestWithParam<StringCase> {};

TEST_P(JsonString, EscapesAndRepairs) {
    EXPECT_EQ(json_string(GetParam().text), GetParam().json);
    std::string appended = "[";
    append_json_string(appended, GetParam().text);
    EXPECT_EQ(appended, "[" + GetParam().json);
}

const std::string FFFD = "\xEF\xBF\xBD";

INSTANTIATE_TEST_SUITE_P(
    JsonText, JsonString,
    ::testing::Values(
        StringCase{"", "\"\""}, StringCase{"bar", "\"bar\""},
        StringCase{"say \"hi\"", "\"say \\\"hi\\\"\""}, StringCase{"a\\b", "\"a\\\\b\""},
        StringCase{"/", "\"/\""},  // not escaped
        StringCase{"a\nb\tc\r", "\"a\\u000ab\\u0009c\\u000d\""},
        StringCase{std::string("\0", 1), "\"\\u0000\""}, StringCase{"\x1f", "\"\\u001f\""},
        StringCase{"\x7f", "\"\x7f\""},  // DEL is not a JSON control character
        StringCase{"°C Пар", "\"°C Пар\""},
        StringCase{"\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},  // four bytes kept whole
        StringCase{"\xC2\x85", "\"\xC2\x85\""},                  // C1 controls pass as they are
        // Bytes that begin no well-formed sequence: each one U+FFFD.
        StringCase{"a\xFF"
                   "b",
                   "\"a" + FFFD + "b\""},
        StringCase{"\x80", "\"" + FFFD + "\""},                        // a stray continuation byte
        StringCase{"\xC0\xAF", "\"" + FFFD + FFFD + "\""},             // an overlong '/'
        StringCase{"\xED\xA0\x80", "\"" + FFFD + FFFD + FFFD + "\""},  // a surrogate
        StringCase{"\xF4\x90\x80\x80", "\"" + FFFD + FFFD + FFFD + FFFD + "\""},  // > U+10FFFF
        StringCase{"\xD0", "\"" + FFFD + "\""},                     // cut short at the end
        StringCase{"\xE2\x82\"", "\"" + FFFD + FFFD + "\\\"\""}));  // cut short before a quote

struct NumberCase {
    double value;
    std::string plain;
    std::string compact;
};

class JsonNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(JsonNumber, ShortestOrNull) {
    EXPECT_EQ(json_number(GetParam().value), GetParam().plain);
    EXPECT_EQ(json_number(GetParam().value, NumberStyle::compact), GetParam().compact);
}

INSTANTIATE_TEST_SUITE_P(
    JsonText, JsonNumber,
    ::testing::Values(NumberCase{NaN, "null", "null"}, NumberCase{-NaN, "null", "null"},
                      NumberCase{INF, "null", "null"}, NumberCase{-INF, "null", "null"},
                      NumberCase{0.0, "0", "0"}, NumberCase{-0.0, "-0", "-0"},
                      NumberCase{25.0, "25", "25"}, NumberCase{-77.5, "-77.5", "-77.5"},
                      NumberCase{100000.0, "100000", "1e+05"},
                      NumberCase{0.30000000000000004, "0.30000000000000004", "0.30000000000000004"},
                      NumberCase{6.02214076e23, "6.02214076e+23", "6.02214076e+23"},
                      NumberCase{5e-324, "5e-324", "5e-324"}));

// A writer's pieces together: the numbers in the writer's style, the names quoted.
TEST(JsonText, BuildsAnObject) {
    JsonText j(NumberStyle::compact);
    j.raw("{").key("x").number(1e6).raw(",").key("y").number(NaN);
    j.raw(",").key("ok").boolean(true).raw(",").key("s").string("a\"b").raw("}");
    EXPECT_EQ(std::move(j).str(), "{\"x\":1e+06,\"y\":null,\"ok\":true,\"s\":\"a\\\"b\"}");
    JsonText plain;
    plain.number(1e6);
    EXPECT_EQ(std::move(plain).str(), "1000000");
}

}  // namespace
}  // namespace zeltra5
