// Saturated liquid and vapour states at a given temperature or pressure.
//
// The states are the model's own phase equilibrium: pressure and both saturated densities, at
// which the two records are evaluated. The pressure reported is the equilibrium pressure, the
// same for both phases. Outside the equilibrium's range nothing is answered from fitted curves:
// below it the records are NaN; at and above the critical temperature (or pressure) they are the
// critical point, which the range check never admits as a saturated state.

#include <limits>

#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::flash {

namespace {

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

template <class M>
void fill_records(const double& T, const SaturationEquilibrium& e, FluidState& liquid,
                  FluidState& vapour) {
    M::saturated_pair(T, e, liquid, vapour);
}

template <class M>
void fill_critical(FluidState& liquid, FluidState& vapour) {
    M::evaluate(M::CONSTANTS.critical_temperature, M::CONSTANTS.critical_density, liquid);
    vapour = liquid;
}

// The record of one side, as fill_records gives it, and the other side's enthalpy.
template <class M>
void fill_side(const double& T, const SaturationEquilibrium& e, const int& side, FluidState& state,
               double& other_enthalpy) {
    M::saturated_side(T, e, side, state, other_enthalpy);
}

// The critical record, as fill_critical gives it for both sides, and its enthalpy.
template <class M>
void fill_critical_side(FluidState& state, double& other_enthalpy) {
    M::evaluate(M::CONSTANTS.critical_temperature, M::CONSTANTS.critical_density, state);
    other_enthalpy = state_enthalpy(state);
}

}  // namespace

template <class M>
double Saturation<M>::saturation_pressure(const double& T) {
    ZELTRA5_COUNT(saturation_by_temperature);
    SaturationEquilibrium e;
    if (M::saturation_at_temperature(T + KELVIN_OFFSET, e) == SATURATION_EQUILIBRIUM_OK) {
        return e.p;
    }
    return T > M::CONSTANTS.saturation_limit_temperature ? M::CONSTANTS.critical_pressure
                                                         : NOT_A_NUMBER;
}

template <class M>
void Saturation<M>::saturation_by_temperature(const double& T, double& P_s, FluidState& liquid,
                                              FluidState& vapour) {
    ZELTRA5_COUNT(saturation_by_temperature);
    SaturationEquilibrium e;
    if (M::saturation_at_temperature(T + KELVIN_OFFSET, e) == SATURATION_EQUILIBRIUM_OK) {
        fill_records<M>(T, e, liquid, vapour);
        P_s = e.p;
    } else if (T > M::CONSTANTS.saturation_limit_temperature) {
        fill_critical<M>(liquid, vapour);
        P_s = M::CONSTANTS.critical_pressure;
    } else {
        fill_records<M>(T, e, liquid, vapour);  // NaN records below the range
        P_s = NOT_A_NUMBER;
    }
}

template <class M>
void Saturation<M>::saturated_densities_by_temperature(const double& T, double& P_s,
                                                       double& rho_liquid, double& rho_vapour) {
    ZELTRA5_COUNT(saturation_by_temperature);
    SaturationEquilibrium e;
    const int status = M::saturation_at_temperature(T + KELVIN_OFFSET, e);
    if (status != SATURATION_EQUILIBRIUM_OK && T > M::CONSTANTS.saturation_limit_temperature) {
        P_s = M::CONSTANTS.critical_pressure;
        rho_liquid = M::CONSTANTS.critical_density;
        rho_vapour = M::CONSTANTS.critical_density;
        return;
    }
    // Below the range, the NaN densities of the equilibrium's answer.
    P_s = status == SATURATION_EQUILIBRIUM_OK ? e.p : NOT_A_NUMBER;
    rho_liquid = e.rho_liquid;
    rho_vapour = e.rho_vapour;
}

template <class M>
void Saturation<M>::saturated_side_by_temperature(const double& T, const int& side, double& P_s,
                                                  FluidState& state, double& other_enthalpy) {
    ZELTRA5_COUNT(saturation_by_temperature);
    SaturationEquilibrium e;
    if (M::saturation_at_temperature(T + KELVIN_OFFSET, e) == SATURATION_EQUILIBRIUM_OK) {
        fill_side<M>(T, e, side, state, other_enthalpy);
        P_s = e.p;
    } else if (T > M::CONSTANTS.saturation_limit_temperature) {
        fill_critical_side<M>(state, other_enthalpy);
        P_s = M::CONSTANTS.critical_pressure;
    } else {
        fill_side<M>(T, e, side, state, other_enthalpy);  // NaN below the range
        P_s = NOT_A_NUMBER;
    }
}

template <class M>
double Saturation<M>::saturation_temperature(const double& P) {
    ZELTRA5_COUNT(saturation_by_pressure);
    SaturationEquilibrium e;
    if (M::saturation_at_pressure(P, e) == SATURATION_EQUILIBRIUM_OK) {
        return e.T_K - KELVIN_OFFSET;
    }
    return P > M::CONSTANTS.saturation_limit_pressure ? M::CONSTANTS.critical_temperature
                                                      : NOT_A_NUMBER;
}

template <class M>
void Saturation<M>::saturation_by_pressure(const double& P, double& T_s, FluidState& liquid,
                                           FluidState& vapour) {
    ZELTRA5_COUNT(saturation_by_pressure);
    SaturationEquilibrium e;
    if (M::saturation_at_pressure(P, e) == SATURATION_EQUILIBRIUM_OK) {
        T_s = e.T_K - KELVIN_OFFSET;
        fill_records<M>(T_s, e, liquid, vapour);
    } else if (P > M::CONSTANTS.saturation_limit_pressure) {
        // Between the equilibrium's highest pressure and the critical pressure; the solvers read
        // no saturation above it.
        T_s = M::CONSTANTS.critical_temperature;
        fill_critical<M>(liquid, vapour);
    } else {
        T_s = NOT_A_NUMBER;
        fill_records<M>(T_s, e, liquid, vapour);
    }
}

template <class M>
void Saturation<M>::saturated_side_by_pressure(const double& P, const int& side, double& T_s,
                                               FluidState& state, double& other_enthalpy) {
    ZELTRA5_COUNT(saturation_by_pressure);
    SaturationEquilibrium e;
    if (M::saturation_at_pressure(P, e) == SATURATION_EQUILIBRIUM_OK) {
        T_s = e.T_K - KELVIN_OFFSET;
        fill_side<M>(T_s, e, side, state, other_enthalpy);
    } else if (P > M::CONSTANTS.saturation_limit_pressure) {
        T_s = M::CONSTANTS.critical_temperature;
        fill_critical_side<M>(state, other_enthalpy);
    } else {
        T_s = NOT_A_NUMBER;
        fill_side<M>(T_s, e, side, state, other_enthalpy);
    }
}

#define ZELTRA5_INSTANTIATE(Model) template struct Saturation<Model>;
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

}  // namespace zeltra5::flash
