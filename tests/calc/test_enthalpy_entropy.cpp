// Enthalpy and entropy (h-s): states of every region taken from p-t, t-x and t-rho come back
// from their (h, s); enthalpies beyond the isentrope's ends in the domain are refused with the
// enthalpy there; the superheat option answers the superheated liquid.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
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
    {"p-t", 84474590.0, -76.9, "liquid at the highest pressure and lowest temperature"},
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
    {"p-t", 5e7, 20.0, "compressed liquid"},
    {"t-x", 0.0, 0.4, "mixture"},
    {"t-x", -77.0, 0.5, "mixture at the lowest temperature"},
    {"t-x", 20.0, 0.999999, "mixture next to the saturated vapour"},
    {"t-x", 100.0, 0.01, "wet mixture"},
    {"t-x", 131.5, 0.5, "mixture near the critical point"},
    {"t-x", 130.0, 0.2, "dense mixture near the critical point"},
    {"ts-liquid", 10.0, 0.0, "saturated liquid"},
    {"ts-vapour", 10.0, 0.0, "saturated vapour"},
    {"t-rho", 132.4, 225.0, "near-critical isochore"},
    {"t-rho", 450.0, 0.02, "lowest density of the domain"},
    {"t-rho", -77.0, 735.0, "liquid at the lowest temperature"},
};

TEST(EnthalpyEntropy, StatesOfEveryRegionComeBack) {
    for (const Source& src : SOURCES) {
        const StateResult from = state(src.pair, src.first, src.second);
        ASSERT_EQ(from.status, STATUS_VALID) << src.what;
        const double h = from.values[FIELD_ENTHALPY];
        const double s = from.values[FIELD_ENTROPY];
        const StateResult r = state("h-s", h, s);
        ASSERT_EQ(r.status, STATUS_VALID) << src.what << " " << static_cast<int>(r.refusal.reason);
        EXPECT_EQ(r.values[FIELD_ENTHALPY], h) << src.what;
        EXPECT_EQ(r.values[FIELD_ENTROPY], s) << src.what;
        if (from.phase_detail != 0) {
            // A saturated state may come back as the mixture at its end.
            EXPECT_EQ(r.phase == PHASE_TWO_PHASE, from.phase == PHASE_TWO_PHASE) << src.what;
        }
        EXPECT_NEAR(r.values[FIELD_TEMPERATURE], from.values[FIELD_TEMPERATURE], 1e-9) << src.what;
        for (const int k : {FIELD_PRESSURE, FIELD_DENSITY}) {
            EXPECT_NEAR(r.values[k], from.values[k], 1e-9 * from.values[k])
                << src.what << " " << RESULT_VALUE_NAMES[k];
        }
    }
}

// Mixtures of little vapour at low temperatures: the tie line's slope T meets the saturated
// liquid's line at a small angle there, so (h, s) fixes the temperature only to about 1e-9 K and
// the density (of which the vapour is most of the volume) to 1e-8; the state still reproduces
// the given values.
TEST(EnthalpyEntropy, DenseMixturesAtLowTemperaturesComeBackToTheirConditioning) {
    for (const auto& [t, x] :
         {std::pair{-74.4, 1e-4}, std::pair{-66.8, 3e-4}, std::pair{-50.0, 1e-3}}) {
        const StateResult from = state("t-x", t, x);
        ASSERT_EQ(from.status, STATUS_VALID);
        const StateResult r = state("h-s", from.values[FIELD_ENTHALPY], from.values[FIELD_ENTROPY]);
        ASSERT_EQ(r.status, STATUS_VALID) << t;
        EXPECT_EQ(r.phase, PHASE_TWO_PHASE);
        EXPECT_NEAR(r.values[FIELD_TEMPERATURE], t, 1e-8);
        EXPECT_NEAR(r.values[FIELD_DENSITY], from.values[FIELD_DENSITY],
                    1e-7 * from.values[FIELD_DENSITY]);
    }
}

// Beyond the isentrope's ends: the refusal names the enthalpy at the end and its state, which
// the (p, s) or (t, rho) pair confirms.
TEST(EnthalpyEntropy, EnthalpiesBeyondTheIsentropesEndsNameTheEdge) {
    const struct {
        double h;
        double s;
        RefusalReason reason;
        const char* edge;  // "p": an end at a pressure limit, "t": at a temperature limit
    } CASES[] = {
        {3.5e6, 5000.0, RefusalReason::above_band, "p"},  // hotter than the highest pressure
        {3.9e6, 9000.0, RefusalReason::above_band, "t"},  // hotter than the highest temperature
        {-1e5, 1000.0, RefusalReason::below_band, "p"},   // below the mixture at -77 degC
        {1.5e6, 9000.0, RefusalReason::below_band, "p"},
        {0.0, -40.0, RefusalReason::below_band, "t"},  // colder than the lowest temperature
    };
    for (const auto& c : CASES) {
        const StateResult r = state("h-s", c.h, c.s);
        ASSERT_EQ(r.status, STATUS_OUTSIDE_DOMAIN) << c.h << " " << c.s;
        EXPECT_EQ(r.refusal.reason, c.reason) << c.h << " " << c.s;
        EXPECT_EQ(r.refusal.input, 0);
        EXPECT_EQ(r.refusal.field, FIELD_ENTHALPY);
        EXPECT_EQ(r.refusal.value, c.h);
        EXPECT_TRUE(c.reason == RefusalReason::above_band ? c.h > r.refusal.limit
                                                          : c.h < r.refusal.limit);
        // The end's own state has the given entropy and the enthalpy named.
        const StateResult end = state("p-s", r.refusal.edge_pressure, c.s);
        ASSERT_EQ(end.status, STATUS_VALID) << c.h << " " << c.s;
        EXPECT_NEAR(end.values[FIELD_ENTHALPY], r.refusal.limit, 1e-3);
        EXPECT_NEAR(end.values[FIELD_TEMPERATURE], r.refusal.edge_temperature, 1e-6);
        if (std::string(c.edge) == "t") {
            EXPECT_TRUE(r.refusal.edge_temperature == -77.0 || r.refusal.edge_temperature == 450.0);
        } else {
            // The lowest pressure, or the equilibrium's at -77 degC (3e-8 Pa above it).
            const double p = r.refusal.edge_pressure;
            EXPECT_TRUE(std::fabs(p - 6417.234425419756) < 1e-7 || p == 84474590.24742904) << p;
        }
    }
}

TEST(EnthalpyEntropy, NonNumbersAndEntropiesOutsideTheDomainAreRefused) {
    const struct {
        double h;
        double s;
        RefusalReason reason;
        int input;
    } CASES[] = {
        {NAN, 1000.0, RefusalReason::not_finite, 0},
        {1e6, INFINITY, RefusalReason::not_finite, 1},
        {1e6, 30000.0, RefusalReason::not_reproduced, -1},
        {1e6, -5000.0, RefusalReason::not_reproduced, -1},
    };
    for (const auto& c : CASES) {
        const StateResult r = state("h-s", c.h, c.s);
        EXPECT_EQ(r.status, STATUS_OUTSIDE_DOMAIN) << c.h << " " << c.s;
        EXPECT_EQ(r.refusal.reason, c.reason) << c.h << " " << c.s;
        EXPECT_EQ(r.refusal.input, c.input) << c.h << " " << c.s;
    }
}

// With the superheat option the superheated liquid of p-t comes back from its (h, s); without
// it the same values are a mixture. A vapour is refused as the (t, rho) pair refuses it.
TEST(EnthalpyEntropy, TheSuperheatOptionAnswersTheSuperheatedLiquid) {
    for (const auto& [p, t] :
         {std::pair{1e5, -30.0}, std::pair{10e5, 30.0}, std::pair{30e5, 70.0}}) {
        const StateResult from = state("p-t", p, t, true);
        ASSERT_EQ(from.status, STATUS_VALID) << p << " " << t;
        ASSERT_EQ(from.phase_detail, 1);
        const double h = from.values[FIELD_ENTHALPY];
        const double s = from.values[FIELD_ENTROPY];
        const StateResult r = state("h-s", h, s, true);
        ASSERT_EQ(r.status, STATUS_VALID) << p << " " << t;
        EXPECT_EQ(r.phase, PHASE_LIQUID);
        EXPECT_NEAR(r.values[FIELD_TEMPERATURE], t, 1e-9);
        EXPECT_NEAR(r.values[FIELD_PRESSURE], p, 1e-9 * p);
        const StateResult stable = state("h-s", h, s);
        ASSERT_EQ(stable.status, STATUS_VALID);
        EXPECT_EQ(stable.phase, PHASE_TWO_PHASE);
    }
    const StateResult vapour = state("p-t", 1e5, 50.0);
    const StateResult v =
        state("h-s", vapour.values[FIELD_ENTHALPY], vapour.values[FIELD_ENTROPY], true);
    const StateResult t_rho = state("t-rho", 50.0, vapour.values[FIELD_DENSITY], true);
    EXPECT_EQ(v.status, STATUS_OUTSIDE_DOMAIN);
    EXPECT_EQ(v.refusal.reason, t_rho.refusal.reason);
}

}  // namespace
}  // namespace zeltra5
