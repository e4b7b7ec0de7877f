// Viscosity of ammonia: dilute gas with an effective collision integral, an initial-density
// term from the second viscosity virial coefficient, and a residual double polynomial in molar
// density and inverse reduced temperature.

#include <cmath>
#include <limits>

#include "transport_coefficients.hpp"
#include "zeltra5/tr1993_constants.hpp"
#include "zeltra5/transport.hpp"

namespace zeltra5 {

using namespace tr1993;

namespace tc = transport_coefficients;

void viscosity_terms(const FluidState& state, ViscosityTerms& terms) {
    if (state.rho < 0.0) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        terms = ViscosityTerms{nan, nan, nan};
        return;
    }
    const double t_star = state.T * tc::INV_ENERGY_PARAMETER;
    const double rho_m = state.rho * tc::INV_MOLAR_MASS;  // mol/dm3

    const double ln_t = std::log(t_star);
    double ln_omega = 0.0;
    for (int i = 4; i >= 0; --i) {
        ln_omega = ln_omega * ln_t + tc::COLLISION_INTEGRAL[i];
    }
    const double omega = std::exp(ln_omega);
    const double eta0 =
        tc::DILUTE_GAS_FACTOR * std::sqrt(tc::MOLAR_MASS * state.T) / (tc::SIGMA_SQUARED * omega);

    // B* as a polynomial in x = 1/sqrt(T*).
    const double x = 1.0 / std::sqrt(t_star);
    double b_star = 0.0;
    for (int i = 12; i >= 0; --i) {
        b_star = b_star * x + tc::VIRIAL[i];
    }
    const double eta1 = rho_m * eta0 * b_star * tc::VIRIAL_SCALE;

    const double inv_t = 1.0 / t_star;
    double residual = 0.0;
    double rho_power = rho_m * rho_m;
    for (int i = 0; i < 3; ++i) {
        double d_i = 0.0;
        for (int j = 4; j >= 0; --j) {
            d_i = d_i * inv_t + tc::RESIDUAL[i][j];
        }
        residual += rho_power * d_i;
        rho_power *= rho_m;
    }

    terms = ViscosityTerms{eta0, eta1, residual};
}

double state_viscosity(const FluidState& state) {
    ViscosityTerms terms;
    viscosity_terms(state, terms);
    return terms.dilute_gas + terms.initial_density + terms.residual;
}

double state_dynamic_viscosity(const FluidState& state) {
    return state_viscosity(state) * 1e-6;
}

}  // namespace zeltra5
