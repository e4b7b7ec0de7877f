// Domain of the argument pairs: a fixed rectangle for the given pressure and temperature and, for
// the caloric properties and density, a band bounded by the states at the domain's lowest and
// highest temperature at the given pressure (or its lowest and highest pressure at the given
// temperature).

#include <cmath>
#include <initializer_list>

#include "input_range_internal.hpp"
#include "zeltra5/calc.hpp"
#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {
namespace {

constexpr double BAND_TOP_TEMPERATURE_PX = 500.0;  // upper bounding state of the (P, x) mode, degC
// The melting line's inverse meets it to a few doubles of temperature.
constexpr int MELTING_ROUNDING_STEPS = 8;
// The density solver meets a given pressure to 1e-12 of it (at most).
constexpr double DENSITY_SOLVER_TOLERANCE = 1e-12;

// Every comparison is written as "inside when lo <= v <= hi", so that a NaN value or a NaN band
// edge lands outside.
bool inside(const double& v, const double& lo, const double& hi) {
    return lo <= v && v <= hi;
}

// The state at (P, t) without metastable treatment, taken from the liquid or the vapour slot
// (both hold it above the critical pressure). `saturation` is the saturation at P.
template <class M>
void bounding_state(const double& P, const double& t, const PressureSaturation& saturation,
                    const bool want_liquid_slot, FluidState& state) {
    const int stable = 0;
    int phase = 0;
    double x = 0.0;
    FluidState liquid{};
    FluidState vapour{};
    flash::Solvers<M>::state_from_pressure_temperature(stable, P, t, saturation, phase, x, liquid,
                                                       vapour);
    state = want_liquid_slot ? liquid : vapour;
}

// The density in one slot of the state at (P, t), without building the records.
template <class M>
double bounding_density(const double& P, const double& t, const bool want_liquid_slot) {
    double liquid_rho = 0.0;
    double vapour_rho = 0.0;
    flash::Solvers<M>::densities_from_pressure_temperature(P, t, liquid_rho, vapour_rho);
    return want_liquid_slot ? liquid_rho : vapour_rho;
}

// The saturation at P: the caller's, or formed into `own` (only at or below the critical
// pressure; the solvers do not read it above).
template <class M>
const PressureSaturation& saturation_at(const double& P, const PressureSaturation* given,
                                        PressureSaturation& own) {
    if (given != nullptr) {
        return *given;
    }
    if (!(P > M::CONSTANTS.critical_pressure)) {
        flash::Solvers<M>::saturation_by_pressure(P, own.T_s, own.liquid, own.vapour);
    }
    return own;
}

// The coldest state of the domain at P: at the lowest temperature (`t` the admitted one, `shown`
// the one a refusal names), or where P meets the melting line when the model's liquid ends there.
struct ColdEdge {
    double t;
    double shown;
};

template <class M>
ColdEdge cold_edge(const double& P) {
    const DomainLimits& d = M::CONSTANTS.domain;
    double t = M::melting_temperature(P);
    if (!(t > d.lowest_admitted_temperature)) {
        return {d.lowest_admitted_temperature, d.min_temperature};
    }
    // The inverse meets the line to rounding: step up to where the melting check admits P.
    for (int step = 0; step < MELTING_ROUNDING_STEPS && M::melting_pressure(t) < P; ++step) {
        t = std::nextafter(t, HUGE_VAL);
    }
    t = std::fmin(t, d.max_temperature);
    return {t, t};
}

double band_property(const int& mode, const FluidState& s) {
    switch (mode) {
        case MODE_PRESSURE_ENTHALPY:
            return state_enthalpy(s);
        case MODE_PRESSURE_ENERGY:
            return state_internal_energy(s);
        case MODE_PRESSURE_ENTROPY:
            return state_entropy(s);
        default:
            return s.rho;
    }
}

int band_field(const int& mode) {
    switch (mode) {
        case MODE_PRESSURE_ENTHALPY:
            return FIELD_ENTHALPY;
        case MODE_PRESSURE_ENERGY:
            return FIELD_INTERNAL_ENERGY;
        case MODE_PRESSURE_ENTROPY:
            return FIELD_ENTROPY;
        default:
            return FIELD_DENSITY;
    }
}

constexpr int OUTSIDE = 1;
constexpr int INSIDE = 0;

// Records why a request is refused, when the caller asks; answers OUTSIDE.
template <class M>
struct Refuse {
    Refusal* why;

    int operator()(const RefusalReason reason, const int input, const int field,
                   const double& value, const double& limit) const {
        if (why != nullptr) {
            *why = Refusal{reason, input, field, value, limit, 0.0, 0.0};
        }
        return OUTSIDE;
    }

    // `value` against [lo, hi], each widened by its margin: INSIDE, or the refusal naming the
    // bound it broke.
    int range(const int input, const int field, const double& value, const double& lo,
              const double& hi, const double& lo_margin = 0.0,
              const double& hi_margin = 0.0) const {
        if (value < lo - lo_margin) {
            return (*this)(RefusalReason::below_minimum, input, field, value, lo);
        }
        if (value > hi + hi_margin) {
            return (*this)(RefusalReason::above_maximum, input, field, value, hi);
        }
        return INSIDE;
    }

    int pressure(const double& P, const double& hi) const {
        return range(
            0, FIELD_PRESSURE, P, M::CONSTANTS.domain.min_pressure, hi,
            M::CONSTANTS.domain.min_pressure - M::CONSTANTS.domain.lowest_admitted_pressure,
            hi == M::CONSTANTS.domain.max_pressure
                ? M::CONSTANTS.domain.highest_admitted_pressure - M::CONSTANTS.domain.max_pressure
                : 0.0);
    }

    int temperature(const int input, const double& t, const double& hi) const {
        return range(input, FIELD_TEMPERATURE, t, M::CONSTANTS.domain.min_temperature, hi,
                     M::CONSTANTS.domain.temperature_margin,
                     hi == M::CONSTANTS.domain.max_temperature
                         ? M::CONSTANTS.domain.temperature_margin
                         : 0.0);
    }

    // A (T, rho) state whose pressure lies below the lowest pressure (`below`) or above the
    // highest: the limit named is the density at that pressure, solved for only when asked.
    int density_at_pressure_edge(const double& t, const double& rho, const bool below) const {
        if (why != nullptr) {
            const double edge =
                below ? M::CONSTANTS.domain.min_pressure : M::CONSTANTS.domain.max_pressure;
            *why = Refusal{below ? RefusalReason::below_band : RefusalReason::above_band,
                           1,
                           FIELD_DENSITY,
                           rho,
                           bounding_density<M>(edge, t, !below),
                           edge,
                           t};
            if (!std::isfinite(why->limit)) {
                why->reason = RefusalReason::not_reproduced;
            }
        }
        return OUTSIDE;
    }

    // `value` against the band [lo, hi] of the bounding states at (P, t_lo) and (P, t_hi), or at
    // (p_lo, t) and (p_hi, t). A NaN edge refuses as not reproducible.
    int band(const int input, const int field, const double& value, const double& lo,
             const double& p_lo, const double& t_lo, const double& hi, const double& p_hi,
             const double& t_hi) const {
        if (inside(value, lo, hi)) {
            return INSIDE;
        }
        const bool below = !(value >= lo);
        if (why != nullptr) {
            *why = Refusal{below ? RefusalReason::below_band : RefusalReason::above_band,
                           input,
                           field,
                           value,
                           below ? lo : hi,
                           below ? p_lo : p_hi,
                           below ? t_lo : t_hi};
            if (!std::isfinite(why->limit)) {
                why->reason = RefusalReason::not_reproduced;
            }
        }
        return OUTSIDE;
    }
};

}  // namespace

template <class M>
double pressure_inside_domain(const double& p) {
    if (p < M::CONSTANTS.domain.lowest_admitted_pressure) {
        return M::CONSTANTS.domain.lowest_admitted_pressure;
    }
    return p > M::CONSTANTS.domain.highest_admitted_pressure
               ? M::CONSTANTS.domain.highest_admitted_pressure
               : p;
}

template <class M>
bool pressure_admitted_for_state(const double& t, const double& rho, const double& p) {
    const double lowest = M::CONSTANTS.domain.lowest_admitted_pressure;
    if (!(p <= M::CONSTANTS.domain.highest_admitted_pressure + HIGH_EDGE_PRESSURE_TOLERANCE)) {
        return false;
    }
    if (lowest - LOW_EDGE_PRESSURE_TOLERANCE <= p) {
        return true;
    }
    // Formed only below the lowest pressure.
    const double step = std::fabs(M::pressure(t, std::nextafter(rho, HUGE_VAL)) - p);
    return lowest - 2.0 * step <= p;
}

int check_input_range(const double& first_value, const int& mode, const double& second_value) {
    return check_input_range_with<DefaultModel>(first_value, mode, second_value, nullptr, nullptr);
}

template <class M>
int check_input_range_with(const double& first_value, const int& mode, const double& second_value,
                           const PressureSaturation* saturation_at_first, Refusal* why) {
    const Refuse<M> refuse{why};
    if (mode < MODE_PRESSURE_QUALITY || mode > MODE_TEMPERATURE_DENSITY) {
        return refuse(RefusalReason::bad_request, -1, -1, mode, 0.0);
    }
    for (const int input : {0, 1}) {
        const double& v = input == 0 ? first_value : second_value;
        if (!std::isfinite(v)) {
            return refuse(RefusalReason::not_finite, input, -1, v, 0.0);
        }
    }
    const double& P = first_value;
    const double& t = first_value;
    PressureSaturation own{};  // formed here when the caller has none

    switch (mode) {
        case MODE_PRESSURE_QUALITY: {
            // The critical pressure itself is outside: there is no two-phase region there.
            // Below it mixtures are answered up to the saturation limit, 0.01 K below the
            // critical point.
            if (P >= M::CONSTANTS.critical_pressure) {
                return refuse(RefusalReason::no_two_phase, 0, FIELD_PRESSURE, P,
                              M::CONSTANTS.critical_pressure);
            }
            if (refuse.pressure(P, M::CONSTANTS.saturation_limit_pressure) != INSIDE) {
                return OUTSIDE;
            }
            const PressureSaturation& sat = saturation_at<M>(P, saturation_at_first, own);
            const double& x = second_value;
            const double h_mix =
                state_enthalpy(sat.liquid) * (1.0 - x) + state_enthalpy(sat.vapour) * x;
            if (!std::isfinite(h_mix)) {
                return refuse(RefusalReason::not_finite, 1, FIELD_ENTHALPY, h_mix, 0.0);
            }
            // A mixture (0 <= x <= 1) lies between the saturated states, inside the band.
            if (inside(h_mix, state_enthalpy(sat.liquid), state_enthalpy(sat.vapour))) {
                return INSIDE;
            }
            FluidState low{};
            FluidState high{};
            const ColdEdge cold = cold_edge<M>(P);
            bounding_state<M>(P, cold.t, sat, true, low);
            bounding_state<M>(P, BAND_TOP_TEMPERATURE_PX, sat, false, high);
            // The saturated liquid (quality 0) is inside, also where the lowest admitted
            // temperature lies within rounding of its own and its enthalpy a hair below that
            // state's (at the lowest admitted pressure).
            const double h_low = std::fmin(state_enthalpy(low), state_enthalpy(sat.liquid));
            return refuse.band(1, FIELD_ENTHALPY, h_mix, h_low, P, cold.shown, state_enthalpy(high),
                               P, BAND_TOP_TEMPERATURE_PX);
        }
        case MODE_SATURATION_PRESSURE:
            return refuse.pressure(P, M::CONSTANTS.saturation_limit_pressure);
        case MODE_SATURATION_TEMPERATURE:
            return refuse.temperature(0, t, M::CONSTANTS.saturation_limit_temperature);
        case MODE_PRESSURE_TEMPERATURE:
            if (refuse.pressure(P, M::CONSTANTS.domain.max_pressure) != INSIDE) {
                return OUTSIDE;
            }
            return refuse.temperature(1, second_value, M::CONSTANTS.domain.max_temperature);
        case MODE_PRESSURE_ENTHALPY:
        case MODE_PRESSURE_ENERGY:
        case MODE_PRESSURE_ENTROPY:
        case MODE_PRESSURE_DENSITY: {
            if (refuse.pressure(P, M::CONSTANTS.domain.max_pressure) != INSIDE) {
                return OUTSIDE;
            }
            const PressureSaturation& sat = saturation_at<M>(P, saturation_at_first, own);
            // Density falls with temperature: the hot state bounds it from below.
            const bool falling = mode == MODE_PRESSURE_DENSITY;
            const double& value = second_value;
            // Below the critical pressure the isobar passes the saturated liquid and vapour on
            // its way from the cold edge to the hot one (h, u and s rise with temperature, the
            // density falls), so a value between theirs is inside, and a value beyond one of them
            // is checked against the edge on its side only.
            const bool below_critical = !(P > M::CONSTANTS.critical_pressure);
            bool beyond_liquid = false;
            bool beyond_vapour = false;
            double y_liquid = 0.0;
            double y_vapour = 0.0;
            if (below_critical) {
                y_liquid = band_property(mode, sat.liquid);
                y_vapour = band_property(mode, sat.vapour);
                if (falling ? inside(value, y_vapour, y_liquid)
                            : inside(value, y_liquid, y_vapour)) {
                    return INSIDE;
                }
                beyond_liquid = falling ? value > y_liquid : value < y_liquid;
                beyond_vapour = falling ? value < y_vapour : value > y_vapour;
            }
            FluidState cold{};
            FluidState hot{};
            const ColdEdge edge = cold_edge<M>(P);
            // y_cold and y_hot: the edges' values, or the saturated state's in place of an edge
            // not formed (the value lies beyond the other saturated state, so that bound holds).
            double y_cold = y_liquid;
            double y_hot = y_vapour;
            const auto form_cold = [&] {
                bounding_state<M>(P, edge.t, sat, true, cold);
                y_cold = band_property(mode, cold);
                if (below_critical) {
                    // The saturated liquid at P, which the saturation modes return, is inside. At
                    // the lowest pressure its temperature lies 6e-11 K below -77 degC, its values
                    // a hair beyond the (P, -77 degC) ones in u, s and density.
                    if (falling ? y_liquid > y_cold : y_liquid < y_cold) {
                        y_cold = y_liquid;
                    }
                }
            };
            const auto form_hot = [&] {
                bounding_state<M>(P, M::CONSTANTS.domain.highest_admitted_temperature, sat, false,
                                  hot);
                y_hot = band_property(mode, hot);
            };
            if (!beyond_vapour) {
                form_cold();
            }
            if (!beyond_liquid) {
                form_hot();
            }
            if (falling ? inside(value, y_hot, y_cold) : inside(value, y_cold, y_hot)) {
                return INSIDE;
            }
            if (!beyond_liquid) {
                // The hot bounding state's density reproduces P only to the density solver's
                // tolerance: a state at the highest admitted temperature given back through its
                // (t, rho) lands a few ulps beyond it. Values of the states at that temperature
                // within that tolerance of P are inside (formed only for a value beyond the band,
                // so that the check of every other request costs nothing more); a refusal names
                // the bounding state's own value.
                double y_hot_high = y_hot;
                double y_hot_low = y_hot;
                const double drho = M::drho_dp_t(hot) * DENSITY_SOLVER_TOLERANCE * P;
                for (const double rho : {hot.rho - drho, hot.rho + drho}) {
                    FluidState q{};
                    M::evaluate(M::CONSTANTS.domain.highest_admitted_temperature, rho, q);
                    const double y = band_property(mode, q);
                    y_hot_high = std::fmax(y_hot_high, y);
                    y_hot_low = std::fmin(y_hot_low, y);
                }
                if (falling ? inside(value, y_hot_low, y_cold)
                            : inside(value, y_cold, y_hot_high)) {
                    return INSIDE;
                }
            }
            // Refused: the limit named is the edge on the value's side, which is formed.
            if (falling) {
                return refuse.band(1, FIELD_DENSITY, value, y_hot, P,
                                   M::CONSTANTS.domain.max_temperature, y_cold, P, edge.shown);
            }
            return refuse.band(1, band_field(mode), value, y_cold, P, edge.shown, y_hot, P,
                               M::CONSTANTS.domain.max_temperature);
        }
        default: {  // MODE_TEMPERATURE_DENSITY
            if (refuse.temperature(0, t, M::CONSTANTS.domain.max_temperature) != INSIDE) {
                return OUTSIDE;
            }
            // The state's pressure against the domain's: inside the saturation dome the
            // mixture's, the saturation pressure at t; elsewhere its own. Off the dome every
            // isotherm rises with density through the lowest and the highest pressure (the
            // equation's loop lies inside the dome), so this admits the densities between those
            // at the two pressures, as comparing with them would, without solving for them.
            const double& rho = second_value;
            SaturationEquilibrium e;
            const bool saturation =
                M::saturation_at_temperature(t + KELVIN_OFFSET, e) == SATURATION_EQUILIBRIUM_OK;
            const bool two_phase = saturation && rho < e.rho_liquid && rho > e.rho_vapour;
            double p = two_phase ? e.p : M::pressure(t, rho);
            if (saturation && rho >= e.rho_liquid && p < e.p) {
                // A liquid at or above the saturated-liquid density is at or above the saturation
                // pressure; its own pressure can fall below by the rounding of its density, which
                // near -77 degC (dp/drho) rho / p amplifies some 5e5 times.
                p = e.p;
            }
            if (pressure_admitted_for_state<M>(t, rho, p)) {
                return INSIDE;
            }
            // A NaN pressure comes from a density too large for the equation's powers.
            return refuse.density_at_pressure_edge(
                t, rho, p < M::CONSTANTS.domain.min_pressure || !(rho > 0.0));
        }
    }
}

#define ZELTRA5_INSTANTIATE(Model)                                                                 \
    template double pressure_inside_domain<Model>(const double&);                                  \
    template bool pressure_admitted_for_state<Model>(const double&, const double&, const double&); \
    template int check_input_range_with<Model>(const double&, const int&, const double&,           \
                                               const PressureSaturation*, Refusal*);
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

}  // namespace zeltra5
