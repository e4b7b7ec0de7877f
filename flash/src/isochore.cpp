// (rho, h), (rho, s), (rho, u): a temperature search along the isochore.
//
// Along an isochore u, s and h rise with temperature (c_v > 0, and dh/dT = c_v + (dp/dT)/rho),
// in the two-phase part as well, so one state at most has the target. A density inside the
// saturation dome at the lowest temperature makes the isochore a mixture up to the temperature
// where the density is the saturated liquid's (above the critical density) or vapour's (below),
// found on the equilibrium's expansions; above it the isochore is single phase. The target's
// value there picks the part: the mixture by a regula falsi on temperature, the single phase by
// Newton steps with the analytic derivative, kept inside a bracket. The isochore's domain ends
// at the domain's lowest and highest temperature and pressure; a target beyond an end gives the
// band outcome with the target's value at that end and its state.
//
// With the superheat option a target of the mixture part on a liquid isochore (above the
// critical density) is sought on the liquid's own continuation into the dome, below the
// saturation temperature: the front end's (t, rho) formation with the option then admits the
// state only if it is the superheated liquid at its pressure, and refuses it with the reason
// otherwise. No mixture is answered with the option, as the (t, rho) pair answers none.

#include <cmath>
#include <limits>

#include "line_search.hpp"
#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::flash {
namespace {

using detail::isochore_slope;
using detail::line_value;
using detail::mixture_on_isochore;
using detail::property_scale;
using detail::regula_falsi;

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
constexpr int NEWTON_CAP = 60;
// The front end admits a (t, rho) state's own pressure up to this far (Pa) beyond the highest
// admitted pressure: a state taken at the highest pressure reproduces it only to the solvers'
// tolerance.
constexpr double HIGH_EDGE_PRESSURE_TOLERANCE = 1e-4;
constexpr int FALSI_CAP = 100;
// Relative temperature step (of the kelvin value) below which Newton's iteration has converged:
// the step after it would be below the last digit.
constexpr double NEWTON_STEP_TOLERANCE = 1e-13;
// Width (K) of the bracket at which the mixture's temperature stands; its value then moves by
// less than the front end's tolerance.
constexpr double MIXTURE_TOLERANCE = 1e-11;
// How close (K) below the critical temperature the equilibrium answers.
constexpr double EQUILIBRIUM_TOP_MARGIN = 2e-9;
// The width (in the square root of the depth below the critical temperature, K^0.5) at which the
// isochore's saturation temperature stands: about 1e-12 K deep down, finer near the top.
constexpr double SATURATION_ROOT_TOLERANCE = 1e-14;
// Exponent that makes the saturated density's distance from the critical one nearly linear in
// the square root of the depth below the critical temperature (rho' - rho_c ~ depth^0.35).
constexpr double DOME_LINEARISING_POWER = 1.0 / 0.7;

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

enum class Newton : int { converged, below_floor, above_ceiling, failed };

// Newton steps in temperature on the single-phase isochore from t0, inside [floor, ceiling]. A
// step beyond an end is taken to that end; a target beyond the value there is reported as such.
// Once the value's side of the target is known at a point, the bracket narrows to it, and a step
// out of the bracket bisects it. `s` is the state at the last temperature evaluated, `t` the
// converged temperature.
template <class M>
Newton newton_on_isochore(const LineProperty& property, const double& rho, const double& target,
                          const double floor, const double ceiling, const double t0, double& t,
                          FluidState& s) {
    double lo = floor;
    double hi = ceiling;
    bool lo_known = false;
    bool hi_known = false;
    t = std::fmin(std::fmax(t0, floor), ceiling);
    for (int step = 0; step < NEWTON_CAP; ++step) {
        M::evaluate(t, rho, s);
        const double f = line_value(property, s) - target;
        if (!std::isfinite(f)) {
            return Newton::failed;
        }
        if (f == 0.0) {
            return Newton::converged;
        }
        if (f < 0.0) {
            if (t == ceiling) {
                return Newton::above_ceiling;
            }
            lo = t;
            lo_known = true;
        } else {
            if (t == floor) {
                return Newton::below_floor;
            }
            hi = t;
            hi_known = true;
        }
        const double slope = isochore_slope<M>(property, s);
        double t_next = t - f / slope;
        if (!(slope > 0.0) || !(t_next > lo && t_next < hi)) {
            if (f < 0.0 && !hi_known) {
                t_next = hi;
            } else if (f > 0.0 && !lo_known) {
                t_next = lo;
            } else {
                t_next = 0.5 * (lo + hi);
            }
        }
        if (std::fabs(t_next - t) <= NEWTON_STEP_TOLERANCE * (t + KELVIN_OFFSET)) {
            t = t_next;
            return Newton::converged;
        }
        t = t_next;
    }
    return Newton::failed;
}

// The temperature (degC) at which the isochore rho has the pressure p, by Newton steps from
// t_guess (pressure rises with temperature along an isochore); NaN when the steps fail.
template <class M>
double isochore_at_pressure(const double& rho, const double& p, const double& t_guess) {
    double t = t_guess;
    FluidState s{};
    for (int step = 0; step < NEWTON_CAP; ++step) {
        M::evaluate(t, rho, s);
        const double slope = M::dp_dt_rho(s);
        if (!(slope > 0.0)) {
            return NOT_A_NUMBER;
        }
        const double t_next = t - (state_pressure(s) - p) / slope;
        if (!std::isfinite(t_next)) {
            return NOT_A_NUMBER;
        }
        if (std::fabs(t_next - t) <= NEWTON_STEP_TOLERANCE * (t + KELVIN_OFFSET)) {
            return t_next;
        }
        // Keep above absolute zero: a gas isochore's first step from a far guess can overshoot.
        t = std::fmax(t_next, 0.5 * (t - KELVIN_OFFSET));
    }
    return NOT_A_NUMBER;
}

// The band outcome at the edge state (t, rho): the target's value there, its pressure p.
template <class M>
void band(const LineProperty& property, const bool above, const double& rho, const double& t,
          const double& p, LineState& out) {
    FluidState s{};
    M::evaluate(t, rho, s);
    out = LineState{};
    out.outcome = above ? LineOutcome::above_band : LineOutcome::below_band;
    out.limit = line_value(property, s);
    out.edge_p = p;
    out.edge_t = t;
}

// The upper end of the isochore: the highest temperature, or where it meets the highest
// pressure. False when the isochore lies outside the pressures everywhere.
template <class M>
bool upper_edge(const double& rho, double& t, double& p) {
    const DomainLimits& d = M::CONSTANTS.domain;
    t = d.max_temperature;
    p = M::pressure(t, rho);
    if (p <= d.max_pressure) {
        return p >= d.min_pressure;
    }
    t = isochore_at_pressure<M>(rho, d.max_pressure, t);
    p = d.max_pressure;
    return t >= d.min_temperature;
}

// The lower end of a gas isochore below the saturated vapour's density at the lowest temperature:
// the lowest temperature, or where it meets the lowest pressure. False when the isochore lies
// below the lowest pressure everywhere.
template <class M>
bool lower_gas_edge(const double& rho, double& t, double& p) {
    const DomainLimits& d = M::CONSTANTS.domain;
    t = d.min_temperature;
    p = M::pressure(t, rho);
    if (p >= d.min_pressure) {
        return true;
    }
    const double ideal = d.min_pressure / (rho * M::CONSTANTS.gas_constant) - KELVIN_OFFSET;
    t = isochore_at_pressure<M>(rho, d.min_pressure, ideal);
    p = d.min_pressure;
    return t <= d.max_temperature;
}

// The temperature (degC) at which rho is a saturated density: the liquid's when rho is above
// the critical density, else the vapour's. The saturated density is monotonic in the depth below
// the critical temperature; a power of its distance from the critical density is nearly linear
// in the depth's square root, on which a regula falsi runs. `top` is the highest temperature the
// equilibrium answers; the result is `top` when rho lies between the saturated densities there.
template <class M>
double isochore_saturation_temperature(const double& rho, const double& top) {
    const double tc_k = M::CONSTANTS.critical_temperature + KELVIN_OFFSET;
    const double rho_c = M::CONSTANTS.critical_density;
    const bool liquid = rho > rho_c;
    const double goal = std::pow(std::fabs(rho - rho_c), DOME_LINEARISING_POWER);
    // f rises with the depth's square root r: the saturated density moves away from rho_c.
    const auto f = [&](const double r) {
        SaturationEquilibrium e;
        if (M::saturation_at_temperature(tc_k - r * r, e) != SATURATION_EQUILIBRIUM_OK) {
            return NOT_A_NUMBER;
        }
        const double rho_s = liquid ? e.rho_liquid : e.rho_vapour;
        return std::pow(std::fabs(rho_s - rho_c), DOME_LINEARISING_POWER) - goal;
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

void found_single(const double& t, const double& rho, const int phase, LineState& out) {
    out = LineState{};
    out.outcome = LineOutcome::found;
    out.phase = phase;
    out.t = t;
    out.rho = rho;
}

// The single-phase part of the isochore from `floor` up, Newton from t0. `gas_floor` marks a
// floor that is the lowest temperature of a gas isochore, whose lower end may be the lowest
// pressure instead.
template <class M>
void single_phase(const LineProperty& property, const double& rho, const double& target,
                  const double floor, const double t0, const bool gas_floor, const int phase,
                  LineState& out) {
    const DomainLimits& d = M::CONSTANTS.domain;
    double t = 0.0;
    FluidState s{};
    const Newton result = newton_on_isochore<M>(property, rho, target, floor,
                                                d.highest_admitted_temperature, t0, t, s);
    double edge_t = 0.0;
    double edge_p = 0.0;
    switch (result) {
        case Newton::failed:
            out = LineState{};
            return;
        case Newton::below_floor:
            if (gas_floor && !lower_gas_edge<M>(rho, edge_t, edge_p)) {
                out = LineState{};
                return;
            }
            if (!gas_floor) {
                edge_t = d.min_temperature;
                edge_p = M::pressure(edge_t, rho);
                if (!(edge_p <= d.max_pressure)) {
                    out = LineState{};  // the isochore lies above the highest pressure
                    return;
                }
            }
            band<M>(property, false, rho, edge_t, edge_p, out);
            return;
        case Newton::above_ceiling:
            if (!upper_edge<M>(rho, edge_t, edge_p)) {
                out = LineState{};
                return;
            }
            band<M>(property, true, rho, edge_t, edge_p, out);
            return;
        case Newton::converged:
            break;
    }
    // Inside the temperature range: the pressure decides whether the state is in the domain.
    const double p = state_pressure(s);
    if (p > d.highest_admitted_pressure + HIGH_EDGE_PRESSURE_TOLERANCE) {
        if (!upper_edge<M>(rho, edge_t, edge_p)) {
            out = LineState{};
            return;
        }
        band<M>(property, true, rho, edge_t, edge_p, out);
        return;
    }
    if (gas_floor && p < d.lowest_admitted_pressure) {
        if (!lower_gas_edge<M>(rho, edge_t, edge_p)) {
            out = LineState{};
            return;
        }
        band<M>(property, false, rho, edge_t, edge_p, out);
        return;
    }
    found_single(t, rho, phase, out);
}

// The mixture part of a dome isochore, [lowest admitted temperature, t_sat], whose value at
// t_sat (y_sat) exceeds the target.
template <class M>
void mixture(const LineProperty& property, const double& rho, const double& target,
             const double& t_sat, const double& y_sat, LineState& out) {
    const DomainLimits& d = M::CONSTANTS.domain;
    const double quiet = 1e-15 * std::fmax(std::fabs(target), property_scale(property));
    const auto f = [&](const double t) {
        double x = 0.0;
        double y = 0.0;
        double p = 0.0;
        if (!mixture_on_isochore<M>(property, rho, t, x, y, p)) {
            return NOT_A_NUMBER;
        }
        return std::fabs(y - target) <= quiet ? 0.0 : y - target;
    };
    double lo = d.min_temperature;
    double f_lo = f(lo);
    if (f_lo > 0.0) {
        // Beyond the lowest temperature, unless within its margin.
        const double f_margin = f(d.lowest_admitted_temperature);
        if (f_margin > 0.0) {
            double x = 0.0;
            double y = 0.0;
            double p = 0.0;
            mixture_on_isochore<M>(property, rho, lo, x, y, p);
            out = LineState{};
            out.outcome = LineOutcome::below_band;
            out.limit = y;
            out.edge_p = p;
            out.edge_t = lo;
            return;
        }
        lo = d.lowest_admitted_temperature;
        f_lo = f_margin;
    }
    if (!std::isfinite(f_lo)) {
        out = LineState{};
        return;
    }
    const double t = f_lo == 0.0 ? lo
                                 : regula_falsi(f, lo, f_lo, t_sat, y_sat - target,
                                                MIXTURE_TOLERANCE, FALSI_CAP);
    double x = 0.0;
    double y = 0.0;
    double p = 0.0;
    if (!mixture_on_isochore<M>(property, rho, t, x, y, p)) {
        out = LineState{};
        return;
    }
    out = LineState{};
    out.outcome = LineOutcome::found;
    out.t = t;
    if (x > 0.0 && x < 1.0) {
        out.phase = PHASE_TWO_PHASE;
        out.x = x;
    } else {
        // At the saturation temperature to rounding: the saturated phase itself.
        out.phase = rho > M::CONSTANTS.critical_density ? PHASE_LIQUID : PHASE_VAPOUR;
        out.rho = rho;
    }
}

}  // namespace

template <class M>
void Isochore<M>::state_from_density_property(const LineProperty& property,
                                              const int& metastable_side, const double& rho,
                                              const double& target, LineState& out) {
    out = LineState{};
    if (!(rho > 0.0 && std::isfinite(rho) && std::isfinite(target))) {
        return;
    }
    const DomainLimits& d = M::CONSTANTS.domain;
    SaturationEquilibrium low;
    if (M::saturation_at_temperature(d.min_temperature + KELVIN_OFFSET, low) !=
        SATURATION_EQUILIBRIUM_OK) {
        return;
    }
    if (rho >= low.rho_liquid) {
        // Liquid from the lowest temperature up.
        single_phase<M>(property, rho, target, d.lowest_admitted_temperature, d.min_temperature,
                        false, PHASE_LIQUID, out);
        return;
    }
    if (rho <= low.rho_vapour) {
        // Gas from the lowest temperature (or pressure) up.
        single_phase<M>(property, rho, target, d.lowest_admitted_temperature, d.min_temperature,
                        true, PHASE_VAPOUR, out);
        return;
    }
    // Inside the dome at the lowest temperature: a mixture up to t_sat.
    const double top = equilibrium_top<M>();
    const double t_sat = isochore_saturation_temperature<M>(rho, top);
    const bool liquid_side = rho > M::CONSTANTS.critical_density;
    FluidState at_sat{};
    M::evaluate(t_sat, rho, at_sat);
    const double y_sat = line_value(property, at_sat);
    const int phase = liquid_side ? PHASE_LIQUID : PHASE_VAPOUR;
    if (!std::isfinite(y_sat)) {
        return;
    }
    if (target >= y_sat) {
        const double t0 = t_sat + (target - y_sat) / isochore_slope<M>(property, at_sat);
        single_phase<M>(property, rho, target, t_sat, std::isfinite(t0) ? t0 : t_sat, false, phase,
                        out);
        return;
    }
    if (metastable_side == 1 && liquid_side) {
        // The liquid continued into the dome; the front end judges whether it is superheated
        // liquid.
        double t = 0.0;
        FluidState s{};
        const double t0 = t_sat + (target - y_sat) / isochore_slope<M>(property, at_sat);
        const Newton result =
            newton_on_isochore<M>(property, rho, target, d.lowest_admitted_temperature, t_sat,
                                  std::isfinite(t0) ? t0 : t_sat, t, s);
        if (result != Newton::failed) {
            found_single(t, rho, PHASE_LIQUID, out);
        }
        return;
    }
    mixture<M>(property, rho, target, t_sat, y_sat, out);
    if (metastable_side == 1 && out.outcome == LineOutcome::found) {
        // Below the critical density no liquid is superheated: the state at the mixture's
        // temperature, asked as a liquid, which the front end refuses as none.
        found_single(out.t, rho, PHASE_LIQUID, out);
    }
}

#define ZELTRA5_INSTANTIATE(Model) template struct Isochore<Model>;
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

}  // namespace zeltra5::flash
