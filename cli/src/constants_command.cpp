// zeltra5-calc constants [--model NAME] [--json]: the constants of an equation of state, SI with
// temperatures in kelvin, as text or JSON.

#include <ostream>
#include <string>

#include "command.hpp"
#include "command_args.hpp"
#include "zeltra5/cli/options.hpp"
#include "zeltra5/cli/output.hpp"
#include "zeltra5/cli/tables_commands.hpp"
#include "zeltra5/echo_text.hpp"
#include "zeltra5/models.hpp"

namespace zeltra5::cli {
namespace {

constexpr const char* CONSTANTS_USAGE =
    "usage: zeltra5-calc constants [--model NAME] [--json]\n"
    "  The constants of an equation of state (default tr1993), SI with temperatures in K:\n"
    "  molar mass, gas constant, the critical point and the triple point (the model's lowest\n"
    "  temperature, its pressure and densities from the model's own phase equilibrium).\n";

struct Request {
    const ModelInfo* model = &MODELS[DEFAULT_MODEL];
    bool json = false;
};

std::string parse(const int argc, const char* const* argv, Request& request) {
    bool model_seen = false;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string_view value;
        bool missing = false;
        if (arg == "--json" && !request.json) {
            request.json = true;
        } else if (!model_seen && args::option(argc, argv, i, "--model", value, missing)) {
            // As the other commands read --model: "--model NAME" or "--model=NAME".
            request.model = missing ? nullptr : find_model(value);
            if (request.model == nullptr) {
                return (missing ? std::string() : "unknown model \"" + echo_text(value) + "\": ") +
                       "--model takes " + model_names(", ", " or ");
            }
            model_seen = true;
        } else {
            return "unexpected argument \"" + echo_text(arg) + "\"";
        }
    }
    return {};
}

int run(const Request& request, std::ostream& out, std::ostream&) {
    const ModelSummary summary = model_summary(*request.model);
    if (request.json) {
        out << "{\n  \"model\": " << json_string(request.model->name);
        for (const ModelSummaryItem& item : MODEL_SUMMARY_ITEMS) {
            out << ",\n  \"" << item.name << "\": " << json_number(summary.*item.member);
        }
        out << ",\n  \"units\": {";
        for (int k = 0; k < MODEL_SUMMARY_COUNT; ++k) {
            out << (k == 0 ? "" : ", ") << '"' << MODEL_SUMMARY_ITEMS[k].name
                << "\": " << json_string(MODEL_SUMMARY_ITEMS[k].unit);
        }
        out << "}\n}\n";
    } else {
        out << "model  " << request.model->name << " (" << request.model->description << ")\n";
        for (const ModelSummaryItem& item : MODEL_SUMMARY_ITEMS) {
            std::string name = item.name;
            name.resize(30, ' ');
            out << name << number_text(summary.*item.member) << ' ' << item.unit << '\n';
        }
    }
    out.flush();
    return EXIT_VALID;
}

constexpr Command<Request> CONSTANTS{"constants", CONSTANTS_USAGE, parse, run};

}  // namespace

constinit const CommandEntry CONSTANTS_COMMAND = command_entry<CONSTANTS>();

}  // namespace zeltra5::cli
