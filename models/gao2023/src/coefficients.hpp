#pragma once
// The coefficients of the 2023 equation of state of ammonia (Gao, Wu, Bell, Harvey and Lemmon,
// J. Phys. Chem. Ref. Data 52, 013102 (2023)), its ancillary equations and melting line, and of
// the transport and surface-tension correlations used with it. Typed from the papers; each table
// is cited where it starts.

namespace zeltra5::gao2023::coefficients {

// Ideal-gas part, Table 2 of the 2023 paper: a1, a2, c0 and the Planck-Einstein terms (v_k, u_k
// in K).
inline constexpr double IDEAL_A1 = -6.59406093943886;
inline constexpr double IDEAL_A2 = 5.60101151987913;
inline constexpr double IDEAL_C0 = 4.0;
inline constexpr double IDEAL_V[3] = {2.224, 3.148, 0.9579};
inline constexpr double IDEAL_U[3] = {1646.0, 3965.0, 7231.0};

// Residual part, Table 3 (n_i, t_i, d_i, l_i) and Table 4 (eta_i, beta_i, gamma_i, epsilon_i,
// b_i) of the 2023 paper. Terms 1-5 power, 6-8 exponential, 9-18 Gaussian, 19-20 association.
struct PowerTerm {
    double n;
    double t;
    int d;
    int l;  // 0: no exponential
};
inline constexpr PowerTerm POWER_TERMS[8] = {
    {0.006132232, 1.0, 4, 0},  {1.7395866, 0.382, 1, 0},   {-2.2261792, 1.0, 1, 0},
    {-0.30127553, 1.0, 2, 0},  {0.08967023, 0.677, 3, 0},  {-0.076387037, 2.915, 3, 2},
    {-0.84063963, 3.51, 2, 2}, {-0.27026327, 1.063, 3, 1},
};

struct BellTerm {
    double n;
    double t;
    int d;
    double eta;
    double beta;
    double gamma;
    double epsilon;
    double b;  // association terms only
};
inline constexpr BellTerm GAUSSIAN_TERMS[10] = {
    {6.212578, 0.655, 1, 0.42776, 1.708, 1.036, -0.0726, 0.0},
    {-5.7844357, 1.3, 1, 0.6424, 1.4865, 1.2777, -0.1274, 0.0},
    {2.4817542, 3.1, 1, 0.8175, 2.0915, 1.083, 0.7527, 0.0},
    {-2.3739168, 1.4395, 2, 0.7995, 2.43, 1.2906, 0.57, 0.0},
    {0.01493697, 1.623, 2, 0.91, 0.488, 0.928, 2.2, 0.0},
    {-3.7749264, 0.643, 1, 0.3574, 1.1, 0.934, -0.243, 0.0},
    {0.0006254348, 1.13, 3, 1.21, 0.85, 0.919, 2.96, 0.0},
    {-1.7359e-05, 4.5, 3, 4.14, 1.14, 1.852, 3.02, 0.0},
    {-0.13462033, 1.0, 1, 22.56, 945.64, 1.05897, 0.9574, 0.0},
    {0.07749072839, 4.0, 1, 22.68, 993.85, 1.05277, 0.9576, 0.0},
};
inline constexpr BellTerm ASSOCIATION_TERMS[2] = {
    {-1.6909858, 4.3315, 1, 2.8452, 0.3696, 1.108, 0.4478, 1.244},
    {0.93739074, 4.015, 1, 2.8342, 0.2962, 1.313, 0.44689, 0.6826},
};

// Ancillary equations of the 2023 paper (its Eqs. for p_sat, rho', rho''), theta = 1 - T/Tc:
// ln(p/pc) = (Tc/T) sum n theta^t; rho'/rhoc = 1 + sum n theta^t; ln(rho''/rhoc) = sum n theta^t.
inline constexpr double VAPOUR_PRESSURE_N[4] = {-7.3128, 3.8888, -2.9908, -2.8636};
inline constexpr double VAPOUR_PRESSURE_T[4] = {1.0, 1.5, 1.6, 3.7};
inline constexpr double LIQUID_DENSITY_N[6] = {0.051236, 3.7925, -3.5929, 4.6409, -1.9893, 1.5978};
inline constexpr double LIQUID_DENSITY_T[6] = {0.07, 0.46, 0.77, 1.05, 1.25, 8.0};
inline constexpr double VAPOUR_DENSITY_N[6] = {-0.089966, -3.8722, -8.1183,
                                               -25.293,   -54.279, -400.83};
inline constexpr double VAPOUR_DENSITY_T[6] = {0.112, 0.473, 1.5, 3.875, 8.0, 20.0};

// Melting line of the 2023 paper, two Simon-Glatzel branches p = p0 + a ((T/T0)^c - 1) meeting
// at the solid I-II-liquid triple point (217.35 K, 307 MPa).
inline constexpr double MELTING_LOW_T0 = 195.49;       // K, the triple point
inline constexpr double MELTING_LOW_P0 = 6053.39;      // Pa, the triple-point pressure
inline constexpr double MELTING_LOW_A = 516.613763e6;  // Pa
inline constexpr double MELTING_LOW_C = 4.4;
inline constexpr double MELTING_HIGH_T0 = 217.35;   // K
inline constexpr double MELTING_HIGH_P0 = 307.0e6;  // Pa
inline constexpr double MELTING_HIGH_A = 1135.0e6;  // Pa
inline constexpr double MELTING_HIGH_C = 1.51;

// Viscosity, Monogenidou, Assael and Huber, J. Phys. Chem. Ref. Data 47, 023102 (2018): the
// dilute gas (Table 2: epsilon/k, sigma, the collision-integral coefficients a_i of
// ln S* = sum a_i (ln T*)^i), the initial-density virial (b_i, t_i) and the residual terms
// (Table 4) in rho_r = rho/233.25 and T_r = T/405.56.
inline constexpr double VISCOSITY_EPSILON_K = 386.0;  // K
inline constexpr double VISCOSITY_SIGMA = 0.2957;     // nm
inline constexpr double VISCOSITY_COLLISION_A[5] = {0.39175, -0.59918, -0.00022, 0.19871, -0.06942};
inline constexpr double VISCOSITY_VIRIAL_B[9] = {-19.572881, 219.73999,  -1015.3226,
                                                 2471.01251, -3375.1717, 2491.6597,
                                                 -787.26086, 14.085455,  -0.34664158};
inline constexpr double VISCOSITY_VIRIAL_T[9] = {0.0,   -0.25, -0.5, -0.75, -1.0,
                                                 -1.25, -1.5,  -2.5, -5.5};
inline constexpr double VISCOSITY_RESIDUAL_A[5] = {0.0393308, 16.724735, 1.1975934, 0.0016995,
                                                   -4.2399794};
inline constexpr double TRANSPORT_REDUCING_TEMPERATURE = 405.56;  // K
inline constexpr double TRANSPORT_REDUCING_DENSITY = 233.25;      // kg/m3

// Thermal conductivity, Monogenidou, Assael and Huber, J. Phys. Chem. Ref. Data 47, 043101
// (2018): the dilute gas (Table 1, a ratio of polynomials in T_r, mW/(m K)), the residual
// (Table 2, B1_i + B2_i T_r times rho_r^i, W/(m K)) and the critical enhancement's parameters.
inline constexpr double CONDUCTIVITY_DILUTE_NUM[5] = {86.9294, -170.5502, 608.0287, -100.9764,
                                                      85.1986};
inline constexpr double CONDUCTIVITY_DILUTE_DEN[4] = {4.68994, 9.21307, -1.53637, 1.0};
inline constexpr double CONDUCTIVITY_B1[5] = {0.103432, -0.112597, 0.233301, -0.112536,
                                              0.141129e-1};
inline constexpr double CONDUCTIVITY_B2[5] = {-0.283976e-1, 0.482520e-1, -0.644124e-1, 0.529376e-2,
                                              0.891203e-2};
inline constexpr double ENHANCEMENT_NU = 0.63;
inline constexpr double ENHANCEMENT_GAMMA = 1.239;
inline constexpr double ENHANCEMENT_RD = 1.02;
inline constexpr double ENHANCEMENT_XI0 = 0.14e-9;  // m
inline constexpr double ENHANCEMENT_GAMMA0 = 0.053;
inline constexpr double ENHANCEMENT_QD_INVERSE = 0.4e-9;             // m
inline constexpr double ENHANCEMENT_REFERENCE_TEMPERATURE = 608.34;  // K, 1.5 Tc

// Surface tension, Mulero, Cachadina and Parra, J. Phys. Chem. Ref. Data 41, 043105 (2012),
// ammonia: sigma = sum sigma_i (1 - T/Tc)^n_i with its own Tc.
inline constexpr double SURFACE_TENSION_TC = 405.4;                     // K
inline constexpr double SURFACE_TENSION_SIGMA[2] = {0.1028, -0.09453};  // N/m
inline constexpr double SURFACE_TENSION_N[2] = {1.211, 5.585};

}  // namespace zeltra5::gao2023::coefficients
