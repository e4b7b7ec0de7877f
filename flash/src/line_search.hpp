#pragma once
// Pieces the line solvers share: the matched property of a state and its temperature derivative
// along an isochore, the mixture at a temperature with a given density, and a bracketed
// regula falsi.

#include <cmath>

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

}  // namespace zeltra5::flash::detail
