// Single-phase density at a given pressure and temperature, and the (P, T) state built on it.
//
// Both entry points share one core: classify the point against the saturated records, pick a
// density bracket from the fitted isobar and saturation curves, optionally switch to a
// metastable branch, then run a bracketed secant iteration on density with a bisection safety
// net. Only pressure_at is evaluated inside the iteration; the full state is evaluated once.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "zeltra5/powers_of_ten.hpp"
#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/saturation_equilibrium.hpp"
#include "zeltra5/saturation_fits.hpp"
#include "zeltra5/solvers.hpp"

namespace zeltra5 {

namespace {

constexpr int TOLERANCE_DIGITS = 13;        // tolerance 10^(e - 12) Pa
constexpr int MAX_SECANT_STEPS = 100;       // before the bisection safety net
constexpr int MAX_BISECTION_PASSES = 2000;  // guard only: a finite bracket needs far fewer
constexpr double ACCEPTED_RESIDUAL = 0.01;  // Pa; above it the bisection safety net runs
constexpr double ENTHALPY_SPAN_FLOOR = 1e-25;

// Density margins (kg/m3) added to the isobar curves that bound the search.
constexpr double ISOBAR_690_MARGIN = 0.04;
constexpr double ISOBAR_741_MARGIN = 0.01;
// Width of the subcooled-vapour bracket above the saturated vapour density (kg/m3).
constexpr double SUBCOOLED_VAPOUR_SPAN = 1.0;
// Moving a bracket that misses the pressure: first width (kg/m3) and the most moves.
constexpr double MIN_MOVE_WIDTH = 1.0;
constexpr int MAX_BRACKET_MOVES = 60;

// Superheated liquid is sought only for saturation temperatures in [-77, 129.4) degC; the
// depth of the bracket below the saturated liquid density applies from -74 degC.
constexpr double SUPERHEAT_CEILING = 129.4;
constexpr double SUPERHEAT_DEPTH_FLOOR = -74.0;
// Depth c(T_s) = 0.5 (a0 - a1 T_s + a2 T_s^2) / (1 - b1 T_s + b2 T_s^2), kg/m3.
constexpr double DEPTH_A0 = 243.0227971516306;
constexpr double DEPTH_A1 = 3.383844686707354;
constexpr double DEPTH_A2 = 0.01166184497938142;
constexpr double DEPTH_B1 = 0.008964434065874795;
constexpr double DEPTH_B2 = 1.033728650696136e-05;

double superheat_depth(const double& T_s) {
    if (!(T_s >= SUPERHEAT_DEPTH_FLOOR && T_s < SUPERHEAT_CEILING)) {
        return 0.0;
    }
    return 0.5 * (DEPTH_A0 - DEPTH_A1 * T_s + DEPTH_A2 * T_s * T_s) /
           (1.0 - DEPTH_B1 * T_s + DEPTH_B2 * T_s * T_s);
}

// Which ways a bracket that misses the pressure may be moved along the isotherm.
struct BracketMoves {
    bool up;
    bool down;
};

// Moves [lo, hi] along the isotherm until it holds P: up while the pressure at the upper end
// is below P (the old upper end becoming the lower end), then down while the pressure at the
// lower end is above P. The moves start 1 kg/m3 wide and double, so a root just outside the
// fitted curves is caught by a narrow bracket; downward moves at most halve the density so it
// stays positive. A bracket that already holds P is left exactly as it is.
void move_bracket(const double& t, const double& P, const BracketMoves& moves, double& lo,
                  double& hi, double& P_lo, double& P_hi) {
    double width = MIN_MOVE_WIDTH;
    for (int move = 0; moves.up && move < MAX_BRACKET_MOVES && P_hi < P; ++move) {
        lo = hi;
        P_lo = P_hi;
        hi = lo + width;
        P_hi = pressure_at(t, hi);
        width *= 2.0;
    }
    width = MIN_MOVE_WIDTH;
    for (int move = 0; moves.down && move < MAX_BRACKET_MOVES && P_lo > P; ++move) {
        hi = lo;
        P_hi = P_lo;
        lo = std::max(hi - width, 0.5 * hi);
        P_lo = pressure_at(t, lo);
        width *= 2.0;
    }
}

// Density at which pressure_at(t, rho) equals P, searched in [lo, hi] after moving the bracket
// as allowed when it misses P. Pressure is taken to rise with density inside the bracket.
double solve_density(const double& t, const double& P, const double& lo_guess,
                     const double& hi_guess, const BracketMoves& moves) {
    const double tolerance = detail::power_of_ten(decimal_exponent(P, TOLERANCE_DIGITS));

    double lo = lo_guess;
    double hi = hi_guess;
    double P_lo = pressure_at(t, lo);
    double P_hi = pressure_at(t, hi);
    move_bracket(t, P, moves, lo, hi, P_lo, P_hi);

    double rho1 = lo;
    double rho2 = hi;
    double P1 = P_lo;
    double P2 = P_hi;
    double a = lo;
    double b = hi;

    bool evaluated = false;
    double rho_n = lo;
    double P_n = P1;
    for (int step = 0; step < MAX_SECANT_STEPS; ++step) {
        const double nodes[2] = {P1, P2};
        const double values[2] = {rho1, rho2};
        if (secant_interpolate(nodes, values, P, rho_n) != 0) {
            break;
        }
        // Written so that a NaN step also falls back to the midpoint.
        if (!(rho_n >= a && rho_n <= b)) {
            rho_n = (a + b) / 2.0;
        }
        P_n = pressure_at(t, rho_n);
        evaluated = true;
        if (std::fabs(P_n - P) < tolerance) {
            break;
        }
        if (P_n > P) {
            b = rho_n;
        } else {
            a = rho_n;
        }
        rho1 = rho2;
        P1 = P2;
        rho2 = rho_n;
        P2 = P_n;
    }

    if (!evaluated || !(std::fabs(P_n - P) <= ACCEPTED_RESIDUAL)) {
        // Bisect the whole bracket until the midpoint stops moving; the pass limit only
        // guards against ends that never compare equal (NaN).
        a = lo;
        b = hi;
        for (int pass = 0; pass < MAX_BISECTION_PASSES; ++pass) {
            const double a_before = a;
            const double b_before = b;
            rho_n = (a + b) / 2.0;
            P_n = pressure_at(t, rho_n);
            if (P_n < P) {
                a = rho_n;
            } else {
                b = rho_n;
            }
            if (a == a_before && b == b_before) {
                break;
            }
        }
    }
    return rho_n;
}

// The density bracket of a stable phase at (P, T) from the fitted curves.
void density_bracket(const double& P, const double& T, const int& phase, double& lo, double& hi) {
    if (phase == PHASE_SUPERCRITICAL) {
        if (P >= MAX_PRESSURE) {
            lo = rho_isobar_690(T) - ISOBAR_690_MARGIN;
            hi = rho_isobar_741(T) + ISOBAR_741_MARGIN;
        } else if (T <= CRITICAL_TEMPERATURE_C) {
            lo = sat_liquid_density(T);
            hi = rho_isobar_690(T) + ISOBAR_690_MARGIN;
        } else {
            lo = rho_isobar_113(T);
            hi = rho_isobar_690(T) + ISOBAR_690_MARGIN;
        }
    } else if (phase == PHASE_LIQUID) {
        lo = sat_liquid_density(T);
        hi = rho_isobar_690(T) + ISOBAR_690_MARGIN;
    } else if (T <= CRITICAL_TEMPERATURE_C) {
        lo = rho_isobar_min(T);
        hi = sat_vapour_density(T);
    } else {
        lo = rho_isobar_min(T);
        hi = rho_isobar_115(T);
    }
}

double relative_enthalpy(const FluidState& state, const double& h_liquid, const double& h_vapour) {
    return (state_enthalpy(state) - h_liquid) / std::max(h_vapour - h_liquid, ENTHALPY_SPAN_FLOOR);
}

// The algorithm shared by both entry points. T_s is the saturation temperature at P as the
// caller knows it; superheat_refused_at_ceiling says whether T_s = 129.4 itself is refused.
// The saturated records are copied before any output is written, so the outputs may alias
// them.
void solve_state(const int& metastable_side, const double& P, const double& T, const double& T_s,
                 const FluidState& sat_liquid, const FluidState& sat_vapour,
                 const bool& superheat_refused_at_ceiling, int& phase, double& x,
                 FluidState& liquid_out, FluidState& vapour_out) {
    ZELTRA5_COUNT(density_solver);
    FluidState result;

    if (P > CRITICAL_PRESSURE) {
        double lo = 0.0;
        double hi = 0.0;
        density_bracket(P, T, PHASE_SUPERCRITICAL, lo, hi);
        evaluate_state(T, solve_density(T, P, lo, hi, BracketMoves{true, true}), result);
        phase = PHASE_SUPERCRITICAL;
        x = 0.0;
        liquid_out = result;
        vapour_out = result;
        return;
    }

    const FluidState liquid = sat_liquid;
    const FluidState vapour = sat_vapour;
    const double h_liquid = state_enthalpy(liquid);
    const double h_vapour = state_enthalpy(vapour);
    double T_w = T;

    if (T == T_s) {
        // On the saturation line: the saturated vapour, whatever the metastable request.
        result = vapour;
        phase = PHASE_VAPOUR;
    } else {
        phase = T < T_s ? PHASE_LIQUID : PHASE_VAPOUR;
        double lo = 0.0;
        double hi = 0.0;
        density_bracket(P, T, phase, lo, hi);

        bool refused = false;
        BracketMoves moves{true, true};
        if (metastable_side == 1 && phase == PHASE_VAPOUR) {
            // Superheated liquid: between the saturated liquid and the depth the liquid can be
            // stretched to, solved at no more than the superheat limit temperature. Like the
            // subcooled vapour below, its bracket may only move away from the spinodal, never
            // across to the other branch.
            phase = PHASE_LIQUID;
            moves.down = false;
            hi = liquid.rho;
            lo = std::max(vapour.rho, liquid.rho - std::max(superheat_depth(T_s), 0.0));
            const bool above_ceiling =
                superheat_refused_at_ceiling ? T_s >= SUPERHEAT_CEILING : T_s > SUPERHEAT_CEILING;
            if (T_s < MIN_TEMPERATURE || above_ceiling) {
                refused = true;
            } else {
                const double T_limit = superheat_limit_temperature(T_s);
                if (T > T_limit) {
                    T_w = T_limit;
                }
            }
        } else if (metastable_side == 2 && phase == PHASE_LIQUID) {
            // Subcooled vapour: just above the saturated vapour density.
            phase = PHASE_VAPOUR;
            moves.up = false;
            lo = vapour.rho;
            hi = std::min(liquid.rho, vapour.rho + SUBCOOLED_VAPOUR_SPAN);
        }

        if (refused) {
            result = liquid;
        } else {
            evaluate_state(T_w, solve_density(T_w, P, lo, hi, moves), result);
        }
    }

    x = relative_enthalpy(result, h_liquid, h_vapour);
    if (phase == PHASE_LIQUID) {
        if (T_w <= T_s) {
            x = std::min(x, 0.0);
        }
        liquid_out = result;
        vapour_out = vapour;
    } else {
        if (T_w >= T_s) {
            x = std::max(x, 1.0);
        }
        liquid_out = liquid;
        vapour_out = result;
    }
}

}  // namespace

namespace {

// The exponent of `value` as "% -.16e" prints it: read from the text, so that a value rounding up
// to the next power of ten in 17 significant digits takes the higher exponent.
int printed_exponent(const double& value) {
    char text[40];
    std::snprintf(text, sizeof text, "% -.16e", value);
    const char* p = text;
    while (*p != '\0' && *p != 'e' && *p != 'E') {
        ++p;
    }
    if (*p == '\0') {
        return 0;
    }
    ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    int exponent = 0;
    while (*p >= '0' && *p <= '9') {
        exponent = exponent * 10 + (*p - '0');
        ++p;
    }
    return negative ? -exponent : exponent;
}

}  // namespace

int decimal_exponent(const double& value, const int& digits) {
    if (!std::isfinite(value)) {
        return 0;
    }
    // Printing is slow and called once per solve. Away from the edges of a decade the exponent
    // is floor(log10 |v|) for certain: the mantissa m = |v| / 10^e then lies well inside
    // [1, 10), far from rounding to 10 in 17 digits or from an error of log10. Only values
    // near a power of ten (and outside 1e-22 ... 1e22) are printed.
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e-22 && magnitude < 1e22) {
        const int e = static_cast<int>(std::floor(std::log10(magnitude)));
        const double mantissa =
            e >= 0 ? magnitude / detail::POWERS_OF_TEN[e] : magnitude * detail::POWERS_OF_TEN[-e];
        if (mantissa >= 1.000000001 && mantissa <= 9.999999999) {
            return e - digits + 1;
        }
    }
    return printed_exponent(value) - digits + 1;
}

void solve_density_at_pressure_temperature(const int& metastable_side, const double& P,
                                           const double& T, const FluidState& sat_liquid,
                                           const FluidState& sat_vapour, int& phase, double& x,
                                           FluidState& liquid_out, FluidState& vapour_out) {
    // The saturated records are read only at or below the critical pressure.
    const double T_s =
        P > CRITICAL_PRESSURE ? CRITICAL_TEMPERATURE_C : sat_liquid.T - KELVIN_OFFSET;
    solve_state(metastable_side, P, T, T_s, sat_liquid, sat_vapour, true, phase, x, liquid_out,
                vapour_out);
}

void solve_density_at_pressure_temperature(const int& metastable_side, const double& P,
                                           const double& T, const PressureSaturation& saturation,
                                           int& phase, double& x, FluidState& liquid_out,
                                           FluidState& vapour_out) {
    const double T_s = P > CRITICAL_PRESSURE ? CRITICAL_TEMPERATURE_C : saturation.T_s;
    solve_state(metastable_side, P, T, T_s, saturation.liquid, saturation.vapour, true, phase, x,
                liquid_out, vapour_out);
}

void state_from_pressure_temperature(const int& metastable_side, const double& P, const double& T,
                                     int& phase, double& x, FluidState& liquid,
                                     FluidState& vapour) {
    // Only the superheated-liquid request is honoured here.
    const int side = metastable_side == 1 ? 1 : 0;
    double T_s = CRITICAL_TEMPERATURE_C;
    if (!(P > CRITICAL_PRESSURE)) {
        saturation_by_pressure(P, T_s, liquid, vapour);
    }
    solve_state(side, P, T, T_s, liquid, vapour, false, phase, x, liquid, vapour);
}

void state_from_pressure_temperature(const int& metastable_side, const double& P, const double& T,
                                     const PressureSaturation& saturation, int& phase, double& x,
                                     FluidState& liquid, FluidState& vapour) {
    const int side = metastable_side == 1 ? 1 : 0;
    const double T_s = P > CRITICAL_PRESSURE ? CRITICAL_TEMPERATURE_C : saturation.T_s;
    solve_state(side, P, T, T_s, saturation.liquid, saturation.vapour, false, phase, x, liquid,
                vapour);
}

void densities_from_pressure_temperature(const double& P, const double& T, double& liquid_rho,
                                         double& vapour_rho) {
    ZELTRA5_COUNT(density_solver);
    double lo = 0.0;
    double hi = 0.0;
    if (P > CRITICAL_PRESSURE) {
        density_bracket(P, T, PHASE_SUPERCRITICAL, lo, hi);
        liquid_rho = solve_density(T, P, lo, hi, BracketMoves{true, true});
        vapour_rho = liquid_rho;
        return;
    }
    // The densities of the records saturation_by_pressure forms at P.
    SaturationEquilibrium e;
    double T_s = 0.0;
    if (saturation_equilibrium_at_pressure(P, e) == SATURATION_EQUILIBRIUM_OK) {
        T_s = e.T_K - KELVIN_OFFSET;
        liquid_rho = e.rho_liquid;
        vapour_rho = e.rho_vapour;
    } else {
        T_s = saturation_temperature(P);
        liquid_rho = std::isnan(T_s) ? T_s : EQUATION_CRITICAL_DENSITY;
        vapour_rho = liquid_rho;
    }
    if (T == T_s) {
        return;  // the saturated pair itself
    }
    const int phase = T < T_s ? PHASE_LIQUID : PHASE_VAPOUR;
    density_bracket(P, T, phase, lo, hi);
    (phase == PHASE_LIQUID ? liquid_rho : vapour_rho) =
        solve_density(T, P, lo, hi, BracketMoves{true, true});
}

}  // namespace zeltra5
