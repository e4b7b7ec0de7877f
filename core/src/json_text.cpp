#include "zeltra5/json_text.hpp"

#include <cmath>
#include <cstdint>

#include "zeltra5/utf8.hpp"

namespace zeltra5 {

void append_json_string(std::string& out, const std::string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 1;
        const std::uint32_t c = decode_utf8(text, i, n);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            constexpr char HEX[] = "0123456789abcdef";
            const char escape[] = {'\\', 'u', '0', '0', HEX[c >> 4], HEX[c & 0xF]};
            out.append(escape, sizeof escape);
        } else if (n > 1 || c < 0x80) {
            out.append(text.data() + i, n);  // well-formed: as it is
        } else {
            append_utf8(out, c);  // U+FFFD
        }
        i += n;
    }
    out += '"';
}

std::string json_string(const std::string_view text) {
    std::string s;
    append_json_string(s, text);
    return s;
}

void append_json_number(std::string& out, const double value, const NumberStyle style) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char digits[SHORTEST_TEXT_SIZE];
    out.append(digits, format_number(digits, value, style));
}

std::string json_number(const double value, const NumberStyle style) {
    std::string s;
    append_json_number(s, value, style);
    return s;
}

}  // namespace zeltra5
