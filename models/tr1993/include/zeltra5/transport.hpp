#pragma once
// Transport and surface properties of a single-phase state, and the two density derivatives
// they need. Units are SI unless a name says otherwise.

#include "zeltra5/model.hpp"

namespace zeltra5 {

double state_viscosity(const FluidState& state);          // micro-Pa s
double state_dynamic_viscosity(const FluidState& state);  // Pa s
// W/(m K); NaN for rho <= 0 and for a mechanically unstable state (d rho/d p <= 0), where the
// critical enhancement is undefined.
double state_thermal_conductivity(const FluidState& state);
double state_prandtl(const FluidState& state);
double state_surface_tension(const FluidState& state);      // N/m, 0 at and above 132.25 degC
double state_isentropic_exponent(const FluidState& state);  // rho w^2 / p
double state_drho_dp_t(const FluidState& state);  // (d rho / d p) at constant T, kg/(m3 Pa)
double state_dp_dt_rho(const FluidState& state);  // (d p / d T) at constant rho, Pa/K

// Viscosity, thermal conductivity and Prandtl number of one state, each formed once (the
// conductivity's critical enhancement and the Prandtl number take the viscosity and the
// conductivity found): bit for bit what the three functions above give.
void state_transport_properties(const FluidState& state, TransportProperties& properties);

// The three terms of the viscosity, micro-Pa s: dilute gas, initial-density (second virial)
// and residual. state_viscosity is their sum. NaN for a negative density.
struct ViscosityTerms {
    double dilute_gas;
    double initial_density;
    double residual;
};
void viscosity_terms(const FluidState& state, ViscosityTerms& terms);

// The four terms of the thermal conductivity, mW/(m K): dilute gas, residual, exponential
// correction and critical enhancement. state_thermal_conductivity is 0.001 times their sum.
// Returns 0 when the sum is finite. Returns 1 otherwise: every term NaN for a non-positive (or
// NaN) density, the critical term NaN for a mechanically unstable state.
struct ThermalConductivityTerms {
    double dilute_gas;
    double residual;
    double exponential;
    double critical;
};
int thermal_conductivity_terms(const FluidState& state, ThermalConductivityTerms& terms);

}  // namespace zeltra5
