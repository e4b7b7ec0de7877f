// Single-phase density at a given pressure and temperature, and the (P, T) state built on it.
//
// Both entry points share one core: classify the point against the saturated records, take the
// model's density bracket for the phase, optionally switch to a
// metastable branch, then run a bracketed secant iteration on density with a bisection safety
// net. Only the model's pressure is evaluated inside the iteration; the full state once.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "zeltra5/evaluation_counters.hpp"
#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/powers_of_ten.hpp"

namespace zeltra5 {

namespace {

constexpr int TOLERANCE_DIGITS = 13;        // tolerance 10^(e - 12) Pa
constexpr int MAX_SECANT_STEPS = 100;       // before the bisection safety net
constexpr int MAX_BISECTION_PASSES = 2000;  // guard only: a finite bracket needs far fewer
constexpr double ACCEPTED_RESIDUAL = 0.01;  // Pa; above it the bisection safety net runs
constexpr double ENTHALPY_SPAN_FLOOR = 1e-25;

// How far (K) beyond the superheat limit temperature a liquid is still solved at its own
// temperature: the margin within which the front end admits a (P, T) superheated liquid.
constexpr double SUPERHEAT_LIMIT_MARGIN = 1e-5;

// A density the pressure tolerance leaves freer than this (relative) is met to the tolerance
// times FINE_TOLERANCE (1e-8 Pa near the critical pressure, a few doubles of it): at
// 132.351 degC and 225.68 kg/m3, where dp/drho is 4 Pa per kg/m3, 1e-5 Pa left the density
// 1.1e-8 off the state's own.
constexpr double FREE_DENSITY = 1e-11;
constexpr double FINE_TOLERANCE = 1e-3;

// Width of the subcooled-vapour bracket above the saturated vapour density (kg/m3).
constexpr double SUBCOOLED_VAPOUR_SPAN = 1.0;
// Moving a bracket that misses the pressure: first width (kg/m3) and the most moves.
constexpr double MIN_MOVE_WIDTH = 1.0;
constexpr int MAX_BRACKET_MOVES = 60;

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
template <class M>
void move_bracket(const double& t, const double& P, const BracketMoves& moves, double& lo,
                  double& hi, double& P_lo, double& P_hi) {
    double width = MIN_MOVE_WIDTH;
    for (int move = 0; moves.up && move < MAX_BRACKET_MOVES && P_hi < P; ++move) {
        lo = hi;
        P_lo = P_hi;
        hi = lo + width;
        P_hi = M::pressure(t, hi);
        width *= 2.0;
    }
    width = MIN_MOVE_WIDTH;
    for (int move = 0; moves.down && move < MAX_BRACKET_MOVES && P_lo > P; ++move) {
        hi = lo;
        P_hi = P_lo;
        lo = std::max(hi - width, 0.5 * hi);
        P_lo = M::pressure(t, lo);
        width *= 2.0;
    }
}

// Density at which M::pressure(t, rho) equals P, searched in [lo, hi] after moving the bracket
// as allowed when it misses P. Pressure is taken to rise with density inside the bracket.
template <class M>
double solve_density(const double& t, const double& P, const double& lo_guess,
                     const double& hi_guess, const BracketMoves& moves) {
    const double tolerance = detail::power_of_ten(decimal_exponent(P, TOLERANCE_DIGITS));

    double lo = lo_guess;
    double hi = hi_guess;
    double P_lo = M::pressure(t, lo);
    double P_hi = M::pressure(t, hi);
    move_bracket<M>(t, P, moves, lo, hi, P_lo, P_hi);

    double rho1 = lo;
    double rho2 = hi;
    double P1 = P_lo;
    double P2 = P_hi;
    double a = lo;
    double b = hi;

    bool evaluated = false;
    double rho_n = lo;
    double P_n = P1;
    double met = tolerance;
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
        P_n = M::pressure(t, rho_n);
        evaluated = true;
        if (std::fabs(P_n - P) < met) {
            // Where the isotherm is flat (near the critical point) the pressure met to the
            // tolerance leaves the density free by tolerance / (dp/drho), which the secant's
            // slope estimates: beyond FREE_DENSITY of it, P is met to a finer tolerance.
            const double slope = std::fabs((P_n - P2) / (rho_n - rho2));
            if (met == tolerance && tolerance > FREE_DENSITY * rho_n * slope) {
                met = tolerance * FINE_TOLERANCE;
            } else {
                break;
            }
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
            P_n = M::pressure(t, rho_n);
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

// The saturated records at P bound the stable phases: a vapour hotter than T_s is lighter than
// the saturated vapour, a liquid colder than T_s denser than the saturated liquid. Near the
// critical point the fitted bracket can reach past them onto the isotherm's loop, whose other
// roots at P lie close by (at 132.25 degC a vapour 1.8e-10 K above T_s was answered with the
// liquid-side root, 18 % denser). A root `rho` more than a quarter of the dome's width beyond
// its side's saturated density is another branch's: the density is solved again in a bracket
// that ends at the saturated density. Other roots stand as they are.
template <class M>
double stable_root(const double& t, const double& P, const int& phase, const double& rho_liquid,
                   const double& rho_vapour, const double& rho, const double& lo,
                   const double& hi) {
    const double quarter = 0.25 * (rho_liquid - rho_vapour);
    if (phase == PHASE_VAPOUR && rho > rho_vapour + quarter) {
        return solve_density<M>(t, P, std::fmin(lo, 0.5 * rho_vapour), rho_vapour,
                                BracketMoves{true, true});
    }
    if (phase == PHASE_LIQUID && rho < rho_liquid - quarter) {
        return solve_density<M>(t, P, rho_liquid, std::fmax(hi, rho_liquid + MIN_MOVE_WIDTH),
                                BracketMoves{true, true});
    }
    return rho;
}

double relative_enthalpy(const FluidState& state, const double& h_liquid, const double& h_vapour) {
    return (state_enthalpy(state) - h_liquid) / std::max(h_vapour - h_liquid, ENTHALPY_SPAN_FLOOR);
}

// The algorithm shared by both entry points. T_s is the saturation temperature at P as the
// caller knows it; superheat_refused_at_ceiling says whether T_s = 129.4 itself is refused.
// The saturated records are copied before any output is written, so the outputs may alias
// them.
template <class M>
void solve_state(const int& metastable_side, const double& P, const double& T, const double& T_s,
                 const FluidState& sat_liquid, const FluidState& sat_vapour,
                 const bool& superheat_refused_at_ceiling, int& phase, double& x,
                 FluidState& liquid_out, FluidState& vapour_out,
                 flash::ThirdDerivatives* third = nullptr) {
    ZELTRA5_COUNT(density_solver);
    FluidState result;

    // From the top of the saturation line up there is no line to place the state against: at
    // P = Pc, and in the 3e-8 Pa below it where the equilibrium has no solution, the saturated
    // records are both the critical point, whose equal enthalpies leave no relative enthalpy to
    // form. Such a state is supercritical.
    if (P >= M::CONSTANTS.critical_pressure || sat_liquid.rho == sat_vapour.rho) {
        double lo = 0.0;
        double hi = 0.0;
        M::density_bracket(P, T, PHASE_SUPERCRITICAL, lo, hi);
        flash::evaluate_with_third_if<M>(
            T, solve_density<M>(T, P, lo, hi, BracketMoves{true, true}), result, third);
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

    if (T == T_s && metastable_side == 1) {
        // On the saturation line with the superheated liquid asked for: the liquid branch ends
        // there in the saturated liquid (the vapour would leave the branch asked for, which the
        // caloric and density pairs with the same request then cannot give back).
        result = liquid;
        phase = PHASE_LIQUID;
    } else if (T == T_s) {
        // On the saturation line: the saturated vapour.
        result = vapour;
        phase = PHASE_VAPOUR;
    } else {
        phase = T < T_s ? PHASE_LIQUID : PHASE_VAPOUR;
        double lo = 0.0;
        double hi = 0.0;
        M::density_bracket(P, T, phase, lo, hi);

        bool refused = false;
        bool metastable = false;  // the branch asked for beyond the saturation line
        BracketMoves moves{true, true};
        if (metastable_side == 1 && phase == PHASE_VAPOUR) {
            // Superheated liquid: between the saturated liquid and the depth the liquid can be
            // stretched to, solved at no more than the superheat limit temperature. Like the
            // subcooled vapour below, its bracket may only move away from the spinodal, never
            // across to the other branch.
            phase = PHASE_LIQUID;
            metastable = true;
            moves.down = false;
            hi = liquid.rho;
            lo = std::max(vapour.rho, liquid.rho - std::max(M::superheat_depth(T_s), 0.0));
            const double ceiling = M::CONSTANTS.superheat_ceiling;
            const bool above_ceiling =
                superheat_refused_at_ceiling ? T_s >= ceiling : T_s > ceiling;
            if (T_s < M::CONSTANTS.domain.lowest_admitted_temperature || above_ceiling) {
                refused = true;
            } else {
                // A saturation temperature within the edge margin below the coldest admits the
                // liquid up to the coldest (the limit's fit starts there).
                const double T_limit = std::max(M::superheat_limit_temperature(T_s),
                                                M::CONSTANTS.domain.min_temperature);
                // Beyond the limit the state at the limit stands for the answer; within the
                // margin the front end admits, the liquid is solved at its own temperature
                // (the state at the limit shown at the given temperature would not come back).
                if (T > T_limit + SUPERHEAT_LIMIT_MARGIN) {
                    T_w = T_limit;
                }
            }
        } else if (metastable_side == 2 && phase == PHASE_LIQUID) {
            // Subcooled vapour: just above the saturated vapour density.
            phase = PHASE_VAPOUR;
            metastable = true;
            moves.up = false;
            lo = vapour.rho;
            hi = std::min(liquid.rho, vapour.rho + SUBCOOLED_VAPOUR_SPAN);
        }

        if (refused) {
            result = liquid;
        } else {
            double rho = solve_density<M>(T_w, P, lo, hi, moves);
            if (!metastable && P <= M::CONSTANTS.saturation_limit_pressure) {
                rho = stable_root<M>(T_w, P, phase, liquid.rho, vapour.rho, rho, lo, hi);
            }
            flash::evaluate_with_third_if<M>(T_w, rho, result, third);
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

namespace flash {

template <class M>
void PressureTemperature<M>::solve_density_at_pressure_temperature(
    const int& metastable_side, const double& P, const double& T, const FluidState& sat_liquid,
    const FluidState& sat_vapour, int& phase, double& x, FluidState& liquid_out,
    FluidState& vapour_out) {
    // The saturated records are read only at or below the critical pressure.
    const double T_s = P > M::CONSTANTS.critical_pressure
                           ? M::CONSTANTS.supercritical_saturation_temperature
                           : sat_liquid.T - KELVIN_OFFSET;
    solve_state<M>(metastable_side, P, T, T_s, sat_liquid, sat_vapour, true, phase, x, liquid_out,
                   vapour_out);
}

template <class M>
void PressureTemperature<M>::solve_density_at_pressure_temperature(
    const int& metastable_side, const double& P, const double& T,
    const PressureSaturation& saturation, int& phase, double& x, FluidState& liquid_out,
    FluidState& vapour_out) {
    const double T_s = P > M::CONSTANTS.critical_pressure
                           ? M::CONSTANTS.supercritical_saturation_temperature
                           : saturation.T_s;
    solve_state<M>(metastable_side, P, T, T_s, saturation.liquid, saturation.vapour, true, phase, x,
                   liquid_out, vapour_out);
}

template <class M>
void PressureTemperature<M>::state_from_pressure_temperature(const int& metastable_side,
                                                             const double& P, const double& T,
                                                             int& phase, double& x,
                                                             FluidState& liquid,
                                                             FluidState& vapour) {
    // Only the superheated-liquid request is honoured here.
    const int side = metastable_side == 1 ? 1 : 0;
    double T_s = M::CONSTANTS.supercritical_saturation_temperature;
    if (P < M::CONSTANTS.critical_pressure) {
        Saturation<M>::saturation_by_pressure(P, T_s, liquid, vapour);
    }
    solve_state<M>(side, P, T, T_s, liquid, vapour, false, phase, x, liquid, vapour);
}

template <class M>
void PressureTemperature<M>::state_from_pressure_temperature(const int& metastable_side,
                                                             const double& P, const double& T,
                                                             const PressureSaturation& saturation,
                                                             int& phase, double& x,
                                                             FluidState& liquid, FluidState& vapour,
                                                             ThirdDerivatives* third) {
    const int side = metastable_side == 1 ? 1 : 0;
    const double T_s = P > M::CONSTANTS.critical_pressure
                           ? M::CONSTANTS.supercritical_saturation_temperature
                           : saturation.T_s;
    solve_state<M>(side, P, T, T_s, saturation.liquid, saturation.vapour, false, phase, x, liquid,
                   vapour, third);
}

template <class M>
void PressureTemperature<M>::densities_from_pressure_temperature(const double& P, const double& T,
                                                                 double& liquid_rho,
                                                                 double& vapour_rho) {
    ZELTRA5_COUNT(density_solver);
    double lo = 0.0;
    double hi = 0.0;
    if (P > M::CONSTANTS.critical_pressure) {
        M::density_bracket(P, T, PHASE_SUPERCRITICAL, lo, hi);
        liquid_rho = solve_density<M>(T, P, lo, hi, BracketMoves{true, true});
        vapour_rho = liquid_rho;
        return;
    }
    // The densities of the records saturation_by_pressure forms at P.
    SaturationEquilibrium e;
    double T_s = 0.0;
    if (M::saturation_at_pressure(P, e) == SATURATION_EQUILIBRIUM_OK) {
        T_s = e.T_K - KELVIN_OFFSET;
        liquid_rho = e.rho_liquid;
        vapour_rho = e.rho_vapour;
    } else {
        T_s = Saturation<M>::saturation_temperature(P);
        liquid_rho = std::isnan(T_s) ? T_s : M::CONSTANTS.critical_density;
        vapour_rho = liquid_rho;
    }
    if (T == T_s) {
        return;  // the saturated pair itself
    }
    const int phase = T < T_s ? PHASE_LIQUID : PHASE_VAPOUR;
    M::density_bracket(P, T, phase, lo, hi);
    (phase == PHASE_LIQUID ? liquid_rho : vapour_rho) =
        solve_density<M>(T, P, lo, hi, BracketMoves{true, true});
}

#define ZELTRA5_INSTANTIATE(Model) template struct PressureTemperature<Model>;
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

}  // namespace flash

}  // namespace zeltra5
