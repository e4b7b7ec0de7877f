#pragma once
// Blanks around the items of what people type: option values, ranges, choices of units.

#include <string_view>

namespace zeltra5 {

// `s` without the spaces and tabs at its ends.
inline std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

}  // namespace zeltra5
