#pragma once
// Helpers shared by the transport tests.

#include <cmath>

#include "zeltra5/helmholtz.hpp"
#include "zeltra5/transport.hpp"

namespace zeltra5::test {

// Density (kg/m3) at t (degC) and p (Pa) by Newton's method on the equation of state, started
// from `guess` on the wanted branch. Returns NaN if it does not converge.
inline double density_at(double t, double p, double guess) {
    double rho = guess;
    for (int i = 0; i < 200; ++i) {
        FluidState s;
        evaluate_state(t, rho, s);
        double next = rho + (p - state_pressure(s)) * state_drho_dp_t(s);
        if (!(next > 0.0)) {
            next = 0.5 * rho;
        }
        if (std::fabs(next - rho) <= 1e-13 * rho) {
            return next;
        }
        rho = next;
    }
    return NAN;
}

struct StatePoint {
    double t;    // degC
    double rho;  // kg/m3
    const char* name;
};

// Stable single-phase states across the domain.
inline constexpr StatePoint SINGLE_PHASE_STATES[] = {
    {-75.0, 730.0, "cold_liquid"}, {25.0, 603.0, "liquid"},         {100.0, 0.55, "vapour"},
    {100.0, 40.0, "dense_vapour"}, {133.0, 225.0, "near_critical"}, {200.0, 300.0, "supercritical"},
    {300.0, 1.0, "hot_gas"},       {450.0, 500.0, "hot_and_dense"},
};

inline FluidState state_at(double t, double rho) {
    FluidState s;
    evaluate_state(t, rho, s);
    return s;
}

}  // namespace zeltra5::test
