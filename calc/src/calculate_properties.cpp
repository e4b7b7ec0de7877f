// One request -> one result record. The record is assembled in local storage and copied to the
// caller only when every check has passed, so a rejected request never leaves a half-written or
// stale record behind.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

#include "extended_fields_internal.hpp"
#include "input_range_internal.hpp"
#include "zeltra5/calc.hpp"
#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {
namespace {

constexpr int VALID = 0;
constexpr int INVALID = 1;

// A single-phase state must reproduce its given pressure to this much (Pa), and its given caloric
// property or density to this much in the property's own unit (the solvers' acceptance band).
constexpr double PRESSURE_TOLERANCE = 0.01;
constexpr double TARGET_TOLERANCE = 0.01;
// How far a given density (relative) or temperature (K) may lie from a saturated record's that
// answers it. A liquid solved one double below the saturation temperature has a density some
// 1e-12 off the saturated one near the ceiling of the superheat option (129.4 degC); 1e-9 let
// the saturated liquid answer a density 1e-9 below its own, and be shown at that density,
// above the ceiling, where (t, rho) then found no such liquid.
constexpr double SATURATED_DENSITY_TOLERANCE = 1e-10;
constexpr double SATURATED_TEMPERATURE_TOLERANCE = 1e-9;
// How far from 0 the relative enthalpy of a liquid may be for it to be the saturated liquid.
constexpr double SATURATED_QUALITY_TOLERANCE = 1e-9;
// A temperature taken from a record (K) to degC and back moves by no more than this (K).
constexpr double STATE_TEMPERATURE_ROUNDING = 1e-12;
// How far a given enthalpy, internal energy or entropy may lie from a saturated record's that
// answers it: relative to the larger of the value and its scale (1e6 J/kg, 1e4 J/(kg K)). A
// liquid solved at a temperature one double below the saturation temperature has its density
// only to the pressure's resolution, which near the critical point leaves its enthalpy some
// 3e-12 off the saturated liquid's (2.9e-6 J/kg at 131.8 degC); the caloric solvers meet 14
// digits.
constexpr double SATURATED_CALORIC_TOLERANCE = 1e-10;
constexpr double ENERGY_SCALE = 1e6;
constexpr double ENTROPY_SCALE = 1e4;
// (P, rho) states whose density lies farther than the threshold (relative) from the given one,
// but within the limit, are put on the given density (polish_on_isochore), to within this pressure
// (Pa) in so many steps.
constexpr double DENSITY_POLISH_THRESHOLD = 1e-9;
constexpr double DENSITY_POLISH_LIMIT = 1e-4;
constexpr double POLISH_PRESSURE_TOLERANCE = 1e-4;
constexpr int POLISH_STEPS = 4;
// A stiff liquid's (P, rho) state within the density threshold can still be off the given
// pressure at the given density: the search meets the density to 14 digits, about 100 doubles,
// which at -76 degC is 3.5e-9 of a 6,800 Pa pressure (3e7 Pa per kg/m3), where the isochore
// resolves it to 6e-12 (1.5e6 Pa/K, 3e-14 K per double). States off by more than this (relative)
// are put on the given density too, to this or POLISH_PRESSURE_TOLERANCE, the smaller.
constexpr double POLISH_RELATIVE_PRESSURE = 1e-11;
// How far (relative) a state's pressure may lie above the melting pressure at its temperature.
constexpr double MELTING_PRESSURE_TOLERANCE = 1e-9;
// Margin of the superheat limit, and of the (P, T) state's temperature against the input, in K.
constexpr double TEMPERATURE_MARGIN = 1e-5;
// A (T, rho) mixture must come back to its temperature from the saturation at its pressure to
// this much, in K.
constexpr double MIXTURE_TEMPERATURE_MARGIN = 1e-9;

struct Inputs {
    int mode;
    int side;
    int metastable_side;
    double first;
    double second;
};

// Working states of one call: the solver's slots A (liquid) and B (vapour), and the saturated
// liquid L and vapour V at the pressure P0 with their temperature Ts.
struct Solution {
    int phase = 0;
    double x = 0.0;
    double h_mix = 0.0;
    double p0 = 0.0;
    double ts = 0.0;
    FluidState a{};
    FluidState b{};
    FluidState l{};
    FluidState v{};
    bool saturation_known = false;  // l, v and ts hold the saturation at p0
    // A saturation request for one side: that side's record is in its slot (a or b), not in l
    // or v, and the latent heat is formed from it and the other side's enthalpy.
    double latent_heat = 0.0;
    // The third derivatives of the single-phase state the (p, T) and (T, rho) solvers evaluated,
    // when the extended fields are asked for.
    flash::ThirdDerivatives third{};
};

// The property each of the modes 4 to 7 matches.
constexpr IsobarProperty ISOBAR_PROPERTY[] = {IsobarProperty::enthalpy,
                                              IsobarProperty::internal_energy,
                                              IsobarProperty::entropy, IsobarProperty::density};

bool same_record(const FluidState& p, const FluidState& q) {
    return std::memcmp(&p, &q, sizeof(FluidState)) == 0;
}

// 1 + 2 delta phir_d + delta^2 phir_dd = (d p / d rho)_T / (R T): positive on a mechanically
// stable branch.
double stability(const FluidState& s) {
    return 1.0 + 2.0 * s.delta * s.phir_d + s.delta * s.delta * s.phir_dd;
}

bool is_saturation_mode(const int mode) {
    return mode == MODE_SATURATION_PRESSURE || mode == MODE_SATURATION_TEMPERATURE;
}

// A saturation request for one side: the record shown and the other side's enthalpy, which is
// all the result reads of the other record.
template <class M>
void solve_saturated_side(const Inputs& in, Solution& sol) {
    const int side = in.side == SIDE_VAPOUR ? PHASE_VAPOUR : PHASE_LIQUID;
    FluidState& shown = side == PHASE_VAPOUR ? sol.b : sol.a;
    double other_enthalpy = 0.0;
    if (in.mode == MODE_SATURATION_PRESSURE) {
        flash::Solvers<M>::saturated_side_by_pressure(in.first, side, sol.ts, shown,
                                                      other_enthalpy);
        sol.p0 = in.first;
    } else {
        flash::Solvers<M>::saturated_side_by_temperature(in.first, side, sol.p0, shown,
                                                         other_enthalpy);
        sol.ts = in.first;
    }
    sol.latent_heat = side == PHASE_VAPOUR ? state_enthalpy(shown) - other_enthalpy
                                           : other_enthalpy - state_enthalpy(shown);
    sol.phase = side;
    sol.x = side == PHASE_VAPOUR ? 1.0 : 0.0;
}

// `sat` is the saturation at the given pressure in modes 0 and 3 to 7 (read at or below the
// critical pressure only).
template <class M>
void solve(const Inputs& in, const PressureSaturation& sat, Solution& sol, const bool want_third) {
    flash::ThirdDerivatives* const third = want_third ? &sol.third : nullptr;
    switch (in.mode) {
        case MODE_PRESSURE_QUALITY: {
            sol.ts = sat.T_s;
            sol.l = sat.liquid;
            sol.v = sat.vapour;
            const double& x = in.second;
            sol.h_mix = (1.0 - x) * state_enthalpy(sol.l) + x * state_enthalpy(sol.v);
            double solver_x = 0.0;
            flash::Solvers<M>::state_from_pressure_enthalpy_given_saturation(
                in.metastable_side, in.first, sol.h_mix, sol.l, sol.v, sol.phase, solver_x, sol.a,
                sol.b);
            sol.x = x;  // the requested quality is reported, not the solver's
            sol.p0 = in.first;
            return;
        }
        case MODE_SATURATION_PRESSURE:
            flash::Solvers<M>::saturation_by_pressure(in.first, sol.ts, sol.l, sol.v);
            sol.p0 = in.first;
            break;
        case MODE_SATURATION_TEMPERATURE:
            flash::Solvers<M>::saturation_by_temperature(in.first, sol.p0, sol.l, sol.v);
            sol.ts = in.first;
            break;
        case MODE_PRESSURE_TEMPERATURE:
        case MODE_PRESSURE_ENTHALPY:
        case MODE_PRESSURE_ENERGY:
        case MODE_PRESSURE_ENTROPY:
        case MODE_PRESSURE_DENSITY: {
            // The solvers of these modes start from the saturation at P, and the result needs it
            // again at P0 = P.
            sol.p0 = in.first;
            if (!(in.first > M::CONSTANTS.critical_pressure)) {
                sol.ts = sat.T_s;
                sol.l = sat.liquid;
                sol.v = sat.vapour;
                sol.saturation_known = true;
            }
            if (in.mode == MODE_PRESSURE_TEMPERATURE) {
                flash::Solvers<M>::state_from_pressure_temperature(in.metastable_side, in.first,
                                                                   in.second, sat, sol.phase, sol.x,
                                                                   sol.a, sol.b, third);
            } else {
                flash::Solvers<M>::state_from_pressure_property(
                    ISOBAR_PROPERTY[in.mode - MODE_PRESSURE_ENTHALPY], in.metastable_side, in.first,
                    in.second, sat, sol.phase, sol.x, sol.a, sol.b);
            }
            return;
        }
        default: {  // MODE_TEMPERATURE_DENSITY
            // The solver forms the saturation at the result's pressure: the state's own, or the
            // mixture's saturation pressure at T.
            PressureSaturation at_p0{};
            flash::Solvers<M>::state_from_temperature_density(in.metastable_side, in.first,
                                                              in.second, sol.phase, sol.x, sol.a,
                                                              sol.b, sol.p0, at_p0, third);
            if (sol.phase != PHASE_SUPERCRITICAL) {
                sol.ts = at_p0.T_s;
                sol.l = at_p0.liquid;
                sol.v = at_p0.vapour;
                sol.saturation_known = true;
            }
            return;
        }
    }
    // Saturation modes without a side (those with one are solve_saturated_side's): the saturated
    // pair is the mixture at x = 0.
    sol.a = sol.l;
    sol.b = sol.v;
    sol.phase = PHASE_TWO_PHASE;
    sol.x = 0.0;
}

// Near the critical point the density along an isobar is so steep in T that the (P, rho)
// solver's temperature can leave the state's density 3e-5 relative off the given one (well
// within the density tolerance, yet 1.7 Pa off the pressure at the given density). Along the
// given density's isochore the pressure is well conditioned in T: Newton steps there put the
// state on both inputs. The result is checked as any other state; a step that does not settle
// leaves a state that the checks refuse.
template <class M>
void polish_on_isochore(const double& p, const double& rho, FluidState& s) {
    FluidState q = s;
    double t = s.T - KELVIN_OFFSET;
    const double tolerance = std::fmin(POLISH_PRESSURE_TOLERANCE, POLISH_RELATIVE_PRESSURE * p);
    for (int step = 0; step < POLISH_STEPS; ++step) {
        M::evaluate(t, rho, q);
        const double dp = state_pressure(q) - p;
        if (std::fabs(dp) <= tolerance) {
            s = q;
            return;
        }
        const double slope = M::dp_dt_rho(q);
        if (!(slope > 0.0) || !std::isfinite(dp)) {
            return;
        }
        t -= dp / slope;
    }
    s = q;
}

// A (P, rho) solution to put on the given density: one that the solver left a little off it
// (farther off, it is another state, and the checks judge it as it is). Saturated records keep
// the equilibrium densities.
template <class M>
bool needs_polish(const Inputs& in, const Solution& sol, const FluidState& s) {
    if (sol.phase != PHASE_SUPERCRITICAL && (same_record(s, sol.l) || same_record(s, sol.v))) {
        return false;
    }
    const double off = std::fabs(s.rho - in.second);
    if (!(off <= DENSITY_POLISH_LIMIT * in.second)) {
        return false;
    }
    return off > DENSITY_POLISH_THRESHOLD * in.second ||
           std::fabs(M::pressure(s.T - KELVIN_OFFSET, in.second) - in.first) >
               POLISH_RELATIVE_PRESSURE * in.first;
}

// The given property of the pressure modes and its value in state s.
// Inlined, as in the one calculation it served before there was one per model.
[[gnu::always_inline]] inline bool target_of(const Inputs& in, const Solution& sol,
                                             const FluidState& s, double& target, double& value) {
    switch (in.mode) {
        case MODE_PRESSURE_QUALITY:
            target = sol.h_mix;
            value = state_enthalpy(s);
            return true;
        case MODE_PRESSURE_ENTHALPY:
            target = in.second;
            value = state_enthalpy(s);
            return true;
        case MODE_PRESSURE_ENERGY:
            target = in.second;
            value = state_internal_energy(s);
            return true;
        case MODE_PRESSURE_ENTROPY:
            target = in.second;
            value = state_entropy(s);
            return true;
        case MODE_PRESSURE_DENSITY:
            target = in.second;
            value = s.rho;
            return true;
        default:
            return false;
    }
}

// Whether s, a liquid below its saturated-liquid density, is the superheated liquid at its own
// pressure and temperature, or the saturated liquid (at the saturation temperature to the
// rounding of its density); ts is the saturation temperature at its pressure, x its relative
// enthalpy there.
template <class M>
bool is_superheated_liquid(const FluidState& s, const double& ts, const double& x) {
    const double p = state_pressure(s);
    const double t = s.T - KELVIN_OFFSET;
    if (!pressure_admitted_for_state<M>(t, s.rho, p) || !(s.rho > M::CONSTANTS.critical_density) ||
        !(t >= ts - SATURATED_TEMPERATURE_TOLERANCE)) {
        return false;
    }
    const int superheat = 1;
    int phase = 0;
    double solver_x = 0.0;
    FluidState liquid{};
    FluidState vapour{};
    flash::Solvers<M>::state_from_pressure_temperature(superheat, p, t, phase, solver_x, liquid,
                                                       vapour);
    if (phase != PHASE_LIQUID) {
        return false;
    }
    if (std::fabs(liquid.T - s.T) > STATE_TEMPERATURE_ROUNDING) {
        // The solver answered a state at another temperature: the saturated liquid that stands
        // for the superheated liquid above its ceiling (129.4 degC), or the limit state. Only the
        // saturated liquid itself, to rounding, is then the answer: at the saturation temperature
        // and on the saturation line (8e-10 K above it at 131.99 degC, quality 3.8e-9, is a
        // superheated liquid that no pair with the option gives).
        return std::fabs(t - ts) <= SATURATED_TEMPERATURE_TOLERANCE &&
               std::fabs(x) <= SATURATED_QUALITY_TOLERANCE;
    }
    // The densities agree to the solver's pressure acceptance, converted by (d rho / d p)_T.
    return std::fabs(liquid.rho - s.rho) <= 1e-9 * s.rho + M::drho_dp_t(s) * PRESSURE_TOLERANCE;
}

// Whether the single-phase state s is the answer to the request (none), or why not: the solvers
// never report failure, so a state that does not reproduce what was given (a missed density
// bracket, a search stopped at the end of its range, the superheat-limit state returned for an
// unreachable target) is caught here.
template <class M>
RefusalReason state_answers_request(const Inputs& in, const Solution& sol, const FluidState& s) {
    if (is_saturation_mode(in.mode)) {
        return RefusalReason::none;  // the saturated pair at the given pressure or temperature
    }
    // The saturated records are the equation's phase equilibrium at P0 (their own pressures agree
    // with it only as far as the rounding of their densities allows); every other state is a
    // solution of the equation of state and must be mechanically stable and reproduce the given
    // pressure.
    const bool saturated_record =
        sol.phase != PHASE_SUPERCRITICAL && (same_record(s, sol.l) || same_record(s, sol.v));
    if (!saturated_record) {
        if (!(stability(s) > 0.0)) {
            return RefusalReason::unstable_state;
        }
        if (in.mode != MODE_TEMPERATURE_DENSITY &&
            !(std::fabs(state_pressure(s) - in.first) <= PRESSURE_TOLERANCE)) {
            return RefusalReason::not_reproduced;
        }
    }
    if (in.mode == MODE_PRESSURE_TEMPERATURE &&
        !(std::fabs((s.T - KELVIN_OFFSET) - in.second) <= TEMPERATURE_MARGIN)) {
        // e.g. a superheated liquid solved at the limit instead of the input
        return RefusalReason::not_reproduced;
    }
    double target = 0.0;
    double value = 0.0;
    if (target_of(in, sol, s, target, value) && !(std::fabs(value - target) <= TARGET_TOLERANCE)) {
        return RefusalReason::not_reproduced;
    }
    // A saturated record answers a given density or temperature only at its own: off it, the
    // state shown at the given value has another pressure (a liquid's by 2e4 Pa per 0.01 kg/m3,
    // or 3e5 Pa per 1e-5 K at constant density).
    if (saturated_record && in.mode == MODE_PRESSURE_DENSITY &&
        !(std::fabs(value - target) <= SATURATED_DENSITY_TOLERANCE * target)) {
        return RefusalReason::not_reproduced;
    }
    // Nor a given caloric value off its own: the superheat option above its ceiling (129.4 degC)
    // answers the saturated liquid for a liquid's value, which must then be that liquid's (an
    // enthalpy 0.001 J/kg above it was shown beside the saturated liquid's state).
    if (saturated_record && in.mode >= MODE_PRESSURE_ENTHALPY && in.mode <= MODE_PRESSURE_ENTROPY) {
        const double scale = in.mode == MODE_PRESSURE_ENTROPY ? ENTROPY_SCALE : ENERGY_SCALE;
        if (!(std::fabs(value - target) <=
              SATURATED_CALORIC_TOLERANCE * std::fmax(std::fabs(target), scale))) {
            return RefusalReason::not_reproduced;
        }
    }
    if (saturated_record && in.mode == MODE_PRESSURE_TEMPERATURE &&
        !(std::fabs((s.T - KELVIN_OFFSET) - in.second) <= SATURATED_TEMPERATURE_TOLERANCE)) {
        return RefusalReason::not_reproduced;
    }
    if (in.mode == MODE_TEMPERATURE_DENSITY && sol.phase == PHASE_LIQUID &&
        in.metastable_side == 1) {
        // With the superheat option every point not above the critical pressure comes back as a
        // liquid. A relabelled point (below the saturated-liquid density at its temperature) is
        // shown only if it is the superheated liquid itself: hotter than the saturation
        // temperature at its pressure, that pressure inside the domain, and the state the
        // (P, T) solver with the superheat option finds at its pressure and temperature. The
        // equation's loop inside the dome has stretches that look stable, with pressures in
        // the domain, that are none of these (at 31.58 degC and 247.7 kg/m3: 9.45 bar, where
        // the superheated liquid has 592.4 kg/m3).
        SaturationEquilibrium e;
        const bool stable_liquid =
            M::saturation_at_temperature(s.T, e) == SATURATION_EQUILIBRIUM_OK &&
            s.rho >= e.rho_liquid;
        if (!stable_liquid && !is_superheated_liquid<M>(s, sol.ts, sol.x)) {
            return RefusalReason::not_superheated_liquid;
        }
    }
    return RefusalReason::none;
}

[[gnu::always_inline]] inline void fill_mixture(const Inputs& in, const Solution& sol,
                                                PropertyResult& r) {
    const double x = sol.x;
    const double hl = state_enthalpy(sol.l);
    const double hv = state_enthalpy(sol.v);
    r.pressure = sol.p0;
    // The (T, rho) mixture lies at the pressure whose saturation temperature is the given one.
    r.temperature = in.mode == MODE_TEMPERATURE_DENSITY ? in.first : sol.ts;
    if (in.mode == MODE_PRESSURE_QUALITY) {
        r.specific_enthalpy = sol.h_mix;
    } else if (in.mode == MODE_PRESSURE_ENTHALPY) {
        r.specific_enthalpy = in.second;
    } else {
        r.specific_enthalpy = (1.0 - x) * hl + x * hv;
    }
    r.specific_internal_energy =
        in.mode == MODE_PRESSURE_ENERGY
            ? in.second
            : (1.0 - x) * state_internal_energy(sol.l) + x * state_internal_energy(sol.v);
    r.specific_entropy = in.mode == MODE_PRESSURE_ENTROPY
                             ? in.second
                             : (1.0 - x) * state_entropy(sol.l) + x * state_entropy(sol.v);
    if (in.mode == MODE_PRESSURE_DENSITY || in.mode == MODE_TEMPERATURE_DENSITY) {
        // The given density itself, not 1 / (1 / rho), which can differ in the last bit.
        r.mass_density = in.second;
        r.specific_volume = 1.0 / in.second;
    } else {
        r.specific_volume = (1.0 - x) / sol.l.rho + x / sol.v.rho;
        r.mass_density = 1.0 / r.specific_volume;
    }
    // Not defined for a mixture: cleared, so that nothing stale can be shown or copied.
    r.isobaric_heat_capacity = 0.0;
    r.isochoric_heat_capacity = 0.0;
    r.isentropic_coefficient = 0.0;
    r.thermal_conductivity = 0.0;
    r.kinematic_viscosity = 0.0;
    r.dynamic_viscosity = 0.0;
    r.prandtl_number = 0.0;
    r.speed_of_sound = 0.0;
    r.surface_tension = 0.0;
    r.expansion_coefficient = 0.0;
    r.phase_detail = 0;
    r.latent_heat = hv - hl;
}

template <class M>
void fill_single_phase(const Inputs& in, const Solution& sol, const FluidState& s,
                       PropertyResult& r) {
    switch (in.mode) {
        case MODE_SATURATION_TEMPERATURE:
            r.temperature = in.first;
            break;
        case MODE_PRESSURE_TEMPERATURE:
            r.temperature = in.second;
            break;
        default:
            r.temperature = s.T - KELVIN_OFFSET;
            break;
    }
    // Both saturated phases at a temperature show the equilibrium pressure.
    switch (in.mode) {
        case MODE_SATURATION_TEMPERATURE:
            r.pressure = sol.p0;
            break;
        case MODE_TEMPERATURE_DENSITY: {
            // A supercritical state just below the critical pressure is shown at it (the
            // solver's P).
            r.pressure = sol.phase == PHASE_SUPERCRITICAL ? sol.p0 : state_pressure(s);
            // A liquid at or above the saturated-liquid density is at or above the saturation
            // pressure; rounding of its density can put its own pressure below (by 2e-7 Pa at
            // -77 degC), and outside the domain.
            SaturationEquilibrium e;
            if (sol.phase == PHASE_LIQUID &&
                M::saturation_at_temperature(s.T, e) == SATURATION_EQUILIBRIUM_OK &&
                s.rho >= e.rho_liquid && r.pressure < e.p) {
                r.pressure = e.p;
            }
            r.pressure = pressure_inside_domain<M>(r.pressure);
            break;
        }
        default:
            r.pressure = in.first;
            break;
    }
    if (in.mode == MODE_PRESSURE_QUALITY) {
        r.specific_enthalpy = sol.h_mix;
    } else if (in.mode == MODE_PRESSURE_ENTHALPY) {
        r.specific_enthalpy = in.second;
    } else {
        r.specific_enthalpy = state_enthalpy(s);
    }
    r.specific_internal_energy =
        in.mode == MODE_PRESSURE_ENERGY ? in.second : state_internal_energy(s);
    r.specific_entropy = in.mode == MODE_PRESSURE_ENTROPY ? in.second : state_entropy(s);
    const bool density_given =
        in.mode == MODE_PRESSURE_DENSITY || in.mode == MODE_TEMPERATURE_DENSITY;
    r.mass_density = density_given ? in.second : s.rho;
    r.isobaric_heat_capacity = state_cp(s);
    r.isochoric_heat_capacity = state_cv(s);
    r.speed_of_sound = state_speed_of_sound(s);
    r.isentropic_coefficient = M::isentropic_exponent(s);
    TransportProperties transport{};
    M::transport(s, transport);
    r.thermal_conductivity = transport.thermal_conductivity;
    r.prandtl_number = transport.prandtl;
    r.dynamic_viscosity = transport.viscosity * 1e-6;
    r.surface_tension = sol.phase == PHASE_LIQUID ? M::surface_tension(s) : 0.0;
    // beta = (d rho / d p)_T (d p / d T)_rho / rho, with the density of the state itself.
    r.expansion_coefficient = M::drho_dp_t(s) * M::dp_dt_rho(s) / s.rho;
    r.kinematic_viscosity = r.dynamic_viscosity / r.mass_density;
    r.specific_volume = 1.0 / r.mass_density;

    const double t = r.temperature;
    const double& ts = sol.ts;
    int detail = 0;
    if (sol.phase == PHASE_SUPERCRITICAL) {
        detail = 3;
    } else if (is_saturation_mode(in.mode)) {
        detail = 0;
    } else if (in.mode == MODE_PRESSURE_QUALITY) {
        // The given quality places the state, not the solver's temperature, which lies within
        // rounding of the saturation temperature when the enthalpy is that of a saturated phase
        // (x = -1e-20 or 1e-300 give the saturated liquid's enthalpy exactly).
        const double h_saturated = state_enthalpy(sol.phase == PHASE_LIQUID ? sol.l : sol.v);
        detail = sol.h_mix < h_saturated ? -1 : (sol.h_mix > h_saturated ? 1 : 0);
    } else if (sol.phase == PHASE_LIQUID) {
        detail = t < ts ? -1 : (t > ts ? 1 : 0);
    } else {  // vapour
        detail = t > ts ? 1 : 0;
    }
    r.phase_detail = detail;
    if (detail != 0) {
        r.latent_heat = 0.0;
    } else if (is_saturation_mode(in.mode)) {
        r.latent_heat = sol.latent_heat;
    } else {
        r.latent_heat = state_enthalpy(sol.v) - state_enthalpy(sol.l);
    }
}

// The fields a transport correlation gives: undefined (NaN) outside the correlation's stated
// range, which may be narrower than the equation's (the 2018 viscosity up to 50 MPa), without
// making the state itself any less valid.
bool is_transport_field(const int field) {
    return field == FIELD_CONDUCTIVITY || field == FIELD_KINEMATIC_VISCOSITY ||
           field == FIELD_DYNAMIC_VISCOSITY || field == FIELD_PRANDTL;
}

// Every field the result table shows must be a number. A supercritical result does not show its
// relative enthalpy; a mixture's undefined fields are cleared to zero.
bool shown_fields_finite(const PropertyResult& r) {
    const ResultValues v = result_values(r);
    // x * 0 is a zero for every finite x and NaN for an infinite or NaN one: the sum over the
    // fields is zero exactly when all of them are finite, found without a branch per field.
    // Field 0, the relative enthalpy, is not shown for a supercritical state.
    double zero = 0.0;
    for (int k = 1; k < RESULT_VALUE_COUNT; ++k) {
        zero += v.value[k] * 0.0;
    }
    return zero == 0.0 && (r.phase == PHASE_SUPERCRITICAL || std::isfinite(r.relative_enthalpy));
}

// shown_fields_finite, except that the transport fields may be NaN: those of a mechanically stable
// state are shown empty. Asked only where shown_fields_finite fails, so that the common answer
// costs no more than that check.
bool shown_fields_finite_but_transport(const PropertyResult& r) {
    const ResultValues v = result_values(r);
    for (int k = 1; k < RESULT_VALUE_COUNT; ++k) {
        if (!std::isfinite(v.value[k]) && !(is_transport_field(k) && std::isnan(v.value[k]))) {
            return false;
        }
    }
    return r.phase == PHASE_SUPERCRITICAL || std::isfinite(r.relative_enthalpy);
}

// Records why a request is refused, when the caller asks; answers INVALID.
int refuse(Refusal* why, const Refusal& refusal) {
    if (why != nullptr) {
        *why = refusal;
    }
    return INVALID;
}

int refuse(Refusal* why, const RefusalReason reason) {
    return refuse(why, Refusal{reason, -1, -1, 0.0, 0.0, 0.0, 0.0});
}

// With `extended`, also the extended fields of a valid record, from the single-phase state it is
// formed from (left alone for a refused request); with `kept`, a copy of that state and its third
// derivatives.
template <class M>
int calculate(const CalcRequest& request, PropertyResult& result, Refusal* why,
              ExtendedValues* extended = nullptr, FormedState* kept = nullptr) {
    const CalcRequest req = request;
    const Inputs in{req.mode, req.side, req.side == SIDE_LIQUID ? 1 : 0, req.first_value,
                    req.second_value};
    // The saturation at the given pressure serves the range check, the solver and the result
    // of the pressure modes: formed once, where the pressure admits one.
    const bool pressure_mode =
        in.mode == MODE_PRESSURE_QUALITY ||
        (in.mode >= MODE_PRESSURE_TEMPERATURE && in.mode <= MODE_PRESSURE_DENSITY);
    const bool saturation_needed = pressure_mode &&
                                   M::CONSTANTS.domain.lowest_admitted_pressure <= in.first &&
                                   in.first <= M::CONSTANTS.critical_pressure;
    PressureSaturation sat{};
    if (saturation_needed) {
        flash::Solvers<M>::saturation_by_pressure(in.first, sat.T_s, sat.liquid, sat.vapour);
    }
    if (check_input_range_with<M>(in.first, in.mode, in.second, saturation_needed ? &sat : nullptr,
                                  why) != 0) {
        return INVALID;
    }
    // In the saturation modes the side becomes the phase code: only 0, 1 and 2 name one.
    if (is_saturation_mode(in.mode) && (in.side < SIDE_NONE || in.side > SIDE_VAPOUR)) {
        return refuse(why, RefusalReason::bad_request);
    }

    Solution sol;
    if (is_saturation_mode(in.mode) && in.side != SIDE_NONE) {
        solve_saturated_side<M>(in, sol);
    } else {
        solve<M>(in, sat, sol, extended != nullptr || kept != nullptr);
    }
    if (sol.phase < PHASE_TWO_PHASE || sol.phase > PHASE_SUPERCRITICAL) {
        return refuse(why, RefusalReason::not_reproduced);
    }
    if (in.mode >= MODE_PRESSURE_TEMPERATURE && sol.phase != PHASE_SUPERCRITICAL &&
        !sol.saturation_known) {
        flash::Solvers<M>::saturation_by_pressure(sol.p0, sol.ts, sol.l, sol.v);
    }
    if (sol.phase != PHASE_SUPERCRITICAL && !std::isfinite(sol.ts)) {
        return refuse(why, RefusalReason::not_reproduced);
    }

    PropertyResult r{};
    const FluidState* formed_from = nullptr;  // the single-phase state behind the record
    r.relative_enthalpy = sol.x;
    r.phase = sol.phase;
    if (sol.phase == PHASE_TWO_PHASE) {
        if (sol.ts > M::CONSTANTS.saturation_limit_temperature) {
            // Mixtures are answered up to the saturation limit, 0.01 K below the critical point.
            return refuse(why, Refusal{RefusalReason::above_maximum, -1, FIELD_TEMPERATURE, sol.ts,
                                       M::CONSTANTS.saturation_limit_temperature, 0.0, 0.0});
        }
        if (in.mode == MODE_TEMPERATURE_DENSITY &&
            !(std::fabs(sol.ts - in.first) <= MIXTURE_TEMPERATURE_MARGIN && sol.x >= 0.0 &&
              sol.x <= 1.0)) {
            // The mixture's records are the equilibrium at the given temperature itself; this
            // guards against a record that is not.
            return refuse(why, Refusal{RefusalReason::not_reproduced, 0, FIELD_TEMPERATURE, sol.ts,
                                       in.first, sol.p0, 0.0});
        }
        if (!(sol.x >= 0.0 && sol.x <= 1.0)) {
            // A mixture is a vapour mass fraction in [0, 1] or no mixture at all.
            return refuse(why, RefusalReason::not_reproduced);
        }
        fill_mixture(in, sol, r);
        if (!shown_fields_finite(r)) {
            return refuse(why, RefusalReason::not_reproduced);
        }
    } else {
        FluidState& s = sol.phase == PHASE_LIQUID ? sol.a : sol.b;
        if (in.mode == MODE_PRESSURE_DENSITY && needs_polish<M>(in, sol, s)) {
            polish_on_isochore<M>(in.first, in.second, s);
        }
        if (sol.phase == PHASE_LIQUID && !is_saturation_mode(in.mode)) {
            // Superheat limit: only a liquid hotter than the saturation temperature can exceed
            // it (the limit is never below Ts). In the (P, T) mode the
            // solver stops at the limit, so the input temperature is the one to test.
            const double t = in.mode == MODE_PRESSURE_TEMPERATURE ? in.second : s.T - KELVIN_OFFSET;
            const double limit = M::superheat_limit_temperature(sol.ts);
            if (t > sol.ts && !(t - limit <= TEMPERATURE_MARGIN)) {
                const int input = in.mode == MODE_PRESSURE_TEMPERATURE ? 1 : -1;
                return refuse(why, Refusal{RefusalReason::superheat_limit, input, FIELD_TEMPERATURE,
                                           t, limit, sol.p0, 0.0});
            }
        }
        if (const RefusalReason reason = state_answers_request<M>(in, sol, s);
            reason != RefusalReason::none) {
            return refuse(why, reason);
        }
        fill_single_phase<M>(in, sol, s, r);
        formed_from = &s;
        if (!shown_fields_finite(r) &&
            !(stability(s) > 0.0 && shown_fields_finite_but_transport(r))) {
            // A state in the equation's unstable region, where cp and the speed of sound are not
            // defined, is refused as such.
            return refuse(why, stability(s) > 0.0 ? RefusalReason::not_reproduced
                                                  : RefusalReason::unstable_state);
        }
        // A liquid above the melting line is a solid (the saturated liquid at the triple point
        // lies on it, to the rounding the tolerance allows).
        // The pressure is finite here: a model without a melting line (+infinity) has no test.
        if (const double p_melt = M::melting_pressure(r.temperature);
            p_melt != HUGE_VAL && !(r.pressure <= p_melt * (1.0 + MELTING_PRESSURE_TOLERANCE))) {
            const bool given =
                in.mode != MODE_TEMPERATURE_DENSITY && in.mode != MODE_SATURATION_TEMPERATURE;
            return refuse(why, Refusal{RefusalReason::melting_line, given ? 0 : -1, FIELD_PRESSURE,
                                       r.pressure, p_melt, p_melt, r.temperature});
        }
    }
    result = r;
    if (extended != nullptr) {
        extended_fields_of<M>(r, formed_from, sol.third.formed ? &sol.third : nullptr, *extended);
    }
    if (kept != nullptr && formed_from != nullptr) {
        kept->single_phase = true;
        kept->state = *formed_from;
        kept->third = sol.third;
    }
    return VALID;
}

}  // namespace

int calculate_properties(const CalcRequest& request, PropertyResult& result) {
    return calculate<DefaultModel>(request, result, nullptr);
}

int calculate_properties_with_reason(const CalcRequest& request, PropertyResult& result,
                                     Refusal& why) {
    return calculate<DefaultModel>(request, result, &why);
}

template <class M>
int calculate_properties_for(const CalcRequest& request, PropertyResult& result, Refusal& why) {
    return calculate<M>(request, result, &why);
}

template <class M>
int calculate_properties_keeping_state(const CalcRequest& request, PropertyResult& result,
                                       FormedState& kept, Refusal& why) {
    kept.single_phase = false;
    return calculate<M>(request, result, &why, nullptr, &kept);
}

template <class M>
int calculate_properties_and_extended_for(const CalcRequest& request, PropertyResult& result,
                                          ExtendedValues& extended, Refusal& why) {
    const int status = calculate<M>(request, result, &why, &extended);
    if (status != VALID) {
        std::fill(std::begin(extended.value), std::end(extended.value),
                  std::numeric_limits<double>::quiet_NaN());
    }
    return status;
}

#define ZELTRA5_INSTANTIATE(Model)                                                                 \
    template int calculate_properties_for<Model>(const CalcRequest&, PropertyResult&, Refusal&);   \
    template int calculate_properties_keeping_state<Model>(const CalcRequest&, PropertyResult&,    \
                                                           FormedState&, Refusal&);                \
    template int calculate_properties_and_extended_for<Model>(const CalcRequest&, PropertyResult&, \
                                                              ExtendedValues&, Refusal&);
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

}  // namespace zeltra5
