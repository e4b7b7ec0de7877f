#include "zeltra5/table_csv.hpp"

#include <charconv>
#include <string>

#include "zeltra5/bounded_text.hpp"

namespace zeltra5 {

const char* const CSV_RESULT_COLUMNS =
    "relative_enthalpy,pressure,temperature,specific_enthalpy,mass_density,specific_volume,"
    "specific_internal_energy,specific_entropy,isobaric_heat_capacity,isochoric_heat_capacity,"
    "isentropic_coefficient,thermal_conductivity,kinematic_viscosity,dynamic_viscosity,"
    "prandtl_number,speed_of_sound,surface_tension,expansion_coefficient,latent_heat,phase,"
    "phase_detail,phase_name";

const char* const CSV_EXTENDED_COLUMNS = ""
#define ZELTRA5_EXTENDED_FIELD(id, name, symbol, unit, row, phases) "," name
#include "zeltra5/fields.inc"
#undef ZELTRA5_EXTENDED_FIELD
    ;

namespace {

void append_number(std::string& line, const double value) {
    char text[SHORTEST_TEXT_SIZE];
    line.append(text, format_shortest(text, value));
}

}  // namespace

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
    const std::string text = whole_text([&](char* buffer, const std::size_t size) {
        return describe_refusal(result, Language::english, buffer, size);
    });
    const bool by_superheat = result.options.superheat &&
                              (result.refusal.reason == RefusalReason::superheat_limit ||
                               result.refusal.reason == RefusalReason::not_superheated_liquid);
    std::string message = by_superheat ? "with --superheat: " : "";
    message.append(text);
    return message;
}

std::string csv_result_units(const Units& units, const bool extended) {
    std::string s;
    for (int k = 0; k < RESULT_VALUE_COUNT; ++k) {
        s += csv_cell(unit_text(RESULT_FIELDS[k].unit, units, Language::english));
        s += ',';
    }
    s += ",,";  // phase, phase_detail, phase_name
    for (int k = RESULT_VALUE_COUNT; extended && k < FIELD_COUNT; ++k) {
        s += ',';
        s += csv_cell(unit_text(RESULT_FIELDS[k].unit, units, Language::english));
    }
    return s;
}

void write_csv_result(const StateResult& result, const Language language, std::string& line,
                      const bool extended) {
    for (const double v : result.values) {
        append_number(line, v);
        line += ',';
    }
    if (result.status == STATUS_VALID) {
        char text[16];
        line.append(text, std::to_chars(text, text + sizeof text, result.phase).ptr);
        line += ',';
        line.append(text, std::to_chars(text, text + sizeof text, result.phase_detail).ptr);
        line += ',';
        // No commas or quotes in a phase name.
        line += phase_state_text(result.phase, result.phase_detail, language);
    } else {
        line += ",,";
    }
    if (extended) {
        double values[EXTENDED_FIELD_COUNT];
        calculate_extended(result, values);
        for (const double v : values) {
            line += ',';
            append_number(line, v);
        }
    }
}

std::string property_table_csv(const PropertyTable& table, const Language language) {
    std::string out = "row,status,error,pair,first_value,second_value,";
    out += CSV_RESULT_COLUMNS;
    out += "\nunits,,,,,,";
    out += csv_result_units(table.options.units);
    out += '\n';
    for (const TableRow& row : table.rows) {
        const StateResult& r = row.state;
        out += row_kind_name(row.kind);
        out += ',';
        out += static_cast<char>('0' + r.status);
        out += ',';
        if (r.status != STATUS_VALID) {
            out += csv_cell(refusal_text(r));
        }
        out += ',';
        out += r.pair != nullptr ? r.pair->name : "";
        out += ',';
        append_number(out, r.given[0]);
        out += ',';
        append_number(out, r.given[1]);
        out += ',';
        write_csv_result(r, language, out);
        out += '\n';
    }
    return out;
}

}  // namespace zeltra5
