// State from temperature and density: the state is evaluated once and placed against the
// saturated densities at its temperature and against the critical pressure.

#include <cmath>

#include "zeltra5/fluid_state.hpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/solvers.hpp"

namespace zeltra5 {
namespace {

constexpr double QUALITY_DENOMINATOR_FLOOR = 1e-25;

double relative_enthalpy(const FluidState& s, const FluidState& sat_liquid,
                         const FluidState& sat_vapour) {
    const double h_liquid = state_enthalpy(sat_liquid);
    return (state_enthalpy(s) - h_liquid) /
           std::fmax(state_enthalpy(sat_vapour) - h_liquid, QUALITY_DENOMINATOR_FLOOR);
}

}  // namespace

void state_from_temperature_density(const int& metastable_side, const double& T, const double& rho,
                                    int& phase, double& x, FluidState& liquid, FluidState& vapour) {
    FluidState s{};
    evaluate_state(T, rho, s);
    const double p = GAS_CONSTANT * rho * s.T * (1.0 + rho / CRITICAL_DENSITY * s.phir_d);
    const bool above_critical_pressure = p > CRITICAL_PRESSURE;

    if (T < CRITICAL_TEMPERATURE_C) {
        double p_saturation = 0.0;
        saturation_by_temperature(T, p_saturation, liquid, vapour);
        if (rho >= liquid.rho) {
            phase = above_critical_pressure ? PHASE_SUPERCRITICAL : PHASE_LIQUID;
        } else if (rho > vapour.rho) {
            phase = PHASE_TWO_PHASE;
        } else {
            phase = PHASE_VAPOUR;
        }
    } else {
        phase = above_critical_pressure ? PHASE_SUPERCRITICAL : PHASE_VAPOUR;
    }

    if (phase == PHASE_TWO_PHASE && metastable_side != 1) {
        // Inside the dome the single-phase evaluation is no equilibrium state. The mixture is the
        // pair of saturated states at T already in the records (so the liquid record carries the
        // mixture's saturation pressure), and x its vapour mass fraction from specific volumes.
        const double v_liquid = 1.0 / liquid.rho;
        x = (1.0 / rho - v_liquid) /
            std::fmax(1.0 / vapour.rho - v_liquid, QUALITY_DENOMINATOR_FLOOR);
        return;
    }

    if (phase == PHASE_SUPERCRITICAL) {
        liquid = s;
        vapour = s;
        x = 0.0;
        return;
    }

    // Single phase below the critical pressure: the saturated states at the state's pressure
    // give the relative enthalpy. The superheated-liquid request keeps states inside the dome
    // and on the vapour side as liquid.
    double t_saturation = 0.0;
    saturation_by_pressure(p, t_saturation, liquid, vapour);
    x = relative_enthalpy(s, liquid, vapour);
    if (metastable_side == 1) {
        phase = PHASE_LIQUID;
    }
    if (phase == PHASE_LIQUID) {
        liquid = s;
    } else {
        vapour = s;
    }
}

}  // namespace zeltra5
