// The equation of state evaluated the straightforward way: exp(t ln tau) for every real power of
// tau, exp((d - 1) ln delta) for the polynomial terms' delta derivative, and every term divided
// by delta and tau as it is added. Kept as the yardstick for the fast evaluation: compiled into
// the tests under zeltra5::reference, and in place of the library's own evaluation into the
// reference build of the whole calculation.

#include <cfloat>
#include <cmath>

#include "../../models/tr1993/src/helmholtz_coefficients.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/tr1993_constants.hpp"

#ifdef ZELTRA5_REFERENCE_AS_EOS
namespace zeltra5 {
#else
namespace zeltra5::reference {
#endif

using namespace tr1993;  // the constants of the equation it evaluates

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

}  // namespace

void evaluate_state(const double& t, const double& rho, FluidState& state) {
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
    state.R = GAS_CONSTANT;
}

void evaluate_states_at_temperature(const double& t, const double& rho_a, const double& rho_b,
                                    FluidState& a, FluidState& b) {
    evaluate_state(t, rho_a, a);
    evaluate_state(t, rho_b, b);
}

void evaluate_state_and_enthalpy(const double& t, const double& rho, const double& rho_other,
                                 FluidState& state, double& enthalpy_other) {
    evaluate_state(t, rho, state);
    FluidState other;
    evaluate_state(t, rho_other, other);
    enthalpy_other = state_enthalpy(other);
}

double pressure_at(const double& t, const double& rho) {
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

void evaluate_fugacity_fields(const double& t, const double& rho, FluidState& state) {
    evaluate_state(t, rho, state);
}

double residual_phir_d(const double& t, const double& rho) {
    FluidState s;
    evaluate_state(t, rho, s);
    return s.phir_d;
}

void residual_phir_d_dd(const double& t, const double& rho, double& phir_d, double& phir_dd) {
    FluidState s;
    evaluate_state(t, rho, s);
    phir_d = s.phir_d;
    phir_dd = s.phir_dd;
}

// Each term's logarithmic derivatives in delta, g = d ln delta - delta^l: X_d / X = g1,
// X_dd / X = g2 + g1^2, X_ddd / X = g3 + 3 g1 g2 + g1^3.
void residual_phir_ddd_ddt(const double& t, const double& rho, double& phir_ddd, double& phir_ddt) {
    const double T = t + KELVIN_OFFSET;
    const double tau = REDUCING_TAU_NUMERATOR / T;
    const double delta = rho * INV_CRITICAL_DENSITY;
    const double ln_tau = std::log(tau);
    double ddd = 0.0;
    double ddt = 0.0;
    for (int i = 0; i < RESIDUAL_TERM_COUNT; ++i) {
        const auto& c = RESIDUAL_TERMS[i];
        const double d = c.d;
        const double l = c.l;
        const double x = c.n * real_power(c.t, ln_tau) * integer_power(delta, c.d) *
                         (c.l == 0 ? 1.0 : std::exp(-integer_power(delta, c.l)));
        const double g1 = d / delta - (c.l >= 1 ? l * integer_power(delta, c.l - 1) : 0.0);
        const double g2 =
            -d / (delta * delta) - (c.l >= 2 ? l * (l - 1) * integer_power(delta, c.l - 2) : 0.0);
        const double g3 = 2.0 * d / (delta * delta * delta) -
                          (c.l >= 3 ? l * (l - 1) * (l - 2) * integer_power(delta, c.l - 3) : 0.0);
        ddd += x * (g3 + 3.0 * g1 * g2 + g1 * g1 * g1);
        ddt += c.t / tau * x * (g2 + g1 * g1);
    }
    phir_ddd = ddd;
    phir_ddt = ddt;
}

void evaluate_state_and_third(const double& t, const double& rho, FluidState& state,
                              double& phir_ddd, double& phir_ddt) {
    evaluate_state(t, rho, state);
    residual_phir_ddd_ddt(t, rho, phir_ddd, phir_ddt);
}

// The first two delta-derivatives of delta^d exp(-delta^l) at delta = 0, case by case.
void residual_low_density_limit(const double& t, double& phir_d, double& phir_dd) {
    const double tau = REDUCING_TAU_NUMERATOR / (t + KELVIN_OFFSET);
    double first = 0.0;
    double second = 0.0;
    for (int i = 0; i < RESIDUAL_TERM_COUNT; ++i) {
        const auto& c = RESIDUAL_TERMS[i];
        const double scale = c.n * std::pow(tau, c.t);
        double d1 = 0.0;
        double d2 = 0.0;
        if (c.d == 0) {  // exp(-delta^l) = 1 - delta^l + delta^(2l)/2 - ...
            d1 = c.l == 1 ? -1.0 : 0.0;
            d2 = c.l == 1 ? 1.0 : c.l == 2 ? -2.0 : 0.0;
        } else if (c.d == 1) {  // delta - delta^(l+1) + ...
            d1 = 1.0;
            d2 = c.l == 1 ? -2.0 : 0.0;
        } else if (c.d == 2) {
            d2 = 2.0;
        }
        first += scale * d1;
        second += scale * d2;
    }
    phir_d = first;
    phir_dd = second;
}

int lagrange_interpolate(const double* xs, const double* ys, const int& n, const double& x,
                         double& result) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        double w = 1.0;
        for (int j = 0; j < n; ++j) {
            if (j == i) continue;
            const double m = xs[i] - xs[j];
            if (std::fabs(m) < 1e-20) return 1;
            w = w * (x - xs[j]) / m;
        }
        sum += w * ys[i];
    }
    result = sum;
    return 0;
}

}  // namespace
