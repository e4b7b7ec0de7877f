// The stencil sums' two forms: the portable one (what every build without AVX2 runs, and so what
// the table's own tests do not reach on a machine with it) against the AVX2 form where there is
// one, and against a sum in long double; on random values of mixed signs and sizes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "stencil.hpp"

namespace zeltra5::tabulated::detail {
namespace {

constexpr int N = STENCIL_NODES;
constexpr int F = STENCIL_FIELDS;

struct Stencil {
    double nodes[N][N * F];
    const double* rows[N];
    double wz[N];
    double we[N];
};

void fill(Stencil& s, std::mt19937_64& random) {
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-8, 8);
    for (int a = 0; a < N; ++a) {
        for (int k = 0; k < N * F; ++k) {
            s.nodes[a][k] = std::ldexp(unit(random), exponent(random));
        }
        s.rows[a] = s.nodes[a];
        // Lagrange weights: of either sign, summing to about one.
        s.wz[a] = unit(random);
        s.we[a] = unit(random);
    }
}

TEST(TabulatedStencil, BothFormsAreTheSums) {
    std::mt19937_64 random(20261210);
    const StencilSum fast = stencil_sum_avx2_if_available();
    double worst_portable = 0.0;
    double worst_fast = 0.0;
    for (int trial = 0; trial < 20000; ++trial) {
        Stencil s;
        fill(s, random);
        double portable[F];
        stencil_sum(s.rows, s.wz, s.we, portable);
        double vector[F];
        if (fast != nullptr) {
            fast(s.rows, s.wz, s.we, vector);
        }
        for (int f = 0; f < F; ++f) {
            long double exact = 0.0L;
            long double size = 0.0L;  // the sum of the terms' magnitudes: the rounding's scale
            for (int a = 0; a < N; ++a) {
                for (int b = 0; b < N; ++b) {
                    const long double term =
                        static_cast<long double>(s.wz[a]) * s.we[b] * s.nodes[a][b * F + f];
                    exact += term;
                    size += std::fabs(term);
                }
            }
            const double p = std::fabs(static_cast<double>(portable[f] - exact) / size);
            EXPECT_LE(p, 16 * 2.3e-16) << "field " << f;
            worst_portable = std::max(worst_portable, p);
            if (fast != nullptr) {
                const double v = std::fabs(static_cast<double>(vector[f] - exact) / size);
                EXPECT_LE(v, 16 * 2.3e-16) << "field " << f;
                worst_fast = std::max(worst_fast, v);
            }
        }
    }
    std::printf("largest error relative to the terms' magnitudes: portable %.2g, AVX2 %s%.2g\n",
                worst_portable, fast != nullptr ? "" : "(none) ", worst_fast);
}

}  // namespace
}  // namespace zeltra5::tabulated::detail
