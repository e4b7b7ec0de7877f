// Density derivatives of the equation of state, the isentropic exponent and surface tension.

#include <cmath>

#include "transport_coefficients.hpp"
#include "zeltra5/tr1993_constants.hpp"
#include "zeltra5/transport.hpp"

namespace zeltra5 {

using namespace tr1993;

namespace tc = transport_coefficients;

double state_drho_dp_t(const FluidState& state) {
    return 1.0 /
           (GAS_CONSTANT * state.T *
            (1.0 + 2.0 * state.delta * state.phir_d + state.delta * state.delta * state.phir_dd));
}

double state_dp_dt_rho(const FluidState& state) {
    return state.rho * GAS_CONSTANT *
           (1.0 + state.delta * state.phir_d - state.delta * state.tau * state.phir_dt);
}

// rho w^2 / p; NaN where the speed of sound is undefined (negative bracket).
double state_isentropic_exponent(const FluidState& state) {
    const double w = state_speed_of_sound(state);
    return state.rho * w * w / state_pressure(state);
}

// One-term power law in 1 - T/Tc. The distance is formed by division so that it is exactly 0
// at T = 405.4 K; any T at or above that gives 0, never the NaN of a negative base.
double state_surface_tension(const FluidState& state) {
    const double t = state.T - KELVIN_OFFSET;
    if (t > tc::SURFACE_TENSION_LIMIT_C) {
        return 0.0;
    }
    const double distance = 1.0 - state.T / tc::CRITICAL_TEMPERATURE;
    if (distance <= 0.0) {
        return 0.0;
    }
    return tc::SURFACE_TENSION_AMPLITUDE * std::pow(distance, tc::SURFACE_TENSION_EXPONENT);
}

}  // namespace zeltra5
