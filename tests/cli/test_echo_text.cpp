// The one echo of user text: cut at ECHO_LIMIT characters, never inside one, with invalid UTF-8
// and control characters replaced.

#include <gtest/gtest.h>

#include <string>

#include "zeltra5/echo_text.hpp"

namespace zeltra5 {
namespace {

struct EchoCase {
    std::string text;
    std::string echo;
};

class Echo : public ::testing::TestWithParam<EchoCase> {};

TEST_P(Echo, ReplacesAndCuts) {
    EXPECT_EQ(echo_text(GetParam().text), GetParam().echo);
}

const std::string forty(40, 'a');
const std::string ru = "\xD0\x9F";  // П, two bytes

INSTANTIATE_TEST_SUITE_P(
    EchoText, Echo,
    ::testing::Values(EchoCase{"", ""}, EchoCase{"p-t 10", "p-t 10"}, EchoCase{"Пар °C", "Пар °C"},
                      EchoCase{"a\x01"
                               "b\x1b[2Jc\x7f",
                               "a?b?[2Jc?"},
                      EchoCase{std::string("a\0b", 3), "a?b"},
                      EchoCase{"tab\there\r\n", "tab?here??"},
                      EchoCase{"\xFF\xFE", "??"},  // never a UTF-8 byte
                      EchoCase{"\x80"
                               "x",
                               "?x"},                        // a stray continuation byte
                      EchoCase{"\xC0\xAF", "??"},            // an overlong '/'
                      EchoCase{"\xE0\x80\xAF", "???"},       // an overlong three-byte form
                      EchoCase{"\xED\xA0\x80", "???"},       // a surrogate
                      EchoCase{"\xF4\x90\x80\x80", "????"},  // above U+10FFFF
                      EchoCase{"\xD0", "?"},                 // cut short at the end
                      EchoCase{"\xE2\x82"
                               "x",
                               "??x"},  // cut short before a letter
                      EchoCase{"\xC2\x85|\xE2\x80\xAE|\xE2\x80\xA8|\xD8\x9C",
                               "?|?|?|?"},  // NEL, RLO, line separator, Arabic letter mark
                      EchoCase{"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},  // four bytes kept whole
                      EchoCase{forty, forty}, EchoCase{forty + "b", forty + "..."},
                      EchoCase{std::string(39, 'a') + ru, std::string(39, 'a') + ru},
                      EchoCase{std::string(39, 'a') + ru + ru, std::string(39, 'a') + ru + "..."},
                      EchoCase{[] {
                                   std::string s;
                                   for (int i = 0; i < 41; ++i) s += ru;
                                   return s;
                               }(),
                               [] {
                                   std::string s;
                                   for (int i = 0; i < 40; ++i) s += ru;
                                   return s + "...";
                               }()},
                      EchoCase{std::string(40, '\0') + "x", std::string(40, '?') + "..."},
                      EchoCase{std::string(1 << 20, 'z'), std::string(40, 'z') + "..."}));

TEST(EchoText, AppendsToWhatIsThere) {
    std::string s = "range \"";
    append_echo(s,
                "\x01"
                "1:2");
    EXPECT_EQ(s, "range \"?1:2");
}

}  // namespace
}  // namespace zeltra5
