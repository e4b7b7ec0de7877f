// Cross-mode consistency over the domain: a (P, T) result given back as (P, h), (P, u), (P, s),
// (P, rho) and (T, rho) must come back as the same state with the same nineteen fields. The grid
// spans the whole pressure and temperature range and adds points 1e-3 K to 1 K from the
// saturation line on both sides. (Within about 1e-4 K of it the fitted saturation densities may
// place a point on the other side of the line, which is the saturation model, not an error.)

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "zeltra5/calc.hpp"
#include "zeltra5/tr1993_constants.hpp"

namespace zeltra5 {

using namespace tr1993;  // the constants of the equation the tests check
namespace {

constexpr int FIELDS = RESULT_VALUE_COUNT;
const char* const* const FIELD_NAMES = RESULT_VALUE_NAMES;

// Relative tolerance of every field but two: the solvers meet their targets to about 14 digits.
constexpr double RELATIVE_TOLERANCE = 1e-9;
constexpr double QUALITY_TOLERANCE = 1e-9;      // absolute: the relative enthalpy crosses 0
constexpr double TEMPERATURE_TOLERANCE = 1e-8;  // K, absolute: degC crosses 0

double field(const PropertyResult& r, const int i) {
    return result_values(r).value[i];
}

double deviation(const int i, const double a, const double b) {
    if (a == b) {
        return 0.0;
    }
    if (i == 0) {
        return std::fabs(a - b) / QUALITY_TOLERANCE * RELATIVE_TOLERANCE;
    }
    if (i == 2) {
        return std::fabs(a - b) / TEMPERATURE_TOLERANCE * RELATIVE_TOLERANCE;
    }
    return std::fabs(a - b) / std::fabs(a);
}

struct Point {
    double p;
    double t;
};

std::vector<Point> sweep_points() {
    std::vector<Point> points;
    const int np = 24;
    const int nt = 27;
    for (int i = 0; i <= np; ++i) {
        const double p = i == 0 ? MIN_PRESSURE
                         : i == np
                             ? MAX_PRESSURE
                             : std::exp(std::log(MIN_PRESSURE) +
                                        (std::log(MAX_PRESSURE) - std::log(MIN_PRESSURE)) * i / np);
        double ts = -1000.0;
        if (p <= CRITICAL_PRESSURE) {
            FluidState liquid{};
            FluidState vapour{};
            saturation_by_pressure(p, ts, liquid, vapour);
        }
        for (int j = 0; j <= nt; ++j) {
            const double t = std::min(MIN_TEMPERATURE + 527.0 * j / nt, MAX_TEMPERATURE);
            if (std::fabs(t - ts) >= 1e-3) {
                points.push_back({p, t});
            }
        }
        for (const double dt : {-1.0, -0.1, -1e-3, 1e-3, 0.1, 1.0}) {
            if (ts + dt >= MIN_TEMPERATURE) {
                points.push_back({p, ts + dt});
            }
        }
    }
    return points;
}

TEST(CrossMode, PressureTemperatureResultsGivenBackInEveryMode) {
    const int modes[] = {4, 5, 6, 7, 8};
    double worst[9][FIELDS] = {};
    Point worst_at[9][FIELDS] = {};
    int compared = 0;
    for (const Point& pt : sweep_points()) {
        PropertyResult r{};
        ASSERT_EQ(calculate_properties({3, 0, pt.p, pt.t}, r), 0) << pt.p << " Pa " << pt.t;
        const double second[9] = {0.0,
                                  0.0,
                                  0.0,
                                  0.0,
                                  r.specific_enthalpy,
                                  r.specific_internal_energy,
                                  r.specific_entropy,
                                  r.mass_density,
                                  r.mass_density};
        for (const int mode : modes) {
            const CalcRequest q{mode, 0, mode == 8 ? pt.t : pt.p, second[mode]};
            PropertyResult o{};
            ASSERT_EQ(calculate_properties(q, o), 0)
                << "mode " << mode << " at " << pt.p << " Pa " << pt.t << " degC";
            ASSERT_EQ(o.phase, r.phase) << "mode " << mode << " at " << pt.p << " " << pt.t;
            ASSERT_EQ(o.phase_detail, r.phase_detail)
                << "mode " << mode << " at " << pt.p << " " << pt.t;
            ++compared;
            for (int i = r.phase == 3 ? 1 : 0; i < FIELDS; ++i) {
                const double d = deviation(i, field(r, i), field(o, i));
                EXPECT_LE(d, RELATIVE_TOLERANCE)
                    << FIELD_NAMES[i] << " mode " << mode << " at " << pt.p << " Pa " << pt.t
                    << " degC: " << field(r, i) << " vs " << field(o, i);
                if (d > worst[mode][i]) {
                    worst[mode][i] = d;
                    worst_at[mode][i] = pt;
                }
            }
        }
    }
    EXPECT_GT(compared, 3000);
    // The largest deviation of each mode, for the record.
    for (const int mode : modes) {
        const int i =
            static_cast<int>(std::max_element(worst[mode], worst[mode] + FIELDS) - worst[mode]);
        std::printf("mode %d: worst %s %.2g (relative) at %.8g Pa, %.6g degC\n", mode,
                    FIELD_NAMES[i], worst[mode][i], worst_at[mode][i].p, worst_at[mode][i].t);
    }
}

// Mode 0 given the quality of a two-phase (P, h) result, and mode 1 and 2 at one saturation
// state, give the same mixture and saturated states.
TEST(CrossMode, MixtureAndSaturationModesAgree) {
    for (const double p : {MIN_PRESSURE, 1e5, 1e6, 5e6, 1e7}) {
        double ts = 0.0;
        FluidState liquid{};
        FluidState vapour{};
        saturation_by_pressure(p, ts, liquid, vapour);
        const double hl = state_enthalpy(liquid);
        const double hv = state_enthalpy(vapour);
        for (const double x : {0.1, 0.5, 0.9}) {
            PropertyResult by_h{};
            PropertyResult by_x{};
            ASSERT_EQ(calculate_properties({4, 0, p, (1.0 - x) * hl + x * hv}, by_h), 0);
            ASSERT_EQ(calculate_properties({0, 0, p, x}, by_x), 0);
            ASSERT_EQ(by_h.phase, 0);
            ASSERT_EQ(by_x.phase, 0);
            for (int i = 0; i < FIELDS; ++i) {
                EXPECT_LE(deviation(i, field(by_x, i), field(by_h, i)), RELATIVE_TOLERANCE)
                    << FIELD_NAMES[i] << " at " << p << " Pa, x = " << x;
            }
        }
        PropertyResult sat_p{};
        PropertyResult sat_t{};
        ASSERT_EQ(calculate_properties({1, 2, p, 0.0}, sat_p), 0);
        ASSERT_EQ(calculate_properties({2, 2, ts, 0.0}, sat_t), 0);
        EXPECT_NEAR(sat_t.pressure, p, 1e-6 * p);
        EXPECT_NEAR(sat_t.specific_enthalpy, sat_p.specific_enthalpy, 1e-6 * std::fabs(hv));
    }
}

}  // namespace
}  // namespace zeltra5
