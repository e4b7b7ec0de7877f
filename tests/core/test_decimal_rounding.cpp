// Rounding a double to its decimal text: the charts round every converted value, the value
// ranges only what is within a few units in the last place of a 15-digit number.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "zeltra5/decimal_rounding.hpp"

namespace zeltra5 {
namespace {

constexpr double MAX = std::numeric_limits<double>::max();
constexpr double INF = std::numeric_limits<double>::infinity();

struct RoundCase {
    double value;
    double significant15;  // round_to_significant_digits(value, 15)
    double noise_free;     // without_last_place_noise(value)
};

class Rounding : public ::testing::TestWithParam<RoundCase> {};

TEST_P(Rounding, BySignificantDigitsAndByNoise) {
    const RoundCase& c = GetParam();
    EXPECT_EQ(round_to_significant_digits(c.value, 15), c.significant15) << c.value;
    EXPECT_EQ(without_last_place_noise(c.value), c.noise_free) << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    DecimalRounding, Rounding,
    ::testing::Values(RoundCase{10.000000000000002, 10.0, 10.0},  // 0.1 x 10 x 10
                      RoundCase{0.30000000000000004, 0.3, 0.3},
                      RoundCase{0.09999999999999999, 0.1, 0.1},  // 1e4 Pa in bar
                      RoundCase{-2.0000000000000004, -2.0, -2.0}, RoundCase{25.0, 25.0, 25.0},
                      RoundCase{0.0, 0.0, 0.0},
                      // 17 significant digits, far from a 15-digit number: the charts round,
                      // a value range keeps it.
                      RoundCase{1.2345678901234567, 1.23456789012346, 1.2345678901234567},
                      RoundCase{0.1 + 1e-14, 0.10000000000001, 0.10000000000001},
                      RoundCase{MAX, MAX, MAX},  // rounds up past the largest double: kept
                      RoundCase{INF, INF, INF}, RoundCase{-INF, -INF, -INF}));

TEST(DecimalRounding, NaNStaysNaN) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(round_to_significant_digits(nan, 15)));
    EXPECT_TRUE(std::isnan(round_to_decimal_places(nan, 9)));
    EXPECT_TRUE(std::isnan(without_last_place_noise(nan)));
}

struct PlacesCase {
    double value;
    int places;
    double rounded;
};

class Places : public ::testing::TestWithParam<PlacesCase> {};

TEST_P(Places, ReadsTheFixedText) {
    EXPECT_EQ(round_to_decimal_places(GetParam().value, GetParam().places), GetParam().rounded);
}

INSTANTIATE_TEST_SUITE_P(
    DecimalRounding, Places,
    ::testing::Values(PlacesCase{3 * 0.1, 9, 0.3}, PlacesCase{7 * 0.35, 9, 2.45},
                      PlacesCase{-3 * 0.1, 9, -0.3}, PlacesCase{0.0000000004, 9, 0.0},
                      PlacesCase{0.0000000006, 9, 0.000000001}, PlacesCase{2.5, 0, 2.0},
                      PlacesCase{1e300, 9, 1e300},  // a fixed text of 310 characters
                      PlacesCase{-MAX, 9, -MAX}));

}  // namespace
}  // namespace zeltra5
