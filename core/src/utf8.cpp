#include "zeltra5/utf8.hpp"

namespace zeltra5 {

std::uint32_t decode_utf8(const std::string_view text, const std::size_t i, std::size_t& length) {
    length = 1;
    const auto byte = [&](const std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned b = byte(i);
    if (b < 0x80) {
        return b;
    }
    std::size_t n = 0;
    std::uint32_t c = 0;
    std::uint32_t least = 0;  // the smallest value a sequence of this length may carry
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        c = b & 0x1F;
        least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        c = b & 0x0F;
        least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        c = b & 0x07;
        least = 0x10000;
    } else {
        return REPLACEMENT_CHARACTER;  // a continuation byte, or one that starts no sequence
    }
    if (i + n > text.size()) {
        return REPLACEMENT_CHARACTER;
    }
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return REPLACEMENT_CHARACTER;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return REPLACEMENT_CHARACTER;
    }
    length = n;
    return c;
}

void append_utf8(std::string& out, const std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace zeltra5
