#pragma once
// The command-line calculator: one request from the arguments, or a batch from standard input.

#include <iosfwd>

namespace zeltra5::cli {

inline constexpr int EXIT_VALID = 0;
inline constexpr int EXIT_OUTSIDE_DOMAIN = 1;
inline constexpr int EXIT_USAGE = 2;

// Runs the tool with the arguments after the program name. Output is UTF-8.
int run_command_line(int argc, const char* const* argv, std::istream& in, std::ostream& out,
                     std::ostream& err);

}  // namespace zeltra5::cli
