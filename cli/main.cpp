// zeltra5-calc: the property calculator for scripts and terminals.

#include <cstdio>
#include <iostream>
#include <ostream>

#include "zeltra5/cli/checked_output.hpp"
#include "zeltra5/cli/command_line.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);  // the tool writes UTF-8
#endif
    // Standard input through the C++ library's own buffer (which tells how much input is waiting,
    // for the streaming batch); standard output through a checked buffer of the tool's own, which
    // writes to stdout unbuffered so that nothing waits in a second buffer.
    std::ios::sync_with_stdio(false);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    zeltra5::cli::CheckedOutput output(stdout, "standard output");
    std::ostream out(&output);
    return zeltra5::cli::run_command_line(argc - 1, argv + 1, std::cin, out, std::cerr);
}
