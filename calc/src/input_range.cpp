// Domain of the argument pairs: a fixed rectangle for the given pressure and temperature and, for
// the caloric properties and density, a band bounded by the states at the domain's lowest and
// highest temperature at the given pressure (or its lowest and highest pressure at the given
// temperature).

#include <cmath>

#include "zeltra5/calc.hpp"

namespace zeltra5 {
namespace {

constexpr double BAND_TOP_TEMPERATURE_PX = 500.0;  // upper bounding state of the (P, x) mode, degC

// Every comparison is written as "inside when lo <= v <= hi", so that a NaN value or a NaN band
// edge lands outside.
bool inside(const double& v, const double& lo, const double& hi) {
    return lo <= v && v <= hi;
}

// The single-phase state at (P, t) without metastable treatment, from the slot the phase fills:
// the liquid slot for a liquid, the vapour slot otherwise (both hold it above the critical
// pressure).
void bounding_state(const double& P, const double& t, const bool want_liquid_slot,
                    FluidState& state) {
    const int stable = 0;
    int phase = 0;
    double x = 0.0;
    FluidState liquid{};
    FluidState vapour{};
    state_from_pressure_temperature(stable, P, t, phase, x, liquid, vapour);
    state = want_liquid_slot ? liquid : vapour;
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

    switch (mode) {
        case MODE_PRESSURE_QUALITY: {
            // The critical pressure itself is outside: there is no two-phase region there.
            if (!(MIN_PRESSURE <= P && P < CRITICAL_PRESSURE)) {
                return OUTSIDE;
            }
            double ts = 0.0;
            FluidState liquid{};
            FluidState vapour{};
            saturation_by_pressure(P, ts, liquid, vapour);
            const double& x = second_value;
            const double h_mix = state_enthalpy(liquid) * (1.0 - x) + state_enthalpy(vapour) * x;
            if (!std::isfinite(h_mix)) {
                return OUTSIDE;
            }
            FluidState low{};
            FluidState high{};
            bounding_state(P, MIN_TEMPERATURE, true, low);
            bounding_state(P, BAND_TOP_TEMPERATURE_PX, false, high);
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
            FluidState cold{};
            FluidState hot{};
            bounding_state(P, MIN_TEMPERATURE, true, cold);
            bounding_state(P, MAX_TEMPERATURE, false, hot);
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
            FluidState thin{};
            FluidState dense{};
            bounding_state(MIN_PRESSURE, t, false, thin);
            bounding_state(MAX_PRESSURE, t, true, dense);
            return inside(second_value, thin.rho, dense.rho) ? INSIDE : OUTSIDE;
        }
    }
}

}  // namespace zeltra5
