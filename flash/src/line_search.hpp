#pragma once
// Pieces the line solvers share: the matched property of a state and its temperature derivative
// along an isochore, the mixture at a temperature with a given density, a bracketed regula falsi
// and the temperature at which a line leaves the saturation dome.

#include <cmath>
#include <limits>

#include "zeltra5/flash.hpp"

namespace zeltra5::flash::detail {

inline double line_value(const LineProperty& property, const FluidState& s) {
    switch (property) {
        case LineProperty::enthalpy:
            return state_enthalpy(s);
        case LineProperty::entropy:
            return state_entropy(s);
        case LineProperty::internal_energy:
            return state_internal_energy(s);
    }
    return state_internal_energy(s);
}

// d(property)/dT at constant density: c_v for u, c_v / T for s, c_v + (dp/dT)_rho / rho for h.
template <class M>
double isochore_slope(const LineProperty& property, const FluidState& s) {
    const double cv = state_cv(s);
    switch (property) {
        case LineProperty::enthalpy:
            return cv + M::dp_dt_rho(s) / s.rho;
        case LineProperty::entropy:
            return cv / s.T;
        case LineProperty::internal_energy:
            return cv;
    }
    return cv;
}

// The scale below which a difference of the property is rounding: 1e6 J/kg, 1e4 J/(kg K).
inline double property_scale(const LineProperty& property) {
    return property == LineProperty::entropy ? 1e4 : 1e6;
}

// The mixture of density rho on the saturation at t (degC): its vapour mass fraction from the
// specific volumes and its property value, as the front end forms the mixture; the saturation
// pressure in p. False where the equilibrium gives no pair at t.
template <class M>
bool mixture_on_isochore(const LineProperty& property, const double& rho, const double& t,
                         double& x, double& value, double& p) {
    FluidState l{};
    FluidState v{};
    Saturation<M>::saturation_by_temperature(t, p, l, v);
    if (!(std::isfinite(p) && l.rho > v.rho)) {
        return false;
    }
    const double v_liquid = 1.0 / l.rho;
    x = (1.0 / rho - v_liquid) / (1.0 / v.rho - v_liquid);
    value = (1.0 - x) * line_value(property, l) + x * line_value(property, v);
    return std::isfinite(value);
}

// Modified regula falsi (Illinois) for a rising f over [a, b] with f(a) < 0 < f(b): the ends
// shrink until they lie within tol of each other or |f| falls to value_tol (0: vanishes). f(x) may
// return NaN, which is taken as the bisection of the bracket. Returns the last point evaluated with
// a finite value nearest the root's side that was narrowed last.
template <class F>
double regula_falsi(F&& f, double a, double fa, double b, double fb, const double tol,
                    const int cap, const double value_tol = 0.0) {
    int side = 0;
    double best = std::fabs(fa) < std::fabs(fb) ? a : b;
    double best_f = std::fmin(std::fabs(fa), std::fabs(fb));
    for (int step = 0; step < cap && b - a > tol; ++step) {
        double m = a - fa * (b - a) / (fb - fa);
        if (!(m > a && m < b)) {
            m = 0.5 * (a + b);
        }
        const double fm = f(m);
        if (!std::isfinite(fm)) {
            return best;
        }
        if (std::fabs(fm) <= best_f) {
            best = m;
            best_f = std::fabs(fm);
        }
        if (std::fabs(fm) <= value_tol) {
            return m;
        }
        if (fm < 0.0) {
            a = m;
            fa = fm;
            if (side == -1) {
                fb *= 0.5;
            }
            side = -1;
        } else {
            b = m;
            fb = fm;
            if (side == 1) {
                fa *= 0.5;
            }
            side = 1;
        }
    }
    return best;
}

// How close below the critical temperature (K) a line's exit from the dome is sought first.
inline constexpr double EQUILIBRIUM_TOP_MARGIN = 2e-9;

// The temperature (degC) at which a line leaves the saturation dome. `side(T_K, equilibrium)`
// measures the saturated state at T_K against the line and rises as the depth below the critical
// temperature grows; its root is found by a regula falsi on r, the depth's square root, to `tol`
// (in sqrt(K)) in at most `cap` steps. The search runs from the lowest temperature up to the
// highest at which the model's equilibrium answers: EQUILIBRIUM_TOP_MARGIN below the critical
// temperature, or the model's saturation limit where its equilibrium stops there. Answers that top
// when the line lies inside the dome there, the lowest temperature when outside the dome there.
template <class M, class Side>
double dome_exit_temperature(Side&& side, const double tol, const int cap) {
    const double tc_k = M::CONSTANTS.critical_temperature + KELVIN_OFFSET;
    const auto f = [&](const double r) {
        SaturationEquilibrium e;
        const double T_K = tc_k - r * r;
        if (M::saturation_at_temperature(T_K, e) != SATURATION_EQUILIBRIUM_OK) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        return side(T_K, e);
    };
    double top = M::CONSTANTS.critical_temperature - EQUILIBRIUM_TOP_MARGIN;
    double r_top = std::sqrt(tc_k - (top + KELVIN_OFFSET));
    double f_top = f(r_top);
    if (std::isnan(f_top)) {
        top = M::CONSTANTS.saturation_limit_temperature;
        r_top = std::sqrt(tc_k - (top + KELVIN_OFFSET));
        f_top = f(r_top);
    }
    if (!(f_top < 0.0)) {
        return top;
    }
    const double r_bottom = std::sqrt(tc_k - (M::CONSTANTS.domain.min_temperature + KELVIN_OFFSET));
    const double f_bottom = f(r_bottom);
    if (!(f_bottom > 0.0)) {
        return M::CONSTANTS.domain.min_temperature;
    }
    const double r = regula_falsi(f, r_top, f_top, r_bottom, f_bottom, tol, cap);
    return std::fmin(std::fmax(tc_k - r * r - KELVIN_OFFSET, M::CONSTANTS.domain.min_temperature),
                     top);
}

}  // namespace zeltra5::flash::detail
