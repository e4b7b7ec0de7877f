// The 2023 equation against the paper's table of check values, and its derivatives against
// central differences of the functions they differentiate.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "zeltra5/gao2023.hpp"

namespace zeltra5 {
namespace {

using namespace gao2023;

// One value of the check table and the decimal place it is given to.
struct Given {
    double value;
    int decimals;
};

void expect_to_given_digits(const char* what, double computed, const Given& g) {
    // Half a unit of the last digit given (and the double's own rounding of the printed value).
    const double tolerance = 0.5 * std::pow(10.0, -g.decimals) + 1e-15 * std::fabs(g.value);
    EXPECT_NEAR(computed, g.value, tolerance) << what;
}

// The check table of the 2023 paper (Gao et al., J. Phys. Chem. Ref. Data 52, 013102, Table 7):
// T (K), rho (mol/dm3); p (MPa), cv, cp (J/(mol K)), w (m/s), h (kJ/mol), s (J/(mol K)).
struct CheckState {
    double T;
    double rho_molar;
    Given p;
    Given cv;
    Given cp;
    Given w;
    Given h;
    Given s;
};

constexpr CheckState CHECK_TABLE[] = {
    {200,
     50,
     {555.5631, 4},
     {56.15976, 5},
     {74.22262, 5},
     {2940.432, 3},
     {9.541211, 6},
     {-11.61817, 5}},
    {250,
     42,
     {108.7263, 4},
     {50.25907, 5},
     {72.04765, 5},
     {2049.168, 3},
     {5.715934, 6},
     {14.26145, 5}},
    {320,
     35,
     {27.63275, 5},
     {46.95882, 5},
     {78.92022, 5},
     {1370.446, 3},
     {9.831787, 6},
     {36.06050, 5}},
    {380,
     26,
     {8.174128, 6},
     {47.82965, 5},
     {125.1971, 4},
     {668.5456, 4},
     {15.45317, 5},
     {53.81385, 5}},
    {405,
     16.5,
     {11.25287, 5},
     {77.13442, 5},
     {4137.738, 3},
     {247.2696, 4},
     {20.13541, 5},
     {65.30611, 5}},
    {406,
     13.696,
     {11.45246, 5},
     {103.0508, 4},
     {52943.69, 2},
     {225.4458, 4},
     {21.30410, 5},
     {68.15535, 5}},
    {275,
     0.2,
     {0.4270652, 7},
     {32.60471, 5},
     {45.39676, 5},
     {402.6253, 4},
     {27.46383, 5},
     {104.2956, 4}},
    {325,
     0.95,
     {2.093496, 6},
     {40.68660, 5},
     {65.25439, 5},
     {402.2104, 4},
     {27.92681, 5},
     {94.19375, 5}},
    {375,
     3,
     {6.044096, 6},
     {48.91890, 5},
     {111.3738, 4},
     {379.4300, 4},
     {27.45404, 5},
     {86.36105, 5}},
    {405,
     10,
     {11.22040, 5},
     {77.15007, 5},
     {2051.793, 3},
     {286.2398, 4},
     {23.20689, 5},
     {72.89756, 5}},
    {520,
     1.5,
     {5.968880, 6},
     {36.52118, 5},
     {49.38647, 5},
     {538.8044, 4},
     {36.23166, 5},
     {106.6103, 4}},
    {520,
     13.696,
     {35.83377, 5},
     {43.66588, 5},
     {98.36082, 5},
     {555.4454, 4},
     {28.71997, 5},
     {80.49762, 5}},
    {520,
     20,
     {56.30750, 5},
     {43.81573, 5},
     {87.32996, 5},
     {741.1842, 4},
     {26.48937, 5},
     {73.89537, 5}},
    {620,
     5.5,
     {24.38934, 5},
     {41.29819, 5},
     {61.81978, 5},
     {588.0372, 4},
     {38.40927, 5},
     {100.0682, 4}},
    {620,
     14,
     {58.52754, 5},
     {43.50218, 5},
     {75.46188, 5},
     {692.5867, 4},
     {34.49909, 5},
     {87.78122, 5}},
    {620,
     45,
     {1355.431, 3},
     {50.78124, 5},
     {64.36735, 5},
     {3201.084, 3},
     {50.78325, 5},
     {54.81426, 5}},
};

TEST(Gao2023Helmholtz, ReproducesThePapersCheckTable) {
    for (const CheckState& c : CHECK_TABLE) {
        SCOPED_TRACE(testing::Message() << c.T << " K, " << c.rho_molar << " mol/dm3");
        FluidState s{};
        evaluate(c.T - KELVIN_OFFSET, c.rho_molar * 1e3 * MOLAR_MASS, s);
        expect_to_given_digits("p", state_pressure(s) * 1e-6, c.p);
        expect_to_given_digits("cv", state_cv(s) * MOLAR_MASS, c.cv);
        expect_to_given_digits("cp", state_cp(s) * MOLAR_MASS, c.cp);
        expect_to_given_digits("w", state_speed_of_sound(s), c.w);
        expect_to_given_digits("h", state_enthalpy(s) * MOLAR_MASS * 1e-3, c.h);
        expect_to_given_digits("s", state_entropy(s) * MOLAR_MASS, c.s);
    }
}

// The table's ideal-gas row (225 K, rho -> 0): cv, cp, w and h of the ideal gas.
TEST(Gao2023Helmholtz, ReproducesThePapersIdealGasRow) {
    FluidState s{};
    evaluate(225.0 - KELVIN_OFFSET, 1e-12, s);
    expect_to_given_digits("cv", state_cv(s) * MOLAR_MASS, {25.60265, 5});
    expect_to_given_digits("cp", state_cp(s) * MOLAR_MASS, {33.91711, 5});
    expect_to_given_digits("w", state_speed_of_sound(s), {381.4709, 4});
    expect_to_given_digits("h", state_enthalpy(s) * MOLAR_MASS * 1e-3, {26.38996, 5});
}

// Every derivative against a central difference of the function one order below, across the
// liquid, the vapour, the critical region and the dense supercritical fluid.
TEST(Gao2023Helmholtz, DerivativesAgreeWithCentralDifferences) {
    struct Point {
        double t;
        double rho;
    };
    for (const Point& k :
         {Point{-70.0, 730.0}, Point{20.0, 610.0}, Point{20.0, 5.0}, Point{132.5, 233.0},
          Point{130.0, 120.0}, Point{300.0, 50.0}, Point{440.0, 700.0}}) {
        SCOPED_TRACE(testing::Message() << k.t << " degC, " << k.rho << " kg/m3");
        FluidState s{};
        evaluate(k.t, k.rho, s);
        // Steps of 1e-6: the two narrow Gaussian terms (beta near 1000) bend sharply near
        // tau = 1.05.
        const double hd = 1e-6 * s.delta;
        const double ht = 1e-6 * s.tau;
        // States at delta +- hd and at tau +- ht (the temperature from tau).
        auto at = [&](double delta, double tau) {
            FluidState r{};
            evaluate(REDUCING_TEMPERATURE / tau - KELVIN_OFFSET, delta * REDUCING_DENSITY, r);
            return r;
        };
        const FluidState dp = at(s.delta + hd, s.tau);
        const FluidState dm = at(s.delta - hd, s.tau);
        const FluidState tp = at(s.delta, s.tau + ht);
        const FluidState tm = at(s.delta, s.tau - ht);
        auto check = [](const char* what, double analytic, double numeric, double scale) {
            EXPECT_NEAR(analytic, numeric, 1e-7 * scale) << what;
        };
        const double sd = std::fabs(s.phir_d) + 1.0 / s.delta;
        check("phir_d", s.phir_d, (dp.phir - dm.phir) / (2 * hd), sd);
        check("phir_dd", s.phir_dd, (dp.phir_d - dm.phir_d) / (2 * hd), sd / s.delta);
        check("phir_t", s.phir_t, (tp.phir - tm.phir) / (2 * ht), std::fabs(s.phir_t) + 1.0);
        check("phir_tt", s.phir_tt, (tp.phir_t - tm.phir_t) / (2 * ht), std::fabs(s.phir_tt) + 1.0);
        check("phir_dt", s.phir_dt, (tp.phir_d - tm.phir_d) / (2 * ht), sd);
        check("phi0_t", s.phi0_t, (tp.phi0 - tm.phi0) / (2 * ht), std::fabs(s.phi0_t));
        check("phi0_tt", s.phi0_tt, (tp.phi0_t - tm.phi0_t) / (2 * ht), std::fabs(s.phi0_tt));
        check("phi0_d", s.phi0_d, (dp.phi0 - dm.phi0) / (2 * hd), s.phi0_d);
        double ddd = 0.0;
        double ddt = 0.0;
        third_derivatives(k.t, k.rho, ddd, ddt);
        const double sdd = sd / (s.delta * s.delta);
        check("phir_ddd", ddd, (dp.phir_dd - dm.phir_dd) / (2 * hd), sdd);
        check("phir_ddt", ddt, (tp.phir_dd - tm.phir_dd) / (2 * ht), sdd * s.delta);
    }
}

// The seam's bit-for-bit promises: the pair, the enthalpy of the other state, the record with
// its third derivatives, the pressure and the residual derivatives alone are what evaluate and
// third_derivatives store, over the whole range of temperatures.
bool same_record(const FluidState& p, const FluidState& q) {
    return std::memcmp(&p, &q, sizeof(FluidState)) == 0;
}

TEST(Gao2023Helmholtz, SeamFunctionsAreBitForBitTheRecord) {
    for (const double t : {-77.66, 15.0, 132.0, 300.0, 451.85}) {
        for (const double rho : {0.01, 3.0, 233.25, 640.0, 900.0}) {
            SCOPED_TRACE(testing::Message() << t << " degC, " << rho << " kg/m3");
            FluidState s{};
            evaluate(t, rho, s);
            FluidState a{};
            FluidState b{};
            Gao2023::evaluate_pair(t, rho, 2.0 * rho, a, b);
            FluidState other{};
            evaluate(t, 2.0 * rho, other);
            EXPECT_TRUE(same_record(a, s));
            EXPECT_TRUE(same_record(b, other));
            double h_other = 0.0;
            FluidState c{};
            Gao2023::evaluate_with_enthalpy(t, rho, 2.0 * rho, c, h_other);
            EXPECT_EQ(h_other, state_enthalpy(other));
            EXPECT_TRUE(same_record(c, s));
            FluidState e{};
            double ddd = 0.0;
            double ddt = 0.0;
            Gao2023::evaluate_with_third(t, rho, e, ddd, ddt);
            EXPECT_TRUE(same_record(e, s));
            double third_ddd = 0.0;
            double third_ddt = 0.0;
            third_derivatives(t, rho, third_ddd, third_ddt);
            EXPECT_EQ(ddd, third_ddd);
            EXPECT_EQ(ddt, third_ddt);
            EXPECT_EQ(pressure(t, rho), state_pressure(s));
            EXPECT_EQ(phir_d(t, rho), s.phir_d);
            double d = 0.0;
            double dd = 0.0;
            phir_d_dd(t, rho, d, dd);
            EXPECT_EQ(d, s.phir_d);
            EXPECT_EQ(dd, s.phir_dd);
        }
    }
}

// The thermal conductivity's reference isotherm, formed from its factors in tau once: the
// residual derivatives there as the full evaluation gives them, to rounding.
TEST(Gao2023Helmholtz, ReferenceIsothermAgreesWithTheFullEvaluation) {
    const double t_ref = 608.34 - KELVIN_OFFSET;
    for (const double rho : {1e-6, 0.5, 50.0, 233.25, 500.0, 750.0}) {
        SCOPED_TRACE(rho);
        double d = 0.0;
        double dd = 0.0;
        phir_d_dd(t_ref, rho, d, dd);
        double ref_d = 0.0;
        double ref_dd = 0.0;
        phir_d_dd_at_enhancement_reference(rho, ref_d, ref_dd);
        EXPECT_NEAR(ref_d, d, 1e-14 * std::fabs(d));
        EXPECT_NEAR(ref_dd, dd, 1e-13 * std::fabs(dd));
    }
}

// The zero-density limits of phir_d and phir_dd (the virial coefficients), against the sums at
// small densities: phir_d(delta) = limit_d + delta limit_dd + O(delta^2), so from two densities
// delta and 2 delta each limit follows by extrapolation. (The sums themselves cannot be taken
// at a vanishing density: phir_dd of a term in delta^1 is the difference of two terms in
// 1 / delta^2, which cancel to 1e-3 at delta = 1e-12.)
TEST(Gao2023Helmholtz, LowDensityLimitIsTheSumsAtZeroDensity) {
    for (const double T : {196.0, 240.0, 300.0, 405.56, 500.0, 700.0}) {
        SCOPED_TRACE(T);
        const double t = T - KELVIN_OFFSET;
        double limit_d = 0.0;
        double limit_dd = 0.0;
        low_density_limit(t, limit_d, limit_dd);
        const auto extrapolated = [&](const double delta, double& d, double& dd) {
            double d1 = 0.0, dd1 = 0.0, d2 = 0.0, dd2 = 0.0;
            phir_d_dd(t, delta * REDUCING_DENSITY, d1, dd1);
            phir_d_dd(t, 2.0 * delta * REDUCING_DENSITY, d2, dd2);
            d = 2.0 * d1 - d2;
            dd = 2.0 * dd1 - dd2;
        };
        double d = 0.0, dd = 0.0, unused = 0.0;
        extrapolated(1e-6, d, unused);
        EXPECT_NEAR(d, limit_d, 1e-10 * std::fabs(limit_d));
        extrapolated(1e-4, unused, dd);
        EXPECT_NEAR(dd, limit_dd, 1e-6 * std::fmax(std::fabs(limit_dd), 1.0));
    }
}

// The melting line: the triple point, the two branches meeting at the solid I-II-liquid triple
// point (217.35 K, 307 MPa), near 1 GPa at room temperature (measured: 1.01 GPa at 298.3 K,
// Ninet and Datchi 2008), and no answer outside the equation's temperatures.
TEST(Gao2023Helmholtz, MeltingLine) {
    EXPECT_NEAR(melting_pressure(TRIPLE_POINT_TEMPERATURE), 6053.39, 1e-9);
    EXPECT_NEAR(melting_pressure(std::nextafter(217.35, 0.0)), 307e6, 1e-5 * 307e6);
    EXPECT_NEAR(melting_pressure(217.35), 307e6, 1e-9 * 307e6);
    EXPECT_NEAR(melting_pressure(298.3), 1.01e9, 0.02e9);
    EXPECT_LT(melting_pressure(250.0), melting_pressure(260.0));
    EXPECT_TRUE(std::isnan(melting_pressure(195.0)));
    EXPECT_TRUE(std::isnan(melting_pressure(725.5)));
}

}  // namespace
}  // namespace zeltra5
