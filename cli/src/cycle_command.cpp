// zeltra5-calc cycle: the single-stage vapour-compression cycle as text, CSV or JSON.

#include <cmath>
#include <ostream>
#include <string>
#include <string_view>

#include "command.hpp"
#include "command_args.hpp"
#include "zeltra5/bounded_text.hpp"
#include "zeltra5/cli/command_line.hpp"
#include "zeltra5/cli/options.hpp"
#include "zeltra5/cli/output.hpp"
#include "zeltra5/cli/tables_commands.hpp"
#include "zeltra5/echo_text.hpp"
#include "zeltra5/refrigeration_cycle.hpp"

namespace zeltra5::cli {

namespace args {

int take_cycle_option(const int argc, const char* const* argv, int& i, CycleInput& input,
                      unsigned& given, std::string& problem) {
    const struct {
        const char* name;
        double* value;
    } options[] = {{"--evaporating", &input.evaporating_temperature},
                   {"--condensing", &input.condensing_temperature},
                   {"--superheat", &input.superheat},
                   {"--subcooling", &input.subcooling},
                   {"--efficiency", &input.efficiency},
                   {"--capacity", &input.capacity}};
    for (unsigned k = 0; k < sizeof options / sizeof options[0]; ++k) {
        std::string_view value;
        bool missing = false;
        if (!option(argc, argv, i, options[k].name, value, missing)) {
            continue;
        }
        if ((given & 1u << k) != 0) {
            problem = std::string(options[k].name) + " given twice";
            return -1;
        }
        if (missing || !number(value, *options[k].value)) {
            problem = std::string(options[k].name) + " takes a number";
            return -1;
        }
        given |= 1u << k;
        return 1;
    }
    return 0;
}

bool cycle_complete(const unsigned given, std::string& problem) {
    if ((given & 1u) == 0) {
        problem = "--evaporating T0 is missing";
    } else if ((given & 2u) == 0) {
        problem = "--condensing TC is missing";
    }
    return (given & 3u) == 3u;
}

}  // namespace args

namespace {

constexpr const char* CYCLE_USAGE =
    "usage: zeltra5-calc cycle --evaporating T0 --condensing TC [--superheat K]\n"
    "                          [--subcooling K] [--efficiency ETA] [--capacity KW] [options]\n"
    "T0, TC in the units' temperature (°C by default, K with --si); superheat of the suction\n"
    "vapour and subcooling of the liquid in K (°F degrees with t=degF; default 0); isentropic\n"
    "efficiency of the compressor in (0, 1] (default 1); refrigerating capacity in kW for the\n"
    "mass flow (kg/s) and the displacement at suction (m3/h). Options: --si, --units,\n"
    "--reference, --model, --lang, --json, --csv.\n"
    "Example: zeltra5-calc cycle --evaporating -10 --condensing 35 --superheat 5 "
    "--efficiency 0.75 --capacity 100\n";

struct Request {
    CommonOptions common;
    CycleInput input;
};

// Why the cycle was refused, in English as the tool's other messages.
std::string cycle_refusal_text(const CycleResult& c) {
    return whole_text([&](char* text, const std::size_t size) {
        return describe_cycle_refusal(c, Language::english, text, size);
    });
}

std::string parse(const int argc, const char* const* argv, Request& r) {
    unsigned given = 0;
    for (int i = 0; i < argc; ++i) {
        std::string problem;
        const OptionMatch m = take_common_option(argc, argv, i, r.common, problem);
        if (m == OptionMatch::invalid) {
            return problem;
        }
        if (m == OptionMatch::yes) {
            continue;
        }
        const int c = args::take_cycle_option(argc, argv, i, r.input, given, problem);
        if (c < 0) {
            return problem;
        }
        if (c == 0) {
            return "unexpected argument \"" + echo_text(argv[i]) + "\"";
        }
    }
    std::string problem;
    args::cycle_complete(given, problem);
    return problem;
}

void write_text(const CycleResult& c, const Language language, const bool model,
                std::ostream& out) {
    const bool en = language == Language::english;
    const Units& units = c.options.units;
    const CycleInput& in = c.input;
    const std::string_view degrees = unit_text(UnitKind::temperature, units, language);
    const std::string_view difference = temperature_difference_text(units, language);
    out << (en ? "Single-stage cycle: evaporating " : "Одноступенчатый цикл: кипение ")
        << args::short_number(in.evaporating_temperature) << ' ' << degrees
        << (en ? ", condensing " : ", конденсация ")
        << args::short_number(in.condensing_temperature) << ' ' << degrees
        << (en ? ", superheat " : ", перегрев ") << args::short_number(in.superheat) << ' '
        << difference << (en ? ", subcooling " : ", переохлаждение ")
        << args::short_number(in.subcooling) << ' ' << difference
        << (en ? ", isentropic efficiency " : ", изоэнтропный КПД ")
        << args::short_number(in.efficiency) << '\n';
    if (model) {
        out << model_line(c.options.model) << '\n';
    }
    out << '\n';
    const int fields[] = {FIELD_PRESSURE, FIELD_TEMPERATURE, FIELD_ENTHALPY,
                          FIELD_ENTROPY,  FIELD_DENSITY,     FIELD_RELATIVE_ENTHALPY};
    std::string head = args::pad_left("", 24);
    std::string unit_line = args::pad_left("", 24);
    for (const int f : fields) {
        head += args::pad_left(f == FIELD_DENSITY ? "rho" : RESULT_FIELDS[f].symbol, 13);
        unit_line += args::pad_left(unit_text(RESULT_FIELDS[f].unit, units, language), 13);
    }
    out << head << '\n' << unit_line << '\n';
    for (int s = 0; s < CYCLE_STATE_COUNT; ++s) {
        const StateResult& r = c.states[s];
        std::string row =
            args::pad_right(std::to_string(s + 1) + " " + cycle_state_name(s, language), 24);
        for (const int f : fields) {
            row += args::pad_left(args::short_number(r.values[f]), 13);
        }
        out << row << "  " << phase_state_text(r.phase, r.phase_detail, language) << '\n';
    }
    out << '\n';
    for (int k = 0; k < CYCLE_FIGURE_COUNT; ++k) {
        const double v = c.figures[k];
        if (!std::isfinite(v)) {
            continue;
        }
        const std::string name =
            args::pad_right(en ? CYCLE_FIGURES[k].english : CYCLE_FIGURES[k].russian, 52);
        out << name << args::pad_left(args::short_number(v), 12) << ' '
            << cycle_figure_unit(k, units, language) << '\n';
    }
}

void write_json(const CycleResult& c, const Language language, std::ostream& out) {
    const bool valid = c.status == STATUS_VALID;
    out << "{\n  \"status\": " << c.status << ",\n  \"error\": ";
    if (valid) {
        out << "null";
    } else {
        out << json_string(cycle_refusal_text(c));
    }
    const CycleInput& in = c.input;
    out << ",\n  \"input\": {\"evaporating_temperature\": "
        << json_number(in.evaporating_temperature)
        << ", \"condensing_temperature\": " << json_number(in.condensing_temperature)
        << ", \"superheat\": " << json_number(in.superheat)
        << ", \"subcooling\": " << json_number(in.subcooling)
        << ", \"efficiency\": " << json_number(in.efficiency)
        << ", \"capacity\": " << (in.capacity > 0.0 ? json_number(in.capacity) : "null")
        << "},\n  \"reference\": \"" << reference_state_name(c.options.reference)
        << "\",\n  \"model\": " << json_string(MODELS[c.options.model].name) << ",\n";
    for (int k = 0; k < CYCLE_FIGURE_COUNT; ++k) {
        out << "  \"" << CYCLE_FIGURES[k].name << "\": " << json_number(c.figures[k]) << ",\n";
    }
    out << "  \"figure_units\": {";
    for (int k = 0; k < CYCLE_FIGURE_COUNT; ++k) {
        out << (k ? ", \"" : "\"") << CYCLE_FIGURES[k].name
            << "\": " << json_string(cycle_figure_unit(k, c.options.units, Language::english));
    }
    out << "},\n  \"units\": " << json_units(c.options.units) << ",\n  \"states\": [";
    for (int s = 0; s <= CYCLE_STATE_COUNT; ++s) {
        const StateResult& r = s < CYCLE_STATE_COUNT ? c.states[s] : c.isentropic_discharge;
        if (s == CYCLE_STATE_COUNT) {
            out << "\n  ],\n  \"isentropic_discharge\": {\n";
        } else {
            out << (s ? ",\n" : "\n")
                << "    {\n      \"state\": " << json_string(cycle_state_name(s, Language::english))
                << ",\n";
        }
        if (r.pair == nullptr) {
            out << (s < CYCLE_STATE_COUNT ? "      " : "    ") << "\"status\": null";
        } else {
            write_json_members(r, language, s < CYCLE_STATE_COUNT ? "      " : "    ", out);
        }
        out << (s < CYCLE_STATE_COUNT ? "\n    }" : "\n  }\n}\n");
    }
}

void write_csv(const CycleResult& c, const Language language, const bool model, std::ostream& out) {
    out << "figure,value,unit\n";
    if (model) {
        out << "model," << MODELS[c.options.model].name << ",\n";
    }
    for (int k = 0; k < CYCLE_FIGURE_COUNT; ++k) {
        out << CYCLE_FIGURES[k].name << ',' << number_text(c.figures[k]) << ','
            << csv_cell(cycle_figure_unit(k, c.options.units, Language::english)) << '\n';
    }
    out << "\nstate,status,error,pair,first_value,second_value," << CSV_RESULT_COLUMNS << '\n'
        << "units,,,,,," << csv_result_units(c.options.units) << '\n';
    for (int s = 0; s <= CYCLE_STATE_COUNT; ++s) {
        const StateResult& r = s < CYCLE_STATE_COUNT ? c.states[s] : c.isentropic_discharge;
        std::string line = csv_cell(cycle_state_name(s, Language::english));
        line += ',';
        line += static_cast<char>('0' + (r.pair == nullptr ? STATUS_BAD_ARGUMENT : r.status));
        line += ',';
        if (r.pair != nullptr && r.status != STATUS_VALID) {
            line += csv_cell(refusal_text(r));
        }
        line += ',';
        line += r.pair != nullptr ? r.pair->name : "";
        line += ',' + number_text(r.given[0]) + ',' + number_text(r.given[1]) + ',';
        write_csv_result(r, language, line);
        out << line << '\n';
    }
}

int run(const Request& r, std::ostream& out, std::ostream& err) {
    CycleResult c;
    calculate_cycle(r.input, {r.common.units, r.common.reference, false, r.common.model}, c);
    const bool model = r.common.model_given();
    switch (r.common.format) {
        case Format::text:
            if (c.status == STATUS_VALID) {
                write_text(c, r.common.language, model, out);
            }
            break;
        case Format::json:
            write_json(c, r.common.language, out);
            break;
        case Format::csv:
            write_csv(c, r.common.language, model, out);
            break;
    }
    out.flush();
    if (c.status != STATUS_VALID) {
        err << "zeltra5-calc cycle: refused: " << cycle_refusal_text(c) << '\n';
        return EXIT_OUTSIDE_DOMAIN;
    }
    return EXIT_VALID;
}

constexpr Command<Request> CYCLE{"cycle", CYCLE_USAGE, parse, run};

}  // namespace

constinit const CommandEntry CYCLE_COMMAND = command_entry<CYCLE>();

int run_cycle_command(const int argc, const char* const* argv, std::ostream& out,
                      std::ostream& err) {
    return CYCLE_COMMAND.run(argc, argv, out, err);
}

}  // namespace zeltra5::cli
