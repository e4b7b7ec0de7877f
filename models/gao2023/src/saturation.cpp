// Phase equilibrium of the 2023 equation (equal pressure and Gibbs energy of both phases), from
// Chebyshev expansions that tools/gao2023-saturation-expansions.py generates against a 40-digit
// solve of that equilibrium, and the density brackets of its solvers.

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "coefficients.hpp"
#include "saturation_expansion_coefficients.hpp"
#include "zeltra5/gao2023.hpp"
#include "zeltra5/piecewise.hpp"

namespace zeltra5::gao2023 {

namespace {

namespace co = coefficients;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

int refuse(SaturationEquilibrium& out) {
    out = {NaN, NaN, NaN, NaN};
    return SATURATION_EQUILIBRIUM_OUTSIDE;
}

// The lowest temperature (K) saturation answers: the lowest admitted one in degC turned into
// kelvin, with a few doubles of slack for that conversion.
constexpr double LOWEST_SATURATION_TEMPERATURE =
    LOWEST_ADMITTED_TEMPERATURE + KELVIN_OFFSET - 1e-12;

namespace se = saturation_expansion;

// u = Tc - T with Tc in two parts, so that u keeps its relative accuracy near Tc.
double depth_below_critical(double T_K) {
    return (se::CRITICAL_TEMPERATURE_HI - T_K) + se::CRITICAL_TEMPERATURE_LO;
}

// The three forward expansions (p, rho', rho'') at theta = sqrt(Tc - T), by Clenshaw's
// recurrence run side by side.
void forward_at(double theta, double& p, double& rho_liquid, double& rho_vapour) {
    const se::ForwardPiece& piece =
        se::FORWARD[locate_piece<se::INTERVAL_COUNT>(se::THETA_BOUNDS, theta)];
    const double x = piece.scale * theta + piece.offset;
    const double two_x = 2.0 * x;
    double b1[3] = {piece.c[se::DEGREE][0], piece.c[se::DEGREE][1], piece.c[se::DEGREE][2]};
    double b2[3] = {0.0, 0.0, 0.0};
    for (int k = se::DEGREE - 1; k >= 1; --k) {
        for (int q = 0; q < 3; ++q) {
            const double b0 = two_x * b1[q] - b2[q] + piece.c[k][q];
            b2[q] = b1[q];
            b1[q] = b0;
        }
    }
    p = x * b1[0] - b2[0] + piece.c[0][0];
    rho_liquid = x * b1[1] - b2[1] + piece.c[0][1];
    rho_vapour = x * b1[2] - b2[2] + piece.c[0][2];
}

constexpr std::uint64_t inverse_block(double p) {
    return (std::bit_cast<std::uint64_t>(p) >> se::INVERSE_BLOCK_SHIFT) - se::INVERSE_FIRST_KEY;
}
static_assert(inverse_block(se::HIGHEST_PRESSURE) <
                      static_cast<std::uint64_t>(se::INVERSE_BLOCK_COUNT) &&
                  inverse_block(se::LOWEST_PRESSURE) <= inverse_block(se::HIGHEST_PRESSURE),
              "the inverse blocks cover the range of pressures");

// u = Tc - T at p (inside the range) from the inverse expansion, its piece picked by the bits of
// p: the exponent and two leading significand bits give a block, the next few the piece in it.
double inverse_at(double p) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(p);
    const se::InverseBlock& block = se::INVERSE_BLOCKS[inverse_block(p)];
    const se::InversePiece& piece =
        se::INVERSE[block.first + static_cast<int>((bits >> block.shift) & block.mask)];
    const double x = piece.scale * p + piece.offset;
    const double two_x = 2.0 * x;
    double b1 = piece.c[se::INVERSE_DEGREE];
    double b2 = 0.0;
    for (int k = se::INVERSE_DEGREE - 1; k >= 1; --k) {
        const double b0 = two_x * b1 - b2 + piece.c[k];
        b2 = b1;
        b1 = b0;
    }
    return x * b1 - b2 + piece.c[0];
}

// The equilibrium at T_K (inside the range) from the expansions.
void equilibrium(double T_K, SaturationEquilibrium& out) {
    out.T_K = T_K;
    forward_at(std::sqrt(depth_below_critical(T_K)), out.p, out.rho_liquid, out.rho_vapour);
}

double theta(double T_K) {
    return 1.0 - T_K / REDUCING_TEMPERATURE;
}

}  // namespace

double ancillary_vapour_pressure(double T_K) {
    const double th = theta(T_K);
    double sum = 0.0;
    for (int k = 0; k < 4; ++k) {
        sum += co::VAPOUR_PRESSURE_N[k] * std::pow(th, co::VAPOUR_PRESSURE_T[k]);
    }
    return REDUCING_PRESSURE * std::exp(REDUCING_TEMPERATURE / T_K * sum);
}

double ancillary_liquid_density(double T_K) {
    const double th = theta(T_K);
    double sum = 1.0;
    for (int k = 0; k < 6; ++k) {
        sum += co::LIQUID_DENSITY_N[k] * std::pow(th, co::LIQUID_DENSITY_T[k]);
    }
    return REDUCING_DENSITY * sum;
}

double ancillary_vapour_density(double T_K) {
    const double th = theta(T_K);
    double sum = 0.0;
    for (int k = 0; k < 6; ++k) {
        sum += co::VAPOUR_DENSITY_N[k] * std::pow(th, co::VAPOUR_DENSITY_T[k]);
    }
    return REDUCING_DENSITY * std::exp(sum);
}

int saturation_at_temperature(const double& T_K, SaturationEquilibrium& out) {
    if (!(T_K >= LOWEST_SATURATION_TEMPERATURE && T_K <= SATURATION_LIMIT_TEMPERATURE_K)) {
        return refuse(out);
    }
    equilibrium(T_K, out);
    return SATURATION_EQUILIBRIUM_OK;
}

int saturation_at_pressure(const double& p, SaturationEquilibrium& out) {
    // As the 1993 model: a (T, rho) state's own pressure may lie below the lowest admitted one
    // by a liquid's pressure step of one double of density, so 1e-5 Pa below is answered.
    if (!(p >= LOWEST_ADMITTED_PRESSURE - 1e-5 && p <= SATURATION_LIMIT_PRESSURE)) {
        return refuse(out);
    }
    // The inverse expansion meets the forward one to about 1e-13 K: the temperature whose
    // forward pressure is p, as close as a temperature can be given. Kept inside the range.
    double T = se::CRITICAL_TEMPERATURE_HI + (se::CRITICAL_TEMPERATURE_LO - inverse_at(p));
    T = T < se::LOWEST_TEMPERATURE ? se::LOWEST_TEMPERATURE : T;
    T = T > se::HIGHEST_TEMPERATURE ? se::HIGHEST_TEMPERATURE : T;
    // No lower than the lowest admitted temperature once turned back into degC.
    while (T - KELVIN_OFFSET < LOWEST_ADMITTED_TEMPERATURE) {
        T = std::nextafter(T, 1e3);
    }
    equilibrium(T, out);
    out.p = p;
    return SATURATION_EQUILIBRIUM_OK;
}

namespace {

// [lo, hi] with p(lo) < P <= p(hi) and hi = lo * factor, found by stepping from `start` by
// `factor` (upward while the pressure is below P, downward while it is not). Used on stretches
// of an isotherm where the pressure rises with density.
void march(double P, double t, double start, double factor, double& lo, double& hi) {
    double rho = start;
    if (pressure(t, rho) < P) {
        for (int i = 0; i < 2000 && pressure(t, rho * factor) < P; ++i) {
            rho *= factor;
        }
        lo = rho;
        hi = rho * factor;
    } else {
        for (int i = 0; i < 2000 && pressure(t, rho / factor) >= P; ++i) {
            rho /= factor;
        }
        lo = rho / factor;
        hi = rho;
    }
}

// Pressure and (dp/drho)_T at (t, rho) from one evaluation of the residual part.
void pressure_and_slope(double t, double rho, double& p, double& slope) {
    double d = 0.0;
    double dd = 0.0;
    phir_d_dd(t, rho, d, dd);
    const double delta = rho / REDUCING_DENSITY;
    const double RT = (t + KELVIN_OFFSET) * GAS_CONSTANT;
    p = (delta * d + 1.0) * rho * RT;
    slope = RT * (1.0 + 2.0 * delta * d + delta * delta * dd);
}

// A narrow bracket of the density at P on a stretch of the isotherm where the pressure rises with
// density, by Newton's method from rho (inside the stretch); [lo, hi] may come in holding a known
// side (has_lo: p(lo) < P, has_hi: p(hi) >= P). Every point evaluated narrows the bracket; a
// step that leaves it bisects. Ends when both sides are known and 1e-7 apart (relative), when
// Newton's step falls below 1e-9 of the density (the other side then four steps on), or after
// a few steps with the bracket as wide as it then is; a side still unknown is found by
// marching from the last point.
void newton_bracket(double P, double t, double rho, bool has_lo, bool has_hi, double& lo,
                    double& hi) {
    for (int i = 0; i < 12; ++i) {
        double p = 0.0;
        double slope = 0.0;
        pressure_and_slope(t, rho, p, slope);
        if (p < P) {
            lo = rho;
            has_lo = true;
        } else {
            hi = rho;
            has_hi = true;
        }
        if (has_lo && has_hi && hi - lo <= 1e-7 * hi) {
            return;
        }
        double next = rho + (P - p) / slope;
        if (has_lo && has_hi && next - rho == 0.0) {
            return;  // converged onto one side: the other is within the bracket as it is
        }
        // Once Newton's step is small its error is far smaller (quadratic): the root lies
        // between rho and four steps on, with a margin for the pressure's rounding.
        if (slope > 0.0 && std::fabs(next - rho) < 1e-9 * rho) {
            const double far = rho + 4.0 * (next - rho) + std::copysign(1e-14 * rho, next - rho);
            if (next > rho) {
                hi = has_hi ? std::fmin(hi, far) : far;
            } else {
                lo = has_lo ? std::fmax(lo, far) : far;
            }
            return;
        }
        const bool inside = (!has_lo || next > lo) && (!has_hi || next < hi) && next > 0.0;
        if (!(slope > 0.0) || !inside) {
            next = has_lo && has_hi ? 0.5 * (lo + hi) : (p < P ? 2.0 * rho : 0.5 * rho);
        }
        rho = next;
    }
    if (has_lo && has_hi) {
        return;
    }
    march(P, t, rho, 1.05, lo, hi);
}

}  // namespace

void density_bracket(const double& P, const double& t, const int& phase, double& lo, double& hi) {
    const double T_K = t + KELVIN_OFFSET;
    // Below the saturation limit the expansions (which reach a little below the lowest
    // temperature admitted) give the saturated densities that bound each branch.
    const bool below_limit =
        T_K >= LOWEST_SATURATION_TEMPERATURE && T_K <= SATURATION_LIMIT_TEMPERATURE_K;
    const double ideal_gas = P / (GAS_CONSTANT * T_K);
    SaturationEquilibrium e{};
    if (below_limit) {
        equilibrium(T_K, e);
    }
    if (phase == PHASE_VAPOUR) {
        if (below_limit && ideal_gas < e.rho_vapour) {
            // The vapour branch is concave: Newton's method from the ideal gas's density (below
            // the root, the vapour being less compressible than an ideal gas never) climbs to
            // it from below, under the saturated vapour's density.
            hi = e.rho_vapour;
            newton_bracket(P, t, ideal_gas, false, true, lo, hi);
            return;
        }
        newton_bracket(P, t, ideal_gas, false, false, lo, hi);
        return;
    }
    if (below_limit) {
        // The liquid branch rises with density above the saturated liquid's, and is convex:
        // Newton's method from the saturated liquid reaches the root from above.
        lo = e.rho_liquid;
        newton_bracket(P, t, e.rho_liquid, false, false, lo, hi);
        return;
    }
    newton_bracket(P, t, ideal_gas, false, false, lo, hi);
}

}  // namespace zeltra5::gao2023
