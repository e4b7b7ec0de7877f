#pragma once
// The solvers as templates over the equation of state (zeltra5/model.hpp): the same algorithms
// for every model, instantiated for each model of zeltra5/models.hpp. The functions and their
// contracts are those of zeltra5/solvers.hpp, which offers them for the default model.

#include "zeltra5/model.hpp"
#include "zeltra5/solvers.hpp"

namespace zeltra5::flash {

// Saturation from the model's phase equilibrium (saturation.cpp).
template <class M>
struct Saturation {
    static void saturation_by_temperature(const double& T, double& P_s, FluidState& liquid,
                                          FluidState& vapour);
    static void saturation_by_pressure(const double& P, double& T_s, FluidState& liquid,
                                       FluidState& vapour);
    static void saturated_side_by_temperature(const double& T, const int& side, double& P_s,
                                              FluidState& state, double& other_enthalpy);
    static void saturated_side_by_pressure(const double& P, const int& side, double& T_s,
                                           FluidState& state, double& other_enthalpy);
    static double saturation_temperature(const double& P);
    static double saturation_pressure(const double& T);
};

// Density at (P, T) and the (P, T) state (density_solver.cpp).
template <class M>
struct PressureTemperature {
    static void solve_density_at_pressure_temperature(const int& metastable_side, const double& P,
                                                      const double& T, const FluidState& sat_liquid,
                                                      const FluidState& sat_vapour, int& phase,
                                                      double& x, FluidState& liquid_out,
                                                      FluidState& vapour_out);
    static void solve_density_at_pressure_temperature(const int& metastable_side, const double& P,
                                                      const double& T,
                                                      const PressureSaturation& saturation,
                                                      int& phase, double& x, FluidState& liquid_out,
                                                      FluidState& vapour_out);
    static void state_from_pressure_temperature(const int& metastable_side, const double& P,
                                                const double& T, int& phase, double& x,
                                                FluidState& liquid, FluidState& vapour);
    static void state_from_pressure_temperature(const int& metastable_side, const double& P,
                                                const double& T,
                                                const PressureSaturation& saturation, int& phase,
                                                double& x, FluidState& liquid, FluidState& vapour);
    static void densities_from_pressure_temperature(const double& P, const double& T,
                                                    double& liquid_rho, double& vapour_rho);
};

// Pressure and one more property: h, u, s or rho (caloric_solvers.cpp).
template <class M>
struct Isobar {
    static void state_from_pressure_property(const IsobarProperty& property,
                                             const int& metastable_side, const double& P,
                                             const double& target, int& phase, double& x,
                                             FluidState& liquid_out, FluidState& vapour_out);
    static void state_from_pressure_property(const IsobarProperty& property,
                                             const int& metastable_side, const double& P,
                                             const double& target,
                                             const PressureSaturation& saturation, int& phase,
                                             double& x, FluidState& liquid_out,
                                             FluidState& vapour_out);
    static void state_from_pressure_enthalpy_given_saturation(
        const int& metastable_side, const double& P, const double& target,
        const FluidState& sat_liquid, const FluidState& sat_vapour, int& phase, double& x,
        FluidState& liquid_out, FluidState& vapour_out);
};

// Temperature and density (temperature_density.cpp).
template <class M>
struct TemperatureDensity {
    static void state_from_temperature_density(const int& metastable_side, const double& T,
                                               const double& rho, int& phase, double& x,
                                               FluidState& liquid, FluidState& vapour, double& P,
                                               PressureSaturation& saturation);
};

}  // namespace zeltra5::flash
