#pragma once
// The 1993 equation of state of ammonia behind the model seam: its constants and its functions,
// each forwarding to the model's own implementation (zeltra5/helmholtz.hpp,
// saturation_equilibrium.hpp, saturation_fits.hpp, transport.hpp).

#include <cmath>

#include "zeltra5/helmholtz.hpp"
#include "zeltra5/model.hpp"
#include "zeltra5/saturation_equilibrium.hpp"
#include "zeltra5/saturation_fits.hpp"
#include "zeltra5/tr1993_constants.hpp"
#include "zeltra5/transport.hpp"

namespace zeltra5 {

// The density bracket of a stable phase at (P, T) from the fitted isobar and saturation curves.
void tr1993_density_bracket(const double& P, const double& T, const int& phase, double& lo,
                            double& hi);

// How far below the saturated liquid's density the superheated liquid's bracket reaches at the
// saturation temperature T_s (kg/m3): 0 outside [-77 (less the edge margin), 129.4) degC, below -74
// degC the depth at -74 degC.
double tr1993_superheat_depth(const double& T_s);

struct Tr1993 {
    static constexpr const char* NAME = "tr1993";
    static constexpr double MOLAR_MASS = tr1993::MOLAR_MASS;
    static constexpr ModelConstants CONSTANTS{
        tr1993::GAS_CONSTANT,
        tr1993::EQUATION_CRITICAL_TEMPERATURE_C,
        tr1993::EQUATION_CRITICAL_DENSITY,
        tr1993::CRITICAL_PRESSURE,
        tr1993::SATURATION_LIMIT_TEMPERATURE_C,
        tr1993::SATURATION_LIMIT_PRESSURE,
        tr1993::CRITICAL_TEMPERATURE_C,
        tr1993::SUPERHEAT_CEILING,
        DomainLimits{tr1993::MIN_PRESSURE, tr1993::MAX_PRESSURE, tr1993::MIN_TEMPERATURE,
                     tr1993::MAX_TEMPERATURE, tr1993::EDGE_TEMPERATURE_MARGIN,
                     tr1993::LOWEST_ADMITTED_PRESSURE, tr1993::HIGHEST_ADMITTED_PRESSURE,
                     tr1993::LOWEST_ADMITTED_TEMPERATURE, tr1993::HIGHEST_ADMITTED_TEMPERATURE},
    };

    static void evaluate(const double& t, const double& rho, FluidState& state) {
        evaluate_state(t, rho, state);
    }
    static void evaluate_pair(const double& t, const double& rho_a, const double& rho_b,
                              FluidState& a, FluidState& b) {
        evaluate_states_at_temperature(t, rho_a, rho_b, a, b);
    }
    static void evaluate_with_enthalpy(const double& t, const double& rho, const double& rho_other,
                                       FluidState& state, double& enthalpy_other) {
        evaluate_state_and_enthalpy(t, rho, rho_other, state, enthalpy_other);
    }
    static void evaluate_fugacity_fields(const double& t, const double& rho, FluidState& state) {
        zeltra5::evaluate_fugacity_fields(t, rho, state);
    }
    // The saturated records are evaluated at the equilibrium's densities.
    static constexpr bool SATURATED_RECORDS_ARE_EVALUATIONS = true;
    static void saturated_pair(const double& t, const SaturationEquilibrium& e, FluidState& liquid,
                               FluidState& vapour) {
        evaluate_states_at_temperature(t, e.rho_liquid, e.rho_vapour, liquid, vapour);
    }
    static void saturated_side(const double& t, const SaturationEquilibrium& e, const int& side,
                               FluidState& state, double& enthalpy_other) {
        const bool vapour = side == PHASE_VAPOUR;
        evaluate_state_and_enthalpy(t, vapour ? e.rho_vapour : e.rho_liquid,
                                    vapour ? e.rho_liquid : e.rho_vapour, state, enthalpy_other);
    }
    static double pressure(const double& t, const double& rho) { return pressure_at(t, rho); }
    static double phir_d(const double& t, const double& rho) { return residual_phir_d(t, rho); }
    static void phir_d_dd(const double& t, const double& rho, double& d, double& dd) {
        residual_phir_d_dd(t, rho, d, dd);
    }
    static void phir_ddd_ddt(const double& t, const double& rho, double& ddd, double& ddt) {
        residual_phir_ddd_ddt(t, rho, ddd, ddt);
    }
    static void evaluate_with_third(const double& t, const double& rho, FluidState& state,
                                    double& ddd, double& ddt) {
        evaluate_state_and_third(t, rho, state, ddd, ddt);
    }
    static void saturated_third(const double& t, const SaturationEquilibrium& e, const int& side,
                                double& ddd, double& ddt) {
        residual_phir_ddd_ddt(t, side == PHASE_VAPOUR ? e.rho_vapour : e.rho_liquid, ddd, ddt);
    }
    static void virial_coefficients(const double& t, double& B, double& C) {
        double d = 0.0;
        double dd = 0.0;
        residual_low_density_limit(t, d, dd);
        B = d * tr1993::INV_CRITICAL_DENSITY;
        C = dd * tr1993::INV_CRITICAL_DENSITY * tr1993::INV_CRITICAL_DENSITY;
    }
    static int saturation_at_temperature(const double& T_K, SaturationEquilibrium& out) {
        return saturation_equilibrium_at_temperature(T_K, out);
    }
    static int saturation_at_pressure(const double& p, SaturationEquilibrium& out) {
        return saturation_equilibrium_at_pressure(p, out);
    }
    static void density_bracket(const double& p, const double& t, const int& phase, double& lo,
                                double& hi) {
        tr1993_density_bracket(p, t, phase, lo, hi);
    }
    static double superheat_depth(const double& T_s) { return tr1993_superheat_depth(T_s); }
    static double superheat_limit_temperature(const double& T_s) {
        return zeltra5::superheat_limit_temperature(T_s);
    }
    static void transport(const FluidState& state, TransportProperties& out) {
        state_transport_properties(state, out);
    }
    static double surface_tension(const FluidState& state) { return state_surface_tension(state); }
    // The 1993 equation's domain is bounded by its pressure and temperature limits alone.
    static double melting_pressure(const double&) { return HUGE_VAL; }
    static double melting_temperature(const double&) { return -HUGE_VAL; }
    static double isentropic_exponent(const FluidState& state) {
        return state_isentropic_exponent(state);
    }
    static double drho_dp_t(const FluidState& state) { return state_drho_dp_t(state); }
    static double dp_dt_rho(const FluidState& state) { return state_dp_dt_rho(state); }
};

static_assert(EquationOfState<Tr1993>);

}  // namespace zeltra5
