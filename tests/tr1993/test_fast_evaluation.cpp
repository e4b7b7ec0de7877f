// The fast evaluation of the equation of state (powers of tau and delta built once per call)
// against the straightforward one (exp(t ln tau) and exp((d - 1) ln delta) per term), over a
// dense grid: every field must agree to 1e-12 relative.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "../reference/straightforward_helmholtz.cpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/saturation_fits.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check

namespace {

// Relative difference, scaled by the largest magnitude a field takes through its own terms.
double field_deviation(double fast, double slow, double scale) {
    if (fast == slow) return 0.0;
    return std::fabs(fast - slow) / std::max(std::fabs(slow), scale);
}

TEST(FastEvaluation, MatchesStraightforwardEvaluationOverTheDomain) {
    double worst[20] = {};
    int points = 0;
    for (double t = -77.0; t <= 450.0; t += 1.7) {
        for (double rho = 0.001; rho <= 740.0; rho *= 1.08) {
            // States the system reports: outside the saturation dome.
            if (t < CRITICAL_TEMPERATURE_C && rho > sat_vapour_density(t) &&
                rho < sat_liquid_density(t)) {
                continue;
            }
            FluidState fast, slow;
            evaluate_state(t, rho, fast);
            reference::evaluate_state(t, rho, slow);
            const double* f = &fast.T;
            const double* s = &slow.T;
            for (int k = 0; k < 18; ++k) {
                // Residual fields pass through zero (dilute gas, the Boyle line); there they
                // are measured against 1e-3, far below their size at liquid densities.
                const double dev = field_deviation(f[k], s[k], k >= 12 ? 1e-3 : 0.0);
                worst[k] = std::max(worst[k], dev);
                ASSERT_LE(dev, 1e-12) << "field " << k << " at t=" << t << " rho=" << rho;
            }
            const double pf = pressure_at(t, rho);
            const double ps = reference::pressure_at(t, rho);
            // Inside the dome p = (1 + delta phir_d) rho R T cancels to nearly nothing; measure
            // against the size of its terms.
            const double p_scale =
                rho * GAS_CONSTANT * slow.T * (1.0 + std::fabs(slow.delta * slow.phir_d));
            worst[18] = std::max(worst[18], std::fabs(pf - ps) / p_scale);
            ASSERT_LE(std::fabs(pf - ps), 1e-12 * p_scale) << "t=" << t << " rho=" << rho;
            ++points;
        }
    }
    std::printf(
        "%d points; worst relative deviation phir %.2g phir_d %.2g phir_dd %.2g phir_t "
        "%.2g phir_tt %.2g phir_dt %.2g phi0 %.2g pressure %.2g\n",
        points, worst[12], worst[13], worst[14], worst[15], worst[16], worst[17], worst[6],
        worst[18]);
}

// The third residual derivatives: the fast sums (a^3 - 3 a l^2 E - ... in extended precision)
// against the straightforward logarithmic derivatives term by term, and both against central
// differences of phir_dd in delta and in tau.
struct ThirdCase {
    double t;    // degC
    double rho;  // kg/m3
};

const ThirdCase THIRD_CASES[] = {
    {-70.0, 730.0}, {0.0, 640.0},  {25.0, 7.8},    {100.0, 0.5},   {132.0, 225.0},
    {150.0, 100.0}, {200.0, 50.0}, {300.0, 450.0}, {450.0, 600.0}, {450.0, 0.02},
};

class ThirdDerivatives : public ::testing::TestWithParam<ThirdCase> {};

TEST_P(ThirdDerivatives, MatchTheStraightforwardSumsAndDifferences) {
    const ThirdCase c = GetParam();
    double ddd = 0.0, ddt = 0.0, ref_ddd = 0.0, ref_ddt = 0.0;
    residual_phir_ddd_ddt(c.t, c.rho, ddd, ddt);
    reference::residual_phir_ddd_ddt(c.t, c.rho, ref_ddd, ref_ddt);
    // The straightforward form cancels terms of order 1/delta^3 at low densities.
    const double agree = c.rho < 1.0 ? 1e-6 : 1e-10;
    EXPECT_NEAR(ddd, ref_ddd, agree * std::max(std::fabs(ref_ddd), 1.0)) << c.t << " " << c.rho;
    EXPECT_NEAR(ddt, ref_ddt, agree * std::max(std::fabs(ref_ddt), 1.0)) << c.t << " " << c.rho;
    // d/d delta of phir_dd at constant tau.
    const double h = c.rho * 1e-5;
    FluidState up{}, down{}, s{};
    evaluate_state(c.t, c.rho + h, up);
    evaluate_state(c.t, c.rho - h, down);
    evaluate_state(c.t, c.rho, s);
    const double fd_delta = (up.phir_dd - down.phir_dd) / ((up.delta - down.delta));
    EXPECT_NEAR(fd_delta, ddd, 1e-5 * std::max(std::fabs(ddd), 1.0)) << c.t << " " << c.rho;
    // d/d tau of phir_dd at constant delta.
    const double dT = 1e-3;
    evaluate_state(c.t + dT, c.rho, up);
    evaluate_state(c.t - dT, c.rho, down);
    const double fd_tau = (up.phir_dd - down.phir_dd) / (up.tau - down.tau);
    EXPECT_NEAR(fd_tau, ddt, 1e-5 * std::max(std::fabs(ddt), 1.0)) << c.t << " " << c.rho;
}

INSTANTIATE_TEST_SUITE_P(FastEvaluation, ThirdDerivatives, ::testing::ValuesIn(THIRD_CASES));

// phir_d and phir_dd at delta = 0: the series against the case table of the straightforward
// evaluation, and against the evaluation at a density of 1e-7 kg/m3.
TEST(FastEvaluation, LowDensityLimitIsTheLimit) {
    for (double t = -77.0; t <= 450.0; t += 13.1) {
        double d = 0.0, dd = 0.0, ref_d = 0.0, ref_dd = 0.0;
        residual_low_density_limit(t, d, dd);
        reference::residual_low_density_limit(t, ref_d, ref_dd);
        EXPECT_NEAR(d, ref_d, 1e-13 * std::fabs(ref_d)) << t;
        EXPECT_NEAR(dd, ref_dd, 1e-12 * std::fabs(ref_dd)) << t;
        FluidState s{};
        evaluate_state(t, 1e-7, s);
        EXPECT_NEAR(s.phir_d, d, 1e-8 * std::fabs(d)) << t;
        EXPECT_NEAR(s.phir_dd, dd, 1e-6 * std::fabs(dd)) << t;
    }
}

// The partial evaluations the extended fields use, against the full one, bit for bit: the third
// derivatives alone (as the evaluation with them gives them) and the fields the fugacity and
// the ideal-gas cp read.
TEST(FastEvaluation, PartialEvaluationsAreBitForBitTheFullOnes) {
    for (double t = -77.0; t <= 450.0; t += 23.7) {
        for (const double rho : {1e-6, 0.02, 0.9, 7.8, 60.0, 225.0, 410.0, 640.0, 730.0}) {
            FluidState full{};
            double ddd = 0.0, ddt = 0.0, alone_ddd = 0.0, alone_ddt = 0.0;
            evaluate_state_and_third(t, rho, full, ddd, ddt);
            residual_phir_ddd_ddt(t, rho, alone_ddd, alone_ddt);
            EXPECT_EQ(alone_ddd, ddd) << t << " " << rho;
            EXPECT_EQ(alone_ddt, ddt) << t << " " << rho;
            FluidState part{};
            evaluate_fugacity_fields(t, rho, part);
            const double FluidState::*fields[] = {
                &FluidState::T,       &FluidState::rho,   &FluidState::R,
                &FluidState::tau,     &FluidState::delta, &FluidState::tau0,
                &FluidState::phi0_tt, &FluidState::phir,  &FluidState::phir_d};
            for (const auto field : fields) {
                EXPECT_EQ(part.*field, full.*field) << t << " " << rho;
            }
        }
    }
}

}  // namespace
}  // namespace zeltra5
