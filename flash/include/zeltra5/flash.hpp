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
    // The pressure and the densities of the records saturation_by_temperature would give, without
    // evaluating them.
    static void saturated_densities_by_temperature(const double& T, double& P_s, double& rho_liquid,
                                                   double& rho_vapour);
};

// The third residual derivatives phir_ddd, phir_ddt of the single-phase state a solver evaluated
// last, formed in that evaluation (bit for bit what M::phir_ddd_ddt gives there), for a caller
// that asks for them; `formed` false where the solver evaluated no state (a saturated record or
// a mixture stands for the answer).
struct ThirdDerivatives {
    bool formed = false;
    double T = 0.0;  // K, and the density: the state they belong to
    double rho = 0.0;
    double phir_ddd = 0.0;
    double phir_ddt = 0.0;
};

// M::evaluate, with the third derivatives into `third` when it is given.
template <class M>
inline void evaluate_with_third_if(const double& t, const double& rho, FluidState& state,
                                   ThirdDerivatives* third) {
    if (third == nullptr) {
        M::evaluate(t, rho, state);
        return;
    }
    M::evaluate_with_third(t, rho, state, third->phir_ddd, third->phir_ddt);
    third->formed = true;
    third->T = state.T;
    third->rho = state.rho;
}

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
    // With `third`, the single-phase state's third derivatives too.
    static void state_from_pressure_temperature(const int& metastable_side, const double& P,
                                                const double& T,
                                                const PressureSaturation& saturation, int& phase,
                                                double& x, FluidState& liquid, FluidState& vapour,
                                                ThirdDerivatives* third = nullptr);
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
    // With `third`, the single-phase state's third derivatives too.
    static void state_from_temperature_density(const int& metastable_side, const double& T,
                                               const double& rho, int& phase, double& x,
                                               FluidState& liquid, FluidState& vapour, double& P,
                                               PressureSaturation& saturation,
                                               ThirdDerivatives* third = nullptr);
};

// Every solver of zeltra5/solvers.hpp for the model M, by the same names: for code that is
// itself a template over the model (the front end). Called qualified (Solvers<M>::name), never
// unqualified, which would find the default model's functions of zeltra5/solvers.hpp.
template <class M>
struct Solvers : Saturation<M>, PressureTemperature<M>, Isobar<M>, TemperatureDensity<M> {};

// What a solver of the isotherm, isochore and (h, s) families found: a single-phase state at
// (t, rho), or a mixture of vapour mass fraction x on the saturation at t; or, when no state of
// the domain has the given values, which edge of the line the target lies beyond.
enum class LineOutcome : int {
    found,
    below_band,  // the target is below `limit`, its value at the line's edge (edge_p, edge_t)
    above_band,  // ... above it
    none,        // no state found (the caller refuses: not reproduced)
};

struct LineState {
    LineOutcome outcome = LineOutcome::none;
    int phase = -1;       // PhaseRegion when found
    double t = 0.0;       // degC
    double rho = 0.0;     // kg/m3, a single-phase state's
    double x = 0.0;       // a mixture's vapour mass fraction
    double limit = 0.0;   // the band edge's value of the target
    double edge_p = 0.0;  // Pa
    double edge_t = 0.0;  // degC
};

// The property a line solver matches.
enum class LineProperty : int { enthalpy, entropy, internal_energy };

// Temperature and h, s or u (isotherm.cpp): a density search along the isotherm.
template <class M>
struct Isotherm {
    static void state_from_temperature_property(const LineProperty& property,
                                                const int& metastable_side, const double& t,
                                                const double& target, LineState& out);
};

// Density and h, s or u (isochore.cpp): a temperature search along the isochore.
template <class M>
struct Isochore {
    static void state_from_density_property(const LineProperty& property,
                                            const int& metastable_side, const double& rho,
                                            const double& target, LineState& out);
};

// Enthalpy and entropy (enthalpy_entropy.cpp).
template <class M>
struct EnthalpyEntropy {
    static void state_from_enthalpy_entropy(const int& metastable_side, const double& h,
                                            const double& s, LineState& out);
};

}  // namespace zeltra5::flash
