// The solvers of zeltra5/solvers.hpp: the templates of zeltra5/flash.hpp for the default model.

#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {

namespace {
using Sat = flash::Saturation<DefaultModel>;
using PT = flash::PressureTemperature<DefaultModel>;
using PX = flash::Isobar<DefaultModel>;
using TD = flash::TemperatureDensity<DefaultModel>;
}  // namespace

void saturation_by_temperature(const double& T, double& P_s, FluidState& liquid,
                               FluidState& vapour) {
    Sat::saturation_by_temperature(T, P_s, liquid, vapour);
}

void saturation_by_pressure(const double& P, double& T_s, FluidState& liquid, FluidState& vapour) {
    Sat::saturation_by_pressure(P, T_s, liquid, vapour);
}

void saturated_side_by_temperature(const double& T, const int& side, double& P_s, FluidState& state,
                                   double& other_enthalpy) {
    Sat::saturated_side_by_temperature(T, side, P_s, state, other_enthalpy);
}

void saturated_side_by_pressure(const double& P, const int& side, double& T_s, FluidState& state,
                                double& other_enthalpy) {
    Sat::saturated_side_by_pressure(P, side, T_s, state, other_enthalpy);
}

double saturation_temperature(const double& P) {
    return Sat::saturation_temperature(P);
}

double saturation_pressure(const double& T) {
    return Sat::saturation_pressure(T);
}

void solve_density_at_pressure_temperature(const int& metastable_side, const double& P,
                                           const double& T, const FluidState& sat_liquid,
                                           const FluidState& sat_vapour, int& phase, double& x,
                                           FluidState& liquid_out, FluidState& vapour_out) {
    PT::solve_density_at_pressure_temperature(metastable_side, P, T, sat_liquid, sat_vapour, phase,
                                              x, liquid_out, vapour_out);
}

void solve_density_at_pressure_temperature(const int& metastable_side, const double& P,
                                           const double& T, const PressureSaturation& saturation,
                                           int& phase, double& x, FluidState& liquid_out,
                                           FluidState& vapour_out) {
    PT::solve_density_at_pressure_temperature(metastable_side, P, T, saturation, phase, x,
                                              liquid_out, vapour_out);
}

void state_from_pressure_temperature(const int& metastable_side, const double& P, const double& T,
                                     int& phase, double& x, FluidState& liquid,
                                     FluidState& vapour) {
    PT::state_from_pressure_temperature(metastable_side, P, T, phase, x, liquid, vapour);
}

void state_from_pressure_temperature(const int& metastable_side, const double& P, const double& T,
                                     const PressureSaturation& saturation, int& phase, double& x,
                                     FluidState& liquid, FluidState& vapour) {
    PT::state_from_pressure_temperature(metastable_side, P, T, saturation, phase, x, liquid,
                                        vapour);
}

void densities_from_pressure_temperature(const double& P, const double& T, double& liquid_rho,
                                         double& vapour_rho) {
    PT::densities_from_pressure_temperature(P, T, liquid_rho, vapour_rho);
}

void state_from_pressure_enthalpy(const int& metastable_side, const double& P, const double& target,
                                  int& phase, double& x, FluidState& liquid_out,
                                  FluidState& vapour_out) {
    PX::state_from_pressure_property(IsobarProperty::enthalpy, metastable_side, P, target, phase, x,
                                     liquid_out, vapour_out);
}

void state_from_pressure_energy(const int& metastable_side, const double& P, const double& target,
                                int& phase, double& x, FluidState& liquid_out,
                                FluidState& vapour_out) {
    PX::state_from_pressure_property(IsobarProperty::internal_energy, metastable_side, P, target,
                                     phase, x, liquid_out, vapour_out);
}

void state_from_pressure_entropy(const int& metastable_side, const double& P, const double& target,
                                 int& phase, double& x, FluidState& liquid_out,
                                 FluidState& vapour_out) {
    PX::state_from_pressure_property(IsobarProperty::entropy, metastable_side, P, target, phase, x,
                                     liquid_out, vapour_out);
}

void state_from_pressure_density(const int& metastable_side, const double& P, const double& target,
                                 int& phase, double& x, FluidState& liquid_out,
                                 FluidState& vapour_out) {
    PX::state_from_pressure_property(IsobarProperty::density, metastable_side, P, target, phase, x,
                                     liquid_out, vapour_out);
}

void state_from_pressure_enthalpy_given_saturation(const int& metastable_side, const double& P,
                                                   const double& target,
                                                   const FluidState& sat_liquid,
                                                   const FluidState& sat_vapour, int& phase,
                                                   double& x, FluidState& liquid_out,
                                                   FluidState& vapour_out) {
    PX::state_from_pressure_enthalpy_given_saturation(metastable_side, P, target, sat_liquid,
                                                      sat_vapour, phase, x, liquid_out, vapour_out);
}

void state_from_pressure_property(const IsobarProperty& property, const int& metastable_side,
                                  const double& P, const double& target,
                                  const PressureSaturation& saturation, int& phase, double& x,
                                  FluidState& liquid_out, FluidState& vapour_out) {
    PX::state_from_pressure_property(property, metastable_side, P, target, saturation, phase, x,
                                     liquid_out, vapour_out);
}

void state_from_temperature_density(const int& metastable_side, const double& T, const double& rho,
                                    int& phase, double& x, FluidState& liquid, FluidState& vapour,
                                    double& P, PressureSaturation& saturation) {
    TD::state_from_temperature_density(metastable_side, T, rho, phase, x, liquid, vapour, P,
                                       saturation);
}

void state_from_temperature_density(const int& metastable_side, const double& T, const double& rho,
                                    int& phase, double& x, FluidState& liquid, FluidState& vapour) {
    double P = 0.0;
    PressureSaturation saturation{};
    TD::state_from_temperature_density(metastable_side, T, rho, phase, x, liquid, vapour, P,
                                       saturation);
}

}  // namespace zeltra5
