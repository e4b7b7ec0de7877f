#include "zeltra5/helmholtz.hpp"

#include <cfloat>
#include <cmath>
#include <utility>

#include "helmholtz_coefficients.hpp"
#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/extended.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;

// The residual sums are carried in `wide` (extended.hpp): long double, on the x86-64 targets
// the 80-bit extended format; a double-double in WebAssembly.
#if defined(__x86_64__) || defined(_M_X64)
static_assert(LDBL_MANT_DIG >= 64, "extended precision is required for the residual sums");
#endif

namespace {

using helmholtz::IDEAL_GAS;
using helmholtz::POLYNOMIAL_TERMS;
using helmholtz::RESIDUAL_TERM_COUNT;
using helmholtz::RESIDUAL_TERMS;

constexpr double REDUCING_TAU_NUMERATOR = 405.4;  // tau = 405.4 / T
constexpr double IDEAL_TAU_NUMERATOR = 500.0;     // tau0 = 500 / T

// Every residual temperature exponent is a multiple of 1/2 between -1/2 and 30, and every
// density exponent an integer up to 15: tau^t and delta^d are built once per evaluation from
// integer powers and sqrt(tau), instead of exp(t ln tau) per term.
constexpr int MAX_TAU_POWER = 30;
constexpr int MAX_DELTA_POWER = 15;

struct TermShape {
    int tau_whole;  // floor(t)
    bool tau_half;  // t - floor(t) == 1/2
    int damping;    // l, 0 for the polynomial terms
};

constexpr bool exponents_supported() {
    for (const auto& c : RESIDUAL_TERMS) {
        const double twice = 2.0 * c.t;
        if (twice != static_cast<double>(static_cast<int>(twice)) || c.t < -0.5 ||
            c.t > MAX_TAU_POWER || c.d < 0 || c.d > MAX_DELTA_POWER || c.l < 0 || c.l > 3) {
            return false;
        }
    }
    return true;
}
static_assert(exponents_supported(), "tau and delta power tables do not cover the terms");

constexpr TermShape shape_of(double t, int l) {
    const int twice = static_cast<int>(2.0 * t);
    const int whole = twice >= 0 ? twice / 2 : -1;  // t = -1/2 is tau^-1 * sqrt(tau)
    return {whole, (twice & 1) != 0, l};
}

struct TermShapes {
    TermShape shape[RESIDUAL_TERM_COUNT];
};

constexpr TermShapes make_shapes() {
    TermShapes s{};
    for (int i = 0; i < RESIDUAL_TERM_COUNT; ++i) {
        s.shape[i] = shape_of(RESIDUAL_TERMS[i].t, RESIDUAL_TERMS[i].l);
    }
    return s;
}
constexpr TermShapes SHAPES = make_shapes();

// x^N by repeated squaring (N >= 0); identical sub-powers of one x are shared by the compiler.
template <int N>
inline double integer_power(double x) {
    if constexpr (N == 0) {
        return 1.0;
    } else if constexpr (N == 1) {
        return x;
    } else {
        const double half = integer_power<N / 2>(x);
        if constexpr (N % 2 == 0) {
            return half * half;
        } else {
            return half * half * x;
        }
    }
}

struct ResidualContext {
    double tau;
    double delta;
    double inv_tau;
    double sqrt_tau;
    double damping[4];  // exp(-delta^l), l = 0 ... 3

    ResidualContext(double tau_, double delta_)
        : tau(tau_), delta(delta_), inv_tau(1.0 / tau_), sqrt_tau(std::sqrt(tau_)) {
        damping[0] = 1.0;
        damping[1] = std::exp(-delta);
        damping[2] = std::exp(-integer_power<2>(delta));
        damping[3] = std::exp(-integer_power<3>(delta));
    }

    // tau^t: an integer power, times sqrt(tau) for the half-integer exponents.
    template <int I>
    double tau_power() const {
        constexpr TermShape shape = SHAPES.shape[I];
        double whole;
        if constexpr (shape.tau_whole >= 0) {
            whole = integer_power<shape.tau_whole>(tau);
        } else {
            whole = inv_tau;
        }
        if constexpr (shape.tau_half) {
            return whole * sqrt_tau;
        } else {
            return whole;
        }
    }

    // X_i = n tau^t delta^d exp(-delta^l) of term I.
    template <int I>
    double term_value() const {
        constexpr auto c = RESIDUAL_TERMS[I];
        return c.n * tau_power<I>() * integer_power<c.d>(delta) * damping[c.l];
    }

    // delta d/d delta of X_i, divided by X_i: d - l delta^l (just d without damping).
    template <int I>
    wide delta_factor() const {
        constexpr auto c = RESIDUAL_TERMS[I];
        if constexpr (I < POLYNOMIAL_TERMS) {
            return c.d;
        } else {
            return c.d - static_cast<wide>(c.l) * integer_power<c.l>(delta);
        }
    }
};

// The six residual sums with the powers of 1/delta and 1/tau factored out: each term adds
// X, (d - lE) X, [(lE)^2 + d(d-1) - 2dlE + (l - l^2)E] X, t X, t(t-1) X and t (d - lE) X,
// with E = delta^l.
struct ResidualSums {
    wide f = 0.0L, f_d = 0.0L, f_dd = 0.0L, f_t = 0.0L, f_tt = 0.0L, f_dt = 0.0L;

    template <int I>
    void add(const ResidualContext& ctx) {
        constexpr auto c = RESIDUAL_TERMS[I];
        const wide x = ctx.term_value<I>();
        const wide a = ctx.delta_factor<I>();
        wide b;
        if constexpr (I < POLYNOMIAL_TERMS) {
            b = c.d * (c.d - 1.0L);
        } else {
            const wide e = integer_power<c.l>(ctx.delta);
            const wide le = c.l * e;
            b = le * le + c.d * (c.d - 1.0L) - 2.0L * c.d * le + (c.l - c.l * c.l) * e;
        }
        f += x;
        f_d += a * x;
        f_dd += b * x;
        f_t += c.t * x;
        f_tt += c.t * (c.t - 1.0L) * x;
        f_dt += c.t * a * x;
    }

    template <std::size_t... I>
    void add_all(const ResidualContext& ctx, std::index_sequence<I...>) {
        (add<static_cast<int>(I)>(ctx), ...);
    }
};

// The two delta sums alone: f_d and f_dd of ResidualSums, by the same operations.
struct DeltaSums {
    wide f_d = 0.0L, f_dd = 0.0L;

    template <int I>
    void add(const ResidualContext& ctx) {
        constexpr auto c = RESIDUAL_TERMS[I];
        const wide x = ctx.term_value<I>();
        const wide a = ctx.delta_factor<I>();
        wide b;
        if constexpr (I < POLYNOMIAL_TERMS) {
            b = c.d * (c.d - 1.0L);
        } else {
            const wide e = integer_power<c.l>(ctx.delta);
            const wide le = c.l * e;
            b = le * le + c.d * (c.d - 1.0L) - 2.0L * c.d * le + (c.l - c.l * c.l) * e;
        }
        f_d += a * x;
        f_dd += b * x;
    }

    template <std::size_t... I>
    void add_all(const ResidualContext& ctx, std::index_sequence<I...>) {
        (add<static_cast<int>(I)>(ctx), ...);
    }
};

// The two sums the enthalpy reads: f_d and f_t of ResidualSums, by the same operations.
struct EnthalpySums {
    wide f_d = 0.0L, f_t = 0.0L;

    template <int I>
    void add(const ResidualContext& ctx) {
        constexpr auto c = RESIDUAL_TERMS[I];
        const wide x = ctx.term_value<I>();
        const wide a = ctx.delta_factor<I>();
        f_d += a * x;
        f_t += c.t * x;
    }

    template <std::size_t... I>
    void add_all(const ResidualContext& ctx, std::index_sequence<I...>) {
        (add<static_cast<int>(I)>(ctx), ...);
    }
};

// The two third-order sums: delta^3 d3X/d delta^3 = [a (a - 1) (a - 2) - l^2 E (3a + l - 3)] X
// and tau d/d tau of delta^2 d2X/d delta^2 = t b X, with a = d - l E, E = delta^l and b as above,
// here in its shorter form b = a (a - 1) - l^2 E.
struct ThirdSums {
    wide f_ddd = 0.0L, f_ddt = 0.0L;

    template <int I>
    void add(const ResidualContext& ctx) {
        constexpr auto c = RESIDUAL_TERMS[I];
        const wide x = ctx.term_value<I>();
        wide b;
        wide third;
        if constexpr (I < POLYNOMIAL_TERMS) {
            b = c.d * (c.d - 1.0L);
            third = b * (c.d - 2.0L);
        } else {
            const wide a = ctx.delta_factor<I>();
            const wide l2e = c.l * c.l * static_cast<wide>(integer_power<c.l>(ctx.delta));
            const wide a1 = a - 1.0L;
            b = a * a1 - l2e;
            third = a * a1 * (a - 2.0L) - l2e * (3.0L * a + (c.l - 3.0L));
        }
        f_ddd += third * x;
        f_ddt += c.t * b * x;
    }

    template <std::size_t... I>
    void add_all(const ResidualContext& ctx, std::index_sequence<I...>) {
        (add<static_cast<int>(I)>(ctx), ...);
    }
};

// delta phir_d = sum (d - l delta^l) X_i.
template <std::size_t... I>
wide delta_phir_d(const ResidualContext& ctx, std::index_sequence<I...>) {
    wide s = 0.0L;
    ((s += ctx.delta_factor<static_cast<int>(I)>() *
           static_cast<wide>(ctx.term_value<static_cast<int>(I)>())),
     ...);
    return s;
}

using AllTerms = std::make_index_sequence<RESIDUAL_TERM_COUNT>;

}  // namespace

namespace {

// The temperature-only pieces of the ideal-gas part: ln tau0, 1/tau0 and the powers tau0^t_i.
struct IdealTemperatureTerms {
    double T;
    double tau0;
    double tau;
    double ln_tau0;
    double inv_tau0;
    double power[8];
};

[[gnu::always_inline]] inline IdealTemperatureTerms ideal_temperature_terms(const double& t) {
    IdealTemperatureTerms k{};
    k.T = t + KELVIN_OFFSET;
    k.tau0 = IDEAL_TAU_NUMERATOR / k.T;
    k.tau = REDUCING_TAU_NUMERATOR / k.T;
    k.ln_tau0 = std::log(k.tau0);
    k.inv_tau0 = 1.0 / k.tau0;
    for (int i = 3; i < 8; ++i) {
        k.power[i] = IDEAL_GAS.a[i] == 0.0 ? 0.0 : std::exp(IDEAL_GAS.t[i] * k.ln_tau0);
    }
    return k;
}

// phi0_t = a2 + a3 / tau0 + sum a_i t_i tau0^(t_i - 1), with tau0^(t - 1) from tau0^t.
[[gnu::always_inline]] inline double ideal_phi0_t(const IdealTemperatureTerms& k) {
    const double* a = IDEAL_GAS.a;
    const double* te = IDEAL_GAS.t;
    double phi0_t = a[1] + a[2] / k.tau0;
    for (int i = 3; i < 8; ++i) {
        if (a[i] == 0.0) continue;  // the empty slots contribute nothing
        phi0_t += a[i] * te[i] * (k.power[i] * k.inv_tau0);
    }
    return phi0_t;
}

// The six sums of ResidualSums and the two of ThirdSums in one pass over the terms, each by the
// same operations as ResidualSums or ThirdSums alone.
struct SumsWithThird {
    ResidualSums base;
    ThirdSums third;

    template <std::size_t... I>
    void add_all(const ResidualContext& ctx, std::index_sequence<I...>) {
        ((base.add<static_cast<int>(I)>(ctx), third.add<static_cast<int>(I)>(ctx)), ...);
    }
};

// Every field of `state` at the temperature of `k` and density rho; with `third`, also the third
// residual derivatives phir_ddd and phir_ddt into third[0] and third[1].
template <bool WithThird = false>
[[gnu::always_inline]] inline void evaluate_with(const IdealTemperatureTerms& k, const double& rho,
                                                 FluidState& state, double* third = nullptr) {
    ZELTRA5_COUNT(evaluate_state);
    const double T = k.T;
    state.T = T;
    state.rho = rho;
    const double tau0 = k.tau0;
    const double delta0 = rho * INV_IDEAL_REDUCING_DENSITY;
    const double tau = k.tau;
    const double delta = rho * INV_CRITICAL_DENSITY;
    state.tau0 = tau0;
    state.delta0 = delta0;
    state.tau = tau;
    state.delta = delta;

    // Ideal-gas part: phi0 = ln delta0 + a1 + a2 tau0 + a3 ln tau0 + sum a_i tau0^t_i, with
    // tau0^(t - 1) and tau0^(t - 2) from tau0^t.
    const double* a = IDEAL_GAS.a;
    const double* te = IDEAL_GAS.t;
    const double ln_tau0 = k.ln_tau0;
    const double inv_tau0 = k.inv_tau0;
    double phi0 = std::log(delta0) + a[0] + a[1] * tau0 + a[2] * ln_tau0;
    double phi0_tt = -a[2] / (tau0 * tau0);
    for (int i = 3; i < 8; ++i) {
        if (a[i] == 0.0) continue;  // the empty slots contribute nothing
        const double power = k.power[i];
        phi0 += a[i] * power;
        phi0_tt += a[i] * te[i] * (te[i] - 1.0) * (power * inv_tau0 * inv_tau0);
    }
    state.phi0 = phi0;
    state.phi0_t = ideal_phi0_t(k);
    state.phi0_tt = phi0_tt;
    state.phi0_d = IDEAL_REDUCING_DENSITY / rho;
    state.phi0_dd = -state.phi0_d * state.phi0_d;
    state.phi0_dt = 0.0;

    // Residual part, the six sums carried in extended precision.
    const ResidualContext ctx(tau, delta);
    const wide inv_delta = 1.0L / delta;
    const wide inv_tau = 1.0L / tau;
    ResidualSums sums;
    if constexpr (WithThird) {
        SumsWithThird both;
        both.add_all(ctx, AllTerms{});
        sums = both.base;
        third[0] = static_cast<double>(both.third.f_ddd * inv_delta * inv_delta * inv_delta);
        third[1] = static_cast<double>(both.third.f_ddt * inv_delta * inv_delta * inv_tau);
    } else {
        sums.add_all(ctx, AllTerms{});
    }
    state.phir = static_cast<double>(sums.f);
    state.phir_d = static_cast<double>(sums.f_d * inv_delta);
    state.phir_dd = static_cast<double>(sums.f_dd * inv_delta * inv_delta);
    state.phir_t = static_cast<double>(sums.f_t * inv_tau);
    state.phir_tt = static_cast<double>(sums.f_tt * inv_tau * inv_tau);
    state.phir_dt = static_cast<double>(sums.f_dt * inv_delta * inv_tau);
    state.R = GAS_CONSTANT;
}

// state_enthalpy of the record evaluate_with fills at the temperature of `k` and density rho,
// from the fields the enthalpy reads alone, each formed by the same operations.
[[gnu::always_inline]] inline double enthalpy_with(const IdealTemperatureTerms& k,
                                                   const double& rho) {
    ZELTRA5_COUNT(evaluate_state);
    FluidState s{};
    s.T = k.T;
    s.rho = rho;
    s.tau0 = k.tau0;
    s.tau = k.tau;
    s.delta = rho * INV_CRITICAL_DENSITY;
    s.phi0_t = ideal_phi0_t(k);
    const ResidualContext ctx(s.tau, s.delta);
    EnthalpySums sums;
    sums.add_all(ctx, AllTerms{});
    const wide inv_delta = 1.0L / s.delta;
    const wide inv_tau = 1.0L / s.tau;
    s.phir_d = static_cast<double>(sums.f_d * inv_delta);
    s.phir_t = static_cast<double>(sums.f_t * inv_tau);
    s.R = GAS_CONSTANT;
    return state_enthalpy(s);
}

}  // namespace

void evaluate_state(const double& t, const double& rho, FluidState& state) {
    evaluate_with(ideal_temperature_terms(t), rho, state);
}

void evaluate_state_and_third(const double& t, const double& rho, FluidState& state,
                              double& phir_ddd, double& phir_ddt) {
    double third[2];
    evaluate_with<true>(ideal_temperature_terms(t), rho, state, third);
    phir_ddd = third[0];
    phir_ddt = third[1];
}

void evaluate_states_at_temperature(const double& t, const double& rho_a, const double& rho_b,
                                    FluidState& a, FluidState& b) {
    const IdealTemperatureTerms k = ideal_temperature_terms(t);
    evaluate_with(k, rho_a, a);
    evaluate_with(k, rho_b, b);
}

namespace {

// The two sums the fugacity reads: f and f_d of ResidualSums, by the same operations.
struct FugacitySums {
    wide f = 0.0L, f_d = 0.0L;

    template <int I>
    void add(const ResidualContext& ctx) {
        const wide x = ctx.term_value<I>();
        const wide a = ctx.delta_factor<I>();
        f += x;
        f_d += a * x;
    }

    template <std::size_t... I>
    void add_all(const ResidualContext& ctx, std::index_sequence<I...>) {
        (add<static_cast<int>(I)>(ctx), ...);
    }
};

}  // namespace

void evaluate_fugacity_fields(const double& t, const double& rho, FluidState& state) {
    ZELTRA5_COUNT(evaluate_state);
    const IdealTemperatureTerms k = ideal_temperature_terms(t);
    state.T = k.T;
    state.rho = rho;
    state.tau0 = k.tau0;
    state.tau = k.tau;
    state.delta = rho * INV_CRITICAL_DENSITY;
    // phi0_tt as evaluate_with forms it.
    const double* a = IDEAL_GAS.a;
    const double* te = IDEAL_GAS.t;
    double phi0_tt = -a[2] / (k.tau0 * k.tau0);
    for (int i = 3; i < 8; ++i) {
        if (a[i] == 0.0) continue;
        phi0_tt += a[i] * te[i] * (te[i] - 1.0) * (k.power[i] * k.inv_tau0 * k.inv_tau0);
    }
    state.phi0_tt = phi0_tt;
    const ResidualContext ctx(state.tau, state.delta);
    FugacitySums sums;
    sums.add_all(ctx, AllTerms{});
    const wide inv_delta = 1.0L / state.delta;
    state.phir = static_cast<double>(sums.f);
    state.phir_d = static_cast<double>(sums.f_d * inv_delta);
    state.R = GAS_CONSTANT;
}

void evaluate_state_and_enthalpy(const double& t, const double& rho, const double& rho_other,
                                 FluidState& state, double& enthalpy_other) {
    const IdealTemperatureTerms k = ideal_temperature_terms(t);
    evaluate_with(k, rho, state);
    enthalpy_other = enthalpy_with(k, rho_other);
}

namespace {

// phir_d by the same operations, in the same order, as evaluate_state.
double phir_d_at(const double& T, const double& delta) {
    const ResidualContext ctx(REDUCING_TAU_NUMERATOR / T, delta);
    const wide inv_delta = 1.0L / delta;
    return static_cast<double>(delta_phir_d(ctx, AllTerms{}) * inv_delta);
}

}  // namespace

double residual_phir_d(const double& t, const double& rho) {
    ZELTRA5_COUNT(pressure_at);
    return phir_d_at(t + KELVIN_OFFSET, rho * INV_CRITICAL_DENSITY);
}

void residual_phir_d_dd(const double& t, const double& rho, double& phir_d, double& phir_dd) {
    ZELTRA5_COUNT(pressure_at);
    const double delta = rho * INV_CRITICAL_DENSITY;
    const ResidualContext ctx(REDUCING_TAU_NUMERATOR / (t + KELVIN_OFFSET), delta);
    DeltaSums sums;
    sums.add_all(ctx, AllTerms{});
    const wide inv_delta = 1.0L / delta;
    phir_d = static_cast<double>(sums.f_d * inv_delta);
    phir_dd = static_cast<double>(sums.f_dd * inv_delta * inv_delta);
}

void residual_phir_ddd_ddt(const double& t, const double& rho, double& phir_ddd, double& phir_ddt) {
    ZELTRA5_COUNT(evaluate_state);
    const double delta = rho * INV_CRITICAL_DENSITY;
    const double tau = REDUCING_TAU_NUMERATOR / (t + KELVIN_OFFSET);
    const ResidualContext ctx(tau, delta);
    ThirdSums sums;
    sums.add_all(ctx, AllTerms{});
    // Reduced as evaluate_with<true> reduces them: bit for bit evaluate_state_and_third's.
    const wide inv_delta = 1.0L / delta;
    const wide inv_tau = 1.0L / tau;
    phir_ddd = static_cast<double>(sums.f_ddd * inv_delta * inv_delta * inv_delta);
    phir_ddt = static_cast<double>(sums.f_ddt * inv_delta * inv_delta * inv_tau);
}

namespace {

// At delta = 0 only the powers delta^1 and delta^2 of each term's series
// n tau^t delta^d sum_m (-delta^l)^m / m! remain in phir_d and phir_dd: their coefficients
// (times 1 and 2) are the limits. The coefficient of delta^power in delta^d exp(-delta^l):
constexpr double series_coefficient(const int d, const int l, const int power) {
    const int rest = power - d;
    if (rest == 0) {
        return 1.0;
    }
    if (rest < 0 || l == 0 || rest % l != 0) {
        return 0.0;
    }
    const int m = rest / l;
    double factorial = 1.0;
    for (int k = 2; k <= m; ++k) {
        factorial *= k;
    }
    return (m % 2 == 0 ? 1.0 : -1.0) / factorial;
}

struct LowDensitySums {
    wide first = 0.0L, second = 0.0L;

    template <int I>
    void add(const ResidualContext& ctx) {
        constexpr auto c = RESIDUAL_TERMS[I];
        constexpr double c1 = series_coefficient(c.d, c.l, 1);
        constexpr double c2 = series_coefficient(c.d, c.l, 2);
        if constexpr (c1 != 0.0 || c2 != 0.0) {
            const wide x = c.n * ctx.tau_power<I>();
            first += c1 * x;
            second += c2 * x;
        }
    }

    template <std::size_t... I>
    void add_all(const ResidualContext& ctx, std::index_sequence<I...>) {
        (add<static_cast<int>(I)>(ctx), ...);
    }
};

}  // namespace

void residual_low_density_limit(const double& t, double& phir_d, double& phir_dd) {
    const ResidualContext ctx(REDUCING_TAU_NUMERATOR / (t + KELVIN_OFFSET), 0.0);
    LowDensitySums sums;
    sums.add_all(ctx, AllTerms{});
    phir_d = static_cast<double>(sums.first);
    phir_dd = static_cast<double>(2.0L * sums.second);
}

double pressure_at(const double& t, const double& rho) {
    ZELTRA5_COUNT(pressure_at);
    const double T = t + KELVIN_OFFSET;
    const double delta = rho * INV_CRITICAL_DENSITY;
    const double phir_d = phir_d_at(T, delta);
    return (delta * phir_d + 1.0) * (T * rho) * GAS_CONSTANT;
}

int lagrange_interpolate(const double* xs, const double* ys, const int& n, const double& x,
                         double& result) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        double w = 1.0;
        for (int j = 0; j < n; ++j) {
            if (j == i) {
                continue;
            }
            const double m = xs[i] - xs[j];
            if (std::fabs(m) < 1e-20) {
                return 1;
            }
            w = w * (x - xs[j]) / m;
        }
        sum += w * ys[i];
    }
    result = sum;
    return 0;
}

}  // namespace zeltra5
