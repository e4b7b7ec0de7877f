// Conversions between the shell's Windows-1251 texts, the library's UTF-8 and UTF-16.

#include "zeltra5/wide_text.hpp"

#include <cstddef>

namespace zeltra5 {
namespace {

// Unicode code points of the Windows-1251 bytes 0x80 to 0xBF (0x98 is unassigned); 0xC0 to 0xFF
// are U+0410 to U+044F in order.
constexpr char16_t CP1251_HIGH[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

constexpr char16_t REPLACEMENT = 0xFFFD;

void append_code_point(std::u16string& out, const char32_t code) {
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
        return;
    }
    const char32_t v = code - 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
}

}  // namespace

char16_t unicode_from_cp1251(const char byte) {
    const auto b = static_cast<unsigned char>(byte);
    if (b >= 0xC0) {
        return static_cast<char16_t>(0x0410 + (b - 0xC0));
    }
    if (b >= 0x80) {
        return CP1251_HIGH[b - 0x80];
    }
    return b;
}

std::u16string utf16_from_cp1251(const std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const char c : text) {
        out.push_back(unicode_from_cp1251(c));
    }
    return out;
}

std::u16string utf16_from_utf8(const std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        // Length, first code point of that length and the range of the second byte, which rules
        // out overlong forms, surrogates and code points beyond U+10FFFF at once.
        std::size_t length = 0;
        char32_t code = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        std::size_t taken = 1;
        while (length != 0 && taken < length && i + taken < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + taken]);
            const bool fits = taken == 1 ? next >= low && next <= high : (next & 0xC0) == 0x80;
            if (!fits) {
                break;
            }
            code = (code << 6) | (next & 0x3F);
            ++taken;
        }
        if (length == 0 || taken < length) {
            // The bytes read so far are one ill-formed sequence.
            out.push_back(REPLACEMENT);
            i += taken;
            continue;
        }
        append_code_point(out, code);
        i += length;
    }
    return out;
}

std::string cp1251_from_utf16(const std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char16_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        char byte = '?';
        if (c >= 0x0410 && c <= 0x044F) {
            byte = static_cast<char>(0xC0 + (c - 0x0410));
        } else {
            for (int k = 0; k < 64; ++k) {
                if (CP1251_HIGH[k] == c && c != REPLACEMENT) {
                    byte = static_cast<char>(0x80 + k);
                    break;
                }
            }
        }
        out.push_back(byte);
    }
    return out;
}

}  // namespace zeltra5
