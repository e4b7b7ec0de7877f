#include "zeltra5/cli/output.hpp"

#include <ostream>

namespace zeltra5::cli {

char* write_number(char* out, const double value) {
    return format_shortest(out, value);
}

std::string number_text(const double value) {
    char text[NUMBER_TEXT_SIZE];
    return std::string(text, write_number(text, value));
}

namespace {

std::string_view phase_name(const StateResult& r, const Language language) {
    return r.status == STATUS_VALID ? phase_state_text(r.phase, r.phase_detail, language)
                                    : std::string_view();
}

}  // namespace

void write_json_members(const StateResult& result, const Language language,
                        const std::string_view indent, std::ostream& out, const bool extended) {
    const bool valid = result.status == STATUS_VALID;
    out << indent << "\"status\": " << result.status << ",\n";
    for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
        out << indent << '"' << RESULT_FIELDS[k].name << "\": " << json_number(result.values[k])
            << ",\n";
    }
    if (extended) {
        double values[EXTENDED_FIELD_COUNT];
        calculate_extended(result, values);
        for (int k = 0; k < EXTENDED_FIELD_COUNT; ++k) {
            out << indent << '"' << RESULT_FIELDS[RESULT_VALUE_COUNT + k].name
                << "\": " << json_number(values[k]) << ",\n";
        }
    }
    out << indent << "\"phase\": " << (valid ? std::to_string(result.phase) : "null") << ",\n";
    out << indent << "\"phase_detail\": " << (valid ? std::to_string(result.phase_detail) : "null")
        << ",\n";
    out << indent
        << "\"phase_name\": " << (valid ? json_string(phase_name(result, language)) : "null")
        << ",\n";
    out << indent << "\"error\": " << (valid ? "null" : json_string(refusal_text(result)));
}

std::string json_units(const Units& units, const bool extended) {
    std::string s = "{\"system\": \"";
    s += units_name(units).c_str();
    s += '"';
    for (int k = 0; k < (extended ? FIELD_COUNT : RESULT_VALUE_COUNT); ++k) {
        const FieldInfo& f = RESULT_FIELDS[k];
        s += ", \"";
        s += f.name;
        s += "\": ";
        s += json_string(unit_text(f.unit, units, Language::english));
    }
    return s + "}";
}

}  // namespace zeltra5::cli
