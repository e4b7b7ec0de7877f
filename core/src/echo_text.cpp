#include "zeltra5/echo_text.hpp"

#include <cstdint>

namespace zeltra5 {
namespace {

// The length of the valid UTF-8 sequence at the start of `s` and its code point, or 0 when the
// first byte does not start one (a stray continuation byte, an overlong form, a surrogate, a
// value above U+10FFFF, a sequence cut short).
std::size_t utf8_sequence(const std::string_view s, std::uint32_t& code) {
    const auto byte = [&](const std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    std::size_t length = 0;
    std::uint32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
        min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (byte(i) & 0x3Fu);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < min || code > 0x10FFFF || surrogate ? 0 : length;
}

// Characters that move the cursor, end a line or reorder the text around them.
bool is_control(const std::uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x200E ||
           c == 0x200F || c == 0x061C || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

void append_echo(std::string& out, std::string_view text) {
    std::size_t characters = 0;
    while (!text.empty()) {
        if (characters == ECHO_LIMIT) {
            out += "...";
            return;
        }
        std::uint32_t code = 0;
        const std::size_t length = utf8_sequence(text, code);
        if (length == 0 || is_control(code)) {
            out += '?';
            text.remove_prefix(length == 0 ? 1 : length);
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
        }
        ++characters;
    }
}

std::string echo_text(const std::string_view text) {
    std::string out;
    append_echo(out, text);
    return out;
}

}  // namespace zeltra5
