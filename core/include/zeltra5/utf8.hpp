#pragma once
// UTF-8 read one code point at a time and written back: what the JSON and SVG writers use to pass
// on only well-formed text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zeltra5 {

inline constexpr std::uint32_t REPLACEMENT_CHARACTER = 0xFFFD;

// The code point that begins at byte `i` of a UTF-8 text, and its `length` in bytes; U+FFFD
// (length 1) for a byte that begins no well-formed sequence: a stray continuation byte, an
// overlong form, a surrogate, a value above U+10FFFF, a sequence cut short.
std::uint32_t decode_utf8(std::string_view text, std::size_t i, std::size_t& length);
void append_utf8(std::string& out, std::uint32_t c);

}  // namespace zeltra5
