// Thermal conductivity of ammonia: dilute-gas polynomial in reduced temperature, residual
// polynomial in reduced density, an exponential correction, and the crossover critical
// enhancement (Olchowy and Sengers).

#include <cmath>
#include <limits>

#include "transport_coefficients.hpp"
#include "zeltra5/helmholtz.hpp"
#include "zeltra5/tr1993_constants.hpp"
#include "zeltra5/transport.hpp"

namespace zeltra5 {

using namespace tr1993;

namespace tc = transport_coefficients;

namespace {

// Critical enhancement in mW/(m K).
//   lambda_c = rho cp (R_D k_B) T (Omega - Omega0) / (6 pi eta xi)
// with rho in kg/m3, cp in J/(kg K), R_D k_B in J/K, T in K, eta in Pa s and xi in m gives
// W/(m K). xi is computed in nm, so the result is scaled by 1e9 (nm -> m) and 1e3 (W -> mW).
//   Omega  = (2/pi) [((cp - cv)/cp) arctan(qD xi) + (cv/cp) qD xi]
//   Omega0 = (2/pi) [1 - exp(-1 / ((qD xi)^-1 + (qD xi / delta)^2 / 3))]
// xi follows from the excess of the reduced compressibility over its value at 1.5 Tc and the
// same density, scaled by Tref/T; where that excess is not positive the fluid is far from the
// critical point and the enhancement is 0.
// A state whose compressibility is not positive and finite (inside the spinodal of the equation
// of state, which near 132.3 degC reaches above 132.25 degC) has no defined enhancement: NaN.
// `viscosity` (micro-Pa s) is the state's, when the caller has it (null: formed here if needed).
double critical_enhancement(const FluidState& state, const double& delta, const double* viscosity) {
    const double chi = tc::CHI_SCALE * delta * state_drho_dp_t(state);
    if (!(chi > 0.0 && std::isfinite(chi))) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    // (d rho / d p)_T at the reference temperature needs only the two residual delta
    // derivatives there.
    FluidState reference{};
    reference.T = tc::REFERENCE_TEMPERATURE_C + KELVIN_OFFSET;
    reference.rho = state.rho;
    reference.R = GAS_CONSTANT;
    reference.delta = state.rho * INV_CRITICAL_DENSITY;
    residual_phir_d_dd(tc::REFERENCE_TEMPERATURE_C, state.rho, reference.phir_d, reference.phir_dd);
    const double chi_reference = tc::CHI_SCALE * delta * state_drho_dp_t(reference);
    const double excess = chi - chi_reference * tc::REFERENCE_TEMPERATURE / state.T;
    if (excess <= 0.0) {
        return 0.0;
    }
    const double xi = tc::XI0 * std::pow(tc::INV_GAMMA * excess, tc::NU_OVER_GAMMA);  // nm

    const double cp = state_cp(state);
    const double cv = state_cv(state);
    const double q_xi = tc::QD * xi;
    const double omega = tc::TWO_OVER_PI * ((cp - cv) / cp * std::atan(q_xi) + cv / cp * q_xi);
    const double q_xi_delta = q_xi / delta;
    const double omega0 =
        tc::TWO_OVER_PI * (1.0 - std::exp(-1.0 / (1.0 / q_xi + q_xi_delta * q_xi_delta / 3.0)));

    const double eta = (viscosity != nullptr ? *viscosity : state_viscosity(state)) * 1e-6;  // Pa s
    const double xi_m = xi * 1e-9;
    return 1e3 * state.rho * cp * tc::AMPLITUDE * state.T * (omega - omega0) /
           (tc::SIX_PI * eta * xi_m);
}

int conductivity_terms(const FluidState& state, const double* viscosity,
                       ThermalConductivityTerms& terms) {
    if (!(state.rho > 0.0)) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        terms = ThermalConductivityTerms{nan, nan, nan, nan};
        return 1;
    }
    const double tr = state.T * tc::INV_CRITICAL_TEMPERATURE;
    const double delta = state.rho * tc::INV_CRITICAL_DENSITY;

    const double* a = tc::CONDUCTIVITY_DILUTE;
    const double dilute = a[0] + tr * (a[1] + tr * (a[2] + tr * a[3]));
    const double* b = tc::CONDUCTIVITY_RESIDUAL;
    const double residual = delta * (b[0] + delta * (b[1] + delta * (b[2] + delta * b[3])));
    // delta^-5 overflows to infinity for a very dilute gas; exp(-inf) is then exactly 0.
    const double delta5 = delta * delta * delta * delta * delta;
    const double exponential =
        tc::EXPONENTIAL_AMPLITUDE * std::exp(-tc::EXPONENTIAL_TR_FACTOR * tr * std::sqrt(tr) -
                                             tc::EXPONENTIAL_DELTA_FACTOR / delta5);

    terms = ThermalConductivityTerms{dilute, residual, exponential,
                                     critical_enhancement(state, delta, viscosity)};
    return std::isfinite(dilute + residual + exponential + terms.critical) ? 0 : 1;
}

double conductivity(const FluidState& state, const double* viscosity) {
    ThermalConductivityTerms terms;
    if (conductivity_terms(state, viscosity, terms) != 0) {
        return std::numeric_limits<double>::quiet_NaN();  // no output: the caller decides
    }
    return 0.001 * (terms.dilute_gas + terms.residual + terms.exponential + terms.critical);
}

double prandtl(const FluidState& state, const double& viscosity, const double& conductivity) {
    return state_cp(state) * viscosity * 1e-6 / conductivity;
}

}  // namespace

int thermal_conductivity_terms(const FluidState& state, ThermalConductivityTerms& terms) {
    return conductivity_terms(state, nullptr, terms);
}

double state_thermal_conductivity(const FluidState& state) {
    return conductivity(state, nullptr);
}

double state_prandtl(const FluidState& state) {
    return prandtl(state, state_viscosity(state), state_thermal_conductivity(state));
}

void state_transport_properties(const FluidState& state, TransportProperties& properties) {
    const double viscosity = state_viscosity(state);
    const double lambda = conductivity(state, &viscosity);
    properties = TransportProperties{viscosity, lambda, prandtl(state, viscosity, lambda)};
}

}  // namespace zeltra5
