// The table's inline logarithm against the C library's.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "logarithm.hpp"

namespace zeltra5::tabulated {
namespace {

double ulps_apart(const double a, const double b) {
    if (a == b) {
        return 0.0;
    }
    const double ulp = std::nextafter(std::fabs(b), HUGE_VAL) - std::fabs(b);
    return std::fabs(a - b) / ulp;
}

// Within one unit in the last place over the whole range of normal doubles, random exponents
// and significands.
TEST(Logarithm, WithinOneUlpOfTheLibrary) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> exponent(-1020.0, 1020.0);
    std::uniform_real_distribution<double> significand(1.0, 2.0);
    double worst = 0.0;
    for (int i = 0; i < 200000; ++i) {
        const double x = std::ldexp(significand(rng), static_cast<int>(exponent(rng)));
        worst = std::max(worst, ulps_apart(logarithm(x), std::log(x)));
    }
    EXPECT_LE(worst, 1.0);
}

struct Point {
    double x;
    const char* what;
};

// The cases where its reduction changes branch or the result is small or exact, and the inputs
// it hands to the library.
TEST(Logarithm, EdgesOfTheReduction) {
    const double below_root = std::nextafter(std::sqrt(0.5), 0.0);
    const Point points[] = {
        {1.0, "one"},
        {std::sqrt(0.5), "sqrt(1/2)"},
        {below_root, "just below sqrt(1/2)"},
        {std::sqrt(2.0), "sqrt(2)"},
        {std::nextafter(1.0, 2.0), "just above one"},
        {std::nextafter(1.0, 0.0), "just below one"},
        {2.0, "two"},
        {0.5, "a half"},
        {1.0000001, "near one"},
        {std::numeric_limits<double>::min(), "the smallest normal"},
        {std::numeric_limits<double>::max(), "the largest"},
        {6053.3888838311186, "a lowest pressure"},
    };
    for (const Point& p : points) {
        EXPECT_LE(ulps_apart(logarithm(p.x), std::log(p.x)), 1.0) << p.what;
    }
    EXPECT_EQ(logarithm(1.0), 0.0);
    // Beyond the normal range: what the library answers.
    EXPECT_EQ(logarithm(0.0), -HUGE_VAL);
    EXPECT_TRUE(std::isnan(logarithm(-1.0)));
    EXPECT_TRUE(std::isnan(logarithm(NAN)));
    EXPECT_EQ(logarithm(HUGE_VAL), HUGE_VAL);
    EXPECT_EQ(logarithm(5e-324), std::log(5e-324));
}

}  // namespace
}  // namespace zeltra5::tabulated
