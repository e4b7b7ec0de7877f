// zeltra5-calc export-openfoam: OpenFOAM's uniform p-T property tables of a model, written into a
// folder, one file per property and a physicalProperties dictionary that reads them.

#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>

#include "command.hpp"
#include "command_args.hpp"
#include "zeltra5/cli/checked_output.hpp"
#include "zeltra5/cli/options.hpp"
#include "zeltra5/cli/output.hpp"
#include "zeltra5/cli/tables_commands.hpp"
#include "zeltra5/echo_text.hpp"
#include "zeltra5/models.hpp"
#include "zeltra5/tabulated_export.hpp"

namespace zeltra5::cli {
namespace {

constexpr const char* EXPORT_USAGE =
    "usage: zeltra5-calc export-openfoam --p-min PA --p-max PA --t-min K --t-max K --out DIR\n"
    "                                    [--p-count N] [--t-count N] [--model NAME]\n"
    "  OpenFOAM's tabulated thermophysical tables (rhoTabulated, hTabulated, tabulated transport)\n"
    "  of a model (default tr1993) on a uniform grid of N pressures (Pa) and N temperatures (K),\n"
    "  101 each by default: the files rho, hs, es, Cp, Cv, mu, kappa and physicalProperties in\n"
    "  DIR (made if missing). A node outside the domain takes the values of the nearest node of\n"
    "  its isobar inside it; the files and the summary say how many.\n"
    "Example: zeltra5-calc export-openfoam --p-min 1e5 --p-max 5e6 --t-min 250 --t-max 400 \\\n"
    "           --out constant/zeltra5\n";

struct Request {
    tabulated::OpenFoamGrid grid;
    std::string directory;
};

struct NumberOption {
    const char* name;
    double tabulated::OpenFoamGrid::*member;
};
struct CountOption {
    const char* name;
    int tabulated::OpenFoamGrid::*member;
};
constexpr NumberOption NUMBER_OPTIONS[] = {{"--p-min", &tabulated::OpenFoamGrid::p_low},
                                           {"--p-max", &tabulated::OpenFoamGrid::p_high},
                                           {"--t-min", &tabulated::OpenFoamGrid::t_low},
                                           {"--t-max", &tabulated::OpenFoamGrid::t_high}};
constexpr CountOption COUNT_OPTIONS[] = {{"--p-count", &tabulated::OpenFoamGrid::p_count},
                                         {"--t-count", &tabulated::OpenFoamGrid::t_count}};

std::string parse(const int argc, const char* const* argv, Request& r) {
    r.grid.p_count = r.grid.t_count = 101;
    unsigned given = 0;  // a bit per option taking a value, in the order of these checks
    const auto once = [&given](const unsigned bit, const char* name, std::string& problem) {
        if ((given & bit) != 0) {
            problem = std::string(name) + " given twice";
            return false;
        }
        given |= bit;
        return true;
    };
    for (int i = 0; i < argc; ++i) {
        std::string_view value;
        bool missing = false;
        std::string problem;
        bool taken = false;
        for (int k = 0; k < 4 && !taken; ++k) {
            const NumberOption& o = NUMBER_OPTIONS[k];
            if (!args::option(argc, argv, i, o.name, value, missing)) {
                continue;
            }
            taken = true;
            double number = 0;
            if (missing || !args::number(value, number)) {
                return std::string(o.name) + " takes a number" +
                       (missing ? "" : ", not \"" + echo_text(value) + "\"");
            }
            if (!once(1u << k, o.name, problem)) {
                return problem;
            }
            r.grid.*o.member = number;
        }
        for (int k = 0; k < 2 && !taken; ++k) {
            const CountOption& o = COUNT_OPTIONS[k];
            if (!args::option(argc, argv, i, o.name, value, missing)) {
                continue;
            }
            taken = true;
            double number = 0;
            if (missing || !args::number(value, number) || number != static_cast<int>(number) ||
                number < 2 || number > 100000) {
                return std::string(o.name) + " takes a whole number from 2 to 100000" +
                       (missing ? "" : ", not \"" + echo_text(value) + "\"");
            }
            if (!once(1u << (4 + k), o.name, problem)) {
                return problem;
            }
            r.grid.*o.member = static_cast<int>(number);
        }
        if (taken) {
            continue;
        }
        if (args::option(argc, argv, i, "--out", value, missing)) {
            if (missing || value.empty()) {
                return "--out takes a folder";
            }
            if (!once(1u << 6, "--out", problem)) {
                return problem;
            }
            r.directory = std::string(value);
        } else if (args::option(argc, argv, i, "--model", value, missing)) {
            const ModelInfo* model = missing ? nullptr : find_model(value);
            if (model == nullptr) {
                return (missing ? std::string() : "unknown model \"" + echo_text(value) + "\": ") +
                       "--model takes " + model_names(", ", " or ");
            }
            if (!once(1u << 7, "--model", problem)) {
                return problem;
            }
            r.grid.model = static_cast<int>(model - MODELS);
        } else {
            return "unexpected argument \"" + echo_text(argv[i]) + "\"";
        }
    }
    for (int k = 0; k < 4; ++k) {
        if ((given & (1u << k)) == 0) {
            return std::string(NUMBER_OPTIONS[k].name) + " is missing";
        }
    }
    if (r.directory.empty()) {
        return "--out is missing";
    }
    return tabulated::check_openfoam_grid(r.grid);
}

int run(const Request& r, std::ostream& out, std::ostream& err) {
    const tabulated::OpenFoamExport e = tabulated::export_openfoam(r.grid);
    if (!e.problem.empty()) {
        err << "zeltra5-calc export-openfoam: " << e.problem << '\n';
        return EXIT_OUTSIDE_DOMAIN;
    }
    std::error_code made;
    std::filesystem::create_directories(r.directory, made);
    if (made) {
        err << "zeltra5-calc export-openfoam: cannot make " << echo_text(r.directory) << ": "
            << made.message() << '\n';
        return EXIT_IO;
    }
    // physicalProperties comes last, and one left by an earlier export goes first: a set cut
    // short by a failure has none to point a case at (not even the old set's, beside new tables).
    const std::filesystem::path old_properties =
        std::filesystem::path(r.directory) / "physicalProperties";
    std::error_code removed;
    if (!std::filesystem::remove(old_properties, removed) && removed) {
        err << "zeltra5-calc export-openfoam: cannot remove " << echo_text(old_properties.string())
            << ": " << removed.message() << '\n';
        return EXIT_IO;
    }
    for (const tabulated::OpenFoamFile& f : e.files) {
        const std::string path = (std::filesystem::path(r.directory) / f.name).string();
        if (const std::string failure = write_file_whole(path, f.text); !failure.empty()) {
            err << "zeltra5-calc export-openfoam: " << failure << '\n';
            return EXIT_IO;
        }
    }
    out << "model " << MODELS[r.grid.model].name << ", " << e.nodes << " nodes (" << r.grid.p_count
        << " pressures x " << r.grid.t_count << " temperatures), " << e.refused
        << " outside the domain, " << e.crossing << " isobars crossing the saturation line\n";
    for (int k = 0; k < tabulated::OPENFOAM_FIELD_COUNT; ++k) {
        out << (std::filesystem::path(r.directory) / e.files[static_cast<std::size_t>(k)].name)
                   .string()
            << "  " << e.filled[k] << " values filled in\n";
    }
    out << (std::filesystem::path(r.directory) / "physicalProperties").string() << '\n';
    out.flush();
    return EXIT_VALID;
}

constexpr Command<Request> EXPORT{"export-openfoam", EXPORT_USAGE, parse, run};

}  // namespace

constinit const CommandEntry EXPORT_OPENFOAM_COMMAND = command_entry<EXPORT>();

}  // namespace zeltra5::cli
