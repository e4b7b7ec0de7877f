// zeltra5-calc: the property calculator for scripts and terminals.

#include <iostream>

#include "zeltra5/cli/command_line.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);  // the tool writes UTF-8
#endif
    std::ios::sync_with_stdio(false);
    return zeltra5::cli::run_command_line(argc - 1, argv + 1, std::cin, std::cout, std::cerr);
}
