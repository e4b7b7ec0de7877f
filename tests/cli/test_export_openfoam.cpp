// zeltra5-calc export-openfoam: the files parse as OpenFOAM's uniform tables, their values are
// the equation's at the nodes (a node outside the domain that of the nearest node of its isobar),
// bad options are refused naming the problem, and a failed write is an error, never success.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_in_process.hpp"
#include "zeltra5/calc.hpp"
#include "zeltra5/fluid_state.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::cli {
namespace {

struct UniformTable {
    double low[2] = {0, 0}, high[2] = {0, 0};
    int rows = 0, columns = 0;
    std::vector<double> values;
    std::string comment;
};

// Reads a table file as OpenFOAM's dictionary reader would see it: "//" comments, then
// "low (p T);", "high (p T);", "values M N ( (row) ... );". Fails the test on anything else.
UniformTable read_table(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream all;
    all << in.rdbuf();
    std::string text = all.str();
    UniformTable t;
    std::string body;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("//", 0) == 0) {
            t.comment += line + "\n";
        } else {
            body += line + "\n";
        }
    }
    for (char& c : body) {
        c = (c == '(' || c == ')' || c == ';') ? ' ' : c;
    }
    std::istringstream words(body);
    std::string word;
    words >> word >> t.low[0] >> t.low[1];
    EXPECT_EQ(word, "low");
    words >> word >> t.high[0] >> t.high[1];
    EXPECT_EQ(word, "high");
    words >> word >> t.rows >> t.columns;
    EXPECT_EQ(word, "values");
    for (std::string number; words >> number;) {
        char* end = nullptr;
        t.values.push_back(std::strtod(number.c_str(), &end));
        EXPECT_EQ(*end, '\0') << number;
    }
    EXPECT_EQ(t.values.size(), static_cast<std::size_t>(t.rows) * t.columns) << path;
    // The rows are parenthesised one a line.
    std::size_t rows = 0;
    for (std::size_t at = text.find("\n("); at != std::string::npos;
         at = text.find("\n(", at + 1)) {
        rows += text.compare(at, 3, "\n(\n") != 0;
    }
    EXPECT_EQ(rows, static_cast<std::size_t>(t.rows));
    return t;
}

std::filesystem::path fresh_dir(const char* name) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        (std::string("zeltra5-export-") + name + "-" +
         std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(dir);
    return dir;
}

// The equation's value of a record field at (p, T), NaN where refused or undefined.
double equation_value(int model, double p, double T, int field) {
    PropertyResult r{};
    Refusal why;
    if (calculate_request(model, {MODE_PRESSURE_TEMPERATURE, SIDE_NONE, p, T - KELVIN_OFFSET}, r,
                          why) != 0) {
        return NAN;
    }
    const double v = result_values(r).value[field];
    return (field == FIELD_CP || field == FIELD_CV || field == FIELD_CONDUCTIVITY ||
            field == FIELD_DYNAMIC_VISCOSITY) &&
                   r.phase == 0
               ? NAN
               : v;
}

struct FileField {
    const char* file;
    int field;
};
const FileField FILES[] = {{"rho", FIELD_DENSITY},
                           {"hs", FIELD_ENTHALPY},
                           {"es", FIELD_INTERNAL_ENERGY},
                           {"Cp", FIELD_CP},
                           {"Cv", FIELD_CV},
                           {"mu", FIELD_DYNAMIC_VISCOSITY},
                           {"kappa", FIELD_CONDUCTIVITY}};

struct GridCase {
    const char* model;
    const char* p_min;
    const char* p_max;
    const char* p_count;
    const char* t_min;
    const char* t_max;
    const char* t_count;
    bool some_outside;  // nodes below the lowest temperature or beyond a transport range
};

const GridCase GRIDS[] = {
    {"tr1993", "1e5", "5e6", "6", "250", "400", "7", false},
    {"tr1993", "1e4", "2e7", "5", "150", "500", "8", true},   // below -77 degC: filled in
    {"gao2023", "1e6", "3e8", "4", "260", "700", "5", true},  // viscosity ends at 50 MPa
};

TEST(ExportOpenFoam, FilesParseAndHoldTheEquationsValues) {
    for (const GridCase& g : GRIDS) {
        SCOPED_TRACE(std::string(g.model) + " T from " + g.t_min);
        const std::filesystem::path dir = fresh_dir(g.model);
        const std::string out = dir.string();
        const Outcome r = run({"export-openfoam", "--model", g.model, "--p-min", g.p_min, "--p-max",
                               g.p_max, "--p-count", g.p_count, "--t-min", g.t_min, "--t-max",
                               g.t_max, "--t-count", g.t_count, "--out", out.c_str()});
        ASSERT_EQ(r.code, EXIT_VALID) << r.err;
        EXPECT_NE(r.out.find(std::string("model ") + g.model), std::string::npos) << r.out;
        // Every grid here crosses the saturation line on some isobar, and says so.
        EXPECT_EQ(r.out.find(" 0 isobars crossing the saturation line"), std::string::npos)
            << r.out;
        const int model = find_model_index(g.model);
        long long filled_total = 0;
        for (const FileField& f : FILES) {
            SCOPED_TRACE(f.file);
            const UniformTable t = read_table(dir / f.file);
            ASSERT_EQ(t.rows, std::atoi(g.p_count));
            ASSERT_EQ(t.columns, std::atoi(g.t_count));
            EXPECT_EQ(t.low[0], std::atof(g.p_min));
            EXPECT_EQ(t.high[1], std::atof(g.t_max));
            for (int i = 0; i < t.rows; ++i) {
                const double p = i == t.rows - 1
                                     ? t.high[0]
                                     : t.low[0] + (t.high[0] - t.low[0]) * i / (t.rows - 1);
                // The equation's values along the isobar, and where each node's comes from.
                std::vector<double> row(static_cast<std::size_t>(t.columns));
                for (int j = 0; j < t.columns; ++j) {
                    const double T = j == t.columns - 1
                                         ? t.high[1]
                                         : t.low[1] + (t.high[1] - t.low[1]) * j / (t.columns - 1);
                    row[static_cast<std::size_t>(j)] = equation_value(model, p, T, f.field);
                }
                for (int j = 0; j < t.columns; ++j) {
                    const double got = t.values[static_cast<std::size_t>(i) * t.columns + j];
                    ASSERT_TRUE(std::isfinite(got));
                    double want = row[static_cast<std::size_t>(j)];
                    for (int d = 1; std::isnan(want) && d < t.columns; ++d) {
                        // The nearest node of the isobar with a value, the lower on a tie.
                        for (const int k : {j - d, j + d}) {
                            if (std::isnan(want) && k >= 0 && k < t.columns) {
                                want = row[static_cast<std::size_t>(k)];
                            }
                        }
                    }
                    if (!std::isnan(want)) {
                        EXPECT_EQ(got, want) << "p " << p << " node " << j;
                    }
                    filled_total += std::isnan(row[static_cast<std::size_t>(j)]);
                }
            }
        }
        EXPECT_EQ(filled_total > 0, g.some_outside);
        std::stringstream text;
        {
            // Closed before the folder is removed (Windows removes no open file).
            std::ifstream properties(dir / "physicalProperties");
            text << properties.rdbuf();
        }
        for (const char* part :
             {"FoamFile", "rhoTabulated", "hTabulated", "#include \"hs\"", "#include \"kappa\"",
              "#include \"Cp\"", "#include \"Cv\"", "molWeight"}) {
            EXPECT_NE(text.str().find(part), std::string::npos) << part;
        }
        std::filesystem::remove_all(dir);
    }
}

struct BadCase {
    std::vector<const char*> args;
    int code;
    const char* message;
};

TEST(ExportOpenFoam, BadOptionsAreRefused) {
    const BadCase cases[] = {
        {{"--p-max", "1e6", "--t-min", "250", "--t-max", "300", "--out", "x"},
         EXIT_USAGE,
         "--p-min is missing"},
        {{"--p-min", "1e5", "--p-max", "1e6", "--t-min", "250", "--t-max", "300"},
         EXIT_USAGE,
         "--out is missing"},
        {{"--p-min", "2e6", "--p-max", "1e6", "--t-min", "250", "--t-max", "300", "--out", "x"},
         EXIT_USAGE,
         "the pressure range is empty: 1000000 Pa is not above 2000000 Pa"},
        {{"--p-min", "1e5", "--p-max", "1e6", "--t-min", "-250", "--t-max", "300", "--out", "x"},
         EXIT_USAGE,
         "the temperature range must be positive finite numbers"},
        {{"--p-min", "1e5", "--p-max", "1e6", "--t-min", "250", "--t-max", "300", "--p-count", "1",
          "--out", "x"},
         EXIT_USAGE,
         "--p-count takes a whole number from 2 to 100000, not \"1\""},
        {{"--p-min", "1e5", "--p-max", "1e6", "--t-min", "250", "--t-max", "300", "--t-count",
          "2.5", "--out", "x"},
         EXIT_USAGE,
         "--t-count takes a whole number"},
        {{"--p-min", "1e5", "--p-max", "1e6", "--t-min", "250", "--t-max", "300", "--p-count",
          "3000", "--t-count", "3000", "--out", "x"},
         EXIT_USAGE,
         "the grid has 9000000 nodes, more than 4000000"},
        {{"--p-min", "abc"}, EXIT_USAGE, "--p-min takes a number, not \"abc\""},
        {{"--p-min", "1e5", "--p-min", "2e5"}, EXIT_USAGE, "--p-min given twice"},
        {{"--model", "tr1994"}, EXIT_USAGE, "unknown model \"tr1994\""},
        {{"--frobnicate"}, EXIT_USAGE, "unexpected argument \"--frobnicate\""},
        {{"--p-min", "1e5", "--p-max", "1e6", "--t-min", "50", "--t-max", "100", "--out", "x"},
         EXIT_OUTSIDE_DOMAIN,
         "no node of the grid has a value of mass_density"},
        // All but the lowest isobar beyond the domain: refused, not filled from that isobar.
        {{"--p-min", "1e5", "--p-max", "1e300", "--t-min", "250", "--t-max", "400", "--out", "x"},
         EXIT_OUTSIDE_DOMAIN,
         "no node of the isobar at"},
    };
    for (const BadCase& c : cases) {
        std::vector<const char*> args = {"export-openfoam"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome r = run(args);
        EXPECT_EQ(r.code, c.code) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists("x"));
    const Outcome help = run({"export-openfoam", "--help"});
    EXPECT_EQ(help.code, EXIT_VALID);
    EXPECT_NE(help.out.find("usage: zeltra5-calc export-openfoam"), std::string::npos);
}

TEST(ExportOpenFoam, AFailedWriteIsAnErrorAndLeavesNoPropertiesFile) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    const std::filesystem::path dir = fresh_dir("full");
    std::filesystem::create_directories(dir);
    std::filesystem::create_symlink("/dev/full", dir / "Cp");  // the disk fills at the fourth file
    // An earlier export's dictionary: a case must not be pointed at it beside the new tables.
    std::ofstream(dir / "physicalProperties") << "an earlier export's\n";
    const std::string out = dir.string();
    const Outcome r =
        run({"export-openfoam", "--p-min", "1e5", "--p-max", "1e6", "--t-min", "250", "--t-max",
             "300", "--p-count", "3", "--t-count", "3", "--out", out.c_str()});
    EXPECT_EQ(r.code, EXIT_IO);
    EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "physicalProperties"));
    EXPECT_EQ(r.out, "");
    // A folder that cannot be made.
    const std::string blocked = (dir / "rho" / "sub").string();
    const Outcome b = run({"export-openfoam", "--p-min", "1e5", "--p-max", "1e6", "--t-min", "250",
                           "--t-max", "300", "--out", blocked.c_str()});
    EXPECT_EQ(b.code, EXIT_IO);
    EXPECT_NE(b.err.find("cannot make"), std::string::npos) << b.err;
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zeltra5::cli
