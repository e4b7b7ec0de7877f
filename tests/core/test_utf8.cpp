// The one UTF-8 reader under the echo filter and the JSON strings: a character it reads is kept,
// a byte in no sequence is replaced.

#include <gtest/gtest.h>

#include <string>

#include "zeltra5/echo_text.hpp"
#include "zeltra5/json_text.hpp"

namespace zeltra5 {
namespace {

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
