// Domain of the argument pairs: a fixed rectangle for the given pressure and temperature and, for
// the caloric properties and density, a band bounded by the states at the domain's lowest and
// highest temperature at the given pressure (or its lowest and highest pressure at the given
// temperature).

#include <cmath>

#include "input_range_internal.hpp"
#include "zeltra5/calc.hpp"

namespace zeltra5 {
namespace {

constexpr double BAND_TOP_TEMPERATURE_PX = 500.0;  // upper bounding state of the (P, x) mode, degC

// Every comparison is written as "inside when lo <= v <= hi", so that a NaN value or a NaN band
// edge lands outside.
bool inside(const double& v, const double& lo, const double& hi) {
    return lo <= v && v <= hi;
}

// The state at (P, t) without metastable treatment, taken from the liquid or the vapour slot
// (both hold it above the critical pressure). `saturation` is the saturation at P.
void bounding_state(const double& P, const double& t, const PressureSaturation& saturation,
                    const bool want_liquid_slot, FluidState& state) {
    const int stable = 0;
    int phase = 0;
    double x = 0.0;
    FluidState liquid{};
    FluidState vapour{};
    state_from_pressure_temperature(stable, P, t, saturation, phase, x, liquid, vapour);
    state = want_liquid_slot ? liquid : vapour;
}

// The density in one slot of the state at (P, t), without building the records.
double bounding_density(const double& P, const double& t, const bool want_liquid_slot) {
    double liquid_rho = 0.0;
    double vapour_rho = 0.0;
    densities_from_pressure_temperature(P, t, liquid_rho, vapour_rho);
    return want_liquid_slot ? liquid_rho : vapour_rho;
}

// The saturation at P: the caller's, or formed into `own` (only at or below the critical
// pressure; the solvers do not read it above).
const PressureSaturation& saturation_at(const double& P, const PressureSaturation* given,
                                        PressureSaturation& own) {
    if (given != nullptr) {
        return *given;
    }
    if (!(P > CRITICAL_PRESSURE)) {
        saturation_by_pressure(P, own.T_s, own.liquid, own.vapour);
    }
    return own;
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

}  // namespace

int check_input_range(const double& first_value, const int& mode, const double& second_value) {
    return check_input_range_with(first_value, mode, second_value, nullptr);
}

int check_input_range_with(const double& first_value, const int& mode, const double& second_value,
                           const PressureSaturation* saturation_at_first) {
    constexpr int OUTSIDE = 1;
    constexpr int INSIDE = 0;
    if (mode < MODE_PRESSURE_QUALITY || mode > MODE_TEMPERATURE_DENSITY) {
        return OUTSIDE;
    }
    if (!std::isfinite(first_value) || !std::isfinite(second_value)) {
        return OUTSIDE;
    }
    const double& P = first_value;
    const double& t = first_value;
    PressureSaturation own{};  // formed here when the caller has none

    switch (mode) {
        case MODE_PRESSURE_QUALITY: {
            // The critical pressure itself is outside: there is no two-phase region there.
            if (!(MIN_PRESSURE <= P && P < CRITICAL_PRESSURE)) {
                return OUTSIDE;
            }
            const PressureSaturation& sat = saturation_at(P, saturation_at_first, own);
            const double& x = second_value;
            const double h_mix =
                state_enthalpy(sat.liquid) * (1.0 - x) + state_enthalpy(sat.vapour) * x;
            if (!std::isfinite(h_mix)) {
                return OUTSIDE;
            }
            FluidState low{};
            FluidState high{};
            bounding_state(P, MIN_TEMPERATURE, sat, true, low);
            bounding_state(P, BAND_TOP_TEMPERATURE_PX, sat, false, high);
            return inside(h_mix, state_enthalpy(low), state_enthalpy(high)) ? INSIDE : OUTSIDE;
        }
        case MODE_SATURATION_PRESSURE:
            return inside(P, MIN_PRESSURE, CRITICAL_PRESSURE) ? INSIDE : OUTSIDE;
        case MODE_SATURATION_TEMPERATURE:
            return inside(t, MIN_TEMPERATURE, CRITICAL_TEMPERATURE_C) ? INSIDE : OUTSIDE;
        case MODE_PRESSURE_TEMPERATURE:
            return inside(P, MIN_PRESSURE, MAX_PRESSURE) &&
                           inside(second_value, MIN_TEMPERATURE, MAX_TEMPERATURE)
                       ? INSIDE
                       : OUTSIDE;
        case MODE_PRESSURE_ENTHALPY:
        case MODE_PRESSURE_ENERGY:
        case MODE_PRESSURE_ENTROPY:
        case MODE_PRESSURE_DENSITY: {
            if (!inside(P, MIN_PRESSURE, MAX_PRESSURE)) {
                return OUTSIDE;
            }
            const PressureSaturation& sat = saturation_at(P, saturation_at_first, own);
            FluidState cold{};
            FluidState hot{};
            bounding_state(P, MIN_TEMPERATURE, sat, true, cold);
            bounding_state(P, MAX_TEMPERATURE, sat, false, hot);
            const double y_cold = band_property(mode, cold);
            const double y_hot = band_property(mode, hot);
            // Density falls with temperature: the hot state bounds it from below.
            const bool ok = mode == MODE_PRESSURE_DENSITY ? inside(second_value, y_hot, y_cold)
                                                          : inside(second_value, y_cold, y_hot);
            return ok ? INSIDE : OUTSIDE;
        }
        default: {  // MODE_TEMPERATURE_DENSITY
            if (!inside(t, MIN_TEMPERATURE, MAX_TEMPERATURE)) {
                return OUTSIDE;
            }
            const double thin = bounding_density(MIN_PRESSURE, t, false);
            const double dense = bounding_density(MAX_PRESSURE, t, true);
            return inside(second_value, thin, dense) ? INSIDE : OUTSIDE;
        }
    }
}

}  // namespace zeltra5
