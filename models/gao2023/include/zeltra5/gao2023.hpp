#pragma once
// The 2023 reference equation of state of ammonia (Gao, Wu, Bell, Harvey and Lemmon, J. Phys.
// Chem. Ref. Data 52, 013102 (2023)) behind the model seam, with the 2018 viscosity and thermal
// conductivity correlations of Monogenidou, Assael and Huber and the 2012 surface tension of
// Mulero, Cachadina and Parra. Its constants and functions are in zeltra5::gao2023; Gao2023
// forwards to them.

#include "zeltra5/fluid_state.hpp"
#include "zeltra5/model.hpp"

namespace zeltra5::gao2023 {

inline constexpr double MOLAR_GAS_CONSTANT = 8.314462618;                // J/(mol K)
inline constexpr double MOLAR_MASS = 0.01703052;                         // kg/mol
inline constexpr double GAS_CONSTANT = MOLAR_GAS_CONSTANT / MOLAR_MASS;  // J/(kg K)
// The reducing point, the paper's critical point.
inline constexpr double REDUCING_TEMPERATURE = 405.56;             // K
inline constexpr double REDUCING_DENSITY = 13.696e3 * MOLAR_MASS;  // kg/m3
inline constexpr double REDUCING_PRESSURE = 11.3634e6;             // Pa, as the paper gives it
inline constexpr double TRIPLE_POINT_TEMPERATURE = 195.49;         // K
inline constexpr double MAX_TEMPERATURE_K = 725.0;
// The equation's pressure at the reducing point (its own critical pressure; checked by the
// tests).
inline constexpr double CRITICAL_PRESSURE = 11363395.014182353;
inline constexpr double CRITICAL_TEMPERATURE_C = REDUCING_TEMPERATURE - KELVIN_OFFSET;
// Saturation is answered from the phase equilibrium up to this margin below Tc.
inline constexpr double SATURATION_LIMIT_MARGIN = 0.01;  // K
inline constexpr double SATURATION_LIMIT_TEMPERATURE_K =
    REDUCING_TEMPERATURE - SATURATION_LIMIT_MARGIN;
inline constexpr double SATURATION_LIMIT_PRESSURE = 11361375.486928344;  // Pa, the equilibrium's
inline constexpr double MIN_TEMPERATURE = TRIPLE_POINT_TEMPERATURE - KELVIN_OFFSET;  // degC
inline constexpr double MAX_TEMPERATURE = MAX_TEMPERATURE_K - KELVIN_OFFSET;         // degC
inline constexpr double MIN_PRESSURE =
    6053.3888838311186;                         // Pa, the equilibrium's at MIN_TEMPERATURE
inline constexpr double MAX_PRESSURE = 1000e6;  // Pa
// The domain's edges under rounding, as the 1993 model holds them: temperatures to 1e-9 K, the
// lowest pressure to the equilibrium's at the lowest admitted temperature less 1e-9 Pa, the
// highest to 1e-5 Pa above.
inline constexpr double EDGE_TEMPERATURE_MARGIN = 1e-9;  // K
inline constexpr double LOWEST_ADMITTED_TEMPERATURE = MIN_TEMPERATURE - EDGE_TEMPERATURE_MARGIN;
inline constexpr double HIGHEST_ADMITTED_TEMPERATURE = MAX_TEMPERATURE + EDGE_TEMPERATURE_MARGIN;
inline constexpr double LOWEST_ADMITTED_EQUILIBRIUM_PRESSURE = 6053.3888833458495;  // Pa
inline constexpr double LOWEST_ADMITTED_PRESSURE = LOWEST_ADMITTED_EQUILIBRIUM_PRESSURE - 1e-9;
inline constexpr double HIGHEST_ADMITTED_PRESSURE = MAX_PRESSURE + 1e-5;
// Superheated liquid is sought only for saturation temperatures below this one, degC (as with the
// 1993 model: above it its limit curve falls below the saturation temperature).
inline constexpr double SUPERHEAT_CEILING = 129.4;

// Every field of `state` at t (degC) and rho (kg/m3, > 0).
void evaluate(const double& t, const double& rho, FluidState& state);
// Two records at one temperature (the ideal part's terms in tau formed once).
void evaluate_pair(const double& t, const double& rho_a, const double& rho_b, FluidState& a,
                   FluidState& b);
// The record at (t, rho) and the enthalpy (J/kg) of the state at (t, rho_other), as
// state_enthalpy gives it from that state's record.
void evaluate_with_enthalpy(const double& t, const double& rho, const double& rho_other,
                            FluidState& state, double& enthalpy_other);
// The saturated records at t of the equilibrium e (its densities), as evaluate_pair gives them:
// inside the range of saturation, their sums from expansions over the saturation curve (within
// about 1e-15 of each sum's scale of the exact sums, the other fields bit for bit); outside it,
// evaluate_pair's.
void saturated_pair(const double& t, const SaturationEquilibrium& e, FluidState& liquid,
                    FluidState& vapour);
// The saturated record of one side (PHASE_VAPOUR or the liquid) and the other side's enthalpy,
// likewise (outside the range, evaluate_with_enthalpy's).
void saturated_side(const double& t, const SaturationEquilibrium& e, const int& side,
                    FluidState& state, double& enthalpy_other);
// The record and the residual part's third derivatives, from one pass over the terms.
void evaluate_with_third(const double& t, const double& rho, FluidState& state, double& phir_ddd,
                         double& phir_ddt);
// The residual part's third derivatives d3 phir/d delta3 and d3 phir/d delta2 d tau at (t, rho).
void third_derivatives(const double& t, const double& rho, double& phir_ddd, double& phir_ddt);
// Those of the saturated record of one side at t of the equilibrium e: inside the range of
// saturation from expansions over the saturation curve (within about 1e-15 of each sum's scale),
// outside it third_derivatives' at the side's density.
void saturated_third(const double& t, const SaturationEquilibrium& e, const int& side,
                     double& phir_ddd, double& phir_ddt);
double pressure(const double& t, const double& rho);
double phir_d(const double& t, const double& rho);
void phir_d_dd(const double& t, const double& rho, double& d, double& dd);
// The limits of phir_d and phir_dd as the density goes to zero (the virial coefficients): inside
// the range of saturation from expansions over the temperature (within about 1e-15 of each sum's
// scale), outside it from the terms.
void low_density_limit(const double& t, double& phir_d, double& phir_dd);
// phir_d and phir_dd at the thermal conductivity's reference temperature (608.34 K) and rho.
void phir_d_dd_at_enhancement_reference(const double& rho, double& d, double& dd);

// Ancillary equations of the paper, T in K (between the triple point and Tc).
double ancillary_vapour_pressure(double T_K);
double ancillary_liquid_density(double T_K);
double ancillary_vapour_density(double T_K);

// The melting pressure (Pa) at T (K) from the paper's melting line; NaN outside [triple point,
// 725 K].
double melting_pressure(double T_K);
// The lowest temperature (K) at which the liquid exists at p (Pa): the melting line's inverse
// (the switch temperature for a pressure in the line's jump there), the triple point at or below
// its pressure.
double melting_temperature(double p);

// The liquid spinodal at t (degC, below Tc): the density (kg/m3) of the liquid branch where
// (dp/drho)_T vanishes, by Newton's method below the saturated liquid; NaN
// where the isotherm has no spinodal there.
double liquid_spinodal_density(double t);

// The superheated liquid at the saturation temperature ts (degC): the highest temperature it is
// sought at (ts itself outside (MIN_TEMPERATURE, SUPERHEAT_CEILING)), and how far below the
// saturated liquid's density its bracket reaches (kg/m3): to the spinodal at that limit, 0
// outside [LOWEST_ADMITTED_TEMPERATURE, SUPERHEAT_CEILING).
double superheat_limit_temperature(const double& ts);
double superheat_depth(const double& ts);

int saturation_at_temperature(const double& T_K, SaturationEquilibrium& out);
int saturation_at_pressure(const double& p, SaturationEquilibrium& out);
void density_bracket(const double& p, const double& t, const int& phase, double& lo, double& hi);

// Viscosity (micro-Pa s) at T (K) and rho (kg/m3); NaN outside the correlation's range.
double viscosity(double T_K, double rho);
// Thermal conductivity (W/(m K)) of a state; NaN outside the correlation's range or where the
// state is mechanically unstable.
double thermal_conductivity(const FluidState& state);
void transport(const FluidState& state, TransportProperties& out);
double surface_tension(const FluidState& state);
double drho_dp_t(const FluidState& state);
double dp_dt_rho(const FluidState& state);
double isentropic_exponent(const FluidState& state);

}  // namespace zeltra5::gao2023

namespace zeltra5 {

struct Gao2023 {
    static constexpr const char* NAME = "gao2023";
    static constexpr double MOLAR_MASS = gao2023::MOLAR_MASS;
    static constexpr ModelConstants CONSTANTS{
        gao2023::GAS_CONSTANT,
        gao2023::CRITICAL_TEMPERATURE_C,
        gao2023::REDUCING_DENSITY,
        gao2023::CRITICAL_PRESSURE,
        gao2023::SATURATION_LIMIT_TEMPERATURE_K - KELVIN_OFFSET,
        gao2023::SATURATION_LIMIT_PRESSURE,
        gao2023::CRITICAL_TEMPERATURE_C,
        gao2023::SUPERHEAT_CEILING,
        DomainLimits{gao2023::MIN_PRESSURE, gao2023::MAX_PRESSURE, gao2023::MIN_TEMPERATURE,
                     gao2023::MAX_TEMPERATURE, gao2023::EDGE_TEMPERATURE_MARGIN,
                     gao2023::LOWEST_ADMITTED_PRESSURE, gao2023::HIGHEST_ADMITTED_PRESSURE,
                     gao2023::LOWEST_ADMITTED_TEMPERATURE, gao2023::HIGHEST_ADMITTED_TEMPERATURE},
    };

    static void evaluate(const double& t, const double& rho, FluidState& state) {
        gao2023::evaluate(t, rho, state);
    }
    static void evaluate_pair(const double& t, const double& rho_a, const double& rho_b,
                              FluidState& a, FluidState& b) {
        gao2023::evaluate_pair(t, rho_a, rho_b, a, b);
    }
    static void evaluate_with_enthalpy(const double& t, const double& rho, const double& rho_other,
                                       FluidState& state, double& enthalpy_other) {
        gao2023::evaluate_with_enthalpy(t, rho, rho_other, state, enthalpy_other);
    }
    // The saturated records come from expansions along the saturation curve.
    static constexpr bool SATURATED_RECORDS_ARE_EVALUATIONS = false;
    static void saturated_pair(const double& t, const SaturationEquilibrium& e, FluidState& liquid,
                               FluidState& vapour) {
        gao2023::saturated_pair(t, e, liquid, vapour);
    }
    static void saturated_side(const double& t, const SaturationEquilibrium& e, const int& side,
                               FluidState& state, double& enthalpy_other) {
        gao2023::saturated_side(t, e, side, state, enthalpy_other);
    }
    static void third_derivatives(const double& t, const double& rho, double& phir_ddd,
                                  double& phir_ddt) {
        gao2023::third_derivatives(t, rho, phir_ddd, phir_ddt);
    }
    static void phir_ddd_ddt(const double& t, const double& rho, double& ddd, double& ddt) {
        gao2023::third_derivatives(t, rho, ddd, ddt);
    }
    static void saturated_third(const double& t, const SaturationEquilibrium& e, const int& side,
                                double& ddd, double& ddt) {
        gao2023::saturated_third(t, e, side, ddd, ddt);
    }
    static void evaluate_with_third(const double& t, const double& rho, FluidState& state,
                                    double& ddd, double& ddt) {
        gao2023::evaluate_with_third(t, rho, state, ddd, ddt);
    }
    // B and C from the limits of phir_d and phir_dd at zero density.
    static void virial_coefficients(const double& t, double& B, double& C) {
        double d = 0.0;
        double dd = 0.0;
        gao2023::low_density_limit(t, d, dd);
        B = d / gao2023::REDUCING_DENSITY;
        C = dd / (gao2023::REDUCING_DENSITY * gao2023::REDUCING_DENSITY);
    }
    static double pressure(const double& t, const double& rho) { return gao2023::pressure(t, rho); }
    static double phir_d(const double& t, const double& rho) { return gao2023::phir_d(t, rho); }
    static void phir_d_dd(const double& t, const double& rho, double& d, double& dd) {
        gao2023::phir_d_dd(t, rho, d, dd);
    }
    static int saturation_at_temperature(const double& T_K, SaturationEquilibrium& out) {
        return gao2023::saturation_at_temperature(T_K, out);
    }
    static int saturation_at_pressure(const double& p, SaturationEquilibrium& out) {
        return gao2023::saturation_at_pressure(p, out);
    }
    static void density_bracket(const double& p, const double& t, const int& phase, double& lo,
                                double& hi) {
        gao2023::density_bracket(p, t, phase, lo, hi);
    }
    static double superheat_depth(const double& T_s) { return gao2023::superheat_depth(T_s); }
    static double superheat_limit_temperature(const double& T_s) {
        return gao2023::superheat_limit_temperature(T_s);
    }
    static void transport(const FluidState& state, TransportProperties& out) {
        gao2023::transport(state, out);
    }
    static double surface_tension(const FluidState& state) {
        return gao2023::surface_tension(state);
    }
    // The paper's melting line; within the rounding margin below the triple point or above the
    // highest temperature, its pressure at that end.
    static double melting_temperature(const double& p) {
        return gao2023::melting_temperature(p) - KELVIN_OFFSET;
    }
    static double melting_pressure(const double& t) {
        const double T_K = t + KELVIN_OFFSET;
        if (T_K < gao2023::TRIPLE_POINT_TEMPERATURE && t >= gao2023::LOWEST_ADMITTED_TEMPERATURE) {
            return gao2023::melting_pressure(gao2023::TRIPLE_POINT_TEMPERATURE);
        }
        if (T_K > gao2023::MAX_TEMPERATURE_K && t <= gao2023::HIGHEST_ADMITTED_TEMPERATURE) {
            return gao2023::melting_pressure(gao2023::MAX_TEMPERATURE_K);
        }
        return gao2023::melting_pressure(T_K);
    }
    static double isentropic_exponent(const FluidState& state) {
        return gao2023::isentropic_exponent(state);
    }
    static double drho_dp_t(const FluidState& state) { return gao2023::drho_dp_t(state); }
    static double dp_dt_rho(const FluidState& state) { return gao2023::dp_dt_rho(state); }
    static void evaluate_fugacity_fields(const double& t, const double& rho, FluidState& state) {
        evaluate(t, rho, state);
    }
};

static_assert(EquationOfState<Gao2023>);

}  // namespace zeltra5
