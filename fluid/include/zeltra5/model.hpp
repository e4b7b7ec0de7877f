#pragma once
// The seam between the equations of state and everything that uses them. A model is a type
// whose functions are static (an equation has no run-time parameters): its constants, the
// evaluation of its Helmholtz function into a FluidState, its phase equilibrium, the starting
// values and density brackets its solvers need, its metastable-liquid limits and its transport
// correlations. The solvers are templates over the model (EquationOfState below); the closed set
// of models is in zeltra5/models.hpp. Temperatures in degC unless a name says K; otherwise SI.

#include <concepts>

#include "zeltra5/fluid_state.hpp"

namespace zeltra5 {

// The domain a model answers, and how far beyond its edges a calculation may land by its own
// rounding and still be inside.
struct DomainLimits {
    double min_pressure;                  // Pa: the saturation pressure at the lowest temperature
    double max_pressure;                  // Pa
    double min_temperature;               // degC
    double max_temperature;               // degC
    double temperature_margin;            // K
    double lowest_admitted_pressure;      // Pa
    double highest_admitted_pressure;     // Pa
    double lowest_admitted_temperature;   // degC
    double highest_admitted_temperature;  // degC
};

struct ModelConstants {
    double gas_constant;  // specific, J/(kg K)
    // The equation's own critical point, where its phase equilibrium closes: above
    // critical_pressure the fluid is supercritical.
    double critical_temperature;  // degC
    double critical_density;      // kg/m3
    double critical_pressure;     // Pa
    // Saturation is answered up to this temperature, and the saturation pressure there.
    double saturation_limit_temperature;  // degC
    double saturation_limit_pressure;     // Pa
    // The saturation temperature the solvers carry for a pressure above the critical one (not
    // read there: a placeholder that keeps the solvers' inputs defined).
    double supercritical_saturation_temperature;  // degC
    // Superheated liquid is sought only for saturation temperatures below this one.
    double superheat_ceiling;  // degC
    DomainLimits domain;
};

// The phase equilibrium at one temperature: pressure and both saturated densities.
struct SaturationEquilibrium {
    double T_K;         // K
    double p;           // Pa
    double rho_liquid;  // kg/m3
    double rho_vapour;  // kg/m3
};

inline constexpr int SATURATION_EQUILIBRIUM_OK = 0;
inline constexpr int SATURATION_EQUILIBRIUM_OUTSIDE = 1;

// Viscosity, thermal conductivity and Prandtl number of one state.
struct TransportProperties {
    double viscosity;             // micro-Pa s
    double thermal_conductivity;  // W/(m K); NaN where the state is mechanically unstable
    double prandtl;
};

// Phase codes of the solvers, and of the phase a density bracket is asked for.
enum PhaseRegion : int {
    PHASE_TWO_PHASE = 0,
    PHASE_LIQUID = 1,
    PHASE_VAPOUR = 2,
    PHASE_SUPERCRITICAL = 3,
};

template <class M>
concept EquationOfState = requires(const double& t, const double& rho, const double& p,
                                   const int& phase, double& out, FluidState& state,
                                   const FluidState& given, SaturationEquilibrium& equilibrium,
                                   const SaturationEquilibrium& found,
                                   TransportProperties& transport) {
    { M::NAME } -> std::convertible_to<const char*>;
    { M::CONSTANTS } -> std::convertible_to<ModelConstants>;
    { M::MOLAR_MASS } -> std::convertible_to<double>;  // kg/mol
    // Every field of `state` at (t, rho); the pair at one temperature, each bit for bit what
    // evaluate gives.
    M::evaluate(t, rho, state);
    M::evaluate_pair(t, rho, rho, state, state);
    // The state at (t, rho) as evaluate gives it, and state_enthalpy of the state at (t, rho_other)
    // bit for bit, without forming that state's other fields.
    M::evaluate_with_enthalpy(t, rho, rho, state, out);
    // The fields of the state at (t, rho) its fugacity and ideal-gas cp read (T, rho, R, tau,
    // delta, tau0, phi0_tt, phir, phir_d), each bit for bit what evaluate stores; the others
    // may be left as they are.
    M::evaluate_fugacity_fields(t, rho, state);
    // The saturated records at t of the phase equilibrium `found` there (its densities, each
    // record's rho exactly the equilibrium's): the pair as evaluate_pair gives it, and one side
    // (PHASE_VAPOUR or the liquid) with the other side's enthalpy as evaluate_with_enthalpy gives
    // them. A model may form them from its own expansions along the saturation curve (every
    // field other than the sums bit for bit, the sums to the rounding of a direct evaluation).
    M::saturated_pair(t, found, state, state);
    M::saturated_side(t, found, phase, state, out);
    // Whether those records are evaluate's bit for bit (false where they come from expansions).
    { M::SATURATED_RECORDS_ARE_EVALUATIONS } -> std::convertible_to<bool>;
    // The pressure at (t, rho), and the residual derivatives phir_d, phir_dd alone, bit for bit
    // the values evaluate stores.
    { M::pressure(t, rho) } -> std::same_as<double>;
    { M::phir_d(t, rho) } -> std::same_as<double>;
    M::phir_d_dd(t, rho, out, out);
    // The third residual derivatives phir_ddd and phir_ddt at (t, rho), analytic; and with the
    // state at (t, rho) as evaluate gives it, in one evaluation (the two derivatives bit for bit
    // the same either way).
    M::phir_ddd_ddt(t, rho, out, out);
    M::evaluate_with_third(t, rho, state, out, out);
    // The third residual derivatives of one saturated record (side as for saturated_side) at t
    // of the equilibrium `found`: phir_ddd_ddt at its density, or from the model's expansions
    // along the saturation curve where its records come from them (to the rounding of a direct
    // evaluation).
    M::saturated_third(t, found, phase, out, out);
    // The second and third virial coefficients B (m3/kg) and C (m6/kg2) at t: the limits of
    // phir_d / rho_r and phir_dd / rho_r^2 as the density goes to 0.
    M::virial_coefficients(t, out, out);
    // Phase equilibrium at a temperature (K) or a pressure: SATURATION_EQUILIBRIUM_OK or
    // SATURATION_EQUILIBRIUM_OUTSIDE (every field NaN).
    { M::saturation_at_temperature(t, equilibrium) } -> std::same_as<int>;
    { M::saturation_at_pressure(p, equilibrium) } -> std::same_as<int>;
    // A density bracket [lo, hi] of the stable phase (PHASE_LIQUID, _VAPOUR, _SUPERCRITICAL) at
    // (p, t).
    M::density_bracket(p, t, phase, out, out);
    // The superheated liquid at the saturation temperature t: how far below the saturated
    // liquid's density its bracket reaches (kg/m3), and the highest temperature it is sought at.
    { M::superheat_depth(t) } -> std::same_as<double>;
    { M::superheat_limit_temperature(t) } -> std::same_as<double>;
    // The melting pressure (Pa) at t: the liquid's upper bound, +infinity where the model has none.
    { M::melting_pressure(t) } -> std::same_as<double>;
    // Its inverse: the lowest temperature (degC) of the liquid at p; -infinity where none.
    { M::melting_temperature(p) } -> std::same_as<double>;
    // Transport and the derivatives the result needs, of a single-phase state.
    M::transport(given, transport);
    { M::surface_tension(given) } -> std::same_as<double>;
    { M::isentropic_exponent(given) } -> std::same_as<double>;
    { M::drho_dp_t(given) } -> std::same_as<double>;
    { M::dp_dt_rho(given) } -> std::same_as<double>;
};

}  // namespace zeltra5
