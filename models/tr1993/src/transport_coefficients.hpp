#pragma once
// Coefficients of the viscosity, thermal-conductivity and surface-tension correlations. Stored
// reciprocals are kept as the decimal factors the correlations were written with.

namespace zeltra5::transport_coefficients {

// Reducing parameters.
inline constexpr double INV_CRITICAL_TEMPERATURE = 0.00246669955599408;  // 1/405.4 K
inline constexpr double CRITICAL_TEMPERATURE = 405.4;                    // K
inline constexpr double INV_CRITICAL_DENSITY = 0.0044444444444444444;    // 1/225 kg/m3
inline constexpr double INV_ENERGY_PARAMETER = 0.0025906735751295338;    // 1/386 K (T* = T/386)
inline constexpr double MOLAR_MASS = 17.03026;                           // g/mol
inline constexpr double INV_MOLAR_MASS = 0.0587190095747217;             // 1/17.03026

// Viscosity, micro-Pa s, with T* = T/386 and the molar density in mol/dm3.
// Effective collision integral: ln(Omega) = sum a_i (ln T*)^i.
inline constexpr double COLLISION_INTEGRAL[5] = {4.9931822, -0.61122364, 0.0, 0.18535124,
                                                 -0.11160946};
// Dilute gas: eta0 = 2.1357 sqrt(M T) / (sigma^2 Omega), sigma = 0.2957 nm. The factor 2.1357
// is the kinetic-theory constant for micro-Pa s; the value 0.021357 that circulates with this
// correlation is a factor 100 too small and would make ammonia gas at 300 K about 0.1 micro-Pa s.
inline constexpr double DILUTE_GAS_FACTOR = 2.1357;
inline constexpr double SIGMA_SQUARED = 0.08743849;  // nm^2
// Second viscosity virial coefficient B* = sum c_i / (sqrt T*)^i.
inline constexpr double VIRIAL[13] = {-1.7999496, 46.692621,  -534.60794, 3360.4074,  -13019.164,
                                      33414.23,   -58711.743, 71426.686,  -59834.012, 33652.741,
                                      -12027.35,  2434.8205,  -208.07957};
inline constexpr double VIRIAL_SCALE = 0.015570573352277054;  // N_A sigma^3, dm3/mol
// Residual term: sum over i = 2..4 of rho_m^i sum_j d_ij / T*^j.
inline constexpr double RESIDUAL[3][5] = {
    {0.0, 0.0, 0.219664285, 0.0, -0.083651107},
    {0.0017366936, -0.0064250359, 0.0, 0.0, 0.0},
    {0.0, 0.0, 0.000167668649, -0.000149710093, 7.7012274e-05},
};

// Thermal conductivity background, mW/(m K), in Tr = T/405.4 and delta = rho/225.
inline constexpr double CONDUCTIVITY_DILUTE[4] = {-4.8016, 27.21, 18.539, -2.9257};    // Tr^0..3
inline constexpr double CONDUCTIVITY_RESIDUAL[4] = {37.271, 43.079, -5.7446, 3.5873};  // delta^1..4
inline constexpr double EXPONENTIAL_AMPLITUDE = -750.0;
inline constexpr double EXPONENTIAL_TR_FACTOR = 4.5;     // multiplies Tr^1.5
inline constexpr double EXPONENTIAL_DELTA_FACTOR = 6.0;  // multiplies delta^-5

// Critical enhancement (crossover form).
inline constexpr double REFERENCE_TEMPERATURE_C = 334.95;  // degC, 608.1 K = 1.5 x 405.4 K
inline constexpr double REFERENCE_TEMPERATURE = 608.1;     // K
inline constexpr double CHI_SCALE = 50370.666666666664;    // p_c / rho_c, Pa m3/kg
inline constexpr double XI0 = 0.15;                        // nm
inline constexpr double INV_GAMMA = 15.873015873015873;
inline constexpr double NU_OVER_GAMMA = 0.5084745762711864;
inline constexpr double QD = 3.571428571428571;  // 1/nm (1/0.28 nm)
inline constexpr double TWO_OVER_PI = 0.6366197723675814;
inline constexpr double SIX_PI = 18.84955592153876;
inline constexpr double AMPLITUDE = 1.393866458e-23;  // R_D k_B, J/K

// Surface tension, N/m: 0.0912 (1 - T/405.4)^1.1028 up to 132.25 degC.
inline constexpr double SURFACE_TENSION_AMPLITUDE = 0.0912;
inline constexpr double SURFACE_TENSION_EXPONENT = 1.1028;
inline constexpr double SURFACE_TENSION_LIMIT_C = 132.25;

}  // namespace zeltra5::transport_coefficients
