#pragma once
// The fundamental equation of state of ammonia (reduced Helmholtz energy, 21 residual terms).

#include "zeltra5/fluid_state.hpp"

namespace zeltra5 {

// Fills every field of `state` at temperature t (degC) and density rho (kg/m3, > 0).
void evaluate_state(const double& t, const double& rho, FluidState& state);

// Pressure (Pa) at t (degC) and rho (kg/m3): the residual delta-derivative only.
double pressure_at(const double& t, const double& rho);

// The field phir_d alone, bit for bit the value evaluate_state stores for the same input: for
// callers that need only a pressure formed from a record's fields.
double residual_phir_d(const double& t, const double& rho);

// The fields phir_d and phir_dd alone, bit for bit the values evaluate_state stores for the same
// input: for callers that need only (d p / d rho)_T.
void residual_phir_d_dd(const double& t, const double& rho, double& phir_d, double& phir_dd);

// Lagrange interpolation through n nodes (xs, ys) at x. Returns 1 and leaves `result` unwritten
// when two nodes lie closer than 1e-20; otherwise writes it and returns 0. With n = 2 this is
// the secant step of the solvers.
int lagrange_interpolate(const double* xs, const double* ys, const int& n, const double& x,
                         double& result);

}  // namespace zeltra5
