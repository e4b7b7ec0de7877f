#pragma once
// The commands over many states: property tables, the refrigeration cycle and the diagrams.
//   zeltra5-calc table saturation|isotherm|isobar|isochore NAME=VALUE|RANGE ... [options]
//   zeltra5-calc cycle --evaporating T0 --condensing TC [...] [options]
//   zeltra5-calc diagram ph|ts [--out FILE] [--state PAIR V1 [V2]]... [--cycle ...] [options]
// Each takes the arguments after its name and answers the exit status.

#include <iosfwd>

namespace zeltra5::cli {

int run_table_command(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
int run_cycle_command(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
int run_diagram_command(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// The usage lines of the three commands, for the tool's --help.
extern const char* const TABLES_COMMANDS_HELP;

}  // namespace zeltra5::cli
