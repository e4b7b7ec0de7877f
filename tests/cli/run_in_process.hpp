#pragma once
// What the command-line tests share: the tool run in process on an argument vector and a
// standard input, with its exit code and both outputs, and its output read back as lines and as
// CSV cells.

#include <sstream>
#include <string>
#include <vector>

#include "zeltra5/cli/command_line.hpp"

namespace zeltra5::cli {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

// The arguments after the program name; `input` is standard input.
inline Outcome run(const std::vector<const char*>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int code = run_command_line(static_cast<int>(args.size()), args.data(), in, out, err);
    return {code, out.str(), err.str()};
}

// The lines of `text` without their line ends; no empty last line after a final line end.
inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Cells of a CSV line, quotes undone ("" inside quotes is one quote).
inline std::vector<std::string> cells_of(const std::string& line) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
            cells.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

}  // namespace zeltra5::cli
