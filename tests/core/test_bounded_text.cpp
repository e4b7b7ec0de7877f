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

// Numbers in the writer's style: format_shortest's plain text, or std::to_chars' compact one;
// nothing for what is not a finite number.
TEST(BoundedText, NumbersInTheWritersStyle) {
    char buffer[64];
    BoundedText plain(buffer, sizeof buffer);
    plain << 1e9 << " " << std::numeric_limits<double>::quiet_NaN() << "|" << -0.5;
    EXPECT_EQ(std::string(buffer), "1000000000 |-0.5");
    BoundedText compact(buffer, sizeof buffer, NumberStyle::compact);
    compact << 1e9 << " " << -std::numeric_limits<double>::infinity() << "|" << -0.5;
    EXPECT_EQ(std::string(buffer), "1e+09 |-0.5");
}

// Echoed text is quoted and filtered as everywhere else (echo_text).
TEST(BoundedText, QuotedEchoesFiltered) {
    char buffer[64];
    BoundedText w(buffer, sizeof buffer);
    w << "option ";
    w.quoted("a\x01\xFF");
    EXPECT_EQ(std::string(buffer), "option \"a??\"");
    EXPECT_EQ(w.length(), 12u);
}

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

// Cut at every size, the text ends before a character the bound split (1, 2, 3 and 4 bytes
// long), and not elsewhere; bytes that are not UTF-8 are cut where the bound falls.
TEST(BoundedText, EndsAtAWholeCharacterAtEverySize) {
    const std::string t = "a\xD0\x9F\xE2\x82\xAC\xF0\x9F\x98\x80";   // a, П, €, 😀
    const std::size_t whole[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10};  // by bytes kept
    for (std::size_t size = 1; size <= t.size() + 1; ++size) {
        std::string buffer(size, UNTOUCHED);
        BoundedText w(buffer.data(), size);
        w << t;
        w.end_at_whole_character();
        EXPECT_EQ(std::string(buffer.c_str()), t.substr(0, whole[size - 1])) << size;
        EXPECT_EQ(w.length(), t.size());
    }
    EXPECT_EQ(whole_characters("\x80\x80\x80", 2), 2u);
    EXPECT_EQ(whole_characters("a\xFF\xFF", 2), 2u);
}

}  // namespace
}  // namespace zeltra5
