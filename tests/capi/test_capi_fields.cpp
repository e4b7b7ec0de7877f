// Version 2 of the fields through the C interface: zeltra5_calculate_fields gives the library's
// values bit for bit in the order asked, refuses unknown names and short storage without writing,
// explains its refusals; version 1 stays as it was; the model's constants.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "zeltra5.h"
#include "zeltra5/calculation.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5 {
namespace {

constexpr double CANARY = -12345.678;

bool same(const double a, const double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

struct Request {
    const char* pair;
    double first;
    double second;
    const char* options;
};

const Request REQUESTS[] = {
    {"p-t", 10, 25, "units=display"},
    {"p-t", 10, 0, "units=display;reference=iir"},
    {"p-x", 5e5, 0.3, ""},
    {"ts-liquid", -4, 0, "units=si,p=kPa,t=degF"},
    {"p-t", 200, 200, "units=display"},
    {"p-t", 1e6, 900, ""},  // outside the domain
};

CalcOptions options_of(const Request& r) {
    // The C interface's options are its own text (si by default); the same choice as the
    // library takes it.
    CalcOptions o;
    const std::string text = r.options;
    if (text.find("units=display") != std::string::npos) {
        o.units = DISPLAY_UNITS;
    }
    if (text.find("units=si,p=kPa,t=degF") != std::string::npos) {
        parse_units("si,p=kPa,t=degF", SI_UNITS, o.units);
    }
    if (text.find("reference=iir") != std::string::npos) {
        o.reference = ReferenceState::iir;
    }
    return o;
}

class EveryRequest : public ::testing::TestWithParam<Request> {};

TEST_P(EveryRequest, AllFieldsAreTheLibrarysBitForBit) {
    const Request q = GetParam();
    double values[ZELTRA5_FIELD_COUNT_V2 + 1];
    std::fill(std::begin(values), std::end(values), CANARY);
    int phase = 99;
    int detail = 99;
    const int status = zeltra5_calculate_fields(q.pair, q.first, q.second, q.options, nullptr,
                                                values, ZELTRA5_FIELD_COUNT_V2, &phase, &detail);
    StateResult r;
    calculate_state(*find_arg_pair(q.pair), q.first, q.second, options_of(q), r);
    EXPECT_EQ(status, r.status);
    EXPECT_EQ(phase, r.phase);
    EXPECT_EQ(detail, r.phase_detail);
    const AllFieldValues all = all_field_values(r);
    for (int k = 0; k < ZELTRA5_FIELD_COUNT_V2; ++k) {
        EXPECT_TRUE(same(values[k], all.value[k])) << q.pair << " " << zeltra5_field_name_v2(k);
        EXPECT_EQ(std::isnan(values[k]) ? 0 : 1,
                  status == 0 ? zeltra5_field_defined_v2(phase, detail, k) : 0)
            << zeltra5_field_name_v2(k);
    }
    EXPECT_EQ(values[ZELTRA5_FIELD_COUNT_V2], CANARY);
    // Version 1 gives the nineteen as before.
    double v1[ZELTRA5_FIELD_COUNT];
    EXPECT_EQ(zeltra5_calculate(q.pair, q.first, q.second, q.options, v1, ZELTRA5_FIELD_COUNT,
                                nullptr, nullptr),
              status);
    for (int k = 0; k < ZELTRA5_FIELD_COUNT; ++k) {
        EXPECT_TRUE(same(v1[k], values[k]));
    }
}

// A list picks fields by name or symbol, in its own order, repeats allowed.
TEST_P(EveryRequest, AListPicksFieldsInItsOrder) {
    const Request q = GetParam();
    double all[ZELTRA5_FIELD_COUNT_V2];
    zeltra5_calculate_fields(q.pair, q.first, q.second, q.options, "", all, ZELTRA5_FIELD_COUNT_V2,
                             nullptr, nullptr);
    const char* list = "pip, h,Z ,joule_thomson_coefficient,x,h,dpsat_dt";
    const int fields[] = {FIELD_PHASE_IDENTIFICATION,   FIELD_ENTHALPY,
                          FIELD_COMPRESSIBILITY_FACTOR, FIELD_JOULE_THOMSON,
                          FIELD_RELATIVE_ENTHALPY,      FIELD_ENTHALPY,
                          FIELD_SATURATION_SLOPE};
    double picked[7];
    zeltra5_calculate_fields(q.pair, q.first, q.second, q.options, list, picked, 7, nullptr,
                             nullptr);
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(same(picked[i], all[fields[i]])) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(CalculateFields, EveryRequest, ::testing::ValuesIn(REQUESTS));

struct Refused {
    const char* fields;
    int count;
    const char* explanation;  // part of zeltra5_explain's text
};

const Refused REFUSED[] = {
    {"h,enthalpy", 2, "unknown property \"enthalpy\""},
    {"h,,p", 3, "no property given"},
    {"Z", 0, "values"},
    {"", ZELTRA5_FIELD_COUNT_V2 - 1, "values"},
    {"z", 1, "unknown property \"z\""},  // symbols are exact: Z is the compressibility factor
};

TEST(CalculateFields, RefusesUnknownNamesAndShortStorageWithoutWriting) {
    for (const Refused& r : REFUSED) {
        double values[ZELTRA5_FIELD_COUNT_V2];
        std::fill(std::begin(values), std::end(values), CANARY);
        int phase = 99;
        EXPECT_EQ(zeltra5_calculate_fields("p-t", 10, 25, "units=display;lang=en", r.fields, values,
                                           r.count, &phase, nullptr),
                  ZELTRA5_BAD_ARGUMENT)
            << r.fields;
        EXPECT_EQ(phase, ZELTRA5_NO_PHASE);
        for (const double v : values) {
            EXPECT_EQ(v, CANARY) << r.fields;
        }
        char text[256];
        ASSERT_GT(zeltra5_explain("p-t", 10, 25, "units=display;lang=en", text, sizeof text), 0)
            << r.fields;
        EXPECT_NE(std::string(text).find(r.explanation), std::string::npos) << text;
    }
    EXPECT_EQ(zeltra5_calculate_fields("p-t", 10, 25, "", "h", nullptr, 1, nullptr, nullptr),
              ZELTRA5_BAD_ARGUMENT);
}

TEST(CalculateFields, VersionTwoRegistryExtendsVersionOne) {
    EXPECT_EQ(zeltra5_field_count(), ZELTRA5_FIELD_COUNT);
    EXPECT_EQ(zeltra5_field_count_v2(), ZELTRA5_FIELD_COUNT_V2);
    for (int k = 0; k < ZELTRA5_FIELD_COUNT_V2; ++k) {
        EXPECT_STREQ(zeltra5_field_name_v2(k), RESULT_FIELDS[k].name);
        EXPECT_STREQ(zeltra5_field_symbol_v2(k), RESULT_FIELDS[k].symbol);
        EXPECT_EQ(zeltra5_field_index_v2(RESULT_FIELDS[k].symbol), k);
        EXPECT_EQ(zeltra5_field_index_v2(RESULT_FIELDS[k].name), k);
        // Version 1 knows the nineteen only.
        EXPECT_EQ(zeltra5_field_index(RESULT_FIELDS[k].name), k < ZELTRA5_FIELD_COUNT ? k : -1);
        EXPECT_EQ(zeltra5_field_name(k) != nullptr, k < ZELTRA5_FIELD_COUNT);
        if (k < ZELTRA5_FIELD_COUNT) {
            EXPECT_STREQ(zeltra5_field_unit_v2(k, "units=display"),
                         zeltra5_field_unit(k, "units=display"));
        }
    }
    EXPECT_EQ(zeltra5_field_name_v2(ZELTRA5_FIELD_COUNT_V2), nullptr);
    EXPECT_EQ(zeltra5_field_name_v2(-1), nullptr);
    EXPECT_STREQ(zeltra5_field_unit_v2(FIELD_JOULE_THOMSON, "units=display"), "K/bar");
    EXPECT_STREQ(zeltra5_field_unit_v2(FIELD_JOULE_THOMSON, "units=si,p=psi,t=degF"), "°F/psi");
    EXPECT_STREQ(zeltra5_field_unit_v2(FIELD_FUGACITY, "units=display"), "bar");
    EXPECT_EQ(zeltra5_field_unit_v2(ZELTRA5_FIELD_COUNT_V2, ""), nullptr);
    // A mixture has Z and the slope, not the Joule-Thomson coefficient; version 1 says nothing
    // of fields it does not know.
    EXPECT_EQ(zeltra5_field_defined_v2(0, 0, FIELD_COMPRESSIBILITY_FACTOR), 1);
    EXPECT_EQ(zeltra5_field_defined_v2(0, 0, FIELD_SATURATION_SLOPE), 1);
    EXPECT_EQ(zeltra5_field_defined_v2(0, 0, FIELD_JOULE_THOMSON), 0);
    EXPECT_EQ(zeltra5_field_defined_v2(2, 1, FIELD_SATURATION_SLOPE), 0);
    EXPECT_EQ(zeltra5_field_defined(0, 0, FIELD_COMPRESSIBILITY_FACTOR), 0);
}

TEST(ModelConstants, TheRegistrysModelAndItsOwnEquilibrium) {
    ASSERT_EQ(zeltra5_model_constant_count(), MODEL_SUMMARY_COUNT);
    double values[MODEL_SUMMARY_COUNT + 1];
    std::fill(std::begin(values), std::end(values), CANARY);
    ASSERT_EQ(zeltra5_model_constants("tr1993", values, MODEL_SUMMARY_COUNT), ZELTRA5_VALID);
    EXPECT_EQ(values[MODEL_SUMMARY_COUNT], CANARY);
    double default_model[MODEL_SUMMARY_COUNT];
    ASSERT_EQ(zeltra5_model_constants(nullptr, default_model, MODEL_SUMMARY_COUNT), ZELTRA5_VALID);
    for (int k = 0; k < MODEL_SUMMARY_COUNT; ++k) {
        EXPECT_EQ(values[k], default_model[k]);
        EXPECT_STREQ(zeltra5_model_constant_name(k), MODEL_SUMMARY_ITEMS[k].name);
        EXPECT_STREQ(zeltra5_model_constant_unit(k), MODEL_SUMMARY_ITEMS[k].unit);
    }
    EXPECT_EQ(zeltra5_model_constant_name(MODEL_SUMMARY_COUNT), nullptr);
    EXPECT_NEAR(values[0], 0.01703026, 1e-12);        // kg/mol
    EXPECT_NEAR(values[0] * values[1], 8.314, 1e-3);  // M R = the molar gas constant
    EXPECT_NEAR(values[2], 405.5, 0.1);               // K
    EXPECT_EQ(values[5], 196.15);                     // -77 degC, K
    // The triple point's pressure is the domain's lowest, the saturation pressure there.
    EXPECT_NEAR(values[6], DEFAULT_CONSTANTS.domain.min_pressure, 1e-6);
    EXPECT_GT(values[7], 700.0);
    EXPECT_LT(values[8], 0.1);
    // The vapour there is almost an ideal gas.
    EXPECT_NEAR(values[6] / (values[8] * values[1] * values[5]), 1.0, 0.01);
    // The 2023 equation's triple point as its paper gives it, not a rounding away (195.49 K is
    // -77.66000000000003 degC in doubles), with its own equilibrium there.
    ASSERT_EQ(zeltra5_model_constants("gao2023", values, MODEL_SUMMARY_COUNT), ZELTRA5_VALID);
    EXPECT_EQ(values[5], 195.49);
    EXPECT_NEAR(values[6], 6053.39, 0.01);  // Pa
    EXPECT_EQ(zeltra5_model_constants("nope", values, MODEL_SUMMARY_COUNT), ZELTRA5_BAD_ARGUMENT);
    EXPECT_EQ(zeltra5_model_constants("tr1993", values, MODEL_SUMMARY_COUNT - 1),
              ZELTRA5_BAD_ARGUMENT);
}

}  // namespace
}  // namespace zeltra5
