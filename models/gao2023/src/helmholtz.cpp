// The reduced Helmholtz energy of the 2023 equation and its derivatives. Every residual term is
// n f(delta) g(tau), so its derivatives follow from those of ln f and ln g.

#include <cmath>

#include "coefficients.hpp"
#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/gao2023.hpp"

namespace zeltra5::gao2023 {

namespace {

namespace co = coefficients;

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

// Adds one term n f(delta) g(tau) of value v, given the derivatives of ln f in delta (a1 to a3)
// and of ln g in tau (b1, b2): f' = f a1, f'' = f (a2 + a1^2), f''' = f (a3 + 3 a1 a2 + a1^3).
void accumulate(double v, double a1, double a2, double a3, double b1, double b2, Residual& r) {
    const double f2 = a2 + a1 * a1;
    const double f3 = a3 + 3.0 * a1 * a2 + a1 * a1 * a1;
    const double g2 = b2 + b1 * b1;
    r.phir += v;
    r.d += v * a1;
    r.dd += v * f2;
    r.ddd += v * f3;
    r.t += v * b1;
    r.tt += v * g2;
    r.dt += v * a1 * b1;
    r.ddt += v * f2 * b1;
}

// The exponents of delta in the tables are the small integers the powers below hold.
constexpr bool small_exponents() {
    for (const co::PowerTerm& k : co::POWER_TERMS) {
        if (k.d < 0 || k.d > 4 || k.l < 0 || k.l > 4) return false;
    }
    for (const co::BellTerm& k : co::GAUSSIAN_TERMS) {
        if (k.d < 0 || k.d > 4) return false;
    }
    for (const co::BellTerm& k : co::ASSOCIATION_TERMS) {
        if (k.d < 0 || k.d > 4) return false;
    }
    return true;
}
static_assert(small_exponents(), "every d and l of the residual terms is in 0 to 4");

// Each term is n delta^d tau^t exp(e(delta) + g(tau)) with integer d (and l): its value is
// n delta^d times one exponential of t ln tau + e + g, the logarithm taken once for all terms.
Residual residual(double delta, double tau) {
    Residual r{};
    const double powers[5] = {1.0, delta, delta * delta, delta * delta * delta,
                              delta * delta * delta * delta};
    const double ln_tau = std::log(tau);
    const double inv_d = 1.0 / delta;
    const double inv_d2 = inv_d * inv_d;
    const double inv_d3 = inv_d2 * inv_d;
    const double inv_t = 1.0 / tau;
    const double inv_t2 = inv_t * inv_t;
    for (const co::PowerTerm& k : co::POWER_TERMS) {
        const double d = k.d;
        // e = -delta^l and its derivatives (l = 0: no exponential factor).
        double e = 0.0;
        double e1 = 0.0;
        double e2 = 0.0;
        double e3 = 0.0;
        if (k.l > 0) {
            const double l = k.l;
            e = -powers[k.l];
            e1 = -l * powers[k.l - 1];
            e2 = k.l > 1 ? -l * (l - 1.0) * powers[k.l - 2] : 0.0;
            e3 = k.l > 2 ? -l * (l - 1.0) * (l - 2.0) * powers[k.l - 3] : 0.0;
        }
        const double v = k.n * powers[k.d] * std::exp(k.t * ln_tau + e);
        accumulate(v, d * inv_d + e1, -d * inv_d2 + e2, 2.0 * d * inv_d3 + e3, k.t * inv_t,
                   -k.t * inv_t2, r);
    }
    // The Gaussian terms: e = -eta (delta - epsilon)^2, g = -beta (tau - gamma)^2.
    for (const co::BellTerm& k : co::GAUSSIAN_TERMS) {
        const double d = k.d;
        const double x = delta - k.epsilon;
        const double y = tau - k.gamma;
        const double v =
            k.n * powers[k.d] * std::exp(k.t * ln_tau - k.eta * x * x - k.beta * y * y);
        accumulate(v, d * inv_d - 2.0 * k.eta * x, -d * inv_d2 - 2.0 * k.eta, 2.0 * d * inv_d3,
                   k.t * inv_t - 2.0 * k.beta * y, -k.t * inv_t2 - 2.0 * k.beta, r);
    }
    // The association terms: e as above, g = 1 / q with q = beta (tau - gamma)^2 + b.
    for (const co::BellTerm& k : co::ASSOCIATION_TERMS) {
        const double d = k.d;
        const double x = delta - k.epsilon;
        const double y = tau - k.gamma;
        const double inv_q = 1.0 / (k.beta * y * y + k.b);
        const double q1 = 2.0 * k.beta * y;
        const double q2 = 2.0 * k.beta;
        const double v = k.n * powers[k.d] * std::exp(k.t * ln_tau - k.eta * x * x + inv_q);
        accumulate(v, d * inv_d - 2.0 * k.eta * x, -d * inv_d2 - 2.0 * k.eta, 2.0 * d * inv_d3,
                   k.t * inv_t - q1 * inv_q * inv_q,
                   -k.t * inv_t2 - q2 * inv_q * inv_q + 2.0 * q1 * q1 * inv_q * inv_q * inv_q, r);
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

double liquid_spinodal_density(double t) {
    const double T_K = t + KELVIN_OFFSET;
    if (!(T_K < REDUCING_TEMPERATURE)) {
        return std::nan("");
    }
    const double tau = inverse_reduced_temperature(t);
    // J_d = 1 + 2 delta phir_d + delta^2 phir_dd, (dp/drho)_T / (R T), and its delta-derivative.
    const auto slope = [tau](double delta, double& derivative) {
        const Residual r = residual(delta, tau);
        derivative = 2.0 * r.d + 4.0 * delta * r.dd + delta * delta * r.ddd;
        return 1.0 + 2.0 * delta * r.d + delta * delta * r.dd;
    };
    // A bracket [lo, hi] with J_d(lo) < 0 < J_d(hi): from a little above the ancillary's
    // saturated liquid down in steps of 0.1 into the two-phase region (the equation's isotherm
    // there is not monotonic, so its own value at rho_r says nothing).
    double derivative = 0.0;
    double hi = 1.02 * ancillary_liquid_density(T_K) / REDUCING_DENSITY;
    if (!(slope(hi, derivative) > 0.0)) {
        return std::nan("");
    }
    double lo = hi;
    bool found = false;
    for (int i = 0; i < 40 && lo > 1.0; ++i) {
        lo -= 0.1;
        if (slope(lo, derivative) < 0.0) {
            found = true;
            break;
        }
        hi = lo;
    }
    if (!found) {
        return std::nan("");
    }
    // Newton's method inside the bracket, bisecting where a step leaves it.
    double delta = 0.5 * (lo + hi);
    for (int i = 0; i < 100; ++i) {
        const double f = slope(delta, derivative);
        (f > 0.0 ? hi : lo) = delta;
        double next = delta - f / derivative;
        if (!(next > lo && next < hi)) {
            next = 0.5 * (lo + hi);
        }
        const bool done = std::fabs(next - delta) <= 1e-15 * delta || hi - lo <= 1e-15 * delta;
        delta = next;
        if (done) {
            break;
        }
    }
    return delta * REDUCING_DENSITY;
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

double melting_temperature(const double p) {
    // The low branch up to its own pressure at the switch temperature, the high branch above;
    // the line jumps there (the high branch starts 0.02 MPa higher), so a pressure in the jump
    // first meets the liquid at the switch temperature.
    const double switch_pressure =
        co::MELTING_LOW_P0 +
        co::MELTING_LOW_A *
            (std::pow(co::MELTING_HIGH_T0 / co::MELTING_LOW_T0, co::MELTING_LOW_C) - 1.0);
    if (!(p > co::MELTING_LOW_P0)) {
        return TRIPLE_POINT_TEMPERATURE;
    }
    if (p <= switch_pressure) {
        return co::MELTING_LOW_T0 * std::pow((p - co::MELTING_LOW_P0) / co::MELTING_LOW_A + 1.0,
                                             1.0 / co::MELTING_LOW_C);
    }
    return std::fmax(
        co::MELTING_HIGH_T0,
        co::MELTING_HIGH_T0 * std::pow((p - co::MELTING_HIGH_P0) / co::MELTING_HIGH_A + 1.0,
                                       1.0 / co::MELTING_HIGH_C));
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
