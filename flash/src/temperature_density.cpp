// State from temperature and density: the state is placed against the equilibrium saturated
// densities at its temperature and, evaluated once, against the critical pressure.

#include <cmath>

#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::flash {
namespace {

constexpr double QUALITY_DENOMINATOR_FLOOR = 1e-25;
// How closely a (T, rho) state's pressure is formed next to the critical point, Pa.
constexpr double PRESSURE_FORMED_TO = 1e-6;

double relative_enthalpy(const FluidState& s, const FluidState& sat_liquid,
                         const FluidState& sat_vapour) {
    const double h_liquid = state_enthalpy(sat_liquid);
    return (state_enthalpy(s) - h_liquid) /
           std::fmax(state_enthalpy(sat_vapour) - h_liquid, QUALITY_DENOMINATOR_FLOOR);
}

}  // namespace

template <class M>
void TemperatureDensity<M>::state_from_temperature_density(
    const int& metastable_side, const double& T, const double& rho, int& phase, double& x,
    FluidState& liquid, FluidState& vapour, double& P, PressureSaturation& saturation,
    ThirdDerivatives* third) {
    // The equilibrium at T places the state against the dome: the mixture lies at its pressure,
    // whose saturation gives T back (the expansions' inverse meets the forward one to 2e-14 K).
    // From 1e-9 K below the critical temperature up the saturated densities are the critical one.
    double P_s = M::CONSTANTS.critical_pressure;
    double rho_liquid = 0.0;
    double rho_vapour = 0.0;
    const bool below_critical = T < M::CONSTANTS.critical_temperature;
    if (below_critical) {
        Saturation<M>::saturated_densities_by_temperature(T, P_s, rho_liquid, rho_vapour);
    }
    const bool inside_dome = below_critical && rho < rho_liquid && rho > rho_vapour;

    // A mixture needs no single-phase evaluation; every other state is evaluated once. From the
    // critical pressure up it is supercritical, as the pressure solvers place it.
    FluidState s{};
    double p = P_s;
    if (!inside_dome || metastable_side == 1) {
        evaluate_with_third_if<M>(T, rho, s, third);
        p = state_pressure(s);
    }
    if (inside_dome) {
        phase = PHASE_TWO_PHASE;
    } else if (p >= M::CONSTANTS.critical_pressure) {
        phase = PHASE_SUPERCRITICAL;
    } else if (below_critical && rho >= rho_liquid) {
        phase = PHASE_LIQUID;
    } else {
        phase = PHASE_VAPOUR;
    }

    if (phase == PHASE_TWO_PHASE && metastable_side != 1) {
        // Inside the dome the single-phase evaluation is no equilibrium state. The mixture's
        // records are the saturation at its pressure, as every saturated table at that pressure
        // shows them (their temperature is T to about 1e-13 K); x is the vapour mass fraction
        // from their specific volumes.
        P = P_s;
        Saturation<M>::saturation_by_pressure(P, saturation.T_s, saturation.liquid,
                                              saturation.vapour);
        liquid = saturation.liquid;
        vapour = saturation.vapour;
        const double v_liquid = 1.0 / liquid.rho;
        x = (1.0 / rho - v_liquid) /
            std::fmax(1.0 / vapour.rho - v_liquid, QUALITY_DENOMINATOR_FLOOR);
        // The equilibrium at T put the density inside the dome; the records at P differ from it
        // in their last digits, which for a density next to a saturated one can put x a hair
        // beyond 0 or 1. It is the mixture at that end.
        x = std::fmin(std::fmax(x, 0.0), 1.0);
        return;
    }

    P = p;
    if (phase == PHASE_SUPERCRITICAL) {
        liquid = s;
        vapour = s;
        x = 0.0;
        return;
    }

    // Single phase below the critical pressure: the saturated states at the state's pressure
    // give the relative enthalpy. The superheated-liquid request keeps states inside the dome
    // and on the vapour side as liquid.
    Saturation<M>::saturation_by_pressure(p, saturation.T_s, saturation.liquid, saturation.vapour);
    if (phase != PHASE_TWO_PHASE && saturation.liquid.rho == saturation.vapour.rho) {
        // Both records are the critical point: the pressure is above the equilibrium's highest.
        // Where that is short of the critical pressure by less than the 1e-6 Pa to which the
        // state's own pressure is formed there (3e-8 Pa at most for an equilibrium that reaches
        // its critical point), it is the critical pressure; an equilibrium that ends at its
        // saturation limit leaves a wider band, where the state keeps its own pressure. The state
        // is supercritical as above the critical pressure. (A point inside the dome kept for the
        // superheated liquid is judged by the front end, as below.)
        P = M::CONSTANTS.critical_pressure - p <= PRESSURE_FORMED_TO
                ? M::CONSTANTS.critical_pressure
                : p;
        phase = PHASE_SUPERCRITICAL;
        liquid = s;
        vapour = s;
        x = 0.0;
        return;
    }
    x = relative_enthalpy(s, saturation.liquid, saturation.vapour);
    if (metastable_side == 1) {
        phase = PHASE_LIQUID;
    }
    if (phase == PHASE_LIQUID) {
        liquid = s;
        vapour = saturation.vapour;
    } else {
        liquid = saturation.liquid;
        vapour = s;
    }
}

#define ZELTRA5_INSTANTIATE(Model) template struct TemperatureDensity<Model>;
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

}  // namespace zeltra5::flash
