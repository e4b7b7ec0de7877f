// Viscosity and thermal conductivity of ammonia by the 2018 correlations of Monogenidou, Assael
// and Huber (the thermal conductivity's critical enhancement evaluated with the 2023 equation),
// and the surface tension of Mulero, Cachadina and Parra (2012).

#include <cmath>
#include <limits>
#include <numbers>

#include "coefficients.hpp"
#include "zeltra5/exponential.hpp"
#include "zeltra5/gao2023.hpp"

namespace zeltra5::gao2023 {

namespace {

namespace co = coefficients;

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// The CODATA 2018 Avogadro and Boltzmann constants (exact in the 2019 SI).
constexpr double AVOGADRO = 6.02214076e23;  // 1/mol
constexpr double BOLTZMANN = 1.380649e-23;  // J/K

// The correlations' stated ranges: viscosity from the triple point to 725 K up to 50 MPa,
// thermal conductivity from the triple point to 680 K up to 80 MPa.
constexpr double VISCOSITY_MAX_TEMPERATURE = 725.0;     // K
constexpr double VISCOSITY_MAX_PRESSURE = 50e6;         // Pa
constexpr double CONDUCTIVITY_MAX_TEMPERATURE = 680.0;  // K
constexpr double CONDUCTIVITY_MAX_PRESSURE = 80e6;      // Pa
// A little below the triple point is taken (the domain's edge margin and rounding).
constexpr double LOWEST_TRANSPORT_TEMPERATURE = TRIPLE_POINT_TEMPERATURE - 1e-6;

// Viscosity (micro-Pa s) without the range check.
double viscosity_unchecked(double T, double rho) {
    const double t_star = T / co::VISCOSITY_EPSILON_K;
    const double ln_t = std::log(t_star);
    double ln_s = 0.0;
    for (int i = 4; i >= 0; --i) {
        ln_s = ln_s * ln_t + co::VISCOSITY_COLLISION_A[i];
    }
    const double sigma = co::VISCOSITY_SIGMA;
    // The dilute gas: 0.021357 sqrt(M T) / (sigma^2 S*), M in g/mol, sigma in nm.
    const double eta0 =
        0.021357 * std::sqrt(MOLAR_MASS * 1e3 * T) / (sigma * sigma * std::exp(ln_s));
    // The initial-density term: B_eta = N_A sigma^3 B*_eta (m3/mol), times the molar density.
    // Its exponents are multiples of -1/4: powers of q = t_star^(-1/4) by multiplication.
    const double q = 1.0 / std::sqrt(std::sqrt(t_star));
    double b_star = 0.0;
    for (int i = 0; i < 9; ++i) {
        const int n = static_cast<int>(-4.0 * co::VISCOSITY_VIRIAL_T[i]);
        double power = 1.0;
        for (int k = 0; k < n; ++k) {
            power *= q;
        }
        b_star += co::VISCOSITY_VIRIAL_B[i] * power;
    }
    const double sigma_m = sigma * 1e-9;
    const double b_eta = AVOGADRO * sigma_m * sigma_m * sigma_m * b_star;
    const double eta1 = eta0 * b_eta * (rho / MOLAR_MASS);
    // The residual: rho_r^(2/3) T_r^(1/2) (a1 + a2 rho_r + a3 rho_r^4 + a4 rho_r^8 / T_r^4
    // + a5 rho_r^2 T_r).
    const double rr = rho / co::TRANSPORT_REDUCING_DENSITY;
    const double tr = T / co::TRANSPORT_REDUCING_TEMPERATURE;
    const double r2 = rr * rr;
    const double r4 = r2 * r2;
    const double* a = co::VISCOSITY_RESIDUAL_A;
    const double residual =
        std::cbrt(r2) * std::sqrt(tr) *
        (a[0] + a[1] * rr + a[2] * r4 + a[3] * r4 * r4 / (tr * tr * tr * tr) + a[4] * r2 * tr);
    return eta0 + eta1 + residual;
}

// Viscosity inside the correlation's range, given the state's pressure p.
double viscosity_in_range(double T, double rho, double p) {
    if (!(T >= LOWEST_TRANSPORT_TEMPERATURE && T <= VISCOSITY_MAX_TEMPERATURE) ||
        !(p <= VISCOSITY_MAX_PRESSURE)) {
        return NaN;
    }
    return viscosity_unchecked(T, rho);
}

}  // namespace

double viscosity(double T, double rho) {
    if (!(T >= LOWEST_TRANSPORT_TEMPERATURE && T <= VISCOSITY_MAX_TEMPERATURE)) {
        return NaN;
    }
    return viscosity_in_range(T, rho, pressure(T - KELVIN_OFFSET, rho));
}

namespace {

// The thermal conductivity of a state, with its viscosity (micro-Pa s, without the range check)
// when the caller has it: the critical enhancement reads it. NaN: form it where needed.
double conductivity(const FluidState& s, const double known_viscosity) {
    const double T = s.T;
    const double rho = s.rho;
    if (!(T >= LOWEST_TRANSPORT_TEMPERATURE && T <= CONDUCTIVITY_MAX_TEMPERATURE) ||
        !(state_pressure(s) <= CONDUCTIVITY_MAX_PRESSURE)) {
        return NaN;
    }
    const double tr = T / co::TRANSPORT_REDUCING_TEMPERATURE;
    double num = 0.0;
    for (int i = 4; i >= 0; --i) {
        num = num * tr + co::CONDUCTIVITY_DILUTE_NUM[i];
    }
    double den = 0.0;
    for (int i = 3; i >= 0; --i) {
        den = den * tr + co::CONDUCTIVITY_DILUTE_DEN[i];
    }
    const double dilute = 1e-3 * num / den;  // mW/(m K) -> W/(m K)
    const double rr = rho / co::TRANSPORT_REDUCING_DENSITY;
    double residual = 0.0;
    double power = 1.0;
    for (int i = 0; i < 5; ++i) {
        power *= rr;
        residual += (co::CONDUCTIVITY_B1[i] + co::CONDUCTIVITY_B2[i] * tr) * power;
    }
    // The critical enhancement (the simplified crossover model), from the equation's
    // compressibility at T and at the reference temperature.
    const double drho_dp = drho_dp_t(s);
    if (!(drho_dp > 0.0)) {
        return NaN;  // mechanically unstable
    }
    double enhancement = 0.0;
    // drho_dp_t of the state at the reference temperature, formed as from its record, from the
    // residual derivatives alone.
    const double t_ref = co::ENHANCEMENT_REFERENCE_TEMPERATURE - KELVIN_OFFSET;
    double ref_d = 0.0;
    double ref_dd = 0.0;
    phir_d_dd_at_enhancement_reference(rho, ref_d, ref_dd);
    const double delta = rho / REDUCING_DENSITY;
    const double drho_dp_ref = 1.0 / (GAS_CONSTANT * (t_ref + KELVIN_OFFSET) *
                                      (1.0 + 2.0 * delta * ref_d + delta * delta * ref_dd));
    const double chi = CRITICAL_PRESSURE * rho / (REDUCING_DENSITY * REDUCING_DENSITY) *
                       (drho_dp - co::ENHANCEMENT_REFERENCE_TEMPERATURE / T * drho_dp_ref);
    if (chi > 0.0) {
        const double xi =
            co::ENHANCEMENT_XI0 *
            std::pow(chi / co::ENHANCEMENT_GAMMA0, co::ENHANCEMENT_NU / co::ENHANCEMENT_GAMMA);
        const double cp = state_cp(s);
        const double cv = state_cv(s);
        const double y = xi / co::ENHANCEMENT_QD_INVERSE;
        const double kappa = cv / cp;
        const double omega = 2.0 / std::numbers::pi * ((1.0 - kappa) * std::atan(y) + kappa * y);
        const double omega0 =
            2.0 / std::numbers::pi *
            (1.0 - std::exp(-1.0 / (1.0 / y + y * y / 3.0 * (REDUCING_DENSITY / rho) *
                                                  (REDUCING_DENSITY / rho))));
        const double eta =
            (std::isnan(known_viscosity) ? viscosity_unchecked(T, rho) : known_viscosity) * 1e-6;
        enhancement = rho * cp * co::ENHANCEMENT_RD * BOLTZMANN * T /
                      (6.0 * std::numbers::pi * eta * xi) * (omega - omega0);
    }
    return dilute + residual + enhancement;
}

}  // namespace

double thermal_conductivity(const FluidState& s) {
    return conductivity(s, NaN);
}

void transport(const FluidState& s, TransportProperties& out) {
    // The state's own pressure, bit for bit what pressure() gives at (T, rho).
    out.viscosity = viscosity_in_range(s.T, s.rho, state_pressure(s));
    out.thermal_conductivity = conductivity(s, out.viscosity);
    out.prandtl = out.viscosity * 1e-6 * state_cp(s) / out.thermal_conductivity;
}

// sigma = sum sigma_i (1 - T/Tc)^n_i; 0 at and above the correlation's Tc.
double surface_tension(const FluidState& s) {
    const double x = 1.0 - s.T / co::SURFACE_TENSION_TC;
    if (!(x > 0.0)) {
        return 0.0;
    }
    const double ln_x = std::log(x);
    return co::SURFACE_TENSION_SIGMA[0] * exponential(co::SURFACE_TENSION_N[0] * ln_x) +
           co::SURFACE_TENSION_SIGMA[1] * exponential(co::SURFACE_TENSION_N[1] * ln_x);
}

}  // namespace zeltra5::gao2023
