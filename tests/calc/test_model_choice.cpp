// The model a calculation answers for: every pair of the 2023 equation reproduces its own states,
// its records are the model's own evaluation, a transport correlation's range leaves the state
// valid with empty cells, and an index outside the registry is refused.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "zeltra5/calculation.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {
namespace {

constexpr int GAO2023 = 1;

StateResult state(const char* pair, const double first, const double second, const int model,
                  const bool superheat = false) {
    StateResult r;
    calculate_state(*find_arg_pair(pair), first, second,
                    CalcOptions{SI_CELSIUS_UNITS, ReferenceState::program, superheat, model}, r);
    return r;
}

std::string words(const StateResult& r) {
    char text[256];
    describe_refusal(r, Language::english, text, sizeof text);
    return text;
}

TEST(ModelChoice, RegistryIndexNamesTheModel) {
    EXPECT_EQ(find_model_index("tr1993"), DEFAULT_MODEL);
    EXPECT_EQ(find_model_index("gao2023"), GAO2023);
    EXPECT_EQ(find_model_index("Gao2023"), -1);
    EXPECT_EQ(find_model_index(""), -1);
}

// Every pair, given the values of a (p, t) state of the 2023 equation, gives that state back: the
// front end's paths (saturation, isobars, isotherms, isochores, (h, s)) all answer for the model
// asked, not the default one (whose states lie up to a few per cent away).
TEST(ModelChoice, EveryPairReproducesTheStatesOfTheModelAsked) {
    struct Origin {
        const char* name;
        double p;  // Pa
        double t;  // degC
        // Whether the isotherm's h and u name this state alone: a compressed liquid whose h and u
        // lie between the saturated liquid's and vapour's at its temperature shares them with a
        // mixture there, which those pairs answer (the state of lowest density).
        bool isotherm_caloric;
    };
    const Origin origins[] = {
        {"liquid", 2e6, 10.0, false},          {"vapour", 3e5, 40.0, true},
        {"supercritical", 2.5e7, 200.0, true}, {"cold liquid", 5e7, -70.0, false},
        {"hot vapour", 2e5, 420.0, true},      {"liquid near the melting line", 1e7, -76.5, false}};
    for (const Origin& o : origins) {
        SCOPED_TRACE(o.name);
        const StateResult pt = state("p-t", o.p, o.t, GAO2023);
        ASSERT_EQ(pt.status, STATUS_VALID);
        // Where the 1993 model answers too (its range starts at -77 degC), its state differs.
        const StateResult other = state("p-t", o.p, o.t, DEFAULT_MODEL);
        if (other.status == STATUS_VALID) {
            EXPECT_NE(pt.values[FIELD_DENSITY], other.values[FIELD_DENSITY]);
        }
        const double* v = pt.values;
        struct Ask {
            const char* pair;
            double first, second;
        };
        const Ask asks[] = {{"p-h", v[FIELD_PRESSURE], v[FIELD_ENTHALPY]},
                            {"p-u", v[FIELD_PRESSURE], v[FIELD_INTERNAL_ENERGY]},
                            {"p-s", v[FIELD_PRESSURE], v[FIELD_ENTROPY]},
                            {"p-rho", v[FIELD_PRESSURE], v[FIELD_DENSITY]},
                            {"t-rho", v[FIELD_TEMPERATURE], v[FIELD_DENSITY]},
                            {"t-h", v[FIELD_TEMPERATURE], v[FIELD_ENTHALPY]},
                            {"t-s", v[FIELD_TEMPERATURE], v[FIELD_ENTROPY]},
                            {"t-u", v[FIELD_TEMPERATURE], v[FIELD_INTERNAL_ENERGY]},
                            {"rho-h", v[FIELD_DENSITY], v[FIELD_ENTHALPY]},
                            {"rho-s", v[FIELD_DENSITY], v[FIELD_ENTROPY]},
                            {"rho-u", v[FIELD_DENSITY], v[FIELD_INTERNAL_ENERGY]},
                            {"h-s", v[FIELD_ENTHALPY], v[FIELD_ENTROPY]}};
        for (const Ask& a : asks) {
            SCOPED_TRACE(a.pair);
            if (!o.isotherm_caloric &&
                (std::string(a.pair) == "t-h" || a.pair == std::string("t-u"))) {
                continue;
            }
            const StateResult r = state(a.pair, a.first, a.second, GAO2023);
            ASSERT_EQ(r.status, STATUS_VALID) << words(r);
            EXPECT_NEAR(r.values[FIELD_TEMPERATURE], o.t, 1e-6) << r.values[FIELD_PRESSURE];
            EXPECT_NEAR(r.values[FIELD_PRESSURE], o.p, 1e-6 * o.p);
            EXPECT_NEAR(r.values[FIELD_SPEED_OF_SOUND], v[FIELD_SPEED_OF_SOUND],
                        1e-6 * v[FIELD_SPEED_OF_SOUND]);
        }
    }
}

// Saturation and mixtures of the 2023 equation are its own phase equilibrium, and the saturated
// states shown beside a result are the same model's.
TEST(ModelChoice, SaturationIsTheModelsOwnEquilibrium) {
    for (const double t : {-77.0, -40.0, 0.0, 50.0, 130.0}) {
        SCOPED_TRACE(t);
        SaturationEquilibrium e{};
        ASSERT_EQ(Gao2023::saturation_at_temperature(t + KELVIN_OFFSET, e),
                  SATURATION_EQUILIBRIUM_OK);
        const StateResult liquid = state("ts-liquid", t, 0.0, GAO2023);
        ASSERT_EQ(liquid.status, STATUS_VALID);
        EXPECT_EQ(liquid.values[FIELD_PRESSURE], e.p);
        EXPECT_EQ(liquid.record.mass_density, e.rho_liquid);
        const StateResult mixture = state("t-x", t, 0.5, GAO2023);
        ASSERT_EQ(mixture.status, STATUS_VALID);
        EXPECT_EQ(mixture.values[FIELD_PRESSURE], e.p);
        StateResult vapour;
        ASSERT_EQ(calculate_saturated(mixture, SIDE_VAPOUR, vapour), STATUS_VALID);
        EXPECT_EQ(vapour.options.model, GAO2023);
        EXPECT_NEAR(vapour.record.mass_density, e.rho_vapour, 1e-9 * e.rho_vapour);
    }
}

// A single-phase record's fields are the model's own functions of its state, bit for bit.
TEST(ModelChoice, RecordIsTheModelsOwnEvaluation) {
    const StateResult r = state("p-t", 1e6, 20.0, GAO2023);
    ASSERT_EQ(r.status, STATUS_VALID);
    ASSERT_EQ(r.phase, PHASE_LIQUID);
    FluidState s{};
    Gao2023::evaluate(20.0, r.record.mass_density, s);
    TransportProperties transport{};
    Gao2023::transport(s, transport);
    EXPECT_NEAR(state_pressure(s), 1e6, 1e-3);
    EXPECT_EQ(r.record.isobaric_heat_capacity, state_cp(s));
    EXPECT_EQ(r.record.speed_of_sound, state_speed_of_sound(s));
    EXPECT_EQ(r.record.dynamic_viscosity, transport.viscosity * 1e-6);
    EXPECT_EQ(r.record.thermal_conductivity, transport.thermal_conductivity);
    EXPECT_EQ(r.record.surface_tension, Gao2023::surface_tension(s));
}

// Beyond a transport correlation's stated range (the 2018 viscosity to 50 MPa, the conductivity
// to 80 MPa) the state stays valid and only the fields that correlation gives are empty.
TEST(ModelChoice, TransportOutsideItsRangeLeavesEmptyCells) {
    struct Case {
        double p;  // Pa
        double t;  // degC
        bool viscosity;
        bool conductivity;
    };
    const Case cases[] = {{4e7, 20.0, true, true},
                          {6e7, 20.0, false, true},
                          {1e8, 20.0, false, false},
                          {5e8, 300.0, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p);
        const StateResult r = state("p-t", c.p, c.t, GAO2023);
        ASSERT_EQ(r.status, STATUS_VALID);
        EXPECT_EQ(std::isnan(r.values[FIELD_DYNAMIC_VISCOSITY]), !c.viscosity);
        EXPECT_EQ(std::isnan(r.values[FIELD_KINEMATIC_VISCOSITY]), !c.viscosity);
        EXPECT_EQ(std::isnan(r.values[FIELD_CONDUCTIVITY]), !c.conductivity);
        EXPECT_EQ(std::isnan(r.values[FIELD_PRANDTL]), !(c.viscosity && c.conductivity));
        for (const int k : {FIELD_DENSITY, FIELD_CP, FIELD_SPEED_OF_SOUND, FIELD_EXPANSION}) {
            EXPECT_TRUE(std::isfinite(r.values[k])) << RESULT_FIELDS[k].name;
        }
    }
    // The 1993 correlations cover that model's whole domain: nothing empty there.
    const StateResult old = state("p-t", 5e7, 20.0, DEFAULT_MODEL);
    ASSERT_EQ(old.status, STATUS_VALID);
    EXPECT_TRUE(std::isfinite(old.values[FIELD_DYNAMIC_VISCOSITY]));
}

// The 2023 model's liquid ends at the paper's melting line (54.5 MPa at 200 K, 5.96 MPa at 196 K,
// the triple point's pressure at 195.49 K): a state beyond it is refused with the melting pressure
// at its temperature, whichever pair found it. The 1993 model has no such bound.
TEST(ModelChoice, LiquidEndsAtTheMeltingLine) {
    struct Case {
        const char* pair;
        double first, second;
        int model;
        bool valid;
        const char* words;  // the refusal's, when not valid
    };
    const Case cases[] = {
        {"p-t", 1e8, -70.0, GAO2023, false, "pressure 100000000 Pa is above the melting pressure "},
        {"p-t", 5e7, -70.0, GAO2023, true, ""},
        {"p-t", 1e6, -77.66, GAO2023, false, "pressure 1000000 Pa is above the melting pressure "},
        {"p-t", 7e3, -70.0, GAO2023, true, ""},
        // Within the rounding margin beyond the highest temperature the line is its value there
        // (it has no value beyond, and such a state was refused without a melting pressure).
        {"p-t", 1e7, gao2023::MAX_TEMPERATURE + 0.5 * gao2023::EDGE_TEMPERATURE_MARGIN, GAO2023,
         true, ""},
        {"p-t", 1e9, gao2023::HIGHEST_ADMITTED_TEMPERATURE, GAO2023, true, ""},
        {"ts-liquid", -77.66, 0.0, GAO2023, true, ""},
        {"t-rho", -75.0, 745.0, GAO2023, false, "pressure of the state "},
        // The 2023 paper's check state at 200 K and 50 mol/dm3 (555.6 MPa) is a solid's.
        {"t-rho", 200.0 - KELVIN_OFFSET, 50.0 * 17.03052, GAO2023, false, "pressure of the state "},
        {"p-t", 5e7, -77.0, DEFAULT_MODEL, true, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pair) + " " + std::to_string(c.first) + " " +
                     std::to_string(c.second));
        const StateResult r = state(c.pair, c.first, c.second, c.model);
        ASSERT_EQ(r.status == STATUS_VALID, c.valid) << words(r);
        if (!c.valid) {
            EXPECT_EQ(r.refusal.reason, RefusalReason::melting_line);
            EXPECT_EQ(words(r).rfind(c.words, 0), 0U) << words(r);
            const double T_K =
                c.first == 1e8 ? -70.0 + KELVIN_OFFSET : r.refusal.edge_temperature + KELVIN_OFFSET;
            EXPECT_NEAR(
                r.refusal.limit,
                gao2023::melting_pressure(std::fmax(T_K, gao2023::TRIPLE_POINT_TEMPERATURE)),
                1e-6 * r.refusal.limit);
        }
    }
    // Along an isobar the domain's coldest state is on the melting line: a value beyond it is
    // refused against that state (a valid one), not one of the solid at the lowest temperature.
    struct Beyond {
        const char* pair;
        double value;  // SI, far beyond the cold end
        RefusalReason reason;
    };
    const Beyond beyond[] = {{"p-h", -1e6, RefusalReason::below_band},
                             {"p-s", -1e4, RefusalReason::below_band},
                             {"p-u", -1e6, RefusalReason::below_band},
                             {"p-rho", 2000.0, RefusalReason::above_band}};
    for (const Beyond& b : beyond) {
        SCOPED_TRACE(b.pair);
        const StateResult refused = state(b.pair, 1e8, b.value, GAO2023);
        ASSERT_EQ(refused.status, STATUS_OUTSIDE_DOMAIN);
        EXPECT_EQ(refused.refusal.reason, b.reason) << words(refused);
        const double T_melt = refused.refusal.edge_temperature + KELVIN_OFFSET;
        EXPECT_NEAR(gao2023::melting_pressure(T_melt), 1e8, 1e-6 * 1e8);
        // The limit is on the model's own reference; the request on the default one.
        const double limit =
            refused.refusal.limit +
            reference_shift(ReferenceState::program, GAO2023, find_arg_pair(b.pair)->second_field);
        const StateResult edge = state(b.pair, 1e8, limit, GAO2023);
        EXPECT_EQ(edge.status, STATUS_VALID) << words(edge);
    }
}

// The melting line's inverse gives back the temperature of each branch's pressures, the switch
// temperature (217.35 K) for a pressure in the line's jump there (306.98 to 307.0 MPa), the triple
// point at or below its pressure, and none for a model without the line.
TEST(ModelChoice, MeltingLineInverse) {
    for (const double T : {195.5, 196.0, 200.0, 217.0, 217.5, 240.0, 300.0, 400.0, 725.0}) {
        SCOPED_TRACE(T);
        EXPECT_NEAR(gao2023::melting_temperature(gao2023::melting_pressure(T)), T, 1e-9 * T);
    }
    EXPECT_EQ(gao2023::melting_temperature(6053.0), gao2023::TRIPLE_POINT_TEMPERATURE);
    const double low_branch_top = gao2023::melting_pressure(std::nextafter(217.35, 0.0));
    const double in_jump = 0.5 * (low_branch_top + gao2023::melting_pressure(217.35));
    ASSERT_LT(low_branch_top, in_jump);
    EXPECT_EQ(gao2023::melting_temperature(in_jump), 217.35);
    EXPECT_EQ(Tr1993::melting_temperature(1e9), -HUGE_VAL);
}

// A vapour at the lowest pressure, asked back by its temperature and enthalpy on a supercritical
// isotherm where a state near 900 MPa has the same enthalpy: the state of lowest density answers,
// also when the rounding of the isotherm's low end puts the target a hair beyond that end's value
// (gao2023's round trips found the dense one).
TEST(ModelChoice, IsothermAnswersTheLowestDensityAtItsLowEnd) {
    PropertyResult vapour{};
    Refusal why{};
    ASSERT_EQ(calculate_request(GAO2023,
                                CalcRequest{MODE_PRESSURE_QUALITY, SIDE_NONE, 6053.3888838311186,
                                            1.5359243913301666},
                                vapour, why),
              0);
    PropertyResult back{};
    ASSERT_EQ(calculate_request(GAO2023,
                                CalcRequest{MODE_TEMPERATURE_ENTHALPY, SIDE_NONE,
                                            vapour.temperature, vapour.specific_enthalpy},
                                back, why),
              0);
    EXPECT_NEAR(back.mass_density, vapour.mass_density, 1e-9 * vapour.mass_density);
    EXPECT_LT(back.pressure, 1e4);
}

TEST(ModelChoice, IndexOutsideTheRegistryIsRefused) {
    for (const int model : {-1, MODEL_COUNT, 1000}) {
        SCOPED_TRACE(model);
        const StateResult r = state("p-t", 1e6, 20.0, model);
        EXPECT_EQ(r.status, STATUS_BAD_ARGUMENT);
        EXPECT_EQ(r.refusal.reason, RefusalReason::bad_request);
        PropertyResult record{};
        Refusal why{};
        EXPECT_EQ(calculate_request(model, CalcRequest{MODE_PRESSURE_TEMPERATURE, 0, 1e6, 20.0},
                                    record, why),
                  1);
        EXPECT_EQ(why.reason, RefusalReason::bad_request);
        ExtendedValues extended{};
        calculate_extended_fields(model, PropertyResult{}, extended);
        EXPECT_TRUE(std::isnan(extended.value[0]));
    }
}

}  // namespace
}  // namespace zeltra5
