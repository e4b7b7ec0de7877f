#pragma once
// The properties every answer of calculate_properties must have, checked from outside: shared by
// the domain soak, the libFuzzer harness of the front end and its corpus replay.
//
// A valid answer (status 0) must have every shown field finite and of the right sign, a phase and
// phase_detail that belong together, density and specific volume reciprocal, the given inputs in
// their fields, and a state that reproduces them: the equation of state evaluated at the reported
// (temperature, density) gives back the reported pressure and caloric properties, a mixture lies
// on the saturation line at its pressure with a quality in [0, 1], and a single-phase state lies
// on the branch its phase names. A refused answer (status 1) must leave the record untouched.

#include <cstdint>

#include "zeltra5/calc.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::reliability {

// Hard bound on the equation-of-state work of one request: evaluate_state plus pressure_at calls
// (the saturation and density solvers are built from those two), of any model. A typical request
// of the 1993 equation needs about 40; the most the soak has seen is 2,160 and the fuzzer 4,883
// (in 20 minutes; (P, rho) just above the critical pressure), where a search runs through all its
// 100 secant trials and then its bisection, each trial a density solve of its own of up to about
// 40. (h, s) with the superheat option can need far more when its search runs to the end
// before refusing: 17,220 for the 1993 equation (a soak of grid 140), 11,137 for the 2023 one,
// whose requests need about 230 on average, its density solves being longer. The bound leaves
// room for those without letting a runaway iteration pass.
inline constexpr unsigned long long MAX_EVALUATIONS_PER_REQUEST = 30000;

// Largest deviations seen so far, each with the request that produced it.
struct Deviation {
    double value = 0.0;
    CalcRequest request{};
};

struct Deviations {
    Deviation pressure;            // single phase: |p(t, rho) - p| / p
    Deviation saturated_pressure;  // the same for a saturated record (fitted density)
    Deviation caloric;  // single phase: |y(t, rho) - y| for h, u in J/kg and s in J/(kg K)
    Deviation mode8_temperature;          // mode 8, single phase: |t - given t|, K
    Deviation mode8_mixture_temperature;  // mode 8, mixture: |Ts(p) - given t|, K
    Deviation saturation;                 // mixture: |Ts(p) - t|, K
    Deviation mixture;             // mixture: h, u, s, v against the quality's mixture (rel.)
    Deviation mode8_mixture;       // the same in mode 8
    Deviation reciprocal;          // |rho v - 1|
    Deviation cross_mode_density;  // single phase: |rho(P, T) - rho| / rho
    Deviation branch;              // single phase: relative density beyond its saturation branch
};

// Answers nullptr when the answer of `request` (status and record) has every property above, or a
// short description of the first one it lacks. `before` is the record's content before the call
// (to check that a refusal leaves it alone). Deviations that hold are folded into `worst` when
// it is given.
// `model` is the index of MODELS the request was asked of; the state is checked against that
// model's equation, phase equilibrium, solvers and domain.
const char* check_result(const CalcRequest& request, int status, const PropertyResult& before,
                         const PropertyResult& result, Deviations* worst = nullptr,
                         int model = DEFAULT_MODEL);

// The equation-of-state evaluations counted since `reset_evaluation_counters` (0 in a build
// without ZELTRA5_EVALUATION_COUNTERS).
unsigned long long evaluations_since_reset();

}  // namespace zeltra5::reliability
