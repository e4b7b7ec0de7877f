// Phase equilibrium of the 2023 equation (equal pressure and Gibbs energy of both phases, by
// Newton's method on the two reduced densities from the paper's ancillary equations) and the
// density brackets of its solvers.

#include <cmath>
#include <limits>

#include "coefficients.hpp"
#include "zeltra5/gao2023.hpp"

namespace zeltra5::gao2023 {

namespace {

namespace co = coefficients;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

int refuse(SaturationEquilibrium& out) {
    out = {NaN, NaN, NaN, NaN};
    return SATURATION_EQUILIBRIUM_OUTSIDE;
}

// The lowest temperature (K) saturation answers: the lowest admitted one in degC turned into
// kelvin, with a few doubles of slack for that conversion.
constexpr double LOWEST_SATURATION_TEMPERATURE =
    LOWEST_ADMITTED_TEMPERATURE + KELVIN_OFFSET - 1e-12;

// J = delta (1 + delta phir_d) (the reduced pressure p / (rho_r R T)) and
// K = delta phir_d + phir + ln delta (the reduced Gibbs energy less its ideal-gas temperature
// part), with their delta-derivatives.
struct Reduced {
    double J;
    double K;
    double J_d;
    double K_d;
};

Reduced reduced_at(double t, double delta) {
    FluidState s{};
    evaluate(t, delta * REDUCING_DENSITY, s);
    return {delta * (1.0 + delta * s.phir_d), delta * s.phir_d + s.phir + std::log(delta),
            1.0 + 2.0 * delta * s.phir_d + delta * delta * s.phir_dd,
            2.0 * s.phir_d + delta * s.phir_dd + 1.0 / delta};
}

// The equilibrium at T_K (inside the range): Newton's method on (delta', delta''), stopped when
// a step no longer shrinks the residual (converged to the double) or after 100 steps.
void equilibrium(double T_K, SaturationEquilibrium& out) {
    const double t = T_K - KELVIN_OFFSET;
    double dl = ancillary_liquid_density(T_K) / REDUCING_DENSITY;
    double dv = ancillary_vapour_density(T_K) / REDUCING_DENSITY;
    double previous = std::numeric_limits<double>::infinity();
    for (int i = 0; i < 100; ++i) {
        const Reduced l = reduced_at(t, dl);
        const Reduced v = reduced_at(t, dv);
        const double dJ = v.J - l.J;
        const double dK = v.K - l.K;
        const double size = std::fabs(dJ) / v.J + std::fabs(dK);
        if (size == 0.0 || (size >= previous && i > 3)) {
            break;
        }
        previous = size;
        const double det = v.J_d * l.K_d - l.J_d * v.K_d;
        const double step_l = (dK * v.J_d - dJ * v.K_d) / det;
        const double step_v = (dK * l.J_d - dJ * l.K_d) / det;
        dl += step_l;
        dv += step_v;
    }
    out.T_K = T_K;
    out.rho_liquid = dl * REDUCING_DENSITY;
    out.rho_vapour = dv * REDUCING_DENSITY;
    // The vapour's pressure: the liquid's changes by far more per unit of density.
    out.p = pressure(t, out.rho_vapour);
}

double theta(double T_K) {
    return 1.0 - T_K / REDUCING_TEMPERATURE;
}

}  // namespace

double ancillary_vapour_pressure(double T_K) {
    const double th = theta(T_K);
    double sum = 0.0;
    for (int k = 0; k < 4; ++k) {
        sum += co::VAPOUR_PRESSURE_N[k] * std::pow(th, co::VAPOUR_PRESSURE_T[k]);
    }
    return REDUCING_PRESSURE * std::exp(REDUCING_TEMPERATURE / T_K * sum);
}

double ancillary_liquid_density(double T_K) {
    const double th = theta(T_K);
    double sum = 1.0;
    for (int k = 0; k < 6; ++k) {
        sum += co::LIQUID_DENSITY_N[k] * std::pow(th, co::LIQUID_DENSITY_T[k]);
    }
    return REDUCING_DENSITY * sum;
}

double ancillary_vapour_density(double T_K) {
    const double th = theta(T_K);
    double sum = 0.0;
    for (int k = 0; k < 6; ++k) {
        sum += co::VAPOUR_DENSITY_N[k] * std::pow(th, co::VAPOUR_DENSITY_T[k]);
    }
    return REDUCING_DENSITY * std::exp(sum);
}

int saturation_at_temperature(const double& T_K, SaturationEquilibrium& out) {
    if (!(T_K >= LOWEST_SATURATION_TEMPERATURE && T_K <= SATURATION_LIMIT_TEMPERATURE_K)) {
        return refuse(out);
    }
    equilibrium(T_K, out);
    return SATURATION_EQUILIBRIUM_OK;
}

int saturation_at_pressure(const double& p, SaturationEquilibrium& out) {
    // As the 1993 model: a (T, rho) state's own pressure may lie below the lowest admitted one
    // by a liquid's pressure step of one double of density, so 1e-5 Pa below is answered.
    if (!(p >= LOWEST_ADMITTED_PRESSURE - 1e-5 && p <= SATURATION_LIMIT_PRESSURE)) {
        return refuse(out);
    }
    // The lowest temperature answered, in kelvin, that is no lower than the lowest admitted one
    // once turned back into degC.
    double T_low = LOWEST_ADMITTED_TEMPERATURE + KELVIN_OFFSET;
    while (T_low - KELVIN_OFFSET < LOWEST_ADMITTED_TEMPERATURE) {
        T_low = std::nextafter(T_low, 1e3);
    }
    // Newton's method on ln p(T) against 1/T, started from the ancillary's inverse (itself by
    // Newton's method on the ancillary), with the Clapeyron slope.
    const double ln_p = std::log(p);
    double T = REDUCING_TEMPERATURE * 0.9;
    for (int i = 0; i < 50; ++i) {
        const double h = 1e-6 * T;
        const double f = std::log(ancillary_vapour_pressure(T)) - ln_p;
        const double f1 = (std::log(ancillary_vapour_pressure(T + h)) -
                           std::log(ancillary_vapour_pressure(T - h))) /
                          (2.0 * h);
        const double step = f / f1;
        T -= step;
        T = T < TRIPLE_POINT_TEMPERATURE - 5.0 ? TRIPLE_POINT_TEMPERATURE - 5.0 : T;
        T = T > SATURATION_LIMIT_TEMPERATURE_K ? SATURATION_LIMIT_TEMPERATURE_K : T;
        if (std::fabs(step) < 1e-10) {
            break;
        }
    }
    double previous = std::numeric_limits<double>::infinity();
    for (int i = 0; i < 50; ++i) {
        T = T < T_low ? T_low : T;
        T = T > SATURATION_LIMIT_TEMPERATURE_K ? SATURATION_LIMIT_TEMPERATURE_K : T;
        equilibrium(T, out);
        FluidState l{};
        FluidState v{};
        evaluate(T - KELVIN_OFFSET, out.rho_liquid, l);
        evaluate(T - KELVIN_OFFSET, out.rho_vapour, v);
        // d ln p / dT = (h'' - h') / (T p (1/rho'' - 1/rho')).
        const double slope = (state_enthalpy(v) - state_enthalpy(l)) /
                             (T * out.p * (1.0 / out.rho_vapour - 1.0 / out.rho_liquid));
        const double step = (ln_p - std::log(out.p)) / slope;
        if (!(std::fabs(step) < previous) || step == 0.0) {
            break;
        }
        previous = std::fabs(step);
        const double next = T + step;
        if ((next <= T_low && T == T_low) ||
            (next >= SATURATION_LIMIT_TEMPERATURE_K && T == SATURATION_LIMIT_TEMPERATURE_K)) {
            break;
        }
        T = next;
    }
    equilibrium(T, out);
    out.p = p;
    return SATURATION_EQUILIBRIUM_OK;
}

namespace {

// [lo, hi] with p(lo) < P <= p(hi) and hi = lo * factor, found by stepping from `start` by
// `factor` (upward while the pressure is below P, downward while it is not). Used on stretches
// of an isotherm where the pressure rises with density.
void march(double P, double t, double start, double factor, double& lo, double& hi) {
    double rho = start;
    if (pressure(t, rho) < P) {
        for (int i = 0; i < 2000 && pressure(t, rho * factor) < P; ++i) {
            rho *= factor;
        }
        lo = rho;
        hi = rho * factor;
    } else {
        for (int i = 0; i < 2000 && pressure(t, rho / factor) >= P; ++i) {
            rho /= factor;
        }
        lo = rho / factor;
        hi = rho;
    }
}

}  // namespace

void density_bracket(const double& P, const double& t, const int& phase, double& lo, double& hi) {
    const double T_K = t + KELVIN_OFFSET;
    // Wherever the equilibrium answers, down to the lowest admitted temperature a hair below
    // the triple point: from the ideal gas's density a march crosses the dome, whose isotherms
    // there rise through the pressure again far short of the liquid.
    const bool below_limit =
        T_K >= LOWEST_SATURATION_TEMPERATURE && T_K <= SATURATION_LIMIT_TEMPERATURE_K;
    SaturationEquilibrium e{};
    if (phase == PHASE_VAPOUR) {
        if (below_limit) {
            // Below the saturated vapour's density, the vapour branch rises with density.
            equilibrium(T_K, e);
            hi = e.rho_vapour;
            lo = hi;
            for (int i = 0; i < 2000 && pressure(t, lo) >= P; ++i) {
                lo *= 0.5;
            }
            return;
        }
        march(P, t, P / (GAS_CONSTANT * T_K), 1.05, lo, hi);
        return;
    }
    if (below_limit) {
        // Above the saturated liquid's density, the liquid branch rises with density.
        equilibrium(T_K, e);
        if (pressure(t, e.rho_liquid) >= P) {
            lo = e.rho_liquid;
            hi = 1.02 * lo;
            return;
        }
        march(P, t, e.rho_liquid, 1.02, lo, hi);
        return;
    }
    march(P, t, P / (GAS_CONSTANT * T_K), 1.05, lo, hi);
}

}  // namespace zeltra5::gao2023
