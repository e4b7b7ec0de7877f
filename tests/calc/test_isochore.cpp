// Density and h, s or u (rho-h, rho-s, rho-u): states of every region taken from p-t, t-x and
// t-rho come back from their density and caloric value; targets beyond the isochore's domain are
// refused with the value at its end; the superheat option answers the superheated liquid.

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "zeltra5/calculation.hpp"
#include "zeltra5/pairs.hpp"

namespace zeltra5 {
namespace {

StateResult state(const char* pair, const double first, const double second,
                  const bool superheat = false) {
    CalcOptions o;
    o.units = SI_CELSIUS_UNITS;
    o.superheat = superheat;
    StateResult r;
    calculate_state(*find_arg_pair(pair), first, second, o, r);
    return r;
}

struct Source {
    const char* pair;
    double first;
    double second;
    const char* what;
};

const Source SOURCES[] = {
    {"p-t", 1e6, 0.0, "liquid"},
    {"p-t", 8e7, -70.0, "compressed liquid near the highest pressure"},
    {"p-t", 84474590.0, -60.0, "liquid at the highest pressure"},
    {"p-t", 84474590.0, 449.999, "at the highest pressure and temperature"},
    {"p-t", 84474590.24742904, 256.922271806921, "exactly at the highest pressure"},
    {"p-t", 84474590.24742904, 176.57356599075581, "exactly at the highest pressure, denser"},
    {"p-t", 1e5, 50.0, "vapour"},
    {"p-t", 1e4, 440.0, "low-pressure vapour"},
    {"p-t", 6417.3, 449.0, "vapour at the lowest pressure"},
    {"p-t", 6500.0, -76.0, "vapour near the lowest pressure and temperature"},
    {"p-t", 2e7, 200.0, "supercritical"},
    {"p-t", 11.5e6, 132.5, "next to the critical point"},
    {"p-t", 11.2e6, 131.0, "liquid near the critical point"},
    {"p-t", 1e5, -33.6, "liquid next to saturation"},
    {"p-t", 1e5, -33.5, "vapour next to saturation"},
    {"t-x", 0.0, 0.4, "mixture"},
    {"t-x", -77.0, 0.5, "mixture at the lowest temperature"},
    {"t-x", -76.99, 1e-6, "mixture next to the saturated liquid"},
    {"t-x", 20.0, 0.999999, "mixture next to the saturated vapour"},
    {"t-x", 100.0, 0.01, "wet mixture"},
    {"t-x", 131.5, 0.5, "mixture near the critical point"},
    {"t-x", 130.0, 0.2, "dense mixture near the critical point"},
    {"ts-liquid", 10.0, 0.0, "saturated liquid"},
    {"ts-vapour", 10.0, 0.0, "saturated vapour"},
    {"t-rho", 132.4, 225.0, "near-critical isochore"},
    {"t-rho", 450.0, 0.02, "lowest density of the domain"},
    {"t-rho", -77.0, 735.0, "liquid at the lowest temperature"},
    {"t-rho", 25.0, 300.0, "mixture inside the dome above the critical density"},
};

TEST(Isochore, StatesOfEveryRegionComeBack) {
    const struct {
        const char* pair;
        int field;
    } PAIRS[] = {
        {"rho-h", FIELD_ENTHALPY}, {"rho-s", FIELD_ENTROPY}, {"rho-u", FIELD_INTERNAL_ENERGY}};
    for (const Source& src : SOURCES) {
        const StateResult from = state(src.pair, src.first, src.second);
        ASSERT_EQ(from.status, STATUS_VALID) << src.what;
        const double rho = from.values[FIELD_DENSITY];
        for (const auto& pair : PAIRS) {
            const double target = from.values[pair.field];
            const StateResult r = state(pair.pair, rho, target);
            ASSERT_EQ(r.status, STATUS_VALID)
                << src.what << " " << pair.pair << " " << static_cast<int>(r.refusal.reason);
            EXPECT_EQ(r.values[FIELD_DENSITY], rho) << src.what;
            EXPECT_EQ(r.values[pair.field], target) << src.what;
            EXPECT_NEAR(r.values[FIELD_TEMPERATURE], from.values[FIELD_TEMPERATURE], 1e-9)
                << src.what << " " << pair.pair;
            EXPECT_NEAR(r.values[FIELD_PRESSURE], from.values[FIELD_PRESSURE],
                        1e-9 * from.values[FIELD_PRESSURE])
                << src.what << " " << pair.pair;
            EXPECT_EQ(r.phase == PHASE_TWO_PHASE, from.phase == PHASE_TWO_PHASE) << src.what;
        }
    }
}

// Beyond an end of the isochore: the band refusal names the value at that end and its state,
// which the (t, rho) pair confirms.
TEST(Isochore, TargetsBeyondTheDomainNameTheEdge) {
    const struct {
        double rho;
        double h;
        RefusalReason reason;
        double edge_p;  // 0: the edge is at a temperature limit, checked through t
        double edge_t;
    } CASES[] = {
        {749.4152586948194, 5e5, RefusalReason::above_band, 84474590.24742904, 0.0},
        {749.4152586948194, 1e4, RefusalReason::below_band, 0.0, -77.0},
        {0.028722430179951162, 2.9e6, RefusalReason::above_band, 0.0, 450.0},
        {0.028722430179951162, 1.7e6, RefusalReason::below_band, 6417.234425419756, 0.0},
        {50.0, 3.5e6, RefusalReason::above_band, 0.0, 450.0},
        {50.0, -1e5, RefusalReason::below_band, 0.0, -77.0},
    };
    for (const auto& c : CASES) {
        const StateResult r = state("rho-h", c.rho, c.h);
        ASSERT_EQ(r.status, STATUS_OUTSIDE_DOMAIN) << c.rho << " " << c.h;
        EXPECT_EQ(r.refusal.reason, c.reason) << c.rho << " " << c.h;
        EXPECT_EQ(r.refusal.input, 1);
        EXPECT_EQ(r.refusal.field, FIELD_ENTHALPY);
        if (c.edge_p != 0.0) {
            EXPECT_EQ(r.refusal.edge_pressure, c.edge_p);
        } else {
            EXPECT_EQ(r.refusal.edge_temperature, c.edge_t);
        }
        const StateResult edge = state("t-rho", r.refusal.edge_temperature, c.rho);
        ASSERT_EQ(edge.status, STATUS_VALID) << c.rho << " " << c.h;
        EXPECT_NEAR(edge.values[FIELD_ENTHALPY], r.refusal.limit, 1e-6);
        EXPECT_NEAR(edge.values[FIELD_PRESSURE], r.refusal.edge_pressure,
                    1e-9 * r.refusal.edge_pressure);
        EXPECT_TRUE(c.reason == RefusalReason::above_band ? c.h > r.refusal.limit
                                                          : c.h < r.refusal.limit);
    }
}

TEST(Isochore, DensitiesOutsideTheDomainAndNonNumbersAreRefused) {
    const struct {
        double rho;
        double h;
        RefusalReason reason;
        int input;
    } CASES[] = {
        {0.0, 1e6, RefusalReason::below_minimum, 0},
        {-1.0, 1e6, RefusalReason::below_minimum, 0},
        {NAN, 1e6, RefusalReason::not_finite, 0},
        {500.0, NAN, RefusalReason::not_finite, 1},
        {500.0, INFINITY, RefusalReason::not_finite, 1},
        // Above the highest pressure at every temperature, below the lowest at every one: beyond
        // the domain's densest liquid (756.5 kg/m3 at -77 degC) and thinnest vapour (0.018 kg/m3
        // at 450 degC).
        {1000.0, 1e5, RefusalReason::above_maximum, 0},
        {756.6, 1e5, RefusalReason::above_maximum, 0},
        {0.001, 1e6, RefusalReason::below_minimum, 0},
        {0.0181, 3e6, RefusalReason::below_minimum, 0},
    };
    for (const auto& c : CASES) {
        const StateResult r = state("rho-h", c.rho, c.h);
        EXPECT_EQ(r.status, STATUS_OUTSIDE_DOMAIN) << c.rho << " " << c.h;
        EXPECT_EQ(r.refusal.reason, c.reason) << c.rho << " " << c.h;
        EXPECT_EQ(r.refusal.input, c.input) << c.rho << " " << c.h;
    }
}

// With the superheat option the superheated liquid of p-t comes back from its (rho, h); without
// it the same values are a mixture, and below the critical density no state is a liquid.
TEST(Isochore, TheSuperheatOptionAnswersTheSuperheatedLiquid) {
    for (const auto& [p, t] :
         {std::pair{1e5, -30.0}, std::pair{10e5, 30.0}, std::pair{30e5, 70.0}}) {
        const StateResult from = state("p-t", p, t, true);
        ASSERT_EQ(from.status, STATUS_VALID) << p << " " << t;
        ASSERT_EQ(from.phase, PHASE_LIQUID);
        ASSERT_EQ(from.phase_detail, 1);
        const double rho = from.values[FIELD_DENSITY];
        for (const auto& [pair, field] :
             {std::pair{"rho-h", FIELD_ENTHALPY}, std::pair{"rho-s", FIELD_ENTROPY},
              std::pair{"rho-u", FIELD_INTERNAL_ENERGY}}) {
            const StateResult r = state(pair, rho, from.values[field], true);
            ASSERT_EQ(r.status, STATUS_VALID) << p << " " << t << " " << pair;
            EXPECT_EQ(r.phase, PHASE_LIQUID);
            EXPECT_NEAR(r.values[FIELD_TEMPERATURE], t, 1e-9);
            EXPECT_NEAR(r.values[FIELD_PRESSURE], p, 1e-9 * p);
            const StateResult stable = state(pair, rho, from.values[field]);
            ASSERT_EQ(stable.status, STATUS_VALID);
            EXPECT_EQ(stable.phase, PHASE_TWO_PHASE);
        }
    }
    // A mixture below the critical density and a vapour: refused as the (t, rho) pair with the
    // option refuses the state at their temperature.
    for (const auto& [pair, first, second] :
         {std::tuple{"t-x", 0.0, 0.5}, std::tuple{"p-t", 1e5, 50.0}}) {
        const StateResult from = state(pair, first, second);
        const double rho = from.values[FIELD_DENSITY];
        const StateResult r = state("rho-h", rho, from.values[FIELD_ENTHALPY], true);
        const StateResult t_rho = state("t-rho", from.values[FIELD_TEMPERATURE], rho, true);
        EXPECT_EQ(r.status, STATUS_OUTSIDE_DOMAIN) << pair;
        EXPECT_EQ(t_rho.status, STATUS_OUTSIDE_DOMAIN) << pair;
        EXPECT_EQ(r.refusal.reason, t_rho.refusal.reason) << pair;
    }
}

}  // namespace
}  // namespace zeltra5
