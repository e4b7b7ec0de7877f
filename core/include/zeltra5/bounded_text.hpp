#pragma once
// Text written into a caller's buffer of a given size with the snprintf contract: at most
// size - 1 bytes and a terminator (nothing at all when size is 0), while the length of the whole
// text is counted, so a caller can ask again with room for all of it. Every message and text
// the library hands out through a buffer is written this way.

#include <cstddef>
#include <string>
#include <string_view>

#include "zeltra5/format_shortest.hpp"

namespace zeltra5 {

class BoundedText {
  public:
    // Terminates the buffer at once (when size > 0): an empty text is a valid answer. Numbers
    // are written in `numbers` style.
    BoundedText(char* buffer, std::size_t size, NumberStyle numbers = NumberStyle::plain);

    BoundedText& operator<<(std::string_view s);
    // The shortest text that reads back as the same double (format_number in the writer's
    // style); nothing for a NaN or an infinity.
    BoundedText& operator<<(double value);
    // Text the caller gave, in quotes, as every interface echoes it (echo_text).
    BoundedText& quoted(std::string_view s);

    // The length of the whole text, kept or not.
    std::size_t length() const { return length_; }
    // The bytes that the buffer holds before its terminator.
    std::size_t kept() const;

    // Ends the kept text before a UTF-8 character that the bound left incomplete, so that a cut
    // text is still whole characters. length() is unchanged.
    void end_at_whole_character();

  private:
    char* buffer_;
    std::size_t size_;
    NumberStyle numbers_;
    std::size_t length_ = 0;
};

// The length of `text`'s first n bytes without a UTF-8 sequence at their end that a cut left
// incomplete (a text of whole characters answers n).
std::size_t whole_characters(const char* text, std::size_t n);

// The whole of a text that `write(buffer, size)` writes with the snprintf contract (answering the
// length of the whole text): into a buffer on the stack, and again into one of the whole length
// when it did not fit there.
template <class Write>
std::string whole_text(Write&& write) {
    char text[512];
    const std::size_t length = write(text, sizeof text);
    if (length < sizeof text) {
        return std::string(text, length);
    }
    std::string whole(length + 1, '\0');
    write(whole.data(), whole.size());
    whole.resize(length);
    return whole;
}

}  // namespace zeltra5
