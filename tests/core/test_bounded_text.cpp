// The bounded text writer: at every buffer size around the text's length it keeps exactly the
// part that fits, terminates it, never writes past the buffer, and answers the whole length.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "zeltra5/bounded_text.hpp"

namespace zeltra5 {
namespace {

constexpr char UNTOUCHED = '#';

// Writes `pieces` through a BoundedText into a buffer of `size` bytes that lies inside a larger
// one filled with UNTOUCHED, and checks the contract; answers what the buffer holds.
std::string written(const std::vector<std::string_view>& pieces, const std::size_t size,
                    std::size_t& length) {
    std::string guard(size + 8, UNTOUCHED);
    BoundedText w(guard.data() + 4, size);
    for (const std::string_view p : pieces) {
        w << p;
    }
    length = w.length();
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(guard[i], UNTOUCHED) << "written before the buffer";
        EXPECT_EQ(guard[size + 4 + i], UNTOUCHED) << "written past the buffer of " << size;
    }
    if (size == 0) {
        EXPECT_EQ(w.kept(), 0u);
        return {};
    }
    const std::string kept(guard.data() + 4);
    EXPECT_EQ(kept.size(), w.kept());
    return kept;
}

struct PiecesCase {
    std::vector<std::string_view> pieces;
    std::string whole;
};

class Bounded : public ::testing::TestWithParam<PiecesCase> {};

TEST_P(Bounded, KeepsThePrefixThatFitsAtEverySize) {
    const std::string& whole = GetParam().whole;
    for (std::size_t size = 0; size <= whole.size() + 3; ++size) {
        std::size_t length = 0;
        const std::string kept = written(GetParam().pieces, size, length);
        EXPECT_EQ(length, whole.size()) << "size " << size;
        if (size > 0) {
            EXPECT_EQ(kept, whole.substr(0, size - 1)) << "size " << size;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    BoundedText, Bounded,
    ::testing::Values(PiecesCase{{}, ""}, PiecesCase{{""}, ""}, PiecesCase{{"a"}, "a"},
                      PiecesCase{{"temperature ", "500", " °C"}, "temperature 500 °C"},
                      PiecesCase{{"", "ab", "", "c", ""}, "abc"},
                      PiecesCase{{"давление ", "10", " бар"}, "давление 10 бар"}));

// The buffer is terminated as soon as the writer exists: nothing written is an empty text.
TEST(BoundedText, EmptyTextIsTerminated) {
    char buffer[4] = {'x', 'y', 'z', 'w'};
    const BoundedText w(buffer, sizeof buffer);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(w.length(), 0u);
}

// A buffer of size 0 may be null: nothing is written, the length is still counted.
TEST(BoundedText, NullBufferOfSizeZeroCountsOnly) {
    BoundedText w(nullptr, 0);
    w << "abc" << 2.5;
    w.end_at_whole_character();
    EXPECT_EQ(w.length(), 6u);
    EXPECT_EQ(w.kept(), 0u);
}

struct NumberCase {
    double value;
    std::string text;          // plain
    std::string compact_text;  // compact
};

class BoundedNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(BoundedNumber, WritesTheShortestText) {
    char buffer[64];
    BoundedText w(buffer, sizeof buffer);
    w << "[" << GetParam().value << "]";
    EXPECT_EQ(std::string(buffer), "[" + GetParam().text + "]");
    BoundedText c(buffer, sizeof buffer, NumberStyle::compact);
    c << "[" << GetParam().value << "]";
    EXPECT_EQ(std::string(buffer), "[" + GetParam().compact_text + "]");
}

INSTANTIATE_TEST_SUITE_P(
    BoundedText, BoundedNumber,
    ::testing::Values(
        NumberCase{0.0, "0", "0"}, NumberCase{-0.0, "-0", "-0"}, NumberCase{450.0, "450", "450"},
        NumberCase{0.1, "0.1", "0.1"}, NumberCase{100000.0, "100000", "1e+05"},
        NumberCase{123456.0, "123456", "123456"}, NumberCase{1e9, "1000000000", "1e+09"},
        NumberCase{1.000001e9, "1000001000", "1000001000"}, NumberCase{1e308, "1e+308", "1e+308"},
        NumberCase{0.00001, "1e-05", "1e-05"},
        NumberCase{1.2645726954949233e-06, "1.2645726954949233e-06", "1.2645726954949233e-06"},
        NumberCase{std::numeric_limits<double>::quiet_NaN(), "", ""},
        NumberCase{-std::numeric_limits<double>::infinity(), "", ""}));

// Echoed text is quoted and filtered as everywhere else (echo_text).
TEST(BoundedText, QuotedEchoesFiltered) {
    char buffer[64];
    BoundedText w(buffer, sizeof buffer);
    w << "option ";
    w.quoted("a\x01\xFF");
    EXPECT_EQ(std::string(buffer), "option \"a??\"");
    EXPECT_EQ(w.length(), 12u);
}

struct CutCase {
    std::string text;
    std::size_t size;
    std::string kept;  // after end_at_whole_character
};

class BoundedCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(BoundedCut, EndsAtAWholeCharacter) {
    std::string buffer(GetParam().size, UNTOUCHED);
    BoundedText w(buffer.data(), buffer.size());
    w << GetParam().text;
    w.end_at_whole_character();
    EXPECT_EQ(std::string(buffer.c_str()), GetParam().kept);
    EXPECT_EQ(w.length(), GetParam().text.size());
}

const std::string ru = "\xD0\x9F";             // П, two bytes
const std::string degree = "\xC2\xB0";         // °, two bytes
const std::string euro = "\xE2\x82\xAC";       // €, three bytes
const std::string emoji = "\xF0\x9F\x98\x80";  // four bytes

INSTANTIATE_TEST_SUITE_P(BoundedText, BoundedCut,
                         ::testing::Values(CutCase{"a" + ru, 2, "a"}, CutCase{"a" + ru, 3, "a"},
                                           CutCase{"a" + ru, 4, "a" + ru}, CutCase{ru + ru, 4, ru},
                                           CutCase{"1 " + degree + "C", 4, "1 "},
                                           CutCase{"x" + euro, 3, "x"}, CutCase{"x" + euro, 4, "x"},
                                           CutCase{"x" + euro, 5, "x" + euro},
                                           CutCase{emoji, 2, ""}, CutCase{emoji, 4, ""},
                                           CutCase{emoji, 5, emoji}, CutCase{"abc", 2, "a"},
                                           // Text that is not UTF-8 is cut where the bound falls.
                                           CutCase{"\x80\x80\x80", 3, "\x80\x80"},
                                           CutCase{"a\xFF\xFF", 3, "a\xFF"}));

// whole_text gets the whole of a text however long, also where it is one byte either side of the
// room it first tries.
TEST(WholeText, WholeAtEveryLengthAroundTheFirstBuffer) {
    for (const std::size_t n : {0, 1, 510, 511, 512, 513, 5000}) {
        std::string expected;
        for (std::size_t i = 0; i < n; ++i) {
            expected += static_cast<char>('a' + i % 26);
        }
        int calls = 0;
        const std::string got = whole_text([&](char* buffer, const std::size_t size) {
            ++calls;
            BoundedText w(buffer, size);
            w << expected;
            return w.length();
        });
        EXPECT_EQ(got, expected) << n;
        EXPECT_EQ(calls, n < 512 ? 1 : 2) << n;
    }
}

// whole_characters on its own: the bytes of a text cut at n that form whole characters.
TEST(WholeCharacters, DropsOnlyAnIncompleteLastCharacter) {
    const std::string t = "a" + ru + euro + emoji;  // 1 + 2 + 3 + 4 bytes
    const std::size_t expected[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10};
    for (std::size_t n = 0; n <= t.size(); ++n) {
        EXPECT_EQ(whole_characters(t.data(), n), expected[n]) << n;
    }
}

}  // namespace
}  // namespace zeltra5
