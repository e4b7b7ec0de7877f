// Saturated liquid and vapour states at a given temperature or pressure.
//
// The states are the equation's own phase equilibrium: pressure and both saturated densities from
// the expansions of saturation_equilibrium.hpp, at which the two records are evaluated. The
// pressure reported is the equilibrium pressure, the same for both phases (each record's own
// pressure agrees with it to about 1e-15 relative up to 1e-8 K below the critical point).
// Outside the expansions' range nothing is answered from the fitted curves: below it the records
// are NaN; at and above the critical temperature (or pressure) they are the critical point,
// which the range check never admits as a saturated state.

#include <limits>

#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/saturation_equilibrium.hpp"
#include "zeltra5/solvers.hpp"

namespace zeltra5 {

namespace {

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

void fill_records(const double& T, const SaturationEquilibrium& e, FluidState& liquid,
                  FluidState& vapour) {
    evaluate_states_at_temperature(T, e.rho_liquid, e.rho_vapour, liquid, vapour);
}

void fill_critical(FluidState& liquid, FluidState& vapour) {
    evaluate_state(EQUATION_CRITICAL_TEMPERATURE_C, EQUATION_CRITICAL_DENSITY, liquid);
    vapour = liquid;
}

}  // namespace

double saturation_pressure(const double& T) {
    ZELTRA5_COUNT(saturation_by_temperature);
    SaturationEquilibrium e;
    if (saturation_equilibrium_at_temperature(T + KELVIN_OFFSET, e) == SATURATION_EQUILIBRIUM_OK) {
        return e.p;
    }
    return T > SATURATION_LIMIT_TEMPERATURE_C ? CRITICAL_PRESSURE : NOT_A_NUMBER;
}

void saturation_by_temperature(const double& T, double& P_s, FluidState& liquid,
                               FluidState& vapour) {
    ZELTRA5_COUNT(saturation_by_temperature);
    SaturationEquilibrium e;
    if (saturation_equilibrium_at_temperature(T + KELVIN_OFFSET, e) == SATURATION_EQUILIBRIUM_OK) {
        fill_records(T, e, liquid, vapour);
        P_s = e.p;
    } else if (T > SATURATION_LIMIT_TEMPERATURE_C) {
        fill_critical(liquid, vapour);
        P_s = CRITICAL_PRESSURE;
    } else {
        fill_records(T, e, liquid, vapour);  // NaN records below the range
        P_s = NOT_A_NUMBER;
    }
}

double saturation_temperature(const double& P) {
    ZELTRA5_COUNT(saturation_by_pressure);
    SaturationEquilibrium e;
    if (saturation_equilibrium_at_pressure(P, e) == SATURATION_EQUILIBRIUM_OK) {
        return e.T_K - KELVIN_OFFSET;
    }
    return P > SATURATION_LIMIT_PRESSURE ? EQUATION_CRITICAL_TEMPERATURE_C : NOT_A_NUMBER;
}

void saturation_by_pressure(const double& P, double& T_s, FluidState& liquid, FluidState& vapour) {
    ZELTRA5_COUNT(saturation_by_pressure);
    SaturationEquilibrium e;
    if (saturation_equilibrium_at_pressure(P, e) == SATURATION_EQUILIBRIUM_OK) {
        T_s = e.T_K - KELVIN_OFFSET;
        fill_records(T_s, e, liquid, vapour);
    } else if (P > SATURATION_LIMIT_PRESSURE) {
        // Between the expansions' highest pressure (1e-9 K below the critical point) and the
        // critical pressure; the solvers read no saturation above it.
        T_s = EQUATION_CRITICAL_TEMPERATURE_C;
        fill_critical(liquid, vapour);
    } else {
        T_s = NOT_A_NUMBER;
        fill_records(T_s, e, liquid, vapour);
    }
}

}  // namespace zeltra5
