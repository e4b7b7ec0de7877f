// The saturated records of the 2023 equation, formed from expansions of their sums along the
// saturation curve: against a direct evaluation at the equilibrium's densities over the whole
// range, both sides, in every sum and in the properties derived from them; one side with the
// other's enthalpy as the pair gives it; and the direct evaluation outside the expansions' range.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "saturation_points.hpp"
#include "zeltra5/flash.hpp"
#include "zeltra5/gao2023.hpp"

namespace zeltra5 {
namespace {

using namespace gao2023;

constexpr double EPS = std::numeric_limits<double>::epsilon();

// The generator's 40-digit sums at its check temperatures: T, the 16 columns of the expansions
// (the liquid's residual sums, the vapour's, phi0 of each, phi0_t, phi0_tt), their 16 scales.
struct RecordPoint {
    double T_K;
    double value[16];
    double scale[16];
};

const std::vector<RecordPoint>& record_points() {
    static const std::vector<RecordPoint> points = [] {
        std::vector<RecordPoint> out;
        std::ifstream in(ZELTRA5_SATURATED_RECORD_POINTS_CSV);
        std::string line;
        std::getline(in, line);  // header
        while (std::getline(in, line)) {
            std::replace(line.begin(), line.end(), ',', ' ');
            std::istringstream row(line);
            RecordPoint pt{};
            row >> pt.T_K;
            for (double& v : pt.value) row >> v;
            for (double& v : pt.scale) row >> v;
            if (row) out.push_back(pt);
        }
        return out;
    }();
    return points;
}

// The residual sums of a record in the columns' order.
double residual_sum(const FluidState& s, int q) {
    const double residual[] = {s.phir, s.phir_d, s.phir_dd, s.phir_t, s.phir_tt, s.phir_dt};
    return residual[q];
}

// Against the generator's 40-digit sums: the expansions' own error and Clenshaw's rounding, within
// 16 units of each column's scale (measured: 12, the vapour's phir_dd where it crosses zero;
// at most 9 elsewhere).
TEST(Gao2023SaturatedRecords, MatchTheHighPrecisionSums) {
    const auto& points = record_points();
    ASSERT_GE(points.size(), 150u);
    double worst[16] = {};
    for (const RecordPoint& pt : points) {
        SCOPED_TRACE(testing::Message() << pt.T_K << " K");
        SaturationEquilibrium e{};
        ASSERT_EQ(saturation_at_temperature(pt.T_K, e), SATURATION_EQUILIBRIUM_OK);
        FluidState l{};
        FluidState v{};
        saturated_pair(pt.T_K - KELVIN_OFFSET, e, l, v);
        double got[16];
        for (int q = 0; q < 6; ++q) {
            got[q] = residual_sum(l, q);
            got[6 + q] = residual_sum(v, q);
        }
        got[12] = l.phi0;
        got[13] = v.phi0;
        got[14] = l.phi0_t;
        got[15] = l.phi0_tt;
        EXPECT_EQ(v.phi0_t, l.phi0_t);
        EXPECT_EQ(v.phi0_tt, l.phi0_tt);
        for (int q = 0; q < 16; ++q) {
            const double units = std::fabs(got[q] - pt.value[q]) / (EPS * pt.scale[q]);
            EXPECT_LE(units, 16.0) << "column " << q;
            worst[q] = std::max(worst[q], units);
        }
    }
    std::printf("largest difference from the 40-digit sums (units of the scale):");
    for (const double w : worst) std::printf(" %.2g", w);
    std::printf("\n");
}

// Temperatures (K) from the lowest admitted one to the saturation limit: the generator's check
// points (ever closer to the limit), and a uniform spread between them.
std::vector<double> temperatures() {
    std::vector<double> ts;
    for (const auto& pt : test_support::saturation_check_points()) {
        ts.push_back(pt.T_K);
    }
    for (int k = 0; k <= 400; ++k) {
        ts.push_back(TRIPLE_POINT_TEMPERATURE +
                     (SATURATION_LIMIT_TEMPERATURE_K - TRIPLE_POINT_TEMPERATURE) * k / 400.0);
    }
    return ts;
}

struct Sum {
    const char* name;
    double FluidState::*field;
    // The sum's scale: its own size, or where it crosses zero (the vapour's phir_dd near 270 K) a
    // floor; and for phir_dd, per_delta / delta: the direct evaluation forms the power terms'
    // v (a2 + a1^2) with d = 1 as v (1/delta^2 - 1/delta^2), which at the low vapour densities
    // loses a few eps / delta.
    double floor;
    double per_delta;
    // Units of the last place (of the scale) the records and the direct evaluation may differ
    // by. The records are within 12 units of the 40-digit sums (MatchTheHighPrecisionSums); the
    // direct evaluation's own rounding is a few units of its terms' magnitudes, up to 90 times
    // the sum (the liquid's phir_d and phir_dd), and it is evaluated at the double nearest the
    // equilibrium density, the expansions at that density itself.
    double ulps;
};

// Measured worst, liquid / vapour (units of the scale): phir 8 / 22, phir_d 51 / 21, phir_dd
// 38 / 53, phir_t 11 / 24, phir_tt 70 / 65, phir_dt 47 / 35, phi0 13 / 19, phi0_t 2, phi0_tt 5.
constexpr Sum SUMS[] = {
    {"phir", &FluidState::phir, 0.0, 0.0, 48.0},
    {"phir_d", &FluidState::phir_d, 0.0, 0.0, 96.0},
    {"phir_dd", &FluidState::phir_dd, 0.1, 1.0, 128.0},
    {"phir_t", &FluidState::phir_t, 0.0, 0.0, 48.0},
    {"phir_tt", &FluidState::phir_tt, 0.0, 0.0, 128.0},
    {"phir_dt", &FluidState::phir_dt, 0.0, 0.0, 96.0},
    {"phi0", &FluidState::phi0, 0.5, 0.0, 48.0},
    {"phi0_t", &FluidState::phi0_t, 0.0, 0.0, 8.0},
    {"phi0_tt", &FluidState::phi0_tt, 0.0, 0.0, 16.0},
};

// Every field that is not a sum: bit for bit the direct evaluation's.
void expect_same_frame(const FluidState& a, const FluidState& b) {
    EXPECT_EQ(a.T, b.T);
    EXPECT_EQ(a.rho, b.rho);
    EXPECT_EQ(a.tau, b.tau);
    EXPECT_EQ(a.delta, b.delta);
    EXPECT_EQ(a.tau0, b.tau0);
    EXPECT_EQ(a.delta0, b.delta0);
    EXPECT_EQ(a.phi0_d, b.phi0_d);
    EXPECT_EQ(a.phi0_dd, b.phi0_dd);
    EXPECT_EQ(a.phi0_dt, b.phi0_dt);
    EXPECT_EQ(a.R, b.R);
}

double relative(double a, double b) {
    return std::fabs(a - b) / std::fabs(b);
}

TEST(Gao2023SaturatedRecords, AgreeWithTheDirectEvaluationOverTheRange) {
    double worst[2][std::size(SUMS)] = {};
    double worst_derived = 0.0;
    for (const double T_K : temperatures()) {
        SCOPED_TRACE(testing::Message() << T_K << " K");
        SaturationEquilibrium e{};
        ASSERT_EQ(saturation_at_temperature(T_K, e), SATURATION_EQUILIBRIUM_OK);
        const double t = T_K - KELVIN_OFFSET;
        FluidState records[2]{};
        FluidState direct[2]{};
        saturated_pair(t, e, records[0], records[1]);
        evaluate_pair(t, e.rho_liquid, e.rho_vapour, direct[0], direct[1]);
        for (int side = 0; side < 2; ++side) {
            SCOPED_TRACE(side == 0 ? "liquid" : "vapour");
            const FluidState& a = records[side];
            const FluidState& b = direct[side];
            expect_same_frame(a, b);
            for (std::size_t q = 0; q < std::size(SUMS); ++q) {
                const Sum& k = SUMS[q];
                const double scale =
                    std::max({std::fabs(b.*k.field), k.floor, k.per_delta / b.delta});
                const double units = std::fabs(a.*k.field - b.*k.field) / (EPS * scale);
                EXPECT_LE(units, k.ulps) << k.name;
                worst[side][q] = std::max(worst[side][q], units);
            }
            // The derived properties: cp grows without bound towards Tc, and with it the
            // cancellation in its denominator, so 1e-13 relative within 5 K of Tc is widened by
            // how far cp has grown.
            const double cp_growth = std::max(1.0, state_cp(b) / (10.0 * b.R));
            const double derived[] = {
                // The enthalpy and the entropy (each crossing zero near the default reference
                // state) to R T and R.
                std::fabs(state_enthalpy(a) - state_enthalpy(b)) /
                    (std::fabs(state_enthalpy(b)) + b.R * b.T),
                std::fabs(state_entropy(a) - state_entropy(b)) /
                    (std::fabs(state_entropy(b)) + b.R),
                relative(state_cp(a), state_cp(b)) / cp_growth,
                relative(state_speed_of_sound(a), state_speed_of_sound(b)) / cp_growth,
                // The pressure to rho R T: the liquid's is a small difference of terms that
                // size.
                std::fabs(state_pressure(a) - state_pressure(b)) / (b.rho * b.R * b.T),
            };
            for (const double d : derived) {
                EXPECT_LE(d, 1e-13);
                worst_derived = std::max(worst_derived, d);
            }
        }
    }
    for (int side = 0; side < 2; ++side) {
        std::printf("%s, largest difference (units of the scale):",
                    side == 0 ? "liquid" : "vapour");
        for (std::size_t q = 0; q < std::size(SUMS); ++q) {
            std::printf(" %s %.3g", SUMS[q].name, worst[side][q]);
        }
        std::printf("\n");
    }
    std::printf("derived properties: largest relative difference %.3g\n", worst_derived);
}

// One side and the other's enthalpy: bit for bit the pair's records.
TEST(Gao2023SaturatedRecords, OneSideIsThePairsRecord) {
    for (const double T_K : {195.49, 239.8, 300.0, 380.0, 405.0, SATURATION_LIMIT_TEMPERATURE_K}) {
        SCOPED_TRACE(T_K);
        SaturationEquilibrium e{};
        ASSERT_EQ(saturation_at_temperature(T_K, e), SATURATION_EQUILIBRIUM_OK);
        const double t = T_K - KELVIN_OFFSET;
        FluidState liquid{};
        FluidState vapour{};
        saturated_pair(t, e, liquid, vapour);
        for (const int side : {PHASE_LIQUID, PHASE_VAPOUR}) {
            FluidState s{};
            double h_other = 0.0;
            saturated_side(t, e, side, s, h_other);
            const FluidState& same = side == PHASE_VAPOUR ? vapour : liquid;
            const FluidState& other = side == PHASE_VAPOUR ? liquid : vapour;
            EXPECT_EQ(std::memcmp(&s, &same, sizeof s), 0) << side;
            EXPECT_EQ(h_other, state_enthalpy(other)) << side;
        }
    }
}

// Outside the expansions' range (within 0.0025 K of Tc, below the lowest temperature, NaN) the
// records are evaluate_pair's and evaluate_with_enthalpy's.
TEST(Gao2023SaturatedRecords, OutsideTheRangeTheDirectEvaluation) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double t;
        double rho_liquid;
        double rho_vapour;
    };
    for (const Case& k : {Case{132.409, 240.0, 226.0}, Case{132.5, 233.0, 233.0},
                          Case{-78.0, 733.0, 0.003}, Case{nan, nan, nan}}) {
        SCOPED_TRACE(k.t);
        const SaturationEquilibrium e{k.t + KELVIN_OFFSET, 1e5, k.rho_liquid, k.rho_vapour};
        FluidState a[2]{};
        FluidState b[2]{};
        saturated_pair(k.t, e, a[0], a[1]);
        evaluate_pair(k.t, k.rho_liquid, k.rho_vapour, b[0], b[1]);
        FluidState side{};
        double h = 0.0;
        saturated_side(k.t, e, PHASE_VAPOUR, side, h);
        FluidState direct{};
        double h_direct = 0.0;
        evaluate_with_enthalpy(k.t, k.rho_vapour, k.rho_liquid, direct, h_direct);
        if (std::isnan(k.t)) {
            EXPECT_TRUE(std::isnan(a[0].phir) && std::isnan(a[1].phir_t) && std::isnan(h));
            continue;
        }
        EXPECT_EQ(std::memcmp(&a[0], &b[0], sizeof a[0]), 0);
        EXPECT_EQ(std::memcmp(&a[1], &b[1], sizeof a[1]), 0);
        EXPECT_EQ(std::memcmp(&side, &direct, sizeof side), 0);
        EXPECT_EQ(h, h_direct);
    }
}

// Through the solvers: saturation at a pressure forms the records at its temperature from the
// same expansions, and they agree with a direct evaluation there.
TEST(Gao2023SaturatedRecords, SaturationAtPressureThroughTheSolvers) {
    for (const double p : {6053.39, 1e5, 1e6, 5e6, 1e7, 11.3e6, SATURATION_LIMIT_PRESSURE}) {
        SCOPED_TRACE(p);
        double t = 0.0;
        FluidState l{};
        FluidState v{};
        flash::Saturation<Gao2023>::saturation_by_pressure(p, t, l, v);
        FluidState dl{};
        FluidState dv{};
        evaluate_pair(t, l.rho, v.rho, dl, dv);
        const double RT = dl.R * dl.T;
        EXPECT_LE(std::fabs(state_enthalpy(l) - state_enthalpy(dl)), 1e-13 * RT);
        EXPECT_LE(std::fabs(state_enthalpy(v) - state_enthalpy(dv)), 1e-13 * RT);
        EXPECT_LE(std::fabs(state_entropy(v) - state_entropy(dv)), 1e-13 * dv.R);
        EXPECT_LE(relative(l.phir_t, dl.phir_t), 1e-14);
        EXPECT_LE(relative(v.phir_d, dv.phir_d), 1e-14);
        EXPECT_NEAR(state_pressure(v), p, 1e-12 * p);
    }
}

}  // namespace
}  // namespace zeltra5
