// The table, cycle and diagram commands in process: machine output that reads back as the
// library's numbers, the cycle's JSON members, and the messages and exit codes of bad requests.

#include <gtest/gtest.h>

#include <charconv>
#include <sstream>
#include <string>
#include <vector>

#include "run_in_process.hpp"
#include "zeltra5/calculation.hpp"
#include "zeltra5/refrigeration_cycle.hpp"

namespace zeltra5::cli {
namespace {

std::vector<std::string> split(const std::string& text, const char by) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(by); at != std::string::npos; at = text.find(by, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

double read(const std::string& text) {
    double v = std::nan("");
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

// Each CSV row of a table reads back, cell by cell, as the single request of its row's pair and
// values: the same doubles, empty where the field is undefined.
TEST(TablesCommands, TableCsvRowsAreTheSingleRequests) {
    const std::vector<std::vector<const char*>> commands = {
        {"table", "saturation", "t=-70:130:25", "--csv"},
        {"table", "isobar", "p=10", "t=-50:200:50", "--csv"},
        {"table", "isotherm", "t=298.15", "p=1e5:1e7:*3", "--csv", "--si"},
        {"table", "isobar", "p=145", "t=-40:300:40", "--csv", "--units", "p=psi,t=degF"},
        {"table", "isochore", "rho=100", "t=-50:300:100", "--csv", "--reference", "iir"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(std::string(args[1]) + " " + args[2]);
        const Outcome o = run(args);
        ASSERT_EQ(o.code, EXIT_VALID) << o.err;
        const std::vector<std::string> lines = split(o.out, '\n');
        ASSERT_GT(lines.size(), 4u);
        EXPECT_EQ(lines[0].rfind("row,status,error,pair,first_value,second_value,", 0), 0u);
        // The units as the command was given them.
        Units units = DISPLAY_UNITS;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (std::string(args[i]) == "--si") {
                units = SI_UNITS;
            } else if (std::string(args[i]) == "--units") {
                ASSERT_TRUE(parse_units(args[i + 1], DISPLAY_UNITS, units));
            }
        }
        const bool iir = std::string(args.back()) == "iir";
        const CalcOptions options{units, iir ? ReferenceState::iir : ReferenceState::program,
                                  false};
        for (std::size_t i = 2; i + 1 < lines.size(); ++i) {
            const std::vector<std::string> cells = split(lines[i], ',');
            ASSERT_GE(cells.size(), 6u + RESULT_VALUE_COUNT);
            StateResult want;
            calculate_state(*find_arg_pair(cells[3]), read(cells[4]), read(cells[5]), options,
                            want);
            EXPECT_EQ(cells[1], std::to_string(want.status));
            for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
                const std::string& cell = cells[6 + static_cast<std::size_t>(k)];
                if (std::isnan(want.values[k])) {
                    EXPECT_EQ(cell, "") << RESULT_FIELDS[k].name;
                } else {
                    EXPECT_EQ(read(cell), want.values[k]) << RESULT_FIELDS[k].name;
                }
            }
        }
    }
}

TEST(TablesCommands, CycleJsonHasTheFiguresAndTheFourStates) {
    const Outcome o =
        run({"cycle", "--evaporating", "-10", "--condensing", "35", "--superheat", "5",
             "--subcooling", "0", "--efficiency", "0.75", "--capacity", "100", "--json"});
    ASSERT_EQ(o.code, EXIT_VALID) << o.err;
    CycleResult c;
    calculate_cycle({-10.0, 35.0, 5.0, 0.0, 0.75, 100.0},
                    {DISPLAY_UNITS, ReferenceState::program, false}, c);
    for (const char* key : {"cop", "refrigerating_effect", "compressor_work", "heat_rejected",
                            "discharge_temperature", "pressure_ratio", "volumetric_capacity",
                            "mass_flow", "displacement"}) {
        const std::string member = std::string("\n  \"") + key + "\": ";
        const std::size_t at = o.out.find(member);
        ASSERT_NE(at, std::string::npos) << key;
        const std::size_t start = at + member.size();
        const double v = read(o.out.substr(start, o.out.find(',', start) - start));
        int k = 0;
        while (std::string(CYCLE_FIGURES[k].name) != key) {
            ++k;
        }
        EXPECT_EQ(v, c.figures[k]) << key;
    }
    // The states in order, suction first, each a full result.
    const std::size_t states = o.out.find("\"states\": [");
    ASSERT_NE(states, std::string::npos);
    std::size_t at = states;
    for (const char* name : {"suction", "discharge", "liquid", "evaporator inlet"}) {
        at = o.out.find(std::string("\"state\": \"") + name + "\"", at);
        ASSERT_NE(at, std::string::npos) << name;
    }
    EXPECT_NE(o.out.find("\"specific_enthalpy\": 509.2", states), std::string::npos);
    EXPECT_NE(o.out.find("\"displacement\": \"m3/h\""), std::string::npos);
}

TEST(TablesCommands, BadRequestsAreRefusedWithAReason) {
    struct Case {
        std::vector<const char*> args;
        int code;
        const char* err;
    };
    const Case cases[] = {
        {{"table"}, EXIT_USAGE, "no kind of table given"},
        {{"table", "isobar", "p=10", "t=0:10:0"}, EXIT_USAGE, "range \"0:10:0\": the step is zero"},
        {{"table", "isobar", "p=10", "t=0:10:-1"}, EXIT_USAGE, "leads away from the last value"},
        {{"table", "isobar", "p=10", "t=0:1e9:0.001"}, EXIT_USAGE, "more than 10000 values"},
        {{"table", "isobar", "t=0:100:10"}, EXIT_USAGE, "no p=VALUE given"},
        {{"table", "isobar", "p=10", "rho=5"}, EXIT_USAGE, "takes p=VALUE and t=RANGE"},
        {{"table", "saturation", "t=200:300:50"}, EXIT_OUTSIDE_DOMAIN, "every row is outside"},
        {{"table", "saturation", "t=0", "--superheat"}, EXIT_USAGE, "does not apply"},
        {{"table", "isentrope"}, EXIT_USAGE, "unknown kind of table"},
        {{"cycle", "--evaporating", "-10"}, EXIT_USAGE, "--condensing TC is missing"},
        {{"cycle", "--evaporating", "263.15", "--condensing", "413.15", "--si"},
         EXIT_OUTSIDE_DOMAIN,
         "condensing temperature 413.15 K is above the saturation limit near the critical point, 405.4"},
        {{"cycle", "--evaporating", "14", "--condensing", "95", "--superheat", "-9", "--units", "t=degF"},
         EXIT_OUTSIDE_DOMAIN,
         "superheat -9 °F is negative"},
        {{"cycle", "--evaporating", "-10", "--condensing", "x"}, EXIT_USAGE, "takes a number"},
        {{"cycle", "--evaporating", "-10", "--condensing", "35", "--efficiency", "1.5"},
         EXIT_OUTSIDE_DOMAIN,
         "isentropic efficiency 1.5 is outside (0, 1]"},
        {{"cycle", "--evaporating", "-10", "--condensing", "140"},
         EXIT_OUTSIDE_DOMAIN,
         "above the saturation limit near the critical point"},
        {{"diagram", "hs"}, EXIT_USAGE, "unknown kind of diagram"},
        {{"diagram", "ph", "--isotherms", "1:2:0"}, EXIT_USAGE, "the step is zero"},
        {{"diagram", "ph", "--state", "p-t", "10"}, EXIT_USAGE, "p-t takes two values"},
        {{"diagram", "ph", "--evaporating", "-10"}, EXIT_USAGE, "go with --cycle"},
        {{"diagram", "ph", "--cycle", "--evaporating", "40", "--condensing", "35", "--lang", "ru"},
         EXIT_OUTSIDE_DOMAIN,
         "evaporating temperature 40 °C is not below"},
        {{"diagram", "ph", "--state", "p-t", "10", "500"},
         EXIT_OUTSIDE_DOMAIN,
         "temperature 500 °C is above 450 °C"},
        {{"diagram", "ph", "--y", "0:100"}, EXIT_USAGE, "above zero"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        const Outcome o = run(c.args);
        EXPECT_EQ(o.code, c.code);
        EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
    }
}

// The diagram as SVG on standard output, its points as CSV with a units line.
TEST(TablesCommands, DiagramWritesSvgAndPoints) {
    const Outcome svg = run({"diagram", "ts", "--isobars", "1,10", "--lang", "en"});
    ASSERT_EQ(svg.code, EXIT_VALID) << svg.err;
    EXPECT_EQ(svg.out.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.out.find("Ammonia (R717): T-s diagram"), std::string::npos);
    EXPECT_NE(svg.out.find(">10 bar<"), std::string::npos);
    const Outcome csv = run({"diagram", "ph", "--csv", "--isotherms", "273.15", "--isentropes",
                             "none", "--isochores", "none", "--qualities", "none", "--si"});
    ASSERT_EQ(csv.code, EXIT_VALID) << csv.err;
    const std::vector<std::string> lines = split(csv.out, '\n');
    EXPECT_EQ(lines[0], "line,kind,value,label,x,y");
    EXPECT_EQ(lines[1], "units,,,,J/kg,Pa");
    EXPECT_NE(csv.out.find(",isotherm,273.15,273.15 К,"), std::string::npos);  // Russian by default
    const Outcome help = run({"--help"});
    for (const char* example :
         {"zeltra5-calc table saturation t=-70:130:5", "zeltra5-calc cycle --evaporating -10",
          "zeltra5-calc diagram ph --out ph.svg"}) {
        EXPECT_NE(help.out.find(example), std::string::npos) << example;
    }
}

}  // namespace
}  // namespace zeltra5::cli
