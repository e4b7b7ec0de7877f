// The 2023 equation's saturation line from its expansions: against the generator's 40-digit
// equilibrium points, against the equation itself as the program evaluates it (equal pressure
// and Gibbs energy, found again by Newton's method), the pressure inversion and the bounds
// between the expansions' pieces.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "../../models/gao2023/src/saturation_expansion_coefficients.hpp"
#include "saturation_points.hpp"
#include "zeltra5/gao2023.hpp"

namespace zeltra5 {
namespace {

using namespace gao2023;
namespace se = gao2023::saturation_expansion;
using Point = test_support::SaturationPoint;

double relative(double a, double b) {
    return std::fabs(a - b) / std::fabs(b);
}

SaturationEquilibrium at_temperature(double T_K) {
    SaturationEquilibrium s{};
    EXPECT_EQ(saturation_at_temperature(T_K, s), SATURATION_EQUILIBRIUM_OK) << T_K;
    return s;
}

TEST(Gao2023SaturationExpansion, CheckPointsCoverTheRange) {
    const auto& points = test_support::saturation_check_points();
    ASSERT_GE(points.size(), 150u);
    EXPECT_EQ(points.front().T_K, LOWEST_ADMITTED_TEMPERATURE + KELVIN_OFFSET);
    EXPECT_EQ(points.back().T_K, SATURATION_LIMIT_TEMPERATURE_K);
    EXPECT_EQ(se::HIGHEST_TEMPERATURE, SATURATION_LIMIT_TEMPERATURE_K);
}

TEST(Gao2023SaturationExpansion, MatchesTheHighPrecisionEquilibrium) {
    double worst[3] = {0.0, 0.0, 0.0};
    for (const Point& pt : test_support::saturation_check_points()) {
        const SaturationEquilibrium s = at_temperature(pt.T_K);
        const double err[3] = {relative(s.p, pt.p), relative(s.rho_liquid, pt.rho_liquid),
                               relative(s.rho_vapour, pt.rho_vapour)};
        EXPECT_EQ(s.T_K, pt.T_K);
        for (int q = 0; q < 3; ++q) {
            EXPECT_LE(err[q], 1e-14) << "column " << q << " at T=" << pt.T_K;
            worst[q] = std::max(worst[q], err[q]);
        }
    }
    std::printf("largest relative errors: p %.3g, rho' %.3g, rho'' %.3g\n", worst[0], worst[1],
                worst[2]);
}

// Reduced pressure, Gibbs energy and pressure slope of a record, in long double.
long double reduced_pressure(const FluidState& s) {
    return static_cast<long double>(s.delta) *
           (1.0L + static_cast<long double>(s.delta) * s.phir_d);
}
long double reduced_gibbs(const FluidState& s) {
    return static_cast<long double>(s.phi0) + s.phir + 1.0L +
           static_cast<long double>(s.delta) * s.phir_d;
}
long double reduced_slope(const FluidState& s) {
    return 1.0L + 2.0L * s.delta * s.phir_d +
           static_cast<long double>(s.delta) * s.delta * s.phir_dd;
}

// Newton's method on both densities with the model's evaluate, from the expansion's densities.
void polish(double t, double& rho_liquid, double& rho_vapour) {
    long double rl = rho_liquid;
    long double rv = rho_vapour;
    FluidState l{};
    FluidState v{};
    for (int it = 0; it < 8; ++it) {
        evaluate(t, static_cast<double>(rl), l);
        evaluate(t, static_cast<double>(rv), v);
        const long double f1 = reduced_pressure(l) - reduced_pressure(v);
        const long double f2 = reduced_gibbs(l) - reduced_gibbs(v);
        const long double a = reduced_slope(l);
        const long double b = -reduced_slope(v);
        const long double c = a / l.delta;
        const long double d = b / v.delta;
        const long double det = a * d - b * c;
        rl -= REDUCING_DENSITY * (f1 * d - b * f2) / det;
        rv -= REDUCING_DENSITY * (a * f2 - c * f1) / det;
    }
    rho_liquid = static_cast<double>(rl);
    rho_vapour = static_cast<double>(rv);
}

TEST(Gao2023SaturationExpansion, SatisfiesThePhaseEquilibriumOfTheEquation) {
    // At each check temperature (as the program converts degC to K), both phases of the
    // expansion evaluated by the model: equal pressures and Gibbs energies (in units of
    // rho' R T and R T), the vapour's pressure the saturation pressure, and Newton's method on
    // the equation moving the densities by no more than its own rounding (growing as
    // 1 / Delta^3 towards the critical point, Delta = (rho' - rho'') / rho_r).
    double worst_p = 0.0;
    double worst_g = 0.0;
    double worst_moved = 0.0;
    for (const Point& pt : test_support::saturation_check_points()) {
        const double t = pt.T_K - KELVIN_OFFSET;
        const double T = t + KELVIN_OFFSET;
        SaturationEquilibrium s{};
        if (saturation_at_temperature(T, s) != SATURATION_EQUILIBRIUM_OK) continue;
        FluidState l{};
        FluidState v{};
        evaluate(t, s.rho_liquid, l);
        evaluate(t, s.rho_vapour, v);
        const double dp =
            static_cast<double>(std::fabs(reduced_pressure(l) - reduced_pressure(v)) / l.delta);
        const double dg = static_cast<double>(std::fabs(reduced_gibbs(l) - reduced_gibbs(v)));
        EXPECT_LE(dp, 1e-13) << "T=" << T;
        EXPECT_LE(dg, 1e-13) << "T=" << T;
        EXPECT_LE(relative(state_pressure(v), s.p), 1e-14) << "T=" << T;
        double rl = s.rho_liquid;
        double rv = s.rho_vapour;
        polish(t, rl, rv);
        const double moved = std::max(relative(rl, s.rho_liquid), relative(rv, s.rho_vapour));
        const double delta = (s.rho_liquid - s.rho_vapour) / REDUCING_DENSITY;
        const double scaled = moved * delta * delta * delta;
        EXPECT_LE(scaled, 1e-12) << "T=" << T << " moved " << moved;
        worst_p = std::max(worst_p, dp);
        worst_g = std::max(worst_g, dg);
        worst_moved = std::max(worst_moved, scaled);
    }
    std::printf(
        "equation's equilibrium: |p'-p''|/(rho' R T) %.3g, |g'-g''|/(R T) %.3g, Newton moves "
        "densities by %.3g / Delta^3\n",
        worst_p, worst_g, worst_moved);
}

TEST(Gao2023SaturationExpansion, ContinuousAndMonotonicAcrossPieces) {
    // Either side of every bound between two forward pieces the expansions agree to rounding
    // and the line's own change over those two doubles; along a fine grid p and rho'' rise with
    // T and rho' falls.
    for (int k = 1; k < se::INTERVAL_COUNT; ++k) {
        const double theta = se::THETA_BOUNDS[k];
        const double T = se::CRITICAL_TEMPERATURE_HI - theta * theta;
        if (T > SATURATION_LIMIT_TEMPERATURE_K - 1e-5) continue;
        const SaturationEquilibrium below = at_temperature(std::nextafter(T, 0.0));
        const SaturationEquilibrium above = at_temperature(std::nextafter(T, 1e3));
        const double h = 1e-6;
        const SaturationEquilibrium lo = at_temperature(T - h);
        const SaturationEquilibrium hi = at_temperature(T + h);
        const double step = (above.T_K - below.T_K) / (2.0 * h);
        EXPECT_LE(std::fabs(below.p - above.p), 1e-14 * above.p + std::fabs(hi.p - lo.p) * step)
            << k;
        EXPECT_LE(std::fabs(below.rho_liquid - above.rho_liquid),
                  1e-14 * above.rho_liquid + std::fabs(hi.rho_liquid - lo.rho_liquid) * step)
            << k;
        EXPECT_LE(std::fabs(below.rho_vapour - above.rho_vapour),
                  1e-14 * above.rho_vapour + std::fabs(hi.rho_vapour - lo.rho_vapour) * step)
            << k;
    }
    const double T0 = LOWEST_ADMITTED_TEMPERATURE + KELVIN_OFFSET;
    SaturationEquilibrium prev = at_temperature(T0);
    for (int k = 1; k <= 20000; ++k) {
        const double T = std::min(T0 + (SATURATION_LIMIT_TEMPERATURE_K - T0) * k / 20000.0,
                                  SATURATION_LIMIT_TEMPERATURE_K);
        const SaturationEquilibrium s = at_temperature(T);
        ASSERT_GT(s.p, prev.p) << T;
        ASSERT_LT(s.rho_liquid, prev.rho_liquid) << T;
        ASSERT_GT(s.rho_vapour, prev.rho_vapour) << T;
        prev = s;
    }
}

TEST(Gao2023SaturationExpansion, PressureInversionRoundTrips) {
    // T -> p -> T to 1e-10 K; the record at p is the one at the temperature found, whose
    // pressure is p to 1e-14.
    std::vector<double> temperatures;
    for (const Point& pt : test_support::saturation_check_points()) temperatures.push_back(pt.T_K);
    for (int k = 0; k <= 2000; ++k) temperatures.push_back(195.5 + 210.0 * k / 2000.0);
    double worst_p = 0.0;
    for (const double T : temperatures) {
        SaturationEquilibrium at_T{};
        SaturationEquilibrium at_p{};
        if (saturation_at_temperature(T, at_T) != SATURATION_EQUILIBRIUM_OK) continue;
        ASSERT_EQ(saturation_at_pressure(at_T.p, at_p), SATURATION_EQUILIBRIUM_OK) << T;
        EXPECT_NEAR(at_p.T_K, T, 1e-10) << "p=" << at_T.p;
        EXPECT_EQ(at_p.p, at_T.p);
        const SaturationEquilibrium again = at_temperature(at_p.T_K);
        EXPECT_EQ(at_p.rho_liquid, again.rho_liquid);
        EXPECT_EQ(at_p.rho_vapour, again.rho_vapour);
        worst_p = std::max(worst_p, relative(again.p, at_T.p));
    }
    EXPECT_LE(worst_p, 1e-14);
}

TEST(Gao2023SaturationExpansion, EveryInversePieceGivesThePressureBack) {
    int pieces = 0;
    for (const se::InversePiece& piece : se::INVERSE) {
        if (piece.scale == 0.0) continue;  // outside the range, never looked up
        ++pieces;
        const double a = (-1.0 - piece.offset) / piece.scale;
        const double b = (1.0 - piece.offset) / piece.scale;
        for (const double p :
             {a, std::nextafter(a, 0.0), 0.5 * (a + b), b, std::nextafter(b, 0.0)}) {
            if (!(p >= se::LOWEST_PRESSURE && p <= se::HIGHEST_PRESSURE)) continue;
            SaturationEquilibrium at_p{};
            ASSERT_EQ(saturation_at_pressure(p, at_p), SATURATION_EQUILIBRIUM_OK) << p;
            EXPECT_LE(relative(at_temperature(at_p.T_K).p, p), 1e-14) << "p=" << p;
        }
    }
    EXPECT_GE(pieces, se::INVERSE_BLOCK_COUNT);
}

}  // namespace
}  // namespace zeltra5
