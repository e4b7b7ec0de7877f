// (h, s): the state of given enthalpy and entropy.
//
// Along an isentrope the enthalpy rises with pressure (dh = v dp), in the two-phase part as
// well, and at a given pressure the entropy picks one state; so (h, s) has one state at most in
// the domain, and the isentrope's ends in the domain (the lowest and highest pressure, or the
// lowest and highest temperature where it meets those first) bound the enthalpies answered.
//
// The search: the isentrope leaves the saturation dome (when it enters it in the domain, i.e.
// s lies between the saturated entropies at the lowest temperature) at the temperature where s
// is the saturated liquid's (below the critical point's entropy) or vapour's entropy. Below that
// state's enthalpy the state is a mixture on the tie line of slope T: h - h'(T) = T (s - s'(T)),
// a rising 1-D root in T solved by Newton steps (its derivative s - s' + v' dp_s/dT by
// Clapeyron's equation), then x = (s - s')/(s'' - s'). Above it, and for isentropes that miss the
// dome, a 2-D Newton in (T, ln rho) with the analytic Jacobian of h and s, started at the
// saturated state where the isentrope leaves the dome, at the saturated liquid at the lowest
// temperature, or at the ideal-gas state of (h, s). A result that is not a stable single-phase
// state inside the domain goes to the robust search: the pressure on the isentrope, each trial a
// (p, s) state of the isobar solver, by a regula falsi in ln p between the isentrope's ends; a
// target beyond an end gives the band outcome with the enthalpy there.
//
// With the superheat option a stable mixture or vapour gives way to the superheated liquid of
// (h, s): the 2-D Newton from the saturated liquid at the stable state's temperature, asked as a
// liquid; the front end's (t, rho) formation admits it only as the superheated liquid at its own
// pressure (and refuses it with the reason otherwise). No mixture is answered with the option.

#include <cmath>
#include <limits>

#include "line_search.hpp"
#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::flash {
namespace {

using detail::regula_falsi;

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
constexpr int NEWTON_CAP = 40;
// The front end admits a (t, rho) state's own pressure up to this far (Pa) beyond the highest
// admitted pressure: a state taken at the highest pressure reproduces it only to the solvers'
// tolerance.
constexpr double HIGH_EDGE_PRESSURE_TOLERANCE = 1e-4;
constexpr int FALSI_CAP = 200;
// Newton's steps have converged when the temperature step is below this part of the kelvin
// value and the step of ln rho below NEWTON_DENSITY_TOLERANCE.
constexpr double NEWTON_STEP_TOLERANCE = 1e-13;
constexpr double NEWTON_DENSITY_TOLERANCE = 1e-13;
// The largest step of a 2-D Newton iteration: temperature (K) and ln rho.
constexpr double MAX_TEMPERATURE_STEP = 100.0;
constexpr double MAX_LOG_DENSITY_STEP = 1.5;
// How close (K) below the critical temperature the equilibrium answers.
constexpr double EQUILIBRIUM_TOP_MARGIN = 2e-9;
constexpr double SATURATION_ROOT_TOLERANCE = 1e-13;  // in sqrt(K), the depth's square root
constexpr double PRESSURE_LOG_TOLERANCE = 1e-15;
// Relative to the larger of h and 1e6 J/kg: the isentrope search's acceptance of h.
constexpr double ISENTROPE_ENTHALPY_TOLERANCE = 1e-13;
// The density at which a state is taken for the ideal gas (kg/m3).
constexpr double IDEAL_GAS_DENSITY = 1e-6;

// The highest temperature (degC) at which a line is placed against the equilibrium: within
// EQUILIBRIUM_TOP_MARGIN of the critical temperature, or, for an equilibrium that ends at its
// saturation limit short of that, the margin below the limit (where the square-root depth
// rounds, the equilibrium still answers).
template <class M>
double equilibrium_top() {
    const double top = M::CONSTANTS.critical_temperature - EQUILIBRIUM_TOP_MARGIN;
    SaturationEquilibrium e;
    if (M::saturation_at_temperature(top + KELVIN_OFFSET, e) == SATURATION_EQUILIBRIUM_OK) {
        return top;
    }
    return M::CONSTANTS.saturation_limit_temperature - EQUILIBRIUM_TOP_MARGIN;
}

double stability(const FluidState& s) {
    return 1.0 + 2.0 * s.delta * s.phir_d + s.delta * s.delta * s.phir_dd;
}

void found_single(const double& t, const double& rho, const int phase, LineState& out) {
    out = LineState{};
    out.outcome = LineOutcome::found;
    out.phase = phase;
    out.t = t;
    out.rho = rho;
}

// The mixture of entropy s on the saturation at t: x, and its enthalpy; false where there is no
// mixture at t or x is not inside (0, 1).
template <class M>
bool mixture_of_entropy(const double& s, const double& t, double& x, double& h) {
    double p = 0.0;
    FluidState l{};
    FluidState v{};
    Saturation<M>::saturation_by_temperature(t, p, l, v);
    const double sl = state_entropy(l);
    x = (s - sl) / (state_entropy(v) - sl);
    h = (1.0 - x) * state_enthalpy(l) + x * state_enthalpy(v);
    return std::isfinite(h) && x > 0.0 && x < 1.0;
}

// The temperature at which the isentrope s leaves the dome: where the saturated liquid's
// (liquid) or vapour's entropy is s, by a regula falsi on the square root of the depth below the
// critical temperature. `top` where s lies between the saturated entropies there.
template <class M>
double dome_exit_temperature(const double& s, const bool liquid, const double& top) {
    const double tc_k = M::CONSTANTS.critical_temperature + KELVIN_OFFSET;
    // Rising with r: the saturated entropies move apart as the depth grows.
    const auto f = [&](const double r) {
        SaturationEquilibrium e;
        const double T_K = tc_k - r * r;
        if (M::saturation_at_temperature(T_K, e) != SATURATION_EQUILIBRIUM_OK) {
            return NOT_A_NUMBER;
        }
        FluidState side{};
        M::evaluate(T_K - KELVIN_OFFSET, liquid ? e.rho_liquid : e.rho_vapour, side);
        return liquid ? s - state_entropy(side) : state_entropy(side) - s;
    };
    const double r_top = std::sqrt(tc_k - (top + KELVIN_OFFSET));
    const double r_bottom = std::sqrt(tc_k - (M::CONSTANTS.domain.min_temperature + KELVIN_OFFSET));
    const double f_top = f(r_top);
    if (!(f_top < 0.0)) {
        return top;
    }
    const double f_bottom = f(r_bottom);
    if (!(f_bottom > 0.0)) {
        return M::CONSTANTS.domain.min_temperature;
    }
    const double r =
        regula_falsi(f, r_top, f_top, r_bottom, f_bottom, SATURATION_ROOT_TOLERANCE, FALSI_CAP);
    return std::fmin(std::fmax(tc_k - r * r - KELVIN_OFFSET, M::CONSTANTS.domain.min_temperature),
                     top);
}

// The mixture's temperature on [lo, hi], where the tie line of slope T through the saturated
// liquid passes through (h, s): phi(T) = h'(T) + T (s - s'(T)) - h rises with T while the
// mixture's x lies in (0, 1); phi(lo) < 0 < phi(hi). Newton steps with phi' = s - s' + v' dp/dT,
// bisection when a step leaves the bracket.
template <class M>
double tie_line_temperature(const double& h, const double& s, double lo, double hi) {
    double t = lo;
    double best = lo;
    double best_phi = HUGE_VAL;
    for (int step = 0; step < NEWTON_CAP * 2; ++step) {
        double p = 0.0;
        FluidState l{};
        FluidState v{};
        Saturation<M>::saturation_by_temperature(t, p, l, v);
        const double T_K = t + KELVIN_OFFSET;
        const double sl = state_entropy(l);
        const double sv = state_entropy(v);
        const double phi = state_enthalpy(l) + T_K * (s - sl) - h;
        if (!std::isfinite(phi)) {
            return best;
        }
        if (std::fabs(phi) < best_phi) {
            best_phi = std::fabs(phi);
            best = t;
        }
        if (phi == 0.0) {
            return t;
        }
        if (phi < 0.0) {
            lo = t;
        } else {
            hi = t;
        }
        const double vl = 1.0 / l.rho;
        const double slope = s - sl + vl * (sv - sl) / (1.0 / v.rho - vl);
        double t_next = t - phi / slope;
        if (!(slope > 0.0) || !(t_next > lo && t_next < hi)) {
            t_next = 0.5 * (lo + hi);
        }
        if (std::fabs(t_next - t) <= NEWTON_STEP_TOLERANCE * T_K) {
            return t_next;
        }
        t = t_next;
    }
    return best;
}

// 2-D Newton in (T, ln rho) on h and s from (t, rho). True when the steps converge; t and rho
// are then the state's.
template <class M>
bool newton_enthalpy_entropy(const double& h, const double& s, double& t, double& rho) {
    FluidState st{};
    for (int step = 0; step < NEWTON_CAP; ++step) {
        M::evaluate(t, rho, st);
        const double fh = state_enthalpy(st) - h;
        const double fs = state_entropy(st) - s;
        const double T_K = st.T;
        const double cv = state_cv(st);
        const double p_t = M::dp_dt_rho(st);
        const double p_rho = stability(st) * st.R * T_K;
        // Derivatives by T at constant rho, and by ln rho at constant T.
        const double h_t = cv + p_t / rho;
        const double h_l = p_rho - T_K * p_t / rho;
        const double s_t = cv / T_K;
        const double s_l = -p_t / rho;
        const double det = h_t * s_l - h_l * s_t;
        if (!std::isfinite(fh) || !std::isfinite(fs) || !(std::fabs(det) > 0.0)) {
            return false;
        }
        double dt = -(fh * s_l - h_l * fs) / det;
        double dl = -(h_t * fs - fh * s_t) / det;
        if (!std::isfinite(dt) || !std::isfinite(dl)) {
            return false;
        }
        // Damped: both steps scaled alike, so the direction stays Newton's.
        const double scale = std::fmin(1.0, std::fmin(MAX_TEMPERATURE_STEP / std::fabs(dt),
                                                      MAX_LOG_DENSITY_STEP / std::fabs(dl)));
        dt *= scale;
        dl *= scale;
        // Keep above a fifth of the kelvin value.
        if (T_K + dt < 0.2 * T_K) {
            dt = -0.8 * T_K;
        }
        t += dt;
        rho *= std::exp(dl);
        if (scale == 1.0 && std::fabs(dt) <= NEWTON_STEP_TOLERANCE * T_K &&
            std::fabs(dl) <= NEWTON_DENSITY_TOLERANCE) {
            return std::isfinite(t) && std::isfinite(rho);
        }
    }
    return false;
}

// The ideal-gas start: the temperature whose dilute-gas enthalpy is h (Newton steps), and the
// density that then gives s (the entropy falls by R per unit of ln rho).
template <class M>
void ideal_gas_start(const double& h, const double& s, double& t, double& rho) {
    t = 100.0;
    FluidState st{};
    for (int step = 0; step < NEWTON_CAP; ++step) {
        M::evaluate(t, IDEAL_GAS_DENSITY, st);
        const double slope = state_cv(st) + M::dp_dt_rho(st) / IDEAL_GAS_DENSITY;
        double dt = -(state_enthalpy(st) - h) / slope;
        if (!std::isfinite(dt)) {
            break;
        }
        dt = std::fmax(std::fmin(dt, MAX_TEMPERATURE_STEP * 3.0), -0.5 * st.T);
        t += dt;
        if (std::fabs(dt) < 1e-6) {
            break;
        }
    }
    M::evaluate(t, IDEAL_GAS_DENSITY, st);
    rho = IDEAL_GAS_DENSITY * std::exp((state_entropy(st) - s) / st.R);
}

// Whether (t, rho) is a stable single-phase state inside the domain, off the dome.
template <class M>
bool stable_single_phase(const double& t, const double& rho, int& phase) {
    const DomainLimits& d = M::CONSTANTS.domain;
    if (!(t >= d.lowest_admitted_temperature && t <= d.highest_admitted_temperature)) {
        return false;
    }
    FluidState st{};
    M::evaluate(t, rho, st);
    const double p = state_pressure(st);
    if (!(p >= d.lowest_admitted_pressure &&
          p <= d.highest_admitted_pressure + HIGH_EDGE_PRESSURE_TOLERANCE) ||
        !(stability(st) > 0.0)) {
        return false;
    }
    if (p >= M::CONSTANTS.critical_pressure) {
        phase = PHASE_SUPERCRITICAL;
        return true;
    }
    SaturationEquilibrium e;
    if (M::saturation_at_temperature(t + KELVIN_OFFSET, e) != SATURATION_EQUILIBRIUM_OK) {
        phase = PHASE_VAPOUR;  // above the equilibrium's top, below the critical pressure
        return true;
    }
    if (rho >= e.rho_liquid) {
        phase = PHASE_LIQUID;
        return true;
    }
    if (rho <= e.rho_vapour) {
        phase = PHASE_VAPOUR;
        return true;
    }
    return false;
}

// One trial of the isentrope search: the (p, s) state and its enthalpy, as a LineState.
template <class M>
double isentrope_trial(const double& s, const double& p, LineState& state) {
    int phase = 0;
    double x = 0.0;
    FluidState l{};
    FluidState v{};
    Isobar<M>::state_from_pressure_property(IsobarProperty::entropy, 0, p, s, phase, x, l, v);
    state = LineState{};
    if (phase == PHASE_TWO_PHASE) {
        const double t = l.T - KELVIN_OFFSET;
        double h = 0.0;
        if (!mixture_of_entropy<M>(s, t, x, h)) {
            return NOT_A_NUMBER;
        }
        state.outcome = LineOutcome::found;
        state.phase = PHASE_TWO_PHASE;
        state.t = t;
        state.x = x;
        return h;
    }
    const FluidState& st = phase == PHASE_VAPOUR ? v : l;
    // The isobar solver ends its search at the domain's temperatures: a state there that misses
    // s is no state of the isentrope.
    if (!(std::fabs(state_entropy(st) - s) <= 1e-9 * std::fmax(std::fabs(s), 1e4))) {
        return NOT_A_NUMBER;
    }
    found_single(st.T - KELVIN_OFFSET, st.rho, phase, state);
    return state_enthalpy(st);
}

// The state on the isotherm t with entropy s: Newton steps in ln rho from rho (s falls with
// density along an isotherm). False when they fail.
template <class M>
bool isotherm_entropy(const double& t, const double& s, double& rho, double& h) {
    FluidState st{};
    for (int step = 0; step < NEWTON_CAP; ++step) {
        M::evaluate(t, rho, st);
        const double slope = -M::dp_dt_rho(st) / rho;  // d s / d ln rho
        double dl = -(state_entropy(st) - s) / slope;
        if (!std::isfinite(dl) || !(slope < 0.0)) {
            return false;
        }
        dl = std::fmax(std::fmin(dl, MAX_LOG_DENSITY_STEP), -MAX_LOG_DENSITY_STEP);
        rho *= std::exp(dl);
        if (std::fabs(dl) <= NEWTON_DENSITY_TOLERANCE) {
            M::evaluate(t, rho, st);
            h = state_enthalpy(st);
            return std::isfinite(h);
        }
    }
    return false;
}

struct IsentropeEnd {
    bool ok = false;
    double p = 0.0;
    double t = 0.0;
    double h = 0.0;
    double rho = 0.0;  // single-phase ends
};

// The isentrope's lower end: at the lowest pressure, or where it meets the lowest temperature
// (a liquid's isentrope below the saturated liquid's entropy there).
template <class M>
IsentropeEnd lower_end(const double& s, const FluidState& liquid_at_min) {
    const DomainLimits& d = M::CONSTANTS.domain;
    IsentropeEnd end;
    if (s <= state_entropy(liquid_at_min)) {
        double rho = liquid_at_min.rho;
        end.ok = isotherm_entropy<M>(d.min_temperature, s, rho, end.h);
        end.t = d.min_temperature;
        end.rho = rho;
        end.p = M::pressure(end.t, rho);
        end.ok = end.ok && end.p <= d.max_pressure;
        return end;
    }
    LineState st;
    end.h = isentrope_trial<M>(s, d.min_pressure, st);
    end.ok = std::isfinite(end.h);
    end.p = d.min_pressure;
    end.t = st.t;
    end.rho = st.rho;
    return end;
}

// The upper end: at the highest pressure, or where it meets the highest temperature.
template <class M>
IsentropeEnd upper_end(const double& s) {
    const DomainLimits& d = M::CONSTANTS.domain;
    IsentropeEnd end;
    LineState st;
    end.h = isentrope_trial<M>(s, d.max_pressure, st);
    if (std::isfinite(end.h) && st.t <= d.max_temperature) {
        end.ok = true;
        end.p = d.max_pressure;
        end.t = st.t;
        end.rho = st.rho;
        return end;
    }
    // Hotter than the highest temperature at the highest pressure: the end is on that isotherm.
    double rho = d.max_pressure / (M::CONSTANTS.gas_constant * (d.max_temperature + KELVIN_OFFSET));
    end.ok = isotherm_entropy<M>(d.max_temperature, s, rho, end.h);
    end.t = d.max_temperature;
    end.rho = rho;
    end.p = M::pressure(end.t, rho);
    end.ok = end.ok && end.p >= d.min_pressure;
    return end;
}

void band(const bool above, const IsentropeEnd& end, LineState& out) {
    out = LineState{};
    out.outcome = above ? LineOutcome::above_band : LineOutcome::below_band;
    out.limit = end.h;
    out.edge_p = end.p;
    out.edge_t = end.t;
}

// The robust search: the pressure on the isentrope whose enthalpy is h, between the ends.
template <class M>
void isentrope_search(const double& h, const double& s, const FluidState& liquid_at_min,
                      LineState& out) {
    out = LineState{};
    const IsentropeEnd lo = lower_end<M>(s, liquid_at_min);
    const IsentropeEnd hi = upper_end<M>(s);
    if (!lo.ok || !hi.ok) {
        return;
    }
    if (h < lo.h) {
        band(false, lo, out);
        return;
    }
    if (h > hi.h) {
        band(true, hi, out);
        return;
    }
    if (h == lo.h || h == hi.h) {
        const IsentropeEnd& end = h == lo.h ? lo : hi;
        int phase = 0;
        if (end.rho > 0.0 && stable_single_phase<M>(end.t, end.rho, phase)) {
            found_single(end.t, end.rho, phase, out);
            return;
        }
    }
    LineState trial{};
    const auto f = [&](const double log_p) {
        return isentrope_trial<M>(s, std::exp(log_p), trial) - h;
    };
    // Near the critical point h along the isentrope is flat to the rounding of the (p, s) states:
    // the search stops where h is met to far below the front end's acceptance.
    const double log_p =
        regula_falsi(f, std::log(lo.p), lo.h - h, std::log(hi.p), hi.h - h, PRESSURE_LOG_TOLERANCE,
                     FALSI_CAP, ISENTROPE_ENTHALPY_TOLERANCE * std::fmax(std::fabs(h), 1e6));
    if (std::isfinite(isentrope_trial<M>(s, std::exp(log_p), trial))) {
        out = trial;
    }
}

// The stable state of (h, s).
template <class M>
void stable_state(const double& h, const double& s, LineState& out) {
    out = LineState{};
    if (!std::isfinite(h) || !std::isfinite(s)) {
        return;
    }
    const DomainLimits& d = M::CONSTANTS.domain;
    double p_min = 0.0;
    FluidState l0{};
    FluidState v0{};
    Saturation<M>::saturation_by_temperature(d.min_temperature, p_min, l0, v0);
    const double s_l0 = state_entropy(l0);
    const double s_v0 = state_entropy(v0);

    double t = 0.0;
    double rho = 0.0;
    if (s > s_l0 && s < s_v0) {
        // The isentrope starts in the dome at the lowest temperature.
        FluidState critical{};
        M::evaluate(M::CONSTANTS.critical_temperature, M::CONSTANTS.critical_density, critical);
        const bool liquid = s < state_entropy(critical);
        const double top = equilibrium_top<M>();
        const double t_exit = dome_exit_temperature<M>(s, liquid, top);
        double p_exit = 0.0;
        FluidState l{};
        FluidState v{};
        Saturation<M>::saturation_by_temperature(t_exit, p_exit, l, v);
        const FluidState& side = liquid ? l : v;
        const double h_lo = (1.0 - (s - s_l0) / (s_v0 - s_l0)) * state_enthalpy(l0) +
                            (s - s_l0) / (s_v0 - s_l0) * state_enthalpy(v0);
        if (h < state_enthalpy(side)) {
            if (h < h_lo) {
                // Below the isentrope's lowest state, the mixture at the lowest temperature.
                out.outcome = LineOutcome::below_band;
                out.limit = h_lo;
                out.edge_p = p_min;
                out.edge_t = d.min_temperature;
                return;
            }
            const double t_mix = tie_line_temperature<M>(h, s, d.min_temperature, t_exit);
            double x = 0.0;
            double h_mix = 0.0;
            if (mixture_of_entropy<M>(s, t_mix, x, h_mix)) {
                out.outcome = LineOutcome::found;
                out.phase = PHASE_TWO_PHASE;
                out.t = t_mix;
                out.x = x;
                return;
            }
            isentrope_search<M>(h, s, l0, out);
            return;
        }
        t = t_exit;
        rho = side.rho;
    } else if (s <= s_l0) {
        t = d.min_temperature;
        rho = l0.rho;
    } else {
        ideal_gas_start<M>(h, s, t, rho);
    }
    int phase = 0;
    if (newton_enthalpy_entropy<M>(h, s, t, rho) && stable_single_phase<M>(t, rho, phase)) {
        found_single(t, rho, phase, out);
        return;
    }
    isentrope_search<M>(h, s, l0, out);
}

}  // namespace

template <class M>
void EnthalpyEntropy<M>::state_from_enthalpy_entropy(const int& metastable_side, const double& h,
                                                     const double& s, LineState& out) {
    stable_state<M>(h, s, out);
    if (metastable_side != 1 || out.outcome != LineOutcome::found || out.phase == PHASE_LIQUID ||
        out.phase == PHASE_SUPERCRITICAL) {
        return;
    }
    // The superheated liquid: the liquid's continuation from the saturated liquid at the stable
    // state's temperature. Whatever the steps end at is asked as a liquid; the front end admits
    // it only as the superheated liquid at its own pressure.
    double p = 0.0;
    FluidState l{};
    FluidState v{};
    Saturation<M>::saturation_by_temperature(out.t, p, l, v);
    double t = out.t;
    double rho = l.rho;
    if (!std::isfinite(rho)) {
        return;
    }
    if (!newton_enthalpy_entropy<M>(h, s, t, rho)) {
        t = out.t;
        rho = l.rho;
    }
    found_single(t, rho, PHASE_LIQUID, out);
}

#define ZELTRA5_INSTANTIATE(Model) template struct EnthalpyEntropy<Model>;
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

}  // namespace zeltra5::flash
