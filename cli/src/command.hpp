#pragma once
// The skeleton the tool's commands (table, cycle, diagram) share: --help anywhere prints the
// command's usage; arguments it cannot read are named, with the usage, on the error stream (exit
// status EXIT_USAGE); otherwise the command runs.

#include <ostream>
#include <string>
#include <string_view>

#include "zeltra5/cli/command_line.hpp"
#include "zeltra5/cli/tables_commands.hpp"

namespace zeltra5::cli {

template <class Request>
struct Command {
    const char* name;   // as typed after the program's name, and in its messages
    const char* usage;  // for --help, and after a problem with the arguments
    // Reads the arguments after the name into `request`; answers what is wrong with them, or
    // nothing.
    std::string (*parse)(int argc, const char* const* argv, Request& request);
    // Does the work and answers the exit status.
    int (*run)(const Request& request, std::ostream& out, std::ostream& err);
};

template <class Request>
int run_command(const Command<Request>& command, const int argc, const char* const* argv,
                std::ostream& out, std::ostream& err) {
    for (int i = 0; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
            out << command.usage;
            return EXIT_VALID;
        }
    }
    Request request;
    const std::string problem = command.parse(argc, argv, request);
    if (!problem.empty()) {
        err << "zeltra5-calc " << command.name << ": " << problem << "\n" << command.usage;
        return EXIT_USAGE;
    }
    return command.run(request, out, err);
}

// A command as the tool's table of commands holds it: its name and its whole run.
template <const auto& command>
constexpr CommandEntry command_entry() {
    return {command.name,
            [](const int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
                return run_command(command, argc, argv, out, err);
            }};
}

}  // namespace zeltra5::cli
