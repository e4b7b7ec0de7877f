#pragma once
// The fundamental equation of state of ammonia (reduced Helmholtz energy, 21 residual terms).

#include <cmath>

#include "zeltra5/fluid_state.hpp"

namespace zeltra5 {

// Fills every field of `state` at temperature t (degC) and density rho (kg/m3, > 0).
void evaluate_state(const double& t, const double& rho, FluidState& state);

// Two states at one temperature, each bit for bit what evaluate_state gives, sharing the
// temperature-only terms (the saturated pair).
void evaluate_states_at_temperature(const double& t, const double& rho_a, const double& rho_b,
                                    FluidState& a, FluidState& b);

// The state at (t, rho), bit for bit what evaluate_state gives, and the enthalpy (J/kg) of the
// state at (t, rho_other), bit for bit state_enthalpy of what evaluate_state gives there, without
// that state's other fields (one saturated phase and the other's enthalpy, for the latent heat).
void evaluate_state_and_enthalpy(const double& t, const double& rho, const double& rho_other,
                                 FluidState& state, double& enthalpy_other);

// The fields of the state at (t, rho) that its fugacity and ideal-gas cp are formed from (T, rho,
// R, tau, delta, tau0, phi0_tt, phir, phir_d), each bit for bit what evaluate_state stores; the
// others are left as they are.
void evaluate_fugacity_fields(const double& t, const double& rho, FluidState& state);

// Pressure (Pa) at t (degC) and rho (kg/m3): the residual delta-derivative only.
double pressure_at(const double& t, const double& rho);

// The field phir_d alone, bit for bit the value evaluate_state stores for the same input: for
// callers that need only a pressure formed from a record's fields.
double residual_phir_d(const double& t, const double& rho);

// The fields phir_d and phir_dd alone, bit for bit the values evaluate_state stores for the same
// input: for callers that need only (d p / d rho)_T.
void residual_phir_d_dd(const double& t, const double& rho, double& phir_d, double& phir_dd);

// The state at (t, rho), bit for bit what evaluate_state gives, and the third residual
// derivatives d3 phir / d delta3 and d3 phir / d delta2 d tau there, in one pass over the terms.
void evaluate_state_and_third(const double& t, const double& rho, FluidState& state,
                              double& phir_ddd, double& phir_ddt);

// The third residual derivatives alone, exactly from the terms (for the phase identification
// parameter): bit for bit the two evaluate_state_and_third gives.
void residual_phir_ddd_ddt(const double& t, const double& rho, double& phir_ddd, double& phir_ddt);

// The limits of phir_d and phir_dd as delta -> 0 at t (degC): the second and third virial
// coefficients times the reducing density and its square.
void residual_low_density_limit(const double& t, double& phir_d, double& phir_dd);

// Lagrange interpolation through n nodes (xs, ys) at x. Returns 1 and leaves `result` unwritten
// when two nodes lie closer than 1e-20; otherwise writes it and returns 0. With n = 2 this is
// the secant step of the solvers.
int lagrange_interpolate(const double* xs, const double* ys, const int& n, const double& x,
                         double& result);

// lagrange_interpolate with n = 2, the secant step of the solvers, by the same operations in the
// same order (so bit for bit the same result), inline.
inline int secant_interpolate(const double* xs, const double* ys, const double& x, double& result) {
    const double m0 = xs[0] - xs[1];
    if (std::fabs(m0) < 1e-20) {
        return 1;
    }
    const double w0 = 1.0 * (x - xs[1]) / m0;
    const double m1 = xs[1] - xs[0];
    if (std::fabs(m1) < 1e-20) {
        return 1;
    }
    const double w1 = 1.0 * (x - xs[0]) / m1;
    double sum = 0.0;
    sum += w0 * ys[0];
    sum += w1 * ys[1];
    result = sum;
    return 0;
}

}  // namespace zeltra5
