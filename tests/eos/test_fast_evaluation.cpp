// The fast evaluation of the equation of state (powers of tau and delta built once per call)
// against the straightforward one (exp(t ln tau) and exp((d - 1) ln delta) per term), over a
// dense grid: every field must agree to 1e-12 relative.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "../../eos/src/helmholtz_coefficients.hpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/saturation_fits.hpp"

namespace zeltra5 {
namespace reference {
namespace {

using helmholtz::IDEAL_GAS;
using helmholtz::POLYNOMIAL_TERMS;
using helmholtz::RESIDUAL_TERM_COUNT;
using helmholtz::RESIDUAL_TERMS;

constexpr double REDUCING_TAU_NUMERATOR = 405.4;
constexpr double IDEAL_TAU_NUMERATOR = 500.0;

double integer_power(double x, int n) {
    double r = 1.0;
    for (int k = 0; k < n; ++k) r *= x;
    return r;
}

double real_power(double e, double ln_x) {
    return std::exp(e * ln_x);
}

void evaluate_state_reference(const double& t, const double& rho, FluidState& state) {
    const double T = t + KELVIN_OFFSET;
    state.T = T;
    state.rho = rho;
    const double tau0 = IDEAL_TAU_NUMERATOR / T;
    const double delta0 = rho * INV_IDEAL_REDUCING_DENSITY;
    const double tau = REDUCING_TAU_NUMERATOR / T;
    const double delta = rho * INV_CRITICAL_DENSITY;
    state.tau0 = tau0;
    state.delta0 = delta0;
    state.tau = tau;
    state.delta = delta;

    // Ideal-gas part.
    const double* a = IDEAL_GAS.a;
    const double* te = IDEAL_GAS.t;
    const double ln_tau0 = std::log(tau0);
    double phi0 = std::log(delta0) + a[0] + a[1] * tau0 + a[2] * ln_tau0;
    double phi0_t = a[1] + a[2] / tau0;
    double phi0_tt = -a[2] / (tau0 * tau0);
    for (int i = 3; i < 8; ++i) {
        phi0 += a[i] * real_power(te[i], ln_tau0);
        phi0_t += a[i] * te[i] * real_power(te[i] - 1.0, ln_tau0);
        phi0_tt += a[i] * te[i] * (te[i] - 1.0) * real_power(te[i] - 2.0, ln_tau0);
    }
    state.phi0 = phi0;
    state.phi0_t = phi0_t;
    state.phi0_tt = phi0_tt;
    state.phi0_d = IDEAL_REDUCING_DENSITY / rho;
    state.phi0_dd = -state.phi0_d * state.phi0_d;
    state.phi0_dt = 0.0;

    // Residual part.
    const double ln_tau = std::log(tau);
    const double ln_delta = std::log(delta);
    const long double delta2 = static_cast<long double>(delta) * delta;
    const long double tau2 = static_cast<long double>(tau) * tau;
    const long double delta_tau = static_cast<long double>(delta) * tau;
    long double f = 0.0L, f_d = 0.0L, f_dd = 0.0L, f_t = 0.0L, f_tt = 0.0L, f_dt = 0.0L;
    for (int i = 0; i < POLYNOMIAL_TERMS; ++i) {
        const auto& c = RESIDUAL_TERMS[i];
        const double tau_t = real_power(c.t, ln_tau);
        const long double p = static_cast<long double>(c.n) * tau_t * integer_power(delta, c.d);
        f += p;
        f_d += static_cast<long double>(c.n) * c.d * tau_t * real_power(c.d - 1.0, ln_delta);
        f_dd += c.d * (c.d - 1.0L) * p / delta2;
        f_t += c.t * p / tau;
        f_tt += c.t * (c.t - 1.0L) * p / tau2;
        f_dt += c.t * c.d * p / delta_tau;
    }
    for (int i = POLYNOMIAL_TERMS; i < RESIDUAL_TERM_COUNT; ++i) {
        const auto& c = RESIDUAL_TERMS[i];
        const double e_l = integer_power(delta, c.l);
        const long double x = static_cast<long double>(c.n) * real_power(c.t, ln_tau) *
                              integer_power(delta, c.d) * std::exp(-e_l);
        const long double le = static_cast<long double>(c.l) * e_l;
        f += x;
        f_d += (c.d - le) * x / delta;
        f_dd += (le * le + c.d * (c.d - 1.0L) - 2.0L * c.d * le +
                 (c.l - c.l * c.l) * (long double)e_l) *
                x / delta2;
        f_t += c.t * x / tau;
        f_tt += c.t * (c.t - 1.0L) * x / tau2;
        f_dt += (c.t * c.d - c.t * le) * x / delta_tau;
    }
    state.phir = static_cast<double>(f);
    state.phir_d = static_cast<double>(f_d);
    state.phir_dd = static_cast<double>(f_dd);
    state.phir_t = static_cast<double>(f_t);
    state.phir_tt = static_cast<double>(f_tt);
    state.phir_dt = static_cast<double>(f_dt);
}

double pressure_at_reference(const double& t, const double& rho) {
    const double T = t + KELVIN_OFFSET;
    const double delta = rho * INV_CRITICAL_DENSITY;
    const double tau = REDUCING_TAU_NUMERATOR / T;
    const double ln_tau = std::log(tau);
    const double ln_delta = std::log(delta);
    long double s = 0.0L;
    for (int i = 0; i < POLYNOMIAL_TERMS; ++i) {
        const auto& c = RESIDUAL_TERMS[i];
        s += static_cast<long double>(c.n) * c.d * real_power(c.t, ln_tau) *
             real_power(c.d - 1.0, ln_delta);
    }
    for (int i = POLYNOMIAL_TERMS; i < RESIDUAL_TERM_COUNT; ++i) {
        const auto& c = RESIDUAL_TERMS[i];
        const double e_l = integer_power(delta, c.l);
        const long double x = static_cast<long double>(c.n) * real_power(c.t, ln_tau) *
                              integer_power(delta, c.d) * std::exp(-e_l);
        s += x * (c.d - static_cast<long double>(c.l) * e_l) / delta;
    }
    const double phir_d = static_cast<double>(s);
    return (delta * phir_d + 1.0) * (T * rho) * GAS_CONSTANT;
}

}  // namespace
}  // namespace reference

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
            reference::evaluate_state_reference(t, rho, slow);
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
            const double ps = reference::pressure_at_reference(t, rho);
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

}  // namespace
}  // namespace zeltra5
