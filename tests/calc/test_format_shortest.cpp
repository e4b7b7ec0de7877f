// format_shortest against std::to_chars (shortest, fixed from 1e-4 to 1e15, general otherwise),
// byte for byte, and the round trip through std::from_chars, over edge cases and millions of
// random doubles.

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "zeltra5/quantities.hpp"

namespace zeltra5 {
namespace {

std::string_view reference_text(const double value, char (&buffer)[64]) {
    const double magnitude = std::fabs(value);
    const bool plain = magnitude == 0.0 || (magnitude >= 1e-4 && magnitude < 1e15);
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value,
                      plain ? std::chars_format::fixed : std::chars_format::general);
    return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
}

// Empty when format_shortest writes what std::to_chars writes, within SHORTEST_TEXT_SIZE, and the
// text reads back as the same double; otherwise what went wrong.
std::string fault(const double value) {
    constexpr char UNTOUCHED = '\x7F';
    char text[64];
    std::memset(text, UNTOUCHED, sizeof text);
    const char* const end = format_shortest(text, value);
    char reference_buffer[64];
    const std::string_view reference = reference_text(value, reference_buffer);
    const std::string_view written(text, static_cast<std::size_t>(end - text));
    const std::string bits = std::to_string(std::bit_cast<std::uint64_t>(value));
    if (written != reference) {
        return "bits " + bits + ": wrote '" + std::string(written) + "', std::to_chars '" +
               std::string(reference) + "'";
    }
    for (std::size_t i = SHORTEST_TEXT_SIZE; i < sizeof text; ++i) {
        if (text[i] != UNTOUCHED) return "bits " + bits + ": wrote past SHORTEST_TEXT_SIZE";
    }
    double back = 0.0;
    const auto read = std::from_chars(text, end, back);
    if (read.ec != std::errc{} || read.ptr != end ||
        std::bit_cast<std::uint64_t>(back) != std::bit_cast<std::uint64_t>(value)) {
        return "bits " + bits + ": '" + std::string(written) + "' does not read back";
    }
    return {};
}

// Checks every finite value (and its negative); reports the first few faults and how many there
// were.
void expect_all_match(const std::vector<double>& values) {
    int faults = 0;
    for (const double v : values) {
        if (!std::isfinite(v)) continue;  // a neighbour past the largest double
        for (const double signed_value : {v, -v}) {
            const std::string f = fault(signed_value);
            if (!f.empty() && ++faults <= 5) ADD_FAILURE() << f;
        }
    }
    EXPECT_EQ(faults, 0) << "of " << 2 * values.size() << " values";
}

double next_up(const double v, const int steps) {
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(v) + steps);
}

TEST(FormatShortest, WritesTheExpectedText) {
    constexpr double MIN_SUBNORMAL = std::numeric_limits<double>::denorm_min();
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "-0"},
        {MIN_SUBNORMAL, "5e-324"},
        {2 * MIN_SUBNORMAL, "1e-323"},
        {16 * MIN_SUBNORMAL, "8e-323"},
        {std::numeric_limits<double>::min(), "2.2250738585072014e-308"},
        {std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
        {-std::numeric_limits<double>::max(), "-1.7976931348623157e+308"},
        {1e-4, "0.0001"},
        {next_up(1e-4, -1), "9.999999999999999e-05"},
        {1.2345e-4, "0.00012345"},
        {1e15, "1e+15"},
        {next_up(1e15, -1), "999999999999999.9"},
        {9.999999999999999e14, "999999999999999.9"},
        {123456789012345.67, "123456789012345.67"},
        {1e14, "100000000000000"},
        {100000.0, "100000"},
        {1.0, "1"},
        {0.1, "0.1"},
        {0.3, "0.3"},
        {0.1 + 0.2, "0.30000000000000004"},
        {0.0641723442541975, "0.0641723442541975"},
        {1.2645726954949233e-06, "1.2645726954949233e-06"},
        {-273.15, "-273.15"},
        {9007199254740992.0, "9.007199254740992e+15"},
        {9007199254740993.0, "9.007199254740992e+15"},
        {1e100, "1e+100"},
        {1.5e300, "1.5e+300"},
        {2.5e-10, "2.5e-10"},
    };
    for (const auto& c : cases) {
        char text[SHORTEST_TEXT_SIZE];
        EXPECT_EQ(std::string(text, format_shortest(text, c.value)), c.text) << c.text;
    }
}

TEST(FormatShortest, WritesNothingForNaNAndInfinities) {
    for (const double v :
         {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
          std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
        char text[SHORTEST_TEXT_SIZE];
        EXPECT_EQ(format_shortest(text, v), text);
    }
}

TEST(FormatShortest, MatchesToCharsOnEdgeCases) {
    std::vector<double> values = {0.0,
                                  std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::max(),
                                  1e-4,
                                  1e15,
                                  9.999999999999999e14,
                                  5e-324,
                                  1e23,
                                  5e-5,
                                  2.2250738585072009e-308};
    // Neighbours of the values above, of every power of two (the irregular spacing at the bottom
    // of each binade) and of every power of ten.
    const std::size_t listed = values.size();
    for (std::size_t i = 0; i < listed; ++i) {
        for (const int step : {-2, -1, 1, 2}) values.push_back(next_up(values[i], step));
    }
    for (int e = -1074; e <= 1023; ++e) {
        const double p = std::ldexp(1.0, e);
        for (const int step : {-1, 0, 1, 2}) values.push_back(next_up(p, step));
    }
    for (int e = -323; e <= 308; ++e) {
        double p = 0.0;
        const std::string text = "1e" + std::to_string(e);
        std::from_chars(text.data(), text.data() + text.size(), p);
        for (const int step : {-1, 0, 1}) values.push_back(next_up(p, step));
        for (const double m : {1.5, 2.5, 9.5, 9.999999999999999}) values.push_back(m * p);
    }
    // Subnormals with few digits, integers up to 2^53 and beyond, 17 significant digits.
    for (int c = 1; c < 2000; ++c) values.push_back(c * std::numeric_limits<double>::denorm_min());
    std::mt19937_64 random(20240611);
    for (int bits = 1; bits <= 64; ++bits) {
        for (int i = 0; i < 200; ++i) {
            const std::uint64_t n = random() >> (64 - bits);
            values.push_back(static_cast<double>(n));
        }
    }
    for (std::uint64_t n = (std::uint64_t{1} << 53) - 100; n < (std::uint64_t{1} << 53) + 100; ++n)
        values.push_back(static_cast<double>(n));
    for (std::uint64_t p = 10; p <= 1000000000000000000u; p *= 10) {
        for (const int d : {-1, 0, 1}) values.push_back(static_cast<double>(p + d));
    }
    std::uniform_int_distribution<std::uint64_t> seventeen(10000000000000000u, 99999999999999999u);
    std::uniform_int_distribution<int> decimal_exponent(-340, 300);
    for (int i = 0; i < 20000; ++i) {
        const std::string text =
            std::to_string(seventeen(random)) + "e" + std::to_string(decimal_exponent(random));
        double v = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), v);
        values.push_back(v);
    }
    expect_all_match(values);
}

TEST(FormatShortest, MatchesToCharsOnRandomBitPatterns) {
    std::mt19937_64 random(0x5eed5eed);
    std::vector<double> values;
    values.reserve(2000000);
    while (values.size() < 2000000) {
        const double v = std::bit_cast<double>(random());
        if (std::isfinite(v)) values.push_back(v);
    }
    expect_all_match(values);
}

TEST(FormatShortest, MatchesToCharsOnTypicalValues) {
    // Log-uniform magnitudes: what the calculation writes, and across the 1e15 change of notation.
    const struct {
        double low, high;
        int count;
    } ranges[] = {{1e-8, 1e9, 2000000}, {1e9, 1e17, 300000}};
    std::mt19937_64 random(42);
    for (const auto& r : ranges) {
        std::uniform_real_distribution<double> exponent(std::log(r.low), std::log(r.high));
        std::vector<double> values(static_cast<std::size_t>(r.count));
        for (double& v : values) v = std::exp(exponent(random));
        expect_all_match(values);
    }
}

}  // namespace
}  // namespace zeltra5
