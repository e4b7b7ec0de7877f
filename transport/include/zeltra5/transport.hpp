#pragma once
// Transport and surface properties of a single-phase state, and the two density derivatives
// they need. Units are SI unless a name says otherwise.

#include "zeltra5/fluid_state.hpp"

namespace zeltra5 {

double state_viscosity(const FluidState& state);          // micro-Pa s
double state_dynamic_viscosity(const FluidState& state);  // Pa s
double state_thermal_conductivity(const FluidState& state);  // W/(m K); NaN for rho <= 0
double state_prandtl(const FluidState& state);
double state_surface_tension(const FluidState& state);  // N/m, 0 at and above 132.25 degC
double state_isentropic_exponent(const FluidState& state);  // rho w^2 / p
double state_drho_dp_t(const FluidState& state);  // (d rho / d p) at constant T, kg/(m3 Pa)
double state_dp_dt_rho(const FluidState& state);  // (d p / d T) at constant rho, Pa/K

}  // namespace zeltra5
