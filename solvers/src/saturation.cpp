// Saturated liquid and vapour states at a given temperature or pressure.
//
// The saturated densities come straight from the fitted saturation line; the saturation
// pressure is the equation-of-state pressure of the vapour record. The pressure search only
// refines the fitted saturation temperature by at most two secant steps.

#include <cmath>

#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/saturation_fits.hpp"
#include "zeltra5/solvers.hpp"

namespace zeltra5 {

namespace {

// Bracket half-widths of the secant start (degC) by pressure band.
constexpr double BAND_LOW_UPPER = 429384.6393556987;  // Pa
constexpr double BAND_MID_UPPER = 10782392.95305788;  // Pa
constexpr double HALF_WIDTH_BELOW_DOMAIN = 7e-05;     // P < MIN_PRESSURE
constexpr double HALF_WIDTH_LOW = 1.1e-06;            // [MIN_PRESSURE, BAND_LOW_UPPER)
constexpr double HALF_WIDTH_MID = 5e-07;              // [BAND_LOW_UPPER, BAND_MID_UPPER)
constexpr double HALF_WIDTH_NEAR_CRITICAL = 0.01;     // [BAND_MID_UPPER, CRITICAL_PRESSURE]
constexpr int MAX_SECANT_STEPS = 2;
constexpr double COINCIDENT_PRESSURES = 1e-25;  // Pa
// Lowest temperature a secant step may reach: a little below the domain, where the band below
// the lowest pressure still searches.
constexpr double LOWEST_SEARCH_TEMPERATURE = MIN_TEMPERATURE - 1.0;

double secant_half_width(const double& P) {
    if (P < MIN_PRESSURE) {
        return HALF_WIDTH_BELOW_DOMAIN;
    }
    if (P < BAND_LOW_UPPER) {
        return HALF_WIDTH_LOW;
    }
    if (P < BAND_MID_UPPER) {
        return HALF_WIDTH_MID;
    }
    return HALF_WIDTH_NEAR_CRITICAL;
}

// The saturation pressure from the vapour record's fields: R rho T (1 + delta phir_d), capped.
double capped_saturation_pressure(const double& rho, const double& T_K, const double& delta,
                                  const double& phir_d) {
    const double P = GAS_CONSTANT * rho * T_K * (1.0 + delta * phir_d);
    return P < CRITICAL_PRESSURE ? P : CRITICAL_PRESSURE;
}

// The saturated records at T: from the fitted densities below the critical temperature, the
// critical point at or above it (or for NaN).
void fill_saturated_records(const double& T, FluidState& liquid, FluidState& vapour) {
    if (T < CRITICAL_TEMPERATURE_C) {
        const double rho_liquid = sat_liquid_density(T);
        const double rho_vapour = sat_vapour_density(T);
        evaluate_state(T, rho_liquid, liquid);
        evaluate_state(T, rho_vapour, vapour);
    } else {
        evaluate_state(CRITICAL_TEMPERATURE_C, CRITICAL_DENSITY, liquid);
        vapour = liquid;
    }
}

}  // namespace

// Bit for bit what saturation_by_temperature reports, without building the two records: the
// pressure search needs only that until its last step.
double saturation_pressure(const double& T) {
    ZELTRA5_COUNT(saturation_by_temperature);
    const bool below_critical = T < CRITICAL_TEMPERATURE_C;
    const double t = below_critical ? T : CRITICAL_TEMPERATURE_C;
    const double rho = below_critical ? sat_vapour_density(T) : CRITICAL_DENSITY;
    return capped_saturation_pressure(rho, t + KELVIN_OFFSET, rho * INV_CRITICAL_DENSITY,
                                      residual_phir_d(t, rho));
}

void saturation_by_temperature(const double& T, double& P_s, FluidState& liquid,
                               FluidState& vapour) {
    ZELTRA5_COUNT(saturation_by_temperature);
    fill_saturated_records(T, liquid, vapour);
    P_s = capped_saturation_pressure(vapour.rho, vapour.T, vapour.delta, vapour.phir_d);
}

double saturation_temperature(const double& P) {
    ZELTRA5_COUNT(saturation_by_pressure);
    if (!(P <= CRITICAL_PRESSURE)) {
        return CRITICAL_TEMPERATURE_C;
    }
    const double half_width = secant_half_width(P);

    double T0 = 0.0;
    sat_temperature(P, T0);
    // The second point goes below T0 when above it would pass the critical temperature,
    // unless that would drop it under the lowest temperature of the domain.
    double T1 = T0 + half_width;
    if (T0 - half_width >= MIN_TEMPERATURE && T0 + half_width > CRITICAL_TEMPERATURE_C) {
        T1 = T0 - half_width;
    }

    // T1 first, then T0; each step evaluates the saturation at the new temperature. Only the
    // pressures are needed on the way.
    double P1 = saturation_pressure(T1);
    double P0 = saturation_pressure(T0);
    double T_s = T0;

    for (int step = 0; step < MAX_SECANT_STEPS; ++step) {
        if (std::fabs(P1 - P0) < COINCIDENT_PRESSURES) {
            break;
        }
        const double T_next = T0 + (P0 - P) * (T0 - T1) / (P1 - P0);
        // Just below the critical pressure the two pressures can differ by a rounding error
        // only (both near the cap), and the step flies off (7.7e8 degC at 11332130.5 Pa). A
        // step that leaves the saturation line is not taken: the last temperature stands.
        if (!(T_next >= LOWEST_SEARCH_TEMPERATURE && T_next <= CRITICAL_TEMPERATURE_C)) {
            break;
        }
        T_s = T_next;
        const double P2 = saturation_pressure(T_s);
        T1 = T0;
        P1 = P0;
        T0 = T_s;
        P0 = P2;
    }
    return T_s;
}

void saturation_by_pressure(const double& P, double& T_s, FluidState& liquid, FluidState& vapour) {
    // The records are built once, at the temperature found (the critical point above the
    // critical pressure).
    T_s = saturation_temperature(P);
    fill_saturated_records(T_s, liquid, vapour);
}

}  // namespace zeltra5
