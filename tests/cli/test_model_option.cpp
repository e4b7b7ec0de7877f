// --model in process: the single calculation answers with the chosen equation of state (the 2023
// paper's check values through t-rho), every command names the model it used and differs between
// the models, the outputs without the option are those of --model tr1993 without its naming, and
// an unknown name is refused naming the choices.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "run_in_process.hpp"
#include "zeltra5/cli/options.hpp"
#include "zeltra5/gao2023.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::cli {
namespace {

// The number of a top-level member ("key": on its own line) of a JSON text, NaN when there is
// none.
double json_value(const std::string& json, const std::string& key) {
    const std::string member = "\n  \"" + key + "\": ";
    const std::size_t at = json.find(member);
    double v = std::nan("");
    if (at != std::string::npos) {
        const char* begin = json.data() + at + member.size();
        std::from_chars(begin, json.data() + json.size(), v);
    }
    return v;
}

// Half a unit in the last digit of a printed number.
double half_last_digit(const std::string& printed) {
    const std::size_t dot = printed.find('.');
    const int decimals = dot == std::string::npos ? 0 : static_cast<int>(printed.size() - dot - 1);
    return 0.5 * std::pow(10.0, -decimals);
}

double read(const std::string& text) {
    double v = std::nan("");
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

TEST(ModelOption, SingleCalculationIsTheChosenModel) {
    const Outcome o = run({"p-t", "10", "20", "--model", "gao2023", "--json"});
    ASSERT_EQ(o.code, EXIT_VALID) << o.err;
    EXPECT_NE(o.out.find("\"model\": \"gao2023\",\n"), std::string::npos);
    // The 2023 equation's own pressure at the answer's temperature and density is the request's.
    const double t = json_value(o.out, "temperature");
    const double rho = json_value(o.out, "mass_density");
    EXPECT_EQ(t, 20.0);
    EXPECT_NEAR(gao2023::pressure(t, rho), 1e6, 1e6 * 1e-12);
    // And the 1993 equation's density is another.
    const Outcome d = run({"p-t", "10", "20", "--json"});
    EXPECT_NE(d.out.find("\"model\": \"tr1993\",\n"), std::string::npos);
    EXPECT_GT(std::abs(json_value(d.out, "mass_density") - rho), 1e-3);
}

// The paper's check values (its table, as printed; molar units) through t-rho in SI. Its state
// at 200 K and 555.6 MPa lies beyond the melting line (54.5 MPa there) and the one at 620 K and
// 1355 MPa above the highest pressure: both are refused (tests/calc).
TEST(ModelOption, PaperCheckValuesThroughTRho) {
    struct Row {
        const char* t_k;
        const char* rho_mol_dm3;
        const char* p_mpa;
        const char* cv;  // J/(mol K)
        const char* cp;
        const char* w;  // m/s
        const char* h;  // kJ/mol, u = s = 0 for the saturated liquid at the triple point
        const char* s;  // J/(mol K)
    };
    const Row rows[] = {
        {"320", "35", "27.63275", "46.95882", "78.92022", "1370.446", "9.831787", "36.0605"},
        {"405", "16.5", "11.25287", "77.13442", "4137.738", "247.2696", "20.13541", "65.30611"},
        {"275", "0.2", "0.4270652", "32.60471", "45.39676", "402.6253", "27.46383", "104.2956"},
        {"375", "3", "6.044096", "48.9189", "111.3738", "379.43", "27.45404", "86.36105"},
        {"520", "13.696", "35.83377", "43.66588", "98.36082", "555.4454", "28.71997", "80.49762"},
        {"250", "42", "108.7263", "50.25907", "72.04765", "2049.168", "5.715934", "14.26145"},
        {"620", "14", "58.52754", "43.50218", "75.46188", "692.5867", "34.49909", "87.78122"},
    };
    const double M = gao2023::MOLAR_MASS;
    // h on the paper's reference less h on ours: the saturated liquid's p v at the triple point.
    const double h_shift = 8.2487599702945307;  // J/kg
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.t_k) + " K, " + r.rho_mol_dm3 + " mol/dm3");
        const std::string rho = std::to_string(read(r.rho_mol_dm3) * 1e3 * M);
        const Outcome o =
            run({"t-rho", r.t_k, rho.c_str(), "--si", "--model", "gao2023", "--json"});
        ASSERT_EQ(o.code, EXIT_VALID) << o.err;
        const struct {
            const char* key;
            const char* printed;
            double to_printed;  // SI value times this is in the printed unit
            double shift;       // added in SI before
        } checks[] = {
            {"pressure", r.p_mpa, 1e-6, 0.0},
            {"isochoric_heat_capacity", r.cv, M, 0.0},
            {"isobaric_heat_capacity", r.cp, M, 0.0},
            {"speed_of_sound", r.w, 1.0, 0.0},
            {"specific_enthalpy", r.h, M * 1e-3, h_shift},
            {"specific_entropy", r.s, M, 0.0},
        };
        for (const auto& c : checks) {
            const double got = (json_value(o.out, c.key) + c.shift) * c.to_printed;
            // The density went through six decimals of kg/m3: a few parts in 1e9 more.
            EXPECT_NEAR(got, read(c.printed),
                        half_last_digit(c.printed) + 1e-8 * std::abs(read(c.printed)))
                << c.key;
        }
    }
}

struct CommandCase {
    const char* name;
    std::vector<const char*> args;  // without --model
    std::string input = "";         // standard input
};

const std::vector<CommandCase>& command_cases() {
    static const std::vector<CommandCase> cases = {
        {"single text", {"p-t", "10", "20", "--lang", "en"}},
        {"single csv", {"p-x", "5", "0.3", "--table", "all", "--csv"}},
        {"single json", {"ts-liquid", "0", "--reference", "iir", "--json"}},
        {"batch", {"--batch"}, "mode,side,first_value,second_value\n3,0,10,20\n8,0,20,600\nx\n"},
        {"table text", {"table", "isobar", "p=10", "t=-20:80:20", "--lang", "en"}},
        {"table csv", {"table", "saturation", "t=-40:40:20", "--csv"}},
        {"table json", {"table", "isotherm", "t=25", "p=1:20:5", "--json"}},
        {"cycle text", {"cycle", "--evaporating", "-10", "--condensing", "35", "--lang", "en"}},
        {"cycle csv", {"cycle", "--evaporating", "-10", "--condensing", "35", "--csv"}},
        {"cycle json", {"cycle", "--evaporating", "-10", "--condensing", "35", "--json"}},
        {"diagram svg", {"diagram", "ph", "--isochores", "none", "--isentropes", "none"}},
        {"diagram csv", {"diagram", "ts", "--isochores", "none", "--csv"}},
        {"diagram json", {"diagram", "ph", "--isochores", "none", "--json"}},
    };
    return cases;
}

Outcome run_with(const CommandCase& c, const char* model) {
    std::vector<const char*> args = c.args;
    if (model != nullptr) {
        args.push_back("--model");
        args.push_back(model);
    }
    return run(args, c.input);
}

// Every output names the model it used, and the models answer differently.
TEST(ModelOption, EveryCommandNamesAndUsesTheModel) {
    for (const CommandCase& c : command_cases()) {
        SCOPED_TRACE(c.name);
        const Outcome gao = run_with(c, "gao2023");
        const Outcome tr = run_with(c, "tr1993");
        EXPECT_EQ(gao.code, tr.code) << gao.err;
        EXPECT_NE(gao.out.find("gao2023"), std::string::npos);
        EXPECT_EQ(tr.out.find("gao2023"), std::string::npos);
        EXPECT_NE(tr.out.find("tr1993"), std::string::npos);
        EXPECT_NE(gao.out, tr.out);
    }
}

// With the model's name taken out again, --model tr1993 gives the output without the option:
// the model line of a text, the trailing model column of a CSV, the subtitle's note; JSON names
// the model either way.
TEST(ModelOption, WithoutTheOptionTheDefaultUnnamedInTextAndCsv) {
    const auto strip = [](const std::string& text) {
        // The trailing column: its name, the empty unit, the name on every line.
        const std::vector<std::string> lines = lines_of(text);
        const bool column = !lines.empty() && lines[0].ends_with(",model");
        std::string s;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::string line = lines[i];
            if (column && i == 0) {
                line.resize(line.size() - 6);
            } else if (column && line.starts_with("units,")) {
                line.pop_back();
            } else if (column && line.ends_with(",tr1993")) {
                line.resize(line.size() - 7);
            }
            s += line + "\n";
        }
        // The text's model line, the cycle's model figure, the table's title and the subtitle.
        const std::string marks[] = {model_line(DEFAULT_MODEL) + "\n", "model,tr1993,\n",
                                     ", model tr1993", "; model tr1993", "; модель tr1993"};
        for (const std::string& mark : marks) {
            for (std::size_t at = s.find(mark); at != std::string::npos; at = s.find(mark)) {
                s.erase(at, mark.size());
            }
        }
        return s;
    };
    for (const CommandCase& c : command_cases()) {
        SCOPED_TRACE(c.name);
        const Outcome plain = run_with(c, nullptr);
        const Outcome tr = run_with(c, "tr1993");
        EXPECT_EQ(plain.code, tr.code);
        EXPECT_EQ(plain.out.find(",model"), std::string::npos);
        EXPECT_EQ(plain.out.find("model: "), std::string::npos);
        // (Every output here ends with a line end, which strip keeps.)
        EXPECT_EQ(plain.out, strip(tr.out));
    }
}

// A CSV with the model column keeps a cell for every column on every line.
TEST(ModelOption, CsvModelColumnOnEveryLine) {
    for (const CommandCase& c : command_cases()) {
        const std::string name = c.name;
        if (name.find("csv") == std::string::npos && name != "batch") {
            continue;
        }
        SCOPED_TRACE(name);
        const std::vector<std::string> lines = lines_of(run_with(c, "gao2023").out);
        ASSERT_GT(lines.size(), 2u);
        // The cycle's CSV names the model among its figures; the others in a last column.
        if (name == "cycle csv") {
            EXPECT_EQ(lines[1], "model,gao2023,");
            continue;
        }
        const std::size_t columns = cells_of(lines[0]).size();
        EXPECT_EQ(cells_of(lines[0]).back(), "model");
        EXPECT_EQ(cells_of(lines[1]).back(), "");
        for (std::size_t i = 2; i < lines.size(); ++i) {
            const std::vector<std::string> cells = cells_of(lines[i]);
            EXPECT_EQ(cells.size(), columns) << lines[i];
            EXPECT_EQ(cells.back(), "gao2023") << lines[i];
        }
    }
}

// The cycle reads the chosen model's saturation limit: 132.38 °C lies above the 1993 equation's
// (132.340 °C) and below the 2023 equation's (132.40 °C).
TEST(ModelOption, CycleUsesTheModelsSaturationLimit) {
    const Outcome tr = run({"cycle", "--evaporating", "-10", "--condensing", "132.38"});
    EXPECT_EQ(tr.code, EXIT_OUTSIDE_DOMAIN);
    EXPECT_NE(tr.err.find("saturation limit"), std::string::npos) << tr.err;
    const Outcome gao = run({"cycle", "--evaporating", "-10", "--condensing", "132.38", "--model",
                             "gao2023", "--json"});
    EXPECT_EQ(gao.code, EXIT_VALID) << gao.err;
    EXPECT_NE(gao.out.find("\"status\": 0,"), std::string::npos);
}

// The diagram's subtitle: the model's own triple point on the default reference, and its name.
TEST(ModelOption, DiagramSubtitleNamesTheModel) {
    struct Case {
        std::vector<const char*> args;
        const char* subtitle;
    };
    const Case cases[] = {
        {{"--lang", "en"}, "triple point (−77.655 °C)\""},
        {{"--lang", "en", "--model", "tr1993"}, "triple point (−77.655 °C); model tr1993\""},
        {{"--lang", "en", "--model", "gao2023"}, "triple point (−77.66 °C); model gao2023\""},
        {{"--model", "gao2023"}, "тройной точке (−77,66 °C); модель gao2023\""},
        {{"--lang", "en", "--model", "gao2023", "--reference", "nbp"},
         "(1.01325 bar); model gao2023\""},
    };
    for (const Case& c : cases) {
        std::vector<const char*> args = {"diagram", "ts", "--json", "--isochores", "none"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(c.subtitle);
        const Outcome o = run(args);
        ASSERT_EQ(o.code, EXIT_VALID) << o.err;
        EXPECT_NE(o.out.find(std::string("\"subtitle\":\"") + "h = s = 0"), std::string::npos);
        EXPECT_NE(o.out.find(c.subtitle), std::string::npos);
    }
}

TEST(ModelOption, UnknownOrRepeatedModelIsRefused) {
    const std::vector<std::vector<const char*>> commands = {
        {"p-t", "10", "20", "--model", "refprop"},
        {"p-t", "10", "20", "--model=TR1993"},
        {"p-t", "10", "20", "--model"},
        {"p-t", "10", "20", "--model", "tr1993", "--model", "gao2023"},
        {"--batch", "--model", "gao"},
        {"table", "saturation", "t=0:10:5", "--model", ""},
        {"cycle", "--evaporating", "-10", "--condensing", "35", "--model", "x"},
        {"diagram", "ph", "--model", "gao2018"},
        {"constants", "--model=none"},
        {"constants", "--model"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args.back());
        const Outcome o = run(args, "3,0,10,20\n");
        EXPECT_EQ(o.code, EXIT_USAGE);
        EXPECT_TRUE(o.out.empty());
        if (std::string(args.back()) == "gao2023") {
            EXPECT_NE(o.err.find("--model given twice"), std::string::npos) << o.err;
            continue;
        }
        for (const ModelInfo& m : MODELS) {
            EXPECT_NE(o.err.find(m.name), std::string::npos) << o.err;
        }
    }
}

TEST(ModelOption, BothSpellingsAndHelpFromTheRegistry) {
    const Outcome a = run({"p-t", "10", "20", "--model=gao2023", "--json"});
    const Outcome b = run({"p-t", "10", "20", "--model", "gao2023", "--json"});
    EXPECT_EQ(a.code, EXIT_VALID);
    EXPECT_EQ(a.out, b.out);
    const Outcome c = run({"constants", "--model=gao2023"});
    EXPECT_EQ(c.code, EXIT_VALID);
    EXPECT_EQ(c.out, run({"constants", "--model", "gao2023"}).out);
    const std::string help = run({"--help"}).out;
    for (const ModelInfo& m : MODELS) {
        EXPECT_NE(help.find(std::string(m.name) + ": "), std::string::npos) << m.name;
        // The descriptions are filled into lines: their first word is there.
        const std::string description = m.description;
        EXPECT_NE(help.find(description.substr(0, description.find(' '))), std::string::npos);
    }
}

}  // namespace
}  // namespace zeltra5::cli
