// zeltra5-calc table: saturation, isotherm, isobar and isochore tables as text, CSV or JSON.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "command.hpp"
#include "command_args.hpp"
#include "zeltra5/cli/command_line.hpp"
#include "zeltra5/cli/options.hpp"
#include "zeltra5/cli/output.hpp"
#include "zeltra5/cli/tables_commands.hpp"
#include "zeltra5/echo_text.hpp"
#include "zeltra5/property_table.hpp"
#include "zeltra5/table_csv.hpp"
#include "zeltra5/value_range.hpp"

namespace zeltra5::cli {

const char* const TABLES_COMMANDS_HELP =
    "  zeltra5-calc table saturation t=RANGE | p=RANGE          [--si ...] [--json|--csv]\n"
    "  zeltra5-calc table isotherm t=T p=RANGE | isobar p=P t=RANGE | isochore rho=RHO "
    "t=RANGE\n"
    "                       one full result per row; a RANGE is FROM:TO:STEP, FROM:TO:*FACTOR\n"
    "                       or a list a,b,c; where an isotherm or isobar crosses the\n"
    "                       saturation line, the saturated liquid and vapour rows are inserted\n"
    "  zeltra5-calc cycle --evaporating T0 --condensing TC [--superheat K] [--subcooling K]\n"
    "                    [--efficiency ETA] [--capacity KW]\n"
    "                       single-stage vapour-compression cycle (°C, K, kW): its four\n"
    "                       states, COP, q0, w, qc, discharge temperature, pressure ratio,\n"
    "                       q0·rho1 and, for a capacity, mass flow (kg/s) and displacement\n"
    "                       (m3/h at suction)\n"
    "  zeltra5-calc diagram ph|ts [--out FILE.svg] [--state PAIR V1 [V2]]...\n"
    "                    [--cycle --evaporating T0 ...] [--isotherms RANGE|none] [--isobars ..]\n"
    "                    [--isentropes ..] [--isenthalps ..] [--isochores ..] [--qualities ..]\n"
    "                    [--x FROM:TO] [--y FROM:TO] [--json|--csv]\n"
    "                       the log p-h or T-s diagram as SVG (A4), its chart model as JSON, or\n"
    "                       its points as CSV\n"
    "  zeltra5-calc export-openfoam --p-min PA --p-max PA --t-min K --t-max K --out DIR\n"
    "                    [--p-count N] [--t-count N] [--model NAME]\n"
    "                       OpenFOAM's tabulated thermophysical tables on a uniform p-T grid\n";

namespace {

constexpr const char* TABLE_USAGE =
    "usage: zeltra5-calc table saturation t=RANGE | p=RANGE\n"
    "       zeltra5-calc table isotherm t=T p=RANGE\n"
    "       zeltra5-calc table isobar p=P t=RANGE\n"
    "       zeltra5-calc table isochore rho=RHO t=RANGE\n"
    "RANGE: FROM:TO:STEP, FROM:TO:*FACTOR or a list a,b,c. Options: --superheat (the\n"
    "superheated liquid on isotherms, isobars and isochores), --si, --units, --reference,\n"
    "--model, --lang, --json, --csv.\n"
    "Example: zeltra5-calc table isotherm t=25 p=1:100:*1.5 --lang en\n";

struct Request {
    TableKind kind = TableKind::isotherm;
    double fixed = 0.0;
    std::vector<double> values;
    CommonOptions common;
    bool superheat = false;
};

// The saturation table whose values are given as `argument`=RANGE, or nullptr.
const TableKindInfo* saturation_by(const std::string_view argument) {
    for (const TableKindInfo& info : TABLE_KINDS) {
        if (info.fixed == nullptr && argument == info.varied) {
            return &info;
        }
    }
    return nullptr;
}

std::string parse(const int argc, const char* const* argv, Request& r) {
    if (argc < 1) {
        return "no kind of table given";
    }
    const std::string_view kind = argv[0];
    const TableKindInfo* k = find_table_kind(kind, TableKindNaming::shared);
    if (k == nullptr) {
        return "unknown kind of table \"" + echo_text(kind) + "\" (" +
               table_kind_names(TableKindNaming::shared) + ")";
    }
    bool fixed_given = false;
    bool range_given = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string problem;
        switch (take_common_option(argc, argv, i, r.common, problem)) {
            case OptionMatch::yes:
                continue;
            case OptionMatch::invalid:
                return problem;
            case OptionMatch::no:
                break;
        }
        if (arg == "--superheat") {
            r.superheat = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        if (arg.substr(0, 2) == "--" || eq == std::string_view::npos) {
            return "unexpected argument \"" + echo_text(arg) + "\"";
        }
        const std::string_view name = arg.substr(0, eq);
        const std::string_view value = arg.substr(eq + 1);
        if (k->fixed != nullptr && name == k->fixed) {
            if (fixed_given) {
                return echo_text(name) + " given twice";
            }
            if (!args::number(value, r.fixed)) {
                return echo_text(name) + ": \"" + echo_text(value) + "\" is not a number";
            }
            fixed_given = true;
            continue;
        }
        const bool saturation = k->fixed == nullptr;
        const TableKindInfo* by_range = saturation ? saturation_by(name) : k;
        if (by_range != nullptr && name == by_range->varied) {
            if (range_given) {
                return "the range is given twice";
            }
            r.kind = by_range->kind;
            const RangeError e = parse_value_range(value, r.values);
            if (e != RangeError::none) {
                return describe_range_error(e, value, Language::english);
            }
            range_given = true;
            continue;
        }
        return "a " + std::string(k->name) + " table takes " +
               (saturation ? std::string("t=RANGE or p=RANGE")
                           : std::string(k->fixed) + "=VALUE and " + k->varied + "=RANGE") +
               ", not " + echo_text(name) + "=";
    }
    if (k->fixed != nullptr && !fixed_given) {
        return std::string("no ") + k->fixed + "=VALUE given";
    }
    if (!range_given) {
        return k->fixed == nullptr ? std::string("no t=RANGE or p=RANGE given")
                                   : std::string("no ") + k->varied + "=RANGE given";
    }
    if (r.superheat && k->fixed == nullptr) {
        return "--superheat does not apply to a saturation table";
    }
    return {};
}

const char* row_word(const RowKind kind, const Language language) {
    const bool en = language == Language::english;
    switch (kind) {
        case RowKind::saturated_liquid:
            return en ? "liquid" : "жидкость";
        case RowKind::saturated_vapour:
            return en ? "vapour" : "пар";
        default:
            return "";
    }
}

// The columns of the text table; CSV and JSON give every field.
constexpr int TEXT_FIELDS[] = {FIELD_TEMPERATURE,
                               FIELD_PRESSURE,
                               FIELD_RELATIVE_ENTHALPY,
                               FIELD_DENSITY,
                               FIELD_ENTHALPY,
                               FIELD_ENTROPY,
                               FIELD_CP,
                               FIELD_SPEED_OF_SOUND,
                               FIELD_CONDUCTIVITY,
                               FIELD_DYNAMIC_VISCOSITY,
                               FIELD_LATENT_HEAT};
constexpr std::size_t WIDTH = 13;

std::string title(const PropertyTable& t, const Language language, const bool model) {
    const bool en = language == Language::english;
    const Units& units = t.options.units;
    const TableKindInfo& kind = table_kind_info(t.kind);
    std::string s = kind.title[static_cast<int>(language)];
    const int f = kind.fixed_field;
    if (f >= 0) {
        s += std::string(" ") + (f == FIELD_DENSITY ? "rho" : RESULT_FIELDS[f].symbol) + " = " +
             number_text(t.fixed) + " ";
        s.append(unit_text(RESULT_FIELDS[f].unit, units, language));
    }
    s += en ? " (reference " : " (отсчет ";
    s += reference_state_name(t.options.reference);
    if (model) {
        s += en ? ", model " : ", модель ";
        s += MODELS[t.options.model].name;
    }
    return s + ")";
}

void write_text(const PropertyTable& t, const Language language, const bool model,
                std::ostream& out) {
    out << title(t, language, model) << '\n';
    std::string head = args::pad_left("", 9);
    std::string units = args::pad_left("", 9);
    for (const int f : TEXT_FIELDS) {
        head += args::pad_left(f == FIELD_DENSITY ? "rho" : RESULT_FIELDS[f].symbol, WIDTH);
        units += args::pad_left(unit_text(RESULT_FIELDS[f].unit, t.options.units, language), WIDTH);
    }
    out << head << "  " << (language == Language::english ? "phase" : "фаза") << '\n'
        << units << '\n';
    for (const TableRow& row : t.rows) {
        std::string line = args::pad_left(row_word(row.kind, language), 9);
        if (row.state.status != STATUS_VALID) {
            const int varied = table_varied_field(t.kind);
            line += args::pad_left(varied == FIELD_TEMPERATURE ? args::short_number(row.value) : "",
                                   WIDTH);
            line += args::pad_left(varied == FIELD_PRESSURE ? args::short_number(row.value) : "",
                                   WIDTH);
            out << line << "  "
                << (language == Language::english ? "outside the domain: " : "вне области: ")
                << refusal_text(row.state) << '\n';
            continue;
        }
        for (const int f : TEXT_FIELDS) {
            line += args::pad_left(args::short_number(row.state.values[f]), WIDTH);
        }
        out << line << "  " << phase_state_text(row.state.phase, row.state.phase_detail, language)
            << '\n';
    }
}

void write_json(const PropertyTable& t, const Language language, std::ostream& out) {
    const int fixed = table_fixed_field(t.kind);
    out << "{\n  \"table\": \"" << table_kind_name(t.kind) << "\",\n  \"varied\": \""
        << RESULT_FIELDS[table_varied_field(t.kind)].name << "\",\n  \"fixed\": ";
    if (fixed < 0) {
        out << "null";
    } else {
        out << "{\"" << RESULT_FIELDS[fixed].name << "\": " << json_number(t.fixed) << "}";
    }
    out << ",\n  \"reference\": \"" << reference_state_name(t.options.reference)
        << "\",\n  \"model\": " << json_string(MODELS[t.options.model].name)
        << ",\n  \"units\": " << json_units(t.options.units) << ",\n  \"rows\": [";
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
        const TableRow& row = t.rows[i];
        out << (i ? ",\n" : "\n") << "    {\n      \"row\": \"" << row_kind_name(row.kind)
            << "\",\n      \"inserted\": " << (row.inserted ? "true" : "false")
            << ",\n      \"pair\": \"" << row.state.pair->name
            << "\",\n      \"first_value\": " << json_number(row.state.given[0])
            << ",\n      \"second_value\": " << json_number(row.state.given[1]) << ",\n";
        write_json_members(row.state, language, "      ", out);
        out << "\n    }";
    }
    out << "\n  ]\n}\n";
}

int run(const Request& r, std::ostream& out, std::ostream& err) {
    const CalcOptions options{r.common.units, r.common.reference, r.superheat, r.common.model};
    const PropertyTable table = build_property_table(r.kind, r.fixed, r.values, options);
    const bool model = r.common.model_given();
    switch (r.common.format) {
        case Format::text:
            write_text(table, r.common.language, model, out);
            break;
        case Format::csv:
            out << (model ? with_model_column(property_table_csv(table, r.common.language),
                                              r.common.model)
                          : property_table_csv(table, r.common.language));
            break;
        case Format::json:
            write_json(table, r.common.language, out);
            break;
    }
    out.flush();
    for (const TableRow& row : table.rows) {
        if (row.state.status == STATUS_VALID) {
            return EXIT_VALID;
        }
    }
    err << "zeltra5-calc table: every row is outside the domain\n";
    return EXIT_OUTSIDE_DOMAIN;
}

constexpr Command<Request> TABLE{"table", TABLE_USAGE, parse, run};

}  // namespace

constinit const CommandEntry TABLE_COMMAND = command_entry<TABLE>();

int run_table_command(const int argc, const char* const* argv, std::ostream& out,
                      std::ostream& err) {
    return TABLE_COMMAND.run(argc, argv, out, err);
}

}  // namespace zeltra5::cli
