#pragma once
// Coefficients of the fundamental equation of state of ammonia (Tillner-Roth, Harms-Watzenberg
// and Baehr, 1993): the ideal-gas part and the 21 residual terms, typed as published.

namespace zeltra5::helmholtz {

// Ideal-gas part: phi0 = ln delta0 + a1 + a2 tau0 + a3 ln tau0 + sum_{i=4..8} a_i tau0^t_i.
// Slots 7 and 8 are empty. t4 is the decimal 0.33333333333333, not the exact third.
struct IdealGasTable {
    double a[8];  // a1 ... a8
    double t[8];  // exponents; only t4 ... t8 are used
};

inline constexpr IdealGasTable IDEAL_GAS = {
    {-16.444285, 4.036946, -1.0, 10.69955, -1.775436, 0.82374034, 0.0, 0.0},
    {0.0, 0.0, 0.0, 0.33333333333333, -1.5, -1.75, 0.0, 0.0},
};

// Residual part: terms n tau^t delta^d (l = 0) and n tau^t delta^d exp(-delta^l) (l > 0).
struct ResidualTerm {
    int index;  // term number in the published table
    double n;
    double t;
    int d;
    int l;
};

inline constexpr ResidualTerm RESIDUAL_TERMS[] = {
    {1, -1.858814, 1.5, 1, 0},
    {2, 0.04554431, -0.5, 2, 0},
    {3, 0.7238548, 0.5, 1, 0},
    {4, 0.0122947, 1.0, 4, 0},
    {5, 2.141882e-11, 3.0, 15, 0},
    {8, -0.0143002, 0.0, 3, 1},
    {9, 0.3441324, 3.0, 3, 1},
    {10, -0.2873571, 4.0, 1, 1},
    {11, 2.352589e-05, 4.0, 8, 1},
    {12, -0.03497111, 5.0, 2, 1},
    {13, 0.001831117, 5.0, 8, 2},
    {14, 0.02397852, 3.0, 1, 2},
    {15, -0.04085375, 6.0, 1, 2},
    {16, 0.2379275, 8.0, 2, 2},
    {17, -0.03548972, 8.0, 3, 2},
    {18, -0.1823729, 10.0, 2, 2},
    {19, 0.02281556, 10.0, 4, 2},
    {20, -0.006663444, 5.0, 3, 3},
    {21, -0.008847486, 7.5, 1, 3},
    {22, 0.002272635, 15.0, 2, 3},
    {23, -0.0005588655, 30.0, 4, 3},
};

inline constexpr int POLYNOMIAL_TERMS = 5;  // the first five rows have no damping factor
inline constexpr int RESIDUAL_TERM_COUNT = sizeof(RESIDUAL_TERMS) / sizeof(RESIDUAL_TERMS[0]);
static_assert(RESIDUAL_TERM_COUNT == 21);

}  // namespace zeltra5::helmholtz
