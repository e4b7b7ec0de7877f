// The band of an isobar (p-h, p-u, p-s, p-rho) seen from either side of the saturation: a value
// beyond one saturated state is checked against that side's edge only, so every route through the
// check must name the same limits and admit the same values.

#include <gtest/gtest.h>

#include <cmath>

#include "zeltra5/calc.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {
namespace {

// calculate_request answers 0 for a valid state, 1 for a refused request.
constexpr int VALID = 0;
constexpr int INVALID = 1;

struct Answer {
    int status;
    Refusal why;
};

Answer ask(const int model, const int mode, const double p, const double value) {
    PropertyResult r{};
    Refusal why{};
    const int status = calculate_request(model, CalcRequest{mode, SIDE_NONE, p, value}, r, why);
    return {status, why};
}

double property(const int mode, const PropertyResult& r) {
    switch (mode) {
        case MODE_PRESSURE_ENTHALPY:
            return r.specific_enthalpy;
        case MODE_PRESSURE_ENERGY:
            return r.specific_internal_energy;
        case MODE_PRESSURE_ENTROPY:
            return r.specific_entropy;
        default:
            return r.mass_density;
    }
}

TEST(BandEdges, EveryRouteNamesTheSameLimitsAndAdmitsWhatLiesBetween) {
    struct Mode {
        int mode;
        double far_low;   // beyond the band's low end at every pressure below
        double far_high;  // beyond its high end
    };
    const Mode modes[] = {{MODE_PRESSURE_ENTHALPY, -1e7, 1e8},
                          {MODE_PRESSURE_ENERGY, -1e7, 1e8},
                          {MODE_PRESSURE_ENTROPY, -1e5, 1e5},
                          {MODE_PRESSURE_DENSITY, 1e-9, 1e5}};
    for (int model = 0; model < MODEL_COUNT; ++model) {
        const ModelConstants& c = *MODELS[model].constants;
        // Below the critical pressure (where the saturated states split the band) and above.
        const double pressures[] = {1.001 * c.domain.min_pressure, 1e5, 2e6,
                                    0.999 * c.critical_pressure, 2.0 * c.critical_pressure};
        for (const Mode& m : modes) {
            for (const double p : pressures) {
                SCOPED_TRACE(testing::Message()
                             << MODELS[model].name << " mode " << m.mode << " at " << p << " Pa");
                const Answer low = ask(model, m.mode, p, m.far_low);
                const Answer high = ask(model, m.mode, p, m.far_high);
                ASSERT_EQ(low.status, INVALID);
                ASSERT_EQ(high.status, INVALID);
                const bool falling = m.mode == MODE_PRESSURE_DENSITY;
                EXPECT_EQ(low.why.reason, RefusalReason::below_band);
                EXPECT_EQ(high.why.reason, RefusalReason::above_band);
                const double lo = low.why.limit;
                const double hi = high.why.limit;
                ASSERT_TRUE(std::isfinite(lo) && std::isfinite(hi));
                ASSERT_LT(lo, hi);
                // The edges' states lie at the domain's coldest and hottest temperatures.
                EXPECT_EQ(falling ? low.why.edge_temperature : high.why.edge_temperature,
                          c.domain.max_temperature);
                // Each limit is the value of the edge's own (P, t) state (the hot one is formed at
                // the highest admitted temperature, a hair above the one named).
                for (const Answer* a : {&low, &high}) {
                    PropertyResult edge{};
                    Refusal why{};
                    ASSERT_EQ(calculate_request(model,
                                                CalcRequest{MODE_PRESSURE_TEMPERATURE, SIDE_NONE, p,
                                                            a->why.edge_temperature},
                                                edge, why),
                              VALID);
                    EXPECT_NEAR(property(m.mode, edge), a->why.limit,
                                1e-8 * std::fabs(a->why.limit) + 1e-9);
                }
                // Just beyond each limit: refused naming it, from whichever side it is reached.
                const double step = 1e-9 * (hi - lo);
                const Answer below = ask(model, m.mode, p, lo - step);
                const Answer above = ask(model, m.mode, p, hi + step);
                EXPECT_EQ(below.status, INVALID);
                EXPECT_EQ(below.why.limit, lo);
                EXPECT_EQ(above.status, INVALID);
                EXPECT_EQ(above.why.limit, hi);
                // Inside the band: never refused for being outside it.
                for (const double f : {1e-6, 0.01, 0.3, 0.5, 0.7, 0.99, 1.0 - 1e-6}) {
                    const Answer inside = ask(model, m.mode, p, lo + f * (hi - lo));
                    if (inside.status != VALID) {
                        EXPECT_NE(inside.why.reason, RefusalReason::below_band) << f;
                        EXPECT_NE(inside.why.reason, RefusalReason::above_band) << f;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace zeltra5
