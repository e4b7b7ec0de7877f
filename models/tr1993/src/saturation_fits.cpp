#include "zeltra5/saturation_fits.hpp"

#include <cmath>
#include <iterator>

#include "saturation_fit_coefficients.hpp"
#include "zeltra5/extended.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;

namespace {

using fits::FitForm;
using fits::FitPiece;

// Below this temperature the fitted pieces apply; above it a near-critical correction pulls the
// saturated densities to 225 kg/m3 at 132.25 degC.
constexpr double SAT_DENSITY_CLAMP = 132.249999;
constexpr double SAT_DENSITY_POLE = 132.2500001;  // ln(1 / (pole - t)) in the correction
constexpr double LIQUID_CORRECTION_OFFSET = 3.7040788849391815;
constexpr double LIQUID_CORRECTION_SCALE = 3.2189952707969947;
constexpr double VAPOUR_CORRECTION_OFFSET = 13.72020038585229;
constexpr double VAPOUR_CORRECTION_SCALE = 0.41703238243699114;

// Chebyshev pieces map t onto [-1, 1] by x = scale t + offset, in extended precision like the
// series: inside the piece x is the small difference of two terms near 57 (liquid) or 75.
constexpr extended LIQUID_CHEBYSHEV_SCALE = 0.43668122270647014L;
constexpr extended LIQUID_CHEBYSHEV_OFFSET = -56.75109170293068L;
constexpr extended VAPOUR_CHEBYSHEV_SCALE = 0.5747126436765094L;
constexpr extended VAPOUR_CHEBYSHEV_OFFSET = -75.00574712621837L;

// The saturation-temperature fit ends just below the critical pressure; above it a linear
// extension reaches 132.25 degC.
constexpr double SAT_PRESSURE_CLAMP = 11333399.7326;
constexpr double SAT_TEMPERATURE_SLOPE = 3.7397157781828416;

constexpr double ISOBAR_115_MIN_T = 133.15;
constexpr double ISOBAR_113_MIN_T = 131.965;

constexpr extended SUPERHEAT_OFFSET = 24.60121930705301L;

// Horner's scheme from the highest power down, in extended precision; two steps per pass (the
// same operations in the same order, with half the loop's bookkeeping).
extended horner(const extended* c, int degree, extended x) {
    extended r = c[degree];
    int k = degree - 1;
    for (; k >= 1; k -= 2) {
        r = (r * x + c[k]) * x + c[k - 1];
    }
    if (k == 0) {
        r = r * x + c[0];
    }
    return r;
}

template <std::size_t N, std::size_t D>
double rational(const extended (&num)[N], const extended (&den)[D], extended x) {
    return static_cast<double>(horner(num, N - 1, x) / horner(den, D - 1, x));
}

double evaluate_piece(const FitPiece& piece, double v) {
    extended x = v;
    switch (piece.form) {
        case FitForm::polynomial:
            return static_cast<double>(horner(piece.num, piece.num_degree, x));
        case FitForm::rational:
            break;
        case FitForm::sqrt_rational_of_square:
            x = x * x;
            return static_cast<double>(ext_sqrt(horner(piece.num, piece.num_degree, x) /
                                                horner(piece.den, piece.den_degree, x)));
        case FitForm::rational_of_log:
            x = ext_log(x);
            break;
        case FitForm::rational_of_sqrt:
            x = ext_sqrt(x);
            break;
    }
    return static_cast<double>(horner(piece.num, piece.num_degree, x) /
                               horner(piece.den, piece.den_degree, x));
}

// Clenshaw's recurrence for sum_{k=0..n} c_k T_k(x), the c_0 term at full weight.
template <std::size_t N>
double chebyshev(const extended (&c)[N], extended scale, extended offset, double t) {
    const extended x = scale * t + offset;
    extended b1 = 0.0L, b2 = 0.0L;
    for (std::size_t k = N - 1; k >= 1; --k) {
        const extended b0 = 2.0L * x * b1 - b2 + c[k];
        b2 = b1;
        b1 = b0;
    }
    return static_cast<double>(x * b1 - b2 + c[0]);
}

// The piecewise fit at v: the first piece whose bound is not below v; past the last piece the
// given tail applies.
template <std::size_t N, typename Tail>
double piecewise(const FitPiece (&pieces)[N], double v, Tail tail) {
    for (const FitPiece& piece : pieces) {
        if (v <= piece.upper) {
            return evaluate_piece(piece, v);
        }
    }
    return tail(v);
}

double liquid_fit(double t) {
    return piecewise(fits::LIQUID_DENSITY_PIECES, t, [](double v) {
        return chebyshev(fits::LIQUID_CHEBYSHEV, LIQUID_CHEBYSHEV_SCALE, LIQUID_CHEBYSHEV_OFFSET,
                         v);
    });
}

double vapour_fit(double t) {
    return piecewise(fits::VAPOUR_DENSITY_PIECES, t, [](double v) {
        return chebyshev(fits::VAPOUR_CHEBYSHEV, VAPOUR_CHEBYSHEV_SCALE, VAPOUR_CHEBYSHEV_OFFSET,
                         v);
    });
}

}  // namespace

double sat_liquid_density(const double& t) {
    if (t > CRITICAL_TEMPERATURE_C) {
        return CRITICAL_DENSITY;  // no saturated phases above the critical point
    }
    if (t < SAT_DENSITY_CLAMP) {
        return liquid_fit(t);
    }
    // Near-critical correction (NaN comes here too and stays NaN): 0 at 132.249999, exactly
    // (225 - rho) at 132.25.
    const double rho = liquid_fit(SAT_DENSITY_CLAMP);
    return rho + (std::sqrt(std::log(1.0 / (SAT_DENSITY_POLE - t))) - LIQUID_CORRECTION_OFFSET) *
                     (CRITICAL_DENSITY - rho) * LIQUID_CORRECTION_SCALE;
}

double sat_vapour_density(const double& t) {
    if (t > CRITICAL_TEMPERATURE_C) {
        return CRITICAL_DENSITY;
    }
    if (t < SAT_DENSITY_CLAMP) {
        return vapour_fit(t);
    }
    const double rho = vapour_fit(SAT_DENSITY_CLAMP);
    return rho + (std::log(1.0 / (SAT_DENSITY_POLE - t)) - VAPOUR_CORRECTION_OFFSET) *
                     (CRITICAL_DENSITY - rho) * VAPOUR_CORRECTION_SCALE;
}

void sat_temperature(const double& p, double& t) {
    if (p <= 0.0) {
        // The fit takes ln p; no saturation state exists there. Give the lowest temperature of
        // the domain rather than a NaN.
        t = MIN_TEMPERATURE;
        return;
    }
    if (p < SAT_PRESSURE_CLAMP) {
        t = piecewise(fits::SAT_TEMPERATURE_PIECES, p, [](double) { return 0.0; });
        return;
    }
    // At and above the clamp (and for NaN): linear extension towards the critical temperature.
    const double ts =
        piecewise(fits::SAT_TEMPERATURE_PIECES, SAT_PRESSURE_CLAMP, [](double) { return 0.0; });
    t = ts + (p - SAT_PRESSURE_CLAMP) * (CRITICAL_TEMPERATURE_C - ts) * SAT_TEMPERATURE_SLOPE;
}

double rho_isobar_690(const double& t) {
    return rational(fits::RHO_ISOBAR_690_NUM, fits::RHO_ISOBAR_690_DEN, t);
}

double rho_isobar_741(const double& t) {
    return rational(fits::RHO_ISOBAR_741_NUM, fits::RHO_ISOBAR_741_DEN, t);
}

double rho_isobar_115(const double& t) {
    const double x = t < ISOBAR_115_MIN_T ? ISOBAR_115_MIN_T : t;
    return rational(fits::RHO_ISOBAR_115_NUM, fits::RHO_ISOBAR_115_DEN, x);
}

double rho_isobar_113(const double& t) {
    const double x = t < ISOBAR_113_MIN_T ? ISOBAR_113_MIN_T : t;
    return rational(fits::RHO_ISOBAR_113_NUM, fits::RHO_ISOBAR_113_DEN, x);
}

double rho_isobar_min(const double& t) {
    return rational(fits::RHO_ISOBAR_MIN_NUM, fits::RHO_ISOBAR_MIN_DEN, t);
}

double superheat_limit_temperature(const double& ts) {
    if (ts <= MIN_TEMPERATURE || ts >= CRITICAL_TEMPERATURE_C) {
        return ts;
    }
    const extended x = ts;
    const extended y =
        x + 0.25L * x * horner(fits::SUPERHEAT_LIMIT_Q, std::size(fits::SUPERHEAT_LIMIT_Q) - 1, x) +
        SUPERHEAT_OFFSET;
    double limit = static_cast<double>(y);
    limit = limit > CRITICAL_TEMPERATURE_C ? CRITICAL_TEMPERATURE_C : limit;  // NaN stays NaN
    // Above ts = 129.41 degC the fit falls below ts itself: no liquid colder than its saturation
    // temperature is beyond the limit.
    return limit < ts ? ts : limit;
}

}  // namespace zeltra5
