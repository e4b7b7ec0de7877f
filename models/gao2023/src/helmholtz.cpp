// The reduced Helmholtz energy of the 2023 equation and its derivatives. Every residual term is
// n f(delta) g(tau), so its derivatives follow from those of ln f and ln g.

#include <cmath>

#include "coefficients.hpp"
#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/gao2023.hpp"

namespace zeltra5::gao2023 {

namespace {

namespace co = coefficients;

// ln f and its first three derivatives in delta, or ln g and its first two in tau.
struct LogDerivatives {
    double v;
    double d1;
    double d2;
    double d3;
};

// A factor x^k exp(e(x)) with e and its derivatives given: value and derivatives of the factor.
struct Factor {
    double f;
    double f1;
    double f2;
    double f3;
};

Factor factor_from_log(const LogDerivatives& l) {
    const double f = std::exp(l.v);
    return {f, f * l.d1, f * (l.d2 + l.d1 * l.d1),
            f * (l.d3 + 3.0 * l.d1 * l.d2 + l.d1 * l.d1 * l.d1)};
}

// x^k exp(e): adds k ln x to the exponent's derivatives.
LogDerivatives with_power(double x, double k, LogDerivatives e) {
    const double inv = 1.0 / x;
    e.v += k * std::log(x);
    e.d1 += k * inv;
    e.d2 -= k * inv * inv;
    e.d3 += 2.0 * k * inv * inv * inv;
    return e;
}

struct Residual {
    double phir;
    double d;
    double dd;
    double ddd;
    double t;
    double tt;
    double dt;
    double ddt;
};

void accumulate(double n, const Factor& f, const Factor& g, Residual& r) {
    r.phir += n * f.f * g.f;
    r.d += n * f.f1 * g.f;
    r.dd += n * f.f2 * g.f;
    r.ddd += n * f.f3 * g.f;
    r.t += n * f.f * g.f1;
    r.tt += n * f.f * g.f2;
    r.dt += n * f.f1 * g.f1;
    r.ddt += n * f.f2 * g.f1;
}

Residual residual(double delta, double tau) {
    Residual r{};
    for (const co::PowerTerm& k : co::POWER_TERMS) {
        LogDerivatives e{};
        if (k.l > 0) {
            const double l = k.l;
            const double dl = std::pow(delta, l - 3.0);  // delta^(l-3)
            e = {-dl * delta * delta * delta, -l * dl * delta * delta, -l * (l - 1.0) * dl * delta,
                 -l * (l - 1.0) * (l - 2.0) * dl};
        }
        const Factor f = factor_from_log(with_power(delta, k.d, e));
        const Factor g = factor_from_log(with_power(tau, k.t, LogDerivatives{}));
        accumulate(k.n, f, g, r);
    }
    for (const co::BellTerm& k : co::GAUSSIAN_TERMS) {
        const double x = delta - k.epsilon;
        const double y = tau - k.gamma;
        const Factor f = factor_from_log(
            with_power(delta, k.d, {-k.eta * x * x, -2.0 * k.eta * x, -2.0 * k.eta, 0.0}));
        const Factor g = factor_from_log(
            with_power(tau, k.t, {-k.beta * y * y, -2.0 * k.beta * y, -2.0 * k.beta, 0.0}));
        accumulate(k.n, f, g, r);
    }
    // The association terms: exp(-eta (delta - epsilon)^2 + 1 / (beta (tau - gamma)^2 + b)).
    for (const co::BellTerm& k : co::ASSOCIATION_TERMS) {
        const double x = delta - k.epsilon;
        const double y = tau - k.gamma;
        const double q = k.beta * y * y + k.b;
        const double q1 = 2.0 * k.beta * y;
        const double q2 = 2.0 * k.beta;
        const Factor f = factor_from_log(
            with_power(delta, k.d, {-k.eta * x * x, -2.0 * k.eta * x, -2.0 * k.eta, 0.0}));
        const Factor g = factor_from_log(with_power(
            tau, k.t, {1.0 / q, -q1 / (q * q), -q2 / (q * q) + 2.0 * q1 * q1 / (q * q * q), 0.0}));
        accumulate(k.n, f, g, r);
    }
    return r;
}

double reduced_density(double rho) {
    return rho / REDUCING_DENSITY;
}

double inverse_reduced_temperature(double t) {
    return REDUCING_TEMPERATURE / (t + KELVIN_OFFSET);
}

}  // namespace

void evaluate(const double& t, const double& rho, FluidState& s) {
    ZELTRA5_COUNT(evaluate_state);
    const double delta = reduced_density(rho);
    const double tau = inverse_reduced_temperature(t);
    const Residual r = residual(delta, tau);
    s.T = t + KELVIN_OFFSET;
    s.rho = rho;
    s.tau = tau;
    s.delta = delta;
    s.tau0 = tau;
    s.delta0 = delta;
    double phi0 =
        std::log(delta) + co::IDEAL_A1 + co::IDEAL_A2 * tau + (co::IDEAL_C0 - 1.0) * std::log(tau);
    double phi0_t = co::IDEAL_A2 + (co::IDEAL_C0 - 1.0) / tau;
    double phi0_tt = -(co::IDEAL_C0 - 1.0) / (tau * tau);
    for (int k = 0; k < 3; ++k) {
        const double theta = co::IDEAL_U[k] / REDUCING_TEMPERATURE;
        const double e = std::exp(-theta * tau);
        const double one_less = -std::expm1(-theta * tau);
        phi0 += co::IDEAL_V[k] * std::log(one_less);
        phi0_t += co::IDEAL_V[k] * theta * e / one_less;
        phi0_tt -= co::IDEAL_V[k] * theta * theta * e / (one_less * one_less);
    }
    s.phi0 = phi0;
    s.phi0_d = 1.0 / delta;
    s.phi0_dd = -1.0 / (delta * delta);
    s.phi0_t = phi0_t;
    s.phi0_tt = phi0_tt;
    s.phi0_dt = 0.0;
    s.phir = r.phir;
    s.phir_d = r.d;
    s.phir_dd = r.dd;
    s.phir_t = r.t;
    s.phir_tt = r.tt;
    s.phir_dt = r.dt;
    s.R = GAS_CONSTANT;
}

void third_derivatives(const double& t, const double& rho, double& phir_ddd, double& phir_ddt) {
    ZELTRA5_COUNT(evaluate_state);
    const Residual r = residual(reduced_density(rho), inverse_reduced_temperature(t));
    phir_ddd = r.ddd;
    phir_ddt = r.ddt;
}

// Formed as state_pressure forms it from the same fields: bit for bit the record's pressure.
double pressure(const double& t, const double& rho) {
    ZELTRA5_COUNT(pressure_at);
    const double delta = reduced_density(rho);
    const Residual r = residual(delta, inverse_reduced_temperature(t));
    return (delta * r.d + 1.0) * rho * (t + KELVIN_OFFSET) * GAS_CONSTANT;
}

double phir_d(const double& t, const double& rho) {
    ZELTRA5_COUNT(pressure_at);
    return residual(reduced_density(rho), inverse_reduced_temperature(t)).d;
}

void phir_d_dd(const double& t, const double& rho, double& d, double& dd) {
    ZELTRA5_COUNT(pressure_at);
    const Residual r = residual(reduced_density(rho), inverse_reduced_temperature(t));
    d = r.d;
    dd = r.dd;
}

double drho_dp_t(const FluidState& s) {
    return 1.0 / (s.R * s.T * (1.0 + 2.0 * s.delta * s.phir_d + s.delta * s.delta * s.phir_dd));
}

double dp_dt_rho(const FluidState& s) {
    return s.rho * s.R * (1.0 + s.delta * s.phir_d - s.delta * s.tau * s.phir_dt);
}

double isentropic_exponent(const FluidState& s) {
    const double w = state_speed_of_sound(s);
    return s.rho * w * w / state_pressure(s);
}

double melting_pressure(double T_K) {
    if (!(T_K >= TRIPLE_POINT_TEMPERATURE && T_K <= MAX_TEMPERATURE_K)) {
        return std::nan("");
    }
    if (T_K < co::MELTING_HIGH_T0) {
        return co::MELTING_LOW_P0 +
               co::MELTING_LOW_A * (std::pow(T_K / co::MELTING_LOW_T0, co::MELTING_LOW_C) - 1.0);
    }
    return co::MELTING_HIGH_P0 +
           co::MELTING_HIGH_A * (std::pow(T_K / co::MELTING_HIGH_T0, co::MELTING_HIGH_C) - 1.0);
}

}  // namespace zeltra5::gao2023
