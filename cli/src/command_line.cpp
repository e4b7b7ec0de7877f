#include "zeltra5/cli/command_line.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

#include "zeltra5/calc.hpp"
#include "zeltra5/cli/batch.hpp"
#include "zeltra5/number_text.hpp"
#include "zeltra5/result_table.hpp"

namespace zeltra5::cli {
namespace {

// The shell's own texts for an invalid result, in UTF-8.
constexpr const char* OUTSIDE_DOMAIN_MESSAGE = "Параметры вне области определения";

constexpr const char* USAGE =
    "usage: zeltra5-calc MODE FIRST [SECOND] [--superheat] [--si] [--json]\n"
    "                    [--table requested|liquid|vapour|all]\n"
    "       zeltra5-calc --batch  < requests.csv > results.csv\n"
    "MODE: p-x, ps-liquid, ps-vapour, ts-liquid, ts-vapour, p-t, p-h, p-u, p-s, p-rho, t-rho\n"
    "Values in bar, degC, kJ/kg, kJ/(kg degC), kg/m3 (or Pa, degC, J/kg, J/(kg K), kg/m3 with\n"
    "--si). ps-* and ts-* take one value. --superheat asks for superheated liquid.\n"
    "--batch reads lines mode,side,first_value,second_value (SI units) from standard input.\n"
    "Exit status: 0 valid result, 1 outside the domain, 2 usage error.\n";

struct ModeName {
    const char* name;
    std::int32_t mode;
    std::int32_t side;
};

// The argument items of the menu.
constexpr ModeName MODE_NAMES[] = {
    {"p-x", MODE_PRESSURE_QUALITY, SIDE_NONE},
    {"ps-liquid", MODE_SATURATION_PRESSURE, SIDE_LIQUID},
    {"ps-vapour", MODE_SATURATION_PRESSURE, SIDE_VAPOUR},
    {"ts-liquid", MODE_SATURATION_TEMPERATURE, SIDE_LIQUID},
    {"ts-vapour", MODE_SATURATION_TEMPERATURE, SIDE_VAPOUR},
    {"p-t", MODE_PRESSURE_TEMPERATURE, SIDE_NONE},
    {"p-h", MODE_PRESSURE_ENTHALPY, SIDE_NONE},
    {"p-u", MODE_PRESSURE_ENERGY, SIDE_NONE},
    {"p-s", MODE_PRESSURE_ENTROPY, SIDE_NONE},
    {"p-rho", MODE_PRESSURE_DENSITY, SIDE_NONE},
    {"t-rho", MODE_TEMPERATURE_DENSITY, SIDE_NONE},
};

enum class TableChoice { requested, liquid, vapour, all };

struct Options {
    const ModeName* mode = nullptr;
    const char* values[2] = {nullptr, nullptr};
    int value_count = 0;
    bool superheat = false;
    bool si = false;
    bool json = false;
    bool batch = false;
    bool help = false;
    TableChoice table = TableChoice::requested;
};

bool is_saturation(const ModeName& m) {
    return m.mode == MODE_SATURATION_PRESSURE || m.mode == MODE_SATURATION_TEMPERATURE;
}

int usage_error(std::ostream& err, const std::string& message) {
    err << "zeltra5-calc: " << message << '\n' << USAGE;
    return EXIT_USAGE;
}

// Parses the arguments; answers an empty text or the reason for refusing them.
std::string parse_options(const int argc, const char* const* argv, Options& opt) {
    int positional = 0;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        // Options start with "--"; anything else, "-50" included, is a mode or a value.
        if (arg.substr(0, 2) == "--") {
            if (arg == "--superheat") {
                opt.superheat = true;
            } else if (arg == "--si") {
                opt.si = true;
            } else if (arg == "--json") {
                opt.json = true;
            } else if (arg == "--batch") {
                opt.batch = true;
            } else if (arg == "--help") {
                opt.help = true;
            } else if (arg == "--table" || arg.substr(0, 8) == "--table=") {
                std::string_view which;
                if (arg == "--table") {
                    if (i + 1 >= argc) {
                        return "--table needs requested, liquid, vapour or all";
                    }
                    which = argv[++i];
                } else {
                    which = arg.substr(8);
                }
                if (which == "requested") {
                    opt.table = TableChoice::requested;
                } else if (which == "liquid") {
                    opt.table = TableChoice::liquid;
                } else if (which == "vapour") {
                    opt.table = TableChoice::vapour;
                } else if (which == "all") {
                    opt.table = TableChoice::all;
                } else {
                    return "--table needs requested, liquid, vapour or all";
                }
            } else {
                return "unknown option " + std::string(arg);
            }
            continue;
        }
        if (positional == 0) {
            for (const ModeName& m : MODE_NAMES) {
                if (arg == m.name) {
                    opt.mode = &m;
                }
            }
            if (opt.mode == nullptr) {
                return "unknown mode " + std::string(arg);
            }
        } else if (positional <= 2) {
            opt.values[positional - 1] = argv[i];
            opt.value_count = positional;
        } else {
            return "too many values";
        }
        ++positional;
    }
    if (opt.help) {
        return {};
    }
    if (opt.batch) {
        if (argc != 1) {
            return "--batch takes no other arguments";
        }
        return {};
    }
    if (opt.mode == nullptr) {
        return "no mode given";
    }
    if (is_saturation(*opt.mode) && opt.value_count > 1) {
        return std::string("mode ") + opt.mode->name + " takes one value";
    }
    return {};
}

// ---- Output ----

std::size_t utf8_length(std::string_view s) {
    std::size_t n = 0;
    for (const char c : s) {
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return n;
}

void pad(std::string& line, const std::size_t width, const std::string_view text) {
    line += text;
    for (std::size_t n = utf8_length(text); n < width; ++n) {
        line += ' ';
    }
}

// The three columns of the results panel: names, values, units.
void print_table(const ResultTable& table, std::ostream& out) {
    std::size_t name_width = 0;
    std::size_t value_width = 0;
    for (int row = 0; row < RESULT_ROWS; ++row) {
        name_width = std::max(name_width, utf8_length(utf8_from_cp1251(result_row_name(row))));
        value_width = std::max(value_width, utf8_length(utf8_from_cp1251(table.rows[row])));
    }
    for (int row = 0; row < RESULT_ROWS; ++row) {
        std::string line;
        pad(line, name_width, utf8_from_cp1251(result_row_name(row)));
        pad(line, value_width + 1, utf8_from_cp1251(table.rows[row]));
        line += utf8_from_cp1251(result_row_unit(row));
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out << line << '\n';
    }
}

std::string json_number(const double value) {
    char buf[32];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 17);
    if (ec != std::errc{} || !(value - value == 0.0)) {
        return "null";  // not finite: JSON has no number for it
    }
    return std::string(buf, end);
}

std::string json_string(std::string_view s) {
    std::string q = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') {
            q += '\\';
            q += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, static_cast<int>(c), 16);
            (void)ec;
            q += "\\u00";
            if (end - buf < 2) {
                q += '0';
            }
            q.append(buf, end);
        } else {
            q += c;
        }
    }
    return q + "\"";
}

std::string trimmed(std::string s) {
    const std::size_t first = s.find_first_not_of(' ');
    const std::size_t last = s.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
}

// The result fields by name in SI units, and the phase name; null after status 1.
void print_json_result(const int status, const PropertyResult& r, const std::string& indent,
                       std::ostream& out) {
    const bool valid = status == 0;
    const ResultValues values = result_values(r);
    for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
        out << indent << '"' << RESULT_VALUE_NAMES[k]
            << "\": " << (valid ? json_number(values.value[k]) : "null") << ",\n";
    }
    const char* name = valid ? phase_state_name(r.phase, r.phase_detail) : nullptr;
    out << indent << "\"phase\": " << (valid ? std::to_string(r.phase) : "null") << ",\n";
    out << indent << "\"phase_detail\": " << (valid ? std::to_string(r.phase_detail) : "null")
        << ",\n";
    out << indent << "\"phase_name\": "
        << (name != nullptr ? json_string(trimmed(utf8_from_cp1251(name))) : "null");
}

// ---- One request ----

struct SaturatedTables {
    bool computed = false;  // not for a supercritical state
    int liquid_status = 1;
    int vapour_status = 1;
    PropertyResult liquid{};
    PropertyResult vapour{};
};

// The saturated liquid and vapour at the result's pressure, as the Windows program computes them;
// the pressure is kept inside the saturation range, which a result on the domain's edge can leave
// by a rounding error.
void saturated_at_result_pressure(const PropertyResult& result, SaturatedTables& sat) {
    if (result.phase_detail == 3) {
        return;
    }
    sat.computed = true;
    const double p = std::clamp(result.pressure, MIN_PRESSURE, CRITICAL_PRESSURE);
    const CalcRequest liquid{MODE_SATURATION_PRESSURE, SIDE_LIQUID, p, 0.0};
    const CalcRequest vapour{MODE_SATURATION_PRESSURE, SIDE_VAPOUR, p, 0.0};
    sat.liquid_status = calculate_properties(liquid, sat.liquid);
    sat.vapour_status = calculate_properties(vapour, sat.vapour);
}

void print_saturated_table(const char* heading, const int status, const PropertyResult& r,
                           std::ostream& out) {
    out << '\n' << heading << '\n';
    if (status != 0) {
        out << OUTSIDE_DOMAIN_MESSAGE << '\n';
        return;
    }
    ResultTable table{};
    format_result_table(r, table);
    print_table(table, out);
}

int run_single(const Options& opt, std::ostream& out, std::ostream& err) {
    CalcRequest request{opt.mode->mode, opt.mode->side, 0.0, 0.0};
    // Values as the input dialog reads them; the saturation modes' second field is fixed.
    const char* texts[2] = {opt.values[0], opt.values[1]};
    if (is_saturation(*opt.mode)) {
        texts[1] = opt.mode->side == SIDE_LIQUID ? " 0.0" : " 1.0";
    }
    double* targets[2] = {&request.first_value, &request.second_value};
    for (int i = 0; i < 2; ++i) {
        const NumberText status =
            texts[i] == nullptr ? NumberText::empty : read_number_text(texts[i], *targets[i]);
        if (status != NumberText::ok) {
            err << utf8_from_cp1251(number_text_message(status)) << '\n';
            return EXIT_USAGE;
        }
    }
    if (!opt.si) {
        // Display units to SI exactly as the Windows program converts them.
        if (request.mode != MODE_SATURATION_TEMPERATURE &&
            request.mode != MODE_TEMPERATURE_DENSITY) {
            request.first_value *= 100000.0;
        }
        if (request.mode == MODE_PRESSURE_ENTHALPY || request.mode == MODE_PRESSURE_ENERGY ||
            request.mode == MODE_PRESSURE_ENTROPY) {
            request.second_value *= 1000.0;
        }
    }
    if (request.side == SIDE_NONE && opt.superheat) {
        request.side = SIDE_LIQUID;
    }

    PropertyResult result{};
    const int status = calculate_properties(request, result);
    SaturatedTables sat;
    const bool want_liquid = opt.table == TableChoice::liquid || opt.table == TableChoice::all;
    const bool want_vapour = opt.table == TableChoice::vapour || opt.table == TableChoice::all;
    if (status == 0 && (want_liquid || want_vapour)) {
        saturated_at_result_pressure(result, sat);
    }

    if (opt.json) {
        out << "{\n  \"status\": " << status << ",\n  \"mode\": " << request.mode
            << ",\n  \"side\": " << request.side
            << ",\n  \"first_value\": " << json_number(request.first_value)
            << ",\n  \"second_value\": " << json_number(request.second_value) << ",\n";
        print_json_result(status, result, "  ", out);
        const struct {
            bool wanted;
            const char* key;
            int status;
            const PropertyResult& r;
        } extra[] = {{want_liquid, "saturated_liquid", sat.liquid_status, sat.liquid},
                     {want_vapour, "saturated_vapour", sat.vapour_status, sat.vapour}};
        for (const auto& e : extra) {
            if (e.wanted && sat.computed) {
                out << ",\n  \"" << e.key << "\": {\n    \"status\": " << e.status << ",\n";
                print_json_result(e.status, e.r, "    ", out);
                out << "\n  }";
            }
        }
        out << "\n}\n";
    } else if (status == 0) {
        ResultTable table{};
        format_result_table(result, table);
        const bool headings = want_liquid || want_vapour;
        if (headings) {
            out << "requested state\n";
        }
        print_table(table, out);
        if (sat.computed) {
            if (want_liquid) {
                print_saturated_table("saturated liquid", sat.liquid_status, sat.liquid, out);
            }
            if (want_vapour) {
                print_saturated_table("saturated vapour", sat.vapour_status, sat.vapour, out);
            }
        } else if (headings) {
            err << "zeltra5-calc: no saturated states for a supercritical state\n";
        }
    }
    out.flush();
    if (status != 0) {
        err << OUTSIDE_DOMAIN_MESSAGE << '\n';
        return EXIT_OUTSIDE_DOMAIN;
    }
    return EXIT_VALID;
}

}  // namespace

int run_command_line(const int argc, const char* const* argv, std::istream& in, std::ostream& out,
                     std::ostream& err) {
    Options opt;
    const std::string problem = parse_options(argc, argv, opt);
    if (!problem.empty()) {
        return usage_error(err, problem);
    }
    if (opt.help) {
        out << USAGE;
        return EXIT_VALID;
    }
    if (opt.batch) {
        run_batch(in, out);
        return EXIT_VALID;
    }
    return run_single(opt, out, err);
}

}  // namespace zeltra5::cli
