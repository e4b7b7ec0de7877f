#include "zeltra5/saturation_equilibrium.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "saturation_expansion_coefficients.hpp"
#include "zeltra5/piecewise.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;

namespace {

namespace se = saturation_expansion;

// u = Tc - T, whose square root theta is the variable of the forward expansions. Tc is carried
// in two parts: Tc_hi - T is exact near Tc, so u keeps its relative accuracy as it goes to zero.
double depth_below_critical(double T_K) {
    return (se::CRITICAL_TEMPERATURE_HI - T_K) + se::CRITICAL_TEMPERATURE_LO;
}

struct Columns {
    double p;
    double rho_liquid;
    double rho_vapour;
};

// The three forward expansions at theta by Clenshaw's recurrence, run side by side.
Columns forward_at(double theta) {
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
    return {x * b1[0] - b2[0] + piece.c[0][0], x * b1[1] - b2[1] + piece.c[0][1],
            x * b1[2] - b2[2] + piece.c[0][2]};
}

constexpr std::uint64_t inverse_block(double p) {
    return (std::bit_cast<std::uint64_t>(p) >> se::INVERSE_BLOCK_SHIFT) - se::INVERSE_FIRST_KEY;
}
static_assert(inverse_block(se::HIGHEST_PRESSURE) <
                      static_cast<std::uint64_t>(se::INVERSE_BLOCK_COUNT) &&
                  inverse_block(se::LOWEST_PRESSURE) <= inverse_block(se::HIGHEST_PRESSURE),
              "the inverse blocks cover the range of pressures");

// u = Tc - T at p (inside the range) from the inverse expansion. Its piece comes from the bits
// of p: the exponent and two leading significand bits pick a block (a quarter of a binary order
// of magnitude), the next few bits the piece in it.
double inverse_at(double p) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(p);
    const se::InverseBlock& block = se::INVERSE_BLOCKS[inverse_block(p)];
    const se::InversePiece& piece =
        se::INVERSE[block.first + static_cast<int>((bits >> block.shift) & block.mask)];
    const double x = piece.scale * p + piece.offset;
    const double two_x = 2.0 * x;
    double b1 = piece.c[se::INVERSE_DEGREE], b2 = 0.0;
    for (int k = se::INVERSE_DEGREE - 1; k >= 1; --k) {
        const double b0 = two_x * b1 - b2 + piece.c[k];
        b2 = b1;
        b1 = b0;
    }
    return x * b1 - b2 + piece.c[0];
}

int refuse(SaturationEquilibrium& out) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    out = {nan, nan, nan, nan};
    return SATURATION_EQUILIBRIUM_OUTSIDE;
}

// The densities at T_K inside the range.
void fill_densities(double T_K, SaturationEquilibrium& out, double& p) {
    const Columns c = forward_at(std::sqrt(depth_below_critical(T_K)));
    out.T_K = T_K;
    out.rho_liquid = c.rho_liquid;
    out.rho_vapour = c.rho_vapour;
    p = c.p;
}

}  // namespace

SaturationEquilibriumLimits saturation_equilibrium_limits() {
    return {se::CRITICAL_TEMPERATURE_HI, se::CRITICAL_PRESSURE,   se::CRITICAL_DENSITY,
            se::LOWEST_TEMPERATURE,      se::HIGHEST_TEMPERATURE, se::LOWEST_PRESSURE,
            se::HIGHEST_PRESSURE};
}

int saturation_equilibrium_at_temperature(const double& T_K, SaturationEquilibrium& out) {
    // The lowest temperature admitted in degC, -77 - 1e-9, lands one double below the lowest
    // temperature of the expansions when turned into kelvin: a few doubles below it are taken
    // (the expansion holds there to its last digit).
    constexpr double LOWEST_TAKEN = se::LOWEST_TEMPERATURE - 1e-12;
    if (!(T_K >= LOWEST_TAKEN && T_K <= se::HIGHEST_TEMPERATURE)) {
        return refuse(out);
    }
    fill_densities(T_K, out, out.p);
    return SATURATION_EQUILIBRIUM_OK;
}

int saturation_equilibrium_at_pressure(const double& p, SaturationEquilibrium& out) {
    // The domain admits pressures a little below the expansions' lowest (the equilibrium at the
    // lowest admitted temperature in degC, which lands below the expansions' lowest temperature
    // in kelvin, less the density solver's tolerance), and a (T, rho) state's own pressure may
    // lie below again by the pressure's step from one double of density to the next (a liquid
    // there: 3.4e-6 Pa): answered down to 1e-5 Pa below at the lowest temperature.
    constexpr double LOWEST_TAKEN_PRESSURE = LOWEST_ADMITTED_PRESSURE - 1e-5;
    if (!(p >= LOWEST_TAKEN_PRESSURE && p <= se::HIGHEST_PRESSURE)) {
        return refuse(out);
    }
    // The inverse expansion meets the forward one to 2e-14 K near Tc (1e-13 K at -77 degC), as
    // close as a temperature can be given: a Newton step on the forward pressure would change
    // nothing that shows.
    const double u = inverse_at(p);
    // Reported as a temperature, kept inside the range at its ends.
    double T_K = se::CRITICAL_TEMPERATURE_HI + (se::CRITICAL_TEMPERATURE_LO - u);
    T_K = T_K < se::LOWEST_TEMPERATURE ? se::LOWEST_TEMPERATURE : T_K;
    T_K = T_K > se::HIGHEST_TEMPERATURE ? se::HIGHEST_TEMPERATURE : T_K;
    double p_at_T = 0.0;
    fill_densities(T_K, out, p_at_T);
    out.p = p;
    return SATURATION_EQUILIBRIUM_OK;
}

}  // namespace zeltra5
