// Equation of state: exact reduced variables, thermodynamic identities over the whole domain,
// and the analytic derivatives of the Helmholtz sums against finite differences.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "zeltra5/helmholtz.hpp"
#include "zeltra5/saturation_fits.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

struct Point {
    double t;
    double rho;
};

// (t, rho) grid over -77..450 degC and 0.01..730 kg/m3, keeping stable states: outside the
// saturation dome below the critical temperature.
std::vector<Point> domain_grid() {
    std::vector<Point> points;
    for (double t = -77.0; t <= 450.0; t += 17.0) {
        for (double rho : {0.01, 0.5, 3.0, 12.0, 40.0, 90.0, 160.0, 225.0, 300.0, 420.0, 520.0,
                           600.0, 660.0, 700.0, 730.0}) {
            if (t < CRITICAL_TEMPERATURE_C && rho > sat_vapour_density(t) &&
                rho < sat_liquid_density(t)) {
                continue;
            }
            FluidState s;
            evaluate_state(t, rho, s);
            if (state_pressure(s) <= 0.0 || state_pressure(s) > 2.0e8) {
                continue;
            }
            points.push_back({t, rho});
        }
    }
    return points;
}

TEST(Helmholtz, ReducedVariablesUseTheStoredReciprocals) {
    FluidState s;
    evaluate_state(CRITICAL_TEMPERATURE_C, CRITICAL_DENSITY, s);
    EXPECT_EQ(s.tau, 1.0);
    EXPECT_EQ(s.delta, 1.0);
    EXPECT_EQ(s.T, 405.4);

    // rho x 0.0044444444444444444 and rho / 225 differ in the last bit here.
    const double rho = 127.692;
    evaluate_state(20.0, rho, s);
    EXPECT_EQ(s.delta, rho * 0.0044444444444444444);
    EXPECT_NE(s.delta, rho / 225.0);
    EXPECT_EQ(s.delta0, rho * 0.00391460063831478);
    EXPECT_EQ(s.phi0_d, 255.4539 / rho);
    EXPECT_EQ(s.phi0_dd, -s.phi0_d * s.phi0_d);
    EXPECT_EQ(s.phi0_dt, 0.0);
}

TEST(Helmholtz, ThermodynamicIdentitiesHoldOverTheDomain) {
    const auto grid = domain_grid();
    ASSERT_GT(grid.size(), 200u);
    for (const Point& pt : grid) {
        SCOPED_TRACE(testing::Message() << "t=" << pt.t << " rho=" << pt.rho);
        FluidState s;
        evaluate_state(pt.t, pt.rho, s);
        const double p = state_pressure(s);
        const double h = state_enthalpy(s);
        const double u = state_internal_energy(s);
        const double sv = state_entropy(s);
        EXPECT_NEAR(h, u + p / pt.rho, 1e-9 * (std::fabs(h) + std::fabs(u) + p / pt.rho));
        // Gibbs energy g = h - T s = R T (phi0 + phir + 1 + delta phir_d).
        const double g = GAS_CONSTANT * s.T * (s.phi0 + s.phir + 1.0 + s.delta * s.phir_d);
        EXPECT_NEAR(h - s.T * sv, g, 1e-9 * (std::fabs(h) + std::fabs(s.T * sv)));
        EXPECT_GE(state_cp(s), state_cv(s));
        EXPECT_GT(state_cv(s), 0.0);
        EXPECT_GT(state_speed_of_sound(s), 0.0);
        EXPECT_NEAR(pressure_at(pt.t, pt.rho), p, 1e-12 * p + 1e-9);
    }
}

TEST(Helmholtz, DiluteGasLimits) {
    for (double t : {-50.0, 25.0, 200.0, 450.0}) {
        SCOPED_TRACE(t);
        FluidState s;
        const double rho = 1e-10;
        evaluate_state(t, rho, s);
        const double RT = GAS_CONSTANT * s.T;
        EXPECT_NEAR(state_pressure(s) / (rho * RT), 1.0, 1e-9);
        EXPECT_NEAR(state_enthalpy(s) - state_internal_energy(s), RT, 1e-6 * RT);
        const double cv = state_cv(s);
        const double w = state_speed_of_sound(s);
        EXPECT_NEAR(w * w, RT * (1.0 + GAS_CONSTANT / cv), 1e-7 * w * w);
        EXPECT_NEAR(state_cp(s) - cv, GAS_CONSTANT, 1e-6 * GAS_CONSTANT);
    }
}

// Central differences with Richardson extrapolation of one field of the record, as a function of
// a reduced variable obtained by varying rho (delta) or T (tau).
template <typename F>
long double derivative(F f, long double x, long double h) {
    const long double d1 = (f(x + h) - f(x - h)) / (2.0L * h);
    const long double d2 = (f(x + h / 2) - f(x - h / 2)) / h;
    return (4.0L * d2 - d1) / 3.0L;
}

FluidState at_delta_tau(long double delta, long double tau) {
    FluidState s;
    const double T = static_cast<double>(405.4L / tau);
    evaluate_state(T - KELVIN_OFFSET, static_cast<double>(delta * 225.0L), s);
    return s;
}

struct DerivativeCase {
    double delta;
    double tau;
};

class HelmholtzDerivatives : public testing::TestWithParam<DerivativeCase> {};

TEST_P(HelmholtzDerivatives, AnalyticMatchFiniteDifferences) {
    const auto [delta, tau] = GetParam();
    const FluidState s = at_delta_tau(delta, tau);
    const long double hd = 1e-4L * delta;
    const long double ht = 1e-4L * tau;
    auto field_d = [&](double FluidState::*field) {
        return derivative([&](long double d) { return (long double)(at_delta_tau(d, tau).*field); },
                          delta, hd);
    };
    auto field_t = [&](double FluidState::*field) {
        return derivative(
            [&](long double t) { return (long double)(at_delta_tau(delta, t).*field); }, tau, ht);
    };
    auto close = [](long double numeric, double analytic, double scale) {
        return std::fabs(static_cast<double>(numeric) - analytic) <= 2e-7 * scale;
    };
    const double scale_d = std::fabs(s.phir_d) + std::fabs(s.phir) / delta + 1e-3;
    const double scale_t = std::fabs(s.phir_t) + std::fabs(s.phir) / tau + 1e-3;
    EXPECT_PRED3(close, field_d(&FluidState::phir), s.phir_d, scale_d);
    EXPECT_PRED3(close, field_t(&FluidState::phir), s.phir_t, scale_t);
    EXPECT_PRED3(close, field_d(&FluidState::phir_d), s.phir_dd,
                 std::fabs(s.phir_dd) + scale_d / delta);
    EXPECT_PRED3(close, field_t(&FluidState::phir_t), s.phir_tt,
                 std::fabs(s.phir_tt) + scale_t / tau);
    EXPECT_PRED3(close, field_t(&FluidState::phir_d), s.phir_dt,
                 std::fabs(s.phir_dt) + scale_d / tau);
    EXPECT_PRED3(close, field_d(&FluidState::phir_t), s.phir_dt,
                 std::fabs(s.phir_dt) + scale_t / delta);

    // Ideal-gas part against its own variable tau0 = 500 / T.
    auto ideal = [&](long double tau0) {
        FluidState r;
        evaluate_state(static_cast<double>(500.0L / tau0) - KELVIN_OFFSET, s.rho, r);
        return r;
    };
    const long double h0 = 1e-4L * s.tau0;
    const long double phi0_t =
        derivative([&](long double x) { return (long double)ideal(x).phi0; }, s.tau0, h0);
    const long double phi0_tt =
        derivative([&](long double x) { return (long double)ideal(x).phi0_t; }, s.tau0, h0);
    EXPECT_PRED3(close, phi0_t, s.phi0_t, std::fabs(s.phi0_t) + std::fabs(s.phi0) / s.tau0);
    EXPECT_PRED3(close, phi0_tt, s.phi0_tt, std::fabs(s.phi0_tt) + std::fabs(s.phi0_t) / s.tau0);
}

INSTANTIATE_TEST_SUITE_P(AcrossPhases, HelmholtzDerivatives,
                         testing::Values(DerivativeCase{0.001, 2.0}, DerivativeCase{0.02, 1.5},
                                         DerivativeCase{0.3, 1.1}, DerivativeCase{1.0, 1.0},
                                         DerivativeCase{1.3, 0.95}, DerivativeCase{2.0, 1.3},
                                         DerivativeCase{2.8, 2.0}, DerivativeCase{3.2, 2.05},
                                         DerivativeCase{0.8, 0.6}, DerivativeCase{2.5, 0.56}));

// The partial evaluations give bit for bit the fields evaluate_state stores, so that a caller
// may use either: pressures of saturated records and the conductivity's reference state do.
TEST(Helmholtz, PartialEvaluationsAreTheFullEvaluationsFields) {
    for (double t = -77.0; t <= 450.0; t += 3.1) {
        for (double rho = 1e-4; rho <= 800.0; rho *= 1.37) {
            FluidState s;
            evaluate_state(t, rho, s);
            double phir_d = 0.0;
            double phir_dd = 0.0;
            residual_phir_d_dd(t, rho, phir_d, phir_dd);
            ASSERT_EQ(residual_phir_d(t, rho), s.phir_d) << t << " " << rho;
            ASSERT_EQ(phir_d, s.phir_d) << t << " " << rho;
            ASSERT_EQ(phir_dd, s.phir_dd) << t << " " << rho;
        }
    }
}

// One state and another's enthalpy at the same temperature (a saturated phase and the other's,
// for the latent heat): the record and the enthalpy bit for bit those of evaluate_state.
TEST(Helmholtz, StateAndOtherEnthalpyAreTheFullEvaluations) {
    for (double t = -77.0; t <= 450.0; t += 7.3) {
        for (double rho = 1e-4; rho <= 800.0; rho *= 2.9) {
            const double rho_other = 800.0 * 1e-4 / rho;
            FluidState s;
            double h_other = 0.0;
            evaluate_state_and_enthalpy(t, rho, rho_other, s, h_other);
            FluidState full;
            evaluate_state(t, rho, full);
            FluidState other;
            evaluate_state(t, rho_other, other);
            ASSERT_EQ(std::memcmp(&s, &full, sizeof(FluidState)), 0) << t << " " << rho;
            ASSERT_EQ(h_other, state_enthalpy(other)) << t << " " << rho_other;
        }
    }
}

TEST(Lagrange, EdgeCasesAndSecant) {
    double result = 42.0;
    EXPECT_EQ(lagrange_interpolate(nullptr, nullptr, 0, 1.0, result), 0);
    EXPECT_EQ(result, 0.0);

    const double x1[] = {3.0};
    const double y1[] = {7.5};
    EXPECT_EQ(lagrange_interpolate(x1, y1, 1, 100.0, result), 0);
    EXPECT_EQ(result, 7.5);

    const double same[] = {2.0, 2.0};
    const double ys[] = {1.0, 5.0};
    result = -1.0;
    EXPECT_EQ(lagrange_interpolate(same, ys, 2, 1.0, result), 1);
    EXPECT_EQ(result, -1.0);
    const double near[] = {2.0, 2.0 + 5e-21};
    EXPECT_EQ(lagrange_interpolate(near, ys, 2, 1.0, result), 1);

    // Two nodes: the secant through (1, 10) and (3, 30) at 2.5.
    const double xs2[] = {1.0, 3.0};
    const double ys2[] = {10.0, 30.0};
    EXPECT_EQ(lagrange_interpolate(xs2, ys2, 2, 2.5, result), 0);
    EXPECT_DOUBLE_EQ(result, 25.0);
    // Three nodes reproduce a parabola.
    const double xs3[] = {0.0, 1.0, 2.0};
    const double ys3[] = {1.0, 2.0, 5.0};
    EXPECT_EQ(lagrange_interpolate(xs3, ys3, 3, 3.0, result), 0);
    EXPECT_DOUBLE_EQ(result, 10.0);
}

// The solvers' inline secant step is lagrange_interpolate with two nodes, bit for bit, also for
// nodes too close to interpolate and for NaN.
TEST(Lagrange, SecantStepIsTheTwoNodeInterpolation) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double nodes[][2] = {
        {1.0, 3.0}, {6417.2344, 6417.2345}, {3.0, 1.0},           {2.0, 2.0 + 5e-21},
        {2.0, 2.0}, {-1e5, 8.4e7},          {1e-9, 1.0000001e-9}, {nan, 1.0}};
    const double values[][2] = {{10.0, 30.0}, {0.0481, 0.0482}, {-77.0, 450.0}, {1.0, 5.0}};
    for (const auto& xs : nodes) {
        for (const auto& ys : values) {
            for (const double x : {2.5, -3.0, 6417.23443, 1e7, 0.0}) {
                double general = 17.0;
                double secant = 17.0;
                const int a = lagrange_interpolate(xs, ys, 2, x, general);
                const int b = secant_interpolate(xs, ys, x, secant);
                ASSERT_EQ(a, b) << xs[0] << " " << xs[1];
                if (std::isnan(general)) {
                    EXPECT_TRUE(std::isnan(secant));
                } else {
                    EXPECT_EQ(std::memcmp(&general, &secant, sizeof general), 0)
                        << xs[0] << " " << xs[1] << " at " << x;
                }
            }
        }
    }
}

TEST(Helmholtz, NonFiniteInputsDoNotCrash) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double t : {nan, inf, -inf, 25.0}) {
        for (double rho : {nan, inf, 0.0, -1.0, 100.0}) {
            FluidState s;
            evaluate_state(t, rho, s);
            (void)pressure_at(t, rho);
            if (std::isfinite(t) && rho > 0.0 && std::isfinite(rho)) {
                EXPECT_TRUE(std::isfinite(state_pressure(s)));
            }
        }
    }
}

}  // namespace
}  // namespace zeltra5
