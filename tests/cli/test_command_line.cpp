// The command line in process: display units converted as the Windows program converts them,
// the superheat option, the saturated tables and the exit codes.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "zeltra5/calc.hpp"
#include "zeltra5/cli/command_line.hpp"

namespace zeltra5::cli {
namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

Outcome run(std::vector<const char*> args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int code = run_command_line(static_cast<int>(args.size()), args.data(), in, out, err);
    return {code, out.str(), err.str()};
}

std::string json_field(const std::string& json, const std::string& name) {
    const std::string key = "\"" + name + "\": ";
    const std::size_t at = json.find(key);
    if (at == std::string::npos) {
        return "";
    }
    const std::size_t start = at + key.size();
    return json.substr(start, json.find_first_of(",\n", start) - start);
}

struct ConversionCase {
    std::vector<const char*> args;
    int mode;
    int side;
    const char* first;
    const char* second;
};

class Conversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(Conversion, RequestInSiUnits) {
    const ConversionCase& c = GetParam();
    std::vector<const char*> args = c.args;
    args.push_back("--json");
    const Outcome r = run(args);
    EXPECT_EQ(json_field(r.out, "mode"), std::to_string(c.mode));
    EXPECT_EQ(json_field(r.out, "side"), std::to_string(c.side));
    EXPECT_EQ(json_field(r.out, "first_value"), c.first);
    EXPECT_EQ(json_field(r.out, "second_value"), c.second);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, Conversion,
    ::testing::Values(ConversionCase{{"p-x", "5", "0.25"}, 0, 0, "500000", "0.25"},
                      ConversionCase{{"ps-liquid", "5"}, 1, 1, "500000", "0"},
                      ConversionCase{{"ps-vapour", "5"}, 1, 2, "500000", "1"},
                      ConversionCase{{"ts-liquid", "-20"}, 2, 1, "-20", "0"},
                      ConversionCase{{"ts-vapour", "-20", "--superheat"}, 2, 2, "-20", "1"},
                      ConversionCase{{"p-t", "7.7", "-50"}, 3, 0, "770000", "-50"},
                      ConversionCase{{"p-t", "1", "-10", "--superheat"}, 3, 1, "100000", "-10"},
                      ConversionCase{{"p-h", "20", "1700"}, 4, 0, "2000000", "1700000"},
                      ConversionCase{{"p-u", "20", "1500"}, 5, 0, "2000000", "1500000"},
                      ConversionCase{{"p-s", "20", "6"}, 6, 0, "2000000", "6000"},
                      ConversionCase{{"p-rho", "20", "600"}, 7, 0, "2000000", "600"},
                      ConversionCase{{"t-rho", "20", "600"}, 8, 0, "20", "600"},
                      ConversionCase{{"p-h", "2e6", "1.7e6", "--si"}, 4, 0, "2000000", "1700000"}));

TEST(CommandLine, TableIsTwentyRows) {
    const Outcome r = run({"p-t", "10", "25"});
    EXPECT_EQ(r.code, EXIT_VALID);
    std::istringstream lines(r.out);
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        ++count;
    }
    EXPECT_EQ(count, 20);
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

TEST_P(ExitCodes, CodeAndMessage) {
    const Outcome r = run(GetParam().args);
    EXPECT_EQ(r.code, GetParam().code);
    EXPECT_NE(r.err.find(GetParam().err), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, ExitCodes,
    ::testing::Values(ExitCase{{"p-t", "10", "500"}, 1, "Параметры вне области определения"},
                      ExitCase{{"ts-liquid", "140"}, 1, "Параметры вне области определения"},
                      ExitCase{{"p-t", "1e305", "25"}, 1, "Параметры вне области определения"},
                      ExitCase{{}, 2, "usage"}, ExitCase{{"p-t"}, 2, "Не задан параметр !"},
                      ExitCase{{"p-t", "", "25"}, 2, "Не задан параметр !"},
                      ExitCase{{"p-t", "10", "2,5"}, 2, "Неверный формат числа !"},
                      ExitCase{{"p-t", "inf", "25"}, 2, "Неверный формат числа !"},
                      ExitCase{{"p-t", "1e999", "25"}, 2, "Неверный формат числа !"},
                      ExitCase{{"p-t", "10", "25", "7"}, 2, "too many values"},
                      ExitCase{{"ps-liquid", "5", "0"}, 2, "takes one value"},
                      ExitCase{{"P-T", "10", "25"}, 2, "unknown mode"},
                      ExitCase{{"p-t", "10", "25", "--table"}, 2, "--table needs"},
                      ExitCase{{"p-t", "10", "25", "--table", "gas"}, 2, "--table needs"},
                      ExitCase{{"--batch", "p-t"}, 2, "--batch takes no other arguments"}));

TEST(CommandLine, BatchReadsStandardInputAndExitsZero) {
    const Outcome r = run({"--batch"}, "3,0,1e6,25\n9,0,1,1\nbad\n");
    EXPECT_EQ(r.code, EXIT_VALID);
    EXPECT_NE(r.out.find("\n0,"), std::string::npos);
    EXPECT_NE(r.out.find("\n1,"), std::string::npos);
    EXPECT_NE(r.out.find("\nerror,"), std::string::npos);
}

TEST(CommandLine, Help) {
    const Outcome r = run({"--help"});
    EXPECT_EQ(r.code, EXIT_VALID);
    EXPECT_NE(r.out.find("usage"), std::string::npos);
}

}  // namespace
}  // namespace zeltra5::cli
