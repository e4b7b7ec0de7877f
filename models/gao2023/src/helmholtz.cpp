// The reduced Helmholtz energy of the 2023 equation and its derivatives. Every residual term is
// n f(delta) g(tau), so its derivatives follow from those of ln f and ln g.

#include <cmath>
#include <cstddef>
#include <iterator>
#include <utility>

#include "coefficients.hpp"
#include "saturated_record_coefficients.hpp"
#include "saturated_third_coefficients.hpp"
#include "saturation_expansion_coefficients.hpp"
#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/exponential.hpp"
#include "zeltra5/gao2023.hpp"
#include "zeltra5/piecewise.hpp"

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

// The sums a caller asks of the residual: each term adds only to those (a mask of these bits).
enum Sum : unsigned {
    SUM_PHIR = 1U,
    SUM_D = 2U,
    SUM_DD = 4U,
    SUM_DDD = 8U,
    SUM_T = 16U,
    SUM_TT = 32U,
    SUM_DT = 64U,
    SUM_DDT = 128U,
};
constexpr unsigned SUMS_STATE = SUM_PHIR | SUM_D | SUM_DD | SUM_T | SUM_TT | SUM_DT;
// What the enthalpy needs: phir_d and phir_t.
constexpr unsigned SUMS_ENTHALPY = SUM_D | SUM_T;

// The state's powers and reciprocals every term reads.
struct Point {
    double delta;
    double tau;
    double ln_tau;
    double powers[5];  // delta^0 to delta^4
    double inv_d;
    double inv_d2;
    double inv_d3;
    double inv_t;
    double inv_t2;
};

Point point(const double delta, const double tau, const double ln_tau) {
    const double d2 = delta * delta;
    const double inv_d = 1.0 / delta;
    const double inv_t = 1.0 / tau;
    return Point{delta,
                 tau,
                 ln_tau,
                 {1.0, delta, d2, d2 * delta, d2 * d2},
                 inv_d,
                 inv_d * inv_d,
                 inv_d * inv_d * inv_d,
                 inv_t,
                 inv_t * inv_t};
}

// Adds one term n f(delta) g(tau) of value v, given the derivatives of ln f in delta (a1 to a3)
// and of ln g in tau (b1, b2): f' = f a1, f'' = f (a2 + a1^2), f''' = f (a3 + 3 a1 a2 + a1^3).
// Only the sums in S are formed; the arguments the others would read are left unused.
template <unsigned S>
inline void accumulate(const double v, const double a1, const double a2, const double a3,
                       const double b1, const double b2, Residual& r) {
    const double f2 = a2 + a1 * a1;
    if constexpr ((S & SUM_PHIR) != 0) r.phir += v;
    if constexpr ((S & SUM_D) != 0) r.d += v * a1;
    if constexpr ((S & SUM_DD) != 0) r.dd += v * f2;
    if constexpr ((S & SUM_DDD) != 0) r.ddd += v * (a3 + 3.0 * a1 * a2 + a1 * a1 * a1);
    if constexpr ((S & SUM_T) != 0) r.t += v * b1;
    if constexpr ((S & SUM_TT) != 0) r.tt += v * (b2 + b1 * b1);
    if constexpr ((S & SUM_DT) != 0) r.dt += v * a1 * b1;
    if constexpr ((S & SUM_DDT) != 0) r.ddt += v * f2 * b1;
}

// Term I of the power and exponential terms: n delta^d tau^t exp(-delta^l) (l = 0: no
// exponential factor). The exponents are constants, so each term compiles to its own code: a
// t of 1 and l of 0 needs no exponential at all.
template <unsigned S, std::size_t I>
inline void add_power_term(const Point& p, Residual& r) {
    constexpr co::PowerTerm k = co::POWER_TERMS[I];
    static_assert(k.d >= 0 && k.d <= 4 && k.l >= 0 && k.l <= 4);
    constexpr double d = k.d;
    constexpr double l = k.l;
    double v = 0.0;
    double e1 = 0.0;
    double e2 = 0.0;
    double e3 = 0.0;
    if constexpr (k.l == 0) {
        if constexpr (k.t == 1.0) {
            v = k.n * p.powers[k.d] * p.tau;
        } else {
            v = k.n * p.powers[k.d] * exponential(k.t * p.ln_tau);
        }
    } else {
        v = k.n * p.powers[k.d] * exponential(k.t * p.ln_tau - p.powers[k.l]);
        e1 = -l * p.powers[k.l - 1];
        if constexpr (k.l > 1) e2 = -l * (l - 1.0) * p.powers[k.l - 2];
        if constexpr (k.l > 2) e3 = -l * (l - 1.0) * (l - 2.0) * p.powers[k.l - 3];
    }
    accumulate<S>(v, d * p.inv_d + e1, -d * p.inv_d2 + e2, 2.0 * d * p.inv_d3 + e3, k.t * p.inv_t,
                  -k.t * p.inv_t2, r);
}

// The Gaussian terms: n delta^d tau^t exp(-eta (delta - epsilon)^2 - beta (tau - gamma)^2).
template <unsigned S, std::size_t I>
inline void add_gaussian_term(const Point& p, Residual& r) {
    constexpr co::BellTerm k = co::GAUSSIAN_TERMS[I];
    static_assert(k.d >= 0 && k.d <= 4);
    constexpr double d = k.d;
    const double x = p.delta - k.epsilon;
    const double y = p.tau - k.gamma;
    const double v =
        k.n * p.powers[k.d] * exponential(k.t * p.ln_tau - k.eta * x * x - k.beta * y * y);
    accumulate<S>(v, d * p.inv_d - 2.0 * k.eta * x, -d * p.inv_d2 - 2.0 * k.eta, 2.0 * d * p.inv_d3,
                  k.t * p.inv_t - 2.0 * k.beta * y, -k.t * p.inv_t2 - 2.0 * k.beta, r);
}

// The association terms: as the Gaussian ones with 1 / q, q = beta (tau - gamma)^2 + b, in place
// of -beta (tau - gamma)^2.
template <unsigned S, std::size_t I>
inline void add_association_term(const Point& p, Residual& r) {
    constexpr co::BellTerm k = co::ASSOCIATION_TERMS[I];
    static_assert(k.d >= 0 && k.d <= 4);
    constexpr double d = k.d;
    const double x = p.delta - k.epsilon;
    const double y = p.tau - k.gamma;
    const double inv_q = 1.0 / (k.beta * y * y + k.b);
    const double q1 = 2.0 * k.beta * y;
    const double q2 = 2.0 * k.beta;
    const double v = k.n * p.powers[k.d] * exponential(k.t * p.ln_tau - k.eta * x * x + inv_q);
    accumulate<S>(v, d * p.inv_d - 2.0 * k.eta * x, -d * p.inv_d2 - 2.0 * k.eta, 2.0 * d * p.inv_d3,
                  k.t * p.inv_t - q1 * inv_q * inv_q,
                  -k.t * p.inv_t2 - q2 * inv_q * inv_q + 2.0 * q1 * q1 * inv_q * inv_q * inv_q, r);
}

template <unsigned S, std::size_t... P, std::size_t... G, std::size_t... A>
Residual sum_terms(const Point& p, std::index_sequence<P...>, std::index_sequence<G...>,
                   std::index_sequence<A...>) {
    Residual r{};
    (add_power_term<S, P>(p, r), ...);
    (add_gaussian_term<S, G>(p, r), ...);
    (add_association_term<S, A>(p, r), ...);
    return r;
}

// The sums S of the residual part at (delta, tau), ln tau given.
template <unsigned S>
Residual residual(const double delta, const double tau, const double ln_tau) {
    return sum_terms<S>(point(delta, tau, ln_tau),
                        std::make_index_sequence<std::size(co::POWER_TERMS)>{},
                        std::make_index_sequence<std::size(co::GAUSSIAN_TERMS)>{},
                        std::make_index_sequence<std::size(co::ASSOCIATION_TERMS)>{});
}

template <unsigned S>
Residual residual(const double delta, const double tau) {
    return residual<S>(delta, tau, std::log(tau));
}

// Along one isotherm every term is a factor in tau alone times one in delta. The factors in tau
// of an isotherm visited often are formed once.
struct IsothermFactors {
    double power[std::size(co::POWER_TERMS)];
    double gaussian[std::size(co::GAUSSIAN_TERMS)];
    double association[std::size(co::ASSOCIATION_TERMS)];
};

IsothermFactors isotherm_factors(const double tau) {
    IsothermFactors f{};
    const double ln_tau = std::log(tau);
    for (std::size_t i = 0; i < std::size(co::POWER_TERMS); ++i) {
        const co::PowerTerm& k = co::POWER_TERMS[i];
        f.power[i] = k.n * std::exp(k.t * ln_tau);
    }
    for (std::size_t i = 0; i < std::size(co::GAUSSIAN_TERMS); ++i) {
        const co::BellTerm& k = co::GAUSSIAN_TERMS[i];
        const double y = tau - k.gamma;
        f.gaussian[i] = k.n * std::exp(k.t * ln_tau - k.beta * y * y);
    }
    for (std::size_t i = 0; i < std::size(co::ASSOCIATION_TERMS); ++i) {
        const co::BellTerm& k = co::ASSOCIATION_TERMS[i];
        const double y = tau - k.gamma;
        f.association[i] = k.n * std::exp(k.t * ln_tau + 1.0 / (k.beta * y * y + k.b));
    }
    return f;
}

// A Gaussian or association term on an isotherm: its factor in tau times delta^d
// exp(-eta (delta - epsilon)^2).
template <unsigned S, const co::BellTerm* TERMS, std::size_t I>
inline void add_bell_on_isotherm(const Point& p, const double factor, Residual& r) {
    constexpr co::BellTerm k = TERMS[I];
    constexpr double d = k.d;
    const double x = p.delta - k.epsilon;
    const double v = factor * p.powers[k.d] * exponential(-k.eta * x * x);
    accumulate<S>(v, d * p.inv_d - 2.0 * k.eta * x, -d * p.inv_d2 - 2.0 * k.eta, 2.0 * d * p.inv_d3,
                  0.0, 0.0, r);
}

// The sums in delta (phir and its delta-derivatives: S holds no tau-derivative) on an isotherm.
template <unsigned S>
Residual residual_on_isotherm(const IsothermFactors& f, const double delta) {
    static_assert((S & (SUM_T | SUM_TT | SUM_DT | SUM_DDT)) == 0);
    const Point p = point(delta, 1.0, 0.0);
    Residual r{};
    const auto power_term = [&]<std::size_t I>(std::integral_constant<std::size_t, I>) {
        constexpr co::PowerTerm k = co::POWER_TERMS[I];
        constexpr double d = k.d;
        constexpr double l = k.l;
        double v = f.power[I] * p.powers[k.d];
        double e1 = 0.0;
        double e2 = 0.0;
        double e3 = 0.0;
        if constexpr (k.l > 0) {
            v *= exponential(-p.powers[k.l]);
            e1 = -l * p.powers[k.l - 1];
            if constexpr (k.l > 1) e2 = -l * (l - 1.0) * p.powers[k.l - 2];
            if constexpr (k.l > 2) e3 = -l * (l - 1.0) * (l - 2.0) * p.powers[k.l - 3];
        }
        accumulate<S>(v, d * p.inv_d + e1, -d * p.inv_d2 + e2, 2.0 * d * p.inv_d3 + e3, 0.0, 0.0,
                      r);
    };
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        (power_term(std::integral_constant<std::size_t, I>{}), ...);
    }
    (std::make_index_sequence<std::size(co::POWER_TERMS)>{});
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        (add_bell_on_isotherm<S, co::GAUSSIAN_TERMS, I>(p, f.gaussian[I], r), ...);
    }
    (std::make_index_sequence<std::size(co::GAUSSIAN_TERMS)>{});
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        (add_bell_on_isotherm<S, co::ASSOCIATION_TERMS, I>(p, f.association[I], r), ...);
    }
    (std::make_index_sequence<std::size(co::ASSOCIATION_TERMS)>{});
    return r;
}

double reduced_density(double rho) {
    return rho / REDUCING_DENSITY;
}

double inverse_reduced_temperature(double t) {
    return REDUCING_TEMPERATURE / (t + KELVIN_OFFSET);
}

// The ideal part's terms in tau alone, shared by every state at one temperature.
struct IdealInTau {
    double phi0;  // without ln delta
    double phi0_t;
    double phi0_tt;
};

IdealInTau ideal_in_tau(const double tau, const double ln_tau) {
    IdealInTau i{co::IDEAL_A1 + co::IDEAL_A2 * tau + (co::IDEAL_C0 - 1.0) * ln_tau,
                 co::IDEAL_A2 + (co::IDEAL_C0 - 1.0) / tau, -(co::IDEAL_C0 - 1.0) / (tau * tau)};
    for (int k = 0; k < 3; ++k) {
        // theta tau >= 1646 K / 725 K: e is below 0.11, and 1 - e loses nothing to cancellation.
        const double theta = co::IDEAL_U[k] / REDUCING_TEMPERATURE;
        const double e = exponential(-theta * tau);
        const double one_less = 1.0 - e;
        i.phi0 += co::IDEAL_V[k] * std::log(one_less);
        i.phi0_t += co::IDEAL_V[k] * theta * e / one_less;
        i.phi0_tt -= co::IDEAL_V[k] * theta * theta * e / (one_less * one_less);
    }
    return i;
}

// Every field of the record at (t, rho) from the ideal part there (phi0 with its ln delta) and
// the residual sums.
inline void fill_record(const double t, const double rho, const double delta, const double tau,
                        const double phi0, const double phi0_t, const double phi0_tt,
                        const Residual& r, FluidState& s) {
    s.T = t + KELVIN_OFFSET;
    s.rho = rho;
    s.tau = tau;
    s.delta = delta;
    s.tau0 = tau;
    s.delta0 = delta;
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

// Every field of the record at (t, rho) from the ideal part at its temperature and the residual
// sums there.
void fill_state(const double t, const double rho, const double delta, const double tau,
                const IdealInTau& ideal, const Residual& r, FluidState& s) {
    fill_record(t, rho, delta, tau, std::log(delta) + ideal.phi0, ideal.phi0_t, ideal.phi0_tt, r,
                s);
}

// The record at (t, rho) with the residual sums S (at least those of a record).
template <unsigned S>
Residual evaluate_sums(const double t, const double rho, FluidState& s) {
    ZELTRA5_COUNT(evaluate_state);
    const double delta = reduced_density(rho);
    const double tau = inverse_reduced_temperature(t);
    const double ln_tau = std::log(tau);
    const Residual r = residual<S | SUMS_STATE>(delta, tau, ln_tau);
    fill_state(t, rho, delta, tau, ideal_in_tau(tau, ln_tau), r, s);
    return r;
}

}  // namespace

void evaluate(const double& t, const double& rho, FluidState& s) {
    evaluate_sums<SUMS_STATE>(t, rho, s);
}

void evaluate_pair(const double& t, const double& rho_a, const double& rho_b, FluidState& a,
                   FluidState& b) {
    ZELTRA5_COUNT(evaluate_state);
    ZELTRA5_COUNT(evaluate_state);
    const double tau = inverse_reduced_temperature(t);
    const double ln_tau = std::log(tau);
    const IdealInTau ideal = ideal_in_tau(tau, ln_tau);
    const double delta_a = reduced_density(rho_a);
    const double delta_b = reduced_density(rho_b);
    fill_state(t, rho_a, delta_a, tau, ideal, residual<SUMS_STATE>(delta_a, tau, ln_tau), a);
    fill_state(t, rho_b, delta_b, tau, ideal, residual<SUMS_STATE>(delta_b, tau, ln_tau), b);
}

void evaluate_with_enthalpy(const double& t, const double& rho, const double& rho_other,
                            FluidState& s, double& enthalpy_other) {
    ZELTRA5_COUNT(evaluate_state);
    ZELTRA5_COUNT(evaluate_state);
    const double tau = inverse_reduced_temperature(t);
    const double ln_tau = std::log(tau);
    const IdealInTau ideal = ideal_in_tau(tau, ln_tau);
    const double delta = reduced_density(rho);
    fill_state(t, rho, delta, tau, ideal, residual<SUMS_STATE>(delta, tau, ln_tau), s);
    // The other record's enthalpy as state_enthalpy forms it, from the sums it reads.
    const double delta_other = reduced_density(rho_other);
    const Residual r = residual<SUMS_ENTHALPY>(delta_other, tau, ln_tau);
    enthalpy_other = (tau * r.t + tau * ideal.phi0_t + delta_other * r.d + 1.0) *
                     (t + KELVIN_OFFSET) * GAS_CONSTANT;
}

namespace {

namespace sr = saturated_record_expansion;

// Clenshaw's recurrence for the columns [FIRST, FIRST + N) of a piece at x, side by side, two
// steps at a time so that b_k and b_k+1 trade places without copies (eight columns keep the
// recurrence in registers).
template <int FIRST, int N, int DEGREE, class Piece, std::size_t COUNT>
inline void clenshaw_columns(const Piece& piece, const double x, double (&column)[COUNT]) {
    static_assert(DEGREE % 2 == 0 && FIRST + N <= static_cast<int>(COUNT));
    const double two_x = 2.0 * x;
    double u[N];  // b_k
    double v[N];  // b_k+1
    for (int q = 0; q < N; ++q) {
        u[q] = piece.c[DEGREE][FIRST + q];
        v[q] = 0.0;
    }
    for (int k = DEGREE - 1; k >= 2; k -= 2) {
        for (int q = 0; q < N; ++q) {
            v[q] = two_x * u[q] - v[q] + piece.c[k][FIRST + q];
        }
        for (int q = 0; q < N; ++q) {
            u[q] = two_x * v[q] - u[q] + piece.c[k - 1][FIRST + q];
        }
    }
    for (int q = 0; q < N; ++q) {
        const double b1 = two_x * u[q] - v[q] + piece.c[1][FIRST + q];
        column[FIRST + q] = x * b1 - u[q] + piece.c[0][FIRST + q];
    }
}

template <int... FIRST>
inline void clenshaw_all(const sr::Piece& piece, const double x, double (&column)[sr::COLUMN_COUNT],
                         std::integer_sequence<int, FIRST...>) {
    static_assert(sr::COLUMN_COUNT % 8 == 0);
    (clenshaw_columns<FIRST * 8, 8, sr::DEGREE>(piece, x, column), ...);
}

// The saturated records' expansions at t (degC): false outside their range (or t NaN), where
// nothing is formed.
// theta = sqrt(Tc - T) of the expansions along the saturation curve at t (degC).
inline double saturation_theta(const double t) {
    namespace se = saturation_expansion;
    return std::sqrt((se::CRITICAL_TEMPERATURE_HI - (t + KELVIN_OFFSET)) +
                     se::CRITICAL_TEMPERATURE_LO);
}

bool saturated_columns(const double t, double (&column)[sr::COLUMN_COUNT]) {
    const double theta = saturation_theta(t);
    if (!(theta >= sr::THETA_BOUNDS[0] && theta <= sr::THETA_BOUNDS[sr::INTERVAL_COUNT])) {
        return false;
    }
    const sr::Piece& piece = sr::PIECES[locate_piece<sr::INTERVAL_COUNT>(sr::THETA_BOUNDS, theta)];
    clenshaw_all(piece, piece.scale * theta + piece.offset, column,
                 std::make_integer_sequence<int, sr::COLUMN_COUNT / 8>{});
    return true;
}

namespace st = saturated_third_expansion;

// The columns [FIRST, FIRST + N) of the third derivatives' expansions at t (degC): false outside
// their range (or t NaN), where nothing is formed.
template <int FIRST, int N>
bool third_columns(const double t, double (&column)[st::COLUMN_COUNT]) {
    const double theta = saturation_theta(t);
    if (!(theta >= st::THETA_BOUNDS[0] && theta <= st::THETA_BOUNDS[st::INTERVAL_COUNT])) {
        return false;
    }
    const st::Piece& piece = st::PIECES[locate_piece<st::INTERVAL_COUNT>(st::THETA_BOUNDS, theta)];
    clenshaw_columns<FIRST, N, st::DEGREE>(piece, piece.scale * theta + piece.offset, column);
    return true;
}

// The residual sums of one side (its first column given).
Residual side_sums(const double (&column)[sr::COLUMN_COUNT], const int first) {
    Residual r{};
    r.phir = column[first];
    r.d = column[first + 1];
    r.dd = column[first + 2];
    r.t = column[first + 3];
    r.tt = column[first + 4];
    r.dt = column[first + 5];
    return r;
}

// The record of one side at t (tau) and its equilibrium density rho from the expansions'
// columns.
void fill_saturated(const double t, const double tau, const double rho,
                    const double (&column)[sr::COLUMN_COUNT], const bool vapour, FluidState& s) {
    fill_record(t, rho, reduced_density(rho), tau,
                column[vapour ? sr::VAPOUR_PHI0 : sr::LIQUID_PHI0], column[sr::PHI0_T],
                column[sr::PHI0_TT], side_sums(column, vapour ? sr::VAPOUR_PHIR : sr::LIQUID_PHIR),
                s);
}

}  // namespace

void saturated_pair(const double& t, const SaturationEquilibrium& e, FluidState& liquid,
                    FluidState& vapour) {
    double column[sr::COLUMN_COUNT];
    if (!saturated_columns(t, column)) {
        evaluate_pair(t, e.rho_liquid, e.rho_vapour, liquid, vapour);
        return;
    }
    ZELTRA5_COUNT(evaluate_state);
    ZELTRA5_COUNT(evaluate_state);
    const double tau = inverse_reduced_temperature(t);
    fill_saturated(t, tau, e.rho_liquid, column, false, liquid);
    fill_saturated(t, tau, e.rho_vapour, column, true, vapour);
}

void saturated_side(const double& t, const SaturationEquilibrium& e, const int& side,
                    FluidState& state, double& enthalpy_other) {
    const bool vapour = side == PHASE_VAPOUR;
    const double rho = vapour ? e.rho_vapour : e.rho_liquid;
    const double rho_other = vapour ? e.rho_liquid : e.rho_vapour;
    double column[sr::COLUMN_COUNT];
    if (!saturated_columns(t, column)) {
        evaluate_with_enthalpy(t, rho, rho_other, state, enthalpy_other);
        return;
    }
    ZELTRA5_COUNT(evaluate_state);
    ZELTRA5_COUNT(evaluate_state);
    const double tau = inverse_reduced_temperature(t);
    fill_saturated(t, tau, rho, column, vapour, state);
    // The other record's enthalpy as state_enthalpy forms it.
    const Residual r = side_sums(column, vapour ? sr::LIQUID_PHIR : sr::VAPOUR_PHIR);
    enthalpy_other =
        (tau * r.t + tau * column[sr::PHI0_T] + reduced_density(rho_other) * r.d + 1.0) *
        (t + KELVIN_OFFSET) * GAS_CONSTANT;
}

void evaluate_with_third(const double& t, const double& rho, FluidState& s, double& phir_ddd,
                         double& phir_ddt) {
    const Residual r = evaluate_sums<SUM_DDD | SUM_DDT>(t, rho, s);
    phir_ddd = r.ddd;
    phir_ddt = r.ddt;
}

void third_derivatives(const double& t, const double& rho, double& phir_ddd, double& phir_ddt) {
    ZELTRA5_COUNT(evaluate_state);
    const Residual r =
        residual<SUM_DDD | SUM_DDT>(reduced_density(rho), inverse_reduced_temperature(t));
    phir_ddd = r.ddd;
    phir_ddt = r.ddt;
}

void saturated_third(const double& t, const SaturationEquilibrium& e, const int& side,
                     double& phir_ddd, double& phir_ddt) {
    const bool vapour = side == PHASE_VAPOUR;
    double column[st::COLUMN_COUNT];
    if (!third_columns<st::LIQUID_PHIR_DDD, 4>(t, column)) {
        third_derivatives(t, vapour ? e.rho_vapour : e.rho_liquid, phir_ddd, phir_ddt);
        return;
    }
    phir_ddd = column[vapour ? st::VAPOUR_PHIR_DDD : st::LIQUID_PHIR_DDD];
    phir_ddt = column[vapour ? st::VAPOUR_PHIR_DDT : st::LIQUID_PHIR_DDT];
}

// Formed as state_pressure forms it from the same fields: bit for bit the record's pressure.
double pressure(const double& t, const double& rho) {
    ZELTRA5_COUNT(pressure_at);
    const double delta = reduced_density(rho);
    const Residual r = residual<SUM_D>(delta, inverse_reduced_temperature(t));
    return (delta * r.d + 1.0) * rho * (t + KELVIN_OFFSET) * GAS_CONSTANT;
}

double phir_d(const double& t, const double& rho) {
    ZELTRA5_COUNT(pressure_at);
    return residual<SUM_D>(reduced_density(rho), inverse_reduced_temperature(t)).d;
}

void phir_d_dd(const double& t, const double& rho, double& d, double& dd) {
    ZELTRA5_COUNT(pressure_at);
    const Residual r =
        residual<SUM_D | SUM_DD>(reduced_density(rho), inverse_reduced_temperature(t));
    d = r.d;
    dd = r.dd;
}

namespace {

// The limits of phir_d and phir_dd at zero density. A term n delta^d g(tau) h(delta) adds
// n g h(0) to the first when d = 1; to the second, 2 n g h'(0) when d = 1 and 2 n g h(0) when
// d = 2. Terms of higher d add nothing, so only the others are formed.
struct LowDensityLimit {
    double first = 0.0;
    double second = 0.0;

    void add(const int d, const double value, const double slope) {
        if (d == 1) {
            first += value;
            second += 2.0 * value * slope;
        } else if (d == 2) {
            second += 2.0 * value;
        }
    }
};

template <std::size_t I>
inline void add_power_limit(const double ln_tau, LowDensityLimit& sum) {
    constexpr co::PowerTerm k = co::POWER_TERMS[I];
    if constexpr (k.d == 1 || k.d == 2) {
        // h = exp(-delta^l): h(0) = 1, h'(0) = -1 for l = 1 and 0 otherwise.
        sum.add(k.d, k.n * exponential(k.t * ln_tau), k.l == 1 ? -1.0 : 0.0);
    }
}

// The Gaussian and association terms: h = exp(-eta (delta - epsilon)^2), h(0) =
// exp(-eta epsilon^2), h'(0) = 2 eta epsilon h(0); their exponents in tau differ (Association:
// 1 / q in place of -beta (tau - gamma)^2).
template <std::size_t I, bool Association>
inline void add_bell_limit(const double tau, const double ln_tau, LowDensityLimit& sum) {
    constexpr co::BellTerm k = Association ? co::ASSOCIATION_TERMS[I] : co::GAUSSIAN_TERMS[I];
    if constexpr (k.d == 1 || k.d == 2) {
        const double y = tau - k.gamma;
        const double in_tau = Association ? 1.0 / (k.beta * y * y + k.b) : -k.beta * y * y;
        sum.add(k.d, k.n * exponential(k.t * ln_tau - k.eta * k.epsilon * k.epsilon + in_tau),
                2.0 * k.eta * k.epsilon);
    }
}

template <std::size_t... P, std::size_t... G, std::size_t... A>
LowDensityLimit low_density_sums(const double tau, std::index_sequence<P...>,
                                 std::index_sequence<G...>, std::index_sequence<A...>) {
    const double ln_tau = std::log(tau);
    LowDensityLimit sum;
    (add_power_limit<P>(ln_tau, sum), ...);
    (add_bell_limit<G, false>(tau, ln_tau, sum), ...);
    (add_bell_limit<A, true>(tau, ln_tau, sum), ...);
    return sum;
}

}  // namespace

void low_density_limit(const double& t, double& phir_d, double& phir_dd) {
    if (double column[st::COLUMN_COUNT]; third_columns<st::LOW_DENSITY_D, 2>(t, column)) {
        phir_d = column[st::LOW_DENSITY_D];
        phir_dd = column[st::LOW_DENSITY_DD];
        return;
    }
    const LowDensityLimit sum = low_density_sums(
        inverse_reduced_temperature(t), std::make_index_sequence<std::size(co::POWER_TERMS)>{},
        std::make_index_sequence<std::size(co::GAUSSIAN_TERMS)>{},
        std::make_index_sequence<std::size(co::ASSOCIATION_TERMS)>{});
    phir_d = sum.first;
    phir_dd = sum.second;
}

void phir_d_dd_at_enhancement_reference(const double& rho, double& d, double& dd) {
    ZELTRA5_COUNT(pressure_at);
    // Formed on first use (thread-safe), constant after.
    static const IsothermFactors factors =
        isotherm_factors(REDUCING_TEMPERATURE / co::ENHANCEMENT_REFERENCE_TEMPERATURE);
    const Residual r = residual_on_isotherm<SUM_D | SUM_DD>(factors, reduced_density(rho));
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
    const double ln_tau = std::log(tau);
    const auto slope = [tau, ln_tau](double delta, double& derivative) {
        const Residual r = residual<SUM_D | SUM_DD | SUM_DDD>(delta, tau, ln_tau);
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
