// The whole calculation against a build of it with the straightforward equation-of-state
// evaluation (the reference dump): over a dense grid of every mode, the same status, phase and
// detail, and every field within 3e-12 relative, scaled by how strongly the state amplifies the
// rounding of the Helmholtz sums:
// - a cold liquid's pressure p = rho R T (1 + delta phir_d) cancels its terms by the factor
//   rho R T / p (up to 1e4 at the lowest pressures), and so do the saturated records of a
//   mixture and every property formed at that pressure;
// - within 5 K and 5 % of the critical point cp, the conductivity and the expansion coefficient
//   grow without bound, and so does their sensitivity.
// Both implementations round differently (powers of tau by multiplication or by exp(t ln tau));
// neither is nearer the exact value.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "zeltra5/calc.hpp"
#include "zeltra5/saturation_fits.hpp"
#include "zeltra5/tr1993_constants.hpp"

#ifndef ZELTRA5_REFERENCE_DUMP
#error "ZELTRA5_REFERENCE_DUMP names the reference dump executable"
#endif

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the checks cover
namespace {

// How much the state at (p, t) with density rho amplifies relative rounding of the Helmholtz sums.
double amplification(double p, double t, double rho) {
    double dense = rho;
    if (t < CRITICAL_TEMPERATURE_C) dense = std::max(dense, sat_liquid_density(t));
    const double cancellation = dense * GAS_CONSTANT * (t + KELVIN_OFFSET) / p;
    const bool near_critical = std::fabs(t - CRITICAL_TEMPERATURE_C) < 5.0 &&
                               std::fabs(p / CRITICAL_PRESSURE - 1.0) < 0.05;
    return std::max(1.0, cancellation) * (near_critical ? 30.0 : 1.0);
}

TEST(ReferenceCalculation, FastPathsChangeNoResult) {
    FILE* dump = popen(ZELTRA5_REFERENCE_DUMP, "r");
    ASSERT_NE(dump, nullptr);
    char line[4096];
    int requests = 0, valid = 0;
    double worst = 0.0;        // deviation over tolerance
    double worst_plain = 0.0;  // deviation where the state amplifies nothing
    int worst_field = -1;
    while (std::fgets(line, sizeof line, dump) != nullptr) {
        CalcRequest r{};
        int status = 0, phase = 0, detail = 0;
        double f[19];
        int pos = 0;
        ASSERT_EQ(std::sscanf(line, "%d %d %la %la %d%n", &r.mode, &r.side, &r.first_value,
                              &r.second_value, &status, &pos),
                  5);
        const char* p = line + pos;
        for (double& v : f) {
            int n = 0;
            ASSERT_EQ(std::sscanf(p, " %la%n", &v, &n), 1);
            p += n;
        }
        ASSERT_EQ(std::sscanf(p, " %d %d", &phase, &detail), 2);
        ++requests;

        PropertyResult out{};
        const int fast_status = calculate_properties(r, out);
        ASSERT_EQ(fast_status, status) << line;
        if (status != 0) continue;
        ++valid;
        EXPECT_EQ(out.phase, phase) << line;
        EXPECT_EQ(out.phase_detail, detail) << line;
        const double tolerance = 3e-12 * amplification(f[1], f[2], f[4]);
        const double* g = &out.relative_enthalpy;
        for (int k = 0; k < 19; ++k) {
            if (g[k] == f[k]) continue;
            const double dev = std::fabs(g[k] - f[k]) / std::fabs(f[k]);
            if (dev / tolerance > worst) worst = dev / tolerance, worst_field = k;
            if (tolerance == 3e-12) worst_plain = std::max(worst_plain, dev);
            EXPECT_LE(dev, tolerance) << "field " << k << ": " << line;
        }
    }
    const int rc = pclose(dump);
    EXPECT_EQ(rc, 0);
    EXPECT_GT(requests, 10000);
    std::printf(
        "%d requests, %d valid; worst deviation %.2g of its tolerance (field %d); worst "
        "relative deviation of well-conditioned states %.2g\n",
        requests, valid, worst, worst_field, worst_plain);
}

}  // namespace
}  // namespace zeltra5
