#include "zeltra5/echo_text.hpp"

#include <cstdint>

#include "zeltra5/utf8.hpp"

namespace zeltra5 {
namespace {

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
        std::size_t length = 1;
        const std::uint32_t code = decode_utf8(text, 0, length);
        const bool malformed = length == 1 && code >= 0x80;  // U+FFFD for a byte in no sequence
        if (malformed || is_control(code)) {
            out += '?';
            text.remove_prefix(length);
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
