// The one UTF-8 reader: what it takes for a character and what for a byte in no sequence, and
// the echo filter and the JSON strings that rest on it.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "zeltra5/echo_text.hpp"
#include "zeltra5/json_text.hpp"
#include "zeltra5/utf8.hpp"

namespace zeltra5 {
namespace {

struct DecodeCase {
    std::string text;
    std::uint32_t code;  // of the first character
    std::size_t length;
};

class Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decode, FirstCharacter) {
    std::size_t length = 0;
    EXPECT_EQ(decode_utf8(GetParam().text, 0, length), GetParam().code) << GetParam().text;
    EXPECT_EQ(length, GetParam().length) << GetParam().text;
    if (GetParam().length > 1) {
        std::string back;
        append_utf8(back, GetParam().code);
        EXPECT_EQ(back, GetParam().text.substr(0, GetParam().length));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Utf8, Decode,
    ::testing::Values(DecodeCase{"a", 'a', 1}, DecodeCase{"\xC2\xB0", 0xB0, 2},
                      DecodeCase{"\xD0\x9F", 0x41F, 2}, DecodeCase{"\xE2\x88\x92", 0x2212, 3},
                      DecodeCase{"\xEF\xBF\xBD", 0xFFFD, 3},  // U+FFFD itself, three bytes
                      DecodeCase{"\xF0\x9F\x98\x80", 0x1F600, 4},
                      DecodeCase{"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
                      DecodeCase{"\x80", REPLACEMENT_CHARACTER, 1},
                      DecodeCase{"\xC1\xBF", REPLACEMENT_CHARACTER, 1},      // overlong
                      DecodeCase{"\xE0\x9F\xBF", REPLACEMENT_CHARACTER, 1},  // overlong
                      DecodeCase{"\xED\xBF\xBF", REPLACEMENT_CHARACTER, 1},  // surrogate
                      DecodeCase{"\xF4\x90\x80\x80", REPLACEMENT_CHARACTER, 1},
                      DecodeCase{"\xF5\x80\x80\x80", REPLACEMENT_CHARACTER, 1},
                      DecodeCase{"\xE2\x88", REPLACEMENT_CHARACTER, 1},  // cut short
                      DecodeCase{"\xFF", REPLACEMENT_CHARACTER, 1}));

// A U+FFFD the text carries is a character like any other; only a byte in no sequence is
// replaced ('?' in an echo, U+FFFD in JSON).
TEST(Utf8, GivenReplacementCharacterIsKept) {
    const std::string given =
        "a\xEF\xBF\xBD"
        "b";
    EXPECT_EQ(echo_text(given), given);
    EXPECT_EQ(json_string(given), "\"" + given + "\"");
    EXPECT_EQ(echo_text("a\xFF"
                        "b"),
              "a?b");
}

}  // namespace
}  // namespace zeltra5
