#include "zeltra5/cli/batch.hpp"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <istream>
#include <ostream>
#include <streambuf>
#include <system_error>

#include "zeltra5/number_text.hpp"

namespace zeltra5::cli {

const char* const BATCH_RESULT_HEADER =
    "status,relative_enthalpy,pressure,temperature,specific_enthalpy,mass_density,"
    "specific_volume,specific_internal_energy,specific_entropy,isobaric_heat_capacity,"
    "isochoric_heat_capacity,isentropic_coefficient,thermal_conductivity,kinematic_viscosity,"
    "dynamic_viscosity,prandtl_number,speed_of_sound,surface_tension,expansion_coefficient,"
    "latent_heat,phase,phase_detail";

namespace {

constexpr int RESULT_FIELDS = 22;
constexpr int INPUT_FIELDS = 4;

bool is_space(const char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// An integer field: leading white space, optional sign, decimal digits, in 32-bit range.
bool parse_int_field(std::string_view text, std::int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && is_space(text[i])) {
        ++i;
    }
    if (i < text.size() && text[i] == '+') {
        ++i;
        if (i < text.size() && text[i] == '-') {
            return false;
        }
    }
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    std::int32_t parsed = 0;
    const auto [ptr, ec] = std::from_chars(first, last, parsed);
    if (ec != std::errc{} || ptr != last || first == last) {
        return false;
    }
    value = parsed;
    return true;
}

std::size_t put_text(char* out, std::size_t n, const char* text) {
    const std::size_t len = std::strlen(text);
    std::memcpy(out + n, text, len);
    return n + len;
}

// 17 significant digits: enough to give back the same double.
std::size_t put_number(char* out, std::size_t n, const double value) {
    const auto [end, ec] =
        std::to_chars(out + n, out + BATCH_OUTPUT_SIZE, value, std::chars_format::general, 17);
    return ec == std::errc{} ? static_cast<std::size_t>(end - out) : n;
}

std::size_t put_int(char* out, std::size_t n, const std::int32_t value) {
    const auto [end, ec] = std::to_chars(out + n, out + BATCH_OUTPUT_SIZE, value);
    return ec == std::errc{} ? static_cast<std::size_t>(end - out) : n;
}

std::size_t put_empty_fields(char* out, std::size_t n, const int count) {
    for (int i = 0; i < count; ++i) {
        out[n++] = ',';
    }
    return n;
}

// Reads one line (without its '\n') into `buf`, keeping at most `cap` characters. Answers false
// at the end of the input when nothing was read.
bool read_line(std::streambuf& sb, char* buf, const std::size_t cap, std::size_t& len,
               bool& too_long) {
    len = 0;
    too_long = false;
    int c = sb.sbumpc();
    if (c == std::char_traits<char>::eof()) {
        return false;
    }
    while (c != std::char_traits<char>::eof() && c != '\n') {
        if (len < cap) {
            buf[len++] = static_cast<char>(c);
        } else {
            too_long = true;
        }
        c = sb.sbumpc();
    }
    return true;
}

}  // namespace

const char* parse_batch_line(std::string_view line, CalcRequest& request) {
    if (line.empty()) {
        return "empty line";
    }
    std::string_view fields[INPUT_FIELDS];
    int count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
        if (count == INPUT_FIELDS) {
            return "expected 4 fields";
        }
        fields[count++] = line.substr(start, end - start);
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (count != INPUT_FIELDS) {
        return "expected 4 fields";
    }
    CalcRequest parsed{};
    if (!parse_int_field(fields[0], parsed.mode)) {
        return "bad mode";
    }
    if (!parse_int_field(fields[1], parsed.side)) {
        return "bad side";
    }
    switch (read_number_text(fields[2], parsed.first_value)) {
        case NumberText::ok:
            break;
        case NumberText::empty:
            return "missing first_value";
        default:
            return "bad first_value";
    }
    switch (read_number_text(fields[3], parsed.second_value)) {
        case NumberText::ok:
            break;
        case NumberText::empty:
            return "missing second_value";
        default:
            return "bad second_value";
    }
    request = parsed;
    return nullptr;
}

std::size_t format_batch_result(const int status, const PropertyResult& r, char* out) {
    std::size_t n = 0;
    if (status != 0) {
        n = put_text(out, n, "1");
        return put_empty_fields(out, n, RESULT_FIELDS - 1);
    }
    n = put_text(out, n, "0");
    const ResultValues values = result_values(r);
    for (const double v : values.value) {
        out[n++] = ',';
        n = put_number(out, n, v);
    }
    out[n++] = ',';
    n = put_int(out, n, r.phase);
    out[n++] = ',';
    return put_int(out, n, r.phase_detail);
}

std::size_t format_batch_error(const char* reason, char* out) {
    std::size_t n = put_text(out, 0, "error,");
    n = put_text(out, n, reason);
    return put_empty_fields(out, n, RESULT_FIELDS - 2);
}

BatchSummary run_batch(std::istream& in, std::ostream& out) {
    BatchSummary summary{};
    out << BATCH_RESULT_HEADER << '\n';
    std::streambuf* sb = in.rdbuf();
    if (sb == nullptr) {
        return summary;
    }
    char line[BATCH_LINE_LIMIT];
    char text[BATCH_OUTPUT_SIZE];
    std::size_t len = 0;
    bool too_long = false;
    bool first = true;
    while (read_line(*sb, line, BATCH_LINE_LIMIT, len, too_long)) {
        std::string_view view(line, len);
        if (!too_long && !view.empty() && view.back() == '\r') {
            view.remove_suffix(1);
        }
        if (first) {
            first = false;
            if (view.substr(0, 3) == "\xEF\xBB\xBF") {
                view.remove_prefix(3);
            }
            if (view.substr(0, 4) == "mode") {
                continue;
            }
        }
        std::size_t n = 0;
        if (too_long) {
            n = format_batch_error("line too long", text);
            ++summary.errors;
        } else {
            CalcRequest request{};
            if (const char* reason = parse_batch_line(view, request)) {
                n = format_batch_error(reason, text);
                ++summary.errors;
            } else {
                PropertyResult result{};
                const int status = calculate_properties(request, result);
                n = format_batch_result(status, result, text);
                ++(status == 0 ? summary.valid : summary.domain);
            }
        }
        text[n++] = '\n';
        out.write(text, static_cast<std::streamsize>(n));
        ++summary.lines;
    }
    out.flush();
    return summary;
}

}  // namespace zeltra5::cli
