#pragma once
// The commands over many states: property tables, the refrigeration cycle and the diagrams.
//   zeltra5-calc table saturation|isotherm|isobar|isochore NAME=VALUE|RANGE ... [options]
//   zeltra5-calc cycle --evaporating T0 --condensing TC [...] [options]
//   zeltra5-calc diagram ph|ts [--out FILE] [--state PAIR V1 [V2]]... [--cycle ...] [options]
// Each takes the arguments after its name and answers the exit status (the run of its entry).

#include <iosfwd>
#include <string_view>

namespace zeltra5::cli {

// A command that follows the program's name: the name, and the whole of its work, from the
// arguments after the name to the exit status.
struct CommandEntry {
    std::string_view name;
    int (*run)(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
};

extern const CommandEntry TABLE_COMMAND;
extern const CommandEntry CYCLE_COMMAND;
extern const CommandEntry DIAGRAM_COMMAND;
// zeltra5-calc constants [--model NAME] [--json]: a model's constants.
extern const CommandEntry CONSTANTS_COMMAND;
// zeltra5-calc export-openfoam --p-min PA --p-max PA --t-min K --t-max K --out DIR [...]: the
// OpenFOAM tables of a model.
extern const CommandEntry EXPORT_OPENFOAM_COMMAND;

int run_table_command(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
int run_cycle_command(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
int run_diagram_command(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// The usage lines of the three commands, for the tool's --help.
extern const char* const TABLES_COMMANDS_HELP;

}  // namespace zeltra5::cli
