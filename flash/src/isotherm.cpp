// (t, h), (t, s), (t, u): a density search along the isotherm.
//
// The isotherm runs, in rising density, from the state at the domain's lowest (admitted) pressure
// to the one at its highest. Below the saturation limit it is the vapour branch (up to the
// saturated vapour), the mixtures at t (the lever rule between the saturated pair) and the liquid
// branch (from the saturated liquid); above it one single-phase branch. The entropy falls with
// density all along ((ds/drho)_T = -(dp/dT)_rho / rho^2); the enthalpy and the internal energy
// need not be monotonic (the compressed liquid's enthalpy rises again at high pressure; the
// branches near the critical temperature). A single-phase branch whose ends' derivatives in
// density have opposite signs holds one extremum (no isotherm of the domain has two on one
// branch: the tests sample them), which splits it into two monotonic pieces; the extremum is
// sought only as far as needed to tell which piece holds the target. Each monotonic piece is
// searched by Newton's method on the density with the analytic derivative, kept inside its
// bracket by bisection, to the double.
//
// Where the line holds more than one state with the given value (a compressed liquid sharing
// (t, h) with a mixture or a vapour), the state of lowest density, i.e. of lowest pressure, is the
// answer: the pieces are searched in rising density and the first that holds the value answers.
// A value no state of the line has lies beyond the line's least or greatest value (the line is
// continuous, so it has no gaps between them): below_band / above_band with that value and its
// state's (p, t).
//
// With the superheat option, where the stable answer is a mixture or a vapour (or there is none),
// a superheated liquid with the given value (between the saturated liquid and the liquid at the
// superheat limit, below the superheat ceiling) answers instead.

#include <cmath>
#include <limits>

#include "zeltra5/flash.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::flash {
namespace {

constexpr int MAX_NEWTON_STEPS = 100;
// The extremum is located to this relative width in density: the property there is flat, so
// its value at the piece's end differs from the true extremum by far less than the tolerance
// the front end checks values to.
constexpr double EXTREMUM_RELATIVE_WIDTH = 1e-13;
constexpr int MAX_EXTREMUM_STEPS = 200;
constexpr double EDGE_RELATIVE_SLACK = 1e-12;
constexpr int LOW_EDGE_STEPS = 8;
constexpr double LOWEST_SATURATION_OFFSET = 1e-6;  // K
constexpr double LOW_EDGE_SETTLED = 4e-16;
constexpr double ENERGY_SCALE = 1e6;   // J/kg
constexpr double ENTROPY_SCALE = 1e4;  // J/(kg K)

// One state of the line: its density, the property and its derivative in density at constant T.
struct Point {
    double rho;
    double value;
    double slope;
};

double property_value(const LineProperty property, const FluidState& s) {
    switch (property) {
        case LineProperty::enthalpy:
            return state_enthalpy(s);
        case LineProperty::entropy:
            return state_entropy(s);
        default:
            return state_internal_energy(s);
    }
}

// (d property / d rho)_T from the reduced Helmholtz derivatives; phi0_t does not depend on density.
double property_slope(const LineProperty property, const FluidState& s) {
    const double dt = s.delta * s.tau * s.phir_dt;
    switch (property) {
        case LineProperty::enthalpy:
            return s.R * s.T / s.rho * (dt + s.delta * s.phir_d + s.delta * s.delta * s.phir_dd);
        case LineProperty::entropy:
            return s.R / s.rho * (dt - s.delta0 * s.phi0_d - s.delta * s.phir_d);
        default:
            return s.R * s.T / s.rho * dt;
    }
}

template <class M>
Point point_at(const LineProperty property, const double t, const double rho) {
    FluidState s{};
    M::evaluate(t, rho, s);
    return Point{rho, property_value(property, s), property_slope(property, s)};
}

Point point_of(const LineProperty property, const FluidState& s) {
    return Point{s.rho, property_value(property, s), property_slope(property, s)};
}

// The density in [a, b], on which the property is monotonic and spans the target, where the
// property meets it: Newton steps kept inside a shrinking bracket, bisection where a step leaves
// it or the slope is useless; ends when the value is met or the bracket is down to adjacent
// doubles. Answers the point whose value is nearest the target.
template <class M>
Point solve_piece(const LineProperty property, const double t, const double target, Point a,
                  Point b) {
    if (a.value == target) {
        return a;
    }
    if (b.value == target) {
        return b;
    }
    const bool rising = b.value > a.value;
    Point best = std::fabs(a.value - target) <= std::fabs(b.value - target) ? a : b;
    // Start from the chord: the property is close to linear in density on most pieces.
    double rho = a.rho + (target - a.value) * (b.rho - a.rho) / (b.value - a.value);
    Point p = best;
    for (int step = 0; step < MAX_NEWTON_STEPS; ++step) {
        if (!(rho > a.rho && rho < b.rho)) {
            rho = 0.5 * (a.rho + b.rho);
        }
        if (!(rho > a.rho && rho < b.rho)) {
            break;  // a and b are adjacent doubles
        }
        p = point_at<M>(property, t, rho);
        if (std::fabs(p.value - target) < std::fabs(best.value - target)) {
            best = p;
        }
        if (p.value == target) {
            break;
        }
        if ((p.value < target) == rising) {
            a = p;
        } else {
            b = p;
        }
        // The Newton step; one that leaves the bracket (or is not a number) becomes its midpoint
        // on the next pass.
        const double next = p.rho - (p.value - target) / p.slope;
        rho = std::isfinite(next) ? next : 0.5 * (a.rho + b.rho);
        if (next == p.rho) {
            break;
        }
    }
    return best;
}

void found_single(const double t, const double rho, const int phase, LineState& out) {
    out = LineState{};
    out.outcome = LineOutcome::found;
    out.phase = phase;
    out.t = t;
    out.rho = rho;
}

// The line's least and greatest values met so far, and their states.
struct Band {
    Point low{0.0, std::numeric_limits<double>::infinity(), 0.0};
    Point high{0.0, -std::numeric_limits<double>::infinity(), 0.0};
    void add(const Point& p) {
        if (p.value < low.value) {
            low = p;
        }
        if (p.value > high.value) {
            high = p;
        }
    }
};

bool holds(const double target, const double u, const double v) {
    return target >= std::fmin(u, v) && target <= std::fmax(u, v);
}

// A target beyond the band by no more than the rounding of the edge states (whose densities are
// solved from the edge pressures to the density solver's tolerance) is the edge state's value:
// a state another pair answers at the domain's edge lies there.
double edge_slack(const LineProperty property, const double value) {
    const double scale = property == LineProperty::entropy ? ENTROPY_SCALE : ENERGY_SCALE;
    return EDGE_RELATIVE_SLACK * std::fmax(std::fabs(value), scale);
}

// A branch [a, b] whose ends' slopes have opposite signs: one extremum inside. The search for it
// (regula falsi, Illinois, on the slope) keeps lo on the first piece and hi on the second; it
// stops as soon as the first piece is known to hold the target ([a, lo] spans it), or the second
// does while the first cannot (the target lies beyond f(a), on the side away from the extremum).
// Located to EXTREMUM_RELATIVE_WIDTH, the extremum's value joins the band.
template <class M>
bool search_split_branch(const LineProperty property, const double t, const double target,
                         const Point& a, const Point& b, const int phase, Band& band,
                         LineState& out) {
    const bool first_falls = a.slope < 0.0;
    const bool beyond_first = first_falls ? target > a.value : target < a.value;
    if (beyond_first && std::fabs(target - a.value) <= edge_slack(property, a.value)) {
        // Beyond the low-density end by its rounding only: that end is the state of lowest
        // density with the target's value, not the one the second piece holds.
        found_single(t, a.rho, phase, out);
        return true;
    }
    Point lo = a;
    Point hi = b;
    double wa = 1.0;
    double wb = 1.0;
    for (int step = 0; step < MAX_EXTREMUM_STEPS; ++step) {
        if (holds(target, a.value, lo.value)) {
            found_single(t, solve_piece<M>(property, t, target, a, lo).rho, phase, out);
            return true;
        }
        if (beyond_first && holds(target, hi.value, b.value)) {
            found_single(t, solve_piece<M>(property, t, target, hi, b).rho, phase, out);
            return true;
        }
        if (!(hi.rho - lo.rho > EXTREMUM_RELATIVE_WIDTH * hi.rho)) {
            break;
        }
        const double fa = wa * lo.slope;
        const double fb = wb * hi.slope;
        double rho = (lo.rho * fb - hi.rho * fa) / (fb - fa);
        if (!(rho > lo.rho && rho < hi.rho)) {
            rho = 0.5 * (lo.rho + hi.rho);
        }
        const Point m = point_at<M>(property, t, rho);
        if (!std::isfinite(m.slope)) {
            break;
        }
        if ((m.slope < 0.0) == first_falls && m.slope != 0.0) {
            lo = m;
            wa = 1.0;
            wb *= 0.5;
        } else {
            hi = m;
            wb = 1.0;
            wa *= 0.5;
        }
    }
    band.add(lo);
    band.add(hi);
    if (holds(target, hi.value, b.value)) {
        found_single(t, solve_piece<M>(property, t, target, hi, b).rho, phase, out);
        return true;
    }
    return false;
}

// Searches the single-phase branch [a, b] (rising density) for the target, split at an extremum.
// True when found.
template <class M>
bool search_branch(const LineProperty property, const double t, const double target, const Point& a,
                   const Point& b, const int phase, Band& band, LineState& out) {
    band.add(a);
    band.add(b);
    if (!(b.rho > a.rho)) {
        if (a.value == target) {
            found_single(t, a.rho, phase, out);
            return true;
        }
        return false;
    }
    if (property != LineProperty::entropy && a.slope * b.slope < 0.0) {
        return search_split_branch<M>(property, t, target, a, b, phase, band, out);
    }
    if (holds(target, a.value, b.value)) {
        found_single(t, solve_piece<M>(property, t, target, a, b).rho, phase, out);
        return true;
    }
    return false;
}

// The density of the isotherm's state at pressure P, as the (P, T) density solver finds it: the
// vapour's below the critical pressure, the only one above.
template <class M>
double density_at_pressure(const double t, const double P, const bool vapour) {
    double liquid_rho = 0.0;
    double vapour_rho = 0.0;
    PressureTemperature<M>::densities_from_pressure_temperature(P, t, liquid_rho, vapour_rho);
    return vapour ? vapour_rho : liquid_rho;
}

// The vapour's density at the lowest pressure, where it is nearly an ideal gas: secant steps on
// the pressure from the ideal gas's density, to adjacent doubles; the density solver where they
// do not settle.
template <class M>
double lowest_pressure_density(const double t, const double P) {
    double r0 = P / (M::CONSTANTS.gas_constant * (t + KELVIN_OFFSET));
    double p0 = M::pressure(t, r0);
    double r1 = r0 * P / p0;
    for (int step = 0; step < LOW_EDGE_STEPS; ++step) {
        const double p1 = M::pressure(t, r1);
        if (p1 == P) {
            return r1;
        }
        const double r2 = r1 - (p1 - P) * (r1 - r0) / (p1 - p0);
        if (!(r2 > 0.0) || !std::isfinite(r2)) {
            break;
        }
        if (std::fabs(r2 - r1) <= LOW_EDGE_SETTLED * r1) {
            return r2;
        }
        r0 = r1;
        p0 = p1;
        r1 = r2;
    }
    return density_at_pressure<M>(t, P, true);
}

template <class M>
void band_outcome(const LineProperty property, const double t, const double target,
                  const Band& band, LineState& out) {
    out = LineState{};
    if (!(target < band.low.value || target > band.high.value)) {
        return;  // none: a search that failed to hold its bracket
    }
    const bool below = target < band.low.value;
    const Point& edge = below ? band.low : band.high;
    if (std::fabs(target - edge.value) <= edge_slack(property, edge.value)) {
        found_single(t, edge.rho,
                     edge.rho >= M::CONSTANTS.critical_density ? PHASE_LIQUID : PHASE_VAPOUR, out);
        return;
    }
    out.outcome = below ? LineOutcome::below_band : LineOutcome::above_band;
    out.limit = edge.value;
    out.edge_p = M::pressure(t, edge.rho);
    out.edge_t = t;
}

// The stable state on the isotherm with the target's value, or the band outcome.
template <class M>
void stable_state(const LineProperty property, const double t, const double target,
                  LineState& out) {
    const ModelConstants& c = M::CONSTANTS;
    Band band;
    SaturationEquilibrium e;
    const bool saturated =
        t <= c.saturation_limit_temperature &&
        M::saturation_at_temperature(t + KELVIN_OFFSET, e) == SATURATION_EQUILIBRIUM_OK;
    if (!saturated) {
        const Point a = point_at<M>(
            property, t, lowest_pressure_density<M>(t, c.domain.lowest_admitted_pressure));
        const double high_rho =
            density_at_pressure<M>(t, c.domain.highest_admitted_pressure, false);
        const Point b = point_at<M>(property, t, high_rho);
        const int phase = t < c.critical_temperature ? PHASE_VAPOUR : PHASE_SUPERCRITICAL;
        if (search_branch<M>(property, t, target, a, b, phase, band, out)) {
            if (t < c.critical_temperature && out.rho >= c.critical_density) {
                out.phase = PHASE_LIQUID;
            }
            return;
        }
        band_outcome<M>(property, t, target, band, out);
        return;
    }
    // The saturated pair as the saturation at t forms it.
    FluidState liquid{};
    FluidState vapour{};
    M::saturated_pair(t, e, liquid, vapour);
    const Point sat_liquid = point_of(property, liquid);
    const Point sat_vapour = point_of(property, vapour);

    // Vapour branch: at the lowest temperature the lowest pressure is the saturation pressure.
    // The entropy, falling with density, has there no value below the saturated vapour's.
    band.add(sat_vapour);
    if (property != LineProperty::entropy || target >= sat_vapour.value) {
        const double low_rho = lowest_pressure_density<M>(t, c.domain.lowest_admitted_pressure);
        const Point low = point_at<M>(property, t, std::fmin(low_rho, sat_vapour.rho));
        if (search_branch<M>(property, t, target, low, sat_vapour, PHASE_VAPOUR, band, out)) {
            return;
        }
    }
    // The mixtures: linear in the vapour mass fraction.
    const double lo = std::fmin(sat_liquid.value, sat_vapour.value);
    const double hi = std::fmax(sat_liquid.value, sat_vapour.value);
    if (target >= lo && target <= hi) {
        const double x = (target - sat_liquid.value) / (sat_vapour.value - sat_liquid.value);
        if (x >= 1.0) {
            found_single(t, sat_vapour.rho, PHASE_VAPOUR, out);
        } else if (x <= 0.0) {
            found_single(t, sat_liquid.rho, PHASE_LIQUID, out);
        } else {
            out = LineState{};
            out.outcome = LineOutcome::found;
            out.phase = PHASE_TWO_PHASE;
            out.t = t;
            out.x = x;
        }
        return;
    }
    const double high_rho = density_at_pressure<M>(t, c.domain.highest_admitted_pressure, false);
    const Point high = point_at<M>(property, t, high_rho);
    if (search_branch<M>(property, t, target, sat_liquid, high, PHASE_LIQUID, band, out)) {
        return;
    }
    band_outcome<M>(property, t, target, band, out);
}

// The superheated liquid on the isotherm with the target's value: between the liquid at the
// lowest pressure whose saturation temperature's superheat limit reaches t and the saturated
// liquid, sought only below the superheat ceiling. The (t, rho) state formed with the superheat
// option then judges it as it judges any superheated liquid.
template <class M>
bool superheated_liquid(const LineProperty property, const double t, const double target,
                        LineState& out) {
    const ModelConstants& c = M::CONSTANTS;
    SaturationEquilibrium e;
    if (!(t < c.superheat_ceiling) ||
        M::saturation_at_temperature(t + KELVIN_OFFSET, e) != SATURATION_EQUILIBRIUM_OK) {
        return false;
    }
    // The lowest saturation temperature whose superheat limit is at least t: bisection, the
    // limit rising with the saturation temperature.
    // At the lowest temperature itself the limit is that temperature (its fit starts just above):
    // the search starts a hair above it.
    double lo = c.domain.min_temperature + LOWEST_SATURATION_OFFSET;
    double hi = t;
    if (!(M::superheat_limit_temperature(lo) >= t)) {
        for (int step = 0; step < MAX_EXTREMUM_STEPS; ++step) {
            const double mid = 0.5 * (lo + hi);
            if (!(mid > lo && mid < hi)) {
                break;
            }
            (M::superheat_limit_temperature(mid) >= t ? hi : lo) = mid;
        }
    } else {
        hi = lo;
    }
    const double p_lowest = Saturation<M>::saturation_pressure(hi);
    int phase = 0;
    double x = 0.0;
    FluidState liquid{};
    FluidState vapour{};
    PressureTemperature<M>::state_from_pressure_temperature(1, p_lowest, t, phase, x, liquid,
                                                            vapour);
    if (phase != PHASE_LIQUID || liquid.T != t + KELVIN_OFFSET || !(liquid.rho < e.rho_liquid)) {
        return false;
    }
    FluidState saturated{};
    M::evaluate(t, e.rho_liquid, saturated);
    Band band;
    return search_branch<M>(property, t, target, point_of(property, liquid),
                            point_of(property, saturated), PHASE_LIQUID, band, out);
}

}  // namespace

template <class M>
void Isotherm<M>::state_from_temperature_property(const LineProperty& property,
                                                  const int& metastable_side, const double& t,
                                                  const double& target, LineState& out) {
    out = LineState{};
    if (!std::isfinite(t) || !std::isfinite(target)) {
        return;
    }
    stable_state<M>(property, t, target, out);
    // With the superheat option a superheated liquid with the target's value answers in place
    // of a mixture or a vapour, or where no stable state has it (a liquid's enthalpy below the
    // saturated liquid's at low temperatures).
    const bool stable_liquid = out.outcome == LineOutcome::found &&
                               (out.phase == PHASE_LIQUID || out.phase == PHASE_SUPERCRITICAL);
    if (metastable_side == 1 && !stable_liquid) {
        LineState liquid{};
        if (superheated_liquid<M>(property, t, target, liquid)) {
            out = liquid;
        }
    }
}

#define ZELTRA5_INSTANTIATE(Model) template struct Isotherm<Model>;
ZELTRA5_FOR_EACH_MODEL(ZELTRA5_INSTANTIATE)
#undef ZELTRA5_INSTANTIATE

}  // namespace zeltra5::flash
