#pragma once
// The thermodynamic state record a model fills at one (T, rho), and the caloric properties every
// model forms from it alike.

#include <cfloat>
#include <cmath>
#include <type_traits>

namespace zeltra5 {

// T [K] = t [degC] + 273.15: the solvers take degC, the state record holds K.
inline constexpr double KELVIN_OFFSET = 273.15;

// Reduced Helmholtz energy a/(RT) = phi0(delta0, tau0) + phir(delta, tau) and its derivatives at
// one (T, rho), with the model's gas constant. Filled only by a model's evaluation; copied whole
// by value.
struct FluidState {
    double T;      // K
    double rho;    // kg/m3
    double tau;    // T_r / T, the residual part's reducing temperature
    double delta;  // rho / rho_r
    double tau0;   // the ideal-gas part's own reduced variables
    double delta0;
    double phi0;     // ideal-gas part
    double phi0_d;   // d phi0 / d delta0
    double phi0_dd;  // d2 phi0 / d delta0^2
    double phi0_t;   // d phi0 / d tau0
    double phi0_tt;  // d2 phi0 / d tau0^2
    double phi0_dt;  // d2 phi0 / d delta0 d tau0 (always 0)
    double phir;     // residual part
    double phir_d;
    double phir_dd;
    double phir_t;
    double phir_tt;
    double phir_dt;
    double R;  // the model's specific gas constant, J/(kg K)
};

static_assert(sizeof(FluidState) == 19 * sizeof(double), "FluidState is 19 contiguous doubles");
static_assert(std::is_trivially_copyable_v<FluidState>);
static_assert(std::is_standard_layout_v<FluidState>);

// tau^2 phir_tt + tau0^2 phi0_tt: shared by c_v, c_p and the speed of sound. The ideal-gas second
// derivative is always scaled by its own tau0.
inline double state_tau_tt(const FluidState& s) {
    return s.tau * s.tau * s.phir_tt + s.tau0 * s.tau0 * s.phi0_tt;
}

inline double state_pressure(const FluidState& s) {
    return (s.delta * s.phir_d + 1.0) * s.rho * s.T * s.R;
}

inline double state_density(const FluidState& s) {
    return s.rho;
}

inline double state_internal_energy(const FluidState& s) {
    return (s.tau * s.phir_t + s.tau0 * s.phi0_t) * s.T * s.R;
}

inline double state_enthalpy(const FluidState& s) {
    return (s.tau * s.phir_t + s.tau0 * s.phi0_t + s.delta * s.phir_d + 1.0) * s.T * s.R;
}

inline double state_entropy(const FluidState& s) {
    return (s.tau * s.phir_t + s.tau0 * s.phi0_t - s.phi0 - s.phir) * s.R;
}

inline double state_cv(const FluidState& s) {
    return -state_tau_tt(s) * s.R;
}

// N = 1 + delta phir_d - delta tau phir_dt, D = 1 + 2 delta phir_d + delta^2 phir_dd.
inline double state_cp(const FluidState& s) {
    const double n = 1.0 + s.delta * s.phir_d - s.delta * s.tau * s.phir_dt;
    const double d = 1.0 + 2.0 * s.delta * s.phir_d + s.delta * s.delta * s.phir_dd;
    return (n * n / d - state_tau_tt(s)) * s.R;
}

inline double state_speed_of_sound(const FluidState& s) {
    const double n = 1.0 + s.delta * s.phir_d - s.delta * s.tau * s.phir_dt;
    return std::sqrt(
        (1.0 + 2.0 * s.delta * s.phir_d + s.delta * s.delta * s.phir_dd - n * n / state_tau_tt(s)) *
        s.T * s.R);
}

}  // namespace zeltra5
