// The hand-written copies of the shared lists against their registries. A name added to a
// registry and not to a surface's copy (or the other way round) fails here.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "zeltra5.h"
#include "zeltra5/cli/batch.hpp"
#include "zeltra5/cli/command_line.hpp"
#include "zeltra5/pairs.hpp"
#include "zeltra5/property_table.hpp"
#include "zeltra5/quantities.hpp"
#include "zeltra5/reference_state.hpp"
#include "zeltra5/result_table.hpp"
#include "zeltra5/shell_state.hpp"
#include "zeltra5/table_csv.hpp"

namespace zeltra5 {
namespace {

// A file of the source tree; empty (and every check on it fails) when it cannot be read.
std::string source(const std::string& path) {
    std::ifstream in(std::string(ZELTRA5_SOURCE_DIR) + "/" + path, std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << path << '\n';
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A comment's text as one line: the leading " * " of C and "'" of Basic taken off every line,
// every run of blanks one blank.
std::string prose(const std::string& text) {
    std::string out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t start = line.find_first_not_of(" \t*'");
        out += ' ';
        out += start == std::string::npos ? "" : line.substr(start);
    }
    return std::regex_replace(out, std::regex("\\s+"), " ");
}

// A unit as the C header and the Excel module write it, in ASCII.
std::string ascii(std::string text) {
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"°", "deg"}, {"·", " "}, {"−", "-"}}) {
        for (std::size_t at; (at = text.find(from)) != std::string::npos;) {
            text.replace(at, from.size(), to);
        }
    }
    return text;
}

std::string joined(const std::vector<std::string>& items, const std::string& separator,
                   const std::string& last, const std::string& open = "",
                   const std::string& close = "") {
    std::string out;
    for (std::size_t k = 0; k < items.size(); ++k) {
        out += k == 0 ? "" : k + 1 == items.size() ? last : separator;
        out += open + items[k] + (close.empty() ? open : close);
    }
    return out;
}

// The record's nineteen fields (from..to RESULT_VALUE_COUNT), or the extended ones.
std::vector<std::string> field_names(const int from = 0, const int to = RESULT_VALUE_COUNT) {
    std::vector<std::string> names;
    for (int k = from; k < to; ++k) names.emplace_back(RESULT_FIELDS[k].name);
    return names;
}

std::vector<std::string> field_symbols(const int from = 0, const int to = RESULT_VALUE_COUNT) {
    std::vector<std::string> symbols;
    for (int k = from; k < to; ++k) symbols.emplace_back(RESULT_FIELDS[k].symbol);
    return symbols;
}

std::vector<std::string> pair_names() {
    std::vector<std::string> names;
    for (const ArgPair& p : ARG_PAIRS) names.emplace_back(p.name);
    return names;
}

std::vector<std::string> reference_names() {
    std::vector<std::string> names;
    for (const ReferenceStateInfo& r : REFERENCE_STATES) names.emplace_back(r.name);
    return names;
}

std::vector<std::string> c_table_kinds() {
    std::vector<std::string> names;
    for (const TableKindInfo& k : TABLE_KINDS) names.emplace_back(k.c_name);
    return names;
}

std::vector<std::string> all_matches(const std::string& text, const std::string& pattern) {
    std::vector<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
         ++it) {
        found.push_back((*it)[1].str());
    }
    return found;
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome cli(std::initializer_list<const char*> args) {
    std::vector<const char*> argv(args);
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status =
        cli::run_command_line(static_cast<int>(argv.size()), argv.data(), in, out, err);
    return {status, out.str(), err.str()};
}

const std::string HEADER = source("capi/include/zeltra5.h");
const std::string BAS = source("capi/zeltra5.bas");
const std::string APP = source("web/page/app.js");
const std::string PAGE = source("web/page/index.html");
const std::string README = source("README.md");

// ---- fields and units ----

static_assert(ZELTRA5_FIELD_COUNT == RESULT_VALUE_COUNT);
static_assert(ZELTRA5_TABLE_ROW_COUNT == TABLE_ROW_COUNT);

// The header's table of fields: " k name symbol si-unit [/ display-unit]", one line per field.
TEST(Fields, HeaderTableNamesEveryFieldWithItsSymbolAndUnits) {
    const std::size_t from = HEADER.find("The fields of a result");
    const std::string block = HEADER.substr(from, HEADER.find("*/", from) - from);
    const std::vector<std::string> lines = all_matches(block, R"(\n \*\s+(\d+ [a-z_]+ .*))");
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(RESULT_VALUE_COUNT));
    for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
        const FieldInfo& f = RESULT_FIELDS[k];
        // "7 specific_entropy s J/(kg K) / kJ/(kg degC)": the units end at two blanks.
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[k], m, std::regex(R"((\d+) (\S+) +(\S+) +(.*))")))
            << lines[k];
        const std::string units = m[4].str().substr(0, m[4].str().find("  "));
        const std::size_t slash = units.find(" / ");
        EXPECT_EQ(m[1].str(), std::to_string(k));
        EXPECT_EQ(m[2].str(), f.name);
        EXPECT_EQ(m[3].str(), f.symbol);
        const std::string si = ascii(std::string(unit_text(f.unit, SI_UNITS, Language::english)));
        const std::string display =
            ascii(std::string(unit_text(f.unit, DISPLAY_UNITS, Language::english)));
        // The header gives a display unit only where its quantity is not the SI one's.
        EXPECT_EQ(units.substr(0, slash), si.empty() ? "-" : si) << f.name;
        if (display != si && f.unit != UnitKind::conductivity && f.unit != UnitKind::expansion) {
            EXPECT_EQ(slash == std::string::npos ? "" : units.substr(slash + 3), display) << f.name;
        }
    }
}

TEST(Fields, ExcelModuleListsEverySymbolAndTheNames) {
    const std::string text = prose(BAS);
    const std::string symbols = joined(field_symbols(), ", ", ", ");
    EXPECT_NE(text.find("the " + std::to_string(RESULT_VALUE_COUNT) + " fields in the order " +
                        symbols + " ("),
              std::string::npos);
    const std::vector<std::string> names = field_names();
    EXPECT_NE(text.find("property: a symbol " + symbols + ", or the field's name (" +
                        joined({names.begin(), names.begin() + 4}, ", ", ", ") + "...)"),
              std::string::npos);
}

// Both classes of the stub, State (floats) and States (arrays), give the fields in record order.
TEST(Fields, PythonStubHasEveryFieldInBothClasses) {
    const std::string stub = source("python/zeltra5/__init__.pyi");
    for (const std::string& type :
         {std::string("float"), std::string("npt.NDArray\\[np.float64\\]")}) {
        std::vector<std::string> found =
            all_matches(stub, "def ([a-z_]+)\\(self\\) -> " + type + ": \\.\\.\\.");
        // The fields come first in each class, in record order.
        const std::vector<std::string> names = field_names();
        ASSERT_GE(found.size(), names.size()) << type;
        EXPECT_EQ(std::vector<std::string>(found.begin(), found.begin() + names.size()), names)
            << type;
    }
}

TEST(Fields, CsvHeadersAreTheFieldNames) {
    const std::string columns = joined(field_names(), ",", ",") + ",phase,phase_detail,phase_name";
    EXPECT_EQ(CSV_RESULT_COLUMNS, columns);
    // The batch appends the extended fields after the phase columns.
    EXPECT_EQ(cli::BATCH_RESULT_HEADER,
              "status,error,mode,side,first_value,second_value," + columns + "," +
                  joined(field_names(RESULT_VALUE_COUNT, FIELD_COUNT), ",", ","));
    const PropertyTable table =
        build_property_table(TableKind::saturation_temperature, 0.0, {0.0}, CalcOptions{});
    const std::string csv = property_table_csv(table, Language::english);
    const std::string head = csv.substr(0, csv.find('\n'));
    EXPECT_EQ(head.substr(head.size() - columns.size()), columns);
}

// The units the help promises are the units the calculator prints.
TEST(Units, CommandLineHelpNamesThePrintedUnits) {
    const std::string help = cli({"--help"}).out;
    auto unit = [](UnitKind kind, const Units& units) {
        return std::string(unit_text(kind, units, Language::english));
    };
    const std::string si = joined(
        {unit(UnitKind::pressure, SI_UNITS), unit(UnitKind::temperature, SI_UNITS),
         unit(UnitKind::specific_energy, SI_UNITS), unit(UnitKind::specific_entropy, SI_UNITS)},
        ", ", ", ");
    const std::string display =
        joined({unit(UnitKind::pressure, DISPLAY_UNITS), unit(UnitKind::temperature, DISPLAY_UNITS),
                unit(UnitKind::specific_energy, DISPLAY_UNITS),
                unit(UnitKind::specific_entropy, DISPLAY_UNITS)},
               ", ", ", ");
    std::vector<std::string> others;
    for (const UnitKind k : {UnitKind::density, UnitKind::conductivity,
                             UnitKind::kinematic_viscosity, UnitKind::dynamic_viscosity,
                             UnitKind::speed, UnitKind::surface_tension, UnitKind::expansion}) {
        others.push_back(unit(k, SI_UNITS));
    }
    const std::string text = prose(help);
    EXPECT_NE(text.find("SI units in and out: " + si + " "), std::string::npos);
    EXPECT_NE(text.find("display (default): " + display + ";"), std::string::npos);
    EXPECT_NE(text.find("quantity in SI (" + joined(others, ", ", ", ") + ")"), std::string::npos);
    EXPECT_NE(prose(BAS).find("(" + ascii(display) + ", every other quantity SI)"),
              std::string::npos);
    const std::string header = prose(HEADER);
    EXPECT_NE(header.find("si (default): " + ascii(si) + ", " + others.front() + ", ...;"),
              std::string::npos);
    EXPECT_NE(header.find("display: the Windows program's " + ascii(display) + ", every other"),
              std::string::npos);
}

// Every unit of the registry is offered where a choice of units is explained: the message of a
// bad choice, the command line's help, the C header and the Excel module, under its key.
TEST(Units, EveryChoiceIsOfferedUnderItsKey) {
    const std::string help = prose(cli({"--help"}).out);
    const std::string header = prose(HEADER);
    const std::string bas = prose(BAS);
    const std::string choices(units_choices());
    const std::pair<UnitKind, const char*> keys[] = {{UnitKind::pressure, "p="},
                                                     {UnitKind::temperature, "t="},
                                                     {UnitKind::specific_energy, "h="},
                                                     {UnitKind::specific_entropy, "s="}};
    for (const auto& [kind, key] : keys) {
        std::vector<std::string> names;
        for (int k = 0; k < UNIT_COUNT; ++k) {
            const auto unit = static_cast<Unit>(k);
            if (unit_kind(unit) == kind) {
                names.emplace_back(unit_name(unit));
                // Each name is a choice the library takes.
                Units u;
                EXPECT_TRUE(parse_units(std::string(key) + names.back(), SI_UNITS, u));
            }
        }
        const std::string list = key + joined(names, "|", "|");
        EXPECT_NE(choices.find(list), std::string::npos) << list;
        // The display system's own entropy unit is not offered as a choice in the prose.
        std::vector<std::string> offered = names;
        if (kind == UnitKind::specific_entropy) {
            offered.pop_back();
        }
        const std::string prose_list = key + joined(offered, "|", "|");
        EXPECT_NE(help.find(prose_list), std::string::npos) << prose_list;
        EXPECT_NE(header.find(prose_list), std::string::npos) << prose_list;
        EXPECT_NE(bas.find(prose_list), std::string::npos) << prose_list;
    }
    for (const char* system : {"si", "si-celsius", "display"}) {
        EXPECT_NE(choices.find(system), std::string::npos);
        EXPECT_NE(help.find(system), std::string::npos);
        EXPECT_NE(header.find(system), std::string::npos);
    }
}

TEST(Fields, ReadmeListsEverySymbol) {
    EXPECT_NE(prose(README).find("its symbol (`" + joined(field_symbols(), " ", " ") + "`)"),
              std::string::npos);
}

// ---- argument pairs ----

TEST(Pairs, HeaderExcelModuleAndCommandLineListEveryPair) {
    const std::vector<std::string> names = pair_names();
    EXPECT_NE(prose(HEADER).find("pair " + joined(names, ", ", ", ", "\"") + "."),
              std::string::npos);
    EXPECT_NE(prose(BAS).find("pair: " + joined(names, ", ", ", ") + "; "), std::string::npos);
    const Outcome bad = cli({"no-such-pair", "1", "2"});
    EXPECT_NE(bad.err.find("(" + joined(names, ", ", ", ") + ")"), std::string::npos) << bad.err;
    std::istringstream requests("no-such-pair,0,1,2\n");
    std::ostringstream results;
    cli::run_batch(requests, results);
    EXPECT_NE(results.str().find("or " + joined(names, ", ", ", ") + ")"), std::string::npos)
        << results.str();
    EXPECT_NE(prose(README).find("The pairs are the program's: `" + names.front() + "`"),
              std::string::npos);
    EXPECT_NE(prose(README).find("`" + names[names.size() - 2] + "` and `" + names.back() + "`"),
              std::string::npos);
    const std::string help = cli({"--help"}).out;
    for (const ArgPair& p : ARG_PAIRS) {
        // "p-h PRESSURE ENTHALPY": the name and one word per value.
        const std::regex usage("  " + std::string(p.name) + "( [A-Z]+){" +
                               std::to_string(p.value_count) + "}( |\n)");
        EXPECT_TRUE(std::regex_search(help, usage)) << p.name;
    }
}

// The Windows program's menu holds the pairs in their order, and its input labels give the
// units the result table shows for the pair's fields.
TEST(Pairs, WindowsMenuAndLabelsFollowThePairs) {
    static_assert(ARG_ITEM_COUNT == PROGRAM_PAIR_COUNT);
    for (int i = 0; i < PROGRAM_PAIR_COUNT; ++i) {
        const ArgPair& p = ARG_PAIRS[i];
        const std::optional<ArgItem> item = arg_item(i);
        ASSERT_TRUE(item.has_value());
        EXPECT_EQ(find_arg_pair(item->mode, item->side), &p) << p.name;
        const ArgLabels* labels = arg_labels(p.mode);
        ASSERT_NE(labels, nullptr) << p.name;
        auto shown = [](const int field) {
            return std::string(
                unit_text(RESULT_FIELDS[field].unit, DISPLAY_UNITS, Language::russian));
        };
        // The program's texts are Windows-1251.
        EXPECT_EQ(utf8_from_cp1251(labels->first_unit), shown(p.first_field)) << p.name;
        if (p.value_count == 2) {
            const std::string second = utf8_from_cp1251(labels->second_unit);
            EXPECT_EQ(second == " " ? "" : second, shown(p.second_field)) << p.name;
        }
    }
}

// The page finds a pair's fields from its name: the symbols between the dashes, "ps"/"ts" for p
// and t, the second only for two values.
TEST(Pairs, PageReadsEachPairsFieldsFromItsName) {
    ASSERT_NE(APP.find(R"(const symbols = pair.split("-");)"), std::string::npos);
    ASSERT_NE(APP.find(R"(const first = symbols[0].replace(/s$/, "");)"), std::string::npos);
    for (const ArgPair& p : ARG_PAIRS) {
        const std::string name = p.name;
        const std::size_t dash = name.find('-');
        std::string first = name.substr(0, dash);
        if (!first.empty() && first.back() == 's') first.pop_back();
        EXPECT_EQ(find_result_field(first), p.first_field) << name;
        if (p.value_count == 2) {
            EXPECT_EQ(find_result_field(name.substr(dash + 1)), p.second_field) << name;
        }
    }
}

// The page disables the superheat option for exactly the pairs that do not take it.
TEST(Pairs, PageOffersTheSuperheatOptionWhereItApplies) {
    const std::string head = R"($("superheat").disabled = /)";
    const std::size_t at = APP.find(head);
    ASSERT_NE(at, std::string::npos);
    const std::size_t begin = at + head.size();
    const std::size_t end = APP.find("/.test(pair);", begin);
    ASSERT_NE(end, std::string::npos);
    const std::regex disabled(APP.substr(begin, end - begin));
    for (const ArgPair& p : ARG_PAIRS) {
        EXPECT_EQ(std::regex_search(std::string(p.name), disabled), !takes_superheat_option(p))
            << p.name;
    }
}

// ---- kinds of table ----

TEST(TableKinds, HeaderAndExcelModuleDescribeEveryKind) {
    const std::string header = prose(HEADER);
    for (const TableKindInfo& k : TABLE_KINDS) {
        std::string entry = "\"";
        entry.append(k.c_name).append("\" (").append(k.description).append(")");
        EXPECT_NE(header.find(entry), std::string::npos) << entry;
    }
    EXPECT_NE(prose(BAS).find("kind " + joined(c_table_kinds(), ", ", " or ") + ";"),
              std::string::npos);
    EXPECT_NE(README.find("(" + joined(c_table_kinds(), ", ", ", ", "`\"", "\"`") + ";"),
              std::string::npos);
    // The README's row of each kind on the command line names its arguments.
    for (const TableKindInfo& k : TABLE_KINDS) {
        const std::size_t at = README.find("| `table " + std::string(k.name) + " ");
        ASSERT_NE(at, std::string::npos) << k.name;
        const std::string row = README.substr(at, README.find('\n', at) - at);
        EXPECT_NE(row.find(std::string(k.varied) + "=RANGE`"), std::string::npos) << row;
        if (k.fixed != nullptr) {
            EXPECT_NE(row.find(std::string(" ") + k.fixed + "="), std::string::npos) << row;
        }
    }
}

// The page's choice of table is the web build's list of kinds (TABLE_KINDS), not a list of its
// own, and the page has the values each kind starts with: a range, and the value held where the
// kind holds one.
TEST(TableKinds, PageOffersEverySaturationTable) {
    EXPECT_NE(PAGE.find("<select id=\"tables-kind\"></select>"), std::string::npos);
    EXPECT_NE(APP.find("M._zeltra5_web_table_kind_count()"), std::string::npos);
    EXPECT_NE(APP.find("$(\"tables-kind\").add(new Option(kind.name, kind.name))"),
              std::string::npos);
    EXPECT_NE(source("web/src/tables.cpp").find("TABLE_KINDS[index].c_name"), std::string::npos);
    const std::size_t at = APP.find("const TABLE_DEFAULTS = {");
    ASSERT_NE(at, std::string::npos);
    const std::string defaults = APP.substr(at, APP.find("};", at) - at);
    for (const TableKindInfo& k : TABLE_KINDS) {
        const std::string name = k.c_name;
        const std::string key =
            (name.find('-') == std::string::npos ? name : "\"" + name + "\"") + ": [";
        const std::size_t entry = defaults.find(key);
        ASSERT_NE(entry, std::string::npos) << name;
        EXPECT_EQ(defaults.compare(entry + key.size(), 4, "null") == 0, k.fixed == nullptr) << name;
    }
}

// Every kind goes through the command line and the C library by its names there, and their
// messages list the names.
TEST(TableKinds, CommandLineAndCLibraryTakeEveryKind) {
    for (const TableKindInfo& k : TABLE_KINDS) {
        const std::string fixed = k.fixed == nullptr ? "" : std::string(k.fixed) + "=10";
        const std::string varied = std::string(k.varied) + "=10";
        const Outcome run = k.fixed == nullptr
                                ? cli({"table", k.name, varied.c_str(), "--json"})
                                : cli({"table", k.name, fixed.c_str(), varied.c_str(), "--json"});
        EXPECT_EQ(run.status, 0) << k.c_name << run.err;
        EXPECT_NE(run.out.find("\"table\": \"" + std::string(k.name) + "\""), std::string::npos);
        EXPECT_GT(zeltra5_table_csv(k.c_name, 10.0, "10", "", nullptr, 0), 0) << k.c_name;
    }
    EXPECT_NE(cli({"table", "none"}).err.find("(saturation, isotherm, isobar, isochore)"),
              std::string::npos);
    char text[200];
    zeltra5_explain_table("none", 0.0, "1", "lang=en", text, sizeof text);
    EXPECT_NE(std::string(text).find("(" + joined(c_table_kinds(), ", ", ", ") + ")"),
              std::string::npos)
        << text;
    const std::string usage = cli({"table", "--help"}).out;
    for (const TableKindInfo& k : TABLE_KINDS) {
        const std::string line = k.fixed == nullptr
                                     ? std::string("table ") + k.name + " t=RANGE | p=RANGE"
                                     : std::string("table ") + k.name + " " + k.fixed + "=";
        EXPECT_NE(usage.find(line), std::string::npos) << line;
    }
}

// ---- reference states ----

TEST(ReferenceStates, EverySurfaceNamesEveryState) {
    const std::vector<std::string> names = reference_names();
    const std::string alternatives = "reference=" + joined(names, "|", "|");
    EXPECT_NE(HEADER.find(alternatives), std::string::npos);
    EXPECT_NE(BAS.find(alternatives), std::string::npos);
    EXPECT_NE(README.find(alternatives), std::string::npos);
    EXPECT_NE(README.find("`--reference " + joined(names, "\\|", "\\|") + "`"), std::string::npos);
    EXPECT_NE(prose(README).find("`reference` is " + joined(names, ", ", " or ", "`")),
              std::string::npos);
    EXPECT_NE(prose(source("python/zeltra5/__init__.py"))
                  .find("state of h, u and s: " + joined(names, ", ", " or ", "``\"", "\"``")),
              std::string::npos);
    EXPECT_NE(cli({"p-t", "10", "25", "--reference", "x"})
                  .err.find("--reference takes " + joined(names, ", ", " or ")),
              std::string::npos);
}

TEST(ReferenceStates, HeaderAndReadmeGiveEachDefinition) {
    const std::string header = prose(HEADER);
    std::string definitions;
    for (const ReferenceStateInfo& r : REFERENCE_STATES) {
        definitions +=
            (definitions.empty() ? "" : "; ") + std::string(r.name) + " " + ascii(r.definition);
        EXPECT_NE(README.find("| `" + std::string(r.name) + "` | " + r.definition + " |"),
                  std::string::npos)
            << r.name;
    }
    EXPECT_NE(header.find(definitions), std::string::npos) << definitions;
}

TEST(ReferenceStates, PageOffersEveryStateInBothLanguages) {
    const std::vector<std::string> keys = all_matches(APP, R"(\bref_([a-z]+):)");
    // The Russian texts, then the English ones.
    const std::vector<std::string> names = reference_names();
    std::vector<std::string> twice = names;
    twice.insert(twice.end(), names.begin(), names.end());
    EXPECT_EQ(keys, twice);
    EXPECT_EQ(all_matches(PAGE, R"re(<option value="([a-z]+)" data-text="ref_)re"),
              reference_names());
    for (const std::string& name : reference_names()) {
        EXPECT_NE(PAGE.find("<option value=\"" + name + "\" data-text=\"ref_" + name + "\">"),
                  std::string::npos);
    }
    // Every state works through the C library by its name.
    for (const std::string& name : reference_names()) {
        double values[ZELTRA5_FIELD_COUNT];
        EXPECT_EQ(zeltra5_calculate("p-t", 1e6, 298.15, ("reference=" + name).c_str(), values,
                                    ZELTRA5_FIELD_COUNT, nullptr, nullptr),
                  ZELTRA5_VALID)
            << name;
    }
}

}  // namespace
}  // namespace zeltra5

// ---- the page's units ----

namespace zeltra5 {
namespace {

// The page offers exactly the registry's units, each under the key of its quantity, and the
// systems the library takes; the C library accepts every choice the page can build from them.
TEST(Units, PageOffersExactlyTheRegistrysUnitChoices) {
    const std::vector<std::pair<UnitKind, std::string>> registry = {
#define ZELTRA5_UNIT_CHOICE(id, kind, name, ru, en) {UnitKind::kind, name},
#include "zeltra5/texts.inc"
#undef ZELTRA5_UNIT_CHOICE
    };
    const std::size_t start = APP.find("const UNIT_CHOICES = {");
    ASSERT_NE(start, std::string::npos);
    const std::string block = APP.substr(start, APP.find("};", start) - start);
    const std::size_t fields_at = APP.find("const UNIT_FIELDS = {");
    ASSERT_NE(fields_at, std::string::npos);
    const std::string fields = APP.substr(fields_at, APP.find("};", fields_at) - fields_at);
    const std::regex key_re(R"re((\w+): \[([^\]]*)\])re");
    std::vector<std::string> offered;
    int keys = 0;
    for (auto it = std::sregex_iterator(block.begin(), block.end(), key_re);
         it != std::sregex_iterator(); ++it, ++keys) {
        const std::string key = (*it)[1].str();
        const std::vector<std::string> names = all_matches((*it)[2].str(), R"re("([^"]+)")re");
        // The key's field, whose unit the key chooses.
        const std::vector<std::string> field =
            all_matches(fields, "\\b" + key + R"re(: "(\w+)")re");
        ASSERT_EQ(field.size(), 1U) << key;
        const int index = find_result_field(field[0]);
        ASSERT_GE(index, 0) << field[0];
        const UnitKind kind = RESULT_FIELDS[index].unit;
        std::vector<std::string> expected;
        for (const auto& [k, name] : registry) {
            if (k == kind) expected.push_back(name);
        }
        EXPECT_EQ(names, expected) << key;
        std::vector<std::string> texts;
        for (const std::string& name : names) {
            offered.push_back(name);
            // The page's choice as the C options take it: the unit's text is the registry's.
            Units units;
            ASSERT_TRUE(parse_units("display," + key + "=" + name, SI_UNITS, units)) << name;
            const char* text = zeltra5_field_unit(
                index, ("units=display," + key + "=" + name + ";lang=en").c_str());
            ASSERT_NE(text, nullptr) << key << "=" << name;
            EXPECT_EQ(std::string(text), std::string(unit_text(kind, units, Language::english)));
            // The page finds a system's own unit by its text: no two units share one.
            for (const std::string& other : texts) EXPECT_NE(other, text) << key << "=" << name;
            texts.emplace_back(text);
        }
    }
    EXPECT_EQ(keys, 4);
    EXPECT_EQ(offered.size(), registry.size());

    // The systems: those the library names in its list of choices, in the page's list and its
    // select, each with its texts in both languages.
    const std::string choices(units_choices());
    std::vector<std::string> systems = all_matches(choices.substr(0, choices.find(", then")),
                                                   R"re(\b([a-z][a-z-]*)(?:, | or |$))re");
    const std::size_t systems_at = APP.find("const UNIT_SYSTEMS = [");
    ASSERT_NE(systems_at, std::string::npos);
    std::vector<std::string> page_systems = all_matches(
        APP.substr(systems_at, APP.find("];", systems_at) - systems_at), R"re("([^"]+)")re");
    const std::size_t select_at = PAGE.find("<select id=\"units\">");
    ASSERT_NE(select_at, std::string::npos);
    EXPECT_EQ(all_matches(PAGE.substr(select_at, PAGE.find("</select>", select_at) - select_at),
                          R"re(<option value="([^"]+)")re"),
              page_systems);
    for (const std::string& system : page_systems) {
        std::string key = "units_" + system;
        for (char& c : key) c = c == '-' ? '_' : c;
        EXPECT_NE(PAGE.find("<option value=\"" + system + "\" data-text=\"" + key + "\">"),
                  std::string::npos)
            << system;
        EXPECT_EQ(all_matches(APP, "\\b(" + key + "): ").size(), 2U) << key;
    }
    EXPECT_EQ(page_systems.size(), systems.size());
    for (const std::string& system : systems) {
        int found = 0;
        for (const std::string& page_system : page_systems) found += page_system == system;
        EXPECT_EQ(found, 1) << system;
    }
    EXPECT_EQ(systems.size(), 3U) << choices;
}

}  // namespace
}  // namespace zeltra5

// ---- the extended fields: every place that names them agrees with fields.inc ----

namespace zeltra5 {
namespace {

static_assert(ZELTRA5_FIELD_COUNT_V2 == FIELD_COUNT);

std::vector<std::string> extended_names() {
    return field_names(RESULT_VALUE_COUNT, FIELD_COUNT);
}

std::vector<std::string> extended_symbols() {
    return field_symbols(RESULT_VALUE_COUNT, FIELD_COUNT);
}

// The header's version 2 table: " k name symbol si-unit [/ display-unit]  what".
TEST(ExtendedFieldNames, HeaderTableNamesEveryFieldWithItsSymbolAndUnits) {
    const std::size_t from = HEADER.find("Version 2 of the fields");
    ASSERT_NE(from, std::string::npos);
    const std::string block = HEADER.substr(from, HEADER.find("*/", from) - from);
    const std::vector<std::string> lines = all_matches(block, R"(\n \*\s+(\d+ [a-z_]+ .*))");
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(EXTENDED_FIELD_COUNT));
    for (int k = RESULT_VALUE_COUNT; k < FIELD_COUNT; ++k) {
        const FieldInfo& f = RESULT_FIELDS[k];
        std::smatch m;
        const std::string& line = lines[static_cast<std::size_t>(k - RESULT_VALUE_COUNT)];
        ASSERT_TRUE(std::regex_match(line, m, std::regex(R"((\d+) (\S+) +(\S+) +(.*))"))) << line;
        const std::string units = m[4].str().substr(0, m[4].str().find("  "));
        const std::size_t slash = units.find(" / ");
        EXPECT_EQ(m[1].str(), std::to_string(k));
        EXPECT_EQ(m[2].str(), f.name);
        EXPECT_EQ(m[3].str(), f.symbol);
        const std::string si = ascii(std::string(unit_text(f.unit, SI_UNITS, Language::english)));
        const std::string display =
            ascii(std::string(unit_text(f.unit, DISPLAY_UNITS, Language::english)));
        EXPECT_EQ(units.substr(0, slash), si.empty() ? "-" : si) << f.name;
        EXPECT_EQ(slash == std::string::npos ? si : units.substr(slash + 3), display) << f.name;
    }
}

TEST(ExtendedFieldNames, ExcelModuleListsEverySymbolAndName) {
    const std::string text = prose(BAS);
    EXPECT_NE(text.find("also the outputs " + joined(extended_symbols(), ", ", ", ") + " (" +
                        joined(extended_names(), ", ", ", ") + ")"),
              std::string::npos);
    // NH3 reads them through version 2.
    for (const char* function :
         {"zeltra5_calculate_fields", "zeltra5_field_index_v2", "zeltra5_field_defined_v2"}) {
        EXPECT_NE(BAS.find(std::string("Declare PtrSafe Function ") + function), std::string::npos)
            << function;
    }
}

// In the stub, State has the extended fields as floats right after the nineteen, and the
// results of calculate() (Calculation) as arrays.
TEST(ExtendedFieldNames, PythonStubHasEveryFieldInOrder) {
    const std::string stub = source("python/zeltra5/__init__.pyi");
    const std::vector<std::string> names = extended_names();
    for (const std::string& type :
         {std::string("float"), std::string("npt.NDArray\\[np.float64\\]")}) {
        const std::vector<std::string> found =
            all_matches(stub, "def ([a-z_]+)\\(self\\) -> " + type + ": \\.\\.\\.");
        const auto at = std::search(found.begin(), found.end(), names.begin(), names.end());
        EXPECT_NE(at, found.end()) << type;
    }
}

TEST(ExtendedFieldNames, PageNamesEveryFieldInOrder) {
    const std::size_t from = APP.find("const MORE_FIELD_NAMES = {");
    ASSERT_NE(from, std::string::npos);
    const std::string block = APP.substr(from, APP.find("};", from) - from);
    EXPECT_EQ(all_matches(block, R"(\n  ([a-z_]+): \[)"), extended_names());
    EXPECT_NE(PAGE.find("id=\"more-table\""), std::string::npos);
}

TEST(ExtendedFieldNames, CommandLineJsonAndCsvCarryThemAfterTheNineteen) {
    const std::string json = cli({"p-t", "10", "25", "--json"}).out;
    const std::vector<std::string> keys = all_matches(json, R"re(\n  "([a-z_]+)": [-0-9n])re");
    const std::vector<std::string> fields = field_names(0, FIELD_COUNT);
    const auto at = std::search(keys.begin(), keys.end(), fields.begin(), fields.end());
    EXPECT_NE(at, keys.end()) << json;
    EXPECT_EQ(std::string(CSV_EXTENDED_COLUMNS), "," + joined(extended_names(), ",", ","));
    const std::string csv = cli({"p-t", "10", "25", "--csv"}).out;
    EXPECT_EQ(csv.substr(0, csv.find('\n')), std::string("table,status,error,pair,first_value,"
                                                         "second_value,") +
                                                 CSV_RESULT_COLUMNS + CSV_EXTENDED_COLUMNS);
}

TEST(ExtendedFieldNames, ReadmeListsEverySymbol) {
    EXPECT_NE(prose(README).find("the outputs after them (`" +
                                 joined(extended_symbols(), " ", " ") + "`)"),
              std::string::npos);
}

}  // namespace
}  // namespace zeltra5
