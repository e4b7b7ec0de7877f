// zeltra5-calc diagram: the log p-h or T-s diagram as SVG, its chart model as JSON, or its
// points as CSV.

#include <ostream>
#include <string>
#include <string_view>

#include "command.hpp"
#include "command_args.hpp"
#include "zeltra5/chart.hpp"
#include "zeltra5/chart_svg.hpp"
#include "zeltra5/cli/checked_output.hpp"
#include "zeltra5/cli/command_line.hpp"
#include "zeltra5/cli/options.hpp"
#include "zeltra5/cli/output.hpp"
#include "zeltra5/cli/tables_commands.hpp"
#include "zeltra5/echo_text.hpp"
#include "zeltra5/value_range.hpp"

namespace zeltra5::cli {
namespace {

constexpr const char* DIAGRAM_USAGE =
    "usage: zeltra5-calc diagram ph|ts [--out FILE] [--state PAIR V1 [V2]]...\n"
    "                            [--cycle --evaporating T0 --condensing TC [--superheat K]\n"
    "                             [--subcooling K] [--efficiency ETA]]\n"
    "                            [--isotherms L] [--isobars L] [--isentropes L]\n"
    "                            [--isenthalps L] [--isochores L] [--qualities L]\n"
    "                            [--x FROM:TO] [--y FROM:TO] [options]\n"
    "ph: log p-h diagram (isotherms, isentropes, isochores and quality lines by default);\n"
    "ts: T-s diagram (isobars, isenthalps, isochores and quality lines). L is a RANGE\n"
    "(FROM:TO:STEP, FROM:TO:*FACTOR, a,b,c) of the lines' values in the chosen units, or none,\n"
    "or default. --x and --y set the axes (h or s; p or t). The SVG (A4 landscape) goes to\n"
    "FILE or standard output; --json writes the chart model, --csv its points\n"
    "(line,kind,value,label,x,y; an empty x and y where a line breaks). Options: --si,\n"
    "--units, --reference, --model (named in the subtitle), --lang (the diagram's words;\n"
    "default ru).\n"
    "Example: zeltra5-calc diagram ph --out ph.svg --cycle --evaporating -10 --condensing 35\n"
    "         --superheat 5 --efficiency 0.75 --state p-t 10 25 --lang en\n";

struct Request {
    ChartOptions chart;
    CommonOptions common;
    std::string path = "-";
};

struct FamilyOption {
    const char* name;
    LineKind kind;
};

constexpr FamilyOption FAMILIES[] = {
    {"--isotherms", LineKind::isotherm},   {"--isobars", LineKind::isobar},
    {"--isentropes", LineKind::isentrope}, {"--isenthalps", LineKind::isenthalp},
    {"--isochores", LineKind::isochore},   {"--qualities", LineKind::quality},
};

// "FROM:TO" as two finite numbers; the problem, or empty. Whether the range can be drawn (from
// below to, a span a double holds, above zero on the logarithmic axis) is the chart's to say.
std::string axis_range(const std::string_view axis, const std::string_view text, double& from,
                       double& to) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos) {
        return std::string(axis) + " takes FROM:TO, not \"" + echo_text(text) + "\"";
    }
    const std::string_view parts[2] = {text.substr(0, colon), text.substr(colon + 1)};
    double* ends[2] = {&from, &to};
    for (int k = 0; k < 2; ++k) {
        if (!args::number(parts[k], *ends[k])) {
            return std::string(axis) + ": \"" + echo_text(parts[k]) + "\" is not a finite number";
        }
    }
    return {};
}

std::string parse(const int argc, const char* const* argv, Request& r) {
    ChartOptions& o = r.chart;
    CommonOptions& common = r.common;
    std::string& out_path = r.path;
    if (argc < 1) {
        return "no kind of diagram given (ph or ts)";
    }
    const std::string_view type = argv[0];
    if (type == "ph") {
        o.type = ChartType::pressure_enthalpy;
    } else if (type == "ts") {
        o.type = ChartType::temperature_entropy;
    } else {
        return "unknown kind of diagram \"" + echo_text(type) + "\" (ph or ts)";
    }
    unsigned cycle_given = 0;
    // The options given so far that take a value: a bit for each line family, the axes, --out.
    unsigned lines_given = 0;
    constexpr unsigned X_GIVEN = 1u << 8, Y_GIVEN = 1u << 9, OUT_GIVEN = 1u << 10;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string problem;
        switch (take_common_option(argc, argv, i, common, problem)) {
            case OptionMatch::yes:
                continue;
            case OptionMatch::invalid:
                return problem;
            case OptionMatch::no:
                break;
        }
        const int c = args::take_cycle_option(argc, argv, i, o.cycle_input, cycle_given, problem);
        if (c < 0) {
            return problem;
        }
        if (c > 0) {
            continue;
        }
        std::string_view value;
        bool missing = false;
        if (arg == "--cycle") {
            o.cycle = true;
            continue;
        }
        if (args::option(argc, argv, i, "--out", value, missing)) {
            if (missing || value.empty()) {
                return "--out takes a file name (- for standard output)";
            }
            if ((lines_given & OUT_GIVEN) != 0) {
                return "--out given twice";
            }
            lines_given |= OUT_GIVEN;
            out_path = std::string(value);
            continue;
        }
        if (arg == "--state") {
            if (i + 1 >= argc) {
                return "--state takes a pair and its values";
            }
            ChartState s;
            s.pair = find_arg_pair(argv[i + 1]);
            if (s.pair == nullptr) {
                return "--state: unknown argument pair \"" + echo_text(argv[i + 1]) + "\"";
            }
            if (i + 1 + s.pair->value_count >= argc) {
                return std::string("--state ") + s.pair->name + " takes " +
                       (s.pair->value_count == 1 ? "one value" : "two values");
            }
            double* values[2] = {&s.first, &s.second};
            for (int k = 0; k < s.pair->value_count; ++k) {
                const char* text = argv[i + 2 + k];
                if (!args::number(text, *values[k])) {
                    return "--state: \"" + echo_text(text) + "\" is not a number";
                }
            }
            i += 1 + s.pair->value_count;
            o.states.push_back(s);
            continue;
        }
        bool family = false;
        for (const FamilyOption& f : FAMILIES) {
            if (!args::option(argc, argv, i, f.name, value, missing)) {
                continue;
            }
            family = true;
            if (missing) {
                return std::string(f.name) + " takes a range, none or default";
            }
            const unsigned bit = 1u << static_cast<int>(f.kind);
            if ((lines_given & bit) != 0) {
                return std::string(f.name) + " given twice";
            }
            lines_given |= bit;
            LineSet& set = o.lines[static_cast<int>(f.kind)];
            set.values.clear();
            if (value == "none") {
                set.show = LineSet::Show::no;
            } else if (value == "default") {
                set.show = LineSet::Show::yes;
            } else {
                const RangeError e = parse_value_range(value, set.values);
                if (e != RangeError::none) {
                    return std::string(f.name) + ": " +
                           describe_range_error(e, value, Language::english);
                }
                set.show = LineSet::Show::yes;
            }
        }
        if (family) {
            continue;
        }
        for (const char* axis : {"--x", "--y"}) {
            if (!args::option(argc, argv, i, axis, value, missing)) {
                continue;
            }
            const unsigned bit = axis[2] == 'x' ? X_GIVEN : Y_GIVEN;
            if ((lines_given & bit) != 0) {
                return std::string(axis) + " given twice";
            }
            lines_given |= bit;
            double& lo = axis[2] == 'x' ? o.x_min : o.y_min;
            double& hi = axis[2] == 'x' ? o.x_max : o.y_max;
            if (missing) {
                return std::string(axis) + " takes FROM:TO";
            }
            const std::string range_problem = axis_range(axis, value, lo, hi);
            if (!range_problem.empty()) {
                return range_problem;
            }
            family = true;
        }
        if (family) {
            continue;
        }
        return "unexpected argument \"" + echo_text(arg) + "\"";
    }
    if (cycle_given != 0 && !o.cycle) {
        return "the cycle's options go with --cycle";
    }
    std::string problem;
    if (o.cycle && !args::cycle_complete(cycle_given, problem)) {
        return problem;
    }
    return {};
}

std::string points_csv(const Chart& chart) {
    std::string s = "line,kind,value,label,x,y\n";
    const Units& units = chart.options.units;
    s += "units,,,," +
         csv_cell(unit_text(RESULT_FIELDS[chart.x.field].unit, units, Language::english)) + "," +
         csv_cell(unit_text(RESULT_FIELDS[chart.y.field].unit, units, Language::english)) + "\n";
    for (std::size_t i = 0; i < chart.lines.size(); ++i) {
        const ChartLine& l = chart.lines[i];
        const std::string head = std::to_string(i) + "," + line_kind_name(l.kind) + "," +
                                 number_text(l.value) + "," + csv_cell(l.label) + ",";
        for (const ChartPoint& p : l.points) {
            s += head + number_text(p.x) + "," + number_text(p.y) + "\n";
        }
    }
    return s;
}

int run(const Request& r, std::ostream& out, std::ostream& err) {
    ChartOptions o = r.chart;
    o.calc = {r.common.units, r.common.reference, false, r.common.model};
    o.language = r.common.language;
    Chart chart;
    std::string error;
    const int status = build_chart(o, chart, error);
    if (status != STATUS_VALID) {
        // Messages in English, as the tool's other messages, whatever the diagram's language.
        o.language = Language::english;
        build_chart(o, chart, error);
        err << "zeltra5-calc diagram: " << error << '\n';
        return status == STATUS_OUTSIDE_DOMAIN ? EXIT_OUTSIDE_DOMAIN : EXIT_USAGE;
    }
    const bool model = r.common.model_given();
    if (model && r.common.model == DEFAULT_MODEL) {
        // The chart names the other models itself.
        chart.subtitle += chart_model_note(r.common.model, chart.language);
    }
    const std::string text =
        r.common.format == Format::json ? chart_to_json(chart)
        : r.common.format == Format::csv
            ? (model ? with_model_column(points_csv(chart), r.common.model) : points_csv(chart))
            : chart_to_svg(chart);
    if (r.path == "-") {
        out << text;
        out.flush();
        return EXIT_VALID;
    }
    if (const std::string failure = write_file_whole(r.path, text); !failure.empty()) {
        err << "zeltra5-calc diagram: " << failure << '\n';
        return EXIT_IO;
    }
    return EXIT_VALID;
}

constexpr Command<Request> DIAGRAM{"diagram", DIAGRAM_USAGE, parse, run};

}  // namespace

constinit const CommandEntry DIAGRAM_COMMAND = command_entry<DIAGRAM>();

int run_diagram_command(const int argc, const char* const* argv, std::ostream& out,
                        std::ostream& err) {
    return DIAGRAM_COMMAND.run(argc, argv, out, err);
}

}  // namespace zeltra5::cli
