#include "zeltra5/bounded_text.hpp"

#include <algorithm>
#include <cstring>
#include <string>

#include "zeltra5/echo_text.hpp"
#include "zeltra5/format_shortest.hpp"

namespace zeltra5 {

BoundedText::BoundedText(char* buffer, const std::size_t size, const NumberStyle numbers)
    : buffer_(buffer), size_(size), numbers_(numbers) {
    if (size_ > 0) {
        buffer_[0] = '\0';
    }
}

BoundedText& BoundedText::operator<<(const std::string_view s) {
    const std::size_t room = size_ > length_ ? size_ - 1 - length_ : 0;
    const std::size_t n = std::min(room, s.size());
    if (n > 0) {
        std::memcpy(buffer_ + length_, s.data(), n);
        buffer_[length_ + n] = '\0';
    }
    length_ += s.size();
    return *this;
}

BoundedText& BoundedText::operator<<(const double value) {
    char digits[SHORTEST_TEXT_SIZE];
    return *this << std::string_view(digits, format_number(digits, value, numbers_) - digits);
}

BoundedText& BoundedText::quoted(const std::string_view s) {
    std::string echo = "\"";
    append_echo(echo, s);
    echo += '"';
    return *this << echo;
}

std::size_t BoundedText::kept() const {
    return size_ > 0 ? std::min(length_, size_ - 1) : 0;
}

void BoundedText::end_at_whole_character() {
    if (length_ >= size_ && size_ > 0) {
        buffer_[whole_characters(buffer_, size_ - 1)] = '\0';
    }
}

std::size_t whole_characters(const char* text, const std::size_t n) {
    std::size_t lead = n;
    int continuation = 0;
    while (lead > 0 && continuation < 4 &&
           (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) {
        --lead;
        ++continuation;
    }
    if (lead == 0) {
        return n;
    }
    const unsigned char c = static_cast<unsigned char>(text[lead - 1]);
    const int needed = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
    return continuation < needed ? lead - 1 : n;
}

}  // namespace zeltra5
