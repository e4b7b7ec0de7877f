// The pairs the Windows program does not offer: temperature and quality; the isotherm's (t, h),
// (t, s), (t, u); the isochore's (rho, h), (rho, s), (rho, u); and (h, s). A line solver finds a
// single-phase state (t, rho) or a mixture (t, x); the state is then formed as the (t, rho) pair
// or the (t, x) mixture forms it, checked against every given value, and holds them bit for bit.

#include <algorithm>
#include <cmath>
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

// How far the state formed may lie from a given value: temperatures in K, densities relative,
// caloric values relative to the larger of the value and its scale (1e6 J/kg, 1e4 J/(kg K)).
constexpr double TEMPERATURE_TOLERANCE = 1e-9;
constexpr double DENSITY_TOLERANCE = 1e-9;
constexpr double CALORIC_TOLERANCE = 1e-9;
constexpr double ENERGY_SCALE = 1e6;
constexpr double ENTROPY_SCALE = 1e4;

int refuse(Refusal& why, const Refusal& refusal) {
    why = refusal;
    return INVALID;
}

int refuse(Refusal& why, const RefusalReason reason, const int input = -1, const int field = -1,
           const double value = 0.0, const double limit = 0.0) {
    return refuse(why, Refusal{reason, input, field, value, limit, 0.0, 0.0});
}

struct LinePair {
    int first_field;
    int second_field;
    flash::LineProperty property;
};

// Inlined, as in the one calculation it served before there was one per model.
[[gnu::always_inline]] inline LinePair line_pair(const int mode) {
    using P = flash::LineProperty;
    switch (mode) {
        case MODE_TEMPERATURE_ENTHALPY:
            return {FIELD_TEMPERATURE, FIELD_ENTHALPY, P::enthalpy};
        case MODE_TEMPERATURE_ENTROPY:
            return {FIELD_TEMPERATURE, FIELD_ENTROPY, P::entropy};
        case MODE_TEMPERATURE_ENERGY:
            return {FIELD_TEMPERATURE, FIELD_INTERNAL_ENERGY, P::internal_energy};
        case MODE_DENSITY_ENTHALPY:
            return {FIELD_DENSITY, FIELD_ENTHALPY, P::enthalpy};
        case MODE_DENSITY_ENTROPY:
            return {FIELD_DENSITY, FIELD_ENTROPY, P::entropy};
        case MODE_DENSITY_ENERGY:
            return {FIELD_DENSITY, FIELD_INTERNAL_ENERGY, P::internal_energy};
        default:  // MODE_ENTHALPY_ENTROPY
            return {FIELD_ENTHALPY, FIELD_ENTROPY, P::enthalpy};
    }
}

double& record_field(PropertyResult& r, const int field) {
    switch (field) {
        case FIELD_TEMPERATURE:
            return r.temperature;
        case FIELD_DENSITY:
            return r.mass_density;
        case FIELD_ENTHALPY:
            return r.specific_enthalpy;
        case FIELD_INTERNAL_ENERGY:
            return r.specific_internal_energy;
        case FIELD_ENTROPY:
            return r.specific_entropy;
        default:
            return r.relative_enthalpy;
    }
}

// Whether `value`, a field of the state formed, reproduces the given one.
bool reproduces(const int field, const double value, const double given) {
    const double off = std::fabs(value - given);
    switch (field) {
        case FIELD_TEMPERATURE:
            return off <= TEMPERATURE_TOLERANCE;
        case FIELD_DENSITY:
            return off <= DENSITY_TOLERANCE * given;
        case FIELD_ENTROPY:
            return off <= CALORIC_TOLERANCE * std::fmax(std::fabs(given), ENTROPY_SCALE);
        default:
            return off <= CALORIC_TOLERANCE * std::fmax(std::fabs(given), ENERGY_SCALE);
    }
}

// The mixture of vapour mass fraction x (0 < x < 1) on the saturation at t.
template <class M>
int mixture_at_temperature(const double t, const double x, PropertyResult& r, Refusal& why) {
    double p = 0.0;
    FluidState l{};
    FluidState v{};
    flash::Solvers<M>::saturation_by_temperature(t, p, l, v);
    if (!std::isfinite(p) || !std::isfinite(l.rho) || !std::isfinite(v.rho)) {
        return refuse(why, RefusalReason::not_reproduced);
    }
    PropertyResult m{};
    m.relative_enthalpy = x;
    m.pressure = p;
    m.temperature = t;
    const double hl = state_enthalpy(l);
    const double hv = state_enthalpy(v);
    m.specific_enthalpy = (1.0 - x) * hl + x * hv;
    m.specific_internal_energy =
        (1.0 - x) * state_internal_energy(l) + x * state_internal_energy(v);
    m.specific_entropy = (1.0 - x) * state_entropy(l) + x * state_entropy(v);
    m.specific_volume = (1.0 - x) / l.rho + x / v.rho;
    m.mass_density = 1.0 / m.specific_volume;
    m.latent_heat = hv - hl;
    m.phase = PHASE_TWO_PHASE;
    m.phase_detail = 0;
    r = m;
    return VALID;
}

// Temperature and quality: the saturated liquid and vapour at x = 0 and 1 as ts-liquid and
// ts-vapour give them, a mixture between.
template <class M>
int temperature_quality(const double t, const double x, PropertyResult& r, Refusal& why) {
    const ModelConstants& c = M::CONSTANTS;
    if (!std::isfinite(t)) {
        return refuse(why, RefusalReason::not_finite, 0);
    }
    if (!std::isfinite(x)) {
        return refuse(why, RefusalReason::not_finite, 1);
    }
    if (!(t >= c.domain.lowest_admitted_temperature)) {
        return refuse(why, RefusalReason::below_minimum, 0, FIELD_TEMPERATURE, t,
                      c.domain.min_temperature);
    }
    if (!(t <= c.saturation_limit_temperature)) {
        return refuse(why, RefusalReason::above_maximum, 0, FIELD_TEMPERATURE, t,
                      c.saturation_limit_temperature);
    }
    if (!(x >= 0.0)) {
        return refuse(why, RefusalReason::below_minimum, 1, FIELD_RELATIVE_ENTHALPY, x, 0.0);
    }
    if (!(x <= 1.0)) {
        return refuse(why, RefusalReason::above_maximum, 1, FIELD_RELATIVE_ENTHALPY, x, 1.0);
    }
    if (x == 0.0 || x == 1.0) {
        const CalcRequest saturated{MODE_SATURATION_TEMPERATURE,
                                    x == 0.0 ? SIDE_LIQUID : SIDE_VAPOUR, t, 0.0};
        return calculate_properties_for<M>(saturated, r, why);
    }
    return mixture_at_temperature<M>(t, x, r, why);
}

// The state a line solver found, formed as the (t, rho) pair or the (t, x) mixture forms it. A
// refusal of that state names a value of the state, not a given one.
// With `kept`, the single-phase state behind the record too.
template <class M>
int form_state(const flash::LineState& found, const int side, PropertyResult& r, Refusal& why,
               FormedState* kept) {
    int status = INVALID;
    if (found.phase == PHASE_TWO_PHASE) {
        status = !(found.x > 0.0 && found.x < 1.0)
                     ? refuse(why, RefusalReason::not_reproduced)
                     : mixture_at_temperature<M>(found.t, found.x, r, why);
        if (status == VALID && !(found.t <= M::CONSTANTS.saturation_limit_temperature)) {
            status = refuse(why, RefusalReason::above_maximum, -1, FIELD_TEMPERATURE, found.t,
                            M::CONSTANTS.saturation_limit_temperature);
        }
    } else {
        const CalcRequest state{MODE_TEMPERATURE_DENSITY, side, found.t, found.rho};
        status = kept != nullptr ? calculate_properties_keeping_state<M>(state, r, *kept, why)
                                 : calculate_properties_for<M>(state, r, why);
    }
    if (status != VALID && why.input >= 0) {
        why.input = -1;
    }
    return status;
}

// An isochore that found no state: a density beyond any of the domain (the liquid's at the highest
// pressure and lowest temperature, the vapour's at the lowest pressure and highest temperature)
// is refused as such; one inside it, as not reproduced. Formed only for a refusal.
template <class M>
int refuse_density(const double rho, Refusal& why) {
    const DomainLimits& d = M::CONSTANTS.domain;
    double liquid = 0.0;
    double vapour = 0.0;
    flash::Solvers<M>::densities_from_pressure_temperature(d.max_pressure, d.min_temperature,
                                                           liquid, vapour);
    const double highest = liquid;
    flash::Solvers<M>::densities_from_pressure_temperature(d.min_pressure, d.max_temperature,
                                                           liquid, vapour);
    const double lowest = vapour;
    if (rho > highest) {
        return refuse(why, RefusalReason::above_maximum, 0, FIELD_DENSITY, rho, highest);
    }
    if (rho < lowest) {
        return refuse(why, RefusalReason::below_minimum, 0, FIELD_DENSITY, rho, lowest);
    }
    return refuse(why, RefusalReason::not_reproduced);
}

template <class M>
[[gnu::always_inline]] inline int line_pair_state(const CalcRequest& req, PropertyResult& r,
                                                  Refusal& why, FormedState* kept) {
    const double given[2] = {req.first_value, req.second_value};
    for (int i = 0; i < 2; ++i) {
        if (!std::isfinite(given[i])) {
            return refuse(why, RefusalReason::not_finite, i);
        }
    }
    const LinePair line = line_pair(req.mode);
    const ModelConstants& c = M::CONSTANTS;
    const int metastable_side = req.side == SIDE_LIQUID ? 1 : 0;
    flash::LineState found{};
    if (line.first_field == FIELD_TEMPERATURE) {
        // The temperature range as every pair admits it: to the domain's edges less their
        // rounding margin, which states at the edges are answered within.
        if (!(given[0] >= c.domain.lowest_admitted_temperature)) {
            return refuse(why, RefusalReason::below_minimum, 0, FIELD_TEMPERATURE, given[0],
                          c.domain.min_temperature);
        }
        if (!(given[0] <= c.domain.highest_admitted_temperature)) {
            return refuse(why, RefusalReason::above_maximum, 0, FIELD_TEMPERATURE, given[0],
                          c.domain.max_temperature);
        }
        flash::Isotherm<M>::state_from_temperature_property(line.property, metastable_side,
                                                            given[0], given[1], found);
    } else if (line.first_field == FIELD_DENSITY) {
        if (!(given[0] > 0.0)) {
            return refuse(why, RefusalReason::below_minimum, 0, FIELD_DENSITY, given[0], 0.0);
        }
        flash::Isochore<M>::state_from_density_property(line.property, metastable_side, given[0],
                                                        given[1], found);
    } else {
        flash::EnthalpyEntropy<M>::state_from_enthalpy_entropy(metastable_side, given[0], given[1],
                                                               found);
    }
    // The band is the second value's along the line of the first; for (h, s) the enthalpy's
    // along the isentrope.
    const int band_input = req.mode == MODE_ENTHALPY_ENTROPY ? 0 : 1;
    switch (found.outcome) {
        case flash::LineOutcome::below_band:
        case flash::LineOutcome::above_band:
            return refuse(
                why,
                Refusal{found.outcome == flash::LineOutcome::below_band ? RefusalReason::below_band
                                                                        : RefusalReason::above_band,
                        band_input, band_input == 0 ? line.first_field : line.second_field,
                        given[band_input], found.limit, found.edge_p, found.edge_t});
        case flash::LineOutcome::none:
            if (line.first_field == FIELD_DENSITY) {
                return refuse_density<M>(given[0], why);
            }
            return refuse(why, RefusalReason::not_reproduced);
        case flash::LineOutcome::found:
            break;
    }
    PropertyResult state{};
    if (form_state<M>(found, req.side, state, why, kept) != VALID) {
        return INVALID;
    }
    const int fields[2] = {line.first_field, line.second_field};
    for (int i = 0; i < 2; ++i) {
        if (!reproduces(fields[i], record_field(state, fields[i]), given[i])) {
            return refuse(why, RefusalReason::not_reproduced);
        }
    }
    for (int i = 0; i < 2; ++i) {
        record_field(state, fields[i]) = given[i];
        if (fields[i] == FIELD_DENSITY) {
            state.specific_volume = 1.0 / given[i];
            state.kinematic_viscosity = state.dynamic_viscosity / given[i];
        }
    }
    r = state;
    return VALID;
}

// With `kept`, the single-phase state behind a line pair's record too.
template <class M>
int request_keeping(const CalcRequest& request, PropertyResult& result, Refusal& why,
                    FormedState* kept) {
    const CalcRequest req = request;
    if (req.mode >= MODE_PRESSURE_QUALITY && req.mode <= LAST_PROGRAM_MODE) {
        return calculate_properties_for<M>(req, result, why);
    }
    if (req.mode < MODE_PRESSURE_QUALITY || req.mode > LAST_MODE || req.side < SIDE_NONE ||
        req.side > SIDE_LIQUID) {
        return refuse(why, RefusalReason::bad_request);
    }
    PropertyResult r{};
    const int status = req.mode == MODE_TEMPERATURE_QUALITY
                           ? temperature_quality<M>(req.first_value, req.second_value, r, why)
                           : line_pair_state<M>(req, r, why, kept);
    if (status != VALID) {
        return INVALID;
    }
    result = r;
    return VALID;
}

template <class M>
int request_for(const CalcRequest& request, PropertyResult& result, Refusal& why) {
    return request_keeping<M>(request, result, why, nullptr);
}

template <class M>
int request_with_extended_for(const CalcRequest& request, PropertyResult& result,
                              ExtendedValues& extended, Refusal& why) {
    const CalcRequest req = request;
    if (req.mode >= MODE_PRESSURE_QUALITY && req.mode <= LAST_PROGRAM_MODE) {
        return calculate_properties_and_extended_for<M>(req, result, extended, why);
    }
    // A line pair's record holds the given values where its state's differ in their last bits:
    // the state is reused only where it is the record's (extended_fields_of checks).
    FormedState kept;
    const int status = request_keeping<M>(req, result, why, &kept);
    if (status == VALID) {
        const bool single = kept.single_phase;
        extended_fields_of<M>(result, single ? &kept.state : nullptr,
                              single && kept.third.formed ? &kept.third : nullptr, extended);
    } else {
        std::fill(std::begin(extended.value), std::end(extended.value),
                  std::numeric_limits<double>::quiet_NaN());
    }
    return status;
}

// The request's function for each model, in the order of MODELS.
using RequestFunction = int (*)(const CalcRequest&, PropertyResult&, Refusal&);
#define ZELTRA5_REQUEST_FUNCTION(Model) &request_for<Model>,
constexpr RequestFunction REQUEST_FUNCTIONS[] = {ZELTRA5_FOR_EACH_MODEL(ZELTRA5_REQUEST_FUNCTION)};
#undef ZELTRA5_REQUEST_FUNCTION
static_assert(std::size(REQUEST_FUNCTIONS) == MODEL_COUNT);

using RequestWithExtendedFunction = int (*)(const CalcRequest&, PropertyResult&, ExtendedValues&,
                                            Refusal&);
#define ZELTRA5_REQUEST_FUNCTION(Model) &request_with_extended_for<Model>,
constexpr RequestWithExtendedFunction REQUEST_WITH_EXTENDED_FUNCTIONS[] = {
    ZELTRA5_FOR_EACH_MODEL(ZELTRA5_REQUEST_FUNCTION)};
#undef ZELTRA5_REQUEST_FUNCTION

}  // namespace

int calculate_request(const CalcRequest& request, PropertyResult& result, Refusal& why) {
    return request_for<DefaultModel>(request, result, why);
}

int calculate_request(const int model, const CalcRequest& request, PropertyResult& result,
                      Refusal& why) {
    if (model < 0 || model >= MODEL_COUNT) {
        return refuse(why, RefusalReason::bad_request);
    }
    return REQUEST_FUNCTIONS[model](request, result, why);
}

int calculate_request(const int model, const CalcRequest& request, PropertyResult& result,
                      ExtendedValues& extended, Refusal& why) {
    if (model < 0 || model >= MODEL_COUNT) {
        std::fill(std::begin(extended.value), std::end(extended.value),
                  std::numeric_limits<double>::quiet_NaN());
        return refuse(why, RefusalReason::bad_request);
    }
    return REQUEST_WITH_EXTENDED_FUNCTIONS[model](request, result, extended, why);
}

}  // namespace zeltra5
