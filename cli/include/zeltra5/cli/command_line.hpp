#pragma once
// The command-line calculator: one request from the arguments, or a batch from standard input.

#include <iosfwd>

namespace zeltra5::cli {

inline constexpr int EXIT_VALID = 0;
inline constexpr int EXIT_OUTSIDE_DOMAIN = 1;
inline constexpr int EXIT_USAGE = 2;
// The input could not be read or the output not written (after what could be answered).
inline constexpr int EXIT_IO = 3;
// The tool itself failed: out of memory, or another fault it could not recover from.
inline constexpr int EXIT_INTERNAL = 4;

// Runs the tool with the arguments after the program name. Output is UTF-8. Every write to `out`
// is checked: when it fails (best through a CheckedOutput, which keeps the reason) the message
// names the output and the status is EXIT_IO, whatever the command would have answered. No
// exception leaves it.
int run_command_line(int argc, const char* const* argv, std::istream& in, std::ostream& out,
                     std::ostream& err);

}  // namespace zeltra5::cli
