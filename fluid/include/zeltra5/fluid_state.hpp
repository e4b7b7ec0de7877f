#pragma once
// The thermodynamic state record of ammonia and the caloric properties derived from it.

#include <cfloat>
#include <cmath>
#include <type_traits>

namespace zeltra5 {

// Reference constants of the equation of state.
inline constexpr double GAS_CONSTANT = 488.2175023;  // specific gas constant R, J/(kg K)
inline constexpr double KELVIN_OFFSET = 273.15;      // T [K] = t [degC] + 273.15
inline constexpr double CRITICAL_TEMPERATURE_K = 405.4;
inline constexpr double CRITICAL_TEMPERATURE_C = 132.25;  // 405.4 K in degC: where the fits end
inline constexpr double CRITICAL_DENSITY = 225.0;
inline constexpr double INV_CRITICAL_DENSITY = 0.0044444444444444444;  // stored reciprocal of 225
inline constexpr double IDEAL_REDUCING_TEMPERATURE = 500.0;            // T_0 of the ideal-gas part
inline constexpr double IDEAL_REDUCING_DENSITY = 255.4539;  // rho_0, 15 mol/dm3 x 17.03026
inline constexpr double INV_IDEAL_REDUCING_DENSITY = 0.00391460063831478;  // stored reciprocal
// The equation's own critical point, where its phase equilibrium closes (the reducing
// constants above are the equation's parameters, not this point). Saturation is answered from
// the equilibrium up to SATURATION_LIMIT_MARGIN below it; above CRITICAL_PRESSURE the fluid is
// supercritical.
inline constexpr double EQUATION_CRITICAL_TEMPERATURE_K = 405.50016296737635;
inline constexpr double EQUATION_CRITICAL_TEMPERATURE_C =
    EQUATION_CRITICAL_TEMPERATURE_K - KELVIN_OFFSET;
inline constexpr double EQUATION_CRITICAL_DENSITY = 224.77750916414135;  // kg/m3
inline constexpr double SATURATION_LIMIT_MARGIN = 0.01;                  // K
inline constexpr double SATURATION_LIMIT_TEMPERATURE_C =
    EQUATION_CRITICAL_TEMPERATURE_C - SATURATION_LIMIT_MARGIN;
// The equilibrium pressure at SATURATION_LIMIT_TEMPERATURE_C (checked against the expansion by
// the tests).
inline constexpr double SATURATION_LIMIT_PRESSURE = 11357215.595425857;  // Pa
// Pressure limits used at the solver and range-check interfaces.
inline constexpr double CRITICAL_PRESSURE = 11359196.242759727;  // the equation's own
inline constexpr double MIN_PRESSURE = 6417.234425419756;        // saturation pressure at -77 degC
inline constexpr double MAX_PRESSURE = 84474590.24742904;
inline constexpr double MIN_TEMPERATURE = -77.0;  // degC
inline constexpr double MAX_TEMPERATURE = 450.0;  // degC
// The domain's edges hold under rounding: what a calculation at an edge lands beyond it by its
// own accuracy is inside. Temperatures to 1e-9 K (the caloric solvers meet their targets to
// about 5e-11 K; degC -> K -> degC loses up to 6e-14 K); pressures to the density solver's
// tolerance there (1e-9 Pa at the lowest, 1e-5 Pa at the highest pressure), to which a state
// found at a given pressure reproduces it. The model's own saturation pressure at -77 degC lies
// about 9e-11 Pa below MIN_PRESSURE.
inline constexpr double EDGE_TEMPERATURE_MARGIN = 1e-9;  // K
inline constexpr double LOWEST_ADMITTED_TEMPERATURE = MIN_TEMPERATURE - EDGE_TEMPERATURE_MARGIN;
inline constexpr double HIGHEST_ADMITTED_TEMPERATURE = MAX_TEMPERATURE + EDGE_TEMPERATURE_MARGIN;
inline constexpr double LOWEST_ADMITTED_PRESSURE = MIN_PRESSURE - 1e-9;   // Pa
inline constexpr double HIGHEST_ADMITTED_PRESSURE = MAX_PRESSURE + 1e-5;  // Pa

// Reduced Helmholtz energy a/(RT) = phi0(delta0, tau0) + phir(delta, tau) and its derivatives at
// one (T, rho). Filled only by evaluate_state; copied whole by value.
struct FluidState {
    double T;        // K
    double rho;      // kg/m3
    double tau;      // 405.4 / T
    double delta;    // rho / 225
    double tau0;     // 500 / T
    double delta0;   // rho / 255.4539
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
};

static_assert(sizeof(FluidState) == 18 * sizeof(double), "FluidState is 18 contiguous doubles");
static_assert(sizeof(FluidState) == 144);
static_assert(std::is_trivially_copyable_v<FluidState>);
static_assert(std::is_standard_layout_v<FluidState>);

// tau^2 phir_tt + tau0^2 phi0_tt: shared by c_v, c_p and the speed of sound. The ideal-gas second
// derivative is always scaled by its own tau0.
inline double state_tau_tt(const FluidState& s) {
    return s.tau * s.tau * s.phir_tt + s.tau0 * s.tau0 * s.phi0_tt;
}

inline double state_pressure(const FluidState& s) {
    return (s.delta * s.phir_d + 1.0) * s.rho * s.T * GAS_CONSTANT;
}

inline double state_density(const FluidState& s) {
    return s.rho;
}

inline double state_internal_energy(const FluidState& s) {
    return (s.tau * s.phir_t + s.tau0 * s.phi0_t) * s.T * GAS_CONSTANT;
}

inline double state_enthalpy(const FluidState& s) {
    return (s.tau * s.phir_t + s.tau0 * s.phi0_t + s.delta * s.phir_d + 1.0) * s.T * GAS_CONSTANT;
}

inline double state_entropy(const FluidState& s) {
    return (s.tau * s.phir_t + s.tau0 * s.phi0_t - s.phi0 - s.phir) * GAS_CONSTANT;
}

inline double state_cv(const FluidState& s) {
    return -state_tau_tt(s) * GAS_CONSTANT;
}

// N = 1 + delta phir_d - delta tau phir_dt, D = 1 + 2 delta phir_d + delta^2 phir_dd.
inline double state_cp(const FluidState& s) {
    const double n = 1.0 + s.delta * s.phir_d - s.delta * s.tau * s.phir_dt;
    const double d = 1.0 + 2.0 * s.delta * s.phir_d + s.delta * s.delta * s.phir_dd;
    return (n * n / d - state_tau_tt(s)) * GAS_CONSTANT;
}

inline double state_speed_of_sound(const FluidState& s) {
    const double n = 1.0 + s.delta * s.phir_d - s.delta * s.tau * s.phir_dt;
    return std::sqrt(
        (1.0 + 2.0 * s.delta * s.phir_d + s.delta * s.delta * s.phir_dd - n * n / state_tau_tt(s)) *
        s.T * GAS_CONSTANT);
}

}  // namespace zeltra5
