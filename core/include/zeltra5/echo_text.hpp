#pragma once
// Text a user gave, repeated in a message or an output cell: short enough to read, and nothing
// in it that a terminal or a UTF-8 reader would take for something else. Every interface that
// echoes input (the C library, the command line and its batch, the range messages) uses this.

#include <cstddef>
#include <string>
#include <string_view>

namespace zeltra5 {

// Characters of a text echoed in full; a longer one is cut after this many and "..." follows.
inline constexpr std::size_t ECHO_LIMIT = 40;

// Appends `text` to `out` with every byte that is not part of a valid UTF-8 character, and every
// control character (C0, DEL, C1, the line and paragraph separators, the bidirectional
// controls), replaced by '?', each replacement counting as one character. A text of more than
// ECHO_LIMIT characters is cut after ECHO_LIMIT of them, never inside one, and "..." appended.
void append_echo(std::string& out, std::string_view text);

// The same as a string of its own.
std::string echo_text(std::string_view text);

}  // namespace zeltra5
