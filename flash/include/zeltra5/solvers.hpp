#pragma once
// State solvers: saturation at a given temperature or pressure, the density solver at (P, T),
// and the inverse problems of every argument pair. Temperatures in degC, everything else SI.
//
// Every two-value solver writes an output pair of records: for phase 0 the saturated liquid and
// vapour, for phase 1 the liquid found and the saturated vapour, for phase 2 the saturated liquid
// and the vapour found, for phase 3 the state found in both. Solvers never fail: they always
// return a state, and the caller judges it.

#include "zeltra5/model.hpp"

namespace zeltra5 {

// Saturated liquid and vapour at T, and the saturation pressure: the equation's own phase
// equilibrium. Above its range the critical point and CRITICAL_PRESSURE, below it NaN.
void saturation_by_temperature(const double& T, double& P_s, FluidState& liquid,
                               FluidState& vapour);

// Saturation temperature at P and the saturated records belonging to it (the equilibrium; the
// critical point above its range, NaN below it).
void saturation_by_pressure(const double& P, double& T_s, FluidState& liquid, FluidState& vapour);

// One side (PHASE_LIQUID or PHASE_VAPOUR) of the saturation at T or at P: its record bit for bit
// as saturation_by_temperature / saturation_by_pressure give it, the same P_s or T_s, and
// state_enthalpy of the other side's record (for the latent heat) without forming that record.
void saturated_side_by_temperature(const double& T, const int& side, double& P_s, FluidState& state,
                                   double& other_enthalpy);
void saturated_side_by_pressure(const double& P, const int& side, double& T_s, FluidState& state,
                                double& other_enthalpy);

// The saturation temperature saturation_by_pressure returns at P, without the records.
double saturation_temperature(const double& P);

// The saturation pressure saturation_by_temperature returns at T, without the records.
double saturation_pressure(const double& T);

// Exponent of `value` printed as "% -.16e", minus digits - 1 (0 for NaN or infinity).
int decimal_exponent(const double& value, const int& digits);

// Single-phase density at (P, T) given the saturated records at P.
// metastable_side: 1 superheated liquid, 2 subcooled vapour, other values none.
void solve_density_at_pressure_temperature(const int& metastable_side, const double& P,
                                           const double& T, const FluidState& sat_liquid,
                                           const FluidState& sat_vapour, int& phase, double& x,
                                           FluidState& liquid_out, FluidState& vapour_out);

// (P, T): computes the saturation itself; only metastable_side = 1 is honoured.
void state_from_pressure_temperature(const int& metastable_side, const double& P, const double& T,
                                     int& phase, double& x, FluidState& liquid, FluidState& vapour);

// (P, h), (P, u), (P, s), (P, rho): a temperature search on one branch.
void state_from_pressure_enthalpy(const int& metastable_side, const double& P, const double& target,
                                  int& phase, double& x, FluidState& liquid_out,
                                  FluidState& vapour_out);
void state_from_pressure_energy(const int& metastable_side, const double& P, const double& target,
                                int& phase, double& x, FluidState& liquid_out,
                                FluidState& vapour_out);
void state_from_pressure_entropy(const int& metastable_side, const double& P, const double& target,
                                 int& phase, double& x, FluidState& liquid_out,
                                 FluidState& vapour_out);
void state_from_pressure_density(const int& metastable_side, const double& P, const double& target,
                                 int& phase, double& x, FluidState& liquid_out,
                                 FluidState& vapour_out);
// (P, h) with the saturated records at P supplied by the caller.
void state_from_pressure_enthalpy_given_saturation(const int& metastable_side, const double& P,
                                                   const double& target,
                                                   const FluidState& sat_liquid,
                                                   const FluidState& sat_vapour, int& phase,
                                                   double& x, FluidState& liquid_out,
                                                   FluidState& vapour_out);

// The saturation at one pressure as saturation_by_pressure forms it. A caller that needs it again
// after a solve (the front end does) forms it once and hands it to the variants below, which
// give exactly what their counterparts above give. Read only at or below the critical pressure.
struct PressureSaturation {
    double T_s;
    FluidState liquid;
    FluidState vapour;
};

enum class IsobarProperty : int { enthalpy, internal_energy, entropy, density };

void state_from_pressure_temperature(const int& metastable_side, const double& P, const double& T,
                                     const PressureSaturation& saturation, int& phase, double& x,
                                     FluidState& liquid, FluidState& vapour);

// solve_density_at_pressure_temperature with the saturation temperature the caller holds,
// saturation.T_s, instead of the one read back from the liquid record's kelvin (the two can
// differ in the last bit): a search that ends at T_s then meets the saturated pair itself.
void solve_density_at_pressure_temperature(const int& metastable_side, const double& P,
                                           const double& T, const PressureSaturation& saturation,
                                           int& phase, double& x, FluidState& liquid_out,
                                           FluidState& vapour_out);

// The densities of the two records state_from_pressure_temperature(0, P, T, ...) fills, found
// without evaluating the records: for callers that need only a density.
void densities_from_pressure_temperature(const double& P, const double& T, double& liquid_rho,
                                         double& vapour_rho);

// state_from_pressure_enthalpy / _energy / _entropy / _density by the property matched.
void state_from_pressure_property(const IsobarProperty& property, const int& metastable_side,
                                  const double& P, const double& target,
                                  const PressureSaturation& saturation, int& phase, double& x,
                                  FluidState& liquid_out, FluidState& vapour_out);

// (T, rho): evaluates the state directly and classifies it against the saturation line.
void state_from_temperature_density(const int& metastable_side, const double& T, const double& rho,
                                    int& phase, double& x, FluidState& liquid, FluidState& vapour);

// The same, with the pressure P of the result and the saturation at P (formed unless the phase is
// 3): the state's own pressure for one phase; for a mixture the saturated vapour's pressure at T,
// at which saturation_by_pressure gives back T (to its search's accuracy, except within about
// 0.1 K of the critical point: the caller checks saturation.T_s). A mixture's records are then
// the saturated states at P and x its vapour mass fraction from their specific volumes.
void state_from_temperature_density(const int& metastable_side, const double& T, const double& rho,
                                    int& phase, double& x, FluidState& liquid, FluidState& vapour,
                                    double& P, PressureSaturation& saturation);

}  // namespace zeltra5
