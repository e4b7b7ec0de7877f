#include "zeltra5/cli/output.hpp"

#include <charconv>
#include <cmath>
#include <ostream>

namespace zeltra5::cli {

const char* const CSV_RESULT_COLUMNS =
    "relative_enthalpy,pressure,temperature,specific_enthalpy,mass_density,specific_volume,"
    "specific_internal_energy,specific_entropy,isobaric_heat_capacity,isochoric_heat_capacity,"
    "isentropic_coefficient,thermal_conductivity,kinematic_viscosity,dynamic_viscosity,"
    "prandtl_number,speed_of_sound,surface_tension,expansion_coefficient,latent_heat,phase,"
    "phase_detail,phase_name";

char* write_number(char* out, const double value) {
    return format_shortest(out, value);
}

std::string number_text(const double value) {
    char text[NUMBER_TEXT_SIZE];
    return std::string(text, write_number(text, value));
}

std::string json_number(const double value) {
    return std::isfinite(value) ? number_text(value) : std::string("null");
}

std::string json_string(const std::string_view text) {
    std::string q = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            q += '\\';
            q += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            constexpr char HEX[] = "0123456789abcdef";
            q += "\\u00";
            q += HEX[(c >> 4) & 0xF];
            q += HEX[c & 0xF];
        } else {
            q += c;
        }
    }
    return q + "\"";
}

std::string csv_cell(const std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string q = "\"";
    for (const char c : text) {
        q += c;
        if (c == '"') {
            q += '"';
        }
    }
    return q + "\"";
}

std::string refusal_text(const StateResult& result) {
    char text[512];
    describe_refusal(result, Language::english, text, sizeof text);
    const bool by_superheat = result.options.superheat &&
                              (result.refusal.reason == RefusalReason::superheat_limit ||
                               result.refusal.reason == RefusalReason::not_superheated_liquid);
    std::string message = by_superheat ? "with --superheat: " : "";
    message.append(text);
    return message;
}

namespace {

std::string_view phase_name(const StateResult& r, const Language language) {
    return r.status == STATUS_VALID ? phase_state_text(r.phase, r.phase_detail, language)
                                    : std::string_view();
}

}  // namespace

void write_json_members(const StateResult& result, const Language language,
                        const std::string_view indent, std::ostream& out) {
    const bool valid = result.status == STATUS_VALID;
    out << indent << "\"status\": " << result.status << ",\n";
    for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
        out << indent << '"' << RESULT_FIELDS[k].name << "\": " << json_number(result.values[k])
            << ",\n";
    }
    out << indent << "\"phase\": " << (valid ? std::to_string(result.phase) : "null") << ",\n";
    out << indent << "\"phase_detail\": " << (valid ? std::to_string(result.phase_detail) : "null")
        << ",\n";
    out << indent
        << "\"phase_name\": " << (valid ? json_string(phase_name(result, language)) : "null")
        << ",\n";
    out << indent << "\"error\": " << (valid ? "null" : json_string(refusal_text(result)));
}

std::string json_units(const UnitSystem units) {
    std::string s = "{\"system\": \"";
    s += unit_system_name(units);
    s += '"';
    for (const FieldInfo& f : RESULT_FIELDS) {
        s += ", \"";
        s += f.name;
        s += "\": ";
        s += json_string(unit_text(f.unit, units, Language::english));
    }
    return s + "}";
}

std::string csv_result_units(const UnitSystem units) {
    std::string s;
    for (const FieldInfo& f : RESULT_FIELDS) {
        s += csv_cell(unit_text(f.unit, units, Language::english));
        s += ',';
    }
    return s + ",,";  // phase, phase_detail, phase_name
}

void write_csv_result(const StateResult& result, const Language language, std::string& line) {
    char text[NUMBER_TEXT_SIZE];
    for (const double v : result.values) {
        line.append(text, write_number(text, v));
        line += ',';
    }
    if (result.status == STATUS_VALID) {
        line.append(text, std::to_chars(text, text + sizeof text, result.phase).ptr);
        line += ',';
        line.append(text, std::to_chars(text, text + sizeof text, result.phase_detail).ptr);
        line += ',';
        line += phase_name(result, language);  // no commas or quotes in a phase name
    } else {
        line += ",,";
    }
}

}  // namespace zeltra5::cli
