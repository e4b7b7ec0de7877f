// The inline exponential against the C library's, which is within half a unit in the last place.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "zeltra5/exponential.hpp"

namespace zeltra5 {
namespace {

// Units in the last place between two finite positive doubles.
std::uint64_t ulps_apart(const double a, const double b) {
    const auto x = std::bit_cast<std::uint64_t>(a);
    const auto y = std::bit_cast<std::uint64_t>(b);
    return x > y ? x - y : y - x;
}

TEST(Exponential, TableEntriesAreThePowersOfTwo) {
    for (int j = 0; j < 128; ++j) {
        SCOPED_TRACE(j);
        EXPECT_LE(ulps_apart(exponential_detail::EXP2_FRACTIONS[j], std::exp2(j / 128.0)), 1u);
    }
    EXPECT_EQ(exponential_detail::EXP2_FRACTIONS[0], 1.0);
    EXPECT_EQ(exponential_detail::EXP2_FRACTIONS[64], std::sqrt(2.0));
}

// Within one unit of the C library's over the ranges the equations of state meet (arguments of a
// few units) and over the whole range where the result is a normal double, including the
// points where k mod 128 wraps and the binary exponent steps.
TEST(Exponential, WithinOneUnitOfTheLibrary) {
    std::mt19937_64 random(20261210);
    struct Range {
        double lo;
        double hi;
    };
    const Range ranges[] = {{-1e-6, 1e-6}, {-5.0, 5.0}, {-60.0, 10.0}, {-707.9, 707.9}};
    for (const Range& range : ranges) {
        std::uniform_real_distribution<double> pick(range.lo, range.hi);
        std::uint64_t worst = 0;
        for (int i = 0; i < 200000; ++i) {
            const double x = pick(random);
            worst = std::max(worst, ulps_apart(exponential(x), std::exp(x)));
        }
        EXPECT_LE(worst, 1u) << range.lo << " to " << range.hi;
    }
    for (int k = -130000; k <= 130000; k += 37) {
        const double x = k * (std::log(2.0) / 128.0);
        for (const double at : {std::nextafter(x, -1e9), x, std::nextafter(x, 1e9)}) {
            EXPECT_LE(ulps_apart(exponential(at), std::exp(at)), 1u) << at;
        }
    }
}

TEST(Exponential, EdgesAndSpecialValues) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(exponential(0.0), 1.0);
    EXPECT_EQ(exponential(-0.0), 1.0);
    EXPECT_EQ(exponential(1e-300), 1.0);
    EXPECT_EQ(exponential(-inf), 0.0);
    EXPECT_EQ(exponential(-800.0), 0.0);
    EXPECT_EQ(exponential(inf), inf);
    EXPECT_EQ(exponential(710.0), inf);
    EXPECT_TRUE(std::isnan(exponential(std::nan(""))));
    // The library answers from |x| = 708 on (subnormal results among them); just inside, the
    // table still scales a normal double.
    for (const double x : {-708.0, 708.0, -740.0, 709.7}) {
        EXPECT_EQ(exponential(x), std::exp(x)) << x;
    }
    for (const double x : {std::nextafter(-708.0, 0.0), std::nextafter(708.0, 0.0)}) {
        EXPECT_LE(ulps_apart(exponential(x), std::exp(x)), 1u) << x;
    }
}

}  // namespace
}  // namespace zeltra5
