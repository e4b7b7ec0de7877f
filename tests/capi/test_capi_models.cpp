// The model choice through the C interface: the option model= gives the library's results of
// that model bit for bit (states, every field, tables, cycles), the paper's check values of the
// 2023 equation come through, options without it stay the default's, an unknown model is refused
// and explained with the choices, and the options and the registry say which model they name.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "zeltra5.h"
#include "zeltra5/calculation.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/property_table.hpp"
#include "zeltra5/refrigeration_cycle.hpp"

namespace zeltra5 {
namespace {

bool same(const double a, const double b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

int model_named(const char* name) {
    const int model = find_model_index(name);
    EXPECT_GE(model, 0) << name;
    return model;
}

struct ModelRequest {
    const char* pair;
    double first;
    double second;
    const char* options;  // the C options without the model
    bool display;         // units=display in them
    ReferenceState reference;
};

const ModelRequest MODEL_REQUESTS[] = {
    {"p-t", 1e6, 298.15, "", false, ReferenceState::program},
    {"t-rho", 320.0, 596.0682, "", false, ReferenceState::program},
    {"p-h", 10.0, 1500.0, "units=display;reference=iir", true, ReferenceState::iir},
    {"p-x", 5e5, 0.3, "reference=ashrae", false, ReferenceState::ashrae},
    {"ts-vapour", 250.0, 0.0, "reference=nbp", false, ReferenceState::nbp},
    {"h-s", 1.6e6, 5500.0, "", false, ReferenceState::program},
    {"p-t", 1e6, 900.0, "", false, ReferenceState::program},  // outside the domain
};

std::string with_model(const ModelRequest& q, const char* model) {
    std::string options = q.options;
    if (model != nullptr) {
        options += options.empty() ? "" : "; ";
        options += "model=";
        options += model;
    }
    return options;
}

StateResult library_state(const ModelRequest& q, const int model) {
    CalcOptions o;
    o.units = q.display ? DISPLAY_UNITS : SI_UNITS;
    o.reference = q.reference;
    o.model = model;
    StateResult r;
    calculate_state(*find_arg_pair(q.pair), q.first, q.second, o, r);
    return r;
}

class EveryModelRequest : public ::testing::TestWithParam<ModelRequest> {};

// Every field of every model is the library's calculate_state of that model, bit for bit; the
// default's options name no model or tr1993.
TEST_P(EveryModelRequest, EveryModelsFieldsAreTheLibrarysBitForBit) {
    const ModelRequest q = GetParam();
    // nullptr: options without model=, the default's.
    for (const char* name : {static_cast<const char*>(nullptr), "tr1993", "gao2023"}) {
        const std::string options = with_model(q, name);
        const StateResult r = library_state(q, name == nullptr ? DEFAULT_MODEL : model_named(name));
        double values[ZELTRA5_FIELD_COUNT_V2];
        int phase = 99;
        int detail = 99;
        const int status =
            zeltra5_calculate_fields(q.pair, q.first, q.second, options.c_str(), nullptr, values,
                                     ZELTRA5_FIELD_COUNT_V2, &phase, &detail);
        EXPECT_EQ(status, r.status) << options;
        EXPECT_EQ(phase, r.phase) << options;
        EXPECT_EQ(detail, r.phase_detail) << options;
        const AllFieldValues all = all_field_values(r);
        for (int k = 0; k < ZELTRA5_FIELD_COUNT_V2; ++k) {
            EXPECT_TRUE(same(values[k], all.value[k]))
                << q.pair << " " << options << " " << zeltra5_field_name_v2(k);
        }
        double v1[ZELTRA5_FIELD_COUNT];
        EXPECT_EQ(zeltra5_calculate(q.pair, q.first, q.second, options.c_str(), v1,
                                    ZELTRA5_FIELD_COUNT, nullptr, nullptr),
                  status);
        for (int k = 0; k < ZELTRA5_FIELD_COUNT; ++k) {
            EXPECT_TRUE(same(v1[k], values[k])) << options << " " << k;
        }
        int property_status = -1;
        EXPECT_TRUE(same(
            zeltra5_property_v2("h", q.pair, q.first, q.second, options.c_str(), &property_status),
            r.values[FIELD_ENTHALPY]));
        EXPECT_STREQ(zeltra5_options_model(options.c_str()), name == nullptr ? "tr1993" : name);
    }
}

// The models answer differently: the choice reaches the calculation.
TEST_P(EveryModelRequest, TheModelsDiffer) {
    const ModelRequest q = GetParam();
    const std::string tr = with_model(q, "tr1993");
    const std::string gao = with_model(q, "gao2023");
    double a[ZELTRA5_FIELD_COUNT];
    double b[ZELTRA5_FIELD_COUNT];
    const int sa =
        zeltra5_calculate(q.pair, q.first, q.second, tr.c_str(), a, ZELTRA5_FIELD_COUNT, 0, 0);
    const int sb =
        zeltra5_calculate(q.pair, q.first, q.second, gao.c_str(), b, ZELTRA5_FIELD_COUNT, 0, 0);
    ASSERT_EQ(sa, sb) << q.pair;
    if (sa == ZELTRA5_VALID) {
        int differing = 0;
        for (int k = 0; k < ZELTRA5_FIELD_COUNT; ++k) {
            differing += std::isnan(a[k]) || same(a[k], b[k]) ? 0 : 1;
        }
        EXPECT_GE(differing, 5) << q.pair;
    }
}

INSTANTIATE_TEST_SUITE_P(Models, EveryModelRequest, ::testing::ValuesIn(MODEL_REQUESTS));

// The 2023 paper's check values (t-rho; mol/dm3, MPa, J/(mol K), m/s, kJ/mol) as printed, to
// the printed digits. Its reference state puts u = s = 0 for the saturated liquid at the triple
// point, ours h = s = 0: its h is ours plus the model's saturated liquid enthalpy there.
struct CheckValue {
    double t;
    double rho;
    double p, cv, cp, w, h, s;
    int p_decimals, cv_decimals, cp_decimals, w_decimals, h_decimals, s_decimals;
};

const CheckValue CHECK_VALUES[] = {
    {320, 35, 27.63275, 46.95882, 78.92022, 1370.446, 9.831787, 36.0605, 5, 5, 5, 3, 6, 4},
    {380, 26, 8.174128, 47.82965, 125.1971, 668.5456, 15.45317, 53.81385, 6, 5, 4, 4, 5, 5},
    {405, 16.5, 11.25287, 77.13442, 4137.738, 247.2696, 20.13541, 65.30611, 5, 5, 3, 4, 5, 5},
    {406, 13.696, 11.45246, 103.0508, 52943.69, 225.4458, 21.3041, 68.15535, 5, 4, 2, 4, 4, 5},
    {275, 0.2, 0.4270652, 32.60471, 45.39676, 402.6253, 27.46383, 104.2956, 7, 5, 5, 4, 5, 4},
    {325, 0.95, 2.093496, 40.6866, 65.25439, 402.2104, 27.92681, 94.19375, 6, 4, 5, 4, 5, 5},
    {375, 3, 6.044096, 48.9189, 111.3738, 379.43, 27.45404, 86.36105, 6, 4, 4, 2, 5, 5},
    {405, 10, 11.2204, 77.15007, 2051.793, 286.2398, 23.20689, 72.89756, 4, 5, 3, 4, 5, 5},
    {520, 1.5, 5.96888, 36.52118, 49.38647, 538.8044, 36.23166, 106.6103, 5, 5, 5, 4, 5, 4},
    {520, 13.696, 35.83377, 43.66588, 98.36082, 555.4454, 28.71997, 80.49762, 5, 5, 5, 4, 5, 5},
    {620, 5.5, 24.38934, 41.29819, 61.81978, 588.0372, 38.40927, 100.0682, 5, 5, 5, 4, 5, 4},
    // Beyond the 2018 viscosity's 50 MPa: the state is valid, its viscosity empty.
    {250, 42, 108.7263, 50.25907, 72.04765, 2049.168, 5.715934, 14.26145, 4, 5, 5, 3, 6, 5},
    {520, 20, 56.3075, 43.81573, 87.32996, 741.1842, 26.48937, 73.89537, 4, 5, 5, 4, 5, 5},
    {620, 14, 58.52754, 43.50218, 75.46188, 692.5867, 34.49909, 87.78122, 5, 5, 5, 4, 5, 5},
};

constexpr double PAPER_MOLAR_MASS = 0.01703052;  // kg/mol
// gao2023's saturated liquid enthalpy at its triple point, J/kg (u = 0 there).
constexpr double PAPER_ENTHALPY_OFFSET = 8.2487599702945307;

TEST(Models, TheCheckValuesOfThe2023PaperToThePrintedDigits) {
    for (const CheckValue& c : CHECK_VALUES) {
        double v[ZELTRA5_FIELD_COUNT];
        ASSERT_EQ(zeltra5_calculate("t-rho", c.t, c.rho * PAPER_MOLAR_MASS * 1000.0,
                                    "model=gao2023", v, ZELTRA5_FIELD_COUNT, nullptr, nullptr),
                  ZELTRA5_VALID)
            << c.t << " " << c.rho;
        const double M = PAPER_MOLAR_MASS;
        const struct {
            const char* what;
            double computed, printed;
            int decimals;
        } checks[] = {
            {"p", v[FIELD_PRESSURE] / 1e6, c.p, c.p_decimals},
            {"cv", v[FIELD_CV] * M, c.cv, c.cv_decimals},
            {"cp", v[FIELD_CP] * M, c.cp, c.cp_decimals},
            {"w", v[FIELD_SPEED_OF_SOUND], c.w, c.w_decimals},
            {"h", (v[FIELD_ENTHALPY] + PAPER_ENTHALPY_OFFSET) * M / 1000.0, c.h, c.h_decimals},
            {"s", v[FIELD_ENTROPY] * M, c.s, c.s_decimals},
        };
        for (const auto& k : checks) {
            // Half a unit of the last printed digit, and a little for the printed value's own
            // binary rounding.
            EXPECT_NEAR(k.computed, k.printed, 0.5 * std::pow(10.0, -k.decimals) * (1 + 1e-9))
                << k.what << " at " << c.t << " K, " << c.rho << " mol/dm3";
        }
    }
}

TEST(Models, TablesAndCyclesOfAModelAreTheLibrarys) {
    const int gao = model_named("gao2023");
    CalcOptions o;
    o.model = gao;
    const std::vector<double> temperatures = {250.0, 300.0, 350.0};
    const PropertyTable table =
        build_property_table(TableKind::isobar, 1e6, temperatures, o, nullptr);
    std::vector<double> out(table.rows.size() * ZELTRA5_TABLE_COLUMNS);
    int rows = 0;
    ASSERT_EQ(zeltra5_table_values("isobar", 1e6, "250,300,350", "model=gao2023", out.data(),
                                   static_cast<int>(out.size()), &rows),
              ZELTRA5_VALID);
    ASSERT_EQ(rows, static_cast<int>(table.rows.size()));
    for (int i = 0; i < rows; ++i) {
        for (int k = 0; k < ZELTRA5_FIELD_COUNT; ++k) {
            EXPECT_TRUE(same(out[i * ZELTRA5_TABLE_COLUMNS + ZELTRA5_TABLE_FIELD_COLUMN + k],
                             table.rows[i].state.values[k]))
                << i << " " << k;
        }
    }
    CycleResult cycle;
    calculate_cycle({263.15, 308.15, 5.0, 2.0, 0.75, 100.0}, o, cycle);
    double figures[ZELTRA5_CYCLE_FIGURE_COUNT];
    double states[ZELTRA5_CYCLE_STATE_VALUES];
    ASSERT_EQ(zeltra5_cycle(263.15, 308.15, 5.0, 2.0, 0.75, 100.0, "model=gao2023", figures,
                            ZELTRA5_CYCLE_FIGURE_COUNT, states, ZELTRA5_CYCLE_STATE_VALUES),
              cycle.status);
    for (int k = 0; k < ZELTRA5_CYCLE_FIGURE_COUNT; ++k) {
        EXPECT_TRUE(same(figures[k], cycle.figures[k])) << k;
    }
    for (int k = 0; k < ZELTRA5_CYCLE_STATE_VALUES; ++k) {
        EXPECT_TRUE(
            same(states[k], cycle.states[k / ZELTRA5_FIELD_COUNT].values[k % ZELTRA5_FIELD_COUNT]))
            << k;
    }
    double default_figures[ZELTRA5_CYCLE_FIGURE_COUNT];
    zeltra5_cycle(263.15, 308.15, 5.0, 2.0, 0.75, 100.0, "", default_figures,
                  ZELTRA5_CYCLE_FIGURE_COUNT, nullptr, 0);
    EXPECT_FALSE(same(default_figures[0], figures[0]));  // the COP
}

struct BadModel {
    const char* options;
    const char* explanation;  // part of zeltra5_explain's text
};

const BadModel BAD_MODELS[] = {
    {"model=gao", "bad value \"gao\" of option \"model\" (tr1993, gao2023)"},
    {"model=", "bad value \"\" of option \"model\" (tr1993, gao2023)"},
    {"model=GAO2023", "bad value \"GAO2023\" of option \"model\""},
    {"model=tr1993;model=gao2023", "option \"model\" is given twice"},
    {"units=display;model=2", "bad value \"2\" of option \"model\""},
    {"model", "option \"model\" is not key=value"},
};

TEST(Models, AnUnknownModelIsRefusedNamingTheChoices) {
    for (const BadModel& b : BAD_MODELS) {
        double values[ZELTRA5_FIELD_COUNT];
        EXPECT_EQ(zeltra5_calculate("p-t", 1e6, 298.15, b.options, values, ZELTRA5_FIELD_COUNT,
                                    nullptr, nullptr),
                  ZELTRA5_BAD_ARGUMENT)
            << b.options;
        char text[256];
        zeltra5_explain("p-t", 1e6, 298.15, b.options, text, sizeof text);
        EXPECT_NE(std::string(text).find(b.explanation), std::string::npos) << text;
        EXPECT_EQ(zeltra5_options_model(b.options), nullptr) << b.options;
        EXPECT_EQ(zeltra5_table_csv("isobar", 1e6, "300", b.options, text, sizeof text), -1);
        EXPECT_EQ(zeltra5_cycle(263.15, 308.15, 5, 0, 1, 0, b.options, nullptr, 0, nullptr, 0),
                  ZELTRA5_BAD_ARGUMENT);
        EXPECT_EQ(zeltra5_field_unit(FIELD_PRESSURE, b.options), nullptr);
    }
    EXPECT_TRUE(std::isnan(zeltra5_property("h", "p-t", 1e6, 298.15, "model=none")));
}

TEST(Models, TheRegistrysModelsByIndexAndOptions) {
    ASSERT_EQ(zeltra5_model_count(), MODEL_COUNT);
    EXPECT_EQ(zeltra5_model_name(-1), nullptr);
    EXPECT_EQ(zeltra5_model_name(MODEL_COUNT), nullptr);
    EXPECT_STREQ(zeltra5_model_name(0), MODELS[DEFAULT_MODEL].name);
    for (int m = 0; m < zeltra5_model_count(); ++m) {
        const char* name = zeltra5_model_name(m);
        ASSERT_NE(name, nullptr);
        EXPECT_STREQ(name, MODELS[m].name);
        double constants[MODEL_SUMMARY_COUNT];
        EXPECT_EQ(zeltra5_model_constants(name, constants, MODEL_SUMMARY_COUNT), ZELTRA5_VALID);
        const std::string options = std::string(" units = display ; model = ") + name + " ";
        EXPECT_STREQ(zeltra5_options_model(options.c_str()), name);
    }
    EXPECT_STREQ(zeltra5_options_model(nullptr), "tr1993");
    EXPECT_STREQ(zeltra5_options_model(""), "tr1993");
    EXPECT_STREQ(zeltra5_options_model("units=display"), "tr1993");
    EXPECT_EQ(zeltra5_options_model("units=none"), nullptr);
}

std::string source_text(const char* path) {
    std::ifstream in(std::string(ZELTRA5_SOURCE_DIR) + "/" + path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The texts that list the choice by hand list every model of the registry, in its order.
TEST(Models, TheHeaderTheExcelModuleAndTheReadmeNameEveryModel) {
    // append, not operator+ (GCC 12's false -Wrestrict on concatenated strings).
    std::string item = "model=";
    for (int m = 0; m < MODEL_COUNT; ++m) {
        item.append(m == 0 ? "" : "|").append(MODELS[m].name);
    }
    std::string blanked = " ";
    blanked.append(item).append(" ");
    std::string quoted = "`";
    quoted.append(item).append("`");
    EXPECT_NE(source_text("capi/include/zeltra5.h").find(blanked), std::string::npos) << item;
    EXPECT_NE(source_text("capi/zeltra5.bas").find(blanked), std::string::npos) << item;
    EXPECT_NE(source_text("README.md").find(quoted), std::string::npos) << item;
}

}  // namespace
}  // namespace zeltra5
