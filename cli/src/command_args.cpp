// Argument helpers of the table, cycle and diagram commands.

#include "command_args.hpp"

#include <charconv>
#include <cmath>
#include <system_error>

#include "zeltra5/number_text.hpp"

namespace zeltra5::cli::args {

bool option(const int argc, const char* const* argv, int& i, const std::string_view name,
            std::string_view& value, bool& missing) {
    const std::string_view arg = argv[i];
    missing = false;
    if (arg == name) {
        if (i + 1 >= argc) {
            missing = true;
            return true;
        }
        value = argv[++i];
        return true;
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

bool number(std::string_view text, double& value) {
    const auto blank = [](const char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return read_number_text(text, value) == NumberText::ok;
}

namespace {

std::size_t code_points(const std::string_view text) {
    std::size_t n = 0;
    for (const char c : text) {
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return n;
}

}  // namespace

std::string pad_left(const std::string_view text, const std::size_t width) {
    const std::size_t n = code_points(text);
    std::string s(n < width ? width - n : 0, ' ');
    s.append(text);
    return s;
}

std::string pad_right(const std::string_view text, const std::size_t width) {
    const std::size_t n = code_points(text);
    std::string s(text);
    s.append(n < width ? width - n : 1, ' ');
    return s;
}

std::string short_number(const double value) {
    if (!std::isfinite(value)) {
        return "-";
    }
    char text[32];
    const auto [end, ec] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return std::string(text, ec == std::errc{} ? end : text);
}

}  // namespace zeltra5::cli::args
