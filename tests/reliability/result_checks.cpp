#include "result_checks.hpp"

#include <cmath>
#include <cstring>

#include "domain.hpp"
#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/flash.hpp"
#include "zeltra5/pairs.hpp"

namespace zeltra5::reliability {
namespace {

// Round-trip tolerances. A single-phase state is accepted by the front end within 0.01 Pa of its
// given pressure and 0.01 of its given caloric property; the relative terms cover the rounding
// of t + 273.15 and of the property formulas.
constexpr double PRESSURE_ABS = 0.02;  // Pa
constexpr double PRESSURE_REL = 1e-11;
// A saturated record carries the saturation fits' density, whose pressure under the equation
// differs from the saturation pressure by the fits' error (most near the critical point).
constexpr double SATURATED_PRESSURE_REL = 1e-3;
constexpr double CALORIC_ABS = 0.02;  // J/kg, J/(kg K)
constexpr double CALORIC_REL = 1e-11;
constexpr double DENSITY_REL = 1e-9;         // the (P, T) state's density against the reported one
constexpr double RECIPROCAL_TOL = 1e-15;     // |rho v - 1|
constexpr double MODE8_TEMPERATURE = 1e-10;  // K: (t + 273.15) - 273.15 against t
// A mixture's temperature against the saturation temperature at its pressure. In mode 2 the
// pressure is that of the fitted saturated liquid at t (capped at the critical pressure);
// elsewhere the two come from the same solver call. Mode 8 shows that saturation temperature
// instead of the given one.
constexpr double SATURATION_FITTED = 1e-3;                 // K
constexpr double SATURATION_FITTED_NEAR_CRITICAL = 1e-1;   // K, from 130 degC up
constexpr double SATURATION_SOLVED = 1e-9;                 // K
constexpr double MIXTURE_REL = 1e-12;                      // mixture properties against the quality
constexpr double MIXTURE_FITTED_REL = 1e-4;                // the same in mode 8
constexpr double MIXTURE_FITTED_NEAR_CRITICAL_REL = 1e-1;  // and there from 130 degC up
constexpr double LINE_PAIR_REL = 3e-9;                     // the same in the line pairs
constexpr double QUALITY_MARGIN = 1e-9;                    // a mixture's quality lies in [0, 1]
// A single-phase density beyond the saturated density of its own branch at its temperature
// (relative). The saturation fits agree with the equation to about 1e-8 except in the last
// degrees below the critical point, where they are pulled to 225 kg/m3.
constexpr double BRANCH_REL = 1e-6;
constexpr double NEAR_CRITICAL_C = 130.0;
// How far above the equation's own critical temperature its isotherms may keep a loop (the
// 1993 equation's lose theirs between 132.34 and 132.36 degC, its critical point at 132.35).
constexpr double CRITICAL_LOOP_MARGIN = 0.01;  // K
// A state this close to the saturation temperature at its pressure is on the saturation line.
constexpr double SATURATION_LINE = 1e-9;  // K

// Within a few kelvin of the critical point the saturation fits are pulled to 225 kg/m3, and
// whatever is formed from the fitted saturated liquid's pressure moves further off.
double fitted_saturation_tolerance(const double t) {
    return t < NEAR_CRITICAL_C ? SATURATION_FITTED : SATURATION_FITTED_NEAR_CRITICAL;
}

void note(Deviation& d, const double value, const CalcRequest& request) {
    if (value > d.value) {
        d.value = value;
        d.request = request;
    }
}

bool within(const double deviation, const double tolerance) {
    return deviation <= tolerance;  // false for NaN
}

bool valid_phase_pair(const int phase, const int detail) {
    switch (phase) {
        case PHASE_TWO_PHASE:
            return detail == 0;
        case PHASE_LIQUID:
            return detail >= -1 && detail <= 1;
        case PHASE_VAPOUR:
            return detail == 0 || detail == 1;
        case PHASE_SUPERCRITICAL:
            return detail == 3;
        default:
            return false;
    }
}

bool is_pressure_mode(const int mode) {
    return mode <= MODE_PRESSURE_DENSITY && mode != MODE_SATURATION_TEMPERATURE;
}

// The pairs beyond the Windows program's menu form their states from a temperature: the (t, rho)
// state, or the mixture on the saturation at t.
bool is_line_mode(const int mode) {
    return mode > LAST_PROGRAM_MODE;
}

// Where a line pair's state holds its given values.
double given_field(const PropertyResult& r, const int field) {
    return result_values(r).value[field];
}

// The saturated densities of the model's equilibrium at t (degC).
template <class M>
SaturationEquilibrium equilibrium_at(const double t) {
    SaturationEquilibrium e{};
    M::saturation_at_temperature(t + KELVIN_OFFSET, e);
    return e;
}

const char* check_given_fields(const CalcRequest& q, const PropertyResult& r, Deviations& dev) {
    if (is_pressure_mode(q.mode) && r.pressure != q.first_value) {
        return "pressure differs from the given one";
    }
    if (is_line_mode(q.mode)) {
        const ArgPair* pair = find_arg_pair(q.mode, SIDE_NONE);
        if (pair == nullptr) {
            return "a valid answer to an unknown mode";
        }
        if (given_field(r, pair->first_field) != q.first_value ||
            given_field(r, pair->second_field) != q.second_value) {
            return "a given value differs from the one in the result";
        }
        return nullptr;
    }
    switch (q.mode) {
        case MODE_PRESSURE_QUALITY:
            if (r.relative_enthalpy != q.second_value) {
                return "quality differs from the given one";
            }
            break;
        case MODE_SATURATION_PRESSURE:
        case MODE_SATURATION_TEMPERATURE:
            if (r.phase != q.side || r.phase_detail != 0) {
                return "saturation phase is not the requested side";
            }
            if (r.relative_enthalpy != (q.side == SIDE_VAPOUR ? 1.0 : 0.0)) {
                return "saturation quality is not 0 or 1 by side";
            }
            if (q.mode == MODE_SATURATION_TEMPERATURE && r.temperature != q.first_value) {
                return "temperature differs from the given one";
            }
            break;
        case MODE_PRESSURE_TEMPERATURE:
            if (r.temperature != q.second_value) {
                return "temperature differs from the given one";
            }
            break;
        case MODE_PRESSURE_ENTHALPY:
            if (r.specific_enthalpy != q.second_value) {
                return "enthalpy differs from the given one";
            }
            break;
        case MODE_PRESSURE_ENERGY:
            if (r.specific_internal_energy != q.second_value) {
                return "internal energy differs from the given one";
            }
            break;
        case MODE_PRESSURE_ENTROPY:
            if (r.specific_entropy != q.second_value) {
                return "entropy differs from the given one";
            }
            break;
        case MODE_PRESSURE_DENSITY:
            if (r.mass_density != q.second_value) {
                return "density differs from the given one";
            }
            break;
        default: {  // MODE_TEMPERATURE_DENSITY
            if (r.mass_density != q.second_value) {
                return "density differs from the given one";
            }
            // A mixture shows the saturation temperature at the fitted liquid's pressure.
            const bool mixture = r.phase == PHASE_TWO_PHASE;
            const double dt = std::fabs(r.temperature - q.first_value);
            if (!within(dt,
                        mixture ? fitted_saturation_tolerance(q.first_value) : MODE8_TEMPERATURE)) {
                return "temperature differs from the given one";
            }
            note(mixture ? dev.mode8_mixture_temperature : dev.mode8_temperature, dt, q);
            break;
        }
    }
    return nullptr;
}

template <class M>
const char* check_domain(const CalcRequest& q, const PropertyResult& r) {
    const ModelConstants& c = M::CONSTANTS;
    const DomainLimits& d = c.domain;
    // No mode shows a state outside the temperature domain (mode 0 admits mixture enthalpies up
    // to that of the vapour at 500 degC, but refuses what lies above the domain).
    const double t_max = d.max_temperature;
    if (!(d.min_temperature - 1e-9 <= r.temperature && r.temperature <= t_max + 1e-9)) {
        return "temperature outside the domain";
    }
    // Where the temperature is given (modes 2 and 8), a state within a few hundredths of a kelvin
    // below the critical temperature is classified against the saturation fits, which reach
    // 11339342 Pa there: its pressure may lie that far above the critical pressure. Every other
    // result below the critical pressure stays below it; a supercritical one lies at or above it
    // (at the critical pressure itself there is no saturation line to place a state against).
    const bool temperature_given = q.mode == MODE_SATURATION_TEMPERATURE ||
                                   q.mode == MODE_TEMPERATURE_DENSITY || is_line_mode(q.mode);
    const double upper = r.phase == PHASE_SUPERCRITICAL ? d.max_pressure * (1.0 + 1e-12)
                         : temperature_given            ? c.critical_pressure * 1.001
                                                        : c.critical_pressure;
    // (or in the 3e-8 Pa below it where the equilibrium has no solution and both saturated
    // records are the critical point).
    bool top_of_the_line = false;
    if (r.phase == PHASE_SUPERCRITICAL && r.pressure < c.critical_pressure) {
        double t_s = 0.0;
        FluidState liquid{};
        FluidState vapour{};
        flash::Saturation<M>::saturation_by_pressure(r.pressure, t_s, liquid, vapour);
        top_of_the_line = liquid.rho == vapour.rho;
    }
    const double lower = r.phase != PHASE_SUPERCRITICAL ? d.min_pressure * 0.999
                         : top_of_the_line              ? r.pressure
                                                        : c.critical_pressure;
    if (!(lower <= r.pressure) || !(r.pressure <= upper)) {
        return "pressure outside the range of its phase";
    }
    return nullptr;
}

double mix(const double x, const double liquid, const double vapour) {
    return (1.0 - x) * liquid + x * vapour;
}

template <class M>
const char* check_mixture(const CalcRequest& q, const PropertyResult& r, Deviations& dev) {
    const double x = r.relative_enthalpy;
    if (!(-QUALITY_MARGIN <= x && x <= 1.0 + QUALITY_MARGIN)) {
        return "mixture quality outside [0, 1]";
    }
    // The saturated pair the mixture is made of: at its temperature in mode 2 (the pressure is
    // then the fitted liquid's), at its pressure otherwise.
    FluidState l{};
    FluidState v{};
    double ts = 0.0;
    flash::Saturation<M>::saturation_by_pressure(r.pressure, ts, l, v);
    const bool fitted_pressure = q.mode == MODE_SATURATION_TEMPERATURE || is_line_mode(q.mode);
    const double dts = std::fabs(ts - r.temperature);
    if (!within(dts,
                fitted_pressure ? fitted_saturation_tolerance(r.temperature) : SATURATION_SOLVED)) {
        return "mixture temperature is not the saturation temperature at its pressure";
    }
    note(dev.saturation, dts, q);
    if (fitted_pressure) {
        double ps = 0.0;
        flash::Saturation<M>::saturation_by_temperature(r.temperature, ps, l, v);
    }
    const double hl = state_enthalpy(l);
    const double hv = state_enthalpy(v);
    if (!within(std::fabs(r.latent_heat - (hv - hl)), 1e-9 * std::fabs(hv - hl) + 1e-6) ||
        !(r.latent_heat >= 0.0)) {
        return "mixture latent heat is not h'' - h'";
    }
    // Mode 8 forms the quality from the saturated densities at the given temperature and the
    // properties from the pair at the pressure of the fitted liquid.
    // The line pairs hold their given h, u, s or density, which the mixture reproduces to their
    // acceptance (1e-9 of the value, or of 1e6 J/kg and 1e4 J/(kg K)).
    const double rel = is_line_mode(q.mode)                 ? LINE_PAIR_REL
                       : q.mode != MODE_TEMPERATURE_DENSITY ? MIXTURE_REL
                       : q.first_value < NEAR_CRITICAL_C    ? MIXTURE_FITTED_REL
                                                            : MIXTURE_FITTED_NEAR_CRITICAL_REL;
    struct Pair {
        double reported;
        double liquid;
        double vapour;
    };
    const Pair pairs[] = {
        {r.specific_enthalpy, hl, hv},
        {r.specific_internal_energy, state_internal_energy(l), state_internal_energy(v)},
        {r.specific_entropy, state_entropy(l), state_entropy(v)},
        {r.specific_volume, 1.0 / l.rho, 1.0 / v.rho},
    };
    for (const Pair& p : pairs) {
        const double scale = std::fmax(std::fabs(p.liquid), std::fabs(p.vapour));
        const double d = std::fabs(p.reported - mix(x, p.liquid, p.vapour)) / scale;
        if (!within(d, rel)) {
            return "mixture property is not the quality's mixture of the saturated pair";
        }
        note(q.mode == MODE_TEMPERATURE_DENSITY ? dev.mode8_mixture : dev.mixture, d, q);
    }
    return nullptr;
}

double stability(const FluidState& s) {
    return 1.0 + 2.0 * s.delta * s.phir_d + s.delta * s.delta * s.phir_dd;
}

// Whether each transport cell of a single-phase state is positive, or NaN where the model's own
// correlation is undefined at the state (the viscosity for the viscosities and the Prandtl
// number, the conductivity for itself and the Prandtl number).
template <class M>
bool transport_cells_hold(const PropertyResult& r, const FluidState& s) {
    TransportProperties tp{};
    M::transport(s, tp);
    const bool no_viscosity = std::isnan(tp.viscosity);
    const bool no_conductivity = std::isnan(tp.thermal_conductivity);
    const auto holds = [](const double cell, const bool undefined) {
        return cell > 0.0 || (undefined && std::isnan(cell));
    };
    return holds(r.dynamic_viscosity, no_viscosity) && holds(r.kinematic_viscosity, no_viscosity) &&
           holds(r.thermal_conductivity, no_conductivity) &&
           holds(r.prandtl_number, no_viscosity || no_conductivity);
}

template <class M>
const char* check_single_phase(const CalcRequest& q, const PropertyResult& r, Deviations& dev) {
    const ModelConstants& c = M::CONSTANTS;
    FluidState s{};
    M::evaluate(r.temperature, r.mass_density, s);
    if (!(stability(s) > 0.0)) {
        return "state is mechanically unstable";
    }
    const double t = r.temperature;
    // The saturation at the reported pressure. A saturated record (the saturation modes, or a
    // search that ended on the saturated state) carries the fits' density, whose pressure under
    // the equation differs from the saturation pressure by the fits' error; its temperature may
    // lie a rounding error off Ts, so it can be labelled subcooled or superheated.
    double ts = 0.0;
    FluidState l{};
    FluidState v{};
    bool on_saturation_line = false;
    bool saturated_record = false;
    if (r.phase != PHASE_SUPERCRITICAL) {
        flash::Saturation<M>::saturation_by_pressure(r.pressure, ts, l, v);
        on_saturation_line = std::fabs(t - ts) <= SATURATION_LINE;
        saturated_record = r.phase_detail == 0 || on_saturation_line;
    }
    const double dp = std::fabs(state_pressure(s) - r.pressure);
    if (!within(dp, saturated_record ? SATURATED_PRESSURE_REL * r.pressure
                                     : PRESSURE_ABS + PRESSURE_REL * r.pressure)) {
        return "state at the reported (t, rho) does not have the reported pressure";
    }
    note(saturated_record ? dev.saturated_pressure : dev.pressure, dp / r.pressure, q);
    struct Pair {
        double reported;
        double state;
    };
    const Pair pairs[] = {{r.specific_enthalpy, state_enthalpy(s)},
                          {r.specific_internal_energy, state_internal_energy(s)},
                          {r.specific_entropy, state_entropy(s)}};
    for (const Pair& p : pairs) {
        const double d = std::fabs(p.reported - p.state);
        if (!within(d, CALORIC_ABS + CALORIC_REL * std::fabs(p.reported))) {
            return "state at the reported (t, rho) does not have the reported h, u or s";
        }
        note(dev.caloric, d, q);
    }
    const double positive[] = {r.mass_density,           r.pressure,
                               r.isobaric_heat_capacity, r.isochoric_heat_capacity,
                               r.isentropic_coefficient, r.speed_of_sound};
    for (const double f : positive) {
        if (!(f > 0.0)) {
            return "a property that must be positive is not";
        }
    }
    if (!transport_cells_hold<M>(r, s)) {
        return "a transport property is neither positive nor undefined by its correlation";
    }
    if (!(r.surface_tension >= 0.0) || !(r.latent_heat >= 0.0)) {
        return "negative surface tension or latent heat";
    }
    if (!(r.isobaric_heat_capacity >= r.isochoric_heat_capacity * (1.0 - 1e-12))) {
        return "cp below cv";
    }
    // The same state from its pressure and temperature: a state on the equation's unphysical
    // loop inside the dome, or on the wrong branch, has another density there. On the
    // saturation line either branch is an answer, so the branch test below decides there. Up to
    // the equation's own critical temperature the isotherms near the critical density still have
    // a loop, so a pressure and temperature there can have two stable densities. The density is
    // ill-conditioned near the critical point: the tolerance follows (d rho / d p)_T.
    const bool two_roots =
        NEAR_CRITICAL_C <= t && t <= c.critical_temperature + CRITICAL_LOOP_MARGIN;
    if (!saturated_record && !on_saturation_line && !two_roots) {
        const int superheated = r.phase == PHASE_LIQUID && r.phase_detail == 1 ? 1 : 0;
        int phase = 0;
        double x = 0.0;
        FluidState liquid{};
        FluidState vapour{};
        flash::PressureTemperature<M>::state_from_pressure_temperature(superheated, r.pressure, t,
                                                                       phase, x, liquid, vapour);
        const double rho = (phase == PHASE_LIQUID ? liquid : vapour).rho;
        const double d = std::fabs(rho - r.mass_density);
        const double allowed =
            DENSITY_REL * r.mass_density +
            std::fabs(M::drho_dp_t(s)) * (PRESSURE_ABS + PRESSURE_REL * r.pressure);
        if (phase != r.phase || !within(d, allowed)) {
            return "state is not the (P, T) solution at its pressure and temperature";
        }
        note(dev.cross_mode_density, d / r.mass_density, q);
    }
    // The branch: a liquid is denser than the saturated liquid of the model's equilibrium at its
    // temperature unless it is superheated, a vapour thinner than the saturated vapour. Near the
    // critical point the branches merge: not tested there.
    if (r.phase != PHASE_SUPERCRITICAL && t < NEAR_CRITICAL_C) {
        double beyond = 0.0;
        const SaturationEquilibrium e = equilibrium_at<M>(t);
        if (r.phase == PHASE_LIQUID) {
            if (!(r.mass_density > c.critical_density)) {
                return "liquid thinner than the critical density";
            }
            const double rho_l = e.rho_liquid;
            beyond = r.phase_detail == 1 ? (r.mass_density - rho_l) / rho_l
                                         : (rho_l - r.mass_density) / rho_l;
        } else {
            const double rho_v = e.rho_vapour;
            beyond = (r.mass_density - rho_v) / rho_v;
        }
        if (!within(beyond, BRANCH_REL)) {
            return "density on the wrong side of its saturation branch";
        }
        note(dev.branch, beyond, q);
    }
    return nullptr;
}

template <class M>
const char* check_answer(const CalcRequest& q, const PropertyResult& r, Deviations& dev) {
    if (const char* failure = check_domain<M>(q, r)) {
        return failure;
    }
    return r.phase == PHASE_TWO_PHASE ? check_mixture<M>(q, r, dev)
                                      : check_single_phase<M>(q, r, dev);
}

bool is_transport_field(const int k) {
    return k == FIELD_CONDUCTIVITY || k == FIELD_KINEMATIC_VISCOSITY ||
           k == FIELD_DYNAMIC_VISCOSITY || k == FIELD_PRANDTL;
}

}  // namespace

const char* check_result(const CalcRequest& q, const int status, const PropertyResult& before,
                         const PropertyResult& r, Deviations* worst, const int model) {
    if (status != 0 && status != 1) {
        return "status is neither 0 nor 1";
    }
    if (status == 1) {
        return std::memcmp(&before, &r, sizeof r) == 0 ? nullptr
                                                       : "refused request changed the record";
    }
    Deviations scratch{};
    Deviations& dev = worst != nullptr ? *worst : scratch;
    if (!valid_phase_pair(r.phase, r.phase_detail)) {
        return "phase and phase_detail are no valid pair";
    }
    // Every field after the relative enthalpy is shown in every phase (cleared to 0 where a
    // mixture has none); a single-phase state's transport cells may be undefined (NaN) where
    // the model's correlation is, which check_single_phase decides.
    const ResultValues fields = result_values(r);
    for (int k = 1; k < RESULT_VALUE_COUNT; ++k) {
        const bool may_be_undefined =
            is_transport_field(k) && r.phase != PHASE_TWO_PHASE && std::isnan(fields.value[k]);
        if (!std::isfinite(fields.value[k]) && !may_be_undefined) {
            return "a shown field is not finite";
        }
    }
    // The relative enthalpy row is blank for a supercritical state.
    if (r.phase != PHASE_SUPERCRITICAL && !std::isfinite(r.relative_enthalpy)) {
        return "relative enthalpy is not finite";
    }
    const double reciprocal = std::fabs(r.mass_density * r.specific_volume - 1.0);
    if (!within(reciprocal, RECIPROCAL_TOL)) {
        return "density and specific volume are not reciprocal";
    }
    note(dev.reciprocal, reciprocal, q);
    if (const char* failure = check_given_fields(q, r, dev)) {
        return failure;
    }
    return with_model(model,
                      [&](auto m) { return check_answer<typename decltype(m)::type>(q, r, dev); });
}

unsigned long long evaluations_since_reset() {
    const EvaluationCounters& c = evaluation_counters();
    return c.evaluate_state + c.pressure_at;
}

}  // namespace zeltra5::reliability
