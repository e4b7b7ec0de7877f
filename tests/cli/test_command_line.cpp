// The command line in process: units for input and output alike, reference states, undefined
// fields, languages, the saturated tables, the messages and the exit codes.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "run_in_process.hpp"
#include "zeltra5/calculation.hpp"

namespace zeltra5::cli {
namespace {

// The text after a top-level member "name": up to the end of its line, without the comma.
std::string json_field(const std::string& json, const std::string& name) {
    const std::string key = "\n  \"" + name + "\": ";
    const std::size_t at = json.find(key);
    if (at == std::string::npos) {
        return "<missing>";
    }
    const std::size_t start = at + key.size();
    std::string value = json.substr(start, json.find('\n', start) - start);
    if (!value.empty() && value.back() == ',') {
        value.pop_back();
    }
    return value;
}

// Undefined is not zero: JSON writes null and CSV an empty cell exactly where the table is blank.
TEST(CommandLine, UndefinedFieldsAreNullAndEmpty) {
    const std::vector<std::vector<const char*>> requests = {
        {"p-x", "5", "0.3"},  {"p-t", "200", "200"}, {"p-t", "10", "25"},
        {"p-t", "10", "-10"}, {"ts-vapour", "0"},    {"t-rho", "20", "300"}};
    for (std::vector<const char*> args : requests) {
        SCOPED_TRACE(std::string(args[0]) + " " + args[1]);
        args.push_back("--json");
        const Outcome json = run(args);
        ASSERT_EQ(json.code, EXIT_VALID) << json.err;
        args.back() = "--csv";
        const Outcome csv = run(args);
        const std::vector<std::string> lines = lines_of(csv.out);
        ASSERT_EQ(lines.size(), 3u);
        const std::vector<std::string> header = cells_of(lines[0]);
        const std::vector<std::string> row = cells_of(lines[2]);
        ASSERT_EQ(header.size(), row.size());
        const int phase = std::stoi(json_field(json.out, "phase"));
        const int detail = std::stoi(json_field(json.out, "phase_detail"));
        for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
            const std::string name = RESULT_FIELDS[k].name;
            const bool defined = result_field_defined(phase, detail, k);
            EXPECT_EQ(json_field(json.out, name) == "null", !defined) << name;
            EXPECT_EQ(row[6 + static_cast<std::size_t>(k)].empty(), !defined) << name;
            EXPECT_EQ(header[6 + static_cast<std::size_t>(k)], name);
        }
    }
}

// One choice of units for input and output, stated in the output: 10 bar and 25 °C in each.
TEST(CommandLine, UnitsApplyToInputAndOutput) {
    struct Case {
        std::vector<const char*> args;
        const char* pressure;
        const char* enthalpy_prefix;
        const char* pressure_unit;
        const char* enthalpy_unit;
        double temperature;
        const char* temperature_unit;
        const char* system;
    };
    const Case cases[] = {
        {{"p-t", "10", "25", "--json"}, "10", "1626.84", "bar", "kJ/kg", 25.0, "°C", "display"},
        {{"p-t", "1e6", "298.15", "--si", "--json"},
         "1000000", "1626842.16", "Pa", "J/kg", 298.15, "K", "si"},
        {{"p-h", "1e6", "1626842.1603885638", "--units", "si", "--json"},
         "1000000", "1626842.16", "Pa", "J/kg", 298.15, "K", "si"},
        {{"p-t", "1e6", "25", "--units", "si-celsius", "--json"},
         "1000000", "1626842.16", "Pa", "J/kg", 25.0, "°C", "si-celsius"},
        {{"p-s", "10", "5.7927165225763115", "--json"},
         "10", "1626.84", "bar", "kJ/kg", 25.0, "°C", "display"},
        {{"p-t", "1000", "298.15", "--units", "p=kPa,t=K", "--json"},
         "1000", "1626.84", "kPa", "kJ/kg", 298.15, "K", "display,p=kPa,t=K"},
        {{"p-t", "1", "77", "--units", " si , p = MPa , t=degF, h=kJ/kg", "--json"},
         "1", "1626.84", "MPa", "kJ/kg", 77.0, "°F", "si,p=MPa,t=degF,h=kJ/kg"},
        {{"p-t", "145.03773773020922", "25", "--units", "display,p=psi", "--json"},
         "145.03773773020922", "1626.84", "psi", "kJ/kg", 25.0, "°C", "display,p=psi"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.system);
        const Outcome r = run(c.args);
        ASSERT_EQ(r.code, EXIT_VALID) << r.err;
        EXPECT_EQ(json_field(r.out, "pressure"), c.pressure);
        EXPECT_EQ(json_field(r.out, "specific_enthalpy").rfind(c.enthalpy_prefix, 0), 0u) << r.out;
        const auto named = [&](const char* field, const char* unit) {
            std::string key = "\"";
            key.append(field).append("\": \"").append(unit).append("\"");
            return r.out.find(key) != std::string::npos;
        };
        EXPECT_TRUE(named("pressure", c.pressure_unit)) << r.out;
        EXPECT_TRUE(named("specific_enthalpy", c.enthalpy_unit)) << r.out;
        EXPECT_TRUE(named("temperature", c.temperature_unit)) << r.out;
        EXPECT_TRUE(named("system", c.system)) << r.out;
        EXPECT_NEAR(std::stod(json_field(r.out, "temperature")), c.temperature, 1e-8);
    }
    const std::vector<std::string> csv =
        lines_of(run({"p-t", "10", "298.15", "--csv", "--si"}).out);
    ASSERT_GE(csv.size(), 2u);
    EXPECT_EQ(cells_of(csv[1])[7], "Pa");
    EXPECT_EQ(cells_of(csv[1])[8], "K");
}

// Reference states shift h, u and s of outputs and read inputs on the same reference.
TEST(CommandLine, ReferenceStates) {
    struct Case {
        std::vector<const char*> args;
        const char* enthalpy;
        const char* entropy;
    };
    const Case cases[] = {{{"ts-liquid", "0", "--reference", "iir", "--json"}, "200", "1"},
                          {{"ts-liquid", "-40", "--reference=ashrae", "--json"}, "0", "0"},
                          {{"ps-liquid", "1.01325", "--reference", "nbp", "--json"}, "0", "0"},
                          {{"ts-liquid", "0", "--json"}, "343.1460825826388", "1.471590407678557"}};
    for (const Case& c : cases) {
        const Outcome r = run(c.args);
        ASSERT_EQ(r.code, EXIT_VALID) << r.err;
        EXPECT_EQ(json_field(r.out, "specific_enthalpy"), c.enthalpy) << r.out;
        EXPECT_EQ(json_field(r.out, "specific_entropy"), c.entropy);
    }
    // An enthalpy given on the IIR reference is read on it.
    const Outcome pt = run({"p-t", "10", "60", "--reference", "iir", "--json"});
    const std::string h = json_field(pt.out, "specific_enthalpy");
    const Outcome ph = run({"p-h", "10", h.c_str(), "--reference", "iir", "--json"});
    EXPECT_NEAR(std::stod(json_field(ph.out, "temperature")), 60.0, 1e-8);
    EXPECT_EQ(json_field(ph.out, "specific_enthalpy"), h);
}

TEST(CommandLine, EnglishTable) {
    const Outcome r = run({"p-t", "10", "-10", "--lang", "en"});
    ASSERT_EQ(r.code, EXIT_VALID);
    for (const char* text : {" Phase                         Subcooled liquid\n",
                             " Pressure                      10                     bar\n",
                             " Surface tension               0.0", "N/m\n"}) {
        EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
    }
    EXPECT_NE(run({"p-t", "10", "-10", "--lang", "en", "--json"}).out.find("\"Subcooled liquid\""),
              std::string::npos);
}

TEST(CommandLine, TableIsTwentyRows) {
    const Outcome r = run({"p-t", "10", "25"});
    EXPECT_EQ(r.code, EXIT_VALID);
    EXPECT_EQ(lines_of(r.out).size(), 20u);
    EXPECT_NE(r.out.find(" Давление                        10                     бар\n"),
              std::string::npos)
        << r.out;
    EXPECT_TRUE(r.err.empty());
}

TEST(CommandLine, SaturatedTablesAtTheResultPressure) {
    const Outcome all = run({"p-t", "5", "-10", "--table", "all"});
    EXPECT_EQ(all.code, EXIT_VALID);
    EXPECT_NE(all.out.find("saturated liquid\n Фазовое состояние               Насыщенная ж-ть"),
              std::string::npos)
        << all.out;
    EXPECT_NE(all.out.find("saturated vapour\n Фазовое состояние               Насыщенный пар"),
              std::string::npos);
    // The liquid alone: one table of twenty rows, no heading.
    const Outcome liquid = run({"p-t", "5", "-10", "--table", "liquid"});
    EXPECT_EQ(lines_of(liquid.out).size(), 20u);
    EXPECT_NE(liquid.out.find("Насыщенная ж-ть"), std::string::npos);
    const Outcome vapour = run({"p-t", "5", "-10", "--table=vapour", "--json"});
    EXPECT_NE(vapour.out.find("\"saturated_vapour\""), std::string::npos);
    EXPECT_EQ(vapour.out.find("\"saturated_liquid\""), std::string::npos);
    // None for a supercritical state.
    const Outcome super = run({"p-t", "200", "200", "--table", "all"});
    EXPECT_EQ(super.code, EXIT_VALID);
    EXPECT_EQ(super.out.find("saturated"), std::string::npos);
    EXPECT_NE(super.err.find("supercritical"), std::string::npos);
}

struct ExitCase {
    std::vector<const char*> args;
    int code;
    const char* err;
};

class ExitCodes : public ::testing::TestWithParam<ExitCase> {};

// Messages say what is wrong, in English, prefixed with the tool's name.
TEST_P(ExitCodes, CodeAndMessage) {
    const Outcome r = run(GetParam().args);
    EXPECT_EQ(r.code, GetParam().code);
    EXPECT_NE(r.err.find(GetParam().err), std::string::npos) << r.err;
    if (GetParam().code != EXIT_VALID && !GetParam().args.empty()) {
        EXPECT_EQ(r.err.rfind("zeltra5-calc: ", 0), 0u) << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, ExitCodes,
    ::testing::Values(
        ExitCase{{"p-t", "10", "500"}, 1, "outside the domain: temperature 500 °C is above 450 °C"},
        ExitCase{{"p-t", "10", "60", "--superheat"},
                 1,
                 "with --superheat: 60 °C is above the liquid's superheat limit at 10 bar, 43.6"},
        ExitCase{{"ts-liquid", "140"}, 1, "temperature 140 °C is above 132.3401629673764 °C"},
        ExitCase{{"p-t", "0.064", "25"}, 1, "pressure 0.064 bar is below 0.06417"},
        ExitCase{{"p-t", "1e305", "25"}, 1, "pressure 1e+305 bar is too large"},
        ExitCase{{"p-t", "1e300", "25"}, 1, "pressure 1e+300 bar is above 844.74590247429"},
        ExitCase{{}, 2, "usage"}, ExitCase{{"p-t"}, 2, "p-t takes two values"},
        ExitCase{{"p-t", "", "25"}, 2, "pressure: \"\" is not a number"},
        ExitCase{{"p-t", "10", "2,5"}, 2, "temperature: \"2,5\" is not a number"},
        ExitCase{{"p-x", "10", "x"}, 2, "quality: \"x\" is not a number"},
        ExitCase{{"p-t", "inf", "25"}, 2, "pressure: \"inf\" is not a number"},
        ExitCase{{"p-t", "1e999", "25"}, 2, "is not a number"},
        ExitCase{{"p-t", "10", "25", "7"}, 2, "too many values"},
        ExitCase{{"ps-liquid", "5", "0"}, 2, "ps-liquid takes one value"},
        ExitCase{{"ts-liquid", "20", "--superheat"}, 2, "--superheat does not apply to ts-liquid"},
        ExitCase{{"P-T", "10", "25"}, 2, "unknown argument pair \"P-T\""},
        ExitCase{{"p-t", "10", "25", "--table"}, 2, "--table takes"},
        ExitCase{{"p-t", "10", "25", "--table", "gas"}, 2, "--table takes"},
        ExitCase{{"p-t", "10", "25", "--units", "imperial"}, 2, "--units takes si, si-celsius or display, then p="},
        ExitCase{{"p-t", "10", "25", "--units", "p=kPa,p=bar"}, 2, "--units takes"},
        ExitCase{{"p-t", "10", "25", "--units", "t=kPa"}, 2, "--units takes"},
        ExitCase{{"p-t", "10", "25", "--units", "p=kPa,si"}, 2, "--units takes"},
        ExitCase{{"p-t", "10", "25", "--units", "si,"}, 2, "--units takes"},
        ExitCase{{"p-t", "10", "25", "--units", "p=pa"}, 2, "--units takes"},
        ExitCase{{"p-t", "10", "25", "--units", ""}, 2, "--units takes"},
        ExitCase{{"p-t", "10", "25", "--reference", "x"}, 2, "--reference takes"},
        ExitCase{{"p-t", "10", "25", "--lang", "de"}, 2, "--lang takes ru or en"},
        ExitCase{{"p-t", "10", "25", "--json", "--csv"}, 2, "exclude each other"},
        ExitCase{{"p-t", "10", "25", "--threads", "2"}, 2, "--threads applies to --batch only"},
        ExitCase{{"--batch", "p-t"}, 2, "takes no pair or values"},
        ExitCase{{"--batch", "--threads", "0"}, 2, "--threads takes"},
        ExitCase{{"p-t", "10", "--frobnicate"}, 2, "unknown option --frobnicate"}));

TEST(CommandLine, BatchExitsNonZeroAfterAnsweringEveryLine) {
    const Outcome bad = run({"--batch"}, "3,0,10,25\nbad\n3,0,10,500\n");
    EXPECT_EQ(bad.code, EXIT_USAGE);
    EXPECT_EQ(lines_of(bad.out).size(), 5u);  // two header lines, three answers
    const Outcome good = run({"--batch", "--si"}, "3,0,1e6,298.15\n3,0,1e6,900\n");
    EXPECT_EQ(good.code, EXIT_VALID);
}

TEST(CommandLine, HelpAnywhereAndVersion) {
    for (const std::vector<const char*>& args :
         {std::vector<const char*>{"--help"}, {"p-t", "10", "-h"}, {"--frobnicate", "--help"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.code, EXIT_VALID);
        EXPECT_EQ(r.out.rfind("usage: zeltra5-calc", 0), 0u);
    }
    const Outcome v = run({"p-t", "--version"});
    EXPECT_EQ(v.code, EXIT_VALID);
    EXPECT_EQ(v.out, std::string("zeltra5-calc ") + library_version() + "\n");
}

}  // namespace
}  // namespace zeltra5::cli
