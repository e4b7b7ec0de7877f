#include "zeltra5/cli/command_line.hpp"

#include <charconv>
#include <exception>
#include <istream>
#include <new>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

#include "command_args.hpp"
#include "zeltra5/calculation.hpp"
#include "zeltra5/cli/batch.hpp"
#include "zeltra5/cli/checked_output.hpp"
#include "zeltra5/cli/options.hpp"
#include "zeltra5/cli/output.hpp"
#include "zeltra5/cli/tables_commands.hpp"
#include "zeltra5/echo_text.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/number_text.hpp"

namespace zeltra5::cli {

namespace {

// take_common_option's bit of --model.
constexpr unsigned MODEL_GIVEN = 64;

// "  --model a|b", then each model's name and description filled into lines of at most `width`
// characters under the explanations.
std::string models_help(const std::size_t indent, const std::size_t width) {
    std::string help = "  --model " + model_names("|", "|") + "\n";
    help.append(indent, ' ');
    help += "equation of state (default " + std::string(MODELS[DEFAULT_MODEL].name) + "):\n";
    for (const ModelInfo& m : MODELS) {
        std::string line(indent, ' ');
        line += std::string(m.name) + ":";
        std::string_view words = m.description;
        while (!words.empty()) {
            const std::size_t blank = words.find(' ');
            const std::string_view word = words.substr(0, blank);
            words = blank == std::string_view::npos ? std::string_view() : words.substr(blank + 1);
            if (line.size() + 1 + word.size() > width) {
                help += line + "\n";
                line.assign(indent + 2, ' ');
                line += word;
            } else {
                line += ' ';
                line += word;
            }
        }
        help += line + "\n";
    }
    return help;
}

}  // namespace

std::string model_names(const std::string_view separator, const std::string_view last) {
    std::string names;
    for (int k = 0; k < MODEL_COUNT; ++k) {
        if (k > 0) {
            names += k + 1 == MODEL_COUNT ? last : separator;
        }
        names += MODELS[k].name;
    }
    return names;
}

std::string model_line(const int model) {
    const ModelInfo& m = MODELS[model];
    return "model: " + std::string(m.name) + " (" + m.description + ")";
}

std::string with_model_column(const std::string_view csv, const int model) {
    std::string s;
    s.reserve(csv.size() + csv.size() / 8);
    bool first = true;
    std::size_t start = 0;
    while (start < csv.size()) {
        std::size_t end = csv.find('\n', start);
        if (end == std::string_view::npos) {
            end = csv.size();
        }
        const std::string_view line = csv.substr(start, end - start);
        s += line;
        if (first) {
            s += ",model";
        } else if (line.substr(0, 6) == "units,") {
            s += ',';
        } else if (!line.empty()) {
            s += ',';
            s += MODELS[model].name;
        }
        first = false;
        if (end < csv.size()) {
            s += '\n';
        }
        start = end + 1;
    }
    return s;
}

bool CommonOptions::model_given() const {
    return (given & MODEL_GIVEN) != 0;
}

const std::string& common_options_help() {
    // The column of the explanations and the width of the help's lines.
    constexpr std::size_t INDENT = 23;
    constexpr std::size_t WIDTH = 90;
    static const std::string help =
        "  --si                 SI units in and out: Pa, K, J/kg, J/(kg·K) (same as --units si)\n"
        "  --units U            display (default): bar, °C, kJ/kg, kJ/(kg·°C); every other\n"
        "                       quantity in SI (kg/m3, W/(m·K), m2/s, Pa·s, m/s, N/m, 1/K);\n"
        "                       si; si-celsius: SI with °C (what --si meant up to 1.2). Then,\n"
        "                       or alone, a unit per quantity: p=Pa|kPa|MPa|bar|psi,\n"
        "                       t=K|degC|degF, h=J/kg|kJ/kg (also u, r), s=J/(kg*K)|kJ/(kg*K)\n"
        "                       (also cp, cv): --units \"p=kPa,t=K\", --units \"si,p=bar\"\n"
        "  --reference " +
        reference_state_names("|", "|") +
        "\n"
        "                       reference state of h, u and s, for inputs and outputs alike:\n" +
        reference_states_help(INDENT, WIDTH) + models_help(INDENT, WIDTH) +
        "  --lang ru|en         language of the text output's names, phase names and units\n"
        "                       (default ru, as the program); JSON keys and CSV columns stay\n"
        "  --json, --csv        machine output: JSON, or CSV with a second header line of units\n";
    return help;
}

namespace {

constexpr const char* USAGE_HEAD =
    "usage: zeltra5-calc PAIR FIRST [SECOND] [options]\n"
    "       zeltra5-calc --batch [--si] [--reference R] [--model M] [--lang L] [--threads N]\n"
    "                    < requests.csv > results.csv\n"
    "       zeltra5-calc table | cycle | diagram ...   (below; each with --help)\n"
    "       zeltra5-calc constants [--model NAME] [--json]   the equation's constants\n"
    "       zeltra5-calc --help | --version\n"
    "\n"
    "PAIR and its values (the saturation pairs take one value):\n"
    "  p-x PRESSURE QUALITY       ps-liquid PRESSURE       ps-vapour PRESSURE\n"
    "  ts-liquid TEMPERATURE      ts-vapour TEMPERATURE    p-t PRESSURE TEMPERATURE\n"
    "  p-h PRESSURE ENTHALPY      p-u PRESSURE ENERGY      p-s PRESSURE ENTROPY\n"
    "  p-rho PRESSURE DENSITY     t-rho TEMPERATURE DENSITY\n"
    "  t-x TEMPERATURE QUALITY    t-h TEMPERATURE ENTHALPY\n"
    "  t-s TEMPERATURE ENTROPY    t-u TEMPERATURE ENERGY\n"
    "  rho-h DENSITY ENTHALPY     rho-s DENSITY ENTROPY    rho-u DENSITY ENERGY\n"
    "  h-s ENTHALPY ENTROPY\n"
    "\n"
    "Options:\n"
    "  --superheat          the superheated (metastable) liquid instead of the two-phase or\n"
    "                       vapour state (not with the saturation pairs)\n"
    "  --table requested|liquid|vapour|all\n"
    "                       the requested state (default), the saturated liquid or vapour at\n"
    "                       its pressure, or all three\n";

constexpr const char* USAGE_TAIL =
    "  --batch              CSV requests from standard input, one result line per line:\n"
    "                       mode,side,first_value,second_value\n"
    "                       mode: 0 p-x, 1 ps-*, 2 ts-*, 3 p-t, 4 p-h, 5 p-u, 6 p-s, 7 p-rho,\n"
    "                       8 t-rho, or the pair's name; side: in modes 1 and 2 by number\n"
    "                       1 liquid, 2 vapour; otherwise 1 asks for the superheated liquid,\n"
    "                       0 or 2 not. Output columns: status (0 valid, 1 outside the\n"
    "                       domain, 2 input error), error, the four inputs, the nineteen\n"
    "                       fields (empty where undefined), phase, phase_detail, phase_name,\n"
    "                       then the extended fields (compressibility_factor ...\n"
    "                       phase_identification_parameter, as --json and --csv give them);\n"
    "                       the second header line gives the units.\n"
    "  --threads N          batch calculation on N threads (default 1); same output\n"
    "  --help, -h           this text;  --version  the version\n"
    "\n"
    "Tables, the refrigeration cycle and the diagrams:\n";

constexpr const char* USAGE_EXAMPLES =
    "\n"
    "Examples:\n"
    "  zeltra5-calc p-t 10 25                      superheated vapour at 10 bar, 25 °C\n"
    "  zeltra5-calc ts-liquid 0 --reference iir    h = 200 kJ/kg, s = 1 kJ/(kg·K)\n"
    "  zeltra5-calc p-h 1e6 1.2e6 --si --json      SI in and out, as JSON\n"
    "  zeltra5-calc p-x 5 0.3 --table all --lang en\n"
    "  zeltra5-calc p-t 1 -30 --superheat --csv\n"
    "  zeltra5-calc --batch --threads 2 < in.csv > out.csv\n"
    "  zeltra5-calc table saturation t=-70:130:5 --lang en\n"
    "  zeltra5-calc table isotherm t=25 p=1:100:*1.5 --csv\n"
    "  zeltra5-calc cycle --evaporating -10 --condensing 35 --superheat 5 --efficiency 0.75\n"
    "  zeltra5-calc diagram ph --out ph.svg --cycle --evaporating -10 --condensing 35\n"
    "\n"
    "Exit status: 0 valid, 1 outside the domain, 2 input error (with --batch: 2 when a line\n"
    "could not be read, after every line has been answered), 3 the input could not be read\n"
    "or the output not written, 4 the tool itself failed (out of memory).\n";

enum class TableChoice { requested, liquid, vapour, all };

struct Options {
    const ArgPair* pair = nullptr;
    const char* values[2] = {nullptr, nullptr};
    int value_count = 0;
    bool superheat = false;
    bool batch = false;
    bool help = false;
    bool version = false;
    bool table_given = false;
    int threads = 0;  // 0: not given
    TableChoice table = TableChoice::requested;
    CommonOptions common;
    bool format_given = false;
};

void usage(std::ostream& out) {
    out << USAGE_HEAD << common_options_help() << USAGE_TAIL << TABLES_COMMANDS_HELP
        << USAGE_EXAMPLES;
}

int usage_error(std::ostream& err, const std::string& message) {
    err << "zeltra5-calc: " << message << "\n(zeltra5-calc --help for the usage)\n";
    return EXIT_USAGE;
}

// The value of an option, as the next argument or after '='.
bool option_value(const int argc, const char* const* argv, int& i, const std::string_view name,
                  std::string_view& value) {
    const std::string_view arg = argv[i];
    if (arg == name) {
        if (i + 1 >= argc) {
            return false;
        }
        value = argv[++i];
        return true;
    }
    value = arg.substr(name.size() + 1);
    return true;
}

bool is_option(const std::string_view arg, const std::string_view name) {
    return arg == name || (arg.size() > name.size() && arg.substr(0, name.size()) == name &&
                           arg[name.size()] == '=');
}

}  // namespace

OptionMatch take_common_option(const int argc, const char* const* argv, int& i,
                               CommonOptions& options, std::string& problem) {
    enum : unsigned {
        SI = 1,
        UNITS = 2,
        REFERENCE = 4,
        LANG = 8,
        JSON = 16,
        CSV = 32,
        MODEL = MODEL_GIVEN
    };
    const std::string_view arg = argv[i];
    const struct {
        const char* name;
        unsigned bit;
        unsigned excludes;  // given before, these make it invalid
    } known[] = {{"--si", SI, UNITS},
                 {"--units", UNITS, SI | UNITS},
                 {"--reference", REFERENCE, REFERENCE},
                 {"--model", MODEL, MODEL},
                 {"--lang", LANG, LANG},
                 {"--json", JSON, CSV},
                 {"--csv", CSV, JSON}};
    for (const auto& k : known) {
        const bool flag = (k.bit & (SI | JSON | CSV)) != 0;
        if (!(flag ? arg == k.name : is_option(arg, k.name))) {
            continue;
        }
        if ((options.given & k.excludes) != 0) {
            problem = (options.given & k.bit) != 0 ? std::string(k.name) + " given twice"
                      : k.bit & (JSON | CSV) ? std::string("--json and --csv exclude each other")
                                             : std::string("--si and --units exclude each other");
            return OptionMatch::invalid;
        }
        options.given |= k.bit;
    }
    std::string_view value;
    if (arg == "--si") {
        options.units = SI_UNITS;
    } else if (arg == "--json" || arg == "--csv") {
        options.format = arg == "--json" ? Format::json : Format::csv;
    } else if (is_option(arg, "--units")) {
        if (!option_value(argc, argv, i, "--units", value) ||
            !parse_units(value, options.units, options.units)) {
            problem = "--units takes " + std::string(units_choices());
            return OptionMatch::invalid;
        }
    } else if (is_option(arg, "--reference")) {
        if (!option_value(argc, argv, i, "--reference", value) ||
            !parse_reference_state(value, options.reference)) {
            problem = "--reference takes " + reference_state_names(", ", " or ");
            return OptionMatch::invalid;
        }
    } else if (is_option(arg, "--model")) {
        const bool read = option_value(argc, argv, i, "--model", value);
        options.model = read ? find_model_index(value) : -1;
        if (!is_model_index(options.model)) {
            problem = read ? "unknown model \"" + echo_text(value) + "\": --model takes " +
                                 model_names(", ", " or ")
                           : "--model takes " + model_names(", ", " or ");
            return OptionMatch::invalid;
        }
    } else if (is_option(arg, "--lang")) {
        if (!option_value(argc, argv, i, "--lang", value) ||
            !parse_language(value, options.language)) {
            problem = "--lang takes ru or en";
            return OptionMatch::invalid;
        }
    } else {
        return OptionMatch::no;
    }
    return OptionMatch::yes;
}

namespace {

// Parses the arguments; answers an empty text or the reason for refusing them.
std::string parse_options(const int argc, const char* const* argv, Options& opt) {
    // Help and version win wherever they stand.
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        opt.help = opt.help || arg == "--help" || arg == "-h";
        opt.version = opt.version || arg == "--version";
    }
    if (opt.help || opt.version) {
        return {};
    }
    int positional = 0;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string problem;
        switch (take_common_option(argc, argv, i, opt.common, problem)) {
            case OptionMatch::yes:
                opt.format_given = opt.common.format != Format::text;
                continue;
            case OptionMatch::invalid:
                return problem;
            case OptionMatch::no:
                break;
        }
        // Options start with "--"; anything else, "-50" included, is a pair or a value.
        if (arg.substr(0, 2) == "--") {
            std::string_view value;
            if (arg == "--superheat") {
                opt.superheat = true;
            } else if (arg == "--batch") {
                opt.batch = true;
            } else if (is_option(arg, "--table")) {
                if (opt.table_given) {
                    return "--table given twice";
                }
                opt.table_given = true;
                if (!option_value(argc, argv, i, "--table", value)) {
                    value = {};
                }
                if (value == "requested") {
                    opt.table = TableChoice::requested;
                } else if (value == "liquid") {
                    opt.table = TableChoice::liquid;
                } else if (value == "vapour") {
                    opt.table = TableChoice::vapour;
                } else if (value == "all") {
                    opt.table = TableChoice::all;
                } else {
                    return "--table takes requested, liquid, vapour or all";
                }
            } else if (is_option(arg, "--threads")) {
                if (opt.threads != 0) {
                    return "--threads given twice";
                }
                int n = 0;
                const bool read = option_value(argc, argv, i, "--threads", value);
                const auto [ptr, ec] =
                    std::from_chars(value.data(), value.data() + value.size(), n);
                if (!read || ec != std::errc{} || ptr != value.data() + value.size() || n < 1 ||
                    n > MAX_THREADS) {
                    return "--threads takes a number of threads from 1 to " +
                           std::to_string(MAX_THREADS);
                }
                opt.threads = n;
            } else {
                return "unknown option " + echo_text(arg);
            }
            continue;
        }
        if (positional == 0) {
            opt.pair = find_arg_pair(arg);
            if (opt.pair == nullptr) {
                return "unknown argument pair \"" + echo_text(arg) + "\" (" + arg_pair_names() +
                       ")";
            }
        } else if (positional <= 2) {
            opt.values[positional - 1] = argv[i];
            opt.value_count = positional;
        } else {
            return "too many values";
        }
        ++positional;
    }
    if (opt.batch) {
        if (positional > 0) {
            return "--batch reads its requests from standard input and takes no pair or values";
        }
        if (opt.superheat || opt.table_given || opt.format_given) {
            return "--batch writes CSV and takes side 1 for the superheat: --superheat, --table, "
                   "--json and --csv do not apply";
        }
        return {};
    }
    if (opt.threads != 0) {
        return "--threads applies to --batch only";
    }
    if (opt.pair == nullptr) {
        return "no argument pair given";
    }
    const bool saturation = is_saturation_pair(*opt.pair);
    if (saturation && opt.value_count > 1) {
        return std::string(opt.pair->name) + " takes one value";
    }
    if (!saturation && opt.value_count < 2) {
        return std::string(opt.pair->name) + " takes two values";
    }
    if (saturation && opt.superheat) {
        return std::string("--superheat does not apply to ") + opt.pair->name;
    }
    return {};
}

// The name of a value of a pair, for messages.
std::string value_name(const ArgPair& pair, const int index) {
    if (is_quality_value(pair, index)) {
        return "quality";
    }
    const int field = index == 0 ? pair.first_field : pair.second_field;
    std::string name(table_row_name(RESULT_FIELDS[field].table_row, Language::english));
    name[0] = static_cast<char>(name[0] - 'A' + 'a');
    return name;
}

void print_json(const StateResult& result, const StateResult* liquid, const StateResult* vapour,
                const Language language, std::ostream& out) {
    const StateResult& r = result;
    out << "{\n  \"pair\": \"" << r.pair->name << "\",\n  \"mode\": " << r.request.mode
        << ",\n  \"side\": " << r.request.side
        << ",\n  \"first_value\": " << json_number(r.given[0])
        << ",\n  \"second_value\": " << json_number(r.given[1]) << ",\n  \"reference\": \""
        << reference_state_name(r.options.reference)
        << "\",\n  \"model\": " << json_string(MODELS[r.options.model].name)
        << ",\n  \"units\": " << json_units(r.options.units, true) << ",\n";
    write_json_members(r, language, "  ", out, true);
    const struct {
        const char* key;
        const StateResult* state;
    } extra[] = {{"saturated_liquid", liquid}, {"saturated_vapour", vapour}};
    for (const auto& e : extra) {
        if (e.state != nullptr) {
            out << ",\n  \"" << e.key << "\": {\n";
            write_json_members(*e.state, language, "    ", out, true);
            out << "\n  }";
        }
    }
    out << "\n}\n";
}

void print_csv(const StateResult* tables[3], const Language language, std::ostream& out) {
    const char* names[3] = {"requested", "saturated_liquid", "saturated_vapour"};
    const StateResult* any = tables[0] != nullptr ? tables[0] : tables[1] ? tables[1] : tables[2];
    out << "table,status,error,pair,first_value,second_value," << CSV_RESULT_COLUMNS
        << CSV_EXTENDED_COLUMNS << '\n'
        << "units,,,,,," << csv_result_units(any->options.units, true) << '\n';
    for (int k = 0; k < 3; ++k) {
        const StateResult* r = tables[k];
        if (r == nullptr) {
            continue;
        }
        std::string line = names[k];
        line += ',';
        line += static_cast<char>('0' + r->status);
        line += ',';
        if (r->status != STATUS_VALID) {
            line += csv_cell(refusal_text(*r));
        }
        line += ',';
        line += r->pair != nullptr ? r->pair->name : "";
        line += ',' + number_text(r->given[0]) + ',' + number_text(r->given[1]) + ',';
        write_csv_result(*r, language, line, true);
        out << line << '\n';
    }
}

int run_single(const Options& opt, std::ostream& out, std::ostream& err) {
    const ArgPair& pair = *opt.pair;
    double given[2] = {0.0, 0.0};
    for (int i = 0; i < pair.value_count; ++i) {
        if (!args::number(opt.values[i], given[i])) {
            err << "zeltra5-calc: " << value_name(pair, i) << ": \"" << echo_text(opt.values[i])
                << "\" is not a number (digits with a full stop and an optional exponent, "
                   "blanks around them allowed)\n";
            return EXIT_USAGE;
        }
    }
    // JSON and CSV show the extended fields: formed in the same calculation.
    const CalcOptions options{opt.common.units, opt.common.reference, opt.superheat,
                              opt.common.model, opt.common.format != Format::text};
    StateResult result;
    calculate_state(pair, given[0], given[1], options, result);

    const bool want_requested =
        opt.table == TableChoice::requested || opt.table == TableChoice::all;
    const bool want_liquid = opt.table == TableChoice::liquid || opt.table == TableChoice::all;
    const bool want_vapour = opt.table == TableChoice::vapour || opt.table == TableChoice::all;
    const bool valid = result.status == STATUS_VALID;
    const bool saturated = valid && result.phase != PHASE_SUPERCRITICAL;
    StateResult liquid;
    StateResult vapour;
    if (saturated && want_liquid) {
        calculate_saturated(result, SIDE_LIQUID, liquid);
    }
    if (saturated && want_vapour) {
        calculate_saturated(result, SIDE_VAPOUR, vapour);
    }
    const StateResult* liquid_shown = saturated && want_liquid ? &liquid : nullptr;
    const StateResult* vapour_shown = saturated && want_vapour ? &vapour : nullptr;
    const Language language = opt.common.language;

    switch (opt.common.format) {
        case Format::json:
            print_json(result, liquid_shown, vapour_shown, language, out);
            break;
        case Format::csv: {
            const StateResult* tables[3] = {want_requested || !valid ? &result : nullptr,
                                            liquid_shown, vapour_shown};
            if (opt.common.model_given()) {
                std::ostringstream csv;
                print_csv(tables, language, csv);
                out << with_model_column(csv.str(), opt.common.model);
            } else {
                print_csv(tables, language, out);
            }
            break;
        }
        case Format::text:
            if (!valid) {
                break;
            }
            if (opt.common.model_given()) {
                out << model_line(opt.common.model) << '\n';
            }
            if (opt.table == TableChoice::all) {
                out << "requested state\n";
            }
            if (want_requested) {
                write_text_table(result, language, out);
            }
            for (const auto& [shown, heading] : {std::pair{liquid_shown, "saturated liquid"},
                                                 {vapour_shown, "saturated vapour"}}) {
                if (shown == nullptr) {
                    continue;
                }
                if (opt.table == TableChoice::all) {
                    out << '\n' << heading << '\n';
                }
                if (shown->status == STATUS_VALID) {
                    write_text_table(*shown, language, out);
                } else {
                    out << "outside the domain: " << refusal_text(*shown) << '\n';
                }
            }
            break;
    }
    out.flush();
    if (!valid) {
        err << "zeltra5-calc: outside the domain: " << refusal_text(result) << '\n';
        return EXIT_OUTSIDE_DOMAIN;
    }
    if ((want_liquid || want_vapour) && !saturated) {
        err << "zeltra5-calc: a supercritical state has no saturated liquid or vapour\n";
        return opt.table == TableChoice::all ? EXIT_VALID : EXIT_OUTSIDE_DOMAIN;
    }
    const bool follow_up_failed = (liquid_shown != nullptr && liquid.status != STATUS_VALID) ||
                                  (vapour_shown != nullptr && vapour.status != STATUS_VALID);
    return follow_up_failed && opt.table != TableChoice::all ? EXIT_OUTSIDE_DOMAIN : EXIT_VALID;
}

}  // namespace

namespace {

int run_command(const int argc, const char* const* argv, std::istream& in, std::ostream& out,
                std::ostream& err) {
    if (argc == 0) {
        usage(err);
        return EXIT_USAGE;
    }
    for (const CommandEntry* command : {&TABLE_COMMAND, &CYCLE_COMMAND, &DIAGRAM_COMMAND,
                                        &CONSTANTS_COMMAND, &EXPORT_OPENFOAM_COMMAND}) {
        if (command->name == argv[0]) {
            return command->run(argc - 1, argv + 1, out, err);
        }
    }
    Options opt;
    const std::string problem = parse_options(argc, argv, opt);
    if (!problem.empty()) {
        return usage_error(err, problem);
    }
    if (opt.help) {
        usage(out);
        return EXIT_VALID;
    }
    if (opt.version) {
        out << "zeltra5-calc " << library_version() << '\n';
        return EXIT_VALID;
    }
    if (opt.batch) {
        const BatchOptions options{opt.common.units,    opt.common.reference,
                                   opt.common.language, opt.threads < 1 ? 1 : opt.threads,
                                   opt.common.model,    opt.common.model_given()};
        const BatchSummary summary = run_batch(in, out, options);
        if (!summary.read_error.empty() && out.good()) {
            err << "zeltra5-calc: cannot read standard input: " << summary.read_error << '\n';
            return EXIT_IO;
        }
        return summary.errors > 0 ? EXIT_USAGE : EXIT_VALID;
    }
    return run_single(opt, out, err);
}

}  // namespace

int run_command_line(const int argc, const char* const* argv, std::istream& in, std::ostream& out,
                     std::ostream& err) {
    int code = EXIT_INTERNAL;
    try {
        code = run_command(argc, argv, in, out, err);
        out.flush();
    } catch (const std::bad_alloc&) {
        err << "zeltra5-calc: out of memory\n";
        return EXIT_INTERNAL;
    } catch (const std::exception& e) {
        err << "zeltra5-calc: failed: " << echo_text(e.what()) << '\n';
        return EXIT_INTERNAL;
    } catch (...) {
        err << "zeltra5-calc: failed\n";
        return EXIT_INTERNAL;
    }
    if (const std::string failure = output_failure(out, "standard output"); !failure.empty()) {
        err << "zeltra5-calc: " << failure << '\n';
        return EXIT_IO;
    }
    return code;
}

}  // namespace zeltra5::cli
