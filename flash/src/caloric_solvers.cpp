// States from pressure and one more property: enthalpy, internal energy, entropy or density.
//
// All five entry points run one search. The saturation states at P decide the branch (liquid,
// vapour, supercritical, superheated liquid) or give a two-phase mixture at once; otherwise the
// temperature at which the property of the single-phase state at P equals the target is found by
// a bracketed secant on temperature, each trial costing one density-solver call, with a bisection
// over the whole range as the fallback. Members differ only in the property matched and in
// whether it rises or falls with temperature along an isobar.

#include <cmath>
#include <limits>

#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/powers_of_ten.hpp"

namespace zeltra5::flash {
namespace {

// The vapour and supercritical searches end at the top of the model's domain. The
// pressure-quality mode's range check admits mixture enthalpies up to the vapour at 500 degC; its
// search still ends there, and the front end refuses a state that does not reach the target.
struct Member {
    IsobarProperty property;
    bool rising;  // the property grows with temperature at constant pressure
};

constexpr Member ENTHALPY_MEMBER{IsobarProperty::enthalpy, true};
constexpr Member ENERGY_MEMBER{IsobarProperty::internal_energy, true};
constexpr Member ENTROPY_MEMBER{IsobarProperty::entropy, true};
constexpr Member DENSITY_MEMBER{IsobarProperty::density, false};

// How far (K) beyond the superheat limit temperature the front end admits a (P, T) liquid, which
// the density solver then forms at its own temperature.
constexpr double SUPERHEAT_LIMIT_MARGIN = 1e-5;

constexpr int TOLERANCE_DIGITS = 14;  // the target is met to about 14 significant digits
constexpr int SECANT_CAP = 100;
constexpr double ACCEPTANCE_BAND = 0.01;  // below it the secant result stands, in target units
// The bisection halves a temperature interval; about 60 passes exhaust a double. The cap only
// matters when NaN keeps the ends from settling.
constexpr int BISECTION_CAP = 2000;
constexpr double QUALITY_DENOMINATOR_FLOOR = 1e-25;
constexpr int SECANT_NODES = 2;
// Newton steps in temperature along an isochore; a handful settle from the bracket's midpoint.
constexpr int ISOCHORE_STEP_CAP = 50;

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();
// What a search returns when it has nothing to match (a target or pressure that is not a finite
// number): every field NaN, so that no property derived from it can pass for a result.
constexpr FluidState UNDEFINED_STATE{NOT_A_NUMBER, NOT_A_NUMBER, NOT_A_NUMBER, NOT_A_NUMBER,
                                     NOT_A_NUMBER, NOT_A_NUMBER, NOT_A_NUMBER, NOT_A_NUMBER,
                                     NOT_A_NUMBER, NOT_A_NUMBER, NOT_A_NUMBER, NOT_A_NUMBER,
                                     NOT_A_NUMBER, NOT_A_NUMBER, NOT_A_NUMBER, NOT_A_NUMBER,
                                     NOT_A_NUMBER, NOT_A_NUMBER, NOT_A_NUMBER};

double matched_value(const IsobarProperty& property, const FluidState& s) {
    switch (property) {
        case IsobarProperty::enthalpy:
            return state_enthalpy(s);
        case IsobarProperty::internal_energy:
            return state_internal_energy(s);
        case IsobarProperty::entropy:
            return state_entropy(s);
        case IsobarProperty::density:
            return state_density(s);
    }
    return state_density(s);
}

// Where a property value y lies against `reference` along an isobar: on the side of higher
// temperature (hotter) or of lower temperature (colder). NaN is on neither side.
bool hotter_than(const Member& m, const double& y, const double& reference) {
    return m.rising ? y > reference : y < reference;
}
bool colder_than(const Member& m, const double& y, const double& reference) {
    return m.rising ? y < reference : y > reference;
}
bool at_or_hotter(const Member& m, const double& y, const double& reference) {
    return m.rising ? y >= reference : y <= reference;
}
bool at_or_colder(const Member& m, const double& y, const double& reference) {
    return m.rising ? y <= reference : y >= reference;
}

// One trial temperature on the branch `branch` (1 liquid, 2 vapour, 3 supercritical). Fills the
// outputs and x, and returns the matched property of the state found.
template <class M>
double trial(const Member& m, const int& branch, const double& P, const double& t,
             const PressureSaturation& sat, double& x, FluidState& liquid_out,
             FluidState& vapour_out) {
    int solver_phase = 0;
    PressureTemperature<M>::solve_density_at_pressure_temperature(branch, P, t, sat, solver_phase,
                                                                  x, liquid_out, vapour_out);
    // At exactly the saturation temperature the density solver hands back the saturated pair with
    // the vapour's relative enthalpy 1; on the liquid branch the state read is the saturated
    // liquid, whose relative enthalpy is 0.
    if (branch == PHASE_LIQUID && solver_phase == PHASE_VAPOUR) {
        x = 0.0;
    }
    return matched_value(m.property, branch == PHASE_VAPOUR ? vapour_out : liquid_out);
}

// Bisection over the whole range [t_lo, t_hi]; the outputs end at the last midpoint.
template <class M>
void bisect(const Member& m, const int& branch, const double& P, const double& target,
            const double& t_lo, const double& t_hi, const PressureSaturation& sat, double& x,
            FluidState& liquid_out, FluidState& vapour_out) {
    double a = t_lo;
    double b = t_hi;
    for (int pass = 0; pass < BISECTION_CAP; ++pass) {
        const double a_before = a;
        const double b_before = b;
        const double t_m = (a + b) * 0.5;
        const double y_m = trial<M>(m, branch, P, t_m, sat, x, liquid_out, vapour_out);
        if (colder_than(m, y_m, target)) {
            a = t_m;
        } else {
            b = t_m;
        }
        if (a == a_before && b == b_before) {
            return;
        }
    }
}

// Temperature search on one branch over [t_lo, t_hi].
template <class M>
void search_branch(const Member& m, const int& branch, const double& P, const double& target,
                   const double& t_lo, const double& t_hi, const PressureSaturation& sat, double& x,
                   FluidState& liquid_out, FluidState& vapour_out) {
    if (!(std::isfinite(target) && std::isfinite(P) && std::isfinite(t_lo) &&
          std::isfinite(t_hi))) {
        liquid_out = UNDEFINED_STATE;
        vapour_out = UNDEFINED_STATE;
        x = NOT_A_NUMBER;
        return;
    }
    const double tolerance = detail::power_of_ten(decimal_exponent(target, TOLERANCE_DIGITS));

    // A target the range check admits from just beyond the domain's coldest or hottest
    // temperature (within the margin of fluid_state.hpp) lies beyond that end of the range: the
    // end moves out by the margin, so that the search meets it there.
    double lo = t_lo;
    double hi = t_hi;
    double values[SECANT_NODES] = {0.0, 0.0};
    values[0] = trial<M>(m, branch, P, lo, sat, x, liquid_out, vapour_out);
    const DomainLimits& domain = M::CONSTANTS.domain;
    if (lo == domain.min_temperature && colder_than(m, target, values[0])) {
        lo = domain.lowest_admitted_temperature;
        values[0] = trial<M>(m, branch, P, lo, sat, x, liquid_out, vapour_out);
    }
    values[1] = trial<M>(m, branch, P, hi, sat, x, liquid_out, vapour_out);
    if (hi == domain.max_temperature && hotter_than(m, target, values[1])) {
        hi = domain.highest_admitted_temperature;
        values[1] = trial<M>(m, branch, P, hi, sat, x, liquid_out, vapour_out);
    }
    double temperatures[SECANT_NODES] = {lo, hi};
    double a = lo;
    double b = hi;
    double y_last = values[1];

    // Each step goes through the two latest trials; one that leaves the bracket (or is NaN) is
    // replaced by the bracket's midpoint.
    for (int step = 0; step < SECANT_CAP; ++step) {
        double t_n = 0.0;
        if (secant_interpolate(values, temperatures, target, t_n) != 0) {
            break;
        }
        if (!(t_n >= a && t_n <= b)) {
            t_n = (a + b) * 0.5;
        }
        const double y_n = trial<M>(m, branch, P, t_n, sat, x, liquid_out, vapour_out);
        y_last = y_n;
        if (std::fabs(y_n - target) < tolerance) {
            break;
        }
        if (hotter_than(m, y_n, target)) {
            b = t_n;
        } else {
            a = t_n;
        }
        temperatures[0] = temperatures[1];
        values[0] = values[1];
        temperatures[1] = t_n;
        values[1] = y_n;
    }

    if (std::fabs(y_last - target) <= ACCEPTANCE_BAND) {
        return;
    }
    bisect<M>(m, branch, P, target, lo, hi, sat, x, liquid_out, vapour_out);
}

// Liquid kept beyond saturation, up to the superheat limit temperature.
template <class M>
void superheated_liquid(const Member& m, const double& P, const double& target,
                        const PressureSaturation& sat, int& phase, double& x,
                        FluidState& liquid_out, FluidState& vapour_out) {
    phase = PHASE_LIQUID;
    if (!(sat.T_s >= M::CONSTANTS.domain.lowest_admitted_temperature &&
          sat.T_s < M::CONSTANTS.superheat_ceiling)) {
        // No superheated liquid is sought here: the saturated liquid stands for it.
        liquid_out = sat.liquid;
        vapour_out = sat.vapour;
        x = 0.0;
        return;
    }
    // As the density solver: within the edge margin below the coldest, up to the coldest.
    const double t_lim =
        std::fmax(M::superheat_limit_temperature(sat.T_s), M::CONSTANTS.domain.min_temperature);
    const double y_lim = trial<M>(m, PHASE_LIQUID, P, t_lim, sat, x, liquid_out, vapour_out);
    if (hotter_than(m, target, y_lim)) {
        // The front end admits a (P, T) liquid up to the margin beyond the limit, which the
        // density solver forms at its own temperature: a target up to that state is sought
        // between the limit and it; beyond it the limit state is the answer.
        const double t_margin = t_lim + SUPERHEAT_LIMIT_MARGIN;
        FluidState liquid_margin{};
        FluidState vapour_margin{};
        double x_margin = 0.0;
        const double y_margin =
            trial<M>(m, PHASE_LIQUID, P, t_margin, sat, x_margin, liquid_margin, vapour_margin);
        if (!hotter_than(m, target, y_margin)) {
            search_branch<M>(m, PHASE_LIQUID, P, target, t_lim, t_margin, sat, x, liquid_out,
                             vapour_out);
        }
        return;
    }
    search_branch<M>(m, PHASE_LIQUID, P, target, M::CONSTANTS.domain.min_temperature, t_lim, sat, x,
                     liquid_out, vapour_out);
}

// The temperature (degC) at which the isochore rho meets the pressure P, by Newton steps from
// t_guess (the pressure rises with temperature along an isochore, and is well conditioned there);
// s is the state reached.
template <class M>
void on_isochore(const double& P, const double& rho, const double& t_guess, FluidState& s) {
    double t = t_guess;
    for (int step = 0; step < ISOCHORE_STEP_CAP; ++step) {
        M::evaluate(t, rho, s);
        const double slope = M::dp_dt_rho(s);
        if (!(slope > 0.0)) {
            return;
        }
        const double t_next = t - (state_pressure(s) - P) / slope;
        if (!std::isfinite(t_next) || t_next == t) {
            return;
        }
        t = t_next;
    }
    M::evaluate(t, rho, s);
}

// The state on the critical isobar with the given property. There the isotherms are flat where
// they cross the critical isochore: a trial temperature fixes the density only to about the cube
// root of the pressure's last-digit step (5e-6 relative), and the matched property jumps by up to
// 1e-5 of itself from one temperature to the next, so that no temperature meets it. Along the
// isobar taken by density the temperature follows from the isochore and every property is a
// smooth, monotonic function: the search bisects the density between the states at the ends of
// the temperature range. Returns false for a target beyond them (the temperature search then
// takes it, with the range's margins).
template <class M>
bool search_critical_isobar(const Member& m, const double& P, const double& target,
                            const PressureSaturation& sat, double& x, FluidState& liquid_out,
                            FluidState& vapour_out) {
    FluidState cold{};
    FluidState hot{};
    FluidState spare{};
    const double y_cold = trial<M>(m, PHASE_SUPERCRITICAL, P, M::CONSTANTS.domain.min_temperature,
                                   sat, x, cold, spare);
    const double y_hot = trial<M>(m, PHASE_SUPERCRITICAL, P, M::CONSTANTS.domain.max_temperature,
                                  sat, x, hot, spare);
    if (!(at_or_hotter(m, target, y_cold) && at_or_colder(m, target, y_hot))) {
        return false;
    }
    const double tolerance = detail::power_of_ten(decimal_exponent(target, TOLERANCE_DIGITS));
    double rho_cold = cold.rho;
    double rho_hot = hot.rho;
    double t_cold = cold.T - KELVIN_OFFSET;
    double t_hot = hot.T - KELVIN_OFFSET;
    FluidState s = std::fabs(y_cold - target) <= std::fabs(y_hot - target) ? cold : hot;
    double best = std::fmin(std::fabs(y_cold - target), std::fabs(y_hot - target));
    for (int pass = 0; pass < BISECTION_CAP && !(best < tolerance); ++pass) {
        const double rho = (rho_cold + rho_hot) * 0.5;
        if (rho == rho_cold || rho == rho_hot) {
            break;
        }
        FluidState mid{};
        on_isochore<M>(P, rho, (t_cold + t_hot) * 0.5, mid);
        const double y = matched_value(m.property, mid);
        if (!std::isfinite(y)) {
            break;
        }
        if (std::fabs(y - target) < best) {
            best = std::fabs(y - target);
            s = mid;
        }
        if (colder_than(m, y, target)) {
            rho_cold = rho;
            t_cold = mid.T - KELVIN_OFFSET;
        } else {
            rho_hot = rho;
            t_hot = mid.T - KELVIN_OFFSET;
        }
    }
    x = 0.0;
    liquid_out = s;
    vapour_out = s;
    return true;
}

// Classification against the saturated values and the search. `sat` is read only when P does not
// exceed the critical pressure.
template <class M>
void solve_on_isobar(const Member& m, const int& metastable_side, const double& P,
                     const double& target, const PressureSaturation& sat, int& phase, double& x,
                     FluidState& liquid_out, FluidState& vapour_out) {
    if (std::isnan(P) || std::isnan(target)) {
        // Nothing to classify: NaN compares false with every saturated value.
        phase = PHASE_LIQUID;
        liquid_out = UNDEFINED_STATE;
        vapour_out = UNDEFINED_STATE;
        x = NOT_A_NUMBER;
        return;
    }
    // At the top of the saturation line the saturated values are both the critical point's: no
    // mixture lies between them, and the state is supercritical as the (P, T) solver's.
    if (P >= M::CONSTANTS.critical_pressure || sat.liquid.rho == sat.vapour.rho) {
        phase = PHASE_SUPERCRITICAL;
        if (!(P > M::CONSTANTS.critical_pressure) && m.property != IsobarProperty::density &&
            search_critical_isobar<M>(m, P, target, sat, x, liquid_out, vapour_out)) {
            return;
        }
        search_branch<M>(m, PHASE_SUPERCRITICAL, P, target, M::CONSTANTS.domain.min_temperature,
                         M::CONSTANTS.domain.max_temperature, sat, x, liquid_out, vapour_out);
        return;
    }

    const double y_liquid = matched_value(m.property, sat.liquid);
    const double y_vapour = matched_value(m.property, sat.vapour);
    const bool superheat = metastable_side == 1;

    // A target equal to a saturated value belongs to that single-phase side.
    if (at_or_colder(m, target, y_liquid)) {
        phase = PHASE_LIQUID;
        search_branch<M>(m, PHASE_LIQUID, P, target, M::CONSTANTS.domain.min_temperature, sat.T_s,
                         sat, x, liquid_out, vapour_out);
        return;
    }
    if (superheat) {
        superheated_liquid<M>(m, P, target, sat, phase, x, liquid_out, vapour_out);
        return;
    }
    if (at_or_hotter(m, target, y_vapour)) {
        phase = PHASE_VAPOUR;
        search_branch<M>(m, PHASE_VAPOUR, P, target, sat.T_s, M::CONSTANTS.domain.max_temperature,
                         sat, x, liquid_out, vapour_out);
        return;
    }

    // Strictly between the saturated values: a mixture, with x the vapour mass fraction (from
    // specific volumes when the density is given).
    phase = PHASE_TWO_PHASE;
    liquid_out = sat.liquid;
    vapour_out = sat.vapour;
    if (m.property == IsobarProperty::density) {
        const double v_liquid = 1.0 / y_liquid;
        x = (1.0 / target - v_liquid) /
            std::fmax(1.0 / y_vapour - v_liquid, QUALITY_DENOMINATOR_FLOOR);
    } else {
        x = (target - y_liquid) / std::fmax(y_vapour - y_liquid, QUALITY_DENOMINATOR_FLOOR);
    }
}

// Members that form the saturation states themselves, once per call.
template <class M>
void solve_with_own_saturation(const Member& m, const int& metastable_side, const double& P,
                               const double& target, int& phase, double& x, FluidState& liquid_out,
                               FluidState& vapour_out) {
    PressureSaturation sat{};
    if (!(P > M::CONSTANTS.critical_pressure)) {
        Saturation<M>::saturation_by_pressure(P, sat.T_s, sat.liquid, sat.vapour);
    }
    solve_on_isobar<M>(m, metastable_side, P, target, sat, phase, x, liquid_out, vapour_out);
}

const Member& member_of(const IsobarProperty& property) {
    return property == IsobarProperty::enthalpy          ? ENTHALPY_MEMBER
           : property == IsobarProperty::internal_energy ? ENERGY_MEMBER
           : property == IsobarProperty::entropy         ? ENTROPY_MEMBER
                                                         : DENSITY_MEMBER;
}

}  // namespace

template <class M>
void Isobar<M>::state_from_pressure_property(const IsobarProperty& property,
                                             const int& metastable_side, const double& P,
                                             const double& target, int& phase, double& x,
                                             FluidState& liquid_out, FluidState& vapour_out) {
    solve_with_own_saturation<M>(member_of(property), metastable_side, P, target, phase, x,
                                 liquid_out, vapour_out);
}

template <class M>
void Isobar<M>::state_from_pressure_enthalpy_given_saturation(
    const int& metastable_side, const double& P, const double& target, const FluidState& sat_liquid,
    const FluidState& sat_vapour, int& phase, double& x, FluidState& liquid_out,
    FluidState& vapour_out) {
    // Copied, so that the caller may pass the same records as input and output.
    PressureSaturation sat{};
    if (!(P > M::CONSTANTS.critical_pressure)) {
        sat.T_s = sat_liquid.T - KELVIN_OFFSET;
        sat.liquid = sat_liquid;
        sat.vapour = sat_vapour;
    }
    solve_on_isobar<M>(ENTHALPY_MEMBER, metastable_side, P, target, sat, phase, x, liquid_out,
                       vapour_out);
}

template <class M>
void Isobar<M>::state_from_pressure_property(const IsobarProperty& property,
                                             const int& metastable_side, const double& P,
                                             const double& target,
                                             const PressureSaturation& saturation, int& phase,
                                             double& x, FluidState& liquid_out,
                                             FluidState& vapour_out) {
    solve_on_isobar<M>(member_of(property), metastable_side, P, target, saturation, phase, x,
                       liquid_out, vapour_out);
}

#define ZELTRA5_INSTANTIATE(Model) template struct Isobar<Model>;
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

}  // namespace zeltra5::flash
