// The tolerance exponent against the printed text it is defined by, over every decade the
// solvers meet and at the edges of each decade, where rounding to 17 digits carries over.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "zeltra5/solvers.hpp"

namespace zeltra5 {
namespace {

int printed(double v, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "% -.16e", v);
    const char* e = text;
    while (*e != 'e') ++e;
    return std::atoi(e + 1) - digits + 1;
}

TEST(DecimalExponent, AgreesWithThePrintedExponent) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    int checked = 0;
    for (int e = -30; e <= 30; ++e) {
        const double p = std::pow(10.0, e);
        for (int k = 0; k < 200; ++k) {
            const double v = mantissa(rng) * p;
            for (double s : {v, -v}) {
                ASSERT_EQ(decimal_exponent(s, 13), printed(s, 13)) << s;
                ++checked;
            }
        }
        // Around the power of ten: below it, at it, and the values that print as 1e(e) after
        // rounding up from 9.99999999999999999...
        double below = p;
        for (int k = 0; k < 40; ++k) {
            below = std::nextafter(below, 0.0);
            ASSERT_EQ(decimal_exponent(below, 14), printed(below, 14)) << below;
        }
        double above = p;
        for (int k = 0; k < 40; ++k) {
            ASSERT_EQ(decimal_exponent(above, 14), printed(above, 14)) << above;
            above = std::nextafter(above, 1e300);
        }
        for (double m : {9.9999999999999995, 9.99999999999999, 9.999999999, 1.000000001}) {
            ASSERT_EQ(decimal_exponent(m * p, 13), printed(m * p, 13)) << m * p;
        }
    }
    EXPECT_GT(checked, 20000);
    // floor(log10) of the double below 1e6 is 6, but it prints as 9.9999999999999988e+05.
    EXPECT_EQ(decimal_exponent(std::nextafter(1e6, 0.0), 1), 5);
    EXPECT_EQ(decimal_exponent(1e5, 13), -7);                     // tolerance 1e-7 at 1 bar
    EXPECT_EQ(decimal_exponent(0.0, 13), -12);
    EXPECT_EQ(decimal_exponent(5e-320, 13), printed(5e-320, 13));
}

}  // namespace
}  // namespace zeltra5
