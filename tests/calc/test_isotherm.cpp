// The isotherm's pairs t-h, t-s, t-u: round trips from states of every region, the rule of the
// lowest density where the line holds several states with the given values, and the refusals.

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "zeltra5/calculation.hpp"
#include "zeltra5/pairs.hpp"

namespace zeltra5 {
namespace {

CalcOptions celsius() {
    CalcOptions o;
    o.units = SI_CELSIUS_UNITS;
    return o;
}

StateResult state(const char* pair, const double first, const double second,
                  const CalcOptions& options = celsius()) {
    StateResult r;
    calculate_state(*find_arg_pair(pair), first, second, options, r);
    return r;
}

struct LinePair {
    const char* name;
    int field;
};

constexpr LinePair LINE_PAIRS[] = {
    {"t-h", FIELD_ENTHALPY}, {"t-s", FIELD_ENTROPY}, {"t-u", FIELD_INTERNAL_ENERGY}};

// Asks each isotherm pair with the values of `from` and checks the answer: the given values held
// bit for bit; the same state (t, p, rho to 1e-9), or for h and u a state of
// lower density with the same value (the line holds both; the lowest density answers).
void round_trip(const StateResult& from, const char* what) {
    ASSERT_EQ(from.status, STATUS_VALID) << what;
    const double t = from.values[FIELD_TEMPERATURE];
    const double p = from.values[FIELD_PRESSURE];
    const double rho = from.values[FIELD_DENSITY];
    for (const LinePair& line : LINE_PAIRS) {
        const double value = from.values[line.field];
        const StateResult r = state(line.name, t, value);
        ASSERT_EQ(r.status, STATUS_VALID) << what << " " << line.name << " " << t << " " << value
                                          << " reason " << static_cast<int>(r.refusal.reason);
        EXPECT_EQ(r.values[FIELD_TEMPERATURE], t) << what << " " << line.name;
        EXPECT_EQ(r.values[line.field], value) << what << " " << line.name;
        const double rho_found = r.values[FIELD_DENSITY];
        const bool same = std::fabs(rho_found - rho) <= 1e-9 * rho &&
                          std::fabs(r.values[FIELD_PRESSURE] - p) <= 1e-9 * p;
        if (line.field == FIELD_ENTROPY) {
            EXPECT_TRUE(same) << what << " t-s " << t << " rho " << rho << " found " << rho_found;
        } else {
            EXPECT_TRUE(same || rho_found < rho)
                << what << " " << line.name << " " << t << " rho " << rho << " found " << rho_found;
        }
    }
}

struct PressureTemperatureCase {
    double p;  // Pa
    double t;  // degC
    const char* what;
};

TEST(Isotherm, RoundTripsFromSinglePhaseStates) {
    const PressureTemperatureCase cases[] = {
        {1e5, 25.0, "vapour"},
        {6417.3, -77.0, "liquid at the lowest temperature"},
        {6417.235, 20.0, "vapour at the lowest pressure"},
        {84474590.0, -77.0, "liquid at the highest pressure, lowest temperature"},
        {84474590.0, 450.0, "supercritical at the highest pressure and temperature"},
        {6500.0, 450.0, "hot vapour at low pressure"},
        {1e6, 0.0, "compressed liquid"},
        {5e7, 100.0, "compressed hot liquid"},
        {2e7, 132.5, "supercritical just above the critical temperature"},
        {1.1e7, 132.3, "vapour just below the critical temperature"},
        {1.2e7, 132.3, "liquid just below the critical temperature"},
        {1.14e7, 140.0, "supercritical near the critical pressure"},
        {3e7, 200.0, "supercritical dense"},
        {8e5, -10.0, "liquid"},
        {2e5, 60.0, "superheated vapour"},
    };
    for (const auto& c : cases) {
        round_trip(state("p-t", c.p, c.t), c.what);
    }
}

TEST(Isotherm, RoundTripsNextToTheSaturationLine) {
    for (const double t : {-77.0, -50.0, -10.0, 25.0, 80.0, 120.0, 130.0, 132.0, 132.33}) {
        const StateResult l = state("ts-liquid", t, 0.0);
        const StateResult v = state("ts-vapour", t, 0.0);
        round_trip(l, "saturated liquid");
        round_trip(v, "saturated vapour");
        const double rho_l = l.values[FIELD_DENSITY];
        const double rho_v = v.values[FIELD_DENSITY];
        // Just outside the dome on both sides, and mixtures just inside it.
        round_trip(state("t-rho", t, rho_l * (1.0 + 1e-7)), "liquid by the saturation line");
        if (t > -77.0) {
            round_trip(state("t-rho", t, rho_v * (1.0 - 1e-7)), "vapour by the saturation line");
        }
        for (const double x : {1e-9, 1e-3, 0.5, 1.0 - 1e-9}) {
            round_trip(state("t-x", t, x), "mixture");
        }
    }
}

// Next to the critical point: between the saturation limit (0.01 K below the critical
// temperature), where the isotherm is one branch, and just above it.
TEST(Isotherm, RoundTripsNearTheCriticalPoint) {
    int answered = 0;
    for (const double t : {132.32, 132.345, 132.36, 133.0}) {
        for (const double rho : {50.0, 150.0, 200.0, 260.0, 320.0, 450.0}) {
            const StateResult s = state("t-rho", t, rho);
            if (s.status == STATUS_VALID) {
                ++answered;
                round_trip(s, "near the critical point");
            }
        }
    }
    EXPECT_GE(answered, 20);
}

TEST(Isotherm, TheGivenValuesAreHeldBitForBit) {
    const StateResult r = state("t-h", 25.0, 1500e3);
    ASSERT_EQ(r.status, STATUS_VALID);
    EXPECT_EQ(r.values[FIELD_TEMPERATURE], 25.0);
    EXPECT_EQ(r.values[FIELD_ENTHALPY], 1500e3);
    EXPECT_EQ(r.phase, PHASE_TWO_PHASE);
    // The same in display units with the IIR reference.
    CalcOptions display;
    display.units = DISPLAY_UNITS;
    display.reference = ReferenceState::iir;
    const StateResult d = state("t-s", -10.0, 5.2, display);
    ASSERT_EQ(d.status, STATUS_VALID);
    EXPECT_EQ(d.values[FIELD_TEMPERATURE], -10.0);
    EXPECT_EQ(d.values[FIELD_ENTROPY], 5.2);
}

// The compressed liquid's enthalpy at 0 degC lies inside the mixtures' range (it rises with
// pressure by less than the heat of evaporation): the mixture of that enthalpy answers. Its
// entropy has no other state: the liquid answers t-s.
TEST(Isotherm, SharedValuesAnswerTheStateOfLowestDensity) {
    const StateResult liquid = state("p-t", 5e6, 0.0);
    ASSERT_EQ(liquid.status, STATUS_VALID);
    const StateResult by_h = state("t-h", 0.0, liquid.values[FIELD_ENTHALPY]);
    ASSERT_EQ(by_h.status, STATUS_VALID);
    EXPECT_EQ(by_h.phase, PHASE_TWO_PHASE);
    EXPECT_LT(by_h.values[FIELD_DENSITY], liquid.values[FIELD_DENSITY]);
    const StateResult by_s = state("t-s", 0.0, liquid.values[FIELD_ENTROPY]);
    ASSERT_EQ(by_s.status, STATUS_VALID);
    EXPECT_EQ(by_s.phase, PHASE_LIQUID);
    EXPECT_NEAR(by_s.values[FIELD_PRESSURE], 5e6, 1e-9 * 5e6);
    const StateResult by_u = state("t-u", 0.0, liquid.values[FIELD_INTERNAL_ENERGY]);
    ASSERT_EQ(by_u.status, STATUS_VALID);
    EXPECT_NEAR(by_u.values[FIELD_PRESSURE], 5e6, 1e-9 * 5e6);

    // At 100 degC the liquid's enthalpy falls with pressure to a least value near 400 bar and
    // rises again: the value at the highest pressure is held also near 150 bar, which answers.
    const StateResult top = state("p-t", 84474590.0, 100.0);
    const StateResult middle = state("p-t", 4e7, 100.0);
    ASSERT_EQ(top.status, STATUS_VALID);
    ASSERT_LT(middle.values[FIELD_ENTHALPY], top.values[FIELD_ENTHALPY]);
    const StateResult r = state("t-h", 100.0, top.values[FIELD_ENTHALPY]);
    ASSERT_EQ(r.status, STATUS_VALID);
    EXPECT_NE(r.phase, PHASE_TWO_PHASE);
    EXPECT_GT(r.values[FIELD_PRESSURE], 1e7);
    EXPECT_LT(r.values[FIELD_PRESSURE], 2e7);
    // Just above the least value both pieces hold it; the lower pressure answers, below 400 bar.
    const StateResult near_least = state("t-h", 100.0, middle.values[FIELD_ENTHALPY] + 1.0);
    ASSERT_EQ(near_least.status, STATUS_VALID);
    EXPECT_LT(near_least.values[FIELD_PRESSURE], 4e7);
    // Below the least value: refused, the least value and its state the edge.
    const StateResult below = state("t-h", 100.0, middle.values[FIELD_ENTHALPY] - 2e3);
    ASSERT_EQ(below.status, STATUS_OUTSIDE_DOMAIN);
    EXPECT_EQ(below.refusal.reason, RefusalReason::below_band);
    EXPECT_LT(below.refusal.limit, middle.values[FIELD_ENTHALPY]);
    EXPECT_GT(below.refusal.edge_pressure, 3e7);
    EXPECT_LT(below.refusal.edge_pressure, 6e7);
}

// Each single-phase branch of an isotherm has at most one extremum of h and of u in density (the
// solver splits a branch at one): sampled densely between the domain's pressures.
TEST(Isotherm, BranchesHoldAtMostOneExtremum) {
    std::vector<double> temperatures;
    for (double t = -77.0; t <= 450.0; t += 7.0) {
        temperatures.push_back(t);
    }
    // Next to the critical temperature, between the saturation limit and it, and above.
    for (const double t : {132.0, 132.3, 132.345, 132.349, 132.36, 132.5, 135.0, 450.0}) {
        temperatures.push_back(t);
    }
    for (const double t : temperatures) {
        const StateResult low = state("p-t", 6417.3, t);
        const StateResult high = state("p-t", 84474590.0, t);
        ASSERT_EQ(low.status, STATUS_VALID) << t;
        ASSERT_EQ(high.status, STATUS_VALID) << t;
        std::vector<std::pair<double, double>> branches;
        const StateResult l = state("ts-liquid", t, 0.0);
        const StateResult v = state("ts-vapour", t, 0.0);
        if (l.status == STATUS_VALID) {
            branches.emplace_back(low.values[FIELD_DENSITY], v.values[FIELD_DENSITY]);
            branches.emplace_back(l.values[FIELD_DENSITY], high.values[FIELD_DENSITY]);
        } else {
            branches.emplace_back(low.values[FIELD_DENSITY], high.values[FIELD_DENSITY]);
        }
        for (const auto& [a, b] : branches) {
            for (const int field : {FIELD_ENTHALPY, FIELD_INTERNAL_ENERGY}) {
                int changes = 0;
                double last = 0.0;
                double previous = NAN;
                constexpr int N = 400;
                for (int k = 0; k <= N; ++k) {
                    // Geometric in density: the vapour branch spans orders of magnitude.
                    const double rho = a * std::pow(b / a, static_cast<double>(k) / N);
                    const StateResult s = state("t-rho", t, rho);
                    if (s.status != STATUS_VALID) {
                        continue;
                    }
                    const double value = s.values[field];
                    if (!std::isnan(previous) && value != previous) {
                        const double step = value - previous;
                        if (last != 0.0 && (step > 0.0) != (last > 0.0) &&
                            std::fabs(step) > 1e-9 * std::fabs(value)) {
                            ++changes;
                        }
                        if (std::fabs(step) > 1e-9 * std::fabs(value)) {
                            last = step;
                        }
                    }
                    previous = value;
                }
                EXPECT_LE(changes, 1) << t << " " << a << ".." << b << " field " << field;
            }
        }
    }
}

struct BandCase {
    const char* pair;
    double t;
    double value;
    RefusalReason reason;
};

TEST(Isotherm, ValuesBeyondTheLineAreRefusedWithItsEdge) {
    const BandCase cases[] = {
        {"t-s", 25.0, 20e3, RefusalReason::above_band},
        {"t-s", 25.0, -5e3, RefusalReason::below_band},
        {"t-h", 25.0, 5e6, RefusalReason::above_band},
        {"t-h", 25.0, -1e6, RefusalReason::below_band},
        {"t-u", 300.0, 5e6, RefusalReason::above_band},
        {"t-u", 300.0, -1e6, RefusalReason::below_band},
        {"t-s", 132.30, 1e5, RefusalReason::above_band},
    };
    for (const auto& c : cases) {
        const StateResult r = state(c.pair, c.t, c.value);
        ASSERT_EQ(r.status, STATUS_OUTSIDE_DOMAIN) << c.pair << " " << c.value;
        EXPECT_EQ(r.refusal.reason, c.reason) << c.pair << " " << c.value;
        EXPECT_EQ(r.refusal.input, 1);
        EXPECT_EQ(r.refusal.edge_temperature, c.t);
        // The limit is the value of the state at the edge, which the pair then answers.
        const StateResult edge = state(c.pair, c.t, r.refusal.limit);
        ASSERT_EQ(edge.status, STATUS_VALID) << c.pair << " " << r.refusal.limit;
        EXPECT_NEAR(edge.values[FIELD_PRESSURE], r.refusal.edge_pressure,
                    1e-6 * r.refusal.edge_pressure);
    }
    // The entropy's edges are the domain's lowest and highest pressures.
    EXPECT_NEAR(state("t-s", 25.0, 20e3).refusal.edge_pressure, 6417.23, 0.01);
    EXPECT_NEAR(state("t-s", 25.0, -5e3).refusal.edge_pressure, 84474590.0, 1.0);
}

TEST(Isotherm, RefusesOutOfRangeTemperaturesAndNaN) {
    for (const LinePair& line : LINE_PAIRS) {
        const StateResult cold = state(line.name, -78.0, 1e3);
        EXPECT_EQ(cold.refusal.reason, RefusalReason::below_minimum);
        EXPECT_EQ(cold.refusal.input, 0);
        const StateResult hot = state(line.name, 451.0, 1e3);
        EXPECT_EQ(hot.refusal.reason, RefusalReason::above_maximum);
        const StateResult nan = state(line.name, 25.0, NAN);
        EXPECT_EQ(nan.refusal.reason, RefusalReason::not_finite);
        EXPECT_EQ(nan.refusal.input, 1);
        // The domain's edge temperatures less their rounding margin are admitted (the saturated
        // liquid at the lowest admitted temperature, as ts-liquid answers it, comes back).
        const StateResult edge_liquid = state("ts-liquid", -77.0 - 0.5e-9, 0.0);
        ASSERT_EQ(edge_liquid.status, STATUS_VALID);
        EXPECT_EQ(state(line.name, -77.0 - 0.5e-9, edge_liquid.values[line.field]).status,
                  STATUS_VALID)
            << line.name;
        EXPECT_EQ(
            state(line.name, 450.0 + 0.5e-9, 2e6).refusal.reason == RefusalReason::above_maximum,
            false);
    }
    // t-x likewise.
    EXPECT_EQ(state("t-x", -77.0 - 0.5e-9, 0.5).status, STATUS_VALID);
    EXPECT_EQ(state("t-x", -77.0 - 2e-9, 0.5).refusal.reason, RefusalReason::below_minimum);
}

// With the superheat option the superheated liquid (p-t with the option) comes back through each
// pair with the option, in place of the mixture or vapour (or nothing) that answers without it.
TEST(Isotherm, SuperheatOptionAnswersTheSuperheatedLiquid) {
    CalcOptions superheat = celsius();
    superheat.superheat = true;
    const PressureTemperatureCase cases[] = {
        {1e5, -30.0, "superheated liquid at 1 bar"},
        {1e5, -20.0, "superheated liquid at 1 bar, hotter"},
        {5e5, 10.0, "superheated liquid at 5 bar"},
        {2e6, 60.0, "superheated liquid at 20 bar"},
        {8e3, -70.0, "superheated liquid next to the lowest pressure"},
    };
    for (const auto& c : cases) {
        const StateResult liquid = state("p-t", c.p, c.t, superheat);
        ASSERT_EQ(liquid.status, STATUS_VALID) << c.what;
        ASSERT_EQ(liquid.phase, PHASE_LIQUID) << c.what;
        ASSERT_EQ(liquid.phase_detail, 1) << c.what;
        for (const LinePair& line : LINE_PAIRS) {
            const double value = liquid.values[line.field];
            const StateResult r = state(line.name, c.t, value, superheat);
            ASSERT_EQ(r.status, STATUS_VALID) << c.what << " " << line.name;
            EXPECT_EQ(r.phase, PHASE_LIQUID);
            EXPECT_EQ(r.phase_detail, 1);
            EXPECT_NEAR(r.values[FIELD_DENSITY], liquid.values[FIELD_DENSITY],
                        1e-9 * liquid.values[FIELD_DENSITY])
                << c.what << " " << line.name;
            EXPECT_NEAR(r.values[FIELD_PRESSURE], c.p, 1e-9 * c.p) << c.what << " " << line.name;
            // Without the option: a stable state, never this liquid.
            const StateResult plain = state(line.name, c.t, value);
            EXPECT_TRUE(plain.status != STATUS_VALID || plain.phase != PHASE_LIQUID ||
                        plain.phase_detail != 1)
                << c.what << " " << line.name;
        }
    }
    // Where no superheated liquid has the value, the stable state answers with the option too.
    const StateResult mixture = state("t-h", 25.0, 1500e3, superheat);
    ASSERT_EQ(mixture.status, STATUS_VALID);
    EXPECT_EQ(mixture.phase, PHASE_TWO_PHASE);
    const StateResult compressed =
        state("t-s", 0.0, state("p-t", 5e6, 0.0).values[FIELD_ENTROPY], superheat);
    ASSERT_EQ(compressed.status, STATUS_VALID);
    EXPECT_EQ(compressed.phase_detail, -1);
}

}  // namespace
}  // namespace zeltra5
