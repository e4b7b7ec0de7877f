#pragma once
// The single-stage vapour-compression cycle: evaporation at t0, compression with an isentropic
// efficiency, condensation at tc, expansion through a valve. Its four states are full results of
// calculate_state in the options' units and on their reference state:
//   1 suction     p0 = p''(t0), t0 + superheat (the saturated vapour at t0 when it is 0)
//   2 discharge   pc = p'(tc), h2 = h1 + (h2s - h1) / eta, h2s at (pc, s1)
//   3 liquid      pc, tc - subcooling (the saturated liquid at tc when it is 0)
//   4 evaporator  p0, h4 = h3
// and the figures: q0 = h1 - h4, w = h2 - h1, qc = h2 - h3 (so q0 + w = qc), COP = q0 / w, the
// discharge temperature, pc / p0, q0 rho1 and, for a refrigerating capacity, the mass flow and
// the compressor's displacement. Allocates nothing.

#include <cstddef>
#include <string_view>

#include "zeltra5/calculation.hpp"

namespace zeltra5 {

struct CycleInput {
    // Temperatures in the options' temperature unit; superheat and subcooling are differences in
    // its degrees (kelvin for K and °C, Fahrenheit degrees for °F).
    double evaporating_temperature;
    double condensing_temperature;
    double superheat = 0.0;   // of the suction vapour
    double subcooling = 0.0;  // of the liquid before the valve
    double efficiency = 1.0;         // isentropic efficiency of the compressor, in (0, 1]
    double capacity = 0.0;           // refrigerating capacity in kW; 0 when not given
};

enum class CycleRefusal : int {
    none = 0,
    not_finite,                        // an input is NaN or infinite
    efficiency_outside,                // not in (0, 1]
    negative_superheat,                // below 0
    negative_subcooling,               // below 0
    negative_capacity,                 // below 0
    evaporating_not_below_condensing,  // t0 >= tc
    condensing_not_below_critical,     // tc >= the critical temperature
    state_outside,                     // a state is outside the domain: see `state`
    suction_not_vapour,                // the suction state is not a vapour
    liquid_not_liquid,                 // the state before the valve is not a liquid
    capacity_too_large,                // above MAX_CYCLE_CAPACITY
};

// The largest refrigerating capacity taken, in kW (a thousand times the largest plants): every
// figure derived from it stays a finite number.
inline constexpr double MAX_CYCLE_CAPACITY = 1e9;

// The cycle's states in CycleResult::states.
enum CycleState : int {
    CYCLE_SUCTION = 0,
    CYCLE_DISCHARGE = 1,
    CYCLE_LIQUID = 2,
    CYCLE_EVAPORATOR_INLET = 3,
};
inline constexpr int CYCLE_STATE_COUNT = 4;

// The cycle's figures in CycleResult::figures, with their machine names.
enum CycleFigure : int {
    CYCLE_COP,
    CYCLE_REFRIGERATING_EFFECT,              // q0, specific energy (kJ/kg, or J/kg in SI)
    CYCLE_COMPRESSOR_WORK,                   // w
    CYCLE_HEAT_REJECTED,                     // qc
    CYCLE_DISCHARGE_TEMPERATURE,             // t2
    CYCLE_ISENTROPIC_DISCHARGE_TEMPERATURE,  // t2s
    CYCLE_EVAPORATING_PRESSURE,              // p0 (bar, or Pa in SI)
    CYCLE_CONDENSING_PRESSURE,               // pc
    CYCLE_PRESSURE_RATIO,                    // pc / p0
    CYCLE_VOLUMETRIC_CAPACITY,               // q0 rho1 (kJ/m3, or J/m3 in SI)
    CYCLE_MASS_FLOW,                         // kg/s, for the capacity (NaN without one)
    CYCLE_DISPLACEMENT,                      // m3/h at suction, for the capacity
    CYCLE_COMPRESSOR_POWER,                  // kW, for the capacity
    CYCLE_CONDENSER_DUTY,                    // kW, for the capacity
};
inline constexpr int CYCLE_FIGURE_COUNT = 14;

struct CycleFigureInfo {
    const char* name;     // JSON key, CSV column, Python attribute
    const char* english;  // words for a text report
    const char* russian;
};
extern const CycleFigureInfo CYCLE_FIGURES[CYCLE_FIGURE_COUNT];

// The figure's unit in `units` ("kJ/kg", "m³/h", ""), UTF-8.
std::string_view cycle_figure_unit(int figure, const Units& units, Language language);

struct CycleResult {
    int status = STATUS_BAD_ARGUMENT;  // STATUS_VALID, or 1 with `refusal` and `state`
    CycleRefusal refusal = CycleRefusal::none;
    int state = -1;  // for state_outside: CYCLE_SUCTION ... or CYCLE_STATE_COUNT for the
                     // isentropic discharge state
    CycleInput input{};
    CalcOptions options{};
    StateResult states[CYCLE_STATE_COUNT];
    StateResult isentropic_discharge;    // (pc, s1)
    double figures[CYCLE_FIGURE_COUNT];  // NaN when not valid
};

int calculate_cycle(const CycleInput& input, const CalcOptions& options, CycleResult& result);

// Why the cycle was refused, in words ("condensing temperature 140 °C is not below the critical
// temperature 132.25 °C"; for a state, its name and the reason of its refusal). Writes at most
// `size` bytes, always terminated when size > 0; answers the length of the whole message.
std::size_t describe_cycle_refusal(const CycleResult& result, Language language, char* text,
                                   std::size_t size);

// "suction", "discharge", "liquid", "evaporator inlet" (or Russian), for the states in order and
// CYCLE_STATE_COUNT for the isentropic discharge state.
const char* cycle_state_name(int state, Language language);

}  // namespace zeltra5
